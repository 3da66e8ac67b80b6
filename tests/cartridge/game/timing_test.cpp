// The timing the league program's driver relies on, watched frame by frame
// through a whole game: play choices stay open for a second and then stand
// still for two; every period shows its starting clock and its 0:00 for two
// seconds; the final screen comes two seconds after the end and stays. And
// how the control modes act: a MAN or COA side waits for its controller, a
// MAN runner who taps A gains more than a COA one.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "core/controller_ports.h"
#include "tests/cartridge/game/cartridge_session.h"
#include "tests/cartridge/game/stats_block.h"

namespace qgu::cartridge::testing {
namespace {

constexpr int kOneSecond = 60;
constexpr int kTwoSeconds = 120;

struct Watch {
  // Play selection
  int openedAt = -1;
  int firstChoiceAt = -1;
  int bothChosenAt = -1;
  uint8_t chosen[2] = {};
  int shortestOpen = 1 << 30;
  int shortestStand = 1 << 30;
  int selections = 0;
  bool choicesMoved = false;
  // Clock
  uint16_t clock = 0xFFFF;
  int clockSince = 0;
  int periodStartAt = 0;
  int shortestPeriodStart = 1 << 30;
  int shortestPeriodEnd = 1 << 30;
  int periodStarts = 0;
  int periodEnds = 0;
  // Scores and the end
  int lastScoreChange = 0;
  uint16_t scores = 0;
  int finalAt = -1;
};

void Observe(CartridgeSession& s, Watch& w) {
  using namespace cartmem;
  const int f = s.Frame();
  const uint8_t home = s.Peek(kHomePlay), away = s.Peek(kAwayPlay);
  const uint8_t hs = s.Peek(kHomeState), as = s.Peek(kAwayState);
  if (home == kNoPlayChosen && away == kNoPlayChosen && w.openedAt < 0) w.openedAt = f;
  if (w.openedAt >= 0 && w.firstChoiceAt < 0 && (home != kNoPlayChosen || away != kNoPlayChosen)) {
    w.firstChoiceAt = f;
    w.shortestOpen = std::min(w.shortestOpen, f - w.openedAt);
  }
  if (w.openedAt >= 0 && w.bothChosenAt < 0 && home != kNoPlayChosen && away != kNoPlayChosen) {
    w.bothChosenAt = f;
    w.chosen[0] = home;
    w.chosen[1] = away;
  }
  if (w.bothChosenAt >= 0) {
    if (home != w.chosen[0] || away != w.chosen[1]) w.choicesMoved = true;
    if ((hs == kStateOffenseRunning && as == kStateDefenseRunning) ||
        (hs == kStateDefenseRunning && as == kStateOffenseRunning)) {
      w.shortestStand = std::min(w.shortestStand, f - w.bothChosenAt);
      ++w.selections;
      w.openedAt = w.firstChoiceAt = w.bothChosenAt = -1;
    }
  }
  const uint16_t clock = static_cast<uint16_t>(s.Peek(kClockMinutes) << 8 | s.Peek(kClockSeconds));
  if (clock != w.clock) {
    if (clock == 0x0500) {
      w.periodStartAt = f;
    } else if (clock == 0x0100 && w.clock == 0x0500) {
      // the driver's shorter period, written during the hold
    } else if (w.clock == 0x0500 || w.clock == 0x0100) {
      w.shortestPeriodStart = std::min(w.shortestPeriodStart, f - w.periodStartAt);
      ++w.periodStarts;
    }
    if (w.clock == 0x0000) {
      w.shortestPeriodEnd = std::min(w.shortestPeriodEnd, f - w.clockSince);
      ++w.periodEnds;
    }
    w.clock = clock;
    w.clockSince = f;
  }
  const uint16_t scores = static_cast<uint16_t>(s.Peek(kHomeTotalScore) << 8 | s.Peek(kAwayTotalScore));
  if (scores != w.scores) {
    w.scores = scores;
    w.lastScoreChange = f;
  }
  if (w.finalAt < 0 && s.OnFinalScreen()) w.finalAt = f;
}

TEST(Timing, ChoicesPeriodsAndTheFinalScreenKeepTheirHolds) {
  CartridgeSession session(LoadCartridgeImage());
  Watch watch;
  session.SetFrameHook([&] { Observe(session, watch); });
  ASSERT_TRUE(session.Boot(22, 0x22).ok);
  const auto game = session.PlayGame(1, 40000);
  ASSERT_TRUE(game.finished);
  EXPECT_GT(watch.selections, 4);
  EXPECT_GE(watch.shortestOpen, kOneSecond) << "a choice came before both bytes had been $80 for a second";
  EXPECT_GE(watch.shortestStand, kTwoSeconds) << "a play ran before its choices stood for two seconds";
  EXPECT_FALSE(watch.choicesMoved) << "the cartridge changed a choice it had made";
  EXPECT_GE(watch.periodStarts, 4);
  EXPECT_GE(watch.shortestPeriodStart, kTwoSeconds);
  EXPECT_GE(watch.periodEnds, 4);
  EXPECT_GE(watch.shortestPeriodEnd, kTwoSeconds);
  // The final screen stays.
  const int finalAt = watch.finalAt;
  ASSERT_GE(finalAt, 0);
  EXPECT_GE(finalAt - std::max(watch.lastScoreChange, watch.clockSince), kTwoSeconds);
  session.RunFrames(300);
  EXPECT_TRUE(session.OnFinalScreen());
}

// Taps A every `every` frames on pad 0 (and so also picks the first play each time).
void TapEvery(CartridgeSession& session, int every) {
  session.SetFrameHook([&session, every] {
    session.Hold(0, session.Frame() % every == 0 ? (1 << core::kHostA) : 0);
  });
}

TEST(ControlModes, AHumanSideWaitsForItsController) {
  CartridgeSession session(LoadCartridgeImage());
  ASSERT_TRUE(session.Boot(22, 0x12).ok);  // home COA, away COM
  session.RunFrames(600);
  EXPECT_EQ(session.Peek(cartmem::kHomePlay), cartmem::kNoPlayChosen) << "nobody pressed a button for the home side";
  EXPECT_NE(session.Peek(cartmem::kAwayPlay), cartmem::kNoPlayChosen) << "the computer side chooses on its own";
  // One press chooses the play under the pointer (the first run).
  session.Hold(0, 1 << core::kHostA);
  session.RunFrames(1);
  session.Hold(0, 0);
  session.RunFrames(5);
  EXPECT_EQ(session.Peek(cartmem::kHomePlay), 0x00);
}

// Yards a rush for the home side over a few games: MAN taps while running, COA cannot.
double HomeYardsPerRush(uint8_t controlByte) {
  int yards = 0, rushes = 0;
  for (int game = 0; game < 4; ++game) {
    CartridgeSession session(LoadCartridgeImage());
    if (!session.Boot(22, controlByte, 25 + game * 9).ok) return 0;
    TapEvery(session, 4);
    session.PlayGame(1, 40000);
    const TeamTotals t = Decode(session.StatsBlock(0));
    yards += t.rushYards;
    rushes += t.rushAttempts;
  }
  return rushes ? static_cast<double>(yards) / rushes : 0.0;
}

TEST(ControlModes, AManRunnerWhoTapsGainsMoreThanACoachedOne) {
  const double man = HomeYardsPerRush(0x02);
  const double coached = HomeYardsPerRush(0x12);
  std::printf("yards a rush: MAN %.2f, COA %.2f\n", man, coached);
  EXPECT_GT(man, coached + 1.0);
}

}  // namespace
}  // namespace qgu::cartridge::testing
