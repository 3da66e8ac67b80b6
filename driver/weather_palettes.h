#pragma once
// Display palettes for the single game dialog's weather choice. They replace
// the video output's 64-colour table; the cartridge itself is not touched.

#include "base/rgb_color.h"

namespace qgu::driver {

using base::RgbColor;
// A display palette: the screen colour of each console colour value.
using DisplayPalette = base::NesPalette;

// The single game dialog's weather radio indices.
enum class Weather : int { kClear = 0, kRain = 1, kSnow = 2 };

extern const DisplayPalette kRainPalette;
extern const DisplayPalette kSnowPalette;

// The palette to install for a weather choice; nullptr for clear weather
// (and for any unknown choice), which installs nothing.
const DisplayPalette* WeatherPalette(Weather weather);

}  // namespace qgu::driver
