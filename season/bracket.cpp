#include <algorithm>
#include <tuple>

#include "season/season.h"
#include "season/season_files.h"

namespace qgu::season {
namespace {

int RoundsFor(int playoffTeams) {
  int rounds = 0;
  while ((1 << rounds) < playoffTeams) ++rounds;
  return rounds;
}

// Seed numbers in bracket order: 1 meets the last, and the top seeds can
// only meet late (8 seeds: 1 8 4 5 2 7 3 6).
std::vector<int> BracketOrder(int size) {
  std::vector<int> order{1};
  while (static_cast<int>(order.size()) < size) {
    const int next = static_cast<int>(order.size()) * 2;
    std::vector<int> grown;
    for (const int seed : order) {
      grown.push_back(seed);
      grown.push_back(next + 1 - seed);
    }
    order = std::move(grown);
  }
  return order;
}

bool RegularSeasonOver(const Season& season) {
  const auto regular = static_cast<int>(season.definition.schedule.size());
  int played = 0;
  for (const GameRecord& game : season.games) played += game.id <= regular ? 1 : 0;
  return played == regular;
}

std::vector<PlayoffSeed> Seeding(const Season& season) {
  const StandingsGroup table = LeagueTable(season);
  std::vector<int> order;
  std::vector<bool> winner(season.definition.teams.size(), false);
  const std::vector<StandingsGroup> groups = Standings(season);
  if (!groups.empty() && !groups.front().division.empty()) {
    for (const StandingsGroup& group : groups) winner[group.rows.front().team] = true;
    for (const StandingRow& row : table.rows) {
      if (winner[row.team]) order.push_back(row.team);
    }
  }
  for (const StandingRow& row : table.rows) {
    if (!winner[row.team]) order.push_back(row.team);
  }
  std::vector<PlayoffSeed> seeds;
  for (int i = 0; i < season.definition.playoffTeams; ++i) {
    seeds.push_back({i + 1, order[i], winner[order[i]]});
  }
  return seeds;
}

const GameRecord* FindGame(const Season& season, int id) {
  for (const GameRecord& game : season.games) {
    if (game.id == id) return &game;
  }
  return nullptr;
}

}  // namespace

Bracket SeasonBracket(const Season& season) {
  Bracket bracket;
  bracket.tieRule = std::string(kTiedPlayoffRule);
  const int teams = season.definition.playoffTeams;
  if (teams < 2) return bracket;
  bracket.rounds = RoundsFor(teams);
  if (!RegularSeasonOver(season)) {
    for (int round = 1; round <= bracket.rounds; ++round) {
      for (int slot = 1; slot <= (1 << (bracket.rounds - round)); ++slot) {
        bracket.games.push_back({kPlayoffGameBase + 100 * round + slot, round, {}, {}, {}, {}, ""});
      }
    }
    return bracket;
  }
  bracket.seeds = Seeding(season);
  std::vector<int> seedOf(season.definition.teams.size(), 0);
  for (const PlayoffSeed& seed : bracket.seeds) seedOf[seed.team] = seed.seed;

  // Who stands in each place of the current round: a team, or nobody yet.
  std::vector<std::optional<int>> places;
  for (const int seed : BracketOrder(1 << bracket.rounds)) {
    places.push_back(seed <= teams ? std::optional<int>(bracket.seeds[seed - 1].team) : std::nullopt);
  }
  std::vector<bool> bye(places.size(), false);
  for (size_t i = 0; i < places.size(); ++i) bye[i] = !places[i].has_value();

  for (int round = 1; round <= bracket.rounds; ++round) {
    std::vector<std::optional<int>> next;
    std::vector<bool> nextBye;
    for (size_t slot = 0; slot < places.size() / 2; ++slot) {
      const std::optional<int> a = places[2 * slot];
      const std::optional<int> b = places[2 * slot + 1];
      if (round == 1 && (bye[2 * slot] || bye[2 * slot + 1])) {
        // Only round 1 has empty places: the other team goes through.
        const std::optional<int> through = bye[2 * slot] ? b : a;
        if (through) bracket.byes.push_back(*through);
        next.push_back(through);
        nextBye.push_back(false);
        continue;
      }
      BracketGame game;
      game.id = kPlayoffGameBase + 100 * round + static_cast<int>(slot) + 1;
      game.round = round;
      if (a && b) {
        const bool aHome = seedOf[*a] < seedOf[*b];
        game.home = aHome ? a : b;
        game.away = aHome ? b : a;
        const GameRecord* played = FindGame(season, game.id);
        if (played != nullptr && played->home == *game.home && played->away == *game.away) {
          game.result = *played;
          if (played->homeScore != played->awayScore) {
            game.winner = played->homeScore > played->awayScore ? played->home : played->away;
          } else {
            game.winner = game.home;  // the higher seed
            game.decidedBy = std::string(kTiedPlayoffRule);
          }
        }
      }
      next.push_back(game.winner);
      nextBye.push_back(false);
      bracket.games.push_back(std::move(game));
    }
    places = std::move(next);
    bye = std::move(nextBye);
  }
  if (places.size() == 1 && places.front()) bracket.champion = places.front();
  return bracket;
}

std::vector<ScheduledGame> KnownPlayoffGames(const Season& season) {
  std::vector<ScheduledGame> games;
  for (const BracketGame& game : SeasonBracket(season).games) {
    if (game.home && game.away) {
      games.push_back({game.id, season.definition.regularWeeks + game.round, *game.home, *game.away});
    }
  }
  return games;
}

std::vector<WeekView> Schedule(const Season& season) {
  const SeasonDefinition& definition = season.definition;
  std::vector<WeekView> weeks;
  auto viewOf = [&](const ScheduledGame& game, bool playoff, int round) {
    GameView view{game, playoff, round, std::nullopt, definition.teams[game.home].user || definition.teams[game.away].user};
    if (const GameRecord* played = FindGame(season, game.id);
        played != nullptr && played->home == game.home && played->away == game.away) {
      view.result = *played;
    }
    return view;
  };
  for (int week = 1; week <= definition.regularWeeks; ++week) {
    weeks.push_back({week, false, "Week " + std::to_string(week), {}});
  }
  for (const ScheduledGame& game : definition.schedule) weeks[game.week - 1].games.push_back(viewOf(game, false, 0));
  const int rounds = definition.playoffTeams >= 2 ? RoundsFor(definition.playoffTeams) : 0;
  const std::vector<ScheduledGame> playoffs = KnownPlayoffGames(season);
  for (int round = 1; round <= rounds; ++round) {
    WeekView week{definition.regularWeeks + round, true,
                  round == rounds ? "Final" : "Playoffs round " + std::to_string(round), {}};
    for (const ScheduledGame& game : playoffs) {
      if (game.week == week.week) week.games.push_back(viewOf(game, true, round));
    }
    if (!week.games.empty()) weeks.push_back(std::move(week));
  }
  return weeks;
}

}  // namespace qgu::season
