// The game driver on a scripted cartridge, run headless frame by frame: the
// boot stages with their status texts and press timings, the team selection
// of every formation pair, the hand-over, the end of the game and the capture.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "driver/cartridge_memory.h"
#include "driver/game_driver.h"
#include "driver/headless_console.h"
#include "driver/team_stats.h"
#include "tests/driver/game/fake_cartridge.h"

namespace qgu::driver {
namespace {

using namespace cartmem;
using testing::FakeCartridge;
using testing::FakeConsoleMemory;
using testing::RecordingUi;

constexpr int64_t kBudget = 20000;

DriverGame Game(int pair = 22, uint8_t control = 0x22) {
  DriverGame game;
  game.formationPairValue = pair;
  game.controlByte = control;
  return game;
}

// A short game after kickoff: a fourth quarter that starts at 5:00 and runs
// out with the home side ahead, then the final screen two seconds later.
void ShortGame(FakeConsoleMemory& m, int frame) {
  auto& b = m.bytes;
  if (frame == 1) {
    b[kQuarter] = kFourthQuarter;
    b[kClockMinutes] = 0x05;
    b[kClockSeconds] = 0;
    b[kHomeTotalScore] = 0x07;
    b[kHomePeriodScores + 3] = 0x07;
  }
  if (frame == 150) b[kClockMinutes] = 0;
  if (frame == 270) {
    b[kGamePhaseA] = kFinalScreenA;
    b[kGamePhaseB] = kFinalScreenB;
  }
}

class GameDriverTest : public ::testing::Test {
 protected:
  void Drive(DriverGame game) {
    CHeadlessConsole console(cartridge, kBudget);
    console.SetFrameObserver([&](int64_t, const IConsoleMemory&) { holdsInput.push_back(console.DriverHoldsInput()); });
    EXPECT_EQ(CGameDriver(std::move(game), console, ui).Run(), 0);
    frames = console.Frames();
    holdsAtEnd = console.DriverHoldsInput();
    exhausted = console.BudgetExhausted();
  }
  std::vector<std::string> StatusesStartingWith(std::string_view prefix) const {
    std::vector<std::string> found;
    for (const std::string& s : ui.statuses) {
      if (s.starts_with(prefix) && s.find('[') == prefix.size()) found.push_back(s);
    }
    return found;
  }

