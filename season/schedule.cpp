#include "season/schedule.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <tuple>
#include <string>
#include <utility>

namespace qgu::season {
namespace {

constexpr int kDefaultMostGames = 16;
// Week assignments tried; the one with the fewest weeks is kept.
constexpr int kWeekOrderTries = 24;

struct Layout {
  int teams = 0;
  int divisions = 0;     // D: 1 team a "division" when none are given
  int divisionSize = 0;  // d
};

// Teams sit on a circle, position-major (position p of division k at p x D +
// k), so two teams are division rivals exactly when their distance on the
// circle is a multiple of D.
struct Circle {
  Layout layout;
  std::vector<int> teamAt;  // circle index -> team
};

base::Result<Layout> LayoutOf(int teamCount, const std::vector<int>& divisionOf) {
  Layout layout{teamCount, teamCount, 1};
  if (divisionOf.empty()) return layout;
  std::map<int, int> sizes;
  for (const int division : divisionOf) ++sizes[division];
  const int size = sizes.begin()->second;
  for (const auto& [division, count] : sizes) {
    if (count != size) return base::Fail("the divisions must all hold the same number of teams");
  }
  layout.divisions = static_cast<int>(sizes.size());
  layout.divisionSize = size;
  return layout;
}

Circle MakeCircle(const Layout& layout, const std::vector<int>& divisionOf, std::mt19937& random) {
  std::map<int, std::vector<int>> members;
  for (int team = 0; team < layout.teams; ++team) members[divisionOf.empty() ? team : divisionOf[team]].push_back(team);
  std::vector<std::vector<int>> divisions;
  for (auto& [division, teams] : members) {
    std::shuffle(teams.begin(), teams.end(), random);
    divisions.push_back(teams);
  }
  if (divisionOf.empty()) {
    // One team per "division": shuffle the teams themselves.
    std::shuffle(divisions.begin(), divisions.end(), random);
  }
  Circle circle{layout, std::vector<int>(static_cast<size_t>(layout.teams))};
  for (int k = 0; k < layout.divisions; ++k) {
    for (int p = 0; p < layout.divisionSize; ++p) circle.teamAt[p * layout.divisions + k] = divisions[k][p];
  }
  return circle;
}

int RivalGames(const Layout& layout) { return 2 * (layout.divisionSize - 1); }
int OthersPerTeam(const Layout& layout) { return layout.teams - layout.divisionSize; }
bool HalfOffsetAllowed(const Layout& layout) {
  return layout.teams % 2 == 0 && (layout.teams / 2) % layout.divisions != 0;
}

// Why G games a team cannot be scheduled, or empty.
std::string Impossible(const Layout& layout, int games) {
  if (games < 1) return "every team needs at least 1 game";
  if (layout.teams < 2) return "a season needs at least 2 teams";
  if (games < RivalGames(layout)) {
    return "division rivals meet twice, so every team needs at least " + std::to_string(RivalGames(layout)) + " games";
  }
  const int others = games - RivalGames(layout);
  if (others > 0 && OthersPerTeam(layout) == 0) {
    return "with one division every team plays its rivals only: " + std::to_string(RivalGames(layout)) + " games";
  }
  if (layout.teams % 2 == 1 && games % 2 == 1) {
    return "with an odd number of teams (" + std::to_string(layout.teams) + ") the games per team must be even";
  }
  if (OthersPerTeam(layout) > 0 && (others % OthersPerTeam(layout)) % 2 == 1 && !HalfOffsetAllowed(layout)) {
    return "these divisions cannot give every team " + std::to_string(games) + " games; try one more or one fewer";
  }
  return {};
}

using PairCounts = std::map<std::pair<int, int>, int>;  // (low, high) circle indices -> meetings

void AddMeeting(PairCounts& counts, int a, int b) { ++counts[{std::min(a, b), std::max(a, b)}]; }

PairCounts Meetings(const Layout& layout, int games, std::mt19937& random) {
  PairCounts counts;
  const int n = layout.teams;
  const int D = layout.divisions;
  for (int a = 0; a < n; ++a) {
    for (int b = a + 1; b < n; ++b) {
      if ((b - a) % D == 0) counts[{a, b}] = 2;  // rivals: home and away
    }
  }
  const int others = OthersPerTeam(layout);
  if (others == 0) return counts;
  const int remaining = games - RivalGames(layout);
  const int passes = remaining / others;
  int partial = remaining % others;
  for (int a = 0; a < n; ++a) {
    for (int b = a + 1; b < n; ++b) {
      if ((b - a) % D != 0 && passes > 0) counts[{a, b}] += passes;
    }
  }
  if (partial % 2 == 1) {
    for (int a = 0; a < n / 2; ++a) AddMeeting(counts, a, a + n / 2);
    --partial;
  }
  std::vector<int> offsets;
  for (int delta = 1; 2 * delta < n; ++delta) {
    if (delta % D != 0) offsets.push_back(delta);
  }
  std::shuffle(offsets.begin(), offsets.end(), random);
  for (int i = 0; i < partial / 2; ++i) {
    for (int a = 0; a < n; ++a) AddMeeting(counts, a, (a + offsets[i]) % n);
  }
  return counts;
}

// Who is at home: pairs met an even number of times split evenly; the odd
// meetings are oriented along closed trails (odd-degree teams joined to one
// extra vertex first), so every team's home and away counts differ by one at most.
std::vector<std::pair<int, int>> Orient(const PairCounts& counts, int n, std::mt19937& random) {
  std::vector<std::pair<int, int>> games;  // (home, away)
  std::vector<std::pair<int, int>> oddEdges;
  for (const auto& [pair, count] : counts) {
    for (int i = 0; i < count / 2; ++i) {
      games.push_back(pair);
      games.emplace_back(pair.second, pair.first);
    }
    if (count % 2 == 1) oddEdges.push_back(pair);
  }
  const int extra = n;
  std::vector<int> degree(static_cast<size_t>(n + 1), 0);
  for (const auto& [a, b] : oddEdges) {
    ++degree[a];
    ++degree[b];
  }
  const size_t realEdges = oddEdges.size();
  for (int v = 0; v < n; ++v) {
    if (degree[v] % 2 == 1) oddEdges.emplace_back(v, extra);
  }
  std::vector<std::vector<size_t>> incident(static_cast<size_t>(n + 1));
  for (size_t e = 0; e < oddEdges.size(); ++e) {
    incident[oddEdges[e].first].push_back(e);
    incident[oddEdges[e].second].push_back(e);
  }
  for (auto& edges : incident) std::shuffle(edges.begin(), edges.end(), random);
  std::vector<bool> used(oddEdges.size(), false);
  std::vector<size_t> next(incident.size(), 0);
  std::vector<int> starts(static_cast<size_t>(n + 1));
  std::iota(starts.begin(), starts.end(), 0);
  std::shuffle(starts.begin(), starts.end(), random);
  for (const int start : starts) {
    // Every degree is even, so a trail from start can only stop at start.
    int at = start;
    while (true) {
      auto& cursor = next[at];
      while (cursor < incident[at].size() && used[incident[at][cursor]]) ++cursor;
      if (cursor == incident[at].size()) break;
      const size_t e = incident[at][cursor];
      used[e] = true;
      const int to = oddEdges[e].first == at ? oddEdges[e].second : oddEdges[e].first;
      if (e < realEdges) games.emplace_back(at, to);
      at = to;
    }
  }
  return games;
}

// Each game into the earliest week where neither team plays yet.
std::vector<int> AssignWeeks(const std::vector<std::pair<int, int>>& games, int n, int& weeks) {
  std::vector<std::vector<bool>> busy(static_cast<size_t>(n));
  std::vector<int> weekOf(games.size());
  weeks = 0;
  for (size_t g = 0; g < games.size(); ++g) {
    const auto& [home, away] = games[g];
    int week = 0;
    while (true) {
      const bool homeBusy = static_cast<size_t>(week) < busy[home].size() && busy[home][week];
      const bool awayBusy = static_cast<size_t>(week) < busy[away].size() && busy[away][week];
      if (!homeBusy && !awayBusy) break;
      ++week;
    }
    for (const int team : {home, away}) {
      if (busy[team].size() <= static_cast<size_t>(week)) busy[team].resize(static_cast<size_t>(week) + 1, false);
      busy[team][week] = true;
    }
    weekOf[g] = week;
    weeks = std::max(weeks, week + 1);
  }
  return weekOf;
}

}  // namespace

int DefaultGamesPerTeam(int teamCount, const std::vector<int>& divisionOf) {
  const base::Result<Layout> layout = LayoutOf(teamCount, divisionOf);
  if (!layout || teamCount < 2) return 0;
  int games = std::min(kDefaultMostGames, RivalGames(layout.value()) + OthersPerTeam(layout.value()));
  games = std::max(games, RivalGames(layout.value()));
  while (games > 1 && !Impossible(layout.value(), games).empty()) --games;
  return games;
}

base::Result<std::vector<ScheduledGame>> MakeSchedule(const ScheduleInput& input) {
  if (!input.divisionOf.empty() && input.divisionOf.size() != static_cast<size_t>(input.teamCount)) {
    return base::Fail("every team needs a division");
  }
  const base::Result<Layout> layout = LayoutOf(input.teamCount, input.divisionOf);
  if (!layout) return base::Fail(layout.error());
  if (input.gamesPerTeam > kMaxGamesPerTeam) {
    return base::Fail("at most " + std::to_string(kMaxGamesPerTeam) + " games a team, not " +
                      std::to_string(input.gamesPerTeam));
  }
  if (const std::string why = Impossible(layout.value(), input.gamesPerTeam); !why.empty()) return base::Fail(why);

  std::mt19937 random(input.seed);
  const Circle circle = MakeCircle(layout.value(), input.divisionOf, random);
  const PairCounts counts = Meetings(layout.value(), input.gamesPerTeam, random);
  std::vector<std::pair<int, int>> games = Orient(counts, input.teamCount, random);

  std::vector<std::pair<int, int>> best;
  std::vector<int> bestWeeks;
  int fewest = 0;
  for (int attempt = 0; attempt < kWeekOrderTries; ++attempt) {
    std::shuffle(games.begin(), games.end(), random);
    int weeks = 0;
    std::vector<int> weekOf = AssignWeeks(games, input.teamCount, weeks);
    if (best.empty() || weeks < fewest) {
      fewest = weeks;
      best = games;
      bestWeeks = std::move(weekOf);
    }
  }
  std::vector<ScheduledGame> schedule;
  for (size_t g = 0; g < best.size(); ++g) {
    schedule.push_back(ScheduledGame{0, bestWeeks[g] + 1, circle.teamAt[best[g].first], circle.teamAt[best[g].second]});
  }
  std::sort(schedule.begin(), schedule.end(), [](const ScheduledGame& a, const ScheduledGame& b) {
    return std::tie(a.week, a.home, a.away) < std::tie(b.week, b.home, b.away);
  });
  for (size_t g = 0; g < schedule.size(); ++g) schedule[g].id = static_cast<int>(g) + 1;
  return schedule;
}

}  // namespace qgu::season
