#pragma once
// Display palettes for the single game dialog's weather choice. They replace
// the video output's 64-colour table; the cartridge itself is not touched.

#include <array>
#include <cstddef>
#include <cstdint>

namespace qgu::driver {

struct RgbColor {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  friend constexpr bool operator==(const RgbColor&, const RgbColor&) = default;
};

using DisplayPalette = std::array<RgbColor, 64>;

// The single game dialog's weather radio indices.
enum class Weather : int { kClear = 0, kRain = 1, kSnow = 2 };

extern const DisplayPalette kRainPalette;
extern const DisplayPalette kSnowPalette;

// The palette to install for a weather choice; nullptr for clear weather
// (and for any unknown choice), which installs nothing.
const DisplayPalette* WeatherPalette(Weather weather);

}  // namespace qgu::driver
