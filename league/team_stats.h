#pragma once
// End-of-game statistics as text: the raw string of a cartridge statistics
// block, the team statistics string built from it with the players' names
// (what the game summary and the tool server's end-of-game report read), and
// the final score text. No emulator needed: the game driver reads the bytes
// out of the console (driver/team_stats.h).

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "cartridge/console_memory.h"
#include "league/team_record.h"

namespace qgu::league {

// The layout of a team statistics string, in a namespace of its own so that
// the game driver can take all of it in at once.
namespace stat_layout {

// Counter slots of a StatLine.
enum StatSlot : int {
  kStatPassAttempts,
  kStatCompletions,
  kStatPassTouchdowns,
  kStatInterceptionsThrown,
  kStatPassYards,
  kStatRushAttempts,
  kStatRushYards,
  kStatRushTouchdowns,
  kStatReceptions,
  kStatReceivingYards,
  kStatReceivingTouchdowns,
  kStatKickReturns,
  kStatKickReturnYards,
  kStatKickReturnTouchdowns,
  kStatPuntReturns,
  kStatPuntReturnYards,
  kStatPuntReturnTouchdowns,
  kStatInterceptions,
  kStatInterceptionReturnYards,
  kStatInterceptionTouchdowns,
  kStatSacks,
  kStatExtraPointsAttempted,
  kStatExtraPointsMade,
  kStatFieldGoalsAttempted,
  kStatFieldGoalsMade,
  kStatPunts,
  kStatPuntYards,
  kStatCounterCount
};

// One listed player: roster lines 0-11 are records 0-11, lines 17-29 records
// 12-24 (the offensive line is not listed).
inline constexpr int kStatLinesPerTeam = 25;
inline constexpr int kFirstDefenderRecord = 12;
inline constexpr int kLastDefenderRecord = 22;
inline constexpr int kKickerRecord = 23;
inline constexpr int kPunterRecord = 24;
inline constexpr size_t kMaxStatTeamName = 16;
inline constexpr size_t kMaxStatPlayerName = 18;

}  // namespace stat_layout
using namespace stat_layout;

struct StatLine {
  std::string team;
  std::string name;
  std::array<int32_t, kStatCounterCount> counters{};
};

using TeamStatLines = std::array<StatLine, kStatLinesPerTeam>;

struct TeamStats {
  std::string teamName;
  TeamStatLines lines;
};

// Bytes in one side's statistics block.
inline constexpr int kStatsBlockBytes = QGU_STATS_BLOCK_BYTES;

// Each byte of a block as unsigned decimal followed by "|".
std::string RawStatsString(std::span<const uint8_t> block);

// Raw string + the team's record -> 25 records: the team's nickname and each
// listed player's last name. Two-byte figures are two's complement except the
// punter's yards; missing raw fields read as 0.
TeamStatLines DecodeStatLines(const TeamRecord& team, std::string_view raw);
// The team statistics string: per record team|name|27 counters|, 29 fields.
std::string FormatTeamStats(const TeamStatLines& lines);
// Both steps: the raw string of a block into the team statistics string.
std::string DecodeTeamStats(const TeamRecord& team, std::string_view raw);

// A team statistics string back into its team name and 25 records; missing
// fields read as empty text or 0.
TeamStats ParseTeamStats(std::string_view text);

// The points of four BCD period bytes, and their decimal text.
int PeriodScoreSum(std::span<const uint8_t> periodBytes);
std::string FinalScoreText(std::span<const uint8_t> periodBytes);

}  // namespace qgu::league
