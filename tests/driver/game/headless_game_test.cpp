// Whole headless games on the embedded cartridge: they reach the final
// screen, the scores are the period bytes' BCD sums and are made of the
// blocks' touchdowns, kicks and safeties, the box score holds the statistics
// blocks' figures, a seed replays a game byte for byte, the widest team record
// plays, and a sample of games scores like football.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numeric>

#include "cartridge/builder/embedded_image.h"
#include "driver/box_score.h"
#include "driver/cartridge_memory.h"
#include "driver/game_manager.h"
#include "driver/headless_game.h"
#include "driver/team_stats.h"
#include "league/default_league.h"
#include "league/league_folders.h"
#include "season/realism.h"
#include "tests/driver/preparation/test_teams.h"
#include "tests/support/stats_block.h"

namespace qgu::driver {
namespace {

using namespace cartmem;

// The console bytes a finished game is checked against.
struct FinalBytes {
  std::array<uint8_t, 5> homeScores{};  // four periods, total
  std::array<uint8_t, 5> awayScores{};
  std::array<uint8_t, kStatsBlockBytes> homeBlock{};
  std::array<uint8_t, kStatsBlockBytes> awayBlock{};
};

template <size_t N>
void Copy(const IConsoleMemory& memory, uint16_t from, std::array<uint8_t, N>& to) {
  for (size_t i = 0; i < N; ++i) to[i] = memory.Read(static_cast<uint16_t>(from + i));
}

int Bcd(uint8_t byte) { return (byte >> 4) * 10 + (byte & 0x0F); }

int16_t Word(const std::array<uint8_t, kStatsBlockBytes>& block, size_t at) {
  return static_cast<int16_t>(block[at] | block[at + 1] << 8);
}

struct Played {
  HeadlessGameResult result;
  FinalBytes bytes;
};

// Games between the cartridge's own teams, from the league a first start makes.
class HeadlessGameTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new testing::TempFolder();
    const auto league = league::EnsureDefaultLeague(folder_->File(""), cartridge::EmbeddedCartridgeImage());
    ASSERT_TRUE(league.ok()) << league.error();
    leagueFolder_ = new std::filesystem::path(league.value().folder);
  }
  static void TearDownTestSuite() {
    delete leagueFolder_;
    delete folder_;
  }
  // A team record of the league by file name.
  static std::string Team(const std::string& file) { return (*leagueFolder_ / file).string(); }

  Played Play(const std::string& home, const std::string& away, int quarterMinutes, uint32_t seed,
              int64_t budget = 0, std::vector<std::string>* progress = nullptr) {
    CGameManager manager(cartridge::EmbeddedCartridgeImage(), std::make_unique<CSeededRandom>(seed));
    manager.SetHomePath(home);
    manager.SetAwayPath(away);
    manager.SetQuarterLength(quarterMinutes);
    manager.SetControls(kControlCom, kControlCom);
    EXPECT_TRUE(manager.PrepareGame());
    Played played;
    HeadlessGameOptions options;
    options.frameBudget = budget;
    if (progress) options.progress = [progress](const std::string& line) { progress->push_back(line); };
    options.finished = [&played](const IConsoleMemory& memory) {
      Copy(memory, kHomePeriodScores, played.bytes.homeScores);
      Copy(memory, kAwayPeriodScores, played.bytes.awayScores);
      Copy(memory, kHomeStatsBlock, played.bytes.homeBlock);
      Copy(memory, kAwayStatsBlock, played.bytes.awayBlock);
    };
    played.result = PlayHeadlessGame(manager, options);
    return played;
  }

