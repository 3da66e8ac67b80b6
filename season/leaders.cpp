#include <algorithm>
#include <functional>
#include <map>
#include <tuple>

#include "driver/box_score.h"
#include "league/team_stats.h"
#include "season/season.h"

namespace qgu::season {
namespace {

using namespace league::stat_layout;

constexpr size_t kLeadersShown = 10;
// A passer needs this many attempts for each game his team played to be rated.
constexpr int kRatingAttemptsPerGame = 5;
// And a punter this many punts a game for the average.
constexpr int kAveragePuntsPerGame = 1;

int RosterSlotOf(int record) { return record < kFirstDefenderRecord ? record : record + 5; }

int64_t C(const PlayerSeason& player, int slot) { return player.counters[static_cast<size_t>(slot)]; }

struct SectionSpec {
  std::string key;
  std::string title;
  std::vector<std::string> columns;
  // Whether the player belongs in the table, and his values.
  std::function<bool(const PlayerSeason&, int teamGames)> qualifies;
  std::function<std::vector<double>(const PlayerSeason&)> values;
  size_t sortColumn;
};

double Rating(const PlayerSeason& p) {
  return driver::PasserRating(C(p, kStatCompletions), C(p, kStatPassAttempts), C(p, kStatPassYards),
                              C(p, kStatPassTouchdowns), C(p, kStatInterceptionsThrown));
}

std::vector<SectionSpec> Sections() {
  auto count = [](int slot) { return [slot](const PlayerSeason& p, int) { return C(p, slot) > 0; }; };
  auto returns = [](int number, int yards, int touchdowns) {
    return [=](const PlayerSeason& p) {
      return std::vector<double>{double(C(p, number)), double(C(p, yards)), driver::Average(C(p, yards), C(p, number)),
                                 double(C(p, touchdowns))};
    };
  };
  std::vector<SectionSpec> sections;
  sections.push_back({"passing", "Passing yards", {"CMP", "ATT", "YDS", "TD", "INT", "RATING"},
                      count(kStatPassAttempts),
                      [](const PlayerSeason& p) {
                        return std::vector<double>{double(C(p, kStatCompletions)), double(C(p, kStatPassAttempts)),
                                                   double(C(p, kStatPassYards)), double(C(p, kStatPassTouchdowns)),
                                                   double(C(p, kStatInterceptionsThrown)), Rating(p)};
                      },
                      2});
  sections.push_back({"passing_touchdowns", "Passing touchdowns", sections.back().columns, count(kStatPassTouchdowns),
                      sections.back().values, 3});
  sections.push_back({"passer_rating",
                      "Passer rating (at least " + std::to_string(kRatingAttemptsPerGame) + " attempts a team game)",
                      sections.front().columns,
                      [](const PlayerSeason& p, int teamGames) {
                        return C(p, kStatPassAttempts) > 0 &&
                               C(p, kStatPassAttempts) >= int64_t{kRatingAttemptsPerGame} * teamGames;
                      },
                      sections.front().values, 5});
  sections.push_back({"rushing", "Rushing", {"ATT", "YDS", "AVG", "TD"}, count(kStatRushAttempts),
                      returns(kStatRushAttempts, kStatRushYards, kStatRushTouchdowns), 1});
  sections.push_back({"receiving", "Receiving", {"REC", "YDS", "AVG", "TD"}, count(kStatReceptions),
                      returns(kStatReceptions, kStatReceivingYards, kStatReceivingTouchdowns), 1});
  sections.push_back({"sacks", "Sacks", {"SCK"}, count(kStatSacks),
                      [](const PlayerSeason& p) { return std::vector<double>{double(C(p, kStatSacks))}; }, 0});
  sections.push_back({"interceptions", "Interceptions", {"INT", "YDS", "AVG", "TD"}, count(kStatInterceptions),
                      returns(kStatInterceptions, kStatInterceptionReturnYards, kStatInterceptionTouchdowns), 0});
  sections.push_back({"kicking", "Kicking", {"FGM", "FGA", "XPM", "XPA"},
                      [](const PlayerSeason& p, int) {
                        return C(p, kStatFieldGoalsAttempted) > 0 || C(p, kStatExtraPointsAttempted) > 0;
                      },
                      [](const PlayerSeason& p) {
                        return std::vector<double>{double(C(p, kStatFieldGoalsMade)), double(C(p, kStatFieldGoalsAttempted)),
                                                   double(C(p, kStatExtraPointsMade)),
                                                   double(C(p, kStatExtraPointsAttempted))};
                      },
                      0});
  sections.push_back({"punting",
                      "Punting average (at least " + std::to_string(kAveragePuntsPerGame) + " punt a team game)",
                      {"NUM", "YDS", "AVG"},
                      [](const PlayerSeason& p, int teamGames) {
                        return C(p, kStatPunts) > 0 && C(p, kStatPunts) >= int64_t{kAveragePuntsPerGame} * teamGames;
                      },
                      [](const PlayerSeason& p) {
                        return std::vector<double>{double(C(p, kStatPunts)), double(C(p, kStatPuntYards)),
                                                   driver::Average(C(p, kStatPuntYards), C(p, kStatPunts))};
                      },
                      2});
  sections.push_back({"kick_returns", "Kick returns", {"NUM", "YDS", "AVG", "TD"}, count(kStatKickReturns),
                      returns(kStatKickReturns, kStatKickReturnYards, kStatKickReturnTouchdowns), 1});
  sections.push_back({"punt_returns", "Punt returns", {"NUM", "YDS", "AVG", "TD"}, count(kStatPuntReturns),
                      returns(kStatPuntReturns, kStatPuntReturnYards, kStatPuntReturnTouchdowns), 1});
  return sections;
}

}  // namespace

Leaders SeasonLeaders(const Season& season) {
  const size_t teamCount = season.definition.teams.size();
  Leaders leaders;
  std::map<std::pair<int, int>, PlayerSeason> players;  // (team, record)
  for (size_t t = 0; t < teamCount; ++t) {
    TeamTotals totals;
    totals.team = static_cast<int>(t);
    totals.counters.assign(kStatCounterCount, 0);
    leaders.teams.push_back(std::move(totals));
  }
  std::vector<const GameRecord*> games;
  for (const GameRecord& game : season.games) {
    if (game.id <= static_cast<int>(season.definition.schedule.size())) games.push_back(&game);
  }
  std::sort(games.begin(), games.end(),
            [](const GameRecord* a, const GameRecord* b) { return std::tie(a->week, a->id) < std::tie(b->week, b->id); });
  for (const GameRecord* game : games) {
    for (const bool home : {true, false}) {
      const int team = home ? game->home : game->away;
      const league::TeamStats stats = league::ParseTeamStats(home ? game->homeStats : game->awayStats);
      TeamTotals& totals = leaders.teams[static_cast<size_t>(team)];
      ++totals.games;
      totals.pointsFor += home ? game->homeScore : game->awayScore;
      totals.pointsAgainst += home ? game->awayScore : game->homeScore;
      for (int record = 0; record < kStatLinesPerTeam; ++record) {
        const league::StatLine& line = stats.lines[static_cast<size_t>(record)];
        PlayerSeason& player = players[{team, record}];
        if (player.counters.empty()) {
          player.team = team;
          player.rosterSlot = RosterSlotOf(record);
          player.counters.assign(kStatCounterCount, 0);
        }
        player.name = line.name;  // the latest game's name
        ++player.games;
        for (int slot = 0; slot < kStatCounterCount; ++slot) {
          player.counters[static_cast<size_t>(slot)] += line.counters[static_cast<size_t>(slot)];
          totals.counters[static_cast<size_t>(slot)] += line.counters[static_cast<size_t>(slot)];
        }
      }
    }
  }
  for (auto& [key, player] : players) leaders.players.push_back(player);

  for (const SectionSpec& spec : Sections()) {
    LeaderTable table{spec.key, spec.title, spec.columns, {}};
    for (const PlayerSeason& player : leaders.players) {
      const int teamGames = leaders.teams[static_cast<size_t>(player.team)].games;
      if (!spec.qualifies(player, teamGames)) continue;
      table.rows.push_back({player.team, player.rosterSlot, player.name, spec.values(player)});
    }
    // Best first; equal values keep team and roster order.
    std::stable_sort(table.rows.begin(), table.rows.end(), [&spec](const LeaderRow& a, const LeaderRow& b) {
      return a.values[spec.sortColumn] > b.values[spec.sortColumn];
    });
    if (table.rows.size() > kLeadersShown) table.rows.resize(kLeadersShown);
    leaders.tables.push_back(std::move(table));
  }
  return leaders;
}

}  // namespace qgu::season
