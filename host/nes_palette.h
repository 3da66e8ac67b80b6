#pragma once
// The console's 64 colours as screen RGB, and the palette the video output
// starts with until a palette file is loaded.

#include <array>
#include <cstdint>

namespace qgu::host {

struct RgbColor {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

inline constexpr int kNesColorCount = 64;
using NesPalette = std::array<RgbColor, kNesColorCount>;

// The default console palette; value 0x00 is the field colour, 0x0D-0x0F and
// 0x3F are black.
const NesPalette& DefaultNesPalette();

// Colour of a render-buffer value (only the low six bits count).
inline RgbColor NesColor(const NesPalette& palette, uint8_t value) { return palette[value & 0x3F]; }

}  // namespace qgu::host
