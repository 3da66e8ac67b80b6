// Ratings and play calls decide games: a roster rated 15 throughout beats the
// same roster rated 2, and a defence that always expects the offence's play
// gives up fewer yards a play than one that never does. Computer sides,
// one-minute periods, seeds varied by the frame of the first press.

#include <gtest/gtest.h>

#include <cstdio>

#include "league/cartridge_layout.h"
#include "tests/cartridge/game/cartridge_session.h"
#include "tests/cartridge/game/stats_block.h"

namespace qgu::cartridge::testing {
namespace {

constexpr int kHomeTeam = 0;   // formation pair 22: home in team 0, away in team 25
constexpr int kAwayTeam = 25;

// Team 25 becomes a copy of team 0 (ratings and playbook), then each gets its level.
std::vector<uint8_t> ImageWithLevels(int homeLevel, int awayLevel) {
  auto image = LoadCartridgeImage();
  for (const TeamTable& table : {kAttributes, kPlaybooks}) {
    for (size_t i = 0; i < table.stride; ++i) image[table.Of(kAwayTeam) + i] = image[table.Of(kHomeTeam) + i];
  }
  SetAllRatings(image, kHomeTeam, homeLevel);
  SetAllRatings(image, kAwayTeam, awayLevel);
  return image;
}

TEST(RatingsMatter, FifteensBeatTwosAlmostAlways) {
  int strongWins = 0;
  for (int game = 0; game < 20; ++game) {
    const bool strongAtHome = game % 2 == 0;
    CartridgeSession session(ImageWithLevels(strongAtHome ? 15 : 2, strongAtHome ? 2 : 15));
    ASSERT_TRUE(session.Boot(22, 0x22, 20 + game * 13).ok);
    ASSERT_TRUE(session.PlayGame(1, 40000).finished);
    const int strong = session.Score(strongAtHome ? 0 : 1);
    const int weak = session.Score(strongAtHome ? 1 : 0);
    if (strong > weak) ++strongWins;
    const TeamTotals w = Decode(session.StatsBlock(strongAtHome ? 1 : 0));
    const TeamTotals st = Decode(session.StatsBlock(strongAtHome ? 0 : 1));
    std::printf("game %2d: strong %d weak %d (weak: rush td %d rec td %d kr td %d pr td %d int td %d fg %d; yds %d/%d plays; strong %d/%d, ints thrown %d)\n",
                game, strong, weak, w.rushTouchdowns, w.receivingTouchdowns, w.kickReturnTouchdowns,
                w.puntReturnTouchdowns, w.interceptionTouchdowns, w.fieldGoalsMade, w.rushYards + w.passYards,
                w.rushAttempts + w.passAttempts, st.rushYards + st.passYards, st.rushAttempts + st.passAttempts,
                st.interceptionsThrown);
  }
  EXPECT_GE(strongWins, 18);
}

struct YardsPerPlay {
  int yards = 0;
  int plays = 0;
  double Value() const { return plays ? static_cast<double>(yards) / plays : 0.0; }
};

// Offence yards a play over several games in which the driver rewrites the
// defence's choice: the offence's own play (always expected) or one of the
// other kind (never expected).
YardsPerPlay PlayWithDefenceGuessing(bool expects) {
  YardsPerPlay total;
  for (int game = 0; game < 6; ++game) {
    CartridgeSession session(LoadCartridgeImage());
    if (!session.Boot(22, 0x22, 30 + game * 17).ok) return total;
    const auto result = session.PlayGame(1, 40000, [expects](CartridgeSession& s, int offenseSide) {
      const uint16_t offenceByte = offenseSide == 0 ? cartmem::kHomePlay : cartmem::kAwayPlay;
      const uint16_t defenceByte = offenseSide == 0 ? cartmem::kAwayPlay : cartmem::kHomePlay;
      const uint8_t call = s.Peek(offenceByte);
      s.Poke(defenceByte, expects ? call : static_cast<uint8_t>((call + 4) & 7));
    });
    EXPECT_TRUE(result.finished);
    for (int side = 0; side < 2; ++side) {
      const TeamTotals t = Decode(session.StatsBlock(side));
      total.yards += t.rushYards + t.passYards;
      total.plays += t.rushAttempts + t.passAttempts;
    }
  }
  return total;
}

TEST(RatingsMatter, ADefenceThatExpectsThePlayHoldsItToFewerYards) {
  const YardsPerPlay read = PlayWithDefenceGuessing(true);
  const YardsPerPlay fooled = PlayWithDefenceGuessing(false);
  std::printf("expected: %d yards in %d plays; never expected: %d yards in %d plays\n", read.yards, read.plays,
              fooled.yards, fooled.plays);
  ASSERT_GT(read.plays, 10);
  ASSERT_GT(fooled.plays, 10);
  EXPECT_LT(read.Value(), fooled.Value());
}

}  // namespace
}  // namespace qgu::cartridge::testing
