// What the football rules promise, checked in the football simulator over
// many games of the default league's teams: ratings decide (a better rating
// never makes a player worse, a team better everywhere wins most meetings),
// and a season's figures stay inside football's ranges. Seeds here are not
// the ones the rules were tuned on.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "cartridge/builder/embedded_image.h"
#include "cartridge/simulator/football_simulator.h"
#include "league/cartridge_teams.h"
#include "league/team_strength.h"
#include "season/realism.h"
#include "season/schedule.h"
#include "season/season.h"

namespace qgu::cartridge {
namespace {

using league::PlayerRecord;
using league::TeamRecord;

std::vector<TeamRecord> DefaultTeams() {
  std::vector<TeamRecord> teams;
  auto extracted = league::ExtractCartridgeTeams(EmbeddedCartridgeImage());
  EXPECT_TRUE(extracted.ok());
  for (const league::CartridgeTeam& t : extracted.value()) teams.push_back(t.record);
  return teams;
}

// Points of `a` minus points of `b` over games alternating home and away.
double MeanMargin(const TeamRecord& a, const TeamRecord& b, int games, uint32_t firstSeed) {
  double margin = 0;
  for (int g = 0; g < games; ++g) {
    const bool aHome = g % 2 == 0;
    const SimulatedGame game = aHome ? SimulateGame(a, b, firstSeed + g, 5) : SimulateGame(b, a, firstSeed + g, 5);
    margin += aHome ? game.score[0] - game.score[1] : game.score[1] - game.score[0];
  }
  return margin / games;
}

struct RatingOf {
  const char* name;
  int PlayerRecord::*field;
};

struct Group {
  const char* name;
  int first, last;
  std::vector<RatingOf> ratings;
};

const std::vector<Group>& Groups() {
  static const std::vector<Group> groups = {
      {"QB 1", 0, 0,
       {{"speed", &PlayerRecord::runningSpeed}, {"rushing", &PlayerRecord::rushingPower},
        {"passing speed", &PlayerRecord::passingSpeed}, {"pass control", &PlayerRecord::passControl},
        {"accuracy", &PlayerRecord::accuracy}, {"avoid pass block", &PlayerRecord::avoidPassBlock}}},
      {"backs", 2, 5,
       {{"speed", &PlayerRecord::runningSpeed}, {"rushing", &PlayerRecord::rushingPower},
        {"ball control", &PlayerRecord::ballControl}, {"receptions", &PlayerRecord::receptions}}},
      {"receivers", 6, 11,
       {{"speed", &PlayerRecord::runningSpeed}, {"ball control", &PlayerRecord::ballControl},
        {"receptions", &PlayerRecord::receptions}}},
      {"line", 12, 16, {{"maximum power", &PlayerRecord::maximumPower}, {"hitting", &PlayerRecord::hittingPower}}},
      {"front", 17, 19,
       {{"speed", &PlayerRecord::runningSpeed}, {"maximum power", &PlayerRecord::maximumPower},
        {"hitting", &PlayerRecord::hittingPower}}},
      {"linebackers", 20, 23,
       {{"speed", &PlayerRecord::runningSpeed}, {"hitting", &PlayerRecord::hittingPower},
        {"quickness", &PlayerRecord::quickness}}},
      {"defensive backs", 24, 27,
       {{"speed", &PlayerRecord::runningSpeed}, {"quickness", &PlayerRecord::quickness},
        {"interception", &PlayerRecord::passInterception}}},
      {"kicker", 28, 28,
       {{"kicking", &PlayerRecord::kickingAbility}, {"avoid kick block", &PlayerRecord::avoidKickBlock}}},
      {"punter", 29, 29,
       {{"kicking", &PlayerRecord::kickingAbility}, {"avoid kick block", &PlayerRecord::avoidKickBlock}}},
  };
  return groups;
}

TeamRecord Raised(TeamRecord team, int first, int last, int PlayerRecord::*field, int steps) {
  for (int p = first; p <= last; ++p) team.players[p].*field = std::min(15, team.players[p].*field + steps);
  return team;
}

TEST(FootballRules, ABetterRatingNeverMakesAPlayerWorse) {
  // A middling team of the league, and the same team with one group's rating raised by 4 steps.
  const TeamRecord base = DefaultTeams()[16];
  constexpr int kGames = 2000;
  const double even = MeanMargin(base, base, kGames, 500000);
  for (const Group& group : Groups()) {
    for (const RatingOf& rating : group.ratings) {
      const TeamRecord better = Raised(base, group.first, group.last, rating.field, 4);
      const double margin = MeanMargin(better, base, kGames, 500000) - even;
      std::printf("%-16s %-17s %+6.2f points a game\n", group.name, rating.name, margin);
      EXPECT_GT(margin, -1.0) << group.name << " " << rating.name << " raised made the team worse";
    }
  }
}

TEST(FootballRules, ATeamBetterInEveryRatingWinsMostMeetings) {
  const std::vector<TeamRecord> teams = DefaultTeams();
  for (int index : {1, 12, 16, 26}) {  // weak, middling and strong rosters
    TeamRecord better = teams[index];
    for (int p = 0; p < league::kPlayerCount; ++p) {
      for (const Group& group : Groups()) {
        if (p < group.first || p > group.last) continue;
        for (const RatingOf& rating : group.ratings) better = Raised(better, p, p, rating.field, 2);
      }
    }
    int wins = 0, decided = 0;
    for (int g = 0; g < 600; ++g) {
      const bool home = g % 2 == 0;
      const SimulatedGame game =
          home ? SimulateGame(better, teams[index], 700000 + g, 5) : SimulateGame(teams[index], better, 700000 + g, 5);
      const int margin = home ? game.score[0] - game.score[1] : game.score[1] - game.score[0];
      decided += margin != 0;
      wins += margin > 0;
    }
    std::printf("team %d, every rating 2 steps up: %d wins of %d decided\n", index, wins, decided);
    EXPECT_GT(wins, decided * 6 / 10);
  }
}

TEST(FootballRules, SeasonsOfTheDefaultLeagueStayInsideFootballsRanges) {
  const std::vector<TeamRecord> teams = DefaultTeams();
  std::vector<season::GameFigures> figures;
  for (uint32_t seasonSeed = 9001; seasonSeed < 9021; ++seasonSeed) {
    auto schedule = season::MakeSchedule({static_cast<int>(teams.size()), {}, 16, seasonSeed});
    ASSERT_TRUE(schedule.ok());
    for (const season::ScheduledGame& g : schedule.value()) {
      const SimulatedGame game = SimulateGame(teams[g.home], teams[g.away], season::GameSeed(seasonSeed, g.id), 5);
      season::GameFigures f;
      for (int side = 0; side < 2; ++side) {
        season::SideFigures& s = side == 0 ? f.home : f.away;
        s.points = game.score[side];
        s.totals = season::SummedCounters(game.stats[side]);
        s.fumblesLost = game.extras[side][QGU_EXTRA_FUMBLES_LOST];
        s.longPlays = game.extras[side][QGU_EXTRA_LONG_PLAYS];
        s.strength = league::StrengthOf(teams[side == 0 ? g.home : g.away]).Total();
      }
      figures.push_back(f);
    }
  }
  const std::vector<season::RealismRow> rows = season::RealismTable(figures);
  std::printf("%s", season::FormatRealismTable(rows).c_str());
  for (const season::RealismRow& row : rows) {
    if (row.ranged) {
      EXPECT_TRUE(row.Inside()) << row.what << ": " << row.value;
    }
  }
}

}  // namespace
}  // namespace qgu::cartridge
