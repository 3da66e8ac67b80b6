// Standings, their tie-break rules, leaders and the bracket, on seasons made
// in memory.

#include <gtest/gtest.h>

#include <random>

#include "driver/box_score.h"
#include "league/team_stats.h"
#include "season/season.h"

namespace qgu::season {
namespace {

struct GameSpec {
  int home, away, homeScore, awayScore;
};

// Teams by (conference, division); games in the order given, one a week.
Season MakeSeason(const std::vector<std::pair<std::string, std::string>>& teams, const std::vector<GameSpec>& games,
                  uint32_t seed = 1, int playoffTeams = 0) {
  Season season;
  season.definition.seed = seed;
  season.definition.playoffTeams = playoffTeams;
  for (size_t i = 0; i < teams.size(); ++i) {
    SeasonTeam team;
    team.file = "T" + std::to_string(i) + ".dat";
    team.name = "TEAM " + std::to_string(i);
    team.abbreviation = "T" + std::to_string(i);
    team.conference = teams[i].first;
    team.division = teams[i].second;
    season.definition.teams.push_back(team);
  }
  int id = 0;
  for (const GameSpec& spec : games) {
    ++id;
    season.definition.schedule.push_back({id, id, spec.home, spec.away});
    GameRecord record;
    record.id = id;
    record.week = id;
    record.home = spec.home;
    record.away = spec.away;
    record.homeScore = spec.homeScore;
    record.awayScore = spec.awayScore;
    season.games.push_back(record);
  }
  season.definition.regularWeeks = id;
  return season;
}

std::vector<std::pair<std::string, std::string>> NoDivisions(int n) { return std::vector<std::pair<std::string, std::string>>(n); }

// "T<team>:<rule over next>" for each row.
std::vector<std::string> Order(const StandingsGroup& group) {
  std::vector<std::string> out;
  for (const StandingRow& row : group.rows) out.push_back("T" + std::to_string(row.team) + ":" + row.tieBreakOverNext);
  return out;
}

TEST(Standings, HeadToHeadComesBeforePointDifference) {
  // T0 and T1 are 1-1; T0 beat T1, though T1 has far the better difference.
  const Season season = MakeSeason(NoDivisions(4), {{0, 1, 7, 0}, {2, 0, 3, 0}, {1, 3, 50, 0}});
  EXPECT_EQ(Order(LeagueTable(season)), (std::vector<std::string>{"T2:", "T0:head-to-head", "T1:", "T3:"}));
}

TEST(Standings, DivisionRecordThenConferenceRecordSeparateTeamsThatNeverMet) {
  {
    // T0 and T1 (division X) are 1-1 and never met; T0 won its division game.
    const Season season = MakeSeason({{"", "X"}, {"", "X"}, {"", "Y"}, {"", "Y"}, {"", "X"}},
                                     {{0, 4, 1, 0}, {2, 0, 10, 0}, {1, 3, 50, 0}, {4, 1, 1, 0}, {2, 4, 1, 0}});
    const std::vector<StandingsGroup> groups = Standings(season);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].division, "X");
    EXPECT_EQ(Order(groups[0]), (std::vector<std::string>{"T0:division record", "T1:", "T4:"}));
  }
  {
    // Conference K: divisions X {T0, T3} and Y {T1, T2}; conference L: Z {T4, T5}.
    // T0 and T1 are 1-1 without division games; T0 won inside the conference.
    const Season season = MakeSeason({{"K", "X"}, {"K", "Y"}, {"K", "Y"}, {"K", "X"}, {"L", "Z"}, {"L", "Z"}},
                                     {{0, 2, 7, 0}, {4, 0, 30, 0}, {1, 5, 30, 0}, {3, 1, 7, 0}});
    const std::vector<std::string> order = Order(LeagueTable(season));
    const auto t0 = std::find(order.begin(), order.end(), "T0:conference record");
    ASSERT_NE(t0, order.end()) << ::testing::PrintToString(order);
    EXPECT_EQ(*(t0 + 1), "T1:");
  }
}

