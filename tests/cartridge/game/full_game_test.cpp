// Whole games between two computer sides with one-minute periods, the
// periods shortened as the league program's driver does it: the game reaches
// its final screen, and the scores and the two statistics blocks agree.

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/cartridge/game/cartridge_session.h"
#include "tests/cartridge/game/stats_block.h"

namespace qgu::cartridge::testing {
namespace {

int FromBcd(uint8_t v) { return (v >> 4) * 10 + (v & 15); }

struct Finished {
  int homeScore = 0, awayScore = 0;
  int homeTotalByte = 0, awayTotalByte = 0;
  TeamTotals home, away;
  int frames = 0;
  int plays = 0;
};

Finished PlayOneGame(int pair, int firstPressDelay) {
  CartridgeSession session(LoadCartridgeImage());
  const auto boot = session.Boot(pair, 0x22, firstPressDelay);
  EXPECT_TRUE(boot.ok) << boot.failedStage;
  const auto game = session.PlayGame(1, 40000);
  EXPECT_TRUE(game.finished);
  Finished f;
  f.homeScore = session.Score(0);
  f.awayScore = session.Score(1);
  f.homeTotalByte = FromBcd(session.Peek(cartmem::kHomeTotalScore));
  f.awayTotalByte = FromBcd(session.Peek(cartmem::kAwayTotalScore));
  f.home = Decode(session.StatsBlock(0));
  f.away = Decode(session.StatsBlock(1));
  f.frames = session.Frame();
  f.plays = game.plays;
  return f;
}

void ExpectConsistent(const TeamTotals& side, const TeamTotals& other, int score) {
  // Passers and receivers tell the same story.
  EXPECT_EQ(side.completions, side.receptions);
  EXPECT_EQ(side.passYards, side.receivingYards);
  EXPECT_EQ(side.passTouchdowns, side.receivingTouchdowns);
  EXPECT_LE(side.completions, side.passAttempts);
  EXPECT_EQ(side.interceptionsThrown, other.interceptions);
  EXPECT_LE(side.extraPointsMade, side.extraPointsTried);
  EXPECT_LE(side.fieldGoalsMade, side.fieldGoalsTried);
  // Every point is accounted for; what is left are safeties, two points each.
  const int accounted = 6 * side.Touchdowns() + side.extraPointsMade + 3 * side.fieldGoalsMade;
  EXPECT_GE(score, accounted);
  EXPECT_EQ((score - accounted) % 2, 0) << "score " << score << " accounted " << accounted;
  EXPECT_LE(side.extraPointsTried, side.Touchdowns());
}

// Five games; the formation pair and the frame of the first press (the seed) vary.
TEST(FullGame, ComputerSidesPlayToTheFinalScreenWithConsistentFigures) {
  struct Game {
    int pair;
    int firstPressDelay;
  };
  for (const Game game : {Game{22, 23}, Game{43, 23}, Game{34, 34}, Game{43, 45}, Game{34, 56}}) {
    const Finished f = PlayOneGame(game.pair, game.firstPressDelay);
    SCOPED_TRACE(game.firstPressDelay);
    EXPECT_EQ(f.homeScore, f.homeTotalByte) << "period bytes must add up to the total";
    EXPECT_EQ(f.awayScore, f.awayTotalByte);
    ExpectConsistent(f.home, f.away, f.homeScore);
    ExpectConsistent(f.away, f.home, f.awayScore);
    EXPECT_GT(f.home.rushAttempts + f.home.passAttempts + f.away.rushAttempts + f.away.passAttempts, 4);
    std::printf("game %d/%d: %d frames (boot included), %d plays, %d-%d\n", game.pair, game.firstPressDelay,
                f.frames, f.plays, f.homeScore, f.awayScore);
  }
}

bool IsBcd(uint8_t v) { return (v >> 4) <= 9 && (v & 15) <= 9; }

// The league program may set any period length up to 99 minutes.
TEST(FullGame, TheClockCountsDownFromNinetyNineMinutes) {
  CartridgeSession session(LoadCartridgeImage());
  ASSERT_TRUE(session.Boot(22, 0x22).ok);
  session.PlayGame(99, 3000);
  const uint8_t minutes = session.Peek(cartmem::kClockMinutes);
  const uint8_t seconds = session.Peek(cartmem::kClockSeconds);
  EXPECT_TRUE(IsBcd(minutes) && IsBcd(seconds)) << std::hex << int(minutes) << ":" << int(seconds);
  EXPECT_EQ(minutes >> 4, 9) << "a few plays into a 99-minute period";
  EXPECT_LT(minutes << 8 | seconds, 0x9900);
  EXPECT_LT(seconds, 0x60);
}

// Counts stop at 255 and yards at 32767 instead of wrapping.
TEST(FullGame, StatisticsSaturate) {
  CartridgeSession session(LoadCartridgeImage());
  ASSERT_TRUE(session.Boot(22, 0x22).ok);
  // Every quarterback has thrown 255 passes for 32760 yards and run 255 times for -32760 yards.
  for (int side = 0; side < 2; ++side) {
    const uint16_t base = side == 0 ? cartmem::kHomeStatsBlock : cartmem::kAwayStatsBlock;
    for (uint16_t qb = 0; qb < 2; ++qb) {
      const uint16_t at = static_cast<uint16_t>(base + qb * 10);
      session.Poke(at, 255);
      session.Poke(at + 1, 255);
      session.Poke(at + 4, 0xF8);  // 32760
      session.Poke(at + 5, 0x7F);
      session.Poke(at + 6, 255);
      session.Poke(at + 7, 0x08);  // -32760
      session.Poke(at + 8, 0x80);
    }
  }
  const auto game = session.PlayGame(1, 40000);
  ASSERT_TRUE(game.finished);
  int passes = 0, runs = 0;
  for (int side = 0; side < 2; ++side) {
    const auto block = session.StatsBlock(side);
    for (size_t qb = 0; qb < 2; ++qb) {
      const size_t at = qb * 10;
      EXPECT_EQ(block[at], 255);
      EXPECT_EQ(block[at + 1], 255);
      const int passYards = Signed16(block, at + 4);
      const int rushYards = Signed16(block, at + 7);
      EXPECT_LE(passYards, 32767);
      EXPECT_GE(passYards, 32760 - 100) << "no wrap below";
      EXPECT_GE(rushYards, -32767);
      EXPECT_LE(rushYards, -32760 + 100) << "no wrap above";
      EXPECT_EQ(block[at + 6], 255);
      passes += passYards == 32767;
      runs += rushYards == -32767;
    }
  }
  std::printf("saturated: %d passers, %d runners\n", passes, runs);
}

}  // namespace
}  // namespace qgu::cartridge::testing
