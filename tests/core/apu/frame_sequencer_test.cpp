// The timing copy's frame sequencer: step writes to $4018, the frame interrupt
// and the two modes, through Sync as the CPU calls it.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fake_sound_bus.h"

namespace qgu::core {
namespace {

using testing::SoundRig;

constexpr int kStep = CFrameSequencer::kStepCycles;

TEST(SoundFrameSequencer, FourStepModeWritesStepNumbersEvery7457Cycles) {
  SoundRig rig;
  rig.RunCpu(kStep - 1);
  EXPECT_TRUE(rig.bus.portWrites.empty());
  rig.RunCpu(1);
  EXPECT_EQ(rig.bus.portWrites, (std::vector<uint8_t>{0}));
  rig.RunCpuInSlices(5 * kStep);
  EXPECT_EQ(rig.bus.portWrites, (std::vector<uint8_t>{0, 1, 2, 3, 0, 1}));

  SoundRig oneCall;  // one long request takes every step it covers
  oneCall.RunCpu(4 * kStep + 10);
  EXPECT_EQ(oneCall.bus.portWrites, (std::vector<uint8_t>{0, 1, 2, 3}));
  EXPECT_EQ(oneCall.unit.GetFrameSequencer().cycleCount, 10);
}

TEST(SoundFrameSequencer, FrameInterruptAfterTheFourthStep) {
  SoundRig rig;
  rig.unit.Write(0x4017, 0x00);
  rig.RunCpuInSlices(4 * kStep - 1);
  EXPECT_EQ(rig.RunCpu(0), 0);
  EXPECT_NE(rig.RunCpu(1), 0);
  EXPECT_NE(rig.RunCpu(100), 0) << "the flag stays set until $4017 is written";
  EXPECT_EQ(rig.unit.Read(0x4015) & 0x40, 0) << "$4015 does not report it";
  rig.unit.Write(0x4017, 0x00);
  EXPECT_EQ(rig.RunCpu(1), 0);
}

TEST(SoundFrameSequencer, InterruptNeedsBits6And7ClearAndTheGameOption) {
  struct Case {
    uint8_t mode;
    bool option;
    bool interrupt;
  };
  for (const Case& c : {Case{0x00, true, true}, Case{0x40, true, false}, Case{0x80, true, false},
                        Case{0xC0, true, false}, Case{0x00, false, false}}) {
    SoundRig rig;
    rig.bus.frameIrq = c.option;
    rig.unit.Write(0x4017, c.mode);
    rig.RunCpuInSlices(12 * kStep);
    EXPECT_EQ(rig.RunCpu(1) != 0, c.interrupt) << int{c.mode} << " " << c.option;
  }
}

TEST(SoundFrameSequencer, FiveStepModeWritesOneTwoThreeNothingZeroAndA4017WriteKeepsTheSequence) {
  SoundRig rig;
  rig.unit.Write(0x4017, 0x80);
  EXPECT_EQ(rig.bus.portWrites, (std::vector<uint8_t>{0})) << "the mode change itself";
  rig.RunCpuInSlices(5 * kStep + 5000);
  EXPECT_EQ(rig.bus.portWrites, (std::vector<uint8_t>{0, 1, 2, 3, 0}));
  EXPECT_EQ(rig.unit.GetFrameSequencer().fiveStepMode, 1);
  rig.unit.Write(0x4017, 0x00);
  EXPECT_EQ(rig.bus.portWrites.size(), 5u) << "no write for the 4-step mode";
  EXPECT_EQ(rig.unit.GetFrameSequencer().fiveStepMode, 0);
  rig.RunCpuInSlices(kStep - 5000 - 1);
  EXPECT_EQ(rig.bus.portWrites.size(), 5u);
  rig.RunCpu(1);
  EXPECT_EQ(rig.bus.portWrites, (std::vector<uint8_t>{0, 1, 2, 3, 0, 0})) << "on time: the sequence ran on";

  // A write every frame (less than four steps apart) must not hold back the
  // steps: every odd step still clocks the lengths.
  SoundRig everyFrame;
  for (int frame = 0; frame < 60; ++frame) {
    everyFrame.unit.Write(0x4017, 0x40);
    everyFrame.RunCpuInSlices(29781);
  }
  const auto& writes = everyFrame.bus.portWrites;
  EXPECT_EQ(writes.size(), size_t(60 * 29781 / kStep));
  EXPECT_EQ(std::count(writes.begin(), writes.end(), 1) + std::count(writes.begin(), writes.end(), 3),
            std::ptrdiff_t(writes.size() / 2));
}

TEST(SoundFrameSequencer, SnapshotStateRoundTripsAndBadStepsAreRefused) {
  SoundRig rig;
  rig.unit.Write(0x4017, 0x80);
  rig.RunCpuInSlices(2 * kStep + 123);
  const CSoundUnit::FrameSequencerState saved = rig.unit.GetFrameSequencer();
  EXPECT_EQ(saved.last4017, 0x80);
  EXPECT_EQ(saved.step, 2);
  EXPECT_EQ(saved.cycleCount, 123);

  SoundRig other;
  other.unit.SetFrameSequencer(saved);
  other.RunCpu(kStep - 123);
  EXPECT_EQ(other.bus.portWrites, (std::vector<uint8_t>{3}));

  CSoundUnit::FrameSequencerState damaged{0x00, 0xFF, 9, 0, 99999};
  other.unit.SetFrameSequencer(damaged);
  const CSoundUnit::FrameSequencerState taken = other.unit.GetFrameSequencer();
  EXPECT_EQ(taken.step, 0);
  EXPECT_EQ(taken.cycleCount, 0);
  EXPECT_NE(other.RunCpu(0), 0) << "the pending interrupt is restored";
}

}  // namespace
}  // namespace qgu::core
