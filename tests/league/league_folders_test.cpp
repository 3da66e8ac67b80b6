#include "league/league_folders.h"

#include <gtest/gtest.h>

#include "base/file_write.h"

#include "league/folder_lock.h"
#include "league/league_writer.h"
#include "league/team_record_file.h"
#include "tests/league/sample_team.h"
#include "tests/support/temp_folder.h"

namespace qgu::league {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::SampleTeam;
using testing::TempFolder;
using testing::WriteBytes;
using Names = std::vector<std::string>;

TEST(LeaguesFolder, FoundWithoutRegardToCaseAndCreatedWhenMissing) {
  TempFolder base;
  EXPECT_EQ(FindLeaguesFolder(base.path()), std::nullopt);
  WriteBytes(base / "qgu_lge", "a file, not a folder");
  EXPECT_EQ(FindLeaguesFolder(base.path()), std::nullopt);
  fs::remove(base / "qgu_lge");

  fs::create_directory(base / "QGU_Lge");
  EXPECT_EQ(FindLeaguesFolder(base.path()), base / "QGU_Lge");
  EXPECT_EQ(FindOrCreateLeaguesFolder(base.path()).value(), base / "QGU_Lge");
  fs::create_directory(base / "qgu_lge");
  EXPECT_EQ(FindLeaguesFolder(base.path()), base / "qgu_lge") << "the exact spelling wins";

  TempFolder fresh;
  const Result<fs::path> created = FindOrCreateLeaguesFolder(fresh.path());
  ASSERT_TRUE(created.ok()) << created.error();
  EXPECT_EQ(created.value(), fresh / "qgu_lge");
  EXPECT_TRUE(fs::is_directory(fresh / "qgu_lge"));

  // A base that cannot be listed says so; a leagues folder is never made blindly.
  const Result<fs::path> impossible = FindOrCreateLeaguesFolder(fresh / "missing" / "deeper");
  ASSERT_FALSE(impossible.ok());
  EXPECT_NE(impossible.error().find("Unable to read folder " + (fresh / "missing" / "deeper").string()),
            std::string::npos);
}

TEST(LeagueListing, AllFoldersOrOnlyThoseWithTheMarker) {
  TempFolder leagues;
  for (const char* name : {"Zeta Loop", "alpha circuit", "Beta Cup", "Unmarked"}) fs::create_directory(leagues / name);
  for (const char* name : {"Zeta Loop", "alpha circuit", "Beta Cup"}) WriteBytes(leagues / name / "config.lge", "x\r\r\n");
  WriteBytes(leagues / "stray.dat", "not a league");
  fs::create_directory(leagues / "Marker Folder");
  fs::create_directory(leagues / "Marker Folder" / "config.lge");  // a folder is no marker

  EXPECT_EQ(ListLeagues(leagues.path(), LeagueFilter::kAllFolders).value(),
            (Names{"Beta Cup", "Marker Folder", "Unmarked", "Zeta Loop", "alpha circuit"}));
  EXPECT_EQ(ListLeagues(leagues.path(), LeagueFilter::kMarkedOnly).value(),
            (Names{"Beta Cup", "Zeta Loop", "alpha circuit"}));
  EXPECT_FALSE(ListLeagues(leagues / "nowhere", LeagueFilter::kAllFolders).ok());
}

TEST(LeagueCreation, SameNameTwiceGetsANumberAndNamesAreTrimmed) {
  TempFolder leagues;
  const Result<NewLeague> first = CreateLeague(leagues.path(), "MY LEAGUE");
  const Result<NewLeague> second = CreateLeague(leagues.path(), "  MY LEAGUE\t ");
  const Result<NewLeague> third = CreateLeague(leagues.path(), "MY LEAGUE");
  ASSERT_TRUE(first.ok() && second.ok() && third.ok());
  EXPECT_EQ(first.value().name, "MY LEAGUE");
  EXPECT_EQ(second.value().name, "MY LEAGUE 1");
  EXPECT_EQ(third.value().name, "MY LEAGUE 2");
  EXPECT_EQ(second.value().folder, leagues / "MY LEAGUE 1");
  EXPECT_EQ(ReadBytes(leagues / "MY LEAGUE" / "config.lge"), "MY LEAGUE\r\r\n");
  EXPECT_EQ(ReadBytes(leagues / "MY LEAGUE 1" / "config.lge"), "MY LEAGUE\r\r\n") << "the name as entered";
  EXPECT_EQ(ListLeagues(leagues.path(), LeagueFilter::kMarkedOnly).value(),
            (Names{"MY LEAGUE", "MY LEAGUE 1", "MY LEAGUE 2"}));

  // A name differing only in case is taken as well (folders may travel to Windows).
  EXPECT_EQ(CreateLeague(leagues.path(), "my league").value().name, "my league 3");
}

TEST(LeagueCreation, RefusesNamesThatAreEmptyOrLeaveTheFolder) {
  TempFolder leagues;
  EXPECT_EQ(CreateLeague(leagues.path(), "   ").error(), "Please enter a name for the new league.");
  for (const char* name : {"../escape", "back\\slash", "line\nbreak", ".", " . ", "..", "\t.. "}) {
    EXPECT_FALSE(CreateLeague(leagues.path(), name).ok()) << name;
    // Not a second lock on the leagues folder, taken through "qgu_lge/.", waiting for ever.
    EXPECT_FALSE(FindOrCreateLeague(leagues.path(), name).ok()) << name;
  }
  EXPECT_EQ(FindOrCreateLeague(leagues.path(), " . ").error(), "\".\" cannot name a league.");
  EXPECT_TRUE(fs::is_empty(leagues.path()));
}

TEST(FolderLockTest, ATakerOfAFolderItHoldsIsRefusedUnderAnyNameAndMayTakeItAgainAfter) {
  TempFolder folder;
  fs::create_directory(folder / "league");
  fs::create_directory_symlink("league", folder / "link");
  {
    Result<FolderLock> held = FolderLock::Take(folder / "league");
    ASSERT_TRUE(held.ok()) << held.error();
    for (const fs::path& again : {folder / "league", folder / "link", folder / "league" / "."}) {
      const Result<FolderLock> twice = FolderLock::Take(again);
      ASSERT_FALSE(twice.ok()) << again;
      EXPECT_NE(twice.error().find("this program holds it already"), std::string::npos) << twice.error();
      EXPECT_FALSE(FolderLock::TryTake(again).ok()) << again;
    }
    EXPECT_TRUE(FolderLock::Take(folder.path()).ok()) << "another folder";
  }
  EXPECT_TRUE(FolderLock::Take(folder / "link").ok());
}

TEST(LeagueCreation, GivesUpWhenFoldersCannotBeMadeAndCleansUpAfterAFailedMarker) {
  TempFolder base;
  const Result<NewLeague> nowhere = CreateLeague(base / "missing", "MY LEAGUE");
  ASSERT_FALSE(nowhere.ok());
  EXPECT_EQ(nowhere.error().rfind(kCreateLeagueFailedMessage, 0), 0u) << nowhere.error();

  {
    testing::FileSizeLimit limit(4);  // config.lge cannot be written in full
    const Result<NewLeague> league = CreateLeague(base.path(), "MY LEAGUE");
    ASSERT_FALSE(league.ok());
    EXPECT_EQ(league.error(), kCreateLeagueFailedMessage);
  }
  EXPECT_TRUE(fs::is_empty(base.path())) << "the half-made league folder is removed";
}

TEST(TeamListingTest, ListsTeamFilesWithTheirTeamLinesSkippingWhatCannotBeRead) {
  TempFolder league;
  TeamRecord harbour = SampleTeam();
  harbour.header.city = "SALTHAVEN";
  harbour.header.nickname = "GULLS";
  harbour.header.abbreviation = "SLT";
  const fs::path otters = CreateTeamRecordFile(league.path(), SampleTeam()).value();
  const fs::path gulls = CreateTeamRecordFile(league.path(), harbour, TeamLineForm::kImport).value();
  fs::rename(gulls, league / "SLT0.DAT");
  WriteBytes(league / "AAA0.dat", "CITY\x01" + std::string(64, 'N') + "\x01\r\r\n");
  WriteBytes(league / "EMPTY0.dat", "");
  fs::create_directory(league / "folder.dat");
  WriteBytes(league / "notes.txt", "MAPLEDALE\x01OTTERS\x01\r\r\n");

  const Result<TeamListing> listing = ListTeams(league.path());
  ASSERT_TRUE(listing.ok()) << listing.error();
  ASSERT_EQ(listing.value().teams.size(), 2u);
  EXPECT_EQ(listing.value().teams[0].path, otters);
  EXPECT_EQ(listing.value().teams[0].header, SampleTeam().header);
  EXPECT_EQ(listing.value().teams[1].path, league / "SLT0.DAT");
  EXPECT_EQ(TeamDisplayName(listing.value().teams[1].header), "SALTHAVEN GULLS");
  EXPECT_EQ(listing.value().teams[1].header.passPercent, 50);
  ASSERT_EQ(listing.value().skipped.size(), 2u);
  EXPECT_NE(listing.value().skipped[0].find("AAA0.dat"), std::string::npos);
  EXPECT_NE(listing.value().skipped[1].find("EMPTY0.dat"), std::string::npos);

  EXPECT_FALSE(ListTeams(league / "nowhere").ok());
}

TEST(DuplicateTeams, AllThreeNamesMustMatchExactly) {
  const TeamHeader otters = SampleTeam().header;
  TeamHeader other = otters;
  other.primaryJerseyColour = 1;  // only the names count
  EXPECT_TRUE(IsDuplicateTeam(otters, other));
  other.abbreviation = "mpd";
  EXPECT_FALSE(IsDuplicateTeam(otters, other));
  other = otters;
  other.nickname = "OTTER";
  EXPECT_FALSE(IsDuplicateTeam(otters, other));

  TempFolder league;
  const fs::path first = CreateTeamRecordFile(league.path(), SampleTeam(), TeamLineForm::kImport).value();
  const fs::path second = CreateTeamRecordFile(league.path(), SampleTeam()).value();
  TeamRecord unrelated = SampleTeam();
  unrelated.header.city = "Mapledale";
  CreateTeamRecordFile(league.path(), unrelated).value();
  const std::vector<TeamListEntry> duplicates = FindDuplicates(ListTeams(league.path()).value(), otters);
  ASSERT_EQ(duplicates.size(), 2u);
  EXPECT_EQ(duplicates[0].path, first);
  EXPECT_EQ(duplicates[1].path, second);
}

TEST(LeagueWriterTest, LeftoversOfCutShortWritesGoWhenNoWriterIsAtWork) {
  TempFolder league;
  const fs::path team = CreateTeamRecordFile(league.path(), SampleTeam()).value();
  const Names leftovers{"MPD0.dat.tmp", "MPD1.bmp.tmp.4711-2", "config.lge.tmp"};
  const Names kept{"notes.tmp", "MPD0.dat.tmpx", "MPD0.dat.tmp.12", "old.txt.tmp"};
  for (const std::string& name : leftovers) WriteBytes(league / name, "cut short");
  for (const std::string& name : kept) WriteBytes(league / name, "the user's");
  {
    // A writer at work: its temporary files are its own.
    Result<LeagueWriter> writer = LeagueWriter::Open(league.path());
    ASSERT_TRUE(writer.ok()) << writer.error();
    EXPECT_EQ(writer.value().removedLeftovers().size(), 3u) << "the writer itself removes them when it starts";
    for (const std::string& name : leftovers) WriteBytes(league / name, "being written");
    EXPECT_TRUE(ListTeams(league.path()).value().removed.empty());
    for (const std::string& name : leftovers) EXPECT_TRUE(fs::exists(league / name)) << name;
  }
  const Result<TeamListing> listing = ListTeams(league.path());
  ASSERT_TRUE(listing.ok());
  EXPECT_EQ(listing.value().removed.size(), 3u);
  for (const std::string& name : leftovers) EXPECT_FALSE(fs::exists(league / name)) << name;
  for (const std::string& name : kept) EXPECT_TRUE(fs::exists(league / name)) << name;
  ASSERT_EQ(listing.value().teams.size(), 1u);
  EXPECT_EQ(listing.value().teams[0].path, team);
}

TEST(LeagueWriterTest, AReplacedTeamTakesItsPictureToTheLowestFreeNameAndNewNamesReplaceNothing) {
  TempFolder league;
  const auto content = FormatTeamRecord(SampleTeam()).value();
  const std::string stem = TeamFileStem(SampleTeam().header.abbreviation);
  const auto picture = [](const fs::path& file, const TeamHeader& team) -> Status {
    WriteBytes(PicturePathFor(file), "helmet of " + team.city);
    return {};
  };
  WriteBytes(league / (stem + "3.dat"), content);
  WriteBytes(league / (stem + "3.bmp"), "old helmet");
  WriteBytes(league / (stem + "5.dat"), content);  // a second copy of the same team
  WriteBytes(league / (stem + "5.bmp"), "old helmet");
  Result<LeagueWriter> writer = LeagueWriter::Open(league.path());
  ASSERT_TRUE(writer.ok());
  TeamHeader team = SampleTeam().header;
  team.city = "NEWTOWN";
  const Result<PlacedTeam> placed =
      writer.value().ReplaceTeam({league / (stem + "3.dat"), league / (stem + "5.dat")}, "new", team, picture);
  ASSERT_TRUE(placed.ok()) << placed.error();
  EXPECT_EQ(placed.value().path, league / (stem + "0.dat"));
  EXPECT_TRUE(placed.value().failures.empty());
  EXPECT_EQ(ReadBytes(league / (stem + "0.dat")), "new");
  EXPECT_EQ(ReadBytes(league / (stem + "0.bmp")), "helmet of NEWTOWN");
  for (const char* gone : {"3.dat", "3.bmp", "5.dat", "5.bmp"}) EXPECT_FALSE(fs::exists(league / (stem + gone))) << gone;

  // A picture without its team (a write cut short) is no team: the name is free and its picture replaced.
  WriteBytes(league / (stem + "1.bmp"), "stale");
  const Result<PlacedTeam> created = writer.value().CreateTeam("second", team, picture);
  ASSERT_TRUE(created.ok());
  EXPECT_EQ(created.value().path, league / (stem + "1.dat"));
  EXPECT_EQ(ReadBytes(league / (stem + "1.bmp")), "helmet of NEWTOWN");

  // A name taken by a file the listing did not show is never replaced.
  const fs::path elsewhere = league / "other.dat";
  WriteBytes(elsewhere, "someone else's");
  Result<bool> moved = base::RenameNoReplace(league / (stem + "0.dat"), elsewhere);
  ASSERT_TRUE(moved.ok());
  EXPECT_FALSE(moved.value());
  EXPECT_EQ(ReadBytes(elsewhere), "someone else's");
  Result<bool> again = base::CreateNewFile(elsewhere, "mine");
  ASSERT_TRUE(again.ok());
  EXPECT_FALSE(again.value());
  EXPECT_EQ(ReadBytes(elsewhere), "someone else's");
}

}  // namespace
}  // namespace qgu::league
