#include "league/team_record_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <tuple>

#include "tests/league/sample_team.h"

namespace qgu::league {
namespace {

using testing::ReplaceAll;
using testing::SampleTeam;

Result<TeamRecord> ParseText(const std::string& text) {
  std::istringstream in(text);
  return ParseTeamRecord(in);
}

TEST(TeamLine, FullFormIsTheFieldsEachFollowedBy01ThenADoubledCr) {
  const Result<std::string> line = FormatTeamLine(SampleTeam().header);
  ASSERT_TRUE(line.ok()) << line.error();
  EXPECT_EQ(line.value(),
            "MAPLEDALE\x01OTTERS\x01MPD\x01" "48\x01" "6\x01" "18\x01" "42\x01" "22\x01" "15\x01"
            "17\x01" "36\x01" "39\x01" "98\x01" "3\x01" "6\x01" "9\x01" "20\x01" "30\x01" "70\x01"
            "40\x01" "50\x01" "1\x01" "65\x01" "35\x01\r\r\n");
}

TEST(TeamLine, ImportFormStopsAfterTheReturnersAndReadsBackWithDefaults) {
  TeamHeader imported = SampleTeam().header;
  imported.kickReturner = 4;
  imported.puntReturner = 4;
  const Result<std::string> line = FormatTeamLine(imported, TeamLineForm::kImport);
  ASSERT_TRUE(line.ok());
  EXPECT_EQ(line.value(), "MAPLEDALE\x01OTTERS\x01MPD\x01" "48\x01" "6\x01" "18\x01" "42\x01" "22\x01"
                          "15\x01" "17\x01" "36\x01" "39\x01" "98\x01" "3\x01" "4\x01" "4\x01\r\r\n");

  const Result<TeamHeader> read = ParseTeamLine(line.value());
  ASSERT_TRUE(read.ok());
  const TeamHeader& h = read.value();
  EXPECT_EQ(std::tuple(h.fieldCount, h.formation, h.kickReturner, h.puntReturner),
            std::tuple(kImportTeamFieldCount, kSingleBackSet, 4, 4));
  EXPECT_EQ(std::tuple(h.adaptiveDefence, h.jailbreakDefence, h.jailbreakPassDefence, h.jailbreakRunDefence,
                       h.quoziDefence, h.ratioEnabled, h.passPercent, h.runPercent),
            std::tuple(0, 0, 100, 100, 100, 0, 50, 50));
}

TEST(TeamLine, ShortAndLongLinesAndTextAfterTheLastSeparator) {
  // The formation lacks its separator: it is lost and keeps the default.
  Result<TeamHeader> shortLine = ParseTeamLine("RIVERMOOT\x01HERONS\x01RVM\x01" "1\x01" "2\x01" "3");
  ASSERT_TRUE(shortLine.ok());
  EXPECT_EQ(shortLine.value().fieldCount, 5);
  EXPECT_EQ(shortLine.value().nickname, "HERONS");
  EXPECT_EQ(shortLine.value().primarySkinColour, 2);
  EXPECT_EQ(shortLine.value().primaryJerseyColour, 0);
  EXPECT_EQ(shortLine.value().formation, kProSet);

  std::string longLine = FormatTeamLine(SampleTeam().header).value();
  longLine.resize(longLine.size() - 3);
  longLine += "77\x01" "88\x01trailing";
  Result<TeamHeader> extra = ParseTeamLine(longLine);
  ASSERT_TRUE(extra.ok());
  EXPECT_EQ(extra.value(), SampleTeam().header);

  // Any non-zero "Enabled" reads as 1; an empty field between separators reads as 0.
  TeamHeader enabled = SampleTeam().header;
  enabled.ratioEnabled = 7;
  std::string line = FormatTeamLine(enabled).value();
  EXPECT_EQ(ParseTeamLine(line).value().ratioEnabled, 1);
  EXPECT_EQ(ParseTeamLine("A\x01\x01\x01\x01").value().primaryPantsColour, 0);
}

TEST(TeamLine, DecimalConversionActsLikeTheCLibrary) {
  const std::pair<const char*, int> rows[] = {
      {"", 0},  {"abc", 0}, {"  42", 42}, {"-7", -7}, {"+3", 3}, {"12abc", 12}, {"- 5", 0},
      {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN}, {"-2147483648", INT_MIN}};
  for (const auto& [text, number] : rows) EXPECT_EQ(FieldToNumber(text), number) << '"' << text << '"';
}

TEST(TeamRecordText, WrittenReadAndWrittenAgainIsByteIdentical) {
  const Result<std::string> first = FormatTeamRecord(SampleTeam());
  ASSERT_TRUE(first.ok()) << first.error();
  const Result<TeamRecord> read = ParseText(first.value());
  ASSERT_TRUE(read.ok()) << read.error();
  EXPECT_EQ(read.value(), SampleTeam());
  EXPECT_EQ(FormatTeamRecord(read.value()).value(), first.value());

  EXPECT_EQ(first.value().find("\x01\r\n"), std::string::npos) << "every line ends with the doubled CR";
  size_t lines = 0;
  for (size_t at = first.value().find("\x01\r\r\n"); at != std::string::npos;
       at = first.value().find("\x01\r\r\n", at + 1)) {
    ++lines;
  }
  EXPECT_EQ(lines, 31u);
}

TEST(TeamRecordText, LfCrLfAndCrCrLfLineEndsReadTheSame) {
  const std::string windows = FormatTeamRecord(SampleTeam()).value();
  for (const char* ending : {"\n", "\r\n"}) {
    const Result<TeamRecord> read = ParseText(ReplaceAll(windows, "\r\r\n", ending));
    ASSERT_TRUE(read.ok()) << read.error();
    EXPECT_EQ(read.value(), SampleTeam());
  }
  // No line end after the last player line, and lines after the 30th player are ignored.
  std::string noFinalEnd = windows.substr(0, windows.size() - 3);
  EXPECT_EQ(ParseText(noFinalEnd).value(), SampleTeam());
  EXPECT_EQ(ParseText(windows + "junk\x01more\x01\r\r\n").value(), SampleTeam());
}

TEST(TeamRecordText, PlayerLinesKeepNamesAndJerseysAndEmptyNumbersReadAsZero) {
  const std::string blanks(kPlayerFieldCount - 4, '\x01');
  const std::string text = FormatTeamLine(SampleTeam().header).value() + "18\x01" "ivo\x01TRASKEL\x01" "15\x01" +
                           blanks + "\r\n" + FormatTeamRecord(SampleTeam()).value().substr(FormatTeamLine(SampleTeam().header).value().size());
  const Result<TeamRecord> read = ParseText(text);
  ASSERT_TRUE(read.ok()) << read.error();
  PlayerRecord qb;
  qb.jersey = 0x12;
  qb.firstName = "ivo";
  qb.lastName = "TRASKEL";
  qb.runningSpeed = 15;
  EXPECT_EQ(read.value().players[0], qb);
  EXPECT_EQ(read.value().players[1], SampleTeam().players[0]);
}

// Garbage, or a line feed inside a field, would otherwise shift the roster
// or play as a nameless team: such a file is refused at the line.
TEST(TeamRecordText, RefusesWhatIsNotATeamRecordNamingTheLine) {
  const std::string team = FormatTeamRecord(SampleTeam()).value();
  const std::string garbage = ReplaceAll(std::string(31, '#'), "#", "some words\r\n");
  std::string split = team;
  split.insert(split.find(SampleTeam().players[2].firstName), "\n");
  const std::pair<std::string, std::string> cases[] = {
      {garbage, "line 1: not a team line: it holds 0 fields, not the city, nickname and abbreviation a team line starts with"},
      {"CITY\x01NICK\x01\r\n", "line 1: not a team line: it holds 2 fields, not the city, nickname and abbreviation a team line starts with"},
      {split, "line 4: not a player line: it holds 1 of the 18 fields"},
      {FormatTeamLine(SampleTeam().header).value() + garbage, "line 2: not a player line: it holds 0 of the 18 fields"},
  };
  for (const auto& [text, message] : cases) {
    const Result<TeamRecord> read = ParseText(text);
    ASSERT_FALSE(read.ok()) << message;
    EXPECT_EQ(read.error(), message);
  }
}

TEST(TeamRecordText, RefusesOverlongFieldsWithoutCuttingThem) {
  const std::string longest(kMaxTextFieldLength, 'Q');
  const std::string tooLong(kMaxTextFieldLength + 1, 'Q');
  EXPECT_TRUE(ParseTeamLine(longest + "\x01").ok());
  const Result<TeamHeader> header = ParseTeamLine("OK\x01" + tooLong + "\x01");
  ASSERT_FALSE(header.ok());
  EXPECT_EQ(header.error(), "the nickname is longer than 63 characters");

  TeamRecord team = SampleTeam();
  team.players[4].lastName = std::string(kMaxTextFieldLength, 'Z');
  std::string text = FormatTeamRecord(team).value();
  EXPECT_TRUE(ParseText(text).ok());
  text = ReplaceAll(text, std::string(kMaxTextFieldLength, 'Z'), tooLong);
  const Result<TeamRecord> record = ParseText(text);
  ASSERT_FALSE(record.ok());
  EXPECT_EQ(record.error(), "line 6: the last name is longer than 63 characters");
  // Numbers are not text fields: a long run of digits is just a number.
  EXPECT_EQ(ParseTeamLine("A\x01" "B\x01" "C\x01" + std::string(80, '0') + "7\x01").value().primaryPantsColour, 7);
}

TEST(TeamRecordText, RefusesOverlongLinesRatherThanSplittingThem) {
  std::string text = FormatTeamRecord(SampleTeam()).value();
  // Fill the third line up to exactly 1023 characters: still read; one more is refused.
  const size_t thirdStart = text.find("\r\r\n", text.find("\r\r\n") + 3) + 3;
  const size_t thirdEnd = text.find("\r\r\n", thirdStart);
  text.insert(thirdEnd, std::string(kMaxLineLength - (thirdEnd - thirdStart), 'x'));
  EXPECT_EQ(ParseText(text).value(), SampleTeam());
  text.insert(thirdEnd, "x");
  EXPECT_EQ(ParseText(text).error(), "line 3: longer than 1023 characters");
}

TEST(TeamRecordText, RefusesEmptyAndTruncatedFiles) {
  EXPECT_EQ(ParseText("").error(), "the file is empty");
  const std::string text = FormatTeamRecord(SampleTeam()).value();
  const size_t cut = text.rfind("\r\r\n", text.size() - 4) + 3;  // drop the 30th player line
  const Result<TeamRecord> truncated = ParseText(text.substr(0, cut));
  ASSERT_FALSE(truncated.ok());
  EXPECT_EQ(truncated.error(), "only 29 of the 30 player lines are present");
  std::istringstream header(text.substr(0, text.find('\n') + 1));
  EXPECT_TRUE(ParseFirstTeamLine(header).ok()) << "the team lists need only the first line";
}

TEST(TeamRecordText, WritersRefuseTextsThatWouldBreakTheLayout) {
  for (const char* bad : {"SPLIT\x01" "CITY", "TWO\nLINES", "CR\rHERE", "OVER" "LONG-----------------------------"
                                                                          "-------------------------------"}) {
    TeamRecord team = SampleTeam();
    team.header.city = bad;
    const Result<std::string> line = FormatTeamRecord(team);
    EXPECT_FALSE(line.ok()) << bad;
    team = SampleTeam();
    team.players[7].firstName = bad;
    const Result<std::string> player = FormatTeamRecord(team);
    ASSERT_FALSE(player.ok()) << bad;
    EXPECT_EQ(player.error().rfind("player 8 (WR 2): the first name", 0), 0u) << player.error();
  }
  TeamRecord zero = SampleTeam();
  zero.header.nickname = std::string("NUL\0BYTE", 8);
  EXPECT_FALSE(FormatTeamRecord(zero).ok());
}

TEST(Roster, TablesAndJerseys) {
  EXPECT_EQ(std::tuple(PositionNames.size(), PositionNames.front(), PositionNames[12], PositionNames.back()),
            std::tuple(30u, "QB 1", "C", "P"));
  for (const auto& [step, text] : {std::pair{0, "6"}, {9, "63"}, {15, "100"}, {16, "100"}, {-1, "6"}}) {
    EXPECT_EQ(RatingText(step), text) << step;
  }

  const PositionGroup expected[] = {PositionGroup::Quarterback, PositionGroup::BackOrReceiver,
                                    PositionGroup::OffensiveLine, PositionGroup::Defence,
                                    PositionGroup::Kicking};
  const int boundaries[][2] = {{0, 1}, {2, 11}, {12, 16}, {17, 27}, {28, 29}};
  for (size_t g = 0; g < 5; ++g) {
    for (int i = boundaries[g][0]; i <= boundaries[g][1]; ++i) EXPECT_EQ(GroupOfPosition(i), expected[g]) << i;
  }
  for (int i = 0; i < kPlayerCount; ++i) EXPECT_EQ(CanReturnKicks(i), i >= 2 && i <= 11) << i;

  for (const auto& [number, packed, text] : {std::tuple{12, 0x12, "# 12"}, {99, 0x99, "# 99"}, {0, 0, "# 0"},
                                             {7, 0x07, "# 7"}, {80, 0x80, "# 80"}}) {
    EXPECT_EQ(PackJersey(number), packed);
    EXPECT_EQ(UnpackJersey(packed), number);
    EXPECT_EQ(JerseyText(packed), text);
  }
}

}  // namespace
}  // namespace qgu::league
