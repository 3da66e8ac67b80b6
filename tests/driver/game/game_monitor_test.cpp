// The in-game monitor, poll by poll on a plain memory: who has the ball, one
// play call per play, the quarter-length override and the end of the game.

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "driver/cartridge_memory.h"
#include "driver/game_monitor.h"
#include "driver/play_calling.h"
#include "tests/driver/preparation/test_teams.h"

namespace qgu::driver {
namespace {

using namespace cartmem;
using testing::FakeConsoleMemory;

class GameMonitorTest : public ::testing::Test {
 protected:
  CGameMonitor Monitor(int minutes) {
    return CGameMonitor(minutes, [this](int side, IConsoleMemory&) { calls.push_back(side); });
  }
  void Set(uint16_t address, uint8_t value) { memory.bytes[address] = value; }
  void Clock(uint8_t quarter, uint8_t minutes, uint8_t seconds) {
    Set(kQuarter, quarter);
    Set(kClockMinutes, minutes);
    Set(kClockSeconds, seconds);
  }
  void Totals(uint8_t home, uint8_t away) {
    Set(kHomeTotalScore, home);
    Set(kAwayTotalScore, away);
  }
  void BothChoosing() {
    Set(kHomePlay, kNoPlayChosen);
    Set(kAwayPlay, kNoPlayChosen);
  }
  void BothChosen(uint8_t home, uint8_t away) {
    Set(kHomePlay, home);
    Set(kAwayPlay, away);
  }

