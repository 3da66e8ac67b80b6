#include <algorithm>
#include <functional>
#include <map>
#include <tuple>

#include "season/season.h"
#include "season/season_files.h"

namespace qgu::season {
namespace {

// What a team did in the regular season, game by game in week order.
struct TeamSeason {
  StandingRow row;
  std::string results;  // 'W', 'L', 'T' in week order
};

enum class Outcome { kWin, kLoss, kTie };

Outcome OutcomeFor(const GameRecord& game, int team) {
  const int own = game.home == team ? game.homeScore : game.awayScore;
  const int other = game.home == team ? game.awayScore : game.homeScore;
  return own > other ? Outcome::kWin : own < other ? Outcome::kLoss : Outcome::kTie;
}

void Count(WinLossTie& record, Outcome outcome) {
  if (outcome == Outcome::kWin) ++record.wins;
  else if (outcome == Outcome::kLoss) ++record.losses;
  else ++record.ties;
}

std::vector<const GameRecord*> RegularGamesInOrder(const Season& season) {
  std::vector<const GameRecord*> games;
  for (const GameRecord& game : season.games) {
    if (game.id <= static_cast<int>(season.definition.schedule.size())) games.push_back(&game);
  }
  std::sort(games.begin(), games.end(), [](const GameRecord* a, const GameRecord* b) {
    return std::tie(a->week, a->id) < std::tie(b->week, b->id);
  });
  return games;
}

std::vector<TeamSeason> TeamSeasons(const Season& season) {
  const auto& teams = season.definition.teams;
  std::vector<TeamSeason> result(teams.size());
  for (size_t i = 0; i < teams.size(); ++i) result[i].row.team = static_cast<int>(i);
  for (const GameRecord* game : RegularGamesInOrder(season)) {
    for (const int team : {game->home, game->away}) {
      const int other = team == game->home ? game->away : game->home;
      TeamSeason& entry = result[team];
      const Outcome outcome = OutcomeFor(*game, team);
      Count(entry.row.record, outcome);
      Count(team == game->home ? entry.row.home : entry.row.away, outcome);
      if (!teams[team].division.empty() && teams[team].division == teams[other].division &&
          teams[team].conference == teams[other].conference) {
        Count(entry.row.division, outcome);
      }
      if (!teams[team].conference.empty() && teams[team].conference == teams[other].conference) {
        Count(entry.row.conference, outcome);
      }
      entry.row.pointsFor += team == game->home ? game->homeScore : game->awayScore;
      entry.row.pointsAgainst += team == game->home ? game->awayScore : game->homeScore;
      entry.results += outcome == Outcome::kWin ? 'W' : outcome == Outcome::kLoss ? 'L' : 'T';
    }
  }
  for (TeamSeason& entry : result) {
    const std::string& results = entry.results;
    if (!results.empty()) {
      size_t run = 1;
      while (run < results.size() && results[results.size() - 1 - run] == results.back()) ++run;
      entry.row.streak = std::string(1, results.back()) + std::to_string(run);
    }
    entry.row.lastFive = results.substr(results.size() > 5 ? results.size() - 5 : 0);
  }
  return result;
}

struct Ranked {
  int team;
  std::string overNext;
};

// The tie-break rules in order; each gives a value per team of a tied group
// (more is better).
class CTieBreaker {
 public:
  CTieBreaker(const Season& season, const std::vector<TeamSeason>& teams)
      : season_(season), teams_(teams), games_(RegularGamesInOrder(season)) {
    for (const SeasonTeam& team : season.definition.teams) {
      hasDivisions_ = hasDivisions_ || !team.division.empty();
      hasConferences_ = hasConferences_ || !team.conference.empty();
    }
  }

  std::vector<Ranked> Rank(std::vector<int> group) const {
    if (group.size() == 1) return {{group.front(), ""}};
    for (const auto& [name, value] : Rules()) {
      std::vector<std::pair<double, int>> scored;
      for (const int team : group) scored.emplace_back(value(team, group), team);
      std::stable_sort(scored.begin(), scored.end(),
                       [](const auto& a, const auto& b) { return a.first > b.first; });
      if (scored.front().first == scored.back().first) continue;
      std::vector<Ranked> ranked;
      size_t start = 0;
      while (start < scored.size()) {
        size_t end = start;
        std::vector<int> tied;
        while (end < scored.size() && scored[end].first == scored[start].first) tied.push_back(scored[end++].second);
        if (!ranked.empty()) ranked.back().overNext = name;
        for (Ranked& entry : Rank(tied)) ranked.push_back(std::move(entry));
        start = end;
      }
      return ranked;
    }
    // The coin: drawn from the season seed, the same on every reading.
    std::stable_sort(group.begin(), group.end(), [this](int a, int b) { return Coin(a) > Coin(b); });
    std::vector<Ranked> ranked;
    for (const int team : group) ranked.push_back({team, "coin toss"});
    ranked.back().overNext.clear();
    return ranked;
  }

