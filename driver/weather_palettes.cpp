#include "driver/weather_palettes.h"

#include <array>
#include <cstddef>

namespace qgu::driver {
namespace {

constexpr RgbColor Rgb(uint32_t hex) { return base::RgbFromHex(hex); }

// The rain palette; snow differs only in the four tinted entries.
constexpr DisplayPalette kRain = {
    Rgb(0x7F7F7F), Rgb(0x2000B0), Rgb(0x2800B8), Rgb(0x6010A0), Rgb(0x982078), Rgb(0xB01030), Rgb(0xA03000), Rgb(0x784000),
    Rgb(0x485800), Rgb(0x7D7900), Rgb(0x807D00), Rgb(0x306040), Rgb(0x305080), Rgb(0x000000), Rgb(0x000000), Rgb(0x000000),
    Rgb(0xBCBCBC), Rgb(0x4060F8), Rgb(0x4040FF), Rgb(0x9040F0), Rgb(0xD840C0), Rgb(0xD84060), Rgb(0xE05000), Rgb(0xC07000),
    Rgb(0x888800), Rgb(0x797B00), Rgb(0x7D8000), Rgb(0x48A068), Rgb(0x4090C0), Rgb(0x000000), Rgb(0x000000), Rgb(0x000000),
    Rgb(0xFFFFFF), Rgb(0x60A0FF), Rgb(0x5080FF), Rgb(0xA070FF), Rgb(0xF060FF), Rgb(0xFF60B0), Rgb(0xFF7830), Rgb(0xFFA000),
    Rgb(0xE8D020), Rgb(0x98E800), Rgb(0x70F040), Rgb(0x70E090), Rgb(0x60D0E0), Rgb(0x606060), Rgb(0x000000), Rgb(0x000000),
    Rgb(0xFFFFFF), Rgb(0x90D0FF), Rgb(0xA0B8FF), Rgb(0xC0B0FF), Rgb(0xE0B0FF), Rgb(0xFFB8E8), Rgb(0xFFC8B8), Rgb(0xFFD8A0),
    Rgb(0xFFF090), Rgb(0xC8F080), Rgb(0xA0F0A0), Rgb(0xA0FFC8), Rgb(0xA0FFF0), Rgb(0xA0A0A0), Rgb(0x000000), Rgb(0x000000),
};

constexpr std::array<int, 4> kTintedEntries = {0x09, 0x0A, 0x19, 0x1A};

constexpr DisplayPalette MakeSnow() {
  DisplayPalette snow = kRain;
  for (int entry : kTintedEntries) snow[static_cast<size_t>(entry)] = Rgb(0xE8E8E8);
  return snow;
}

}  // namespace

const DisplayPalette kRainPalette = kRain;
const DisplayPalette kSnowPalette = MakeSnow();

const DisplayPalette* WeatherPalette(Weather weather) {
  switch (weather) {
    case Weather::kRain: return &kRainPalette;
    case Weather::kSnow: return &kSnowPalette;
    default: return nullptr;
  }
}

}  // namespace qgu::driver
