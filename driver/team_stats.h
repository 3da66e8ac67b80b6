#pragma once
// End-of-game statistics: the cartridge's raw per-player statistics blocks,
// the team statistics string built from them with the players' names (what
// the summary and the end-of-game report read), and the final score text.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "driver/console_memory.h"
#include "driver/team_record_lines.h"

namespace qgu::driver {

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

// Each byte of a block as unsigned decimal followed by "|".
std::string RawStatsString(std::span<const uint8_t> block);
// The 242-byte block starting at blockStart (cartmem::kHomeStatsBlock or kAwayStatsBlock).
std::string ReadRawStats(const IConsoleMemory& memory, uint16_t blockStart);

// Raw string + the team's record lines -> 25 records. Two-byte figures are
// two's complement except the punter's yards; missing raw fields read as 0.
TeamStatLines DecodeStatLines(const TeamRecordLines& record, std::string_view raw);
// The team statistics string: per record team|name|27 counters|, 29 fields.
std::string FormatTeamStats(const TeamStatLines& lines);
// Reads the team record file and decodes; a file that cannot be opened gives
// 25 records with empty names.
std::string DecodeTeamStats(const std::string& recordPath, std::string_view raw);

// A team statistics string back into its team name and 25 records; missing
// fields read as empty text or 0.
TeamStats ParseTeamStats(std::string_view text);

// The points of four BCD period bytes, and their decimal text.
int PeriodScoreSum(std::span<const uint8_t> periodBytes);
std::string FinalScoreText(std::span<const uint8_t> periodBytes);
// From console memory: cartmem::kHomePeriodScores or kAwayPeriodScores.
std::string ReadFinalScoreText(const IConsoleMemory& memory, uint16_t firstPeriodByte);

}  // namespace qgu::driver
