// The summary's box score: passer rating, which players each section lists,
// the exact lines of the table, and the JSON form of the same data.

#include <gtest/gtest.h>

#include "driver/box_score.h"
#include "driver/team_stats.h"

namespace qgu::driver {
namespace {

TeamStats Team(const std::string& name) {
  TeamStats stats;
  stats.teamName = name;
  for (StatLine& line : stats.lines) line.team = name;
  return stats;
}

void SetPassing(StatLine& line, int cmp, int att, int yds, int td, int ints) {
  line.counters[kStatCompletions] = cmp;
  line.counters[kStatPassAttempts] = att;
  line.counters[kStatPassYards] = yds;
  line.counters[kStatPassTouchdowns] = td;
  line.counters[kStatInterceptionsThrown] = ints;
}

TEST(PasserRating, FollowsTheFourClampedParts) {
  EXPECT_NEAR(PasserRating(10, 20, 150, 1, 1), 70.8333, 1e-3);
  EXPECT_NEAR(PasserRating(20, 20, 400, 4, 0), 158.333, 1e-3);  // a, b and t clamped
  EXPECT_DOUBLE_EQ(PasserRating(0, 0, 0, 0, 0), 0.0);
  EXPECT_DOUBLE_EQ(PasserRating(0, 10, -30, 0, 5), 0.0);  // every part clamped at 0
  EXPECT_DOUBLE_EQ(Average(-11, 2), -5.5);
  EXPECT_DOUBLE_EQ(Average(40, 0), 0.0);
}

TEST(BoxScoreTable, AQuietTeamStillListsItsStarterKickerAndPunter) {
  TeamStats stats = Team("GRIFFINS");
  stats.lines[0].name = "ORLEVSKI";
  SetPassing(stats.lines[0], 10, 20, 150, 1, 1);
  stats.lines[1].name = "BACKUP";
  stats.lines[kKickerRecord].name = "FOOTLING";
  stats.lines[kPunterRecord].name = "BOOMER";
  const std::vector<std::string> expected = {
      "GRIFFINS OFFENSE",
      "",
      "Passing            CMP   ATT   YDS  TD INT RATING",
      "---------------- ----- ----- ----- --- --- ------",
      "ORLEVSKI            10    20   150   1   1  70.8",
      "",
      "Rushing            ATT   YDS   AVG  TD",
      "---------------- ----- ----- ----- ---",
      "",
      "Receiving          REC   YDS   AVG  TD",
      "---------------- ----- ----- ----- ---",
      "",
      "Kick Returns       NUM   YDS   AVG  TD",
      "---------------- ----- ----- ----- ---",
      "",
      "Punt Returns       NUM   YDS   AVG  TD",
      "---------------- ----- ----- ----- ---",
      "",
      "",
      "GRIFFINS DEFENSE",
      "",
      "Sacks              NUM",
      "---------------- -----",
      "",
      "Interceptions      NUM   YDS   AVG  TD",
      "---------------- ----- ----- ----- ---",
      "",
      "Kicking            FGM   FGA   XPM   XPA",
      "---------------- ----- ----- ----- -----",
      "FOOTLING             0     0     0     0",
      "",
      "Punting            NUM   AVG",
      "---------------- ----- -----",
      "BOOMER               0   0.0",
      "",
      "",
      "",
  };
  EXPECT_EQ(TeamTableLines(MakeTeamBoxScore(stats, "7")), expected);
}

TEST(BoxScoreTable, SectionsListOnlyPlayersWithFigures) {
  TeamStats stats = Team("LANTERNS");
  stats.lines[1].name = "BACKUP";
  SetPassing(stats.lines[1], 1, 1, 12, 0, 0);
  stats.lines[4].name = "HALFBACK";
  stats.lines[4].counters[kStatRushAttempts] = 2;
  stats.lines[4].counters[kStatRushYards] = -11;
  stats.lines[4].counters[kStatKickReturns] = 3;
  stats.lines[4].counters[kStatKickReturnYards] = 70;
  stats.lines[4].counters[kStatKickReturnTouchdowns] = 1;
  stats.lines[7].name = "A TWENTY CHAR NAME!!";
  stats.lines[7].counters[kStatReceptions] = 4;
  stats.lines[7].counters[kStatReceivingYards] = 42;
  stats.lines[14].name = "ROVER";
  stats.lines[14].counters[kStatSacks] = 2;
  stats.lines[22].name = "SAFETY";
  stats.lines[22].counters[kStatInterceptions] = 1;
  stats.lines[22].counters[kStatInterceptionReturnYards] = -3;
  stats.lines[kPunterRecord].counters[kStatPunts] = 3;
  stats.lines[kPunterRecord].counters[kStatPuntYards] = 111;

  const std::vector<std::string> lines = TeamTableLines(MakeTeamBoxScore(stats, "0"));
  auto has = [&lines](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
  EXPECT_TRUE(has("                     0     0     0   0   0   0.0"));  // the starter, always
  EXPECT_TRUE(has("BACKUP               1     1    12   0   0 116.7"));
  EXPECT_TRUE(has("HALFBACK             2   -11  -5.5   0"));
  EXPECT_TRUE(has("HALFBACK             3    70  23.3   1"));
  EXPECT_TRUE(has("A TWENTY CHAR NAME!!     4    42  10.5   0"));  // four places further right
  EXPECT_TRUE(has("ROVER                2"));
  EXPECT_TRUE(has("SAFETY               1    -3  -3.0   0"));
  EXPECT_TRUE(has("                     3  37.0"));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "HALFBACK             2   -11  -5.5   0"), 1);
}

TEST(BoxScoreText, HeadlineAndScoresThenHomeBeforeAway) {
  TeamStatLines home{};
  TeamStatLines away{};
  for (StatLine& line : home) line.team = "GRIFFINS";
  for (StatLine& line : away) line.team = "LANTERNS";
  const GameSummary summary{FormatTeamStats(home), FormatTeamStats(away), "24", "17"};
  const std::string text = BoxScoreText(summary);
  EXPECT_EQ(text.substr(0, text.find("GRIFFINS OFFENSE")),
            "Quozi Sports News\n\nGRIFFINS            24\nLANTERNS            17\n\n");
  EXPECT_LT(text.find("GRIFFINS DEFENSE"), text.find("LANTERNS OFFENSE"));
  EXPECT_EQ(text.substr(text.size() - 4), "\n\n\n\n");  // punting's three blank lines
}

TEST(BoxScoreJson, SameFiguresWithTextsEscaped) {
  TeamStatLines home{};
  for (StatLine& line : home) line.team = "QUOTE\"S";
  home[0].name = "back\\slash";
  SetPassing(home[0], 10, 20, 150, 1, 1);
  home[kKickerRecord].name = "\xC9MILE";  // Latin-1, not UTF-8
  const GameSummary summary{FormatTeamStats(home), "", "21", "3"};
  const std::string json = BoxScoreJson(summary);
  EXPECT_NE(json.find("\"team\": \"QUOTE\\\"S\""), std::string::npos);
  EXPECT_NE(json.find("\"score\": 21,"), std::string::npos);
  EXPECT_NE(json.find("{\"name\": \"back\\\\slash\", \"cmp\": 10, \"att\": 20, \"yds\": 150, \"td\": 1, \"int\": 1, "
                      "\"rating\": 70.8}"),
            std::string::npos);
  EXPECT_NE(json.find("\"\\u00c9MILE\""), std::string::npos);
  EXPECT_NE(json.find("\"away\": {\n    \"team\": \"\",\n    \"score\": 3,"), std::string::npos);
  EXPECT_NE(json.find("\"rushing\": []"), std::string::npos);
  EXPECT_EQ(std::count(json.begin(), json.end(), '{'), std::count(json.begin(), json.end(), '}'));
  // The raw statistics strings ride along, escaped like every text, for readers that take them whole.
  std::string raw;
  for (char ch : summary.homeStats) {
    if (ch == '"' || ch == '\\') raw += '\\';
    raw += ch == '\xC9' ? std::string("\\u00c9") : std::string(1, ch);
  }
  EXPECT_NE(json.find("\"score\": 21,\n    \"statistics\": \"" + raw + "\","), std::string::npos);
  EXPECT_NE(json.find("\"score\": 3,\n    \"statistics\": \"\","), std::string::npos);
}

}  // namespace
}  // namespace qgu::driver
