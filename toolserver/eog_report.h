#pragma once
// The end-of-game report's content, apart from its window: the two teams'
// statistics strings read back into players and counters, the two-column box
// score built from them section by section, and the colours of each row.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/picture_button/windows_colour.h"

namespace qgu::toolserver {

inline constexpr int kReportEntries = 25;  // roster lines 0..11 and 17..29
inline constexpr int kReportCounters = 27;

struct ReportEntry {
  std::string name;
  std::array<int32_t, kReportCounters> counters{};
};

struct ReportSide {
  std::string team;
  std::array<ReportEntry, kReportEntries> entries{};
};

// A team statistics string (25 records of team|name|27 counters|); missing
// fields read as empty names and zero counters.
ReportSide ParseReportSide(std::string_view statistics);

struct BoxScoreRow {
  std::string home;  // column 0
  std::string away;  // column 2
  bool operator==(const BoxScoreRow&) const = default;
};

// Every row of the box score list, in order.
std::vector<BoxScoreRow> BoxScoreRows(const ReportSide& home, const ReportSide& away);

// 0 without attempts; each of the four parts held to 0 .. 2.375.
double PasserRating(double completions, double attempts, double yards, double touchdowns, double interceptions);

// The rich text of the banner and of the two team names and scores, written
// one after the other through one RtfStream as the report fills its controls.
struct ReportDocuments {
  std::string banner;
  std::string homeName;
  std::string awayName;
  std::string homeScore;
  std::string awayScore;
};
inline constexpr std::string_view kReportBanner = "QUOZI GRIDCROWN ULTRA NEWS";
ReportDocuments MakeReportDocuments(std::string_view homeName, std::string_view awayName, std::string_view homeScore,
                                    std::string_view awayScore);

// Colours of the report (Windows colour values).
inline constexpr WindowsColour kReportBackground = 0x6B524A;
inline constexpr WindowsColour kSpacerColumnBackground = 0xFFFFFF;

enum class RowStyle { kSectionTitle, kColumnHeader, kDefense, kOddRow, kEvenRow };
struct RowColours {
  WindowsColour text;
  WindowsColour background;
};

// Decided from the text of column 0 (without regard to case) and the row's index.
RowStyle StyleOfRow(std::string_view column0, int row);
RowColours ColoursOf(RowStyle style);

}  // namespace qgu::toolserver