  FakeCartridge cartridge;
  RecordingUi ui;
  std::vector<bool> holdsInput;
  int64_t frames = 0;
  bool holdsAtEnd = false;
  bool exhausted = false;
};

TEST(HeadlessConsole, SleepsRoundUpToWholeFrames) {
  EXPECT_EQ(FramesForMilliseconds(50), 3);
  EXPECT_EQ(FramesForMilliseconds(1), 1);
  EXPECT_EQ(FramesForMilliseconds(0), 0);
}

TEST_F(GameDriverTest, BootStagesShowTheirCountersAndPressOnTime) {
  cartridge.screenDelays = {10, 4, 0, 7, 2};
  Drive(Game());

  // Title: marker seen in the 11th frame; polls at frames 0, 3, 6 and 9 fail.
  EXPECT_EQ(StatusesStartingWith("INITIALIZING QUOZI GRIDCROWN  "),
            (std::vector<std::string>{"INITIALIZING QUOZI GRIDCROWN  [0]", "INITIALIZING QUOZI GRIDCROWN  [1]",
                                      "INITIALIZING QUOZI GRIDCROWN  [2]", "INITIALIZING QUOZI GRIDCROWN  [3]"}));
  // Screens that are ready when first polled show nothing.
  for (const char* quiet : {"STARTING QUOZI GRIDCROWN  ", "INITIALIZING QUOZI GRIDCROWN ULTRA  ",
                            "SETTING QUOZI GRIDCROWN ULTRA CONTROLS  ", "SETTING QUOZI GRIDCROWN ULTRA TEAMS  "}) {
    EXPECT_TRUE(StatusesStartingWith(quiet).empty()) << quiet;
  }
  // The match-up lasts 40 frames after the second pick (16 frames of it slept).
  const auto kickoff = StatusesStartingWith("STARTING QUOZI GRIDCROWN ULTRA  ");
  ASSERT_FALSE(kickoff.empty());
  EXPECT_EQ(kickoff.front(), "STARTING QUOZI GRIDCROWN ULTRA  [0]");
  EXPECT_EQ(kickoff.back(), "STARTING QUOZI GRIDCROWN ULTRA  [" + std::to_string(kickoff.size() - 1) + "]");

  // Presses (frame indices; a press is the first frame of the sleep after it):
  // title seen after 12 frames, +23 -> 35; +90 second title seen, +23 -> 148;
  // menu likewise -> 261; +90 controls seen, pressed at once -> 351; +45 team
  // select seen, +45 -> 441; +15 -> 456.
  EXPECT_EQ(cartridge.pressFrames, (std::vector<int>{35, 148, 261, 351, 441, 456}));
}

TEST_F(GameDriverTest, ASlowScreenKeepsCountingAndTheOtherSecondTitleMarkerCounts) {
  cartridge.screenDelays = {0, 31, 0, 200, 0};
  cartridge.secondTitleUsesOtherMarker = true;
  Drive(Game());
  // 31 frames after the press at 23: the marker appears in frame 55; the stage
  // polls from frame 114, so it never waits.
  EXPECT_TRUE(StatusesStartingWith("STARTING QUOZI GRIDCROWN  ").empty());
  // Controls entered at 253 (after the menu press at 252 and its 1.5 s), ready at 253 + 200.
  const auto controls = StatusesStartingWith("SETTING QUOZI GRIDCROWN ULTRA CONTROLS  ");
  EXPECT_GT(controls.size(), 30u);
  EXPECT_NE(std::find(controls.begin(), controls.end(), "SETTING QUOZI GRIDCROWN ULTRA CONTROLS  [30]"), controls.end());
}

struct PairCase {
  int pair;
  std::pair<int, int> home;
  std::pair<int, int> away;
};

void PrintTo(const PairCase& c, std::ostream* out) { *out << "pair " << c.pair; }

class TeamSelectionTest : public GameDriverTest, public ::testing::WithParamInterface<PairCase> {};

TEST_P(TeamSelectionTest, PicksBothSlotsAndWritesTheControlByte) {
  const PairCase c = GetParam();
  Drive(Game(c.pair, 0x21));
  ASSERT_EQ(cartridge.picks.size(), 2u);
  EXPECT_EQ(cartridge.picks[0], c.home);
  EXPECT_EQ(cartridge.picks[1], c.away);
  EXPECT_EQ(cartridge.memory.bytes[kControlByte], 0x21);
  EXPECT_NE(cartridge.kickoffFrame, -1);
}

INSTANTIATE_TEST_SUITE_P(AllNinePairs, TeamSelectionTest,
                         ::testing::Values(PairCase{22, {0, 0}, {6, 2}}, PairCase{23, {0, 0}, {5, 0}},
                                           PairCase{24, {0, 0}, {2, 1}}, PairCase{32, {5, 0}, {0, 0}},
                                           PairCase{33, {5, 0}, {8, 0}}, PairCase{34, {5, 0}, {2, 1}},
                                           PairCase{42, {2, 1}, {0, 0}}, PairCase{43, {2, 1}, {5, 0}},
                                           PairCase{44, {2, 1}, {6, 1}}),
                         [](const auto& info) { return "Pair" + std::to_string(info.param.pair); });

TEST_F(GameDriverTest, AnUnknownPairSelectsNothingAndTheBootWaitsUntilStopped) {
  Drive(Game(25, 0x22));
  EXPECT_TRUE(cartridge.picks.empty());
  EXPECT_EQ(cartridge.memory.bytes[kControlByte], 0x22);
  EXPECT_TRUE(exhausted);
  EXPECT_EQ(frames, kBudget);
  EXPECT_EQ(ui.stages.back(), DriverStage::kEnded);
  EXPECT_FALSE(ui.summary);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(GameDriverTest, HandsTheControlsOverAtKickoffAndTakesThemBackAtTheEnd) {
  cartridge.game = ShortGame;
  Drive(Game());
  ASSERT_GT(cartridge.kickoffFrame, 0);
  const auto kickoff = static_cast<size_t>(cartridge.kickoffFrame);
  EXPECT_TRUE(std::all_of(holdsInput.begin(), holdsInput.begin() + static_cast<long>(kickoff), [](bool b) { return b; }));
  EXPECT_FALSE(holdsInput[kickoff + 3]);  // released at the first poll that sees the kickoff
  EXPECT_FALSE(holdsInput.back());  // through the wait for the final screen
  EXPECT_TRUE(holdsAtEnd);
  EXPECT_EQ(ui.hidden, 1);
  EXPECT_EQ(ui.refreshed, 1);
  EXPECT_EQ(ui.soundStopped, 1);

  const std::vector<DriverStage> expected = {
      DriverStage::kWaitingForTitle,       DriverStage::kWaitingForSecondTitle, DriverStage::kWaitingForMainMenu,
      DriverStage::kWaitingForControlScreen, DriverStage::kWaitingForTeamSelect, DriverStage::kSelectingTeams,
      DriverStage::kWaitingForKickoff,     DriverStage::kMonitoring,            DriverStage::kWaitingForFinalScreen,
      DriverStage::kCapturingStatistics,   DriverStage::kShowingSummary,        DriverStage::kEnded};
  EXPECT_EQ(ui.stages, expected);
}

TEST_F(GameDriverTest, TheSummaryCarriesScoresAndStatisticsOfTheFinalScreen) {
  testing::TempFolder folder;
  DriverGame game = Game();
  game.homeTeam = testing::TeamRecordOf(folder.path(), testing::MakeTeam("PELLMARSH", "GRIFFINS", "PEL", 2));
  game.awayTeam = testing::TeamRecordOf(folder.path(), testing::MakeTeam("OSTRAVEN", "LANTERNS", "OST", 4));
  cartridge.game = [](FakeConsoleMemory& m, int frame) {
    ShortGame(m, frame);
    if (frame == 200) {
      m.bytes[kHomePeriodScores] = 0x14;
      m.bytes[kHomeTotalScore] = 0x21;
      m.bytes[kAwayPeriodScores + 1] = 0x03;
      m.bytes[kHomeStatsBlock] = 9;                             // home QB: 9 attempts
      m.bytes[kAwayStatsBlock + cartmem::kStatsBlockBytes - 3] = 4;  // away punter: 4 punts
    }
  };
  Drive(std::move(game));
  ASSERT_TRUE(ui.summary);
  EXPECT_EQ(ui.summary->homeScore, "21");
  EXPECT_EQ(ui.summary->awayScore, "3");
  const TeamStats home = ParseTeamStats(ui.summary->homeStats);
  EXPECT_EQ(home.teamName, "GRIFFINS");
  EXPECT_EQ(home.lines[0].counters[kStatPassAttempts], 9);
  const TeamStats away = ParseTeamStats(ui.summary->awayStats);
  EXPECT_EQ(away.teamName, "LANTERNS");
  EXPECT_EQ(away.lines[kPunterRecord].counters[kStatPunts], 4);
  EXPECT_TRUE(ui.messages.empty());
}

// A failure inside the drive ends it with its message instead of silently.
TEST_F(GameDriverTest, AFailureEndsTheDriveWithItsMessage) {
  DriverGame game = Game();
  game.callPlays = [](int, IConsoleMemory&) { throw std::runtime_error("the play table is gone"); };
  cartridge.game = [](FakeConsoleMemory& m, int frame) {
    if (frame == 1) m.bytes[kHomePlay] = kNoPlayChosen;
    if (frame == 60) m.bytes[kHomePlay] = 1;  // both sides have chosen: the play calling runs
  };
  Drive(std::move(game));
  using Messages = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(ui.messages, (Messages{{"Quozi Gridcrown ULTRA", "The game driver stopped: the play table is gone"}}));
  EXPECT_FALSE(ui.summary);
  EXPECT_EQ(ui.stages.back(), DriverStage::kEnded);
}

TEST_F(GameDriverTest, LevelScoresAtTheEndOfTheFourthQuarterPlayOn) {
  cartridge.game = [](FakeConsoleMemory& m, int frame) {
    ShortGame(m, frame);
    if (frame == 1) m.bytes[kAwayTotalScore] = 0x07;  // level
    if (frame == 270) m.bytes[kGamePhaseA] = 0;        // no final screen yet
    if (frame == 400) m.bytes[kQuarter] = kFourthQuarter + 1;
    if (frame == 700) m.bytes[kAwayTotalScore] = 0x10;
  };
  ui.frameCounter = &cartridge.frames;
  Drive(Game());
  // Overtime's deciding score ends the monitor within one poll; the driver
  // then waits for a final screen that this cartridge never shows.
  EXPECT_TRUE(exhausted);
  ASSERT_EQ(ui.stages.end()[-2], DriverStage::kWaitingForFinalScreen);
  const int overAt = ui.stageFrames.end()[-2] - cartridge.kickoffFrame;
  EXPECT_GT(overAt, 700);
  EXPECT_LE(overAt, 731);
}

}  // namespace
}  // namespace qgu::driver
