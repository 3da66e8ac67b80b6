#pragma once
// A set of games' figures beside football's: the realism table. Each row is
// a figure per team-game (or per game) with the range a league should see;
// tools print it for games played on the emulated cartridge or in the
// football simulator, and tests hold a small sample to loose bounds.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "league/team_stats.h"

namespace qgu::season {

// One side of one game.
struct SideFigures {
  int points = 0;
  std::array<int32_t, league::kStatCounterCount> totals{};  // the statistics string's counters, summed over players
  int fumblesLost = -1;                                     // -1: not known (a journal keeps no such figure)
  int longPlays = -1;                                       // scrimmage plays of 20 yards or more; -1 not known
  // Down figures, -1 when not known: first downs made, third and fourth downs tried and made.
  int firstDowns = -1, thirdDowns = -1, thirdDownsMade = -1, fourthDowns = -1, fourthDownsMade = -1;
  double strength = 0;                                      // league::StrengthOf(...).Total()
};

struct GameFigures {
  SideFigures home, away;
};

// The counters of a team statistics string summed over its players.
std::array<int32_t, league::kStatCounterCount> SummedCounters(std::string_view teamStats);
// The same from a raw statistics block (league::RawStatsString's bytes).
std::array<int32_t, league::kStatCounterCount> SummedCounters(std::span<const uint8_t> block);

struct RealismRow {
  std::string what;
  double low = 0, high = 0;  // the range; high < 0: no upper bound
  double value = 0;
  bool known = true;         // false: the games do not hold the figure
  bool percent = false;
  bool ranged = true;        // false: a figure shown for reading, with no range
  bool Inside() const { return known && value >= low && (high < 0 || value <= high); }
};

// The ranged rows, then figures for reading (first downs, third and fourth
// downs, kicking, returns).
std::vector<RealismRow> RealismTable(std::span<const GameFigures> games);
// A fixed-width table: figure, range, this set's value, and "ok" or "OUT";
// the rows for reading follow under a heading of their own. As a Markdown
// table when asked.
std::string FormatRealismTable(std::span<const RealismRow> rows, bool markdown = false);

}  // namespace qgu::season
