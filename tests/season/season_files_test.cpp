// A season on disk: creation and its refusals, the journal's torn and broken
// lines, results taken in from elsewhere, and a team file gone mid-season.

#include <gtest/gtest.h>

#include <random>

#include "league/league_folders.h"
#include "league/team_record_file.h"
#include "league/team_stats.h"
#include "season/json.h"
#include "season/season.h"
#include "season/season_files.h"
#include "season/season_play.h"
#include "tests/league/sample_team.h"
#include "tests/support/temp_folder.h"

namespace qgu::season {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::WriteBytes;

class SeasonFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    league_ = temp_ / "qgu_lge" / "L";
    fs::create_directories(league_);
    for (const char* abbreviation : {"AAA", "BBB", "CCC", "DDD"}) {
      league::TeamRecord team = testing::SampleTeam();
      team.header.abbreviation = abbreviation;
      team.header.nickname = std::string(abbreviation) + "S";
      ASSERT_TRUE(league::CreateTeamRecordFile(league_, team));
    }
  }

  Season Create(const std::string& name, SeasonRequest request = {}) {
    request.name = name;
    if (!request.seed) request.seed = 7;
    auto created = CreateSeason(league_, request);
    EXPECT_TRUE(created) << created.error();
    auto season = OpenSeason(league_, name);
    EXPECT_TRUE(season) << season.error();
    return std::move(season).value();
  }

  // A made-up result for a scheduled game.
  GameRecord Result(const Season& season, const ScheduledGame& game, int homeScore, int awayScore) {
    league::TeamStatLines lines;
    lines[0].name = "QUOTE\"D \\ NAME";
    lines[0].counters[league::kStatPassAttempts] = homeScore;
    GameRecord record{game.id, game.week, game.home, game.away, homeScore, awayScore,
                      league::FormatTeamStats(lines), league::FormatTeamStats(lines),
                      GameSeed(season.definition.seed, game.id), "", ""};
    record.homeHash = HashOfFile(TeamPath(season, game.home)).value();
    record.awayHash = HashOfFile(TeamPath(season, game.away)).value();
    return record;
  }

  void Append(Season& season, const GameRecord& game) {
    auto writer = CJournalWriter::Open(season.folder);
    ASSERT_TRUE(writer) << writer.error();
    ASSERT_TRUE(AppendGame(season, writer.value(), game));
  }

  testing::TempFolder temp_;
  fs::path league_;
};

TEST_F(SeasonFiles, HostileNamesAndImpossibleRequestsAreRefusedAndLeaveNothing) {
  for (const std::string& name : {std::string(".."), std::string("."), std::string("a/b"), std::string("../x"),
                                 std::string(300, 'n'), std::string(".hidden"), std::string(""), std::string("tab\there")}) {
    auto created = CreateSeason(league_, {name, {}, 5, {}, "", {}, 1});
    EXPECT_FALSE(created) << "\"" << name << "\"";
  }
  auto refused = [&](SeasonRequest request, const std::string& why) {
    request.name = "S";
    auto created = CreateSeason(league_, request);
    ASSERT_FALSE(created) << why;
    EXPECT_NE(created.error().find(why), std::string::npos) << created.error();
  };
  SeasonRequest games0;
  games0.gamesPerTeam = 0;
  refused(games0, "games per team: 1 to 40, not 0");
  SeasonRequest games10000;
  games10000.gamesPerTeam = 10000;
  refused(games10000, "not 10000");
  SeasonRequest playoffs;
  playoffs.playoffTeams = 5;
  refused(playoffs, "5 playoff teams, but the season has only 4 teams");
  SeasonRequest user;
  user.userTeams = {"ZZZ"};
  refused(user, "no team \"ZZZ\"");
  SeasonRequest divisions;
  divisions.divisionsText = "East: AAA BBB\nWest: CCC AAA\n";
  refused(divisions, "line 2: AAA is in two divisions");
  // Only the seasons folder itself may be left: no half-made season.
  const fs::path seasons = league_ / kSeasonsFolderName;
  if (fs::exists(seasons)) {
    EXPECT_TRUE(fs::is_empty(seasons));
  }
  EXPECT_FALSE(fs::exists(temp_ / "qgu_lge" / "x"));

  Create("S");
  auto again = CreateSeason(league_, {"S", {}, 5, {}, "", {}, 1});
  ASSERT_FALSE(again);
  EXPECT_NE(again.error().find("exists already"), std::string::npos);
}

