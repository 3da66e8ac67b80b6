#pragma once
// Screen colours: one RGB colour and the table of the console's 64 colours.
// The video output, the weather palettes, screenshots and the colour editor
// all speak in these.

#include <array>
#include <cstdint>

namespace qgu::base {

struct RgbColor {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend constexpr bool operator==(const RgbColor&, const RgbColor&) = default;
};

// 0xRRGGBB -> colour.
constexpr RgbColor RgbFromHex(uint32_t hex) {
  return {static_cast<uint8_t>(hex >> 16), static_cast<uint8_t>(hex >> 8), static_cast<uint8_t>(hex)};
}

inline constexpr int kNesColorCount = 64;
// Screen colour of each console colour value 0..63.
using NesPalette = std::array<RgbColor, kNesColorCount>;

// Colour of a render-buffer value (only the low six bits count).
constexpr RgbColor NesColor(const NesPalette& palette, uint8_t value) { return palette[value & 0x3F]; }

}  // namespace qgu::base
