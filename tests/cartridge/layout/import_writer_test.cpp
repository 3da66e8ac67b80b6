// Writing chosen cartridge teams into a league, and the default league a
// first start makes from the embedded cartridge.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <thread>
#include <string>
#include <vector>

#include "cartridge/builder/embedded_image.h"
#include "league/cartridge_teams.h"
#include "league/default_league.h"
#include "league/team_record_file.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace qgu::league;
using qgu::testing::TempFolder;
using testing::ElementsAre;
using testing::HasSubstr;

const CartridgeTeams& Teams() {
  static const CartridgeTeams teams = ExtractCartridgeTeams(qgu::cartridge::EmbeddedCartridgeImage()).value();
  return teams;
}

std::vector<std::string> FileNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string StemOf(int team) { return TeamFileStem(Teams()[static_cast<size_t>(team)].record.header.abbreviation); }

// Answers the duplicate question from a list, recording what was asked.
struct Answers {
  std::vector<bool> answers;
  std::vector<fs::path> asked;
  OverwriteQuestion Question() {
    return [this](const TeamHeader&, const TeamListEntry& existing) {
      asked.push_back(existing.path);
      return asked.size() <= answers.size() ? bool(answers[asked.size() - 1]) : false;
    };
  }
};

const OverwriteQuestion kNeverAsked = [](const TeamHeader&, const TeamListEntry&) -> bool {
  ADD_FAILURE() << "no duplicate expected";
  return false;
};

// Dotted abbreviations lose their dots in the file name.
TEST(ImportWriter, WritesTheSelectionInCartridgeOrderAsSixteenFieldRecords) {
  int dotted = -1;
  for (int t = 0; t < qgu::cartridge::kTeamCount; ++t) {
    if (Teams()[static_cast<size_t>(t)].record.header.abbreviation.find('.') != std::string::npos) dotted = t;
  }
  ASSERT_GT(dotted, 3) << "the cartridge has a dotted abbreviation to show this";
  TempFolder league;
  auto report = WriteCartridgeTeams(league.path(), Teams(), {dotted, 3, 1, 3}, kNeverAsked);
  ASSERT_TRUE(report.ok()) << report.error();
  const auto& written = report.value().written;
  ASSERT_EQ(written.size(), 3u);
  EXPECT_EQ(written[0].filename(), StemOf(1) + "0.dat");
  EXPECT_EQ(written[1].filename(), StemOf(3) + "0.dat");
  EXPECT_EQ(written[2].filename(), StemOf(dotted) + "0.dat");
  const std::string dottedName = written[2].filename().string();
  EXPECT_EQ(std::count(dottedName.begin(), dottedName.end(), '.'), 1) << dottedName;

  const std::string bytes = qgu::testing::ReadBytes(written[0]);
  const std::string firstLine = bytes.substr(0, bytes.find('\n') + 1);
  EXPECT_EQ(std::count(firstLine.begin(), firstLine.end(), '\x01'), 16);
  EXPECT_TRUE(firstLine.ends_with("\x01\r\r\n"));
  auto read = ReadTeamRecordFile(written[0]);
  ASSERT_TRUE(read.ok()) << read.error();
  EXPECT_EQ(read.value(), Teams()[1].record);
  // Fields the import leaves out read as their defaults.
  EXPECT_EQ(read.value().header.quoziDefence, 100);
  EXPECT_EQ(read.value().header.passPercent, 50);
}

TEST(ImportWriter, ImportingTwiceAsksOncePerTeamAndKeepsOrReplaces) {
  TempFolder league;
  ASSERT_TRUE(WriteCartridgeTeams(league.path(), Teams(), {0, 5}, kNeverAsked).ok());
  const std::string team0 = StemOf(0) + "0.dat";
  const std::string team5 = StemOf(5) + "0.dat";
  qgu::testing::WriteBytes(league / team0, qgu::testing::ReadBytes(league / team0) + "marker");

  Answers answers{{false, true}, {}};
  auto report = WriteCartridgeTeams(league.path(), Teams(), {0, 5}, answers.Question());
  ASSERT_TRUE(report.ok());
  EXPECT_THAT(answers.asked, ElementsAre(league / team0, league / team5));
  EXPECT_THAT(report.value().kept, ElementsAre(0));
  // "No" leaves the old file untouched; "Yes" replaces it under the freed name.
  EXPECT_THAT(qgu::testing::ReadBytes(league / team0), testing::EndsWith("marker"));
  EXPECT_THAT(report.value().written, ElementsAre(league / team5));
  EXPECT_THAT(report.value().replaced, ElementsAre(league / team5));
  EXPECT_THAT(FileNames(league.path()), testing::UnorderedElementsAre(team0, team5));
}