  FakeConsoleMemory memory;
  std::vector<int> calls;
};

class PossessionTest : public GameMonitorTest,
                       public ::testing::WithParamInterface<std::tuple<uint8_t, uint8_t, int>> {};

TEST_P(PossessionTest, StateBytesTellWhoHasTheBall) {
  const auto [home, away, side] = GetParam();
  CGameMonitor monitor = Monitor(5);
  Set(kHomeState, home);
  Set(kAwayState, away);
  monitor.Poll(memory);
  EXPECT_EQ(monitor.PossessionSide(), side);
}

INSTANTIATE_TEST_SUITE_P(
    StateBytes, PossessionTest,
    ::testing::Values(std::tuple<uint8_t, uint8_t, int>{0x00, 0x0B, kHomeOnOffense},  // away kicks off
                      std::tuple<uint8_t, uint8_t, int>{0x80, 0x16, kHomeOnOffense},
                      std::tuple<uint8_t, uint8_t, int>{0x19, 0x17, kHomeOnOffense},
                      std::tuple<uint8_t, uint8_t, int>{0x0B, 0x00, kAwayOnOffense},
                      std::tuple<uint8_t, uint8_t, int>{0x16, 0x80, kAwayOnOffense},
                      std::tuple<uint8_t, uint8_t, int>{0x17, 0x19, kAwayOnOffense},
                      std::tuple<uint8_t, uint8_t, int>{0x00, 0x00, kPossessionUnknown},
                      std::tuple<uint8_t, uint8_t, int>{0x80, 0x17, kPossessionUnknown}));

TEST_F(GameMonitorTest, PossessionKeepsItsValueBetweenPlays) {
  CGameMonitor monitor = Monitor(5);
  Set(kHomeState, 0x16);
  Set(kAwayState, 0x80);
  monitor.Poll(memory);
  Set(kHomeState, 0);
  Set(kAwayState, 0);
  monitor.Poll(memory);
  EXPECT_EQ(monitor.PossessionSide(), kAwayOnOffense);
}

TEST_F(GameMonitorTest, PlaysAreCalledOnceAfterBothSidesHaveChosen) {
  CGameMonitor monitor = Monitor(5);
  monitor.Poll(memory);  // nobody choosing yet: not armed
  EXPECT_TRUE(calls.empty());

  Set(kHomeState, 0x80);
  Set(kAwayState, 0x16);
  BothChoosing();
  monitor.Poll(memory);
  Set(kAwayPlay, 2);  // one side has chosen: still waiting
  monitor.Poll(memory);
  EXPECT_TRUE(calls.empty());
  BothChosen(5, 2);
  monitor.Poll(memory);
  monitor.Poll(memory);
  monitor.Poll(memory);
  EXPECT_EQ(calls, std::vector<int>{kHomeOnOffense});

  BothChoosing();  // the next play
  monitor.Poll(memory);
  BothChosen(1, 1);
  monitor.Poll(memory);
  EXPECT_EQ(calls, (std::vector<int>{kHomeOnOffense, kHomeOnOffense}));
}

TEST_F(GameMonitorTest, PlayCallingChangesNothingWhilePossessionIsUnknown) {
  std::array<PlayCallingProfile, 2> profiles{};
  profiles[0].offenseEnabled = profiles[1].offenseEnabled = 1;
  testing::ScriptedRandom random({});
  CGameMonitor monitor(5, [&](int side, IConsoleMemory& m) {
    calls.push_back(side);
    CallPlays(side, PlayCallingSides{{kControlCom, kControlCom}, profiles}, m, random);
  });
  BothChoosing();
  monitor.Poll(memory);
  BothChosen(3, 6);
  const int writesBefore = memory.writes;
  monitor.Poll(memory);
  EXPECT_EQ(calls, std::vector<int>{kPossessionUnknown});
  EXPECT_EQ(memory.writes, writesBefore);
  EXPECT_EQ(random.overdrawn, 0);
  EXPECT_EQ(profiles[0].playTotal + profiles[1].playTotal, 0);
}

TEST_F(GameMonitorTest, FiveMinuteQuartersNeverTouchTheClock) {
  CGameMonitor monitor = Monitor(5);
  for (uint8_t minutes : {0x05, 0x04, 0x00, 0x05, 0x02}) {
    Clock(0, minutes, 0);
    monitor.Poll(memory);
  }
  EXPECT_EQ(memory.writes, 0);
}

TEST_F(GameMonitorTest, ThreeMinutesReArmsAtOnce) {
  CGameMonitor monitor = Monitor(3);
  Clock(0, 0x05, 0x00);
  monitor.Poll(memory);
  // No poll saw the clock below 5:00 other than the one that wrote it; the
  // next 5 is still overwritten.
  Clock(1, 0x05, 0x00);
  monitor.Poll(memory);
  EXPECT_EQ(memory.bytes[kClockMinutes], 0x03);
  EXPECT_EQ(memory.writes, 2);
}

TEST_F(GameMonitorTest, LongQuartersAreWrittenInBcdAndNotRewrittenOnTheWayDown) {
  CGameMonitor monitor = Monitor(10);
  Clock(0, 0x05, 0x00);
  monitor.Poll(memory);
  EXPECT_EQ(memory.bytes[kClockMinutes], 0x10);
  for (uint8_t minutes : {0x09, 0x06, 0x05}) {  // passing 5:59 ... 5:00 in the same period
    Clock(0, minutes, 0x30);
    monitor.Poll(memory);
    EXPECT_EQ(memory.bytes[kClockMinutes], minutes);
  }
  EXPECT_EQ(memory.writes, 1);
  Clock(0, 0x04, 0x59);  // below five: the next period's start is overwritten again
  monitor.Poll(memory);
  Clock(1, 0x05, 0x00);
  monitor.Poll(memory);
  EXPECT_EQ(memory.bytes[kClockMinutes], 0x10);

  CGameMonitor twelve = Monitor(12);
  Clock(2, 0x05, 0x00);
  twelve.Poll(memory);
  EXPECT_EQ(memory.bytes[kClockMinutes], 0x12);
}

TEST_F(GameMonitorTest, FourthQuarterRunningOutWithUnequalScoresEndsTheGame) {
  CGameMonitor monitor = Monitor(5);
  Totals(0x14, 0x07);
  Clock(2, 0x00, 0x00);  // third quarter runs out: nothing is tested
  EXPECT_FALSE(monitor.Poll(memory));
  Clock(3, 0x05, 0x00);  // the fourth quarter's flag is set at its start
  EXPECT_FALSE(monitor.Poll(memory));
  EXPECT_TRUE(monitor.FinalQuarterFlag());
  Clock(3, 0x00, 0x12);
  EXPECT_FALSE(monitor.Poll(memory));
  Clock(3, 0x00, 0x00);
  EXPECT_TRUE(monitor.Poll(memory));
}

TEST_F(GameMonitorTest, FourthQuarterFlagFollowsTheChosenLength) {
  CGameMonitor monitor = Monitor(12);
  Totals(0x03, 0x00);
  Clock(3, 0x05, 0x00);  // overwritten to 12:00 in the same poll, which sets the flag
  EXPECT_FALSE(monitor.Poll(memory));
  EXPECT_TRUE(monitor.FinalQuarterFlag());
  Clock(3, 0x00, 0x00);
  EXPECT_TRUE(monitor.Poll(memory));
}

TEST_F(GameMonitorTest, LevelScoresGoIntoOvertimeUntilTheyDiffer) {
  CGameMonitor monitor = Monitor(5);
  Totals(0x10, 0x10);
  Clock(3, 0x05, 0x00);
  monitor.Poll(memory);
  Clock(3, 0x00, 0x00);
  EXPECT_FALSE(monitor.Poll(memory));
  Clock(4, 0x05, 0x00);
  EXPECT_FALSE(monitor.Poll(memory));
  Clock(4, 0x03, 0x20);
  Totals(0x16, 0x10);
  EXPECT_TRUE(monitor.Poll(memory));
}

TEST_F(GameMonitorTest, AFourthQuarterWhoseStartWasNeverSeenDoesNotEndAtZero) {
  CGameMonitor monitor = Monitor(5);
  Totals(0x07, 0x00);
  Clock(3, 0x00, 0x00);
  EXPECT_FALSE(monitor.Poll(memory));
  EXPECT_FALSE(monitor.FinalQuarterFlag());
}

TEST_F(GameMonitorTest, TheFinalScreenEndsTheGameInAnyPeriod) {
  for (uint8_t quarter : {0, 3, 5}) {
    CGameMonitor monitor = Monitor(5);
    Totals(0x07, 0x07);
    Clock(quarter, 0x02, 0x00);
    Set(kGamePhaseA, kFinalScreenA);
    Set(kGamePhaseB, 0);
    EXPECT_FALSE(monitor.Poll(memory));
    Set(kGamePhaseB, kFinalScreenB);
    EXPECT_TRUE(monitor.Poll(memory)) << "quarter " << int{quarter};
  }
}

}  // namespace
}  // namespace qgu::driver
