#include "ppu_test_machine.h"

namespace qgu::core::testing {

std::vector<uint8_t> MakeTestImage(Patterns patterns) {
  constexpr size_t kProgramBytes = 32768;
  constexpr size_t kCharacterBytes = 8192;
  const bool rom = patterns == Patterns::kRom;
  std::vector<uint8_t> image = {'N', 'E', 'S', 0x1A, 2, static_cast<uint8_t>(rom ? 1 : 0), 0x40, 0};
  image.resize(16, 0);
  // Every 8 KB bank is the same, so the layout holds whatever bank sits at $E000.
  std::vector<uint8_t> bank(8192, 0xEA);
  for (int i = 0; i < 0x100; ++i) bank[i] = 0xE8;                  // $E000: INX ...
  bank[0x100] = 0x4C, bank[0x101] = 0x00, bank[0x102] = 0xE0;      // JMP $E000
  bank[0x180] = 0x86, bank[0x181] = 0x10;                          // $E180: STX $10
  bank[0x182] = 0x4C, bank[0x183] = 0x82, bank[0x184] = 0xE1;      // JMP $E182
  const uint8_t vectors[6] = {0x80, 0xE1, 0x00, 0xE0, 0x80, 0xE1};  // NMI, reset, IRQ
  std::copy(std::begin(vectors), std::end(vectors), bank.begin() + 0x1FFA);
  for (size_t i = 0; i < kProgramBytes / bank.size(); ++i) image.insert(image.end(), bank.begin(), bank.end());
  if (rom)
    for (size_t i = 0; i < kCharacterBytes; ++i) image.push_back(static_cast<uint8_t>(i * 7 + 3));
  return image;
}

PpuTestMachine::PpuTestMachine(Patterns patterns)
    : image_(MakeTestImage(patterns)), machine_(std::make_unique<CMachine>(image_)) {
  Ppu().SetScreenBuffer(screen_.data());
  Ppu().Reset();
}

void PpuTestMachine::SetAddress(uint16_t address) {
  Write(0x2006, static_cast<uint8_t>(address >> 8));
  Write(0x2006, static_cast<uint8_t>(address));
}

void PpuTestMachine::WriteVram(uint16_t address, uint8_t data) {
  SetAddress(address);
  Write(0x2007, data);
}

uint8_t PpuTestMachine::ReadVram(uint16_t address) {
  SetAddress(address);
  Read(0x2007);  // fills the read buffer from the address
  return Ppu().State().readBuffer;
}

void PpuTestMachine::Poke(uint16_t address, uint8_t data) {
  Memory().ppuPage[(address >> 10) & 15][address & 0x3FF] = data;
}

uint8_t PpuTestMachine::Peek(uint16_t address) { return Memory().ppuPage[(address >> 10) & 15][address & 0x3FF]; }

void PpuTestMachine::SetTileRow(uint16_t patternBase, int tile, int row, uint8_t low, uint8_t high) {
  const uint16_t address = static_cast<uint16_t>(patternBase + tile * 16 + row);
  Poke(address, low);
  Poke(static_cast<uint16_t>(address + 8), high);
}

void PpuTestMachine::SetSprite(int index, int y, int tile, int attribute, int x) {
  uint8_t* sprite = Memory().spriteRam + index * 4;
  Ppu().SpriteRamChanged();
  sprite[0] = static_cast<uint8_t>(y);
  sprite[1] = static_cast<uint8_t>(tile);
  sprite[2] = static_cast<uint8_t>(attribute);
  sprite[3] = static_cast<uint8_t>(x);
}

void PpuTestMachine::DrawLine(int line, int row, int scrollX, bool noSpriteLimit, bool clipLeft) {
  Ppu().State().t = static_cast<uint16_t>(((row & 7) << 12) | ((row >> 3) << 5) | ((scrollX >> 3) & 31));
  Ppu().State().fineX = static_cast<uint8_t>(scrollX & 7);
  Ppu().SetRenderLine(line);
  Ppu().FrameStart();
  Ppu().RenderLine(line, noSpriteLimit, clipLeft);
}

}  // namespace qgu::core::testing