 private:
  using Rule = std::function<double(int team, const std::vector<int>& group)>;

  std::vector<std::pair<std::string, Rule>> Rules() const {
    std::vector<std::pair<std::string, Rule>> rules;
    rules.emplace_back("head-to-head", [this](int team, const std::vector<int>& group) { return HeadToHead(team, group); });
    if (hasDivisions_) {
      rules.emplace_back("division record", [this](int team, const std::vector<int>&) {
        return teams_[team].row.division.Percentage();
      });
    }
    if (hasConferences_) {
      rules.emplace_back("conference record", [this](int team, const std::vector<int>&) {
        return teams_[team].row.conference.Percentage();
      });
    }
    rules.emplace_back("point difference", [this](int team, const std::vector<int>&) {
      return static_cast<double>(teams_[team].row.pointsFor - teams_[team].row.pointsAgainst);
    });
    rules.emplace_back("points for", [this](int team, const std::vector<int>&) {
      return static_cast<double>(teams_[team].row.pointsFor);
    });
    return rules;
  }

  // The percentage in games among the tied teams only.
  double HeadToHead(int team, const std::vector<int>& group) const {
    WinLossTie record;
    for (const GameRecord* game : games_) {
      if (game->home != team && game->away != team) continue;
      const int other = game->home == team ? game->away : game->home;
      if (std::find(group.begin(), group.end(), other) == group.end()) continue;
      Count(record, OutcomeFor(*game, team));
    }
    return record.Percentage();
  }

  uint32_t Coin(int team) const {
    return GameSeed(season_.definition.seed ^ 0xC0195EEDu, team);
  }

  const Season& season_;
  const std::vector<TeamSeason>& teams_;
  std::vector<const GameRecord*> games_;
  bool hasDivisions_ = false;
  bool hasConferences_ = false;
};

// Ranked by percentage; equal percentages by the tie-break rules.
std::vector<StandingRow> RankRows(const Season& season, const std::vector<TeamSeason>& teams, std::vector<int> members) {
  std::stable_sort(members.begin(), members.end(), [&](int a, int b) {
    return teams[a].row.record.Percentage() > teams[b].row.record.Percentage();
  });
  const CTieBreaker breaker(season, teams);
  std::vector<StandingRow> rows;
  size_t start = 0;
  while (start < members.size()) {
    size_t end = start;
    std::vector<int> tied;
    const double pct = teams[members[start]].row.record.Percentage();
    while (end < members.size() && teams[members[end]].row.record.Percentage() == pct) tied.push_back(members[end++]);
    for (const Ranked& entry : breaker.Rank(tied)) {
      StandingRow row = teams[entry.team].row;
      row.tieBreakOverNext = entry.overNext;
      rows.push_back(std::move(row));
    }
    start = end;
  }
  return rows;
}

}  // namespace

double WinLossTie::Percentage() const {
  const int games = Games();
  return games == 0 ? 0.0 : (wins + 0.5 * ties) / games;
}

std::vector<StandingsGroup> Standings(const Season& season) {
  const std::vector<TeamSeason> teams = TeamSeasons(season);
  std::vector<StandingsGroup> groups;
  std::vector<std::vector<int>> members;
  for (size_t i = 0; i < season.definition.teams.size(); ++i) {
    const SeasonTeam& team = season.definition.teams[i];
    size_t g = 0;
    while (g < groups.size() && !(groups[g].conference == team.conference && groups[g].division == team.division)) ++g;
    if (g == groups.size()) {
      groups.push_back({team.conference, team.division, {}});
      members.emplace_back();
    }
    members[g].push_back(static_cast<int>(i));
  }
  for (size_t g = 0; g < groups.size(); ++g) groups[g].rows = RankRows(season, teams, members[g]);
  return groups;
}

StandingsGroup LeagueTable(const Season& season) {
  const std::vector<TeamSeason> teams = TeamSeasons(season);
  std::vector<int> members(teams.size());
  for (size_t i = 0; i < members.size(); ++i) members[i] = static_cast<int>(i);
  return {"", "", RankRows(season, teams, members)};
}

}  // namespace qgu::season
