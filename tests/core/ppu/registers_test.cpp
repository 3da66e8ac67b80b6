// Registers, latches, palette memory and the scroll steps between lines.
#include <gtest/gtest.h>

#include <utility>

#include "core/cpu/cpu.h"
#include "ppu_test_machine.h"

namespace qgu::core::testing {
namespace {

class PictureRegistersTest : public ::testing::Test {
 protected:
  PpuTestMachine nes_;
  CMemoryMap& memory_ = nes_.Memory();
  PictureUnitState& ppu_ = nes_.Ppu().State();
};

TEST_F(PictureRegistersTest, ResetStateAndBlackScreen) {
  ppu_.registers[0] = 0x90;
  ppu_.v = 0x1234;
  ppu_.toggle = 1;
  nes_.Ppu().Reset();
  EXPECT_EQ(ppu_.registers[0], 0);
  EXPECT_EQ(ppu_.v, 0);
  EXPECT_EQ(ppu_.toggle, 0);
  EXPECT_EQ(ppu_.readBuffer, 0xFF);
  for (size_t i = 0; i < kRenderBufferBytes; ++i) ASSERT_EQ(nes_.Screen()[i], 0x3F) << i;
}

TEST_F(PictureRegistersTest, StatusReadClearsVerticalBlankAndToggleButKeepsHit) {
  nes_.Ppu().VBlankStart();
  ppu_.registers[2] |= 0x60;
  nes_.Write(0x2005, 0x10);  // first write flips the toggle
  ASSERT_EQ(ppu_.toggle, 1);
  EXPECT_EQ(nes_.Read(0x2002), 0xE0);
  EXPECT_EQ(ppu_.toggle, 0);
  EXPECT_EQ(ppu_.registers[2], 0x60);
  EXPECT_EQ(nes_.Read(0x2002), 0x60);
  nes_.Write(0x2002, 0xFF);  // read-only
  EXPECT_EQ(ppu_.registers[2], 0x60);
  nes_.Ppu().VBlankStart();
  nes_.Ppu().VBlankEnd();
  EXPECT_EQ(ppu_.registers[2] & 0xC0, 0) << "the end of vertical blank clears the flag and the hit";
}

TEST_F(PictureRegistersTest, ScrollAndAddressWritesFillTheLatches) {
  nes_.Write(0x2000, 0x03);
  EXPECT_EQ(ppu_.t, 0x0C00);
  nes_.Write(0x2005, 0x7D);  // coarse x 15, fine x 5
  nes_.Write(0x2005, 0x5E);  // coarse y 11, fine y 6
  EXPECT_EQ(ppu_.fineX, 5);
  EXPECT_EQ(ppu_.t, 0x6000 | 0x0C00 | (11 << 5) | 15);
  EXPECT_EQ(ppu_.v, 0) << "v moves only on the second $2006 write";
  nes_.Write(0x2006, 0xFF);  // top bits cut to six
  EXPECT_EQ(ppu_.t & 0xFF00, 0x3F00);
  nes_.Write(0x2006, 0x21);
  EXPECT_EQ(ppu_.v, 0x3F21);
  EXPECT_EQ(ppu_.toggle, 0);
}

TEST_F(PictureRegistersTest, SpriteMemoryPortsStepTheAddress) {
  nes_.Write(0x2003, 0xFF);
  nes_.Write(0x2004, 0x11);
  nes_.Write(0x2004, 0x22);  // wraps to 0
  EXPECT_EQ(memory_.spriteRam[0xFF], 0x11);
  EXPECT_EQ(memory_.spriteRam[0x00], 0x22);
  nes_.Write(0x2003, 0xFF);
  EXPECT_EQ(nes_.Read(0x2004), 0x11);
  EXPECT_EQ(nes_.Read(0x2004), 0x22);
}

TEST_F(PictureRegistersTest, DataPortStepsByOneOrThirtyTwo) {
  nes_.SetAddress(0x2400);
  nes_.Read(0x2007);
  nes_.Write(0x2007, 0);
  EXPECT_EQ(ppu_.v, 0x2402);
  nes_.Write(0x2000, 0x04);  // step 32
  nes_.Read(0x2007);
  nes_.Write(0x2007, 0);
  EXPECT_EQ(ppu_.v, 0x2442);
}

TEST_F(PictureRegistersTest, HighNameTableAddressesMirrorDown) {
  nes_.WriteVram(0x3123, 0x77);
  EXPECT_EQ(nes_.Peek(0x2123), 0x77);
  nes_.Poke(0x2ABC, 0x66);
  EXPECT_EQ(nes_.ReadVram(0x3ABC), 0x66);
}

TEST_F(PictureRegistersTest, PaletteWritesFollowTheBackdropRules) {
  nes_.WriteVram(0x3F10, 0x21);
  EXPECT_EQ(memory_.backgroundPalette[0], 0x21) << "$3F10 is the backdrop too";
  EXPECT_EQ(memory_.spritePalette[0], 0x21);
  nes_.WriteVram(0x3F00, 0x0F);
  EXPECT_EQ(memory_.spritePalette[0], 0x0F);

  nes_.WriteVram(0x3F04, 0x30);
  EXPECT_EQ(memory_.backgroundPalette[4], 0x0F) << "overwritten by entry 0";
  for (int group : {4, 8, 12}) EXPECT_EQ(memory_.backgroundPalette[group], 0x0F);
  for (int group : {0, 4, 8, 12}) EXPECT_EQ(memory_.spritePalette[group], 0x0F);

  nes_.WriteVram(0x3F15, 0xFF);  // six bits kept
  EXPECT_EQ(memory_.spritePalette[5], 0x3F);
  EXPECT_EQ(memory_.backgroundPalette[5], 0x00);
  nes_.WriteVram(0x3F05, 0x12);
  EXPECT_EQ(memory_.backgroundPalette[5], 0x12);
  EXPECT_EQ(memory_.spritePalette[5], 0x3F);
}

TEST(PicturePatternMemoryTest, CharacterRomIsWriteProtectedCharacterRamIsNot) {
  PpuTestMachine rom(Patterns::kRom);
  const uint8_t before = rom.Peek(0x0123);
  rom.WriteVram(0x0123, static_cast<uint8_t>(before ^ 0xFF));
  EXPECT_EQ(rom.Peek(0x0123), before);
  EXPECT_EQ(rom.Ppu().State().v, 0x0124) << "the address still steps";
  rom.WriteVram(0x2345, 0x5A);
  EXPECT_EQ(rom.Peek(0x2345), 0x5A) << "name tables stay writable";

  PpuTestMachine ram(Patterns::kRam);
  ram.WriteVram(0x1FFF, 0xC3);
  EXPECT_EQ(ram.Peek(0x1FFF), 0xC3);
  EXPECT_EQ(ram.ReadVram(0x1FFF), 0xC3);
}

// The test cartridge counts X up with INX; its NMI handler stores X at $0010.
class PictureNmiTest : public PictureRegistersTest {
 protected:
  uint8_t RunAndReadCapturedX() {
    nes_.Machine().Cpu().Execute(40);
    return memory_.workRam[0x10];
  }
};

TEST_F(PictureNmiTest, EnablingDuringVerticalBlankRaisesNmiAfterOneInstruction) {
  nes_.Write(0x2000, 0x80);
  EXPECT_EQ(RunAndReadCapturedX(), 0) << "outside vertical blank";
  nes_.Ppu().VBlankStart();
  nes_.Write(0x2000, 0x84);
  EXPECT_EQ(RunAndReadCapturedX(), 0) << "bit 7 was already set";
  nes_.Write(0x2000, 0x00);
  const uint8_t before = nes_.Machine().Cpu().GetRegisters().x;
  nes_.Write(0x2000, 0x80);
  EXPECT_EQ(ppu_.registers[0], 0x80);
  const uint8_t x = nes_.Machine().Cpu().GetRegisters().x;
  EXPECT_EQ(x, static_cast<uint8_t>(before + 1)) << "the write runs one more instruction";
  EXPECT_EQ(RunAndReadCapturedX(), x) << "and the NMI comes right after it";
}

class PictureLineStepTest : public PictureRegistersTest {
 protected:
  void SetUp() override { nes_.Write(0x2001, 0x08); }
  uint16_t StepFrom(uint16_t v) {
    ppu_.v = v;
    nes_.Ppu().LineNext();
    return ppu_.v;
  }
};

TEST_F(PictureLineStepTest, FineYStepsThenCoarseYAndRowTwentyNineSwitchesNameTables) {
  // Rows 30 and 31 (the last two) do not switch.
  const std::pair<uint16_t, uint16_t> steps[] = {
      {0x0000, 0x1000},           {0x6C2A, 0x7C2A},      {0x7000 | (5 << 5) | 3, (6 << 5) | 3},
      {0x7000 | (29 << 5) | 7, 0x0800 | 7},              {0x7800 | (29 << 5), 0x0000},
      {0x7000 | (30 << 5), 31 << 5}, {0x7400 | (31 << 5) | 9, 0x0400 | 9}};
  for (const auto& [from, to] : steps) EXPECT_EQ(StepFrom(from), to) << std::hex << from;
}

TEST_F(PictureLineStepTest, LineStartCopiesHorizontalBitsAndFrameStartAll) {
  ppu_.t = 0x7FFF;
  ppu_.v = 0x0000;
  nes_.Ppu().LineStart();
  EXPECT_EQ(ppu_.v, 0x041F);
  nes_.Ppu().FrameStart();
  EXPECT_EQ(ppu_.v, 0x7FFF);
}

TEST_F(PictureLineStepTest, RenderingOffLeavesVAlone) {
  nes_.Write(0x2001, 0x00);
  ppu_.t = 0x7FFF;
  ppu_.v = 0x1234;
  nes_.Ppu().FrameStart();
  nes_.Ppu().LineStart();
  nes_.Ppu().LineNext();
  EXPECT_EQ(ppu_.v, 0x1234);
  EXPECT_EQ(nes_.Ppu().IsRenderingOn(), 0);
  nes_.Write(0x2001, 0x1E);
  EXPECT_EQ(nes_.Ppu().IsRenderingOn(), 0x18);
}

}  // namespace
}  // namespace qgu::core::testing
