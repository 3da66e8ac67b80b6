// The in-game monitor, poll by poll on a plain memory: who has the ball, one
// play call per play, the quarter-length override and the end of the game.

#include <gtest/gtest.h>

#include <vector>

#include "driver/cartridge_memory.h"
#include "driver/game_monitor.h"
#include "driver/play_calling.h"  // the possession sides
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
  void Chosen(uint8_t home, uint8_t away) {
    Set(kHomePlay, home);
    Set(kAwayPlay, away);
  }

  FakeConsoleMemory memory;
  std::vector<int> calls;
};

TEST_F(GameMonitorTest, StateBytesTellWhoHasTheBallAndItIsKeptBetweenPlays) {
  struct Row {
    uint8_t home;
    uint8_t away;
    int side;
  };
  const Row rows[] = {{0x00, 0x0B, kHomeOnOffense},  // away kicks off
                      {0x80, 0x16, kHomeOnOffense},     {0x19, 0x17, kHomeOnOffense},
                      {0x0B, 0x00, kAwayOnOffense},     {0x16, 0x80, kAwayOnOffense},
                      {0x17, 0x19, kAwayOnOffense},     {0x00, 0x00, kPossessionUnknown},
                      {0x80, 0x17, kPossessionUnknown}};
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << std::hex << int{row.home} << " " << int{row.away});
    CGameMonitor monitor = Monitor(5);
    Set(kHomeState, row.home);
    Set(kAwayState, row.away);
    monitor.Poll(memory);
    EXPECT_EQ(monitor.PossessionSide(), row.side);
    Set(kHomeState, 0);
    Set(kAwayState, 0);
    monitor.Poll(memory);
    EXPECT_EQ(monitor.PossessionSide(), row.side) << "between plays";
  }
}

TEST_F(GameMonitorTest, PlaysAreCalledOnceAfterBothSidesHaveChosen) {
  CGameMonitor monitor = Monitor(5);
  monitor.Poll(memory);  // nobody choosing yet: not armed
  EXPECT_TRUE(calls.empty());
  // Before any state byte told who has the ball, the call says so.
  Chosen(kNoPlayChosen, kNoPlayChosen);
  monitor.Poll(memory);
  Chosen(3, 6);
  monitor.Poll(memory);
  EXPECT_EQ(calls, std::vector<int>{kPossessionUnknown});
  calls.clear();

  Set(kHomeState, 0x80);
  Set(kAwayState, 0x16);
  Chosen(kNoPlayChosen, kNoPlayChosen);
  monitor.Poll(memory);
  Set(kAwayPlay, 2);  // one side has chosen: still waiting
  monitor.Poll(memory);
  EXPECT_TRUE(calls.empty());
  Chosen(5, 2);
  monitor.Poll(memory);
  monitor.Poll(memory);
  monitor.Poll(memory);
  EXPECT_EQ(calls, std::vector<int>{kHomeOnOffense});

  Chosen(kNoPlayChosen, kNoPlayChosen);  // the next play
  monitor.Poll(memory);
  Chosen(1, 1);
  monitor.Poll(memory);
  EXPECT_EQ(calls, (std::vector<int>{kHomeOnOffense, kHomeOnOffense}));
}

// One poll: the clock the cartridge shows, then the minutes it shows after.
struct ClockPoll {
  uint8_t quarter;
  uint8_t minutes;
  uint8_t seconds;
  uint8_t minutesAfter;
};

TEST_F(GameMonitorTest, QuarterLengthRewritesEachPeriodsStartOnceInBcd) {
  struct Length {
    int minutes;
    std::vector<ClockPoll> polls;
    int writes;
  };
  const Length lengths[] = {
      // The cartridge's own length: the clock is never touched.
      {5, {{0, 0x05, 0, 0x05}, {0, 0x04, 0, 0x04}, {0, 0x00, 0, 0x00}, {0, 0x05, 0, 0x05}, {0, 0x02, 0, 0x02}}, 0},
      // No poll saw the clock below 5:00 but the one that wrote 3: the next 5 is still overwritten.
      {3, {{0, 0x05, 0, 0x03}, {1, 0x05, 0, 0x03}}, 2},
      // Passing 5:59 ... 5:00 on the way down is left alone; below five, the next start is overwritten.
      {10,
       {{0, 0x05, 0, 0x10}, {0, 0x09, 0x30, 0x09}, {0, 0x06, 0x30, 0x06}, {0, 0x05, 0x30, 0x05},
        {0, 0x04, 0x59, 0x04}, {1, 0x05, 0, 0x10}},
       2},
      {12, {{2, 0x05, 0, 0x12}}, 1},
  };
  for (const Length& length : lengths) {
    SCOPED_TRACE(length.minutes);
    CGameMonitor monitor = Monitor(length.minutes);
    memory.writes = 0;
    for (const ClockPoll& poll : length.polls) {
      Clock(poll.quarter, poll.minutes, poll.seconds);
      monitor.Poll(memory);
      EXPECT_EQ(memory.bytes[kClockMinutes], poll.minutesAfter) << std::hex << int{poll.minutes};
    }
    EXPECT_EQ(memory.writes, length.writes);
  }
}

// One poll of the end test: clock, total scores, and what the monitor says.
struct EndPoll {
  uint8_t quarter;
  uint8_t minutes;
  uint8_t seconds;
  uint8_t home;
  uint8_t away;
  bool over;
  bool finalQuarter;
};

TEST_F(GameMonitorTest, TheGameEndsWhenTheFourthQuarterOrOvertimeEndsWithUnequalScores) {
  struct Game {
    const char* what;
    int minutes;
    std::vector<EndPoll> polls;
  };
  const Game games[] = {
      {"unequal scores",
       5,
       {{2, 0x00, 0x00, 0x14, 0x07, false, false},  // the third quarter running out tests nothing
        {3, 0x05, 0x00, 0x14, 0x07, false, true},   // the fourth quarter's flag is set at its start
        {3, 0x00, 0x12, 0x14, 0x07, false, true},
        {3, 0x00, 0x00, 0x14, 0x07, true, true}}},
      // Overwritten to 12:00 in the same poll, which sets the flag.
      {"twelve minutes", 12, {{3, 0x05, 0x00, 0x03, 0x00, false, true}, {3, 0x00, 0x00, 0x03, 0x00, true, true}}},
      {"level scores play overtime until they differ",
       5,
       {{3, 0x05, 0x00, 0x10, 0x10, false, true},
        {3, 0x00, 0x00, 0x10, 0x10, false, true},
        {4, 0x05, 0x00, 0x10, 0x10, false, true},
        {4, 0x03, 0x20, 0x16, 0x10, true, true}}},
      {"fourth quarter whose start was never seen", 5, {{3, 0x00, 0x00, 0x07, 0x00, false, false}}},
  };
  for (const Game& game : games) {
    SCOPED_TRACE(game.what);
    CGameMonitor monitor = Monitor(game.minutes);
    for (size_t i = 0; i < game.polls.size(); ++i) {
      const EndPoll& poll = game.polls[i];
      Clock(poll.quarter, poll.minutes, poll.seconds);
      Totals(poll.home, poll.away);
      EXPECT_EQ(monitor.Poll(memory), poll.over) << "poll " << i;
      EXPECT_EQ(monitor.FinalQuarterFlag(), poll.finalQuarter) << "poll " << i;
    }
  }
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
