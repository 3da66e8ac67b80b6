#include "league/team_record_file.h"

#include <gtest/gtest.h>

#include "league/file_io.h"
#include "tests/league/sample_team.h"
#include "tests/support/temp_folder.h"

namespace qgu::league {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::SampleTeam;
using testing::TempFolder;
using testing::WriteBytes;

TeamRecord TeamWithAbbreviation(std::string abbreviation) {
  TeamRecord team = SampleTeam();
  team.header.abbreviation = std::move(abbreviation);
  return team;
}

TEST(TeamFileNaming, DotsRemovedAndSmallestFreeNumberTaken) {
  TempFolder league;
  const Result<fs::path> first = CreateTeamRecordFile(league.path(), TeamWithAbbreviation("N.Y."));
  const Result<fs::path> second = CreateTeamRecordFile(league.path(), TeamWithAbbreviation("N.Y."));
  ASSERT_TRUE(first.ok()) << first.error();
  ASSERT_TRUE(second.ok()) << second.error();
  EXPECT_EQ(first.value(), league / "NY0.dat");
  EXPECT_EQ(second.value(), league / "NY1.dat");

  // A gap is filled first; names are compared without regard to case.
  fs::remove(league / "NY0.dat");
  WriteBytes(league / "ny2.DAT", "x");
  EXPECT_EQ(CreateTeamRecordFile(league.path(), TeamWithAbbreviation("NY")).value(), league / "NY0.dat");
  EXPECT_EQ(CreateTeamRecordFile(league.path(), TeamWithAbbreviation("NY")).value(), league / "NY3.dat");
  // The abbreviation inside the file keeps what the caller gave.
  EXPECT_EQ(ReadTeamRecordFile(second.value()).value().header.abbreviation, "N.Y.");
}

TEST(TeamFileNaming, AbbreviationCannotLeaveTheLeagueFolder) {
  EXPECT_EQ(TeamFileStem("../up"), "_up");
  EXPECT_EQ(TeamFileStem("a\\b:c"), "a_b_c");
  EXPECT_EQ(TeamFileStem(""), "");
  TempFolder base;
  fs::create_directory(base / "league");
  const Result<fs::path> path = CreateTeamRecordFile(base / "league", TeamWithAbbreviation("../../x"));
  ASSERT_TRUE(path.ok()) << path.error();
  EXPECT_EQ(path.value().parent_path(), base / "league");
}

TEST(TeamFile, CreatedFileHoldsTheExactBytesAndReadsBack) {
  TempFolder league;
  const Result<fs::path> path = CreateTeamRecordFile(league.path(), SampleTeam());
  ASSERT_TRUE(path.ok());
  EXPECT_EQ(ReadBytes(path.value()), FormatTeamRecord(SampleTeam()).value());
  EXPECT_EQ(ReadTeamRecordFile(path.value()).value(), SampleTeam());
  EXPECT_EQ(ReadTeamLineFile(path.value()).value(), SampleTeam().header);

  const Result<fs::path> imported = CreateTeamRecordFile(league.path(), SampleTeam(), TeamLineForm::kImport);
  ASSERT_TRUE(imported.ok());
  EXPECT_EQ(imported.value(), league / "MPD1.dat");
  EXPECT_EQ(ReadTeamLineFile(imported.value()).value().fieldCount, kImportTeamFieldCount);
}

TEST(TeamFile, ReadErrorsNameTheFile) {
  TempFolder league;
  const Result<TeamRecord> missing = ReadTeamRecordFile(league / "GONE0.dat");
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.error().find("GONE0.dat"), std::string::npos);

  WriteBytes(league / "BAD0.dat", "CITY\x01" + std::string(70, 'N') + "\x01\r\r\n");
  const Result<TeamHeader> bad = ReadTeamLineFile(league / "BAD0.dat");
  ASSERT_FALSE(bad.ok());
  EXPECT_EQ(bad.error(), (league / "BAD0.dat").string() + ": line 1: the nickname is longer than 63 characters");
  EXPECT_FALSE(ReadTeamRecordFile(league.path()).ok()) << "a folder is no record file";
}

