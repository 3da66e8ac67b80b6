// The output side: Process, volumes and mute flags, DC removal, the write
// queue's replay at CPU times, and the rate-dependent resynchronisation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "fake_sound_bus.h"

namespace qgu::core {
namespace {

using testing::SoundRig;

int RisingZeroCrossings(const std::vector<int16_t>& samples) {
  int crossings = 0;
  for (size_t i = 1; i < samples.size(); ++i) {
    if (samples[i - 1] < 0 && samples[i] >= 0) ++crossings;
  }
  return crossings;
}

int Peak(const std::vector<int16_t>& samples, size_t from = 0) {
  int peak = 0;
  for (size_t i = from; i < samples.size(); ++i) peak = std::max(peak, std::abs(int{samples[i]}));
  return peak;
}

bool AllSilent8(const std::vector<uint8_t>& samples) {
  return std::all_of(samples.begin(), samples.end(), [](uint8_t b) { return b == 0x80; });
}

TEST(SoundOutput, RectangleToneHasTheExpectedFrequency) {
  for (int period : {253, 126, 1000}) {
    SoundRig rig(44100, 16);
    rig.StartRectangle(period);
    const double expected = 1789772.5 / (16.0 * (period + 1));
    const std::vector<int16_t> second = rig.Render16(44100);
    EXPECT_NEAR(RisingZeroCrossings(second), expected, 2.0) << period;
    EXPECT_GT(Peak(second), 3000);
  }
}

TEST(SoundOutput, DisabledSoundFillsSilenceAndLeavesTheQueue) {
  SoundRig rig(22050, 8);
  rig.bus.settings.soundEnable = false;
  rig.StartRectangle(253);
  EXPECT_TRUE(AllSilent8(rig.Render8(300)));
  rig.bus.settings.samplingBits = 16;
  const std::vector<int16_t> wide = rig.Render16(300);
  EXPECT_TRUE(std::all_of(wide.begin(), wide.end(), [](int16_t s) { return s == 0; }));
  EXPECT_EQ(rig.unit.OutputTime(), 0.0);
  EXPECT_EQ(rig.unit.Synthesis().Rectangle(0).Length(), 0) << "nothing was replayed";
}

TEST(SoundOutput, MuteFlagsSilenceTheirChannelAndSurviveReset) {
  {
    SoundRig rig(22050, 16);  // master: every channel, the held DMC level too
    rig.StartRectangle(253);
    rig.unit.Write(0x4011, 0x7F);
    EXPECT_EQ(rig.unit.ToggleMute(kChannelMaster), 0);
    for (int channel = 1; channel < kChannelFlags; ++channel) EXPECT_EQ(rig.unit.ChannelEnabled(channel), 1) << channel;
    EXPECT_EQ(Peak(rig.Render16(2000)), 0);
    rig.bus.settings.samplingBits = 8;
    EXPECT_TRUE(AllSilent8(rig.Render8(500)));
    EXPECT_EQ(rig.unit.ToggleMute(kChannelMaster), 1);
    rig.bus.settings.samplingBits = 16;
    EXPECT_GT(Peak(rig.Render16(2000)), 3000);
  }
  SoundRig rig(22050, 16);
  rig.StartRectangle(253);
  EXPECT_EQ(rig.unit.ToggleMute(kChannelRectangle1), 0);
  EXPECT_EQ(Peak(rig.Render16(2000)), 0);
  rig.unit.ToggleMute(kChannelRectangle1);
  rig.unit.ToggleMute(kChannelRectangle2);
  EXPECT_GT(Peak(rig.Render16(2000)), 3000) << "only its own channel";

  EXPECT_EQ(rig.unit.ToggleMute(-1), 0);
  EXPECT_EQ(rig.unit.ToggleMute(16), 0);
  EXPECT_EQ(rig.unit.ChannelEnabled(99), 0);
  rig.unit.Reset();
  EXPECT_EQ(rig.unit.ChannelEnabled(kChannelRectangle2), 0);
}

TEST(SoundOutput, ConstantMixDecaysToZero) {
  SoundRig rig(22050, 16);
  rig.unit.Write(0x4011, 0x7F);  // DMC level 63, held
  const std::vector<int16_t> out = rig.Render16(22050);
  EXPECT_GT(Peak(out), 20000) << "the step comes through at first";
  EXPECT_EQ(Peak(out, 22050 / 4), 0) << "and is gone after a quarter second";
  for (size_t i = 20; i < 2000; ++i) EXPECT_LE(out[i], out[i - 1]) << i;
}

TEST(SoundOutput, OddByteCountInSixteenBitModeLeavesNoStaleByte) {
  SoundRig rig(22050, 16);
  std::vector<uint8_t> buffer(7, 0xAA);
  rig.unit.Process(buffer.data(), 7);
  EXPECT_EQ(buffer[6], 0);
}

TEST(SoundOutput, WritesTakeEffectAtTheirCpuTime) {
  SoundRig rig(44100, 16);
  rig.RunCpu(20000);
  rig.StartRectangle(100);  // stamped at cycle 20000
  rig.RunCpu(20000);
  const std::vector<int16_t> out = rig.Render16(1000);
  const double cyclesPerSample = 357368 * 5.0 / 44100;
  const int first = static_cast<int>(20000 / cyclesPerSample);
  EXPECT_EQ(Peak(std::vector<int16_t>(out.begin(), out.begin() + first)), 0);
  EXPECT_GT(Peak(std::vector<int16_t>(out.begin() + first, out.begin() + first + 10)), 3000);
}

TEST(SoundOutput, LengthCounterEndsTheToneThroughQueuedSteps) {
  SoundRig rig(44100, 16);
  // Constant 15, counting length: 10 half frames, 5 sequences of 29828 cycles.
  testing::WriteRegisters(rig.unit, {{0x4017, 0x40}, {0x4015, 0x01}, {0x4000, 0x9F}, {0x4001, 0x08}, {0x4002, 0x80},
                                     {0x4003, 0x00}});
  const double cyclesPerSample = 357368 * 5.0 / 44100;
  std::vector<int16_t> out;
  for (int frame = 0; frame < 8; ++frame) {
    rig.RunCpuInSlices(29781);
    const std::vector<int16_t> part = rig.Render16(735);
    out.insert(out.end(), part.begin(), part.end());
  }
  const int end = static_cast<int>(5 * 4 * 7457 / cyclesPerSample);
  EXPECT_GT(Peak(std::vector<int16_t>(out.begin() + end - 200, out.begin() + end - 2)), 3000);
  // After the cut only the DC filter's tail of a square wave remains.
  EXPECT_LT(Peak(out, end + 400), 200);
}

TEST(SoundOutput, QueueOf4096WritesBetweenProcessCallsIsLost) {
  for (int extra : {4090, 4091}) {
    SoundRig rig(22050, 16);
    rig.StartRectangle(253);  // five writes
    for (int i = 0; i < extra; ++i) rig.unit.Write(0x4002, 0xFD);
    const int writes = 5 + extra;
    const std::vector<int16_t> out = rig.Render16(1000);
    if (writes < 4096) {
      EXPECT_GT(Peak(out), 3000) << writes;
    } else {
      EXPECT_EQ(Peak(out), 0) << writes;
      EXPECT_EQ(rig.unit.Synthesis().Rectangle(0).Length(), 0);
    }
    EXPECT_EQ(rig.unit.Read(0x4015) & 0x01, 0x01) << "the timing copy took every write";
  }
}

TEST(SoundOutput, OutputTimeFollowsTheCpu) {
  SoundRig rig(22050, 16);
  rig.Render16(2000);  // far ahead of a CPU that has not run
  EXPECT_EQ(rig.unit.OutputTime(), 0.0);
  rig.RunCpu(100000);
  rig.Render16(10);  // far behind
  EXPECT_EQ(rig.unit.OutputTime(), 100000.0);
  rig.Render16(100);  // a little ahead is kept
  EXPECT_NEAR(rig.unit.OutputTime(), 100000.0 + 100 * 357368 * 5.0 / 22050, 1e-6);
}

TEST(SoundOutput, ResetCpuCounterAppliesTheWholeQueue) {
  SoundRig rig(22050, 16);
  rig.RunCpu(50000);
  rig.Render16(100);
  const double ahead = rig.unit.OutputTime();
  ASSERT_GT(ahead, 0.0);
  rig.bus.cycles = static_cast<uint32_t>(ahead) + 20000;
  rig.StartRectangle(200);  // stamped well after the next sample's time
  rig.bus.cycles = 10;      // then the CPU counter starts over
  rig.Render16(1);
  EXPECT_EQ(rig.unit.Synthesis().Rectangle(0).Length(), 254);
}

// The CPU's cycle total wraps after hours of play; a write stamped just past
// the wrap is still replayed at its time, neither early nor as if the counter
// had been reset.
TEST(SoundOutput, WritesStampedAcrossTheCycleTotalsWrapPlayAtTheirTime) {
  for (uint32_t nearWrap : {0x7FFFF000u, 0xFFFFF000u}) {
    SoundRig rig(22050, 16);
    rig.bus.cycles = nearWrap;
    rig.Render16(1);  // the output time catches up with the CPU
    rig.bus.cycles = nearWrap + 0x2000;  // past the wrap
    rig.StartRectangle(200);
    rig.Render16(10);  // 10 samples: about 810 cycles, well before the write
    EXPECT_EQ(rig.unit.Synthesis().Rectangle(0).Length(), 0) << std::hex << nearWrap;
    rig.Render16(100);  // past it
    EXPECT_EQ(rig.unit.Synthesis().Rectangle(0).Length(), 254) << std::hex << nearWrap;
  }
}

TEST(SoundOutput, VolumeSettingsScaleEachChannel) {
  auto peakAt = [](int master, int rectangle) {
    SoundRig rig(22050, 16);
    rig.bus.settings.volume[0] = master;
    rig.bus.settings.volume[1] = rectangle;
    rig.StartRectangle(253);
    return Peak(rig.Render16(2000));
  };
  const int full = peakAt(100, 100);
  EXPECT_NEAR(full, 15 * 256 * 240 / 256, 1000);
  EXPECT_NEAR(peakAt(50, 100), full / 2, full / 50);
  EXPECT_NEAR(peakAt(100, 25), full / 4, full / 50);
  EXPECT_EQ(peakAt(0, 100), 0);
  EXPECT_EQ(peakAt(-40, 100), 0) << "negative settings count as 0";
  EXPECT_GE(peakAt(100000, 100000), 32767) << "huge settings clip, never overflow";
}

TEST(SoundOutput, DamagedRateSettingsAreHeldToAUsableRange) {
  for (int rate : {0, -5, 1, 100000000}) {
    SoundRig rig(rate, 16);
    rig.StartRectangle(253);
    EXPECT_GT(Peak(rig.Render16(500)), 3000) << rate;
  }
}

TEST(SoundOutput, ResetEmptiesTheQueueAndSilencesTheChannels) {
  SoundRig rig(22050, 16);
  EXPECT_EQ(rig.unit.Read(0x4000), 0x40) << "other addresses read their high byte";
  rig.StartRectangle(100);
  EXPECT_EQ(rig.unit.Read(0x4015), 0x01);
  rig.unit.Reset();
  EXPECT_EQ(rig.unit.Read(0x4015), 0x00);
  EXPECT_EQ(Peak(rig.Render16(500)), 0);
}

}  // namespace
}  // namespace qgu::core
