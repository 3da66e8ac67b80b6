// Statistics: raw strings from the cartridge's blocks, the team statistics
// string with names from the team record, its parser, and the score text.

#include <gtest/gtest.h>

#include <numeric>

#include "driver/cartridge_memory.h"
#include "driver/team_stats.h"
#include "league/field_splitter.h"
#include "league/team_record_file.h"
#include "test_teams.h"

namespace qgu::driver {
namespace {

using testing::MakeTeam;
using testing::TestTeam;

// Block offsets of each roster line's figures.
constexpr size_t kQuarterback0 = 0;
constexpr size_t kBack(int line) { return 20 + 16 * static_cast<size_t>(line - 2); }
constexpr size_t kDefender(int line) { return 180 + 5 * static_cast<size_t>(line - 17); }
constexpr size_t kKicker = 235;
constexpr size_t kPunter = 239;

std::array<int32_t, kStatCounterCount> Counters(std::initializer_list<std::pair<int, int32_t>> figures) {
  std::array<int32_t, kStatCounterCount> counters{};
  for (const auto& [index, value] : figures) counters[static_cast<size_t>(index)] = value;
  return counters;
}

class TeamStatsTest : public ::testing::Test {
 protected:
  TeamStatsTest() {
    testing::WriteTeamFile(path, team);
  }
  std::string Raw() const { return RawStatsString(block); }
  league::TeamRecord Record() const { return league::ReadTeamRecordFile(path).value(); }

  testing::TempFolder folder;
  TestTeam team = MakeTeam("PELLMARSH", "GRIFFINS", "PEL", 2);
  std::string path = folder.File("PEL0.dat");
  std::array<uint8_t, 242> block{};
};

TEST_F(TeamStatsTest, RawStringHoldsEveryByteUnsigned) {
  std::iota(block.begin(), block.end(), uint8_t{14});  // wraps past 255
  const std::string raw = Raw();
  const auto fields = league::SplitFields(raw, '|');
  ASSERT_EQ(fields.size(), 242u);
  EXPECT_EQ(fields[0], "14");
  EXPECT_EQ(fields[241], std::to_string((14 + 241) & 0xFF));
  EXPECT_EQ(raw.back(), '|');
  EXPECT_EQ(RawStatsString(std::array<uint8_t, 242>{}).substr(0, 4), "0|0|");

  testing::FakeConsoleMemory memory;
  for (size_t i = 0; i < 242; ++i) memory.bytes[cartmem::kAwayStatsBlock + i] = block[i];
  memory.bytes[cartmem::kAwayStatsBlock + 242] = 99;
  EXPECT_EQ(ReadRawStats(memory, cartmem::kAwayStatsBlock), raw);
}

TEST_F(TeamStatsTest, FiguresLandInTheirSlotsWithTheSignRules) {
  // Quarterback 0: 20 att, 11 cmp, 2 td, 1 int, 180 yards, 3 rushes for -5, 0 td.
  const uint8_t qb[] = {20, 11, 2, 1, 180, 0, 3, 0xFB, 0xFF, 0};
  std::copy(std::begin(qb), std::end(qb), block.begin() + kQuarterback0);
  // Back on line 6: 4 receptions for 256 yards, 1 td; kick return -2; punt return 7; 2 rushes for 9.
  const uint8_t back[] = {4, 0x00, 0x01, 1, 1, 0xFE, 0xFF, 0, 1, 7, 0, 0, 2, 9, 0, 1};
  std::copy(std::begin(back), std::end(back), block.begin() + kBack(6));
  const uint8_t defender[] = {2, 1, 0x10, 0x80, 1};  // interception returned for -32752
  std::copy(std::begin(defender), std::end(defender), block.begin() + kDefender(27));
  const uint8_t kicker[] = {3, 3, 2, 1};
  std::copy(std::begin(kicker), std::end(kicker), block.begin() + kKicker);
  const uint8_t punter[] = {5, 0x10, 0x90};  // 36880 yards, unsigned
  std::copy(std::begin(punter), std::end(punter), block.begin() + kPunter);

  const TeamStatLines lines = DecodeStatLines(Record(), Raw());
  EXPECT_EQ(lines[0].counters, Counters({{kStatPassAttempts, 20}, {kStatCompletions, 11}, {kStatPassTouchdowns, 2},
                                         {kStatInterceptionsThrown, 1}, {kStatPassYards, 180}, {kStatRushAttempts, 3},
                                         {kStatRushYards, -5}}));
  EXPECT_EQ(lines[6].counters,
            Counters({{kStatReceptions, 4}, {kStatReceivingYards, 256}, {kStatReceivingTouchdowns, 1},
                      {kStatKickReturns, 1}, {kStatKickReturnYards, -2}, {kStatPuntReturns, 1},
                      {kStatPuntReturnYards, 7}, {kStatRushAttempts, 2}, {kStatRushYards, 9}, {kStatRushTouchdowns, 1}}));
  EXPECT_EQ(lines[kLastDefenderRecord].counters,
            Counters({{kStatSacks, 2}, {kStatInterceptions, 1}, {kStatInterceptionReturnYards, 0x8010 - 65536},
                      {kStatInterceptionTouchdowns, 1}}));
  EXPECT_EQ(lines[kKickerRecord].counters, Counters({{kStatExtraPointsAttempted, 3}, {kStatExtraPointsMade, 3},
                                                     {kStatFieldGoalsAttempted, 2}, {kStatFieldGoalsMade, 1}}));
  EXPECT_EQ(lines[kPunterRecord].counters, Counters({{kStatPunts, 5}, {kStatPuntYards, 0x9010}}));
}

TEST_F(TeamStatsTest, TeamStringHas29FieldsPerRecordWithoutLinemenAndParsesBack) {
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 37 + 5);
  const std::string text = DecodeTeamStats(Record(), Raw());
  const auto fields = league::SplitFields(text, '|');
  ASSERT_EQ(fields.size(), 25u * 29u);
  EXPECT_EQ(fields[0], "GRIFFINS");
  EXPECT_EQ(fields[1], "LAST0");
  EXPECT_EQ(fields[29 * 23 + 1], "LAST28");

