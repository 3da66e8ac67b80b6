#include "driver/box_score.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>

namespace qgu::driver {
namespace {

constexpr size_t kNameWidth = 16;
constexpr int kBacksFirst = 0;
constexpr int kBacksLast = 11;

enum class ValueKind { kCounter, kAverage, kRating };

struct ColumnSpec {
  BoxScoreColumn column;
  ValueKind kind;
  int slot;       // the counter, or the yards of an average
  int countSlot;  // what an average divides by
};

enum class RowRule {
  kAlways,                // every record of the range
  kFirstAlways,           // the first record always, the others with a count above 0
  kWithCount,             // records with a count above 0
};

struct SectionSpec {
  std::string_view key;
  std::string_view heading;
  std::string_view rule;
  int firstRecord;
  int lastRecord;
  RowRule rowRule;
  int countSlot;
  std::span<const ColumnSpec> columns;
};

constexpr ColumnSpec Counter(std::string_view key, int width, int slot) {
  return {{key, width, false}, ValueKind::kCounter, slot, 0};
}
constexpr ColumnSpec Avg(int yardsSlot, int countSlot) {
  return {{"avg", 5, true}, ValueKind::kAverage, yardsSlot, countSlot};
}

constexpr std::array kPassingColumns = {
    Counter("cmp", 5, kStatCompletions), Counter("att", 5, kStatPassAttempts), Counter("yds", 5, kStatPassYards),
    Counter("td", 3, kStatPassTouchdowns), Counter("int", 3, kStatInterceptionsThrown),
    ColumnSpec{{"rating", 5, true}, ValueKind::kRating, 0, 0}};

// count, yards, average, touchdowns: the shape of most sections.
constexpr std::array<ColumnSpec, 4> CountYards(std::string_view countKey, int count, int yards, int touchdowns) {
  return {Counter(countKey, 5, count), Counter("yds", 5, yards), Avg(yards, count), Counter("td", 3, touchdowns)};
}

constexpr auto kRushingColumns = CountYards("att", kStatRushAttempts, kStatRushYards, kStatRushTouchdowns);
constexpr auto kReceivingColumns = CountYards("rec", kStatReceptions, kStatReceivingYards, kStatReceivingTouchdowns);
constexpr auto kKickReturnColumns =
    CountYards("num", kStatKickReturns, kStatKickReturnYards, kStatKickReturnTouchdowns);
constexpr auto kPuntReturnColumns =
    CountYards("num", kStatPuntReturns, kStatPuntReturnYards, kStatPuntReturnTouchdowns);
constexpr auto kInterceptionColumns =
    CountYards("num", kStatInterceptions, kStatInterceptionReturnYards, kStatInterceptionTouchdowns);
constexpr std::array kSackColumns = {Counter("num", 5, kStatSacks)};
constexpr std::array kKickingColumns = {
    Counter("fgm", 5, kStatFieldGoalsMade), Counter("fga", 5, kStatFieldGoalsAttempted),
    Counter("xpm", 5, kStatExtraPointsMade), Counter("xpa", 5, kStatExtraPointsAttempted)};
constexpr std::array kPuntingColumns = {Counter("num", 5, kStatPunts), Avg(kStatPuntYards, kStatPunts)};

constexpr std::string_view kCountRule = "---------------- ----- ----- ----- ---";

const std::array<SectionSpec, 5> kOffenseSections = {{
    {"passing", "Passing            CMP   ATT   YDS  TD INT RATING", "---------------- ----- ----- ----- --- --- ------",
     0, 1, RowRule::kFirstAlways, kStatPassAttempts, kPassingColumns},
    {"rushing", "Rushing            ATT   YDS   AVG  TD", kCountRule, kBacksFirst, kBacksLast, RowRule::kWithCount,
     kStatRushAttempts, kRushingColumns},
    {"receiving", "Receiving          REC   YDS   AVG  TD", kCountRule, kBacksFirst, kBacksLast, RowRule::kWithCount,
     kStatReceptions, kReceivingColumns},
    {"kickReturns", "Kick Returns       NUM   YDS   AVG  TD", kCountRule, kBacksFirst, kBacksLast,
     RowRule::kWithCount, kStatKickReturns, kKickReturnColumns},
    {"puntReturns", "Punt Returns       NUM   YDS   AVG  TD", kCountRule, kBacksFirst, kBacksLast,
     RowRule::kWithCount, kStatPuntReturns, kPuntReturnColumns},
}};

const std::array<SectionSpec, 4> kDefenseSections = {{
    {"sacks", "Sacks              NUM", "---------------- -----", kFirstDefenderRecord, kLastDefenderRecord,
     RowRule::kWithCount, kStatSacks, kSackColumns},
    {"interceptions", "Interceptions      NUM   YDS   AVG  TD", kCountRule, kFirstDefenderRecord,
     kLastDefenderRecord, RowRule::kWithCount, kStatInterceptions, kInterceptionColumns},
    {"kicking", "Kicking            FGM   FGA   XPM   XPA", "---------------- ----- ----- ----- -----", kKickerRecord,
     kKickerRecord, RowRule::kAlways, 0, kKickingColumns},
    {"punting", "Punting            NUM   AVG", "---------------- ----- -----", kPunterRecord, kPunterRecord,
     RowRule::kAlways, 0, kPuntingColumns},
}};

double ColumnValue(const ColumnSpec& spec, const StatLine& line) {
  const auto& c = line.counters;
  switch (spec.kind) {
    case ValueKind::kCounter: return c[spec.slot];
    case ValueKind::kAverage: return Average(c[spec.slot], c[spec.countSlot]);
    case ValueKind::kRating:
      return PasserRating(c[kStatCompletions], c[kStatPassAttempts], c[kStatPassYards], c[kStatPassTouchdowns],
                          c[kStatInterceptionsThrown]);
  }
  return 0.0;
}

bool Listed(const SectionSpec& spec, int record, const StatLine& line) {
  switch (spec.rowRule) {
    case RowRule::kAlways: return true;
    case RowRule::kFirstAlways: return record == spec.firstRecord || line.counters[spec.countSlot] > 0;
    case RowRule::kWithCount: return line.counters[spec.countSlot] > 0;
  }
  return false;
}

BoxScoreSection MakeSection(const SectionSpec& spec, const TeamStatLines& lines) {
  BoxScoreSection section{spec.key, spec.heading, spec.rule, {}, {}};
  for (const ColumnSpec& column : spec.columns) section.columns.push_back(column.column);
  for (int record = spec.firstRecord; record <= spec.lastRecord; ++record) {
    const StatLine& line = lines[static_cast<size_t>(record)];
    if (!Listed(spec, record, line)) continue;
    BoxScoreRow row{line.name, {}};
    for (const ColumnSpec& column : spec.columns) row.values.push_back(ColumnValue(column, line));
    section.rows.push_back(std::move(row));
  }
  return section;
}

template <size_t N>
std::vector<BoxScoreSection> MakeSections(const std::array<SectionSpec, N>& specs, const TeamStatLines& lines) {
  std::vector<BoxScoreSection> sections;
  for (const SectionSpec& spec : specs) sections.push_back(MakeSection(spec, lines));
  return sections;
}

// Blank lines after each section: the last of a half gets two, punting three.
void AppendSections(std::vector<std::string>& out, const std::vector<BoxScoreSection>& sections, int extraBlanksAtEnd) {
  for (size_t s = 0; s < sections.size(); ++s) {
    const BoxScoreSection& section = sections[s];
    out.emplace_back(section.heading);
    out.emplace_back(section.rule);
    for (const BoxScoreRow& row : section.rows) out.push_back(FormatRow(row, section.columns));
    out.emplace_back();
    if (s + 1 == sections.size()) out.insert(out.end(), static_cast<size_t>(extraBlanksAtEnd), std::string());
  }
}

std::string FormatValue(double value, const BoxScoreColumn& column) {
  char text[48];
  if (column.oneDecimal) {
    std::snprintf(text, sizeof text, "%*.1f", column.width, value);
  } else {
    std::snprintf(text, sizeof text, "%*d", column.width, static_cast<int>(value));
  }
  return text;
}

// JSON text: quotes, backslashes and control bytes escaped; bytes that are not
// UTF-8 are read as Latin-1, as team records written on older systems are.
bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const size_t length = byte < 0x80 ? 1 : (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3 : (byte >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

std::string JsonString(std::string_view text) {
  const bool utf8 = IsUtf8(text);
  std::string out = "\"";
  for (char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    char escaped[8];
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (byte < 0x20 || (!utf8 && byte >= 0x80)) {
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string JsonNumber(double value, bool oneDecimal) {
  char text[48];
  if (oneDecimal) {
    std::snprintf(text, sizeof text, "%.1f", value);
  } else {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  }
  return text;
}

void AppendJsonSections(std::string& out, const std::vector<BoxScoreSection>& sections) {
  for (const BoxScoreSection& section : sections) {
    out += ",\n    " + JsonString(section.key) + ": [";
    for (size_t r = 0; r < section.rows.size(); ++r) {
      const BoxScoreRow& row = section.rows[r];
      out += r == 0 ? "\n      {" : ",\n      {";
      out += "\"name\": " + JsonString(row.name);
      for (size_t c = 0; c < section.columns.size(); ++c) {
        out += ", " + JsonString(section.columns[c].key) + ": " + JsonNumber(row.values[c], section.columns[c].oneDecimal);
      }
      out += "}";
    }
    out += section.rows.empty() ? "]" : "\n    ]";
  }
}

// `statistics` is the side's raw statistics string, so a reader can hand the
// game to anything that takes those strings (the tool server's report).
std::string TeamJson(const TeamBoxScore& team, const std::string& statistics) {
  const bool numeric = !team.score.empty() && std::all_of(team.score.begin(), team.score.end(),
                                                           [](char ch) { return ch >= '0' && ch <= '9'; });
  std::string out = "{\n    \"team\": " + JsonString(team.team);
  out += ",\n    \"score\": " + (numeric ? team.score : JsonString(team.score));
  out += ",\n    \"statistics\": " + JsonString(statistics);
  AppendJsonSections(out, team.offense);
  AppendJsonSections(out, team.defense);
  return out + "\n  }";
}

std::string ScoreLine(const TeamBoxScore& team) {
  char text[96];
  std::snprintf(text, sizeof text, "%-16s %5s", team.team.c_str(), team.score.c_str());
  return text;
}

}  // namespace

double Average(double yards, double count) { return count == 0 ? 0.0 : yards / count; }

double PasserRating(double completions, double attempts, double yards, double touchdowns, double interceptions) {
  if (attempts <= 0) return 0.0;
  const auto part = [](double value) { return std::clamp(value, 0.0, 2.375); };
  const double a = part((completions / attempts - 0.3) * 5);
  const double b = part((yards / attempts - 3) * 0.25);
  const double t = part(touchdowns / attempts * 20);
  const double d = part((0.095 - interceptions / attempts) * 25);
  return (a + b + t + d) * 100 / 6;
}

TeamBoxScore MakeTeamBoxScore(const TeamStats& stats, std::string score) {
  return {stats.teamName, std::move(score), MakeSections(kOffenseSections, stats.lines),
          MakeSections(kDefenseSections, stats.lines)};
}

std::string FormatRow(const BoxScoreRow& row, const std::vector<BoxScoreColumn>& columns) {
  std::string line = row.name;
  if (line.size() < kNameWidth) line.resize(kNameWidth, ' ');
  for (size_t c = 0; c < columns.size() && c < row.values.size(); ++c) line += " " + FormatValue(row.values[c], columns[c]);
  return line;
}

std::vector<std::string> TeamTableLines(const TeamBoxScore& team) {
  std::vector<std::string> lines{team.team + " OFFENSE", ""};
  AppendSections(lines, team.offense, 1);
  lines.push_back(team.team + " DEFENSE");
  lines.emplace_back();
  AppendSections(lines, team.defense, 2);
  return lines;
}

std::string BoxScoreText(const GameSummary& summary) {
  const TeamBoxScore home = MakeTeamBoxScore(ParseTeamStats(summary.homeStats), summary.homeScore);
  const TeamBoxScore away = MakeTeamBoxScore(ParseTeamStats(summary.awayStats), summary.awayScore);
  std::string text = std::string(kSummaryHeadline) + "\n\n" + ScoreLine(home) + "\n" + ScoreLine(away) + "\n\n";
  for (const TeamBoxScore* team : {&home, &away}) {
    for (const std::string& line : TeamTableLines(*team)) text += line + "\n";
  }
  return text;
}

std::string BoxScoreJson(const GameSummary& summary) {
  const TeamBoxScore home = MakeTeamBoxScore(ParseTeamStats(summary.homeStats), summary.homeScore);
  const TeamBoxScore away = MakeTeamBoxScore(ParseTeamStats(summary.awayStats), summary.awayScore);
  return "{\n  \"home\": " + TeamJson(home, summary.homeStats) + ",\n  \"away\": " + TeamJson(away, summary.awayStats) +
         "\n}\n";
}

}  // namespace qgu::driver
