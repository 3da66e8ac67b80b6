#pragma once
// The regular schedule of a season: every team plays the same number of
// games, nobody twice in a week, home and away within one of each other, no
// pair met more often than the count needs, and division rivals once at home
// and once away. Pure: the same input gives the same schedule.

#include <cstdint>
#include <vector>

#include "base/result.h"
#include "season/season.h"

namespace qgu::season {

struct ScheduleInput {
  int teamCount = 0;
  // Division index per team (0, 1, ...), or empty: no divisions. Divisions
  // must be of equal size.
  std::vector<int> divisionOf;
  int gamesPerTeam = 0;
  uint32_t seed = 0;
};

// As many games as one meeting with every other team (division rivals twice)
// allows, at most 16, trimmed by one where the count could not be met.
int DefaultGamesPerTeam(int teamCount, const std::vector<int>& divisionOf);

// Games numbered 1, 2, ... in week order, weeks from 1.
base::Result<std::vector<ScheduledGame>> MakeSchedule(const ScheduleInput& input);

}  // namespace qgu::season
