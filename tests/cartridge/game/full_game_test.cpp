// Whole games between two computer sides with one-minute periods, the
// periods shortened as the league program's driver does it, watched frame by
// frame: the game reaches its final screen and stays there, the scores and
// the two statistics blocks agree, and the holds the driver relies on are
// kept (choices open a second and stand two, every period shows its starting
// clock and its 0:00 for two seconds, the final screen comes two seconds late).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "tests/cartridge/game/cartridge_session.h"
#include "tests/support/stats_block.h"

namespace qgu::cartridge::testing {
namespace {

using namespace cartmem;
using qgu::testing::Decode;
using qgu::testing::ExpectFiguresAgree;
using qgu::testing::Signed16;
using qgu::testing::TeamTotals;

constexpr int kOneSecond = 60;
constexpr int kTwoSeconds = 120;
constexpr int kNever = 1 << 30;

int FromBcd(uint8_t v) { return (v >> 4) * 10 + (v & 15); }

bool BothRunning(uint8_t home, uint8_t away) {
  return (home == kStateOffenseRunning && away == kStateDefenseRunning) ||
         (home == kStateDefenseRunning && away == kStateOffenseRunning);
}

// The shortest holds seen during one game.
struct Watch {
  int openedAt = -1, firstChoiceAt = -1, bothChosenAt = -1;
  uint8_t chosen[2] = {};
  int shortestOpen = kNever, shortestStand = kNever, selections = 0;
  bool choicesMoved = false;
  uint16_t clock = 0xFFFF;
  int clockSince = 0, periodStartAt = 0;
  int shortestPeriodStart = kNever, shortestPeriodEnd = kNever, periodStarts = 0, periodEnds = 0;
  uint16_t scores = 0;
  int lastScoreChange = 0, finalAt = -1;

  void Observe(const CartridgeSession& s) {
    const int f = s.Frame();
    const uint8_t home = s.Peek(kHomePlay), away = s.Peek(kAwayPlay);
    if (home == kNoPlayChosen && away == kNoPlayChosen && openedAt < 0) openedAt = f;
    if (openedAt >= 0 && firstChoiceAt < 0 && (home != kNoPlayChosen || away != kNoPlayChosen)) {
      firstChoiceAt = f;
      shortestOpen = std::min(shortestOpen, f - openedAt);
    }
    if (openedAt >= 0 && bothChosenAt < 0 && home != kNoPlayChosen && away != kNoPlayChosen) {
      bothChosenAt = f;
      chosen[0] = home;
      chosen[1] = away;
    }
    if (bothChosenAt >= 0) {
      choicesMoved |= home != chosen[0] || away != chosen[1];
      if (BothRunning(s.Peek(kHomeState), s.Peek(kAwayState))) {
        shortestStand = std::min(shortestStand, f - bothChosenAt);
        ++selections;
        openedAt = firstChoiceAt = bothChosenAt = -1;
      }
    }
    ObserveClock(static_cast<uint16_t>(s.Peek(kClockMinutes) << 8 | s.Peek(kClockSeconds)), f);
    const uint16_t now = static_cast<uint16_t>(s.Peek(kHomeTotalScore) << 8 | s.Peek(kAwayTotalScore));
    if (now != scores) scores = now, lastScoreChange = f;
    if (finalAt < 0 && s.OnFinalScreen()) finalAt = f;
  }

