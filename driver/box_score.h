#pragma once
// The box score of a game: the two team names and final scores, and each
// team's individual statistics by section (passing with the passer rating,
// rushing, receiving, returns, sacks, interceptions, kicking, punting). Built
// once from the two team statistics strings, then shown as the summary's
// text table or written as JSON.

#include <string>
#include <string_view>
#include <vector>

#include "driver/game_summary.h"
#include "driver/team_stats.h"

namespace qgu::driver {

inline constexpr std::string_view kSummaryHeadline = "Quozi Sports News";

// 0.0 without attempts; each of the four parts held to 0 ... 2.375.
double PasserRating(double completions, double attempts, double yards, double touchdowns, double interceptions);
// yards / count, 0.0 when the count is 0.
double Average(double yards, double count);

struct BoxScoreColumn {
  std::string_view key;  // the JSON name
  int width;
  bool oneDecimal;       // a rating or an average
};

struct BoxScoreRow {
  std::string name;
  std::vector<double> values;  // one per column
};

struct BoxScoreSection {
  std::string_view key;  // the JSON name
  std::string_view heading;
  std::string_view rule;
  std::vector<BoxScoreColumn> columns;
  std::vector<BoxScoreRow> rows;
};

struct TeamBoxScore {
  std::string team;
  std::string score;
  std::vector<BoxScoreSection> offense;  // passing, rushing, receiving, kick and punt returns
  std::vector<BoxScoreSection> defense;  // sacks, interceptions, kicking, punting
};

TeamBoxScore MakeTeamBoxScore(const TeamStats& stats, std::string score);

// The summary's list of lines for one team, blank lines included.
std::vector<std::string> TeamTableLines(const TeamBoxScore& team);
// One player line: the name padded to 16 characters, then the values.
std::string FormatRow(const BoxScoreRow& row, const std::vector<BoxScoreColumn>& columns);

// The whole summary as text: the headline, both teams with their scores, then
// the table for the home team and the away team.
std::string BoxScoreText(const GameSummary& summary);
// The same data as one JSON object {"home": {...}, "away": {...}}; each side
// also carries its raw statistics string as "statistics".
std::string BoxScoreJson(const GameSummary& summary);

}  // namespace qgu::driver
