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
  f.homeTotalByte = FromBcd(session.Peek(address::kHomeScores + 4));
  f.awayTotalByte = FromBcd(session.Peek(address::kAwayScores + 4));
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

TEST(FullGame, ComputerSidesPlayToTheFinalScreenWithConsistentFigures) {
  const Finished f = PlayOneGame(22, 23);
  EXPECT_EQ(f.homeScore, f.homeTotalByte) << "period bytes must add up to the total";
  EXPECT_EQ(f.awayScore, f.awayTotalByte);
  ExpectConsistent(f.home, f.away, f.homeScore);
  ExpectConsistent(f.away, f.home, f.awayScore);
  EXPECT_GT(f.home.rushAttempts + f.home.passAttempts + f.away.rushAttempts + f.away.passAttempts, 4);
  std::printf("game: %d frames (boot included), %d plays, %d-%d\n", f.frames, f.plays, f.homeScore, f.awayScore);
}

TEST(FullGame, SeveralSeedsStayConsistent) {
  for (int seed = 0; seed < 4; ++seed) {
    const Finished f = PlayOneGame(seed % 2 ? 34 : 43, 23 + seed * 11);
    SCOPED_TRACE(seed);
    EXPECT_EQ(f.homeScore, f.homeTotalByte);
    EXPECT_EQ(f.awayScore, f.awayTotalByte);
    ExpectConsistent(f.home, f.away, f.homeScore);
    ExpectConsistent(f.away, f.home, f.awayScore);
  }
}

}  // namespace
}  // namespace qgu::cartridge::testing
