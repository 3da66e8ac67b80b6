// Ratings, play calls and control modes decide games: a roster rated 15
// throughout beats the same roster rated 2; a defence that always expects the
// offence's play gives up fewer yards a play than one that never does; a MAN
// or COA side waits for its controller, and a MAN runner who taps A gains
// more than a COA one. One-minute periods, seeds varied by the frame of the
// first press.

#include <gtest/gtest.h>

#include <cstdio>

#include "core/controller_ports.h"
#include "league/cartridge_layout.h"
#include "tests/cartridge/game/cartridge_session.h"
#include "tests/support/stats_block.h"

namespace qgu::cartridge::testing {
namespace {

using qgu::testing::Decode;
using qgu::testing::TeamTotals;

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
    const int strong = game % 2;  // the side with the strong roster
    CartridgeSession session(ImageWithLevels(strong == 0 ? 15 : 2, strong == 0 ? 2 : 15));
    ASSERT_TRUE(session.Boot(22, 0x22, 20 + game * 13, 1).ok);
    ASSERT_TRUE(session.PlayGame(1, 40000).finished);
    strongWins += session.Score(strong) > session.Score(1 - strong);
    std::printf("game %2d: strong %d weak %d\n", game, session.Score(strong), session.Score(1 - strong));
  }
  EXPECT_GE(strongWins, 18);
}

struct Gains {
  int yards = 0;
  int plays = 0;
  double PerPlay() const { return plays ? static_cast<double>(yards) / plays : 0.0; }
};

using ChoiceHook = std::function<void(CartridgeSession&, int offenseSide)>;

// Gains over `games` games of pair 22 with the given control byte; `sides`
// picks whose gains count (bit 0 home, bit 1 away), `rushesOnly` leaves passes out.
Gains PlayGames(int games, int firstDelay, int delayStep, uint8_t controlByte, int sides, bool rushesOnly,
                const ChoiceHook& onBothChosen = {}, bool tapHomeA = false) {
  Gains total;
  for (int game = 0; game < games; ++game) {
    CartridgeSession session(LoadCartridgeImage());
    if (!session.Boot(22, controlByte, firstDelay + game * delayStep, 1).ok) return {};
    // Taps A every fourth frame on pad 0 (which also picks the first play each time).
    if (tapHomeA) session.SetFrameHook([&] { session.Hold(0, session.Frame() % 4 == 0 ? (1 << core::kHostA) : 0); });
    EXPECT_TRUE(session.PlayGame(1, 40000, onBothChosen).finished);
    for (int side = 0; side < 2; ++side) {
      if (!(sides & (1 << side))) continue;
      const TeamTotals t = Decode(session.StatsBlock(side));
      total.yards += t.rushYards + (rushesOnly ? 0 : t.passYards);
      total.plays += t.rushAttempts + (rushesOnly ? 0 : t.passAttempts);
    }
  }
  return total;
}

// The driver rewrites the defence's choice: the offence's own play (always
// expected) or one of the other kind (never expected).
ChoiceHook DefenceThatExpects(bool expects) {
  return [expects](CartridgeSession& s, int offenseSide) {
    const uint8_t call = s.Peek(offenseSide == 0 ? cartmem::kHomePlay : cartmem::kAwayPlay);
    s.Poke(offenseSide == 0 ? cartmem::kAwayPlay : cartmem::kHomePlay,
           expects ? call : static_cast<uint8_t>((call + 4) & 7));
  };
}

TEST(RatingsMatter, ADefenceThatExpectsThePlayHoldsItToFewerYards) {
  const Gains read = PlayGames(6, 30, 17, 0x22, 3, false, DefenceThatExpects(true));
  const Gains fooled = PlayGames(6, 30, 17, 0x22, 3, false, DefenceThatExpects(false));
  std::printf("expected: %d yards in %d plays; never expected: %d yards in %d plays\n", read.yards, read.plays,
              fooled.yards, fooled.plays);
  ASSERT_GT(read.plays, 10);
  ASSERT_GT(fooled.plays, 10);
  EXPECT_LT(read.PerPlay(), fooled.PerPlay());
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

TEST(ControlModes, AManRunnerWhoTapsGainsMoreThanACoachedOne) {
  const double man = PlayGames(4, 25, 9, 0x02, 1, true, {}, true).PerPlay();
  const double coached = PlayGames(4, 25, 9, 0x12, 1, true, {}, true).PerPlay();
  std::printf("yards a rush: MAN %.2f, COA %.2f\n", man, coached);
  EXPECT_GT(man, coached + 1.0);
}

}  // namespace
}  // namespace qgu::cartridge::testing
