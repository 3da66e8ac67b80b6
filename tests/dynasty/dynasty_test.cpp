// Whole dynasty years of a small league on the emulated cartridge: the
// league copied and the original untouched, seasons and offseasons going by,
// the record book against a tally of the journals made here, a person's draft
// pick, and a run killed after every step of an offseason (a step's file
// written or not, the rosters half rewritten) going on to the same files as
// the run that was never cut.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>

#include "base/file_read.h"
#include "cartridge/builder/embedded_image.h"
#include "dynasty/dynasty.h"
#include "dynasty/record_book.h"
#include "league/default_league.h"
#include "league/league_folders.h"
#include "league/team_stats.h"
#include "season/json.h"
#include "tests/support/temp_folder.h"

namespace qgu::dynasty {
namespace {

namespace fs = std::filesystem;
using Snapshot = std::map<std::string, std::string>;

Snapshot Files(const fs::path& folder) {
  Snapshot files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().filename() == "lock") continue;
    files[fs::relative(entry.path(), folder).string()] = base::ReadFileText(entry.path(), 64 << 20).value();
  }
  return files;
}

class DynastyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A league of four of the cartridge's teams.
    const auto made = league::EnsureDefaultLeague(scratch_.path(), cartridge::EmbeddedCartridgeImage());
    ASSERT_TRUE(made.ok()) << made.error();
    leagues_ = made.value().folder.parent_path();
    const fs::path small = leagues_ / "Small";
    fs::create_directories(small);
    std::ofstream(small / "config.lge") << "Small\r\r\n";
    for (const char* team : {"AMBE0.dat", "ASHC0.dat", "BRIS0.dat", "CALD0.dat"}) {
      fs::copy_file(made.value().folder / team, small / team);
    }
    original_ = Files(small);
  }

  DynastyRequest Request(const std::string& name) const {
    DynastyRequest request;
    request.name = name;
    request.sourceLeague = "Small";
    request.seed = 4242;
    request.gamesPerTeam = 3;
    request.quarterMinutes = 1;
    request.playoffTeams = 2;
    request.firstYear = 2030;
    return request;
  }

  AdvanceOutcome Play(const std::string& name, int years) {
    AdvanceRequest request;
    request.image = cartridge::EmbeddedCartridgeImage();
    request.years = years;
    auto outcome = Advance(leagues_, name, request);
    EXPECT_TRUE(outcome.ok()) << outcome.error();
    return outcome.ok() ? outcome.value() : AdvanceOutcome{};
  }

  testing::TempFolder scratch_;
  fs::path leagues_;
  Snapshot original_;
};

TEST_F(DynastyTest, YearsGoByAndTheRecordBookAgreesWithTheJournals) {
  ASSERT_TRUE(CreateDynasty(leagues_, Request("Decades")).ok());
  EXPECT_FALSE(CreateDynasty(leagues_, Request("Decades")).ok()) << "a taken name";
  const AdvanceOutcome outcome = Play("Decades", 2);
  EXPECT_EQ(outcome.yearsFinished, 2);
  EXPECT_EQ(Files(leagues_ / "Small"), original_) << "the league it began from is never changed";

  const auto dynasty = OpenDynasty(leagues_, "Decades");
  ASSERT_TRUE(dynasty.ok()) << dynasty.error();
  EXPECT_EQ(dynasty.value().state.year, 2032);
  for (int year : {2030, 2031}) {
    for (std::string_view step : {kStepSeasonPlayed, kStepHistory, kStepDevelopment, kStepRetirements, kStepRookies,
                                  kStepDraft, kStepRosters}) {
      EXPECT_TRUE(dynasty.value().Done(year, step)) << year << " " << step;
    }
  }
  // Every roster slot has a player who is not gone, and ids stay with players.
  const auto players = RegistryOf(dynasty.value(), 2032);
  ASSERT_TRUE(players.ok()) << players.error();
  for (const char* team : {"AMBE0.dat", "ASHC0.dat", "BRIS0.dat", "CALD0.dat"}) {
    for (int slot = 0; slot < 30; ++slot) EXPECT_NE(players.value().OnRoster(team, slot), nullptr) << team << slot;
  }

  // The book's career rushing yards of every player against a tally of the journals' lines.
  std::map<int, int64_t> tally;
  for (int year : {2030, 2031}) {
    const auto registry = RegistryOf(dynasty.value(), year).value();
    const fs::path season = dynasty.value().folder / "seasons" / std::to_string(year);
    const auto definition = season::json::Parse(base::ReadFileText(season / "season.json", 1 << 20).value()).value();
    std::vector<std::string> files;
    for (const auto& team : definition.Find("teams")->Items()) files.push_back(team.Find("file")->AsString());
    std::ifstream journal(season / "journal.jsonl");
    for (std::string line; std::getline(journal, line);) {
      const auto game = season::json::Parse(line).value();
      if (game.Find("game")->AsNumber() >= season::kPlayoffGameBase) continue;
      for (const char* side : {"home", "away"}) {
        const std::string file = game.Find(side)->AsString();
        const auto stats = league::ParseTeamStats(game.Find(std::string(side) + "_stats")->AsString());
        for (int record = 0; record < 25; ++record) {
          const Player* p = registry.OnRoster(file, record < 12 ? record : record + 5);
          if (p) tally[p->id] += stats.lines[static_cast<size_t>(record)].counters[league::kStatRushYards];
        }
      }
    }
  }
  const auto book = MakeRecordBook(dynasty.value());
  ASSERT_TRUE(book.ok()) << book.error();
  int checked = 0;
  for (const Career& career : book.value().careers) {
    EXPECT_EQ(career.counters[league::kStatRushYards], tally[career.id]) << career.name;
    checked += career.counters[league::kStatRushYards] != 0;
  }
  EXPECT_GT(checked, 4);
  ASSERT_EQ(book.value().years.size(), 3u);
  EXPECT_FALSE(book.value().years[0].champion.empty());
  EXPECT_FALSE(book.value().years[0].runnerUp.empty());
  int titles = 0;
  for (const Franchise& f : book.value().franchises) titles += f.titles;
  EXPECT_EQ(titles, 2);
}

