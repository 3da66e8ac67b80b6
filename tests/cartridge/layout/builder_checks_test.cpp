// The builder refuses broken team files and program images, naming the rule.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <tuple>

#include "cartridge/builder/image_builder.h"
#include "cartridge/builder/team_source.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_paths.h"

namespace {

using namespace qgu::cartridge;
using qgu::testing::ReadBytes;
using testing::HasSubstr;

const std::string& TeamFile() {
  static const std::string text = ReadBytes(QGU_SOURCE_DIR "/cartridge/builder/teams.txt");
  return text;
}

// The team file with the first line matching `pattern` replaced.
std::string WithLine(const std::string& pattern, const std::string& replacement) {
  return std::regex_replace(TeamFile(), std::regex(pattern, std::regex::multiline), replacement,
                            std::regex_constants::format_first_only);
}

// The value of the first "key value" line.
std::string FirstValue(const std::string& key) {
  std::smatch match;
  const std::regex line("^" + key + " +(.*)$", std::regex::multiline);
  return std::regex_search(TeamFile(), match, line) ? match[1].str() : std::string();
}

std::string AllErrors(const std::vector<std::string>& errors) {
  std::string all;
  for (const auto& error : errors) all += error + "\n";
  return all;
}

std::string ParseErrors(const std::string& text) { return AllErrors(ParseTeamSource(text, "teams.txt").errors); }

std::vector<SourceTeam> Teams() {
  auto result = ParseTeamSource(TeamFile(), "teams.txt");
  EXPECT_TRUE(result.errors.empty()) << AllErrors(result.errors);
  return result.teams;
}

TEST(TeamFile, RefusesLinesThatBreakASingleTeamsRules) {
  struct Case {
    const char* pattern;
    const char* replacement;
    const char* message;
  };
  const Case cases[] = {
      {"^city .*$", "city       ABCDEFGHIJKLMNOPQ", "is 17 characters; at most 16 fit"},
      {"^city .*$", "city       Marrowgate", "must be upper-case letters"},
      {"^abbr .*$", "abbr       ABC", "must be exactly 4 characters"},
      {"^abbr .*$", "abbr       AB C", "must be exactly 4 characters"},
      {"^formation .*$", "formation  3", "plays team 0 in formation 2"},
      {"^colours .*$", "colours    0x40 0x06 0x11  0x0A 0x06 0x17", "is not 0..63"},
      {"^runs .*$", "runs       1 2 3", "needs 4 numbers"},
      {"^passes .*$", "passes     1 2 3 8", "is not 0..7"},
      {"^( +)QB1 .*$", "      QB1   100  joe    SMITH  dark  5 5 5 5 | 5 5 5 5", "is not 0..99"},
      {"^( +)QB1 .*$", "      QB1    12  Joe    SMITH  dark  5 5 5 5 | 5 5 5 5", "must be lower-case letters"},
      {"^( +)QB1 .*$", "      QB1    12  joe    SMiTH  dark  5 5 5 5 | 5 5 5 5", "must be upper-case letters"},
      {"^( +)QB1 .*$", "      QB1    12  joe    ABCDEFGHIJKLMNOP  dark  5 5 5 5 | 5 5 5 5", "cut to 15 letters"},
      {"^( +)QB1 .*$", "      QB1    12  joe    SMITH  pale  5 5 5 5 | 5 5 5 5", "skin must be"},
      {"^( +)QB1 .*$", "      QB1    12  joe    SMITH  dark  5 5 5 16 | 5 5 5 5", "rating \"16\" is not 0..15"},
      {"^( +)QB1 .*$", "      QB1    12  joe    SMITH  dark  5 5 5 5 | 5 5 5", "needs 4 ratings after \"|\""},
      {"^( +)QB1 .*$", "      QB1    12  joe    SMITH  dark  5 5 5 5   5 5 5 5", "missing \"|\""},
      {"^( +)QB1 .*$", "      QB2    12  joe    SMITH  dark  5 5 5 5 | 5 5 5 5", "out of roster order (expected QB1)"},
      {"^( +)C .*$", "      C      77  hank   THANDFA  light  6 6 14 11 | 3", "needs 0 ratings after"},
      {"^team 1$", "team 2", "expected \"team 1\""},
      {"^city .*$", "town       MARROWGATE", "unknown line starting with \"town\""},
  };
  for (const auto& c : cases) {
    const std::string text = WithLine(c.pattern, c.replacement);
    ASSERT_NE(text, TeamFile()) << c.pattern;
    const std::string errors = ParseErrors(text);
    EXPECT_THAT(errors, HasSubstr(c.message)) << c.replacement;
    EXPECT_THAT(errors, HasSubstr("teams.txt:")) << "errors carry the line: " << errors;
  }
}

// Whole-file rules: a jersey worn twice, a team, a player or a line missing, a key given twice.
TEST(TeamFile, RefusesRepeatedAndMissingParts) {
  const std::string qb1 = "      QB1    12  joe    SMITH  dark  5 5 5 5 | 5 5 5 5";
  const std::string qb2 = "      QB2    12  bob    JONAS  dark  5 5 5 5 | 5 5 5 5";
  const std::pair<std::string, const char*> cases[] = {
      {std::regex_replace(WithLine("^( +)QB1 .*$", qb1), std::regex("^( +)QB2 .*$", std::regex::multiline), qb2,
                          std::regex_constants::format_first_only),
       "team 0 QB2: jersey 12 is already worn by QB1"},
      {TeamFile().substr(0, TeamFile().find("\nteam 27")), "holds 27 teams; the cartridge needs exactly 28"},
      {WithLine("^( +)P .*$", ""), "team 0 has 29 players; it needs 30"},
      {WithLine("^runs .*$", ""), "team 0 has no \"runs\" line"},
      {WithLine("^city .*$", "city A\ncity B"), "gives \"city\" twice"},
  };
  for (const auto& [text, message] : cases) EXPECT_THAT(ParseErrors(text), HasSubstr(message));
}

// Texts between two fixed starts must fill the gap exactly; the last group is
// bounded instead: cities by the first nickname, entries by the attributes.
TEST(TeamFile, BudgetsBetweenFixedStartsMustBeFilledExactly) {
  using Change = void (*)(std::vector<SourceTeam>&);
  const std::pair<Change, const char*> cases[] = {
      {[](auto& t) { t[3].city += "X"; }, "cities of teams 0-6 take 63 bytes; they must fill exactly 62"},
      {[](auto& t) { t[3].city += "X"; }, "shorten them by 1"},
      {[](auto& t) { t[15].nickname.pop_back(); }, "nicknames of teams 14-16 take 19 bytes; they must fill exactly 20"},
      {[](auto& t) { t[9].players[4].lastName += "Q"; }, "player entries of teams 7-13 take 2539 bytes"},
      {[](auto& t) { t[26].city = t[27].city = "ABCDEFGHIJKLMNOP"; }, "cities of teams 25-27 take"},
      {[](auto& t) {
         for (auto& player : t[27].players) player.firstName = player.lastName = "ABCDEFGHIJKLMNO";
       },
       "with the closing 0xFF"},
  };
  for (const auto& [change, message] : cases) {
    auto teams = Teams();
    change(teams);
    EXPECT_THAT(AllErrors(CheckTextBudgets(teams)), HasSubstr(message));
  }
}

TEST(ProgramImage, MustBeTheRightSizeAndHeaderWithTheGameCheckAndEmptyDataAreas) {
  const auto teams = Teams();
  auto program = MakeStandInProgramImage();
  EXPECT_EQ(AllErrors(CheckProgramImage(program)), "");

  auto shortImage = program;
  shortImage.pop_back();
  EXPECT_THAT(AllErrors(BuildCartridgeImage(shortImage, teams).errors), HasSubstr("must be exactly 393,232"));

  auto badHeader = program;
  badHeader[6] = 0x40;
  EXPECT_THAT(AllErrors(CheckProgramImage(badHeader)), HasSubstr("header byte 6 is 0x40, not 0x42"));

  auto noCheck = program;
  noCheck[0x3C139] = 'X';
  EXPECT_THAT(AllErrors(CheckProgramImage(noCheck)), HasSubstr("lacks the game check \"ZEMRATH\""));

  for (const size_t used : {size_t{0x10}, size_t{0x3CDB}, size_t{0x1D37F}, size_t{0x1FC10}, size_t{0x2000F},
                            size_t{0x2C2E4}, size_t{0x343B7}}) {
    auto occupied = program;
    occupied[used] = 0xEA;
    const auto built = BuildCartridgeImage(occupied, teams);
    EXPECT_THAT(AllErrors(built.errors), HasSubstr("inside the team-data area")) << std::hex << used;
    EXPECT_TRUE(built.image.empty());
  }
}

TEST(ProgramImage, TheTeamFileBuildsAndEverythingOutsideTheDataAreasIsKept) {
  const auto inArea = [](size_t offset) {
    return std::any_of(kTeamDataAreas.begin(), kTeamDataAreas.end(),
                       [offset](const Area& area) { return offset >= area.first && offset <= area.last; });
  };
  const auto isCheck = [](size_t offset) { return offset >= kGameCheckOffset && offset < kGameCheckOffset + 7; };
  auto program = MakeStandInProgramImage();
  for (size_t i = kHeaderBytes; i < program.size(); ++i) {
    if (!inArea(i) && !isCheck(i)) program[i] = static_cast<uint8_t>(i * 7 + 1);
  }
  // The project's own team file builds without a complaint.
  const auto teams = Teams();
  ASSERT_EQ(teams.size(), 28u);
  const auto built = BuildCartridgeImage(program, teams);
  ASSERT_EQ(AllErrors(built.errors), "");
  for (size_t i = 0; i < program.size(); ++i) {
    if (!inArea(i)) {
      ASSERT_EQ(built.image[i], program[i]) << std::hex << i;
    }
  }
}

TEST(BuiltImage, VerificationCatchesTablesThatDoNotReadBack) {
  const auto teams = Teams();
  const auto program = MakeStandInProgramImage();
  const auto image = BuildCartridgeImage(program, teams).image;
  ASSERT_EQ(image.size(), kImageBytes);
  const size_t lastEntryEnd = (image[0x6D8] | image[0x6D9] << 8) - 0x7FF0;
  const std::tuple<size_t, uint8_t, const char*> cases[] = {
      {0x48 + 60 * 3 + 2 * 5, image[0x48 + 60 * 3 + 2 * 5] + 1, "player 5 of team 3"},
      {0x1FC50 + 2 * 7, image[0x1FC50 + 2 * 7] + 1, "team 7's city starts at 0x1FDBB, not at its fixed start 0x1FDBA"},
      {lastEntryEnd, 0, "closing 0xFF"},
      {0x20010, 1, "0x20010 changed outside"},
  };
  for (const auto& [offset, value, message] : cases) {
    auto broken = image;
    broken[offset] = value;
    EXPECT_THAT(AllErrors(VerifyCartridgeImage(broken, program, teams)), HasSubstr(message));
  }
}

// The tool itself: a broken team file fails the build and leaves no image.
TEST(BuilderTool, FailsWithTheRuleAndWritesNothing) {
  const qgu::testing::TempFolder dir;
  const auto run = [&] {
    const std::string command = std::string(QGU_CARTRIDGE_BUILDER) + " --teams " + dir.File("teams.txt") +
                                " --stand-in --output " + dir.File("qgu.nes") + " >" + dir.File("log.txt") + " 2>&1";
    return std::system(command.c_str());
  };
  qgu::testing::WriteBytes(dir / "teams.txt", TeamFile());
  EXPECT_EQ(run(), 0) << ReadBytes(dir / "log.txt");
  EXPECT_EQ(std::filesystem::file_size(dir / "qgu.nes"), kImageBytes);

  qgu::testing::WriteBytes(dir / "teams.txt", WithLine("^city .*$", "city       " + FirstValue("city") + "S"));
  EXPECT_NE(run(), 0);
  EXPECT_THAT(ReadBytes(dir / "log.txt"), HasSubstr("error: cities of teams 0-6 take 63 bytes"));
  EXPECT_FALSE(std::filesystem::exists(dir / "qgu.nes")) << "a failed build must not leave the old image";
}

}  // namespace