TEST(ImportWriter, TheLastDuplicatesAnswerDecidesAndNothingIsLostOnNo) {
  TempFolder league;
  ASSERT_TRUE(WriteCartridgeTeams(league.path(), Teams(), {2}, kNeverAsked).ok());
  fs::copy_file(league / (StemOf(2) + "0.dat"), league / (StemOf(2) + "7.dat"));

  Answers yesThenNo{{true, false}, {}};
  auto report = WriteCartridgeTeams(league.path(), Teams(), {2}, yesThenNo.Question());
  ASSERT_TRUE(report.ok());
  EXPECT_EQ(yesThenNo.asked.size(), 2u);
  EXPECT_THAT(report.value().kept, ElementsAre(2));
  EXPECT_EQ(FileNames(league.path()).size(), 2u) << "a team that is not written removes nothing";

  Answers noThenYes{{false, true}, {}};
  report = WriteCartridgeTeams(league.path(), Teams(), {2}, noThenYes.Question());
  ASSERT_TRUE(report.ok());
  EXPECT_THAT(report.value().replaced, ElementsAre(league / (StemOf(2) + "7.dat")));
  EXPECT_THAT(FileNames(league.path()), testing::UnorderedElementsAre(StemOf(2) + "0.dat", StemOf(2) + "1.dat"));
}

TEST(ImportWriter, AReplacementThatCannotBeWrittenKeepsTheOldFile) {
  TempFolder league;
  ASSERT_TRUE(WriteCartridgeTeams(league.path(), Teams(), {6}, kNeverAsked).ok());
  const auto before = qgu::testing::ReadBytes(league / (StemOf(6) + "0.dat"));
  Answers yes{{true}, {}};
  Result<ImportReport> report = Fail("not run");
  {
    qgu::testing::FileSizeLimit full(64);
    report = WriteCartridgeTeams(league.path(), Teams(), {6}, yes.Question());
  }
  ASSERT_TRUE(report.ok());
  EXPECT_EQ(report.value().failures.size(), 1u);
  EXPECT_TRUE(report.value().written.empty());
  EXPECT_EQ(qgu::testing::ReadBytes(league / (StemOf(6) + "0.dat")), before);
  EXPECT_EQ(FileNames(league.path()).size(), 1u);
}

TEST(ImportWriter, RefusesAFolderThatCannotBeListedAndSkipsUnknownTeams) {
  TempFolder base;
  EXPECT_FALSE(WriteCartridgeTeams(base / "missing", Teams(), {0}, kNeverAsked).ok());
  auto report = WriteCartridgeTeams(base.path(), Teams(), {-1, 28}, kNeverAsked);
  ASSERT_TRUE(report.ok());
  EXPECT_EQ(report.value().failures.size(), 2u);
  EXPECT_TRUE(FileNames(base.path()).empty());
}

// ---- the default league ----

TEST(DefaultLeague, IsCreatedOnceWithTheTwentyEightCartridgeTeams) {
  TempFolder base;
  auto made = EnsureDefaultLeague(base.path(), qgu::cartridge::EmbeddedCartridgeImage());
  ASSERT_TRUE(made.ok()) << made.error();
  EXPECT_TRUE(made.value().created);
  EXPECT_EQ(made.value().teamCount, 28);
  EXPECT_THAT(made.value().message, HasSubstr("Created the league \"Quozi League\""));
  EXPECT_THAT(made.value().message, HasSubstr("28 teams"));

  const fs::path folder = base / "qgu_lge" / "Quozi League";
  EXPECT_EQ(made.value().folder, folder);
  EXPECT_EQ(qgu::testing::ReadBytes(folder / "config.lge"), "Quozi League\r\r\n");
  auto listing = ListTeams(folder);
  ASSERT_TRUE(listing.ok());
  ASSERT_EQ(listing.value().teams.size(), 28u);
  for (const auto& entry : listing.value().teams) {
    auto record = ReadTeamRecordFile(entry.path);
    ASSERT_TRUE(record.ok()) << record.error();
    EXPECT_EQ(record.value().players[0].firstName.empty(), false);
  }

  auto again = EnsureDefaultLeague(base.path(), qgu::cartridge::EmbeddedCartridgeImage());
  ASSERT_TRUE(again.ok());
  EXPECT_FALSE(again.value().created);
  EXPECT_EQ(again.value().message, "");
  EXPECT_EQ(FileNames(base / "qgu_lge"), std::vector<std::string>{"Quozi League"});
  EXPECT_EQ(FileNames(folder).size(), 29u);
}

// A leagues folder of any case is used; a league already in it means none is
// made. An empty folder (what a cut-short league creation used to leave) is no league.
TEST(DefaultLeague, GoesOnlyIntoAnEmptyLeaguesFolderOfAnyCase) {
  for (const bool hasLeague : {false, true}) {
    TempFolder base;
    fs::create_directories(hasLeague ? base / "QGU_LGE" / "Mine" : base / "Qgu_Lge" / "Bare");
    if (hasLeague) qgu::testing::WriteBytes(base / "QGU_LGE" / "Mine" / "config.lge", "Mine\r\r\n");
    auto made = EnsureDefaultLeague(base.path(), qgu::cartridge::EmbeddedCartridgeImage());
    ASSERT_TRUE(made.ok());
    EXPECT_EQ(made.value().created, !hasLeague);
    EXPECT_THAT(FileNames(base.path()), ElementsAre(hasLeague ? "QGU_LGE" : "Qgu_Lge"));
    if (hasLeague) {
      EXPECT_THAT(FileNames(base / "QGU_LGE"), ElementsAre("Mine"));
    } else {
      EXPECT_THAT(FileNames(base / "Qgu_Lge"), ElementsAre("Bare", "Quozi League"));
      EXPECT_TRUE(fs::exists(base / "Qgu_Lge" / "Quozi League" / "config.lge"));
    }
  }
}

