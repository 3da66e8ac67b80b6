#include "host/nes_palette.h"

namespace qgu::host {
namespace {

// 0xRRGGBB by console colour value, eight to a row as the values run.
constexpr uint32_t kDefaultRgb[kNesColorCount] = {
    0xD6B1A9, 0x003BEF, 0x0000BF, 0x472BBF, 0x9300A4, 0xAB0023, 0x8E0800, 0x8B1700,
    0x533000, 0x007800, 0x003B00, 0x005B00, 0x004358, 0x000000, 0x000000, 0x000000,
    0xD8D8D8, 0x0063F8, 0x0057F8, 0x6B47FF, 0xC700B1, 0xE30014, 0xFF0000, 0xFF5324,
    0xAF7F00, 0x00B800, 0x00AB00, 0x00AB47, 0x008B8B, 0x000000, 0x000000, 0x000000,
    0xF8F8F8, 0x3FBFFF, 0x6B88FF, 0x9878F8, 0xF878F8, 0xFF2847, 0xF87858, 0xFFA347,
    0xFFFF00, 0xB8F818, 0x5BDB57, 0x58F898, 0x00B0C2, 0x444444, 0x000000, 0x000000,
    0xFFFFFF, 0xA7E7FF, 0xB8B8F8, 0xD8B8F8, 0xF8B8F8, 0xFBA7C3, 0xFF9883, 0xFFE5AB,
    0xFBDB7B, 0xD8F878, 0xB8F8B8, 0xB8F8D8, 0x00FFFF, 0xF8D8F8, 0x000000, 0x000000,
};

constexpr NesPalette BuildPalette() {
  NesPalette palette{};
  for (int i = 0; i < kNesColorCount; ++i) {
    const uint32_t rgb = kDefaultRgb[i];
    palette[i] = {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb)};
  }
  return palette;
}

constexpr NesPalette kDefaultPalette = BuildPalette();

}  // namespace

const NesPalette& DefaultNesPalette() { return kDefaultPalette; }

}  // namespace qgu::host
