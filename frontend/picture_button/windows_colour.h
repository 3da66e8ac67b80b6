#pragma once
// Colours of the tool server's windows are given as Windows colour values,
// 0x00BBGGRR: 0x00FFFF is yellow, 0x0000FF red.

#include <QColor>
#include <cstdint>

namespace qgu::toolserver {

using WindowsColour = uint32_t;

constexpr int RedOf(WindowsColour colour) { return static_cast<int>(colour & 0xFF); }
constexpr int GreenOf(WindowsColour colour) { return static_cast<int>(colour >> 8 & 0xFF); }
constexpr int BlueOf(WindowsColour colour) { return static_cast<int>(colour >> 16 & 0xFF); }

inline QColor ToQColor(WindowsColour colour) { return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

inline WindowsColour FromQColor(const QColor& colour) {
  return static_cast<WindowsColour>(colour.red()) | static_cast<WindowsColour>(colour.green()) << 8 |
         static_cast<WindowsColour>(colour.blue()) << 16;
}

}  // namespace qgu::toolserver