// What an interrupted start left (a build folder, half full) is removed and
// never shown as a league; two starts at once end with one whole league.
TEST(DefaultLeague, LeftoversAreClearedAndStartsAtOnceMakeOneLeague) {
  TempFolder base;
  const fs::path leftover = base / "qgu_lge" / ".qgu-building-a1b2c3";
  fs::create_directories(leftover);
  qgu::testing::WriteBytes(leftover / "config.lge", "Quozi League\r\r\n");
  qgu::testing::WriteBytes(leftover / "MAP0.dat", "half a team");
  EXPECT_TRUE(ListLeagues(base / "qgu_lge", LeagueFilter::kMarkedOnly).value().empty());

  std::vector<Result<DefaultLeagueOutcome>> outcomes(4, Fail("not run"));
  std::vector<std::thread> starts;
  for (auto& outcome : outcomes) {
    starts.emplace_back([&] { outcome = EnsureDefaultLeague(base.path(), qgu::cartridge::EmbeddedCartridgeImage()); });
  }
  for (std::thread& start : starts) start.join();
  int created = 0;
  for (const auto& outcome : outcomes) {
    ASSERT_TRUE(outcome.ok()) << outcome.error();
    created += outcome.value().created ? 1 : 0;
  }
  EXPECT_EQ(created, 1);
  EXPECT_THAT(FileNames(base / "qgu_lge"), ElementsAre("Quozi League"));
  EXPECT_EQ(ListTeams(base / "qgu_lge" / "Quozi League").value().teams.size(), 28u);
}

// A cartridge whose teams are not whole makes no league; neither does a
// folder that cannot be listed (it must not look like a folder without leagues).
TEST(DefaultLeague, NoLeagueFromBrokenTeamsOrAnUnlistableFolder) {
  TempFolder base;
  std::vector<uint8_t> nameless(qgu::cartridge::EmbeddedCartridgeImage().begin(),
                                qgu::cartridge::EmbeddedCartridgeImage().end());
  // Team 5's nickname ends where it starts.
  nameless[qgu::cartridge::kNicknamePointers.Of(6)] = nameless[qgu::cartridge::kNicknamePointers.Of(5)];
  nameless[qgu::cartridge::kNicknamePointers.Of(6) + 1] = nameless[qgu::cartridge::kNicknamePointers.Of(5) + 1];
  auto refused = EnsureDefaultLeague(base.path(), nameless);
  ASSERT_FALSE(refused.ok());
  EXPECT_THAT(refused.error(), HasSubstr("cartridge team 5 has no nickname"));
  EXPECT_THAT(FileNames(base / "qgu_lge"), ElementsAre());

  rlimit saved{};
  ::getrlimit(RLIMIT_NOFILE, &saved);
  rlimit none = saved;
  none.rlim_cur = 0;  // no file or folder can be opened, so none can be listed
  ::setrlimit(RLIMIT_NOFILE, &none);
  auto unlisted = EnsureDefaultLeague(base.path(), qgu::cartridge::EmbeddedCartridgeImage());
  ::setrlimit(RLIMIT_NOFILE, &saved);
  ASSERT_FALSE(unlisted.ok());
  EXPECT_THAT(unlisted.error(), HasSubstr("Too many open files"));
  EXPECT_THAT(FileNames(base / "qgu_lge"), ElementsAre());
}

TEST(DefaultLeague, AFailedLeagueIsRemovedSoTheNextStartTriesAgain) {
  TempFolder base;
  std::vector<uint8_t> notOurs(qgu::cartridge::EmbeddedCartridgeImage().begin(),
                               qgu::cartridge::EmbeddedCartridgeImage().end());
  notOurs[0x3C139] = 'X';
  auto refused = EnsureDefaultLeague(base.path(), notOurs);
  ASSERT_FALSE(refused.ok());
  EXPECT_THAT(refused.error(), HasSubstr("Unable to recognize rom as NES Quozi Gridcrown!"));
  EXPECT_FALSE(fs::exists(base / "qgu_lge" / "Quozi League"));

  {
    qgu::testing::FileSizeLimit full(600);
    auto partial = EnsureDefaultLeague(base.path(), qgu::cartridge::EmbeddedCartridgeImage());
    EXPECT_FALSE(partial.ok());
  }
  EXPECT_THAT(FileNames(base / "qgu_lge"), ElementsAre()) << "nothing half-built is left";

  auto made = EnsureDefaultLeague(base.path(), qgu::cartridge::EmbeddedCartridgeImage());
  ASSERT_TRUE(made.ok()) << made.error();
  EXPECT_TRUE(made.value().created);
}

}  // namespace
