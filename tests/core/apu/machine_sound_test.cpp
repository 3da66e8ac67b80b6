// The sound unit inside a real machine: small programs write the registers
// from 6502 code, and the output is measured as the sound output would take it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "core/apu/sound_unit.h"
#include "core/machine.h"
#include "tests/core/machine/test_images.h"
#include "tests/support/test_rom_runner.h"

namespace qgu::core {
namespace {

using testing::CodeImage;
using testing::Place;

constexpr int kRate = 44100;
constexpr int kSamplesPerFrame = kRate / 60;

// After SEI, LDA #value; STA address for each pair, then JMP to itself: code for $8000.
std::vector<uint8_t> StoreProgram(std::initializer_list<std::pair<uint16_t, uint8_t>> stores) {
  std::vector<uint8_t> code = {0x78};
  for (const auto& [address, value] : stores) {
    code.insert(code.end(), {0xA9, value, 0x8D, static_cast<uint8_t>(address & 0xFF),
                             static_cast<uint8_t>(address >> 8)});
  }
  const uint16_t loop = static_cast<uint16_t>(0x8000 + code.size());
  code.insert(code.end(), {0x4C, static_cast<uint8_t>(loop & 0xFF), static_cast<uint8_t>(loop >> 8)});
  return code;
}

MachineSettings SixteenBit() {
  MachineSettings settings;
  settings.samplingRate = kRate;
  settings.samplingBits = 16;
  return settings;
}

// Runs frames, taking one frame's worth of samples after each as the host does.
std::vector<int16_t> RunAndListen(testsupport::CTestRomRunner& rom, int frames) {
  std::vector<int16_t> all;
  std::vector<int16_t> block(kSamplesPerFrame);
  for (int f = 0; f < frames; ++f) {
    rom.RunFrames(1, false);
    rom.Machine().SoundUnit().Process(reinterpret_cast<uint8_t*>(block.data()),
                                      static_cast<int>(block.size() * 2));
    all.insert(all.end(), block.begin(), block.end());
  }
  return all;
}

int RisingZeroCrossings(const std::vector<int16_t>& samples, size_t from, size_t count) {
  int crossings = 0;
  for (size_t i = from + 1; i < from + count && i < samples.size(); ++i) {
    if (samples[i - 1] < 0 && samples[i] >= 0) ++crossings;
  }
  return crossings;
}

TEST(MachineSound, ProgramPlaysARectangleToneAtItsPitch) {
  const std::vector<uint8_t> image = CodeImage(StoreProgram(
      {{0x4017, 0x40}, {0x4015, 0x0F}, {0x4000, 0xBF}, {0x4001, 0x08}, {0x4002, 0xFD}, {0x4003, 0x08}}));
  testsupport::CTestRomRunner rom(image, SixteenBit());
  const std::vector<int16_t> sound = RunAndListen(rom, 70);
  EXPECT_EQ(rom.Machine().SoundUnit().Read(0x4015), 0x01);
  // One second of output from the fifth frame on: 1789772.5 / (16 x 254) Hz.
  EXPECT_NEAR(RisingZeroCrossings(sound, 4 * kSamplesPerFrame, kRate), 440.4, 2.0);
}

TEST(MachineSound, DmcPlaysSampleBytesFromProgramMemory) {
  std::vector<uint8_t> image = CodeImage(StoreProgram(
      {{0x4017, 0x40}, {0x4010, 0x4F}, {0x4011, 0x40}, {0x4012, 0x80}, {0x4013, 0xFF}, {0x4015, 0x10}}));
  // From $E000, four bytes of ones then four of zeros: a 64-bit cycle, 54 cycles a bit.
  std::vector<uint8_t> sample(0x1000);
  for (size_t i = 0; i < sample.size(); ++i) sample[i] = (i & 4) == 0 ? 0xFF : 0x00;
  Place(image, 0xE000, sample);
  testsupport::CTestRomRunner rom(image, SixteenBit());
  const std::vector<int16_t> sound = RunAndListen(rom, 40);
  EXPECT_TRUE(rom.Machine().SoundUnit().Synthesis().Dmc().Playing());
  EXPECT_NEAR(RisingZeroCrossings(sound, 4 * kSamplesPerFrame, kRate / 2), 1789772.5 / (64 * 54) / 2,
              3.0);
}

TEST(MachineSound, FrameInterruptReachesTheCpuOncePerSequence) {
  // Main: LDA #$00; STA $4017; CLI; JMP *.
  std::vector<uint8_t> image = CodeImage({0xA9, 0x00, 0x8D, 0x17, 0x40, 0x58, 0x4C, 0x06, 0x80});
  // IRQ handler: INC $10; LDA #$00; STA $4017 (acknowledge); RTI.
  Place(image, 0x9100, {0xE6, 0x10, 0xA9, 0x00, 0x8D, 0x17, 0x40, 0x40});
  testsupport::CTestRomRunner rom(image);
  rom.RunFrames(60, false);
  // 60 frames are 1786840 CPU cycles; a sequence is 4 x 7457 plus the handler.
  EXPECT_NEAR(rom.Peek(0x10), 1786840 / (4 * 7457), 1);
}

}  // namespace
}  // namespace qgu::core
