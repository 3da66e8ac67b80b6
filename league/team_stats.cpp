#include "league/team_stats.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "league/field_splitter.h"
#include "league/team_record_format.h"

namespace qgu::league {
namespace {

// How one figure of a raw block is stored.
enum class Width { kByte, kSigned16, kUnsigned16 };

struct RawFigure {
  StatSlot slot;
  Width width;
};

constexpr auto B = Width::kByte;
constexpr auto S = Width::kSigned16;

// Per roster group, the figures of each player in block order.
constexpr RawFigure kQuarterbackFigures[] = {
    {kStatPassAttempts, B}, {kStatCompletions, B}, {kStatPassTouchdowns, B}, {kStatInterceptionsThrown, B},
    {kStatPassYards, S},    {kStatRushAttempts, B}, {kStatRushYards, S},      {kStatRushTouchdowns, B}};
constexpr RawFigure kBackFigures[] = {
    {kStatReceptions, B},      {kStatReceivingYards, S},    {kStatReceivingTouchdowns, B},
    {kStatKickReturns, B},     {kStatKickReturnYards, S},   {kStatKickReturnTouchdowns, B},
    {kStatPuntReturns, B},     {kStatPuntReturnYards, S},   {kStatPuntReturnTouchdowns, B},
    {kStatRushAttempts, B},    {kStatRushYards, S},         {kStatRushTouchdowns, B}};
constexpr RawFigure kDefenderFigures[] = {
    {kStatSacks, B}, {kStatInterceptions, B}, {kStatInterceptionReturnYards, S}, {kStatInterceptionTouchdowns, B}};
constexpr RawFigure kKickerFigures[] = {
    {kStatExtraPointsAttempted, B}, {kStatExtraPointsMade, B}, {kStatFieldGoalsAttempted, B},
    {kStatFieldGoalsMade, B}};
constexpr RawFigure kPunterFigures[] = {{kStatPunts, B}, {kStatPuntYards, Width::kUnsigned16}};

struct RawGroup {
  int firstLine;
  int lastLine;
  std::span<const RawFigure> figures;
};

// The offensive line (roster lines 12-16) has no figures and is not listed.
constexpr std::array<RawGroup, 5> kRawGroups = {{
    {0, 1, kQuarterbackFigures},
    {2, 11, kBackFigures},
    {17, 27, kDefenderFigures},
    {28, 28, kKickerFigures},
    {29, 29, kPunterFigures},
}};

const RawGroup* GroupOf(int line) {
  for (const RawGroup& group : kRawGroups) {
    if (line >= group.firstLine && line <= group.lastLine) return &group;
  }
  return nullptr;
}

class RawReader {
 public:
  explicit RawReader(std::string_view raw) : splitter_(raw, kStatsSeparator) {}

  int32_t Next(Width width) {
    const int64_t low = NextByte();
    if (width == Width::kByte) return static_cast<int32_t>(low);
    const int64_t high = NextByte();
    const int64_t value = high * 256 + low;
    // The cartridge keeps yards in two's complement: $FB $FF is a loss of 5.
    return Clamped(width == Width::kSigned16 && high >= 0x80 ? value - 65536 : value);
  }

 private:
  int64_t NextByte() {
    const std::optional<std::string_view> field = splitter_.NextField();
    return field ? FieldToNumber(*field) : 0;
  }
  // Only a malformed raw string gets here with more than a byte in a field.
  static int32_t Clamped(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
  }
  FieldSplitter splitter_;
};

// A name in a "|"-separated string must not bring its own separator.
std::string StatText(std::string_view text, size_t maxLength) {
  std::string result(text.substr(0, std::min(text.size(), maxLength)));
  std::replace(result.begin(), result.end(), kStatsSeparator, '/');
  return result;
}

}  // namespace

std::string RawStatsString(std::span<const uint8_t> block) {
  std::string raw;
  raw.reserve(block.size() * 4);
  for (uint8_t byte : block) {
    raw += std::to_string(byte);
    raw += kStatsSeparator;
  }
  return raw;
}

TeamStatLines DecodeStatLines(const TeamRecord& record, std::string_view raw) {
  TeamStatLines lines;
  const std::string team = StatText(record.header.nickname, kMaxStatTeamName);
  RawReader reader(raw);
  size_t next = 0;
  for (int line = 0; line < kPlayerCount; ++line) {
    const RawGroup* group = GroupOf(line);
    if (group == nullptr) continue;
    StatLine& stat = lines[next++];
    stat.team = team;
    stat.name = StatText(record.players[static_cast<size_t>(line)].lastName, kMaxStatPlayerName);
    for (const RawFigure& figure : group->figures) stat.counters[figure.slot] = reader.Next(figure.width);
  }
  return lines;
}

std::string FormatTeamStats(const TeamStatLines& lines) {
  std::string text;
  for (const StatLine& line : lines) {
    text += StatText(line.team, kMaxStatTeamName) + kStatsSeparator;
    text += StatText(line.name, kMaxStatPlayerName) + kStatsSeparator;
    for (int32_t counter : line.counters) {
      text += std::to_string(counter);
      text += kStatsSeparator;
    }
  }
  return text;
}

std::string DecodeTeamStats(const TeamRecord& team, std::string_view raw) {
  return FormatTeamStats(DecodeStatLines(team, raw));
}

TeamStats ParseTeamStats(std::string_view text) {
  TeamStats stats;
  FieldSplitter splitter(text, kStatsSeparator);
  auto next = [&splitter]() { return splitter.NextField().value_or(std::string_view()); };
  for (size_t r = 0; r < stats.lines.size(); ++r) {
    StatLine& line = stats.lines[r];
    line.team = std::string(next());
    if (r == 0) stats.teamName = line.team;
    line.name = std::string(next());
    for (int32_t& counter : line.counters) counter = FieldToNumber(next());
  }
  return stats;
}

int PeriodScoreSum(std::span<const uint8_t> periodBytes) {
  int sum = 0;
  for (uint8_t byte : periodBytes) {
    // Two BCD digits read as their hexadecimal rendering: a digit above 9 ends the number.
    const int tens = byte >> 4;
    const int units = byte & 0x0F;
    if (tens > 9) continue;
    sum += units > 9 ? tens : tens * 10 + units;
  }
  return sum;
}

std::string FinalScoreText(std::span<const uint8_t> periodBytes) { return std::to_string(PeriodScoreSum(periodBytes)); }

}  // namespace qgu::league
