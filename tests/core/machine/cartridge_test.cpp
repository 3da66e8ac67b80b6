// Loading cartridge images: sizes, refusals, trainer, the buffer limit.
#include <gtest/gtest.h>

#include <cstring>

#include "core/cartridge.h"
#include "core/machine.h"
#include "tests/core/machine/test_images.h"

namespace qgu::core {
namespace {

using testing::ImageSpec;
using testing::MakeImage;

TEST(Cartridge, HeaderFactsAndMapperNumber) {
  CCartridge cartridge(MakeImage({2, 1, 0x4B, 0x10}));
  EXPECT_EQ(cartridge.MapperNumber(), 0x14);
  EXPECT_TRUE(cartridge.IsVerticalMirroring());
  EXPECT_TRUE(cartridge.HasBattery());
  EXPECT_TRUE(cartridge.IsFourScreen());
  EXPECT_FALSE(cartridge.IsSoundFile());
  EXPECT_EQ(cartridge.ProgramRom().size(), 32768u);
  EXPECT_EQ(cartridge.CharacterRom().size(), 8192u);
  EXPECT_EQ(cartridge.ProgramCrc(), 0u);
}

TEST(Cartridge, RefusesWhatItCannotLoad) {
  EXPECT_THROW(CCartridge(std::vector<uint8_t>{}), MachineError);
  EXPECT_THROW(CCartridge(std::vector<uint8_t>(64, 0x55)), MachineError) << "no header";
  EXPECT_THROW(CCartridge(MakeImage({0, 1, 0, 0})), MachineError) << "no program ROM";
  auto tooBig = MakeImage({1, 1, 0, 0});
  tooBig[4] = 24;  // 384 KB of program plus character ROM
  EXPECT_THROW((CCartridge(tooBig)), MachineError);
  auto programPastBuffer = MakeImage({1, 0, 0x04, 0});
  programPastBuffer[4] = 24;  // 384 KB after a trainer runs past the buffer
  EXPECT_THROW((CCartridge(programPastBuffer)), MachineError);
}

TEST(Cartridge, CharacterRomIsCutAtTheEndOfTheBuffer) {
  // Trainer + 128 KB program + 256 KB character = 16 + 512 bytes past the buffer's end.
  std::vector<uint8_t> image = MakeImage({8, 32, 0x04, 0});
  ASSERT_EQ(image.size(), size_t(CCartridge::kImageBufferBytes) + 512);
  std::memset(image.data() + image.size() - 1024, 0x77, 1024);
  CCartridge cartridge(image);
  const auto& chr = cartridge.CharacterRom();
  ASSERT_EQ(chr.size(), 256u * 1024);
  EXPECT_EQ(chr[chr.size() - 1024], 0x77) << "inside the buffer";
  EXPECT_EQ(chr[chr.size() - 513], 0x77);
  EXPECT_EQ(chr[chr.size() - 512], 0x00) << "past the buffer: cut";
  EXPECT_EQ(chr.back(), 0x00);
}

TEST(Cartridge, ShortImagesArePadded) {
  std::vector<uint8_t> image = MakeImage({1, 1, 0x04, 0});
  image.resize(16 + 512 + 100);  // the file ends early, after the trainer
  CCartridge cartridge(image);
  EXPECT_EQ(cartridge.Trainer().size(), 512u);
  EXPECT_EQ(cartridge.ProgramRom().size(), 16384u);
  EXPECT_EQ(cartridge.ProgramRom()[200], 0);
}

TEST(Cartridge, SoundFileKeepsItsProgramArea) {
  std::vector<uint8_t> image(128 + 4, 0);
  std::memcpy(image.data(), "NESM\x1A", 5);
  image[128] = 0x11;
  image[131] = 0x44;
  CCartridge cartridge(image);
  EXPECT_TRUE(cartridge.IsSoundFile());
  EXPECT_EQ(cartridge.ProgramRom().size(), 0x60000u);
  EXPECT_EQ(cartridge.ProgramRom()[0], 0x11);
  EXPECT_EQ(cartridge.ProgramRom()[3], 0x44);
}

// A sound file's byte 6 is not an iNES flag byte: its trainer bit must not make
// the machine copy trainer bytes the image never had.
TEST(Cartridge, TrainerIsCopiedOnlyWhereTheImageCarriesOne) {
  std::vector<uint8_t> soundFile(128 + 16, 0);
  std::memcpy(soundFile.data(), "NESM\x1A", 5);
  soundFile[6] = 0x44;  // trainer bit, and mapper 4 so that a machine is built
  ASSERT_FALSE(CCartridge(soundFile).CarriesTrainer());
  CMachine soundMachine(soundFile);
  EXPECT_EQ(soundMachine.Memory().cartridgeRam[0x1000], 0xFF) << "nothing copied";
  soundMachine.HardwareReset();
  EXPECT_TRUE(CCartridge(MakeImage({1, 1, 0x44, 0})).CarriesTrainer());
}

}  // namespace
}  // namespace qgu::core