  // Scores and figures of a finished game against the console's bytes.
  static void ExpectSummaryMatchesBytes(const Played& played) {
    ASSERT_EQ(played.result.outcome, HeadlessOutcome::kFinished) << played.result.error;
    const GameSummary& summary = *played.result.summary;
    const FinalBytes& b = played.bytes;
    const int homePoints = Bcd(b.homeScores[0]) + Bcd(b.homeScores[1]) + Bcd(b.homeScores[2]) + Bcd(b.homeScores[3]);
    const int awayPoints = Bcd(b.awayScores[0]) + Bcd(b.awayScores[1]) + Bcd(b.awayScores[2]) + Bcd(b.awayScores[3]);
    EXPECT_EQ(summary.homeScore, std::to_string(homePoints));
    EXPECT_EQ(summary.awayScore, std::to_string(awayPoints));
    EXPECT_EQ(homePoints, Bcd(b.homeScores[4]));  // the periods add up to the total
    EXPECT_EQ(awayPoints, Bcd(b.awayScores[4]));
    const qgu::testing::TeamTotals home = qgu::testing::Decode(b.homeBlock), away = qgu::testing::Decode(b.awayBlock);
    qgu::testing::ExpectFiguresAgree(home, away, homePoints);
    qgu::testing::ExpectFiguresAgree(away, home, awayPoints);

    for (const auto& [text, block] : {std::pair{summary.homeStats, b.homeBlock}, std::pair{summary.awayStats, b.awayBlock}}) {
      const TeamStats stats = ParseTeamStats(text);
      const TeamBoxScore box = MakeTeamBoxScore(stats, "0");
      // Starting quarterback: attempts, completions, yards at block offsets 0, 1, 4.
      const BoxScoreRow& passer = box.offense[0].rows[0];
      EXPECT_EQ(passer.values[0], block[1]);
      EXPECT_EQ(passer.values[1], block[0]);
      EXPECT_EQ(passer.values[2], Word(block, 4));
      // Kicker (offset 235): field goals made and tried, extra points made and tried.
      const BoxScoreRow& kicker = box.defense[2].rows[0];
      EXPECT_EQ(kicker.values, (std::vector<double>{static_cast<double>(block[238]), static_cast<double>(block[237]),
                                                    static_cast<double>(block[236]), static_cast<double>(block[235])}));
      // Punter (offset 239): punts, and yards unsigned.
      EXPECT_EQ(stats.lines[kPunterRecord].counters[kStatPunts], block[239]);
      EXPECT_EQ(stats.lines[kPunterRecord].counters[kStatPuntYards], block[240] | block[241] << 8);
      // Rush yards over quarterbacks (offset 7) and backs (offset 20 + 16k + 13).
      int rushYards = Word(block, 7) + Word(block, 17);
      for (size_t back = 0; back < 10; ++back) rushYards += Word(block, 20 + 16 * back + 13);
      int listed = 0;
      for (const BoxScoreRow& row : box.offense[1].rows) listed += static_cast<int>(row.values[1]);
      EXPECT_EQ(listed, rushYards);
    }
  }

  static testing::TempFolder* folder_;
  static std::filesystem::path* leagueFolder_;
};

testing::TempFolder* HeadlessGameTest::folder_ = nullptr;
std::filesystem::path* HeadlessGameTest::leagueFolder_ = nullptr;

TEST_F(HeadlessGameTest, OneMinuteQuartersReachTheFinalScreen) {
  // Single-back set at home against the four-receiver set.
  std::vector<std::string> progress;
  const Played played = Play(Team("CALD0.dat"), Team("FELL0.dat"), 1, 11, 0, &progress);
  ExpectSummaryMatchesBytes(played);
  EXPECT_LT(played.result.frames, FrameBudgetFor(1));
  // The clock is the game's from kickoff: no period shows the cartridge's own 5:00.
  const auto first = std::find_if(progress.begin(), progress.end(), [](const std::string& l) { return l.starts_with("Q1 "); });
  ASSERT_NE(first, progress.end());
  EXPECT_TRUE(first->starts_with("Q1 1:00")) << *first;
  for (const std::string& line : progress) EXPECT_EQ(line.find(" 5:00"), std::string::npos) << line;
}

