#pragma once
// Small cartridge images built in memory for the machine's unit tests.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "core/machine.h"
#include "core/mappers/mapper_factory.h"

namespace qgu::core::testing {

struct ImageSpec {
  int program16k = 1;
  int character8k = 1;
  uint8_t flags6 = 0;  // mirroring, battery, trainer, four-screen, mapper low nibble
  uint8_t flags7 = 0;
};

// An iNES image whose every 8 KB program bank starts with its bank number
// (except bank-relative code placed by the caller) and whose every 1 KB
// character bank is filled with its bank number.
inline std::vector<uint8_t> MakeImage(const ImageSpec& spec) {
  const size_t program = size_t(spec.program16k) * 16384;
  const size_t character = size_t(spec.character8k) * 8192;
  const size_t trainer = (spec.flags6 & 0x04) ? 512 : 0;
  std::vector<uint8_t> image(16 + trainer + program + character, 0);
  const uint8_t header[16] = {'N', 'E', 'S', 0x1A, uint8_t(spec.program16k), uint8_t(spec.character8k),
                              spec.flags6, spec.flags7};
  std::copy(header, header + 16, image.begin());
  uint8_t* prg = image.data() + 16 + trainer;
  for (size_t bank = 0; bank < program / 8192; ++bank) prg[bank * 8192] = uint8_t(bank);
  uint8_t* chr = prg + program;
  for (size_t i = 0; i < character; ++i) chr[i] = uint8_t(i / 1024);
  return image;
}

// Writes `bytes` into a one-bank (16 KB) image where the CPU sees them at
// `address` ($8000-$FFFF, the bank appearing twice).
inline void Place(std::vector<uint8_t>& image, uint16_t address, const std::vector<uint8_t>& bytes) {
  std::copy(bytes.begin(), bytes.end(), image.begin() + 16 + (address & 0x3FFF));
}

// A one-bank NROM image with `code` at $8000 (the reset vector), an NMI
// handler at $9000 and an IRQ handler at $9100 (both NOP, NOP, RTI).
inline std::vector<uint8_t> CodeImage(const std::vector<uint8_t>& code) {
  std::vector<uint8_t> image = MakeImage({1, 1, 0, 0});
  Place(image, 0x8000, code);
  Place(image, 0x9000, {0xEA, 0xEA, 0x40});
  Place(image, 0x9100, {0xEA, 0xEA, 0x40});
  Place(image, 0xFFFA, {0x00, 0x90, 0x00, 0x80, 0x00, 0x91});  // NMI, reset, IRQ
  return image;
}

inline std::unique_ptr<CMachine> MakeMachine(const std::vector<uint8_t>& image, const MachineSettings& settings = {}) {
  return std::make_unique<CMachine>(image, settings, TestProgramMapperFactory());
}

// CPU bus writes in order: {address, data}.
inline void CpuWrites(CMachine& machine, std::initializer_list<std::pair<uint16_t, uint8_t>> writes) {
  for (const auto& [address, data] : writes) machine.CpuWrite(address, data);
}

}  // namespace qgu::core::testing
