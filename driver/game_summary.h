#pragma once
// What the end of a game hands the summary: the two team statistics strings
// (25 "|"-separated records each) and the two final score texts.

#include <string>

namespace qgu::driver {

struct GameSummary {
  std::string homeStats;
  std::string awayStats;
  std::string homeScore;
  std::string awayScore;
};

}  // namespace qgu::driver
