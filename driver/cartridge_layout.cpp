#include "driver/cartridge_layout.h"

#include <algorithm>

namespace qgu::driver {

bool IsFootballImage(std::span<const uint8_t> image) {
  static constexpr std::array<uint8_t, 16> kHeader = {
      'N', 'E', 'S', 0x1A, kImageProgramBanks, kImageCharacterBanks, kImageFlags6, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  return image.size() == kImageBytes && std::equal(kHeader.begin(), kHeader.end(), image.begin());
}

}  // namespace qgu::driver
