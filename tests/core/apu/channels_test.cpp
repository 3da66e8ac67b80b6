// Register effects and frame-sequencer steps of the five channels, driven
// through the register map as the write queue replays them.
#include <gtest/gtest.h>

#include <utility>

#include "core/apu/channel_parts.h"
#include "core/apu/sound_channels.h"
#include "fake_sound_bus.h"

namespace qgu::core {
namespace {

using testing::FakeSoundBus;
using testing::WriteRegisters;

// Fresh channels on a fake bus.
class SoundChannels : public ::testing::Test {
 protected:
  int Level(int cycles, int channel) { return channels.Sample(CyclesToPhase(cycles), bus, true)[channel]; }

  FakeSoundBus bus;
  CSoundChannels channels;
};

void Step(CSoundChannels& channels, int value) {
  channels.Write(0x4018, static_cast<uint8_t>(value));
}
void HalfFrames(CSoundChannels& channels, int count) {
  for (int i = 0; i < count; ++i) Step(channels, 1);
}

TEST(SoundLengthCounter, LengthRegisterIndexesTheTableInEveryChannel) {
  for (const auto& [index, length] : {std::pair{0, 10}, std::pair{1, 254}, std::pair{14, 26}, std::pair{31, 30}}) {
    CSoundChannels channels;
    channels.Write(0x4015, 0x0F);
    const uint8_t data = static_cast<uint8_t>(index << 3 | 0x07);  // the period bits do not count
    for (uint16_t address : {0x4003, 0x4007, 0x400B, 0x400F}) channels.Write(address, data);
    EXPECT_EQ(channels.Rectangle(0).Length(), length) << index;
    EXPECT_EQ(channels.Rectangle(1).Length(), length) << index;
    EXPECT_EQ(channels.Triangle().Length(), length) << index;
    EXPECT_EQ(channels.Noise().Length(), length) << index;
  }
}

TEST_F(SoundChannels, LengthCounterCountsDownOnOddStepsUnlessHaltedAndClearsTheStatusBit) {
  // Index 3 (2 half frames) everywhere; rectangle 2 and noise halted by their loop flag.
  WriteRegisters(channels, {{0x4015, 0x0F}, {0x4000, 0x00}, {0x4003, 0x18}, {0x4004, 0x20}, {0x4007, 0x18},
                            {0x400C, 0x20}, {0x400F, 0x18}});
  EXPECT_EQ(channels.Status(), 0x0B);
  Step(channels, 0);
  Step(channels, 2);
  EXPECT_EQ(channels.Rectangle(0).Length(), 2) << "even steps leave the length alone";
  HalfFrames(channels, 1);
  EXPECT_EQ(channels.Status(), 0x0B);
  HalfFrames(channels, 1);
  EXPECT_EQ(channels.Status(), 0x0A);
  HalfFrames(channels, 10);
  EXPECT_EQ(channels.Rectangle(0).Length(), 0);
  EXPECT_EQ(channels.Rectangle(1).Length(), 2);
  EXPECT_EQ(channels.Noise().Length(), 2);
  channels.Write(0x4004, 0x00);  // release the halt
  HalfFrames(channels, 2);
  EXPECT_EQ(channels.Status() & 0x02, 0);
}

TEST_F(SoundChannels, StatusDisablingClearsAndBlocksTheChannel) {
  WriteRegisters(channels, {{0x4015, 0x1F}, {0x4003, 0x08}, {0x4007, 0x08}, {0x4008, 0x7F}, {0x400B, 0x08},
                            {0x400F, 0x08}, {0x4013, 0x10}, {0x4015, 0x1F}});
  EXPECT_TRUE(channels.Dmc().Playing());
  EXPECT_EQ(channels.Status(), 0x0F) << "the DMC and the upper bits read 0";

  channels.Write(0x4015, 0x0A);  // rectangle 1 and triangle off
  EXPECT_EQ(channels.Status(), 0x0A);
  EXPECT_EQ(channels.Rectangle(0).Length(), 0);
  EXPECT_EQ(channels.Triangle().Length(), 0);
  EXPECT_EQ(channels.Triangle().LinearCounter(), 0);

  // A length write while the $4015 bit is clear loads the counter but does
  // not enable the channel.
  channels.Write(0x4003, 0x08);
  EXPECT_EQ(channels.Rectangle(0).Length(), 254);
  EXPECT_EQ(channels.Status() & 0x01, 0);
  channels.Write(0x4015, 0x0B);
  EXPECT_EQ(channels.Status() & 0x01, 0) << "setting the bit alone does not start it";
  channels.Write(0x4003, 0x08);
  EXPECT_EQ(channels.Status() & 0x01, 0x01);
}

TEST_F(SoundChannels, TriangleLinearCounterLoadsCountsAndGovernsWithControlSet) {
  WriteRegisters(channels, {{0x4015, 0x04}, {0x4008, 0x05}, {0x400B, 0x08}});  // control clear, linear 5
  EXPECT_EQ(channels.Triangle().LinearCounter(), 5);
  EXPECT_EQ(channels.Triangle().Length(), 254);
  for (int i = 0; i < 4; ++i) Step(channels, 0);
  EXPECT_EQ(channels.Triangle().LinearCounter(), 1);
  EXPECT_EQ(channels.Triangle().Length(), 254) << "even steps leave the length alone";
  Step(channels, 1);
  EXPECT_EQ(channels.Triangle().LinearCounter(), 0);
  EXPECT_EQ(channels.Triangle().Length(), 253);

  // Control set: neither counter moves; the linear counter answers $4015.
  WriteRegisters(channels, {{0x4008, 0x85}, {0x400B, 0x08}});
  HalfFrames(channels, 20);
  EXPECT_EQ(channels.Triangle().Length(), 254);
  EXPECT_EQ(channels.Triangle().LinearCounter(), 5);
  EXPECT_EQ(channels.Status(), 0x04);
  channels.Write(0x4008, 0x80);  // bits 0-6 clear: linear counter cleared
  EXPECT_EQ(channels.Triangle().LinearCounter(), 0);
  EXPECT_EQ(channels.Status(), 0x00);
}

TEST(SoundEnvelope, DecaysFromFifteenAndLoops) {
  CEnvelope envelope;
  const auto clock = [&envelope](int times) {
    for (int i = 0; i < times; ++i) envelope.Clock();
    return envelope.Amplitude();
  };
  envelope.Write(0x02);  // period 2 + 1
  envelope.Restart();
  EXPECT_EQ(envelope.Amplitude(), 15 * 256);
  EXPECT_EQ(clock(3), 15 * 256) << "the first drop waits period + 1 steps";
  EXPECT_EQ(clock(1), 14 * 256);
  EXPECT_EQ(clock(3), 13 * 256);
  EXPECT_EQ(clock(100), 0) << "without loop it stays at 0";
  envelope.Write(0x22);  // loop
  EXPECT_EQ(clock(3), 15 * 256);
  envelope.Write(0x17);  // constant volume 7
  EXPECT_EQ(envelope.Amplitude(), 7 * 256);
}

TEST_F(SoundChannels, SweepNegateSubtractsOneMoreOnRectangleOne) {
  channels.Write(0x4015, 0x03);
  for (uint16_t base : {0x4000, 0x4004}) {
    // Enabled, period 1, negate, shift 1; period 0x100.
    WriteRegisters(channels, {{base + 1, 0x89}, {base + 2, 0x00}, {base + 3, 0x09}});
  }
  Step(channels, 0);
  EXPECT_EQ(channels.Rectangle(0).Period(), 0x100) << "even steps do not sweep";
  Step(channels, 1);
  EXPECT_EQ(channels.Rectangle(0).Period(), 0x100 - 0x80 - 1);
  EXPECT_EQ(channels.Rectangle(1).Period(), 0x100 - 0x80);
}

TEST_F(SoundChannels, UpwardSweepStopsAtElevenBits) {
  // Enabled, period 1, shift 1, upward; period 0x500, length halted.
  WriteRegisters(channels, {{0x4015, 0x01}, {0x4001, 0x81}, {0x4002, 0x00}, {0x4003, 0x0D}, {0x4000, 0x3F}});
  Step(channels, 1);
  EXPECT_EQ(channels.Rectangle(0).Period(), 0x780);
  HalfFrames(channels, 50);
  EXPECT_EQ(channels.Rectangle(0).Period(), 0x780);
}

TEST_F(SoundChannels, RectangleSilentBelowPeriodEightAndAboveTheSweepLimit) {
  WriteRegisters(channels, {{0x4015, 0x01}, {0x4000, 0xBF}, {0x4001, 0x00}});  // shift 0: limit 1023
  struct Case {
    testing::RegisterWrites writes;
    int level;  // -1: sounding, some level
  };
  for (const Case& c : {Case{{{0x4002, 0x07}, {0x4003, 0x08}}, 0}, Case{{{0x4002, 0x08}}, 15 * 256},
                        Case{{{0x4002, 0xFF}, {0x4003, 0x0B}}, -1},  // 0x3FF: still inside
                        Case{{{0x4002, 0x00}, {0x4003, 0x0C}}, 0},   // 0x400
                        Case{{{0x4001, 0x08}}, -1}}) {               // negate lifts the limit
    WriteRegisters(channels, c.writes);
    const int level = Level(3, 0);
    if (c.level < 0) {
      EXPECT_NE(level, 0) << channels.Rectangle(0).Period();
    } else {
      EXPECT_EQ(level, c.level) << channels.Rectangle(0).Period();
    }
  }
}

TEST(SoundRectangle, DutyAveragesOverALongSample) {
  FakeSoundBus bus;
  const int amplitude = 15 * 256;
  for (const auto& [duty, high] : {std::pair{0, 2}, std::pair{1, 4}, std::pair{2, 8}, std::pair{3, 12}}) {
    CSoundChannels channels;
    WriteRegisters(channels, {{0x4015, 0x01}, {0x4000, static_cast<uint8_t>(duty << 6 | 0x3F)}, {0x4001, 0x08},
                              {0x4002, 0x08}, {0x4003, 0x08}});
    // One whole sequence of 16 steps of 9 cycles in one sample.
    EXPECT_EQ(channels.Sample(CyclesToPhase(16 * 9), bus, true)[0], (high - (16 - high)) * amplitude / 16) << duty;
  }
}

TEST(SoundNoise, ShiftRegisterRunsItsFullLengthAndTheShortModeAndAveragesToHalf) {
  CNoise noise;
  noise.Write(0, 0x3F, true);
  noise.Write(2, 0x00, true);  // period 4
  noise.Write(3, 0x08, true);
  // From 0x4000 the first 14 outputs are 0, so the channel sounds throughout.
  EXPECT_EQ(noise.ShiftRegister(), CNoise::kInitialShiftRegister);
  EXPECT_EQ(noise.Sample(CyclesToPhase(4 * 10)), 15 * 256);
  const auto period = [&noise] {
    const uint16_t start = noise.ShiftRegister();
    int steps = 0;
    do {
      noise.Sample(CyclesToPhase(4));
      ++steps;
    } while (noise.ShiftRegister() != start && steps < 40000);
    return steps;
  };
  EXPECT_EQ(period(), 32767);
  long sum = 0;
  for (int i = 0; i < 4000; ++i) sum += noise.Sample(CyclesToPhase(4 * 8));
  EXPECT_NEAR(static_cast<double>(sum) / 4000 / (15 * 256), 0.5, 0.02) << "the plain mean of its steps";

  noise.Write(2, 0x80, true);
  EXPECT_LE(period(), 93);
  noise.Disable();
  EXPECT_EQ(noise.Sample(CyclesToPhase(40)), 0);
}

TEST_F(SoundChannels, DmcPlaysOneByteLowestBitFirstAndStops) {
  bus.memory[0xC040] = 0x0F;  // four ones, then four zeros
  // Rate 54; d = 16 (level -32); one byte from $C040.
  WriteRegisters(channels, {{0x4010, 0x0F}, {0x4011, 0x20}, {0x4012, 0x01}, {0x4013, 0x00}, {0x4015, 0x10}});
  EXPECT_TRUE(channels.Dmc().Playing());
  channels.Sample(CyclesToPhase(54 * 4), bus, true);
  EXPECT_EQ(channels.Dmc().Counter(), 20);
  channels.Sample(CyclesToPhase(54 * 10), bus, true);
  EXPECT_EQ(channels.Dmc().Counter(), 16);
  EXPECT_FALSE(channels.Dmc().Playing());
  EXPECT_EQ(bus.reads, (std::vector<uint16_t>{0xC040}));
}

TEST_F(SoundChannels, DmcLoopsAndWrapsFromTheTopOfMemory) {
  // Loop, rate 54; 65 bytes from $FFC0: $FFC0-$FFFF, then $8000.
  WriteRegisters(channels, {{0x4010, 0x4F}, {0x4012, 0xFF}, {0x4013, 0x04}, {0x4015, 0x10}});
  for (int i = 0; i < 66 * 8; ++i) channels.Sample(CyclesToPhase(54), bus, true);
  ASSERT_EQ(bus.reads.size(), 66u);
  EXPECT_EQ(bus.reads[63], 0xFFFF);
  EXPECT_EQ(bus.reads[64], 0x8000);
  EXPECT_EQ(bus.reads[65], 0xFFC0) << "the loop starts over";
  EXPECT_TRUE(channels.Dmc().Playing());
  channels.Write(0x4015, 0x00);
  EXPECT_FALSE(channels.Dmc().Playing());
  EXPECT_EQ(channels.Dmc().BitCount(), 0);
}

TEST_F(SoundChannels, DmcCounterStaysInRangeAndOutputIsSlewLimited) {
  bus.memory.fill(0xFF);
  WriteRegisters(channels, {{0x4010, 0x4F}, {0x4011, 0x7C}, {0x4015, 0x10}});  // d = 62
  int previous = -64 * 256;  // at rest
  for (int i = 0; i < 40; ++i) {
    const int level = Level(54 * 4, 4);
    EXPECT_LE(std::abs(level - previous), 8 * 256);
    previous = level;
  }
  EXPECT_EQ(channels.Dmc().Counter(), 63);
  EXPECT_EQ(previous, (2 * 63 - 64) * 256);

  bus.memory.fill(0x00);
  WriteRegisters(channels, {{0x4015, 0x00}, {0x4015, 0x10}});
  for (int i = 0; i < 100; ++i) channels.Sample(CyclesToPhase(54 * 4), bus, true);
  EXPECT_EQ(channels.Dmc().Counter(), 1) << "a zero bit stops at 1";
}

// Triangle at its loudest, period 0x40: each of its steps lasts 0x41 cycles.
void StartTriangle(CSoundChannels& channels) {
  WriteRegisters(channels, {{0x4015, 0x04}, {0x4008, 0x7F}, {0x400A, 0x40}, {0x400B, 0x08}});
}

TEST(SoundDmc, LoudLevelQuietensTriangleAndNoise) {
  FakeSoundBus bus;
  auto triangleLevel = [&](uint8_t dmc, bool effect) {
    CSoundChannels channels;
    channels.Write(0x4011, dmc);
    StartTriangle(channels);
    // Steps 0-15 rise: after 8 steps the value is 8 x 512.
    channels.Sample(CyclesToPhase(8 * 0x41), bus, effect);
    return channels.Sample(CyclesToPhase(1), bus, effect)[2];
  };
  EXPECT_EQ(triangleLevel(0x00, true), 8 * 512);
  EXPECT_EQ(triangleLevel(0x7E, true), 8 * 512 * 130 / 256);
  EXPECT_EQ(triangleLevel(0x7F, true), 8 * 512 * 129 / 256);
  EXPECT_EQ(triangleLevel(0x7F, false), 8 * 512);
}

TEST_F(SoundChannels, TriangleHoldsItsLastValueWhenHalted) {
  StartTriangle(channels);
  channels.Sample(CyclesToPhase(5 * 0x41), bus, true);
  const int held = Level(1, 2);
  EXPECT_EQ(held, 5 * 512);
  channels.Write(0x400A, 0x05);  // ultrasonic
  EXPECT_EQ(Level(1000, 2), held);
  WriteRegisters(channels, {{0x400A, 0x40}, {0x4015, 0x00}});
  EXPECT_EQ(Level(1000, 2), held);
}

}  // namespace
}  // namespace qgu::core
