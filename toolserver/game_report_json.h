#pragma once
// The four texts of a game's report (both statistics strings and both
// scores) read from what `qgu2 --headless --json` prints, so the report of
// any headless game can be shown.

#include <cstddef>
#include <string>
#include <string_view>

#include "base/result.h"

namespace qgu::toolserver {

struct GameReportTexts {
  std::string homeStats;
  std::string awayStats;
  std::string homeScore;
  std::string awayScore;
};

// A game's JSON is a few kilobytes; a file larger than this is no such game.
inline constexpr size_t kMaxGameReportJsonBytes = 1 << 20;

// Refuses anything that is not such a game, naming what is missing.
base::Result<GameReportTexts> ReadGameReportJson(std::string_view json);

}  // namespace qgu::toolserver
