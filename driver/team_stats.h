#pragma once
// End-of-game statistics read out of the running console: the raw strings of
// the two statistics blocks and the final score texts. The strings
// themselves, and the team statistics string made from them, belong to the
// league store (league/team_stats.h), which the tool server shares.

#include <cstdint>
#include <string>

#include "driver/console_memory.h"
#include "league/team_stats.h"

namespace qgu::driver {

using league::DecodeStatLines;
using league::DecodeTeamStats;
using league::FinalScoreText;
using league::FormatTeamStats;
using league::ParseTeamStats;
using league::PeriodScoreSum;
using league::RawStatsString;
using league::StatLine;
using league::TeamStatLines;
using league::TeamStats;
using namespace league::stat_layout;

// The 242-byte block starting at blockStart (cartmem::kHomeStatsBlock or kAwayStatsBlock).
std::string ReadRawStats(const IConsoleMemory& memory, uint16_t blockStart);
// From console memory: cartmem::kHomePeriodScores or kAwayPeriodScores.
std::string ReadFinalScoreText(const IConsoleMemory& memory, uint16_t firstPeriodByte);

}  // namespace qgu::driver
