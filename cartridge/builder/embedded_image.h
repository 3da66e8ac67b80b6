#pragma once
// The football cartridge image qgu2 carries: the game program with the 28
// cartridge teams placed, embedded into the program at build time.

#include <cstdint>
#include <span>

namespace qgu::cartridge {

// All 393,232 bytes of the iNES image.
std::span<const uint8_t> EmbeddedCartridgeImage();

}  // namespace qgu::cartridge
