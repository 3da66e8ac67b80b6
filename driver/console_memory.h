#pragma once
// One byte of the running console's memory at a time, as the 6502 addresses
// it (console RAM $0000-$07FF, cartridge RAM $6000-$7FFF). The game driver
// reads and writes the cartridge's bytes only through this, so it can run
// against the emulated machine or against a plain array in tests.

#include <cstdint>

namespace qgu::driver {

class IConsoleMemory {
 public:
  virtual ~IConsoleMemory() = default;
  virtual uint8_t Read(uint16_t address) const = 0;
  virtual void Write(uint16_t address, uint8_t value) = 0;
};

}  // namespace qgu::driver
