// The schedule's promises, over many seeds and league sizes.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "season/schedule.h"

namespace qgu::season {
namespace {

struct Tally {
  std::vector<int> games, home, away;
  std::map<std::pair<int, int>, int> meetings;       // unordered pair
  std::map<std::pair<int, int>, int> directedHomes;  // (home, away)
};

// Checks everything a schedule of n teams and g games a team must hold; returns the tally.
Tally CheckSchedule(const std::vector<ScheduledGame>& schedule, int n, int g, const std::string& what) {
  Tally tally{std::vector<int>(n), std::vector<int>(n), std::vector<int>(n), {}, {}};
  std::set<std::pair<int, int>> busy;  // (week, team)
  int lastWeek = 0;
  for (size_t i = 0; i < schedule.size(); ++i) {
    const ScheduledGame& game = schedule[i];
    EXPECT_EQ(game.id, static_cast<int>(i) + 1) << what;
    EXPECT_GE(game.week, lastWeek) << what << ": ids run in week order";
    lastWeek = game.week;
    EXPECT_NE(game.home, game.away) << what;
    EXPECT_TRUE(busy.insert({game.week, game.home}).second) << what << ": team " << game.home << " twice in week " << game.week;
    EXPECT_TRUE(busy.insert({game.week, game.away}).second) << what << ": team " << game.away << " twice in week " << game.week;
    ++tally.games[game.home];
    ++tally.games[game.away];
    ++tally.home[game.home];
    ++tally.away[game.away];
    ++tally.meetings[{std::min(game.home, game.away), std::max(game.home, game.away)}];
    ++tally.directedHomes[{game.home, game.away}];
  }
  for (int t = 0; t < n; ++t) {
    EXPECT_EQ(tally.games[t], g) << what << ": team " << t;
    EXPECT_LE(std::abs(tally.home[t] - tally.away[t]), 1) << what << ": team " << t << " home/away";
  }
  EXPECT_EQ(static_cast<int>(schedule.size()), n * g / 2) << what;
  return tally;
}

TEST(Schedule, EveryRuleHoldsOverAThousandSeedsAndTwoToFortyTeams) {
  for (uint32_t seed = 0; seed < 1000; ++seed) {
    const int n = 2 + static_cast<int>(seed % 39);
    // The default count, and another count that the league size allows.
    for (int g : {DefaultGamesPerTeam(n, {}), 1 + static_cast<int>((seed * 7) % kMaxGamesPerTeam)}) {
      if (n % 2 == 1 && g % 2 == 1) {
        EXPECT_FALSE(MakeSchedule({n, {}, g, seed})) << n << " teams, " << g << " games";
        continue;
      }
      const std::string what = std::to_string(n) + " teams, " + std::to_string(g) + " games, seed " + std::to_string(seed);
      auto schedule = MakeSchedule({n, {}, g, seed});
      ASSERT_TRUE(schedule) << what << ": " << schedule.error();
      const Tally tally = CheckSchedule(schedule.value(), n, g, what);
      // No pair meets more often than the count needs.
      const int most = (g + n - 2) / (n - 1);
      const int least = g / (n - 1);
      for (int a = 0; a < n; ++a) {
        for (int b = a + 1; b < n; ++b) {
          const auto it = tally.meetings.find({a, b});
          const int met = it == tally.meetings.end() ? 0 : it->second;
          EXPECT_LE(met, most) << what;
          EXPECT_GE(met, least) << what;
        }
      }
    }
  }
}

TEST(Schedule, DivisionRivalsMeetHomeAndAwayAndEveryoneElseEvenly) {
  // (divisions, teams a division)
  for (const auto& [divisions, size] : std::vector<std::pair<int, int>>{{2, 2}, {2, 3}, {4, 4}, {7, 4}, {3, 5}, {8, 5}}) {
    const int n = divisions * size;
    std::vector<int> divisionOf(static_cast<size_t>(n));
    for (int t = 0; t < n; ++t) divisionOf[t] = (t * 5) % divisions;  // members spread over the listing
    std::map<int, int> counts;
    for (int d : divisionOf) ++counts[d];
    if (counts.size() != static_cast<size_t>(divisions) || counts.begin()->second != size) continue;
    for (uint32_t seed = 0; seed < 40; ++seed) {
      const int g = DefaultGamesPerTeam(n, divisionOf);
      const std::string what = std::to_string(divisions) + "x" + std::to_string(size) + ", seed " + std::to_string(seed);
      auto schedule = MakeSchedule({n, divisionOf, g, seed});
      ASSERT_TRUE(schedule) << what << ": " << schedule.error();
      const Tally tally = CheckSchedule(schedule.value(), n, g, what);
      const int others = n - size;
      const int rest = g - 2 * (size - 1);
      for (int a = 0; a < n; ++a) {
        for (int b = a + 1; b < n; ++b) {
          const auto it = tally.meetings.find({a, b});
          const int met = it == tally.meetings.end() ? 0 : it->second;
          if (divisionOf[a] == divisionOf[b]) {
            EXPECT_EQ(met, 2) << what;
            EXPECT_EQ(tally.directedHomes.count({a, b}), 1u) << what << ": rivals once at each home";
            EXPECT_EQ(tally.directedHomes.count({b, a}), 1u) << what;
          } else {
            EXPECT_LE(met, (rest + others - 1) / others) << what;
          }
        }
      }
    }
  }
}

TEST(Schedule, ImpossibleRequestsSayWhy) {
  EXPECT_NE(MakeSchedule({1, {}, 2, 0}).error().find("at least 2 teams"), std::string::npos);
  EXPECT_NE(MakeSchedule({4, {}, 0, 0}).error().find("at least 1 game"), std::string::npos);
  EXPECT_NE(MakeSchedule({5, {}, 3, 0}).error().find("must be even"), std::string::npos);
  EXPECT_NE(MakeSchedule({4, {}, 10000, 0}).error().find("at most"), std::string::npos);
  EXPECT_NE(MakeSchedule({5, {0, 0, 1, 1, 1}, 4, 0}).error().find("same number of teams"), std::string::npos);
  EXPECT_NE(MakeSchedule({8, {0, 0, 0, 0, 1, 1, 1, 1}, 4, 0}).error().find("at least 6 games"), std::string::npos);
}

TEST(Schedule, TheSameSeedGivesTheSameScheduleAndAnotherSeedAnotherOne) {
  auto a = MakeSchedule({10, {}, 9, 42});
  auto b = MakeSchedule({10, {}, 9, 42});
  auto c = MakeSchedule({10, {}, 9, 43});
  ASSERT_TRUE(a && b && c);
  auto key = [](const std::vector<ScheduledGame>& s) {
    std::vector<std::tuple<int, int, int>> out;
    for (const auto& g : s) out.emplace_back(g.week, g.home, g.away);
    return out;
  };
  EXPECT_EQ(key(a.value()), key(b.value()));
  EXPECT_NE(key(a.value()), key(c.value()));
}

}  // namespace
}  // namespace qgu::season