TEST_F(DynastyTest, APersonsTeamPicksForItself) {
  DynastyRequest request = Request("Picks");
  request.userTeams = {"ASHC"};
  ASSERT_TRUE(CreateDynasty(leagues_, request).ok());
  AdvanceRequest play;
  play.image = cartridge::EmbeddedCartridgeImage();
  play.simUser = play.computerPicks = true;  // the person's games played COM, and the computer picks
  play.years = 1;
  // The games COM, but the draft stops for the person's pick.
  auto outcome = Advance(leagues_, "Picks", play);
  ASSERT_TRUE(outcome.ok()) << outcome.error();
  EXPECT_EQ(outcome.value().yearsFinished, 1) << "with --sim-user the computer picks too";

  ASSERT_TRUE(CreateDynasty(leagues_, [&] {
                DynastyRequest r = request;
                r.name = "Picks2";
                return r;
              }()).ok());
  play.simUser = play.computerPicks = false;
  // Play the person's games COM first: a season of the library with --sim-user, then the offseason.
  season::PlayRequest games;
  games.image = play.image;
  games.simUser = true;
  ASSERT_TRUE(season::PlaySeason(leagues_ / "Picks2", "2030", games).ok());
  outcome = Advance(leagues_, "Picks2", play);
  ASSERT_TRUE(outcome.ok()) << outcome.error();
  EXPECT_TRUE(outcome.value().waitingForPick);
  auto dynasty = OpenDynasty(leagues_, "Picks2");
  ASSERT_TRUE(dynasty.ok());
  EXPECT_TRUE(dynasty.value().state.waitingForPick);
  EXPECT_EQ(dynasty.value().state.waitingTeam, "ASHC0.dat");
  const auto view = DraftOf(dynasty.value());
  ASSERT_TRUE(view.ok()) << view.error();
  // A taken or unknown rookie is refused; the best quarterback is taken.
  EXPECT_FALSE(MakePick(leagues_, "Picks2", 999999).ok());
  int chosen = 0;
  double best = -1;
  for (const Rookie& r : view.value().rookies.rookies) {
    const bool taken = std::any_of(view.value().draft.picks.begin(), view.value().draft.picks.end(),
                                   [&](const Pick& p) { return p.rookie == r.id; });
    if (!taken && r.kind == Kind::kQB && r.Overall() > best) best = r.Overall(), chosen = r.id;
  }
  ASSERT_NE(chosen, 0);
  ASSERT_TRUE(MakePick(leagues_, "Picks2", chosen).ok());
  for (;;) {
    outcome = Advance(leagues_, "Picks2", play);
    ASSERT_TRUE(outcome.ok()) << outcome.error();
    if (!outcome.value().waitingForPick) break;
    ASSERT_TRUE(MakePick(leagues_, "Picks2", kPassed).ok());
  }
  EXPECT_EQ(outcome.value().yearsFinished, 1);
  const auto registry = RegistryOf(OpenDynasty(leagues_, "Picks2").value(), 2031);
  ASSERT_TRUE(registry.ok());
  const Player* rookie = registry.value().Find(chosen);
  ASSERT_NE(rookie, nullptr);
  EXPECT_EQ(rookie->team, "ASHC0.dat");
  EXPECT_EQ(rookie->draftYear, 2030);
}