TEST_F(SeasonFiles, ASeasonFolderHoldsTheDefinitionAndTheLeagueStillListsItsTeams) {
  SeasonRequest request;
  request.divisionsText = "# two divisions\nNorth / East: AAA0.dat BBB\nNorth / West: CCC DDD\n";
  request.userTeams = {"bbb"};
  request.playoffTeams = 2;
  const Season season = Create("First Season", request);
  EXPECT_EQ(ListSeasons(league_).value(), std::vector<std::string>{"First Season"});
  ASSERT_EQ(season.definition.teams.size(), 4u);
  EXPECT_EQ(season.definition.teams[1].file, "BBB0.dat");
  EXPECT_TRUE(season.definition.teams[1].user);
  EXPECT_EQ(season.definition.teams[2].division, "West");
  EXPECT_EQ(season.definition.teams[2].conference, "North");
  EXPECT_EQ(season.definition.teams[0].hash, HashOfFile(league_ / "AAA0.dat").value());
  // Rivals twice, the other division once each: 4 games.
  EXPECT_EQ(season.definition.gamesPerTeam, 4);
  auto listing = league::ListTeams(league_);
  ASSERT_TRUE(listing);
  EXPECT_EQ(listing.value().teams.size(), 4u);
  EXPECT_TRUE(listing.value().skipped.empty());
  // The person's first game is known, with its seed.
  const std::optional<GameSetup> next = NextUserGame(season);
  ASSERT_TRUE(next);
  EXPECT_TRUE(next->homeIsUser || next->awayIsUser);
  EXPECT_EQ(next->seed, GameSeed(7, next->id));
}

TEST_F(SeasonFiles, ATornLastLineIsDroppedKeptAsideAndNothingIsCountedTwice) {
  Season season = Create("S");
  const auto& schedule = season.definition.schedule;
  Append(season, Result(season, schedule[0], 7, 3));
  Append(season, Result(season, schedule[1], 0, 0));
  const fs::path journal = season.folder / kJournalFileName;
  const std::string whole = ReadBytes(journal);
  // A run killed while writing game 3: half of its line.
  const std::string third = GameLine(season.definition, Result(season, schedule[2], 14, 10));
  WriteBytes(journal, whole + third.substr(0, third.size() / 2));

  auto reopened = OpenSeason(league_, "S");
  ASSERT_TRUE(reopened) << reopened.error();
  EXPECT_EQ(reopened.value().games.size(), 2u);
  ASSERT_EQ(reopened.value().notices.size(), 1u);
  EXPECT_NE(reopened.value().notices[0].find("line 3: a torn last line"), std::string::npos);
  EXPECT_EQ(ReadBytes(journal).size(), whole.size() + third.size() / 2) << "reading changes nothing";

  Season resumed = std::move(reopened).value();
  Append(resumed, Result(resumed, schedule[2], 14, 10));
  EXPECT_EQ(ReadBytes(season.folder / kTornFileName), third.substr(0, third.size() / 2) + "\n");
  // A line written twice counts once.
  WriteBytes(journal, ReadBytes(journal) + GameLine(season.definition, Result(season, schedule[0], 7, 3)) + "\n");
  auto final = OpenSeason(league_, "S");
  ASSERT_TRUE(final);
  EXPECT_EQ(final.value().games.size(), 3u);
  ASSERT_EQ(final.value().notices.size(), 1u);
  EXPECT_NE(final.value().notices[0].find("line 4: game 1 is recorded again"), std::string::npos);
  EXPECT_EQ(final.value().games[2].homeStats, Result(season, schedule[2], 14, 10).homeStats);
}