TEST(TeamFile, FailedCreationLeavesNoFile) {
  TempFolder league;
  {
    testing::FileSizeLimit limit(100);
    const Result<fs::path> path = CreateTeamRecordFile(league.path(), SampleTeam());
    ASSERT_FALSE(path.ok());
  }
  EXPECT_TRUE(fs::is_empty(league.path()));
  TeamRecord broken = SampleTeam();
  broken.header.city = "BAD\nCITY";
  EXPECT_FALSE(CreateTeamRecordFile(league.path(), broken).ok());
  EXPECT_TRUE(fs::is_empty(league.path()));
  EXPECT_FALSE(CreateTeamRecordFile(league / "no such league", SampleTeam()).ok());
}

TEST(TeamFileRewrite, ReplacesTheWholeRecordAndLeavesNoTemporaryFile) {
  TempFolder league;
  const fs::path path = CreateTeamRecordFile(league.path(), SampleTeam()).value();
  TeamRecord changed = SampleTeam();
  changed.players[3].lastName = "BRAMBLECOTE";
  changed.header.kickReturner = 2;
  ASSERT_TRUE(RewriteTeamRecordFile(path, changed).ok());
  EXPECT_EQ(ReadTeamRecordFile(path).value(), changed);
  EXPECT_FALSE(fs::exists(TemporaryPathFor(path)));
  EXPECT_EQ(TemporaryPathFor(path), league / "MPD0.dat.tmp");
  EXPECT_FALSE(RewriteTeamRecordFile(league / "GONE0.dat", changed).ok()) << "only existing teams are rewritten";
  EXPECT_FALSE(fs::exists(league / "GONE0.dat"));
}

TEST(TeamFileRewrite, FailedWriteLeavesTheOldFileAsItWas) {
  TempFolder league;
  const fs::path path = CreateTeamRecordFile(league.path(), SampleTeam()).value();
  const std::string before = ReadBytes(path);
  TeamRecord changed = SampleTeam();
  changed.header.city = "ELSEWHERE";
  {
    testing::FileSizeLimit limit(200);  // the disk fills up half-way through the new file
    const Status status = RewriteTeamRecordFile(path, changed);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.error().find("MPD0.dat.tmp"), std::string::npos) << status.error();
    EXPECT_FALSE(RewriteTeamLine(path, changed.header).ok());
  }
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_FALSE(fs::exists(TemporaryPathFor(path)));

  // Something else stands at the temporary name: another name is taken and it is left alone.
  fs::create_directory(TemporaryPathFor(path));
  EXPECT_TRUE(RewriteTeamRecordFile(path, changed).ok());
  EXPECT_EQ(ReadTeamRecordFile(path).value(), changed);
  EXPECT_TRUE(fs::is_directory(TemporaryPathFor(path)));
}

TEST(TeamFileRewrite, TeamLineRewriteCopiesThePlayerLines) {
  TempFolder league;
  // A hand-edited file with LF line ends and a 16-field team line.
  WriteBytes(league / "MPD0.dat",
             testing::ReplaceAll(FormatTeamRecord(SampleTeam(), TeamLineForm::kImport).value(), "\r\r\n", "\n"));

  TeamHeader header = SampleTeam().header;
  header.city = "NEW HAVENMOOR";
  header.quoziDefence = 10;
  ASSERT_TRUE(RewriteTeamLine(league / "MPD0.dat", header).ok());
  TeamRecord expected = SampleTeam();
  expected.header = header;
  EXPECT_EQ(ReadBytes(league / "MPD0.dat"), FormatTeamRecord(expected).value());

  TeamHeader tooLong = header;
  tooLong.city = std::string(64, 'C');
  const Status refused = RewriteTeamLine(league / "MPD0.dat", tooLong);
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(ReadBytes(league / "MPD0.dat"), FormatTeamRecord(expected).value());
}

}  // namespace
}  // namespace qgu::league