TEST_F(HeadlessGameTest, FiveMinuteQuartersReplayByteForByteFromASeed) {
  const Played first = Play(Team("AMBE0.dat"), Team("ASHC0.dat"), 5, 2024);
  ExpectSummaryMatchesBytes(first);
  const Played second = Play(Team("AMBE0.dat"), Team("ASHC0.dat"), 5, 2024);
  ASSERT_EQ(second.result.outcome, HeadlessOutcome::kFinished);
  EXPECT_EQ(first.result.frames, second.result.frames);
  EXPECT_EQ(BoxScoreText(*first.result.summary), BoxScoreText(*second.result.summary));
  EXPECT_EQ(BoxScoreJson(*first.result.summary), BoxScoreJson(*second.result.summary));
}

TEST_F(HeadlessGameTest, TwelveMinuteQuartersReachTheFinalScreen) {
  // Both teams play the single-back set: the away team takes the second slot.
  const Played played = Play(Team("GO0.dat"), Team("LOWM0.dat"), 12, 5);
  ExpectSummaryMatchesBytes(played);
  EXPECT_GT(played.result.frames, 40'000);
}

// The longest names a record holds (the cartridge shows what fits) play at
// home and away.
TEST_F(HeadlessGameTest, TheWidestTeamRecordPlaysHomeAndAway) {
  testing::TestTeam wide = testing::MakeTeam(std::string(30, 'C'), std::string(30, 'N'), "WIDE", 2);
  for (testing::Fields& player : wide.players) {
    player[1] = std::string(20, 'f');
    player[2] = std::string(20, 'L');
  }
  const std::string file = testing::WriteTeamFile(folder_->File("WIDE0.dat"), wide);
  for (const bool home : {true, false}) {
    SCOPED_TRACE(home ? "at home" : "away");
    const Played played = home ? Play(file, Team("ASHC0.dat"), 1, 3) : Play(Team("ASHC0.dat"), file, 1, 3);
    ExpectSummaryMatchesBytes(played);
  }
}

// A small sample at the default quarter length holds loose bounds, so that a
// change to the rules cannot quietly bring back scoreless games and ties.
TEST_F(HeadlessGameTest, ASampleOfFiveMinuteGamesScoresLikeFootball) {
  const auto listing = league::ListTeams(*leagueFolder_);
  ASSERT_TRUE(listing.ok());
  const auto& teams = listing.value().teams;
  std::vector<season::GameFigures> games;
  for (int g = 0; g < 16; ++g) {
    const std::string home = teams[(g * 5) % teams.size()].path.string();
    const std::string away = teams[(g * 5 + 3 + g % 4) % teams.size()].path.string();
    const Played played = Play(home, away, 5, 31000 + g);
    ASSERT_EQ(played.result.outcome, HeadlessOutcome::kFinished) << played.result.error;
    season::GameFigures f;
    f.home.points = std::stoi(played.result.summary->homeScore);
    f.away.points = std::stoi(played.result.summary->awayScore);
    f.home.totals = season::SummedCounters(played.result.summary->homeStats);
    f.away.totals = season::SummedCounters(played.result.summary->awayStats);
    games.push_back(f);
  }
  const std::vector<season::RealismRow> rows = season::RealismTable(games);
  std::printf("%s", season::FormatRealismTable(rows).c_str());
  const auto row = [&rows](std::string_view what) {
    return std::find_if(rows.begin(), rows.end(), [&](const season::RealismRow& r) { return r.what.starts_with(what); })->value;
  };
  EXPECT_GE(row("points, mean"), 12);
  EXPECT_LE(row("points, mean"), 32);
  EXPECT_LE(row("team-games with 0 points"), 12.5);
  EXPECT_LE(row("ties after overtime"), 12.5);
  EXPECT_GE(row("scrimmage plays"), 28);
}

}  // namespace
}  // namespace qgu::driver