TEST_F(SeasonFiles, HandBrokenFilesNameFileLineAndProblemAndAreLeftAlone) {
  Season season = Create("S");
  Append(season, Result(season, season.definition.schedule[0], 7, 3));
  Append(season, Result(season, season.definition.schedule[1], 3, 7));
  const fs::path journal = season.folder / kJournalFileName;
  const std::string good = ReadBytes(journal);
  const std::string first = good.substr(0, good.find('\n') + 1);
  const std::string second = good.substr(first.size());

  auto expectBroken = [&](const fs::path& file, const std::string& text, const std::string& why) {
    const std::string before = ReadBytes(file);
    WriteBytes(file, text);
    auto opened = OpenSeason(league_, "S");
    ASSERT_FALSE(opened) << why;
    EXPECT_NE(opened.error().find(file.string()), std::string::npos) << opened.error();
    EXPECT_NE(opened.error().find(why), std::string::npos) << opened.error();
    EXPECT_EQ(ReadBytes(file), text) << "a broken file is never rewritten";
    WriteBytes(file, before);
  };
  expectBroken(journal, first + "{\"game\": 2, oops}\n" + second, "line 2, column 13: a quoted key expected");
  std::string unknownId = second;
  unknownId.replace(unknownId.find("\"game\":2"), 8, "\"game\":999");
  expectBroken(journal, first + unknownId, "line 2: the game id 999 is not in the schedule");
  std::string strangeTeam = second;
  strangeTeam.replace(strangeTeam.find(".dat"), 4, ".xyz");
  expectBroken(journal, first + strangeTeam, "line 2: the home team");
  const fs::path definition = season.folder / kDefinitionFileName;
  std::string brokenDefinition = ReadBytes(definition);
  brokenDefinition.replace(brokenDefinition.find("\"seed\": 7,"), 10, "\"seed\": 7");
  expectBroken(definition, brokenDefinition, "line 6, column 3: ',' or '}' expected");
  // All put back: the season reads again, nothing lost.
  auto restored = OpenSeason(league_, "S");
  ASSERT_TRUE(restored) << restored.error();
  EXPECT_EQ(restored.value().games.size(), 2u);
}

TEST_F(SeasonFiles, StandingsEqualASeparateTallyOfTheJournalsScores) {
  SeasonRequest request;
  request.divisionsText = "E: AAA BBB\nW: CCC DDD\n";
  request.gamesPerTeam = 8;
  Season season = Create("S", request);
  std::mt19937 random(3);
  for (const ScheduledGame& game : season.definition.schedule) {
    Append(season, Result(season, game, static_cast<int>(random() % 4) * 7, static_cast<int>(random() % 4) * 7));
  }
  // The tally reads each line by hand, without the season's reader.
  std::map<std::string, std::array<int, 5>> tally;  // file -> W, L, T, PF, PA
  const std::string journal = ReadBytes(season.folder / kJournalFileName);
  auto field = [](const std::string& line, const std::string& key) {
    const size_t at = line.find("\"" + key + "\":") + key.size() + 3;
    return line.substr(at + (line[at] == '"' ? 1 : 0), line.find_first_of(",\"", at + 1) - at - (line[at] == '"' ? 1 : 0));
  };
  size_t start = 0;
  for (size_t end = journal.find('\n'); end != std::string::npos; start = end + 1, end = journal.find('\n', start)) {
    const std::string line = journal.substr(start, end - start);
    const std::string home = field(line, "home"), away = field(line, "away");
    const int hs = std::stoi(field(line, "home_score")), as = std::stoi(field(line, "away_score"));
    auto& h = tally[home];
    auto& a = tally[away];
    (hs > as ? h[0] : hs < as ? h[1] : h[2])++;
    (as > hs ? a[0] : as < hs ? a[1] : a[2])++;
    h[3] += hs, h[4] += as, a[3] += as, a[4] += hs;
  }
  auto reopened = OpenSeason(league_, "S");
  ASSERT_TRUE(reopened);
  int rows = 0;
  for (const StandingsGroup& group : Standings(reopened.value())) {
    for (const StandingRow& row : group.rows) {
      ++rows;
      const auto& t = tally.at(reopened.value().definition.teams[row.team].file);
      EXPECT_EQ((std::array<int, 5>{row.record.wins, row.record.losses, row.record.ties, row.pointsFor, row.pointsAgainst}), t);
    }
  }
  EXPECT_EQ(rows, 4);
  EXPECT_EQ(tally.size(), 4u);
}

