// Computer play calling: exact draws with a scripted generator, rates over
// many seeded draws.

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "driver/cartridge_memory.h"
#include "driver/play_calling.h"
#include "test_teams.h"

namespace qgu::driver {
namespace {

using testing::FakeConsoleMemory;
using testing::ScriptedRandom;

constexpr uint16_t kHome = cartmem::kHomePlay;
constexpr uint16_t kAway = cartmem::kAwayPlay;
constexpr int kMan = kControlMan;
constexpr int kCoa = kControlCoa;
constexpr int kCom = kControlCom;
constexpr int kNone = -1;

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

  std::array<int, 2> controls{kCom, kCom};
  std::array<PlayCallingProfile, 2> profiles{};
  FakeConsoleMemory memory;
};

TEST_F(PlayCallingTest, NothingHappensWithoutAComSideOrAKnownPossession) {
  Home().offenseEnabled = 1;
  Home().adaptive = 100;
  for (auto [p1, p2, possession] : {std::tuple{kMan, kCoa, kHomeOnOffense}, {kCoa, kMan, kAwayOnOffense},
                                    {kMan, kMan, kHomeOnOffense}, {kCom, kCom, kPossessionUnknown}}) {
    controls = {p1, p2};
    ScriptedRandom random{};
    Choose(2, 6);
    Call(random, possession);
    EXPECT_EQ(memory.writes, 0);
    EXPECT_EQ(random.overdrawn, 0) << "no draws";
  }
  EXPECT_EQ(Home().playTotal, 0);
}

// One call with a scripted generator: the bytes it leaves and the play it adds
// to the offence's history.
struct ScriptedCall {
  const char* what;
  std::array<int, 2> controls;
  int possession;
  PlayCallingProfile home;
  PlayCallingProfile away;
  std::array<uint8_t, 2> chosen;  // home, away before the call
  std::vector<uint32_t> draws;    // all of them are used
  std::array<uint8_t, 2> after;
  int counted;  // the offence's history gains this play; kNone for no change
};

const PlayCallingProfile kPassing{.offenseEnabled = 1, .pass = 100};
const PlayCallingProfile kHistory{.playCounts = {1, 0, 0, 2, 0, 0, 0, 0}, .playTotal = 3};  // sums 33, 33, 33, 99
const PlayCallingProfile kAdaptive{.adaptive = 100};
const PlayCallingProfile kReader{.adaptive = 10, .jailbreak = 20, .jailbreakRun = 40};

const ScriptedCall kScriptedCalls[] = {
    // Offence: slot 6 % 4 = 2, roll 149 % 100 = 49 < 50 passes; a human defence
    // without the same play draws nothing more.
    {"pass", {kCom, kMan}, kHomeOnOffense, {.offenseEnabled = 1}, {}, {0, 0x80}, {6, 149}, {6, 0x80}, 6},
    {"run", {kCom, kMan}, kHomeOnOffense, {.offenseEnabled = 1}, {}, {0, 0x80}, {3, 50}, {3, 0x80}, 3},
    {"away offence", {kMan, kCom}, kAwayOnOffense, {}, kPassing, {0x80, 1}, {1, 99}, {0x80, 5}, 5},
    // A human defence that guessed the play: the offence dodges on a roll below 50, 7 wrapping to 0.
    {"dodge", {kCom, kCoa}, kHomeOnOffense, kPassing, {}, {0, 7}, {3, 0, 49}, {0, 7}, 0},
    {"no dodge", {kCom, kCoa}, kHomeOnOffense, kPassing, {}, {0, 7}, {3, 0, 50}, {7, 7}, 7},
    // A disabled offence keeps its choice but is counted and still defended:
    // roll 77 takes the random branch, 13 % 8 = 5.
    {"disabled offence", {kCom, kCom}, kHomeOnOffense, {.pass = 100}, {}, {2, 0}, {77, 13}, {2, 5}, 2},
    {"no choice yet", {kCom, kCom}, kHomeOnOffense, {.offenseEnabled = 1}, {}, {0x80, 0x80}, {0, 3}, {0x80, 3}, kNone},
    // Jailbreak between adaptive 10 and 10 + 20: the run is read below 40.
    {"jailbreak miss", {kMan, kCom}, kHomeOnOffense, {}, kReader, {1, 6}, {25, 40}, {1, 6}, kNone},
    {"jailbreak hit", {kMan, kCom}, kHomeOnOffense, {}, kReader, {1, 6}, {29, 39}, {1, 1}, kNone},
    {"past both", {kMan, kCom}, kHomeOnOffense, {}, kReader, {1, 6}, {30, 12}, {1, 4}, kNone},
    // Adaptive: the guess follows the running sum of the history's shares.
    {"no history yet", {kCom, kCom}, kHomeOnOffense, {}, kAdaptive, {2, 0}, {0, 0}, {2, 0}, 2},
    {"history 0", {kCom, kCom}, kHomeOnOffense, kHistory, kAdaptive, {0x80, 7}, {0, 0}, {0x80, 0}, kNone},
    {"history 32", {kCom, kCom}, kHomeOnOffense, kHistory, kAdaptive, {0x80, 7}, {0, 32}, {0x80, 0}, kNone},
    {"history 33", {kCom, kCom}, kHomeOnOffense, kHistory, kAdaptive, {0x80, 7}, {0, 33}, {0x80, 3}, kNone},
    {"history 98", {kCom, kCom}, kHomeOnOffense, kHistory, kAdaptive, {0x80, 7}, {0, 98}, {0x80, 3}, kNone},
    {"truncation leaves 99 without a play", {kCom, kCom}, kHomeOnOffense, kHistory, kAdaptive, {0x80, 7}, {0, 99},
     {0x80, 7}, kNone},
    // A human offence keeps no history, and any present is ignored; the guess is still drawn.
    {"human offence", {kMan, kCom}, kHomeOnOffense, kHistory, kAdaptive, {4, 1}, {0, 0}, {4, 1}, kNone},
};

TEST_F(PlayCallingTest, ScriptedDrawsGiveExactlyTheseChoices) {
  for (const ScriptedCall& c : kScriptedCalls) {
    SCOPED_TRACE(c.what);
    controls = c.controls;
    profiles = {c.home, c.away};
    Choose(c.chosen[0], c.chosen[1]);
    ScriptedRandom random(c.draws);
    Call(random, c.possession);
    EXPECT_EQ(memory.bytes[kHome], c.after[0]);
    EXPECT_EQ(memory.bytes[kAway], c.after[1]);
    EXPECT_EQ(random.Remaining(), 0u);
    EXPECT_EQ(random.overdrawn, 0);

    const bool homeOffence = c.possession == kHomeOnOffense;
    PlayCallingProfile offence = homeOffence ? c.home : c.away;
    if (c.counted != kNone) {
      ++offence.playCounts[static_cast<size_t>(c.counted)];
      ++offence.playTotal;
    }
    const PlayCallingProfile& actual = homeOffence ? Home() : Away();
    EXPECT_EQ(actual.playCounts, offence.playCounts);
    EXPECT_EQ(actual.playTotal, offence.playTotal);
    EXPECT_EQ((homeOffence ? Away() : Home()).playTotal, (homeOffence ? c.away : c.home).playTotal);
  }
}

TEST_F(PlayCallingTest, DodgeRateIsAboutHalf) {
  controls = {kCom, kMan};
  Home() = kPassing;
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
  controls = {kCom, kMan};
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
    // 100 and 0 are exact; anything between lands near its share.
    EXPECT_NEAR(passes / double(kPlays), pass / 100.0, pass % 100 == 0 ? 0.0 : 0.025) << pass;
  }
}

TEST_F(PlayCallingTest, JailbreakReadsEveryPassAndRunsAtItsRate) {
  controls = {kMan, kCom};
  Away() = {.jailbreak = 100, .jailbreakPass = 100, .jailbreakRun = 40};
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

TEST_F(PlayCallingTest, AdaptiveDefenceLearnsTheOffencesHabit) {
  Away() = kAdaptive;  // the offence keeps the cartridge's own choice, always play 2
  CSeededRandom random(5);
  for (int i = 0; i < 500; ++i) {
    Choose(2, 0);
    Call(random);
    ASSERT_EQ(memory.bytes[kAway], i == 0 ? 0 : 2) << "no history before the first play";
  }
  EXPECT_EQ(Home().playTotal, 500);
}

}  // namespace
}  // namespace qgu::driver
