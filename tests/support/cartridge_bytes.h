#pragma once
// Test-only helpers for cartridge images: the fixed starting points of the
// teams' texts and player entries as the cartridge's contract lists them
// (written out as numbers, so that tests check the layout instead of
// restating it), and little-endian words and texts in an image.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace qgu::testing {

struct FixedStart {
  int team;
  size_t city;
  size_t nickname;
  size_t firstEntry;
};
inline constexpr std::array<FixedStart, 6> kFixedStarts = {{
    {0, 0x1FD7C, 0x1FE77, 0x06DA},
    {7, 0x1FDBA, 0x1FEA2, 0x1086},
    {14, 0x1FDF7, 0x1FED4, 0x1A70},
    {17, 0x1FE15, 0x1FEE8, 0x1EB1},
    {20, 0x1FE29, 0x1FEFD, 0x22EB},
    {25, 0x1FE58, 0x1FF1F, 0x29F1},
}};

inline size_t Word(std::span<const uint8_t> image, size_t offset) {
  return static_cast<size_t>(image[offset] | image[offset + 1] << 8);
}

inline void SetWord(std::span<uint8_t> image, size_t offset, size_t value) {
  image[offset] = static_cast<uint8_t>(value & 0xFF);
  image[offset + 1] = static_cast<uint8_t>(value >> 8 & 0xFF);
}

inline void SetText(std::span<uint8_t> image, size_t offset, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) image[offset + i] = static_cast<uint8_t>(text[i]);
}

}  // namespace qgu::testing