TEST_F(SeasonFiles, ResultsFromElsewhereAreCheckedAndAGoneTeamFileIsNamed) {
  Season season = Create("S");
  const ScheduledGame game = season.definition.schedule[0];
  PlayedGame played;
  played.job = JobFor(season, game);
  played.homeScore = 10;
  played.homeHash = HashOfFile(played.job.homeFile).value();
  played.awayHash = HashOfFile(played.job.awayFile).value();
  const std::string good = ResultFileText(played);

  PlayedGame wrongSeed = played;
  wrongSeed.job.seed += 1;
  auto refused = RecordResultText(league_, "S", ResultFileText(wrongSeed), "r1.json");
  ASSERT_FALSE(refused);
  EXPECT_NE(refused.error().find("r1.json: the seed"), std::string::npos) << refused.error();
  PlayedGame wrongId = played;
  wrongId.job.id = 5000;
  EXPECT_FALSE(RecordResultText(league_, "S", ResultFileText(wrongId), "r2.json"));

  auto taken = RecordResultText(league_, "S", good, "r.json");
  ASSERT_TRUE(taken) << taken.error();
  EXPECT_TRUE(taken.value());
  auto again = RecordResultText(league_, "S", good, "r.json");
  ASSERT_TRUE(again);
  EXPECT_FALSE(again.value()) << "a result already recorded is ignored";

  // A team edited since the job ran is refused.
  const ScheduledGame second = season.definition.schedule[1];
  PlayedGame later;
  later.job = JobFor(season, second);
  later.homeHash = HashOfFile(later.job.homeFile).value();
  later.awayHash = HashOfFile(later.job.awayFile).value();
  WriteBytes(later.job.homeFile, ReadBytes(later.job.homeFile) + "\n");
  auto changed = RecordResultText(league_, "S", ResultFileText(later), "r3.json");
  ASSERT_FALSE(changed);
  EXPECT_NE(changed.error().find("changed since"), std::string::npos) << changed.error();

  // A team file deleted mid-season: its game is not played and says why; the journal keeps what it had.
  fs::remove(later.job.homeFile);
  PlayRequest request;
  request.scope = PlayScope::kOneGame;
  request.gameId = second.id;
  auto outcome = PlaySeason(league_, "S", request);
  ASSERT_TRUE(outcome) << outcome.error();
  EXPECT_EQ(outcome.value().played, 0);
  ASSERT_EQ(outcome.value().problems.size(), 1u);
  EXPECT_NE(outcome.value().problems[0].find(later.job.homeFile.string() + " (" +
                                             (season.folder / kDefinitionFileName).string() + ", line "),
            std::string::npos)
      << outcome.value().problems[0];
  EXPECT_NE(outcome.value().problems[0].find("has gone from the league"), std::string::npos);
  EXPECT_EQ(OpenSeason(league_, "S").value().games.size(), 1u);
}

TEST_F(SeasonFiles, OneRunAtATimeWritesASeason) {
  const Season season = Create("S");
  auto first = CSeasonLock::Take(season.folder);
  ASSERT_TRUE(first);
  auto second = CSeasonLock::Take(season.folder);
  ASSERT_FALSE(second);
  EXPECT_NE(second.error().find("being played by another run"), std::string::npos);
  PlayRequest request;
  EXPECT_FALSE(PlaySeason(league_, "S", request));
}

TEST(SeasonJson, TextsSurviveTheRoundTripAndBadTextIsPlaced) {
  json::Value value = json::Value::Object();
  value.Set("text", std::string("a \"b\" \\ c\n\x01|\xC3\xA9"));
  value.Set("n", int64_t{-42});
  auto back = json::Parse(json::Write(value));
  ASSERT_TRUE(back);
  EXPECT_EQ(back.value().Find("text")->AsString(), value.Find("text")->AsString());
  EXPECT_EQ(back.value().Find("n")->AsNumber(), -42);
  EXPECT_EQ(json::Parse("{\n  \"a\": 1,\n  \"a\": 2\n}").error(), "line 3, column 9: the key \"a\" twice");
  EXPECT_FALSE(json::Parse("[1.5]"));
  EXPECT_FALSE(json::Parse(std::string(100, '[')));
}

}  // namespace
}  // namespace qgu::season
