#pragma once
// CCartridge: an in-memory iNES (or NSF) image turned into program and
// character ROM areas and header facts.

#include <cstdint>
#include <span>
#include <vector>

namespace qgu::core {

class CCartridge {
 public:
  static constexpr int kImageBufferBytes = 0x60010;

  // Throws MachineError for an image it cannot load.
  explicit CCartridge(std::span<const uint8_t> image);
  virtual ~CCartridge();

  int MapperNumber() const;
  bool HasBattery() const;
  bool HasTrainer() const;
  bool IsFourScreen() const;
  bool IsVerticalMirroring() const;
  bool IsSoundFile() const;
  const uint8_t* Header() const;
  const std::vector<uint8_t>& ProgramRom() const;
  const std::vector<uint8_t>& CharacterRom() const;
  const std::vector<uint8_t>& Trainer() const;
  uint32_t ProgramCrc() const { return 0; }  // no checksum is computed

 private:
  // The implementation adds its state here.
};

}  // namespace qgu::core