TEST_F(DynastyTest, AnOffseasonKilledAfterAnyStepGoesOnToTheSameFiles) {
  ASSERT_TRUE(CreateDynasty(leagues_, Request("Whole")).ok());
  Play("Whole", 1);
  const fs::path whole = leagues_ / "Whole";
  const Snapshot uncut = Files(whole);
  const std::string journal = uncut.at("dynasty/journal.jsonl");
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = journal.find('\n', at)) != std::string::npos; at = end + 1) {
    lines.push_back(journal.substr(at, end - at + 1));
  }
  // After "season played" (line 2) every later line is a moment a kill may come.
  ASSERT_GE(lines.size(), 9u);
  for (size_t kept = 2; kept < lines.size(); ++kept) {
    SCOPED_TRACE("journal cut after line " + std::to_string(kept));
    const fs::path cut = leagues_ / ("Cut" + std::to_string(kept));
    fs::copy(whole, cut, fs::copy_options::recursive);
    std::string head;
    for (size_t i = 0; i < kept; ++i) head += lines[i];
    std::ofstream(cut / "dynasty/journal.jsonl", std::ios::binary | std::ios::trunc) << head;
    const std::string next = lines[kept];
    // What the step after the cut left: its file whole (the kill came before its journal line) for every
    // other cut, nothing for the rest; the next year's files of the rosters step half written.
    if (kept % 2 == 0) {
      for (const char* step : {"development", "retirements", "rookies", "draft"}) {
        if (next.find(std::string("\"") + step + "\"") == std::string::npos) continue;
        fs::remove(cut / "dynasty/years/2030" / (std::string(step) + ".json"));
      }
    }
    // Before the rosters step the team files are the year's as played; a kill inside it leaves them half
    // rewritten.
    if (head.find("\"rosters\"") == std::string::npos) {
      fs::remove(cut / "dynasty/players/2031.json");
      const bool inRosters = next.find("\"rosters\"") != std::string::npos;
      for (const char* team : {"AMBE0.dat", "ASHC0.dat", "BRIS0.dat", "CALD0.dat"}) {
        if (inRosters && (team[0] == 'A' && team[1] == 'S')) continue;
        if (inRosters && team[0] == 'C') continue;
        fs::copy_file(cut / "dynasty/history/2030" / team, cut / team, fs::copy_options::overwrite_existing);
        fs::permissions(cut / team, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                        fs::perms::others_read);
      }
    }
    if (head.find("\"season made\"", lines[0].size()) == std::string::npos && kept % 2 == 1) {
      fs::remove_all(cut / "seasons/2031");
    }
    // The definition names its folder: the cut copy is a dynasty of another name.
    {
      auto definition = season::json::Parse(base::ReadFileText(cut / "dynasty/dynasty.json", 1 << 20).value()).value();
      definition.Set("name", "Cut" + std::to_string(kept));
      std::ofstream(cut / "dynasty/dynasty.json", std::ios::trunc) << season::json::WritePretty(definition) << "\n";
    }
    Play("Cut" + std::to_string(kept), 1);
    Snapshot resumed = Files(cut);
    Snapshot expected = uncut;
    resumed.erase("dynasty/dynasty.json");
    expected.erase("dynasty/dynasty.json");
    for (auto& [file, bytes] : resumed) {
      if (file.starts_with("seasons/")) continue;
      EXPECT_TRUE(bytes == expected[file]) << file << " differs from the uncut run's";
    }
    for (auto& [file, bytes] : expected) EXPECT_EQ(resumed.count(file), 1u) << file << " is missing";
    EXPECT_EQ(resumed.count("seasons/2031/season.json"), 1u);
    fs::remove_all(cut);
  }
}

}  // namespace
}  // namespace qgu::dynasty