  void ObserveClock(uint16_t now, int f) {
    if (now == clock) return;
    // 5:00 starts a period; the driver's 1:00 written during that hold is not a start.
    if (now == 0x0500) {
      periodStartAt = f;
    } else if ((clock == 0x0500 || clock == 0x0100) && !(now == 0x0100 && clock == 0x0500)) {
      shortestPeriodStart = std::min(shortestPeriodStart, f - periodStartAt);
      ++periodStarts;
    }
    if (clock == 0x0000) {
      shortestPeriodEnd = std::min(shortestPeriodEnd, f - clockSince);
      ++periodEnds;
    }
    clock = now;
    clockSince = f;
  }
};

void ExpectHolds(const Watch& w) {
  EXPECT_GT(w.selections, 4);
  EXPECT_GE(w.shortestOpen, kOneSecond) << "a choice came before both bytes had been $80 for a second";
  EXPECT_GE(w.shortestStand, kTwoSeconds) << "a play ran before its choices stood for two seconds";
  EXPECT_FALSE(w.choicesMoved) << "the cartridge changed a choice it had made";
  EXPECT_GE(w.periodStarts, 4);
  EXPECT_GE(w.shortestPeriodStart, kTwoSeconds);
  EXPECT_GE(w.periodEnds, 4);
  EXPECT_GE(w.shortestPeriodEnd, kTwoSeconds);
  ASSERT_GE(w.finalAt, 0);
  EXPECT_GE(w.finalAt - std::max(w.lastScoreChange, w.clockSince), kTwoSeconds);
}

// Five games; the formation pair and the frame of the first press (the seed) vary.
TEST(FullGame, ComputerSidesPlayToTheFinalScreenWithConsistentFiguresAndHolds) {
  struct Game {
    int pair;
    int firstPressDelay;
  };
  for (const Game game : {Game{22, 23}, Game{43, 23}, Game{34, 34}, Game{43, 45}, Game{34, 56}}) {
    SCOPED_TRACE(::testing::Message() << "pair " << game.pair << " delay " << game.firstPressDelay);
    CartridgeSession session(LoadCartridgeImage());
    Watch watch;
    session.SetFrameHook([&] { watch.Observe(session); });
    ASSERT_TRUE(session.Boot(game.pair, 0x22, game.firstPressDelay, 1).ok);
    const auto played = session.PlayGame(1, 40000);
    ASSERT_TRUE(played.finished);
    ExpectHolds(watch);
    const TeamTotals home = Decode(session.StatsBlock(0)), away = Decode(session.StatsBlock(1));
    EXPECT_EQ(session.Score(0), FromBcd(session.Peek(kHomeTotalScore))) << "period bytes must add up to the total";
    EXPECT_EQ(session.Score(1), FromBcd(session.Peek(kAwayTotalScore)));
    ExpectFiguresAgree(home, away, session.Score(0));
    ExpectFiguresAgree(away, home, session.Score(1));
    EXPECT_GT(home.rushAttempts + home.passAttempts + away.rushAttempts + away.passAttempts, 4);
    std::printf("game %d/%d: %d frames (boot included), %d plays, %d-%d\n", game.pair, game.firstPressDelay,
                session.Frame(), played.plays, session.Score(0), session.Score(1));
    session.RunFrames(300);
    EXPECT_TRUE(session.OnFinalScreen()) << "the final screen stays";
  }
}

bool IsBcd(uint8_t v) { return (v >> 4) <= 9 && (v & 15) <= 9; }

// The league program may set any period length up to 99 minutes.
TEST(FullGame, TheClockCountsDownFromNinetyNineMinutes) {
  CartridgeSession session(LoadCartridgeImage());
  ASSERT_TRUE(session.Boot(22, 0x22, 23, 99).ok);
  session.PlayGame(99, 3000);
  const uint8_t minutes = session.Peek(kClockMinutes);
  const uint8_t seconds = session.Peek(kClockSeconds);
  EXPECT_TRUE(IsBcd(minutes) && IsBcd(seconds)) << std::hex << int(minutes) << ":" << int(seconds);
  EXPECT_EQ(minutes >> 4, 9) << "a few plays into a 99-minute period";
  EXPECT_LT(minutes << 8 | seconds, 0x9900);
  EXPECT_LT(seconds, 0x60);
}

// Counts stop at 255 and yards at 32767 instead of wrapping.
TEST(FullGame, StatisticsSaturate) {
  CartridgeSession session(LoadCartridgeImage());
  ASSERT_TRUE(session.Boot(22, 0x22, 23, 1).ok);
  // Every quarterback has thrown 255 passes for 32760 yards and run 255 times for -32760 yards.
  const uint8_t nearLimits[9] = {255, 255, 0, 0, 0xF8, 0x7F, 255, 0x08, 0x80};
  for (const uint16_t base : {kHomeStatsBlock, kAwayStatsBlock}) {
    for (uint16_t at = base; at < base + 20; at += 10) {
      for (uint16_t i = 0; i < 9; ++i) {
        if (i != 2 && i != 3) session.Poke(static_cast<uint16_t>(at + i), nearLimits[i]);
      }
    }
  }
  ASSERT_TRUE(session.PlayGame(1, 40000).finished);
  int passes = 0, runs = 0;
  for (int side = 0; side < 2; ++side) {
    const auto block = session.StatsBlock(side);
    for (size_t at = 0; at < 20; at += 10) {
      EXPECT_EQ(block[at], 255);
      EXPECT_EQ(block[at + 1], 255);
      EXPECT_EQ(block[at + 6], 255);
      const int passYards = Signed16(block, at + 4);
      const int rushYards = Signed16(block, at + 7);
      EXPECT_LE(passYards, 32767);
      EXPECT_GE(passYards, 32760 - 100) << "no wrap below";
      EXPECT_GE(rushYards, -32767);
      EXPECT_LE(rushYards, -32760 + 100) << "no wrap above";
      passes += passYards == 32767;
      runs += rushYards == -32767;
    }
  }
  std::printf("saturated: %d passers, %d runners\n", passes, runs);
}

}  // namespace
}  // namespace qgu::cartridge::testing
