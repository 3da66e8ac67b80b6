#pragma once
// CCartridge: an in-memory iNES (or NSF) image turned into program and
// character ROM areas and header facts.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace qgu::core {

class CCartridge {
 public:
  // The loader works on a buffer of this size: a 16-byte header and up to 384 KB.
  static constexpr int kImageBufferBytes = 0x60010;
  static constexpr int kTrainerBytes = 512;

  // Throws MachineError for an image it cannot load. Images shorter than the
  // buffer are padded with zeros; bytes past it are ignored.
  explicit CCartridge(std::span<const uint8_t> image);
  virtual ~CCartridge();

  int MapperNumber() const { return mapperNumber_; }
  bool HasBattery() const { return (header_[6] & 0x02) != 0; }
  // The header's trainer bit; only an iNES image carries the trainer bytes, so
  // code that copies them asks CarriesTrainer.
  bool HasTrainer() const { return (header_[6] & 0x04) != 0; }
  bool CarriesTrainer() const { return trainer_.size() == kTrainerBytes; }
  bool IsFourScreen() const { return (header_[6] & 0x08) != 0; }
  bool IsVerticalMirroring() const { return (header_[6] & 0x01) != 0; }
  bool IsSoundFile() const { return soundFile_; }
  const uint8_t* Header() const { return header_.data(); }
  const std::vector<uint8_t>& ProgramRom() const { return programRom_; }
  const std::vector<uint8_t>& CharacterRom() const { return characterRom_; }
  const std::vector<uint8_t>& Trainer() const { return trainer_; }
  // Mutable views for the memory map's page tables.
  uint8_t* ProgramData() { return programRom_.data(); }
  uint8_t* CharacterData() { return characterRom_.empty() ? nullptr : characterRom_.data(); }
  uint32_t ProgramCrc() const { return 0; }  // no checksum is computed

 private:
  void LoadInes(std::span<const uint8_t> buffer);
  void LoadSoundFile(std::span<const uint8_t> buffer);

  std::array<uint8_t, 16> header_{};
  std::array<uint8_t, 128> soundHeader_{};
  std::vector<uint8_t> programRom_;
  std::vector<uint8_t> characterRom_;
  std::vector<uint8_t> trainer_;
  int mapperNumber_ = 0;
  bool soundFile_ = false;
};

}  // namespace qgu::core
