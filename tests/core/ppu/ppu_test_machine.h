#pragma once
// A machine around a small made-up MMC3 cartridge, for driving the picture
// unit directly: registers, memory and one line at a time.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/machine.h"
#include "core/memory_map.h"
#include "core/ppu/picture_unit.h"

namespace qgu::core::testing {

enum class Patterns { kRom, kRam };

// Program: INX forever from $E000; the NMI handler at $E100 stores X at $0010.
std::vector<uint8_t> MakeTestImage(Patterns patterns);

class PpuTestMachine {
 public:
  explicit PpuTestMachine(Patterns patterns = Patterns::kRam);

  CMachine& Machine() { return *machine_; }
  CPictureUnit& Ppu() { return machine_->PictureUnit(); }
  CMemoryMap& Memory() { return machine_->Memory(); }

  void Write(uint16_t address, uint8_t data) { Ppu().WriteRegister(address, data); }
  uint8_t Read(uint16_t address) { return Ppu().ReadRegister(address); }
  void SetAddress(uint16_t address);  // through $2006
  void WriteVram(uint16_t address, uint8_t data);
  uint8_t ReadVram(uint16_t address);  // what one $2007 read loads into the buffer

  // Writes straight into the picture unit's address space (no write protection).
  void Poke(uint16_t address, uint8_t data);
  uint8_t Peek(uint16_t address);
  // A tile's row: low and high plane bytes.
  void SetTileRow(uint16_t patternBase, int tile, int row, uint8_t low, uint8_t high);
  void SetSprite(int index, int y, int tile, int attribute, int x);

  // Draws screen line `line` showing background row `row` of the upper-left
  // name table scrolled `scrollX` pixels to the left.
  void DrawLine(int line, int row = 0, int scrollX = 0, bool noSpriteLimit = true, bool clipLeft = true);
  uint8_t Pixel(int line, int x) const { return screen_[line * kRenderLineBytes + kRenderFirstPixel + x]; }
  const uint8_t* Screen() const { return screen_.data(); }

 private:
  std::vector<uint8_t> image_;
  std::unique_ptr<CMachine> machine_;
  std::array<uint8_t, kRenderBufferBytes> screen_{};
};

}  // namespace qgu::core::testing