TEST(Standings, PointDifferencePointsForAndTheCoinToss) {
  // A three-way cycle: head-to-head is level for all three.
  EXPECT_EQ(Order(LeagueTable(MakeSeason(NoDivisions(3), {{0, 1, 10, 7}, {1, 2, 30, 0}, {2, 0, 3, 0}}))),
            (std::vector<std::string>{"T1:point difference", "T0:point difference", "T2:"}));
  // Same difference, more points.
  EXPECT_EQ(Order(LeagueTable(MakeSeason(NoDivisions(4), {{0, 2, 20, 10}, {1, 3, 11, 1}}))),
            (std::vector<std::string>{"T0:points for", "T1:", "T2:points for", "T3:"}));
  // Nothing apart: the coin, the same on every reading of the same season.
  const Season level = MakeSeason(NoDivisions(4), {{0, 2, 7, 0}, {1, 3, 7, 0}}, 99);
  const std::vector<std::string> first = Order(LeagueTable(level));
  EXPECT_EQ(first, Order(LeagueTable(level)));
  EXPECT_EQ(first[0].substr(3), "coin toss");
  EXPECT_EQ(first[2].substr(3), "coin toss");
}

TEST(Standings, RecordsStreaksAndTiesCountingHalf) {
  const Season season = MakeSeason(NoDivisions(2), {{0, 1, 7, 0}, {1, 0, 3, 3}, {1, 0, 0, 9}, {0, 1, 0, 14}});
  const StandingsGroup table = LeagueTable(season);
  const StandingRow& t0 = table.rows[0].team == 0 ? table.rows[0] : table.rows[1];
  EXPECT_EQ(t0.record.wins, 2);
  EXPECT_EQ(t0.record.losses, 1);
  EXPECT_EQ(t0.record.ties, 1);
  EXPECT_DOUBLE_EQ(t0.record.Percentage(), 2.5 / 4);
  EXPECT_EQ(t0.home.wins, 1);
  EXPECT_EQ(t0.home.losses, 1);
  EXPECT_EQ(t0.away.wins, 1);
  EXPECT_EQ(t0.away.ties, 1);
  EXPECT_EQ(t0.pointsFor, 19);
  EXPECT_EQ(t0.pointsAgainst, 17);
  EXPECT_EQ(t0.streak, "L1");
  EXPECT_EQ(t0.lastFive, "WTWL");
}

league::TeamStatLines Lines(const std::string& team, int passAttempts, int completions, int yards, int touchdowns,
                            int interceptions) {
  league::TeamStatLines lines;
  for (auto& line : lines) line.team = team;
  lines[0].name = "PASSER";
  lines[0].counters[league::kStatPassAttempts] = passAttempts;
  lines[0].counters[league::kStatCompletions] = completions;
  lines[0].counters[league::kStatPassYards] = yards;
  lines[0].counters[league::kStatPassTouchdowns] = touchdowns;
  lines[0].counters[league::kStatInterceptionsThrown] = interceptions;
  lines[league::kPunterRecord].name = "PUNTER";
  lines[league::kPunterRecord].counters[league::kStatPunts] = 2;
  lines[league::kPunterRecord].counters[league::kStatPuntYards] = 85;
  return lines;
}

TEST(Leaders, SumTheSeasonAndRatePassersWithTheSummarysRatingAboveTheMinimum) {
  Season season = MakeSeason(NoDivisions(2), {{0, 1, 7, 0}, {1, 0, 3, 3}});
  season.games[0].homeStats = league::FormatTeamStats(Lines("A", 10, 6, 80, 1, 0));
  season.games[0].awayStats = league::FormatTeamStats(Lines("B", 4, 1, 9, 0, 1));
  season.games[1].homeStats = league::FormatTeamStats(Lines("B", 3, 2, 20, 0, 0));
  season.games[1].awayStats = league::FormatTeamStats(Lines("A", 10, 4, 70, 0, 1));
  const Leaders leaders = SeasonLeaders(season);
  auto table = [&](const std::string& key) {
    return *std::find_if(leaders.tables.begin(), leaders.tables.end(), [&](const LeaderTable& t) { return t.key == key; });
  };
  const LeaderTable passing = table("passing");
  ASSERT_EQ(passing.rows.size(), 2u);
  EXPECT_EQ(passing.rows[0].team, 0);
  EXPECT_EQ(passing.rows[0].rosterSlot, 0);
  EXPECT_EQ(passing.rows[0].values, (std::vector<double>{10, 20, 150, 1, 1, driver::PasserRating(10, 20, 150, 1, 1)}));
  // Team 1's passer threw 7 times in 2 games: below 5 a game, so unrated.
  const LeaderTable rating = table("passer_rating");
  ASSERT_EQ(rating.rows.size(), 1u);
  EXPECT_EQ(rating.rows[0].team, 0);
  const LeaderTable punting = table("punting");
  ASSERT_EQ(punting.rows.size(), 2u);
  EXPECT_DOUBLE_EQ(punting.rows[0].values[2], 42.5);
  EXPECT_EQ(leaders.teams[0].games, 2);
  EXPECT_EQ(leaders.teams[0].pointsFor, 10);
  EXPECT_EQ(leaders.teams[0].counters[league::kStatPassYards], 150);
  EXPECT_EQ(leaders.players.size(), 2u * league::kStatLinesPerTeam);
}

