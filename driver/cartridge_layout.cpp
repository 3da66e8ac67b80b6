#include "driver/cartridge_layout.h"

#include <algorithm>

namespace qgu::driver {

bool IsFootballImage(std::span<const uint8_t> image) {
  return image.size() == kImageBytes && std::equal(cartridge::kHeader.begin(), cartridge::kHeader.end(), image.begin());
}

}  // namespace qgu::driver
