// Computer play calling: exact draws with a scripted generator, rates over
// many seeded draws.

#include <gtest/gtest.h>

#include "driver/cartridge_memory.h"
#include "driver/play_calling.h"
#include "test_teams.h"

namespace qgu::driver {
namespace {

using testing::FakeConsoleMemory;
using testing::ScriptedRandom;

constexpr uint16_t kHome = cartmem::kHomePlay;
constexpr uint16_t kAway = cartmem::kAwayPlay;

class PlayCallingTest : public ::testing::Test {
 protected:
  // Home on offence unless told otherwise.
  void Call(IRandomSource& random, int possession = kHomeOnOffense) {
    CallPlays(possession, PlayCallingSides{controls, profiles}, memory, random);
  }
  void Choose(uint8_t home, uint8_t away) {
    memory.bytes[kHome] = home;
    memory.bytes[kAway] = away;
  }
  PlayCallingProfile& Home() { return profiles[0]; }
  PlayCallingProfile& Away() { return profiles[1]; }

  std::array<int, 2> controls{kControlCom, kControlCom};
  std::array<PlayCallingProfile, 2> profiles{};
  FakeConsoleMemory memory;
};

TEST_F(PlayCallingTest, NothingHappensWithoutAComSideOrAKnownPossession) {
  Home().offenseEnabled = 1;
  Home().adaptive = 100;
  for (auto [p1, p2] : {std::pair{kControlMan, kControlCoa}, {kControlCoa, kControlMan}, {kControlMan, kControlMan}}) {
    controls = {p1, p2};
    ScriptedRandom random{};
    Choose(2, 6);
    Call(random, kHomeOnOffense);
    Call(random, kAwayOnOffense);
    EXPECT_EQ(memory.writes, 0);
    EXPECT_EQ(random.overdrawn, 0) << "no draws";
  }
  controls = {kControlCom, kControlCom};
  ScriptedRandom random{};
  Call(random, kPossessionUnknown);
  EXPECT_EQ(memory.writes, 0);
  EXPECT_EQ(random.overdrawn, 0);
  EXPECT_EQ(Home().playTotal, 0);
}

TEST_F(PlayCallingTest, OffenceDrawsSlotThenRunOrPass) {
  controls = {kControlCom, kControlMan};
  Home().offenseEnabled = 1;
  Home().pass = 50;
  Choose(0, 0x80);
  ScriptedRandom pass{6, 149};  // slot 6 % 4 = 2, roll 149 % 100 = 49 < 50
  Call(pass);
  EXPECT_EQ(memory.bytes[kHome], 6);
  Choose(0, 0x80);
  ScriptedRandom run{3, 50};
  Call(run);
  EXPECT_EQ(memory.bytes[kHome], 3);
  EXPECT_EQ(run.Remaining(), 0u);
  EXPECT_EQ(run.overdrawn, 0) << "a human defence without the same play draws nothing more";
}

TEST_F(PlayCallingTest, AwayOffenceUsesTheAwayByteAndProfile) {
  controls = {kControlMan, kControlCom};
  Away().offenseEnabled = 1;
  Away().pass = 100;
  Choose(0x80, 1);
  ScriptedRandom random{1, 99};
  Call(random, kAwayOnOffense);
  EXPECT_EQ(memory.bytes[kAway], 5);
  EXPECT_EQ(memory.bytes[kHome], 0x80);
  EXPECT_EQ(Away().playCounts[5], 1);
  EXPECT_EQ(Home().playTotal, 0);
}

TEST_F(PlayCallingTest, OffenceDodgesAHumanDefenceThatGuessedItsPlay) {
  controls = {kControlCom, kControlCoa};
  Home().offenseEnabled = 1;
  Home().pass = 100;
  Choose(0, 7);
  ScriptedRandom dodge{3, 0, 49};
  Call(dodge);
  EXPECT_EQ(memory.bytes[kHome], 0) << "7 wraps to 0";
  Choose(0, 7);
  ScriptedRandom stay{3, 0, 50};
  Call(stay);
  EXPECT_EQ(memory.bytes[kHome], 7);
}

TEST_F(PlayCallingTest, DodgeRateIsAboutHalf) {
  controls = {kControlCom, kControlMan};
  Home().offenseEnabled = 1;
  Home().pass = 100;
  CSeededRandom random(2024);
  int sameAsDefence = 0;
  int switched = 0;
  for (int i = 0; i < 8000; ++i) {
    Choose(0, 4);
    Call(random);
    const uint8_t play = memory.bytes[kHome];
    ASSERT_TRUE(play >= 4 && play <= 7) << int(play);
    // Plays 4 and 5 can both come from a draw of slot 0 (5 only by dodging).
    if (play == 4) ++sameAsDefence;
    if (play == 5) ++switched;
  }
  // Slot 0 in a quarter of the plays; half of those dodge to 5, which slot 1 also gives.
  EXPECT_NEAR(sameAsDefence / 8000.0, 0.125, 0.02);
  EXPECT_NEAR(switched / 8000.0, 0.375, 0.02);
}

TEST_F(PlayCallingTest, PassPercentageBoundsTheOffence) {
  controls = {kControlCom, kControlMan};
  Home().offenseEnabled = 1;
  CSeededRandom random(7);
  for (int pass : {100, 0, 30}) {
    Home().pass = static_cast<int16_t>(pass);
    int passes = 0;
    constexpr int kPlays = 5000;
    for (int i = 0; i < kPlays; ++i) {
      Choose(2, 0x80);
      Call(random);
      passes += memory.bytes[kHome] >= 4;
      ASSERT_LT(memory.bytes[kHome], 8);
    }
    const double expected = pass / 100.0;
    // 100 and 0 are exact; anything between lands near its share.
    EXPECT_NEAR(passes / double(kPlays), expected, pass % 100 == 0 ? 0.0 : 0.025) << pass;
  }
}

TEST_F(PlayCallingTest, DisabledOffenceKeepsItsChoiceButIsCountedAndStillDefended) {
  Home().offenseEnabled = 0;
  Home().pass = 100;
  Away().adaptive = 0;
  Away().jailbreak = 0;
  Choose(2, 0);
  ScriptedRandom random{77, 13};  // defence: roll 77 -> random branch, 13 % 8 = 5
  Call(random);
  EXPECT_EQ(memory.bytes[kHome], 2);
  EXPECT_EQ(memory.bytes[kAway], 5);
  EXPECT_EQ(Home().playCounts[2], 1);
  EXPECT_EQ(Home().playTotal, 1);
  EXPECT_EQ(random.overdrawn, 0);
}

TEST_F(PlayCallingTest, NoChoiceYetIsNeitherOverriddenNorCounted) {
  Home().offenseEnabled = 1;
  Choose(0x80, 0x80);
  ScriptedRandom random{0, 3};  // defence: random branch, guesses 3
  Call(random);
  EXPECT_EQ(memory.bytes[kHome], 0x80);
  EXPECT_EQ(memory.bytes[kAway], 3);
  EXPECT_EQ(Home().playTotal, 0);
}

TEST_F(PlayCallingTest, JailbreakReadsEveryPassAndRunsAtItsRate) {
  controls = {kControlMan, kControlCom};
  Away().jailbreak = 100;
  Away().jailbreakPass = 100;
  Away().jailbreakRun = 40;
  CSeededRandom random(99);
  int runsRead = 0;
  constexpr int kPlays = 5000;
  for (int i = 0; i < kPlays; ++i) {
    const uint8_t pass = static_cast<uint8_t>(4 + i % 4);
    Choose(pass, 0x80);
    Call(random);
    ASSERT_EQ(memory.bytes[kAway], pass);
    const uint8_t run = static_cast<uint8_t>(i % 4);
    Choose(run, 0x80);
    Call(random);
    runsRead += memory.bytes[kAway] == run;
  }
  EXPECT_NEAR(runsRead / double(kPlays), 0.40, 0.025);
}

TEST_F(PlayCallingTest, JailbreakMissLeavesTheDefenceAlone) {
  controls = {kControlMan, kControlCom};
  Away().adaptive = 10;
  Away().jailbreak = 20;
  Away().jailbreakRun = 40;
  Choose(1, 6);
  ScriptedRandom miss{25, 40};  // 10 <= 25 < 30: read; 40 is not below 40
  Call(miss);
  EXPECT_EQ(memory.bytes[kAway], 6);
  ScriptedRandom hit{29, 39};
  Call(hit);
  EXPECT_EQ(memory.bytes[kAway], 1);
  ScriptedRandom random{30, 12};  // past both: random below 8
  Call(random);
  EXPECT_EQ(memory.bytes[kAway], 4);
}

TEST_F(PlayCallingTest, AdaptiveDefenceGuessesFromTheOffencesHistory) {
  controls = {kControlCom, kControlCom};
  Home().offenseEnabled = 0;  // the cartridge's own choice, always play 2
  Away().adaptive = 100;
  Choose(2, 0);
  ScriptedRandom first{0, 0, 5};  // no history yet: nothing changes
  Call(first);
  EXPECT_EQ(memory.bytes[kAway], 0);
  EXPECT_EQ(first.Remaining(), 1u);
  CSeededRandom random(5);
  for (int i = 0; i < 500; ++i) {
    Choose(2, 0);
    Call(random);
    ASSERT_EQ(memory.bytes[kAway], 2);
  }
  EXPECT_EQ(Home().playTotal, 501);
}

TEST_F(PlayCallingTest, HistoryGuessFollowsTheRunningSum) {
  Home().offenseEnabled = 0;
  Away().adaptive = 100;
  Home().playCounts = {1, 0, 0, 2, 0, 0, 0, 0};  // sums 33, 33, 33, 99
  Home().playTotal = 3;
  const std::pair<uint32_t, uint8_t> expected[] = {{0, 0}, {32, 0}, {33, 3}, {98, 3}};
  for (auto [roll, guess] : expected) {
    Choose(0x80, 7);
    ScriptedRandom random{0, roll};
    Call(random);
    EXPECT_EQ(memory.bytes[kAway], guess) << roll;
  }
  Choose(0x80, 7);
  ScriptedRandom beyond{0, 99};  // truncation leaves 99 without a play
  Call(beyond);
  EXPECT_EQ(memory.bytes[kAway], 7);
}

TEST_F(PlayCallingTest, AdaptiveDefenceAgainstAHumanOffenceHasNoHistory) {
  controls = {kControlMan, kControlCom};
  Away().adaptive = 100;
  Home().playCounts[4] = 3;  // not kept for a human offence, ignored if present
  Home().playTotal = 3;
  Choose(4, 1);
  ScriptedRandom random{0, 0};
  Call(random);
  EXPECT_EQ(memory.bytes[kAway], 1);
  EXPECT_EQ(random.Remaining(), 0u) << "the guess is still drawn";
  EXPECT_EQ(Home().playTotal, 3) << "no history for a human offence";
}

}  // namespace
}  // namespace qgu::driver
