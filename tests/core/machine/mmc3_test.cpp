// The MMC3 board: banking, mirroring and the scanline counter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "core/cpu/cpu.h"
#include "core/mappers/mapper_mmc3.h"
#include "core/ppu/picture_unit.h"
#include "tests/core/machine/test_images.h"

namespace qgu::core {
namespace {

using testing::CpuWrites;
using testing::MakeImage;
using testing::MakeMachine;

constexpr uint8_t kMmc3 = 0x40;

CMapperMmc3& Mmc3(CMachine& machine) { return static_cast<CMapperMmc3&>(machine.Mapper()); }

TEST(Mmc3Banking, ResetMapsFirstBanksAndTheLastTwoFixed) {
  auto machine = MakeMachine(MakeImage({4, 1, kMmc3, 0}));  // eight 8 KB banks
  EXPECT_EQ(machine->PeekByte(0x8000), 0);
  EXPECT_EQ(machine->PeekByte(0xA000), 1);
  EXPECT_EQ(machine->PeekByte(0xC000), 6);
  EXPECT_EQ(machine->PeekByte(0xE000), 7);
  CpuWrites(*machine, {{0x8000, 0x46}, {0x8001, 3}});  // swap mode, prg0 = 3
  EXPECT_EQ(machine->PeekByte(0x8000), 6);
  EXPECT_EQ(machine->PeekByte(0xC000), 3);
  EXPECT_EQ(machine->PeekByte(0xE000), 7);
}

TEST(Mmc3Banking, ProgramBankNumbersWrapByTheRomSize) {
  auto machine = MakeMachine(MakeImage({2, 1, kMmc3, 0}));  // four 8 KB banks
  CpuWrites(*machine, {{0x8000, 6}, {0x8001, 5}, {0x8000, 7}, {0x8001, 0xFE}});
  EXPECT_EQ(machine->PeekByte(0x8000), 1);
  EXPECT_EQ(machine->PeekByte(0xA000), 2);
  EXPECT_EQ(machine->Memory().cpuPageNumber[4], 1);
}

TEST(Mmc3Banking, CharacterBanksAndTheirSwap) {
  auto machine = MakeMachine(MakeImage({2, 2, kMmc3, 0}));  // sixteen 1 KB banks
  CpuWrites(*machine, {{0x8000, 0}, {0x8001, 5}, {0x8000, 2}, {0x8001, 9}});  // 2 KB bank 5: low bit dropped
  const CMemoryMap& m = machine->Memory();
  EXPECT_EQ(m.ppuPage[0][0], 4);
  EXPECT_EQ(m.ppuPage[1][0], 5);
  EXPECT_EQ(m.ppuPage[4][0], 9);
  machine->CpuWrite(0x8000, 0x80);
  EXPECT_EQ(m.ppuPage[4][0], 4);
  EXPECT_EQ(m.ppuPage[5][0], 5);
  EXPECT_EQ(m.ppuPage[0][0], 9);
}

TEST(Mmc3Banking, WithoutCharacterRomPagesMapCharacterRam) {
  auto machine = MakeMachine(MakeImage({2, 0, kMmc3, 0}));
  const CMemoryMap& m = machine->Memory();
  for (int page = 0; page < 8; ++page) EXPECT_EQ(m.ppuPageType[page], kPpuCharacterRam);
  CpuWrites(*machine, {{0x8000, 2}, {0x8001, 13}});
  EXPECT_EQ(m.ppuPageNumber[4], 13 & 7);
}

TEST(Mmc3Mirroring, A000SwitchesUnlessFourScreen) {
  auto machine = MakeMachine(MakeImage({2, 1, kMmc3, 0}));
  const CMemoryMap& m = machine->Memory();
  machine->CpuWrite(0xA000, 0);
  EXPECT_EQ(m.ppuPageNumber[9], 1);  // vertical: 0 1 0 1
  EXPECT_EQ(m.ppuPageNumber[10], 0);
  machine->CpuWrite(0xA000, 1);
  EXPECT_EQ(m.ppuPageNumber[9], 0);  // horizontal: 0 0 1 1
  EXPECT_EQ(m.ppuPageNumber[10], 1);

  auto fourScreen = MakeMachine(MakeImage({2, 1, kMmc3 | 0x08, 0}));
  fourScreen->CpuWrite(0xA000, 1);
  for (int page = 0; page < 4; ++page) EXPECT_EQ(fourScreen->Memory().ppuPageNumber[8 + page], page);
}

TEST(Mmc3Counter, FrozenWhileRenderingIsOff) {
  auto machine = MakeMachine(MakeImage({2, 1, kMmc3, 0}));
  CpuWrites(*machine, {{0xC000, 5}, {0xC001, 0}});
  machine->PictureUnit().State().registers[1] = 0;
  for (int line = 0; line < 240; ++line) machine->Mapper().LineStart(line);
  EXPECT_EQ(Mmc3(*machine).Irq().counter, 0x80);
  EXPECT_EQ(Mmc3(*machine).Irq().preset, 0xFF);
}

TEST(Mmc3Counter, ReloadWrittenInVerticalBlankTakesEffectAtTheFirstVisibleLine) {
  auto machine = MakeMachine(MakeImage({2, 1, kMmc3, 0}));
  machine->RunFrame(false);  // the current scanline is now past 240
  ASSERT_GE(machine->CurrentScanline(), 240);
  CpuWrites(*machine, {{0xC000, 10}, {0xC001, 0}});
  EXPECT_EQ(Mmc3(*machine).Irq().presetAtVblank, 0xFF);
  machine->PictureUnit().State().registers[1] = 0x18;
  machine->Mapper().LineStart(241);  // not a visible line
  EXPECT_EQ(Mmc3(*machine).Irq().presetAtVblank, 0xFF);
  machine->Mapper().LineStart(0);
  EXPECT_EQ(Mmc3(*machine).Irq().presetAtVblank, 0);
  EXPECT_EQ(Mmc3(*machine).Irq().counter, 9) << "reloaded, then clocked by the same line";
}

TEST(Mmc3Counter, ReachingZeroRequestsTheIrqUntilAcknowledged) {
  // In the fixed last bank: CLI, then spin; the IRQ handler at $E100 starts with a NOP.
  auto image = MakeImage({2, 1, kMmc3, 0});
  uint8_t* last = image.data() + 16 + 3 * 8192;
  const uint8_t code[] = {0x58, 0x4C, 0x01, 0xE0}, vectors[] = {0x00, 0xE0, 0x00, 0xE1};  // reset, IRQ
  std::copy(code, code + 4, last);
  std::copy(vectors, vectors + 4, last + 0x1FFC);
  last[0x100] = 0xEA;
  auto machine = MakeMachine(image);
  CCpu& cpu = machine->Cpu();
  cpu.Execute(2);  // CLI
  machine->PictureUnit().State().registers[1] = 0x08;
  CpuWrites(*machine, {{0xC000, 2}, {0xC001, 0}, {0xE001, 0}});
  machine->Mapper().LineStart(0);  // reload to 2
  machine->Mapper().LineStart(1);  // 1
  EXPECT_EQ(Mmc3(*machine).Irq().request, 0);
  machine->Mapper().LineStart(2);  // 0: request
  EXPECT_EQ(Mmc3(*machine).Irq().request, 0xFF);
  cpu.Execute(10);
  EXPECT_EQ(cpu.GetRegisters().pc, 0xE101) << "IRQ taken through CpuClock";
  machine->CpuWrite(0xE000, 0);
  EXPECT_EQ(Mmc3(*machine).Irq().request, 0);
}

TEST(Mmc3State, SaveAndLoadRoundTrip) {
  auto machine = MakeMachine(MakeImage({2, 1, kMmc3, 0}));
  CpuWrites(*machine, {{0x8000, 0x47}, {0x8001, 3}, {0xC000, 33}});
  uint8_t state[256] = {};
  machine->Mapper().SaveState(state);
  EXPECT_EQ(state[0], 0x47);
  EXPECT_EQ(state[9], 3);  // prg1
  EXPECT_EQ(state[18], 33);
  EXPECT_EQ(state[22], 0) << "22 bytes, the rest untouched";
  auto other = MakeMachine(MakeImage({2, 1, kMmc3, 0}));
  other->Mapper().LoadState(state);
  uint8_t again[256] = {};
  other->Mapper().SaveState(again);
  EXPECT_EQ(std::memcmp(state, again, 256), 0);
}

}  // namespace
}  // namespace qgu::core
