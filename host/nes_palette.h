#pragma once
// The console's 64 colours as screen RGB, and the palette the video output
// starts with until a palette file is loaded.

#include <cstdint>

#include "base/rgb_color.h"

namespace qgu::host {

using base::kNesColorCount;
using base::NesColor;
using base::NesPalette;
using base::RgbColor;

// The default console palette; value 0x00 is the field colour, 0x0D-0x0F and
// 0x3F are black.
const NesPalette& DefaultNesPalette();

}  // namespace qgu::host
