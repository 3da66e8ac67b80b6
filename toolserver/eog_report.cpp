#include "toolserver/eog_report.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "league/field_splitter.h"
#include "league/team_record_format.h"
#include "league/text_case.h"
#include "toolserver/rtf_stream.h"

namespace qgu::toolserver {
namespace {

// Counter slots of a statistics record.
enum Slot : int {
  kPassAttempts,
  kCompletions,
  kPassTouchdowns,
  kInterceptionsThrown,
  kPassYards,
  kRushAttempts,
  kRushYards,
  kRushTouchdowns,
  kReceptions,
  kReceivingYards,
  kReceivingTouchdowns,
  kKickReturns,
  kKickReturnYards,
  kKickReturnTouchdowns,
  kPuntReturns,
  kPuntReturnYards,
  kPuntReturnTouchdowns,
  kInterceptions,
  kInterceptionReturnYards,
  kInterceptionTouchdowns,
  kSacks,
  kExtraPointsAttempted,
  kExtraPointsMade,
  kFieldGoalsAttempted,
  kFieldGoalsMade,
  kPunts,
  kPuntYards,
};

constexpr int kLastPasser = 1;
constexpr int kLastOffensivePlayer = 11;
constexpr int kFirstDefender = 12;
constexpr int kLastDefender = 22;
constexpr int kKicker = 23;
constexpr int kPunter = 24;
constexpr size_t kNameWidth = 16;

struct FormattedLine {
  std::string text;
  double key = 0;
};

// One section: its title, column header, which entries it lists and how.
struct Section {
  std::string_view title;
  std::string_view header;
  int first;
  int last;
  int countSlot;  // an entry is listed when this counter is above 0; -1: always
  FormattedLine (*format)(const ReportEntry& entry);
};

using Counters = std::array<int32_t, kReportCounters>;

double Average(double yards, double count) { return count == 0 ? 0.0 : yards / count; }

std::string PaddedName(const std::string& name) {
  std::string padded = name;
  if (padded.size() < kNameWidth) padded.resize(kNameWidth, ' ');
  return padded;
}

template <class... Figures>
std::string Line(const ReportEntry& entry, const char* figuresFormat, Figures... figures) {
  char text[160];
  std::snprintf(text, sizeof text, figuresFormat, figures...);
  return PaddedName(entry.name) + text;
}

// "%s %3i %3i %4.1f %3i": count, yards, average, touchdowns, sorted by yards.
FormattedLine CountYardsLine(const ReportEntry& e, int count, int yards, int touchdowns) {
  const Counters& c = e.counters;
  return {Line(e, " %3i %3i %4.1f %3i", c[count], c[yards], Average(c[yards], c[count]), c[touchdowns]), 1.0 * c[yards]};
}

constexpr std::array<Section, 9> kSections = {{
    {"PASSING", "                 CMP ATT  YDS  TD INT  RATE", 0, kLastPasser, kPassAttempts,
     [](const ReportEntry& e) {
       const Counters& c = e.counters;
       const double rating = PasserRating(c[kCompletions], c[kPassAttempts], c[kPassYards], c[kPassTouchdowns],
                                          c[kInterceptionsThrown]);
       return FormattedLine{Line(e, " %3i %3i %4i %3i %3i %4.1f", c[kCompletions], c[kPassAttempts], c[kPassYards],
                                 c[kPassTouchdowns], c[kInterceptionsThrown], rating),
                            1.0 * c[kPassYards]};
     }},
    {"RUSHING", "                  AT YDS  AVG  TD", 0, kLastOffensivePlayer, kRushAttempts,
     [](const ReportEntry& e) { return CountYardsLine(e, kRushAttempts, kRushYards, kRushTouchdowns); }},
    {"RECEIVING", "                 REC YDS  AVG  TD", 0, kLastOffensivePlayer, kReceptions,
     [](const ReportEntry& e) { return CountYardsLine(e, kReceptions, kReceivingYards, kReceivingTouchdowns); }},
    {"KICKOFF RETURNS", "                 NUM YDS  AVG  TD", 0, kLastOffensivePlayer, kKickReturns,
     [](const ReportEntry& e) { return CountYardsLine(e, kKickReturns, kKickReturnYards, kKickReturnTouchdowns); }},
    {"PUNT RETURNS", "                 NUM YDS  AVG  TD", 0, kLastOffensivePlayer, kPuntReturns,
     [](const ReportEntry& e) { return CountYardsLine(e, kPuntReturns, kPuntReturnYards, kPuntReturnTouchdowns); }},
    {"KICKING", "                 FGM FGA XPM XPA", kKicker, kKicker, -1,
     [](const ReportEntry& e) {
       const Counters& c = e.counters;
       return FormattedLine{Line(e, " %3i %3i %3i %3i", c[kFieldGoalsMade], c[kFieldGoalsAttempted],
                                 c[kExtraPointsMade], c[kExtraPointsAttempted])};
     }},
    {"PUNTING", "                 NUM  AVG", kPunter, kPunter, -1,
     [](const ReportEntry& e) {
       const Counters& c = e.counters;
       return FormattedLine{Line(e, " %3i %4.1f", c[kPunts], Average(c[kPuntYards], c[kPunts]))};
     }},
    {"SACKS", "                 SCK", kFirstDefender, kLastDefender, kSacks,
     [](const ReportEntry& e) { return FormattedLine{Line(e, " %3i", e.counters[kSacks]), 1.0 * e.counters[kSacks]}; }},
    {"INTERCEPTIONS", "                 INT YDS  AVG  TD", kFirstDefender, kLastDefender, kInterceptions,
     [](const ReportEntry& e) {
       const Counters& c = e.counters;
       return FormattedLine{Line(e, " %3i %3i %4.1f %3i", c[kInterceptions], c[kInterceptionReturnYards],
                                 Average(c[kInterceptionReturnYards], c[kInterceptions]), c[kInterceptionTouchdowns]),
                            1.0 * c[kInterceptions]};
     }},
}};

constexpr std::string_view kDefense = "DEFENSE";
constexpr std::string_view kLastOffenseSection = "PUNTING";

// The section's lines of one side, largest key first; equal keys keep entry order.
std::vector<std::string> SectionLines(const Section& section, const ReportSide& side) {
  std::vector<FormattedLine> lines;
  for (int e = section.first; e <= section.last; ++e) {
    const ReportEntry& entry = side.entries[static_cast<size_t>(e)];
    if (section.countSlot < 0 || entry.counters[static_cast<size_t>(section.countSlot)] > 0) {
      lines.push_back(section.format(entry));
    }
  }
  std::stable_sort(lines.begin(), lines.end(),
                   [](const FormattedLine& a, const FormattedLine& b) { return a.key > b.key; });
  std::vector<std::string> texts;
  for (FormattedLine& line : lines) texts.push_back(std::move(line.text));
  return texts;
}

}  // namespace

double PasserRating(double completions, double attempts, double yards, double touchdowns, double interceptions) {
  if (attempts <= 0) return 0.0;
  const auto part = [](double value) { return std::clamp(value, 0.0, 2.375); };
  const double sum = part((completions / attempts - 0.3) * 5) + part((yards / attempts - 3) * 0.25) +
                     part(touchdowns / attempts * 20) + part((0.095 - interceptions / attempts) * 25);
  return sum * 100 / 6;
}

ReportSide ParseReportSide(std::string_view statistics) {
  ReportSide side;
  league::FieldSplitter fields(statistics, league::kStatsSeparator);
  const auto next = [&] { return std::string(fields.NextField().value_or("")); };
  side.team = next();
  for (ReportEntry& entry : side.entries) {
    entry.name = next();
    for (int32_t& counter : entry.counters) counter = league::FieldToNumber(next());
    next();  // the next record's team name
  }
  return side;
}

std::vector<BoxScoreRow> BoxScoreRows(const ReportSide& home, const ReportSide& away) {
  std::vector<BoxScoreRow> rows;
  const auto both = [&](std::string_view text) { rows.push_back({std::string(text), std::string(text)}); };
  const auto empty = [&](int count) {
    for (int i = 0; i < count; ++i) rows.push_back({});
  };
  for (const Section& section : kSections) {
    both(section.title);
    both(section.header);
    const std::vector<std::string> homeLines = SectionLines(section, home);
    const std::vector<std::string> awayLines = SectionLines(section, away);
    for (size_t i = 0; i < std::max(homeLines.size(), awayLines.size()); ++i) {
      rows.push_back({i < homeLines.size() ? homeLines[i] : std::string(),
                      i < awayLines.size() ? awayLines[i] : std::string()});
    }
    if (section.title == kLastOffenseSection) {
      empty(2);
      both(kDefense);
      empty(2);
    } else {
      empty(1);
    }
  }
  return rows;
}

ReportDocuments MakeReportDocuments(std::string_view homeName, std::string_view awayName, std::string_view homeScore,
                                    std::string_view awayScore) {
  RtfStream rtf;
  ReportDocuments documents;
  rtf.SetFace("Monotype Corsiva");
  rtf.SetColour(0xFFFFFF);
  rtf.SetSize(50);
  rtf.SetUnderline(true);
  rtf.Append(kReportBanner);
  rtf.ClearStyles();
  documents.banner = rtf.TakeDocument();

  rtf.SetFace("Microsoft Sans Serif");
  rtf.SetColour(0x00FFFF);
  rtf.SetSize(35);
  rtf.Append(homeName);
  documents.homeName = rtf.TakeDocument();
  rtf.Append(awayName);
  documents.awayName = rtf.TakeDocument();

  rtf.SetColour(0xFFFFFF);
  rtf.Append(homeScore);
  documents.homeScore = rtf.TakeDocument();
  rtf.Append(awayScore);
  documents.awayScore = rtf.TakeDocument();
  return documents;
}

RowStyle StyleOfRow(std::string_view column0, int row) {
  static constexpr std::array<std::string_view, 9> kTitles = {
      "Passing", "Rushing", "receiving", "kickoff returns", "Punt returns", "sacks", "interceptions", "kicking",
      "punting"};
  for (std::string_view title : kTitles) {
    if (league::EqualsIgnoringCase(column0, title)) return RowStyle::kSectionTitle;
  }
  for (const Section& section : kSections) {
    if (league::EqualsIgnoringCase(column0, section.header)) return RowStyle::kColumnHeader;
  }
  if (league::EqualsIgnoringCase(column0, kDefense)) return RowStyle::kDefense;
  return row % 2 == 1 ? RowStyle::kOddRow : RowStyle::kEvenRow;
}

RowColours ColoursOf(RowStyle style) {
  switch (style) {
    case RowStyle::kSectionTitle: return {0xFFFFFF, kReportBackground};
    case RowStyle::kColumnHeader: return {0x000000, 0xC0C0C0};
    case RowStyle::kDefense: return {0xFFFFFF, 0x0C0F7C};
    case RowStyle::kOddRow: return {0x000000, 0xFFFFFF};
    case RowStyle::kEvenRow: break;
  }
  return {0x000000, 0xF7F7F7};
}

}  // namespace qgu::toolserver