  const TeamStatLines decoded = DecodeStatLines(Record(), Raw());
  for (int r = 0; r < kStatLinesPerTeam; ++r) {  // roster lines 12-16 are not listed
    EXPECT_EQ(decoded[static_cast<size_t>(r)].name, "LAST" + std::to_string(r < kFirstDefenderRecord ? r : r + 5));
    EXPECT_EQ(decoded[static_cast<size_t>(r)].team, "GRIFFINS");
  }
  const TeamStats parsed = ParseTeamStats(text);
  EXPECT_EQ(parsed.teamName, "GRIFFINS");
  for (size_t r = 0; r < decoded.size(); ++r) {
    EXPECT_EQ(parsed.lines[r].name, decoded[r].name);
    EXPECT_EQ(parsed.lines[r].team, decoded[r].team);
    EXPECT_EQ(parsed.lines[r].counters, decoded[r].counters) << "record " << r;
  }
  EXPECT_EQ(FormatTeamStats(parsed.lines), text);
}

TEST_F(TeamStatsTest, EmptyStringParsesToEmptyRecords) {
  const TeamStats parsed = ParseTeamStats("");
  EXPECT_EQ(parsed.teamName, "");
  EXPECT_EQ(parsed.lines[24].counters, (std::array<int32_t, kStatCounterCount>{}));
}

TEST_F(TeamStatsTest, NamesAreCutAndCannotBreakTheFields) {
  team.header[1] = "NORTHWATCH|GREYWOLVES";
  team.players[3][2] = "VANDERHOLTZ-MERRIWEATHER";
  team.players[4][2] = "O|NEAL";
  testing::WriteTeamFile(path, team);
  const std::string text = DecodeTeamStats(Record(), Raw());
  EXPECT_EQ(league::SplitFields(text, '|').size(), 25u * 29u);
  const TeamStats parsed = ParseTeamStats(text);
  EXPECT_EQ(parsed.teamName, "NORTHWATCH/GREYW");
  EXPECT_EQ(parsed.lines[3].name, "VANDERHOLTZ-MERRIW");
  EXPECT_EQ(parsed.lines[4].name, "O/NEAL");
}

TEST_F(TeamStatsTest, ShortRawStringReadsAsZero) {
  const TeamStatLines lines = DecodeStatLines(Record(), "4|7|");
  EXPECT_EQ(lines[0].counters[kStatPassAttempts], 4);
  EXPECT_EQ(lines[0].counters[kStatCompletions], 7);
  EXPECT_EQ(lines[0].counters[kStatPassYards], 0);
  EXPECT_EQ(lines[12].name, "LAST17");
  EXPECT_EQ(lines[24].team, "GRIFFINS");
}

TEST(FinalScoreTest, PeriodBytesAreBcd) {
  EXPECT_EQ(FinalScoreText(std::array<uint8_t, 4>{0x07, 0x14, 0x00, 0x03}), "24");
  EXPECT_EQ(FinalScoreText(std::array<uint8_t, 4>{0x99, 0x99, 0x99, 0x99}), "396");
  EXPECT_EQ(FinalScoreText(std::array<uint8_t, 4>{}), "0");
  // Not BCD: read as the hexadecimal rendering's leading decimal digits.
  EXPECT_EQ(PeriodScoreSum(std::array<uint8_t, 4>{0x1A, 0xA1, 0x00, 0x00}), 1);
  // Reading them from the console is part of the statistics capture's tests.
}

}  // namespace
}  // namespace qgu::driver