TEST(Bracket, SeedsByesHigherSeedAtHomeAndALevelGameToTheHigherSeed) {
  // Six teams: T0 best ... T5 worst (each beats every later team).
  std::vector<GameSpec> games;
  for (int a = 0; a < 6; ++a) {
    for (int b = a + 1; b < 6; ++b) games.push_back({a, b, 10 + b, 0});
  }
  Season season = MakeSeason(NoDivisions(6), games, 1, 6);
  Bracket bracket = SeasonBracket(season);
  ASSERT_EQ(bracket.seeds.size(), 6u);
  EXPECT_EQ(bracket.rounds, 3);
  EXPECT_EQ(bracket.byes, (std::vector<int>{0, 1}));  // 8 places, 6 teams: seeds 1 and 2 wait
  // Round 1: 4 against 5 and 3 against 6, the higher seed at home.
  std::vector<std::pair<int, int>> round1;
  for (const BracketGame& game : bracket.games) {
    if (game.round == 1) round1.emplace_back(*game.home, *game.away);
  }
  EXPECT_EQ(round1, (std::vector<std::pair<int, int>>{{3, 4}, {2, 5}}));
  // The 4-5 game ends level: the 4 seed goes through.
  const int regular = static_cast<int>(season.definition.schedule.size());
  for (const ScheduledGame& game : KnownPlayoffGames(season)) {
    GameRecord record{game.id, game.week, game.home, game.away, game.home == 3 ? 7 : 0, game.home == 3 ? 7 : 3, "", "", 0, "", ""};
    season.games.push_back(record);
  }
  bracket = SeasonBracket(season);
  EXPECT_EQ(bracket.games[0].winner, 3);
  EXPECT_EQ(bracket.games[0].decidedBy, kTiedPlayoffRule);
  EXPECT_EQ(bracket.games[1].winner, 5);  // the 6 seed won away
  // Round 2 in bracket order (no reseeding): 1 meets the 4-5 winner, 2 the 3-6 winner.
  std::vector<std::pair<int, int>> round2;
  for (const ScheduledGame& game : KnownPlayoffGames(season)) {
    if (game.week == season.definition.regularWeeks + 2) round2.emplace_back(game.home, game.away);
  }
  EXPECT_EQ(round2, (std::vector<std::pair<int, int>>{{0, 3}, {1, 5}}));
  EXPECT_FALSE(bracket.champion);
  EXPECT_GT(regular, 0);
}

TEST(Bracket, DivisionWinnersAreSeededFirst) {
  // X: T0 (2-0 inside), T1; Y: T2 (1-1 overall), T3. T1 has a better record than T2.
  const Season season = MakeSeason({{"", "X"}, {"", "X"}, {"", "Y"}, {"", "Y"}},
                                   {{0, 1, 7, 0}, {1, 2, 7, 0}, {1, 3, 7, 0}, {2, 3, 7, 0}, {0, 3, 7, 0}}, 1, 3);
  const Bracket bracket = SeasonBracket(season);
  ASSERT_EQ(bracket.seeds.size(), 3u);
  EXPECT_EQ(bracket.seeds[0].team, 0);
  EXPECT_EQ(bracket.seeds[1].team, 2);
  EXPECT_TRUE(bracket.seeds[1].divisionWinner);
  EXPECT_EQ(bracket.seeds[2].team, 1);
  EXPECT_FALSE(bracket.seeds[2].divisionWinner);
}

}  // namespace
}  // namespace qgu::season
