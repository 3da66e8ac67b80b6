#include "driver/game_driver.h"

#include <array>
#include <cstdio>
#include <exception>
#include <optional>

#include "driver/cartridge_memory.h"
#include "driver/game_manager.h"
#include "driver/stats_capture.h"

namespace qgu::driver {

using namespace cartmem;

namespace {

// One pick on the team-select screen: the cursor is placed first when given.
struct TeamPick {
  std::optional<std::array<uint8_t, 2>> cursor;
};

struct TeamSelection {
  int formationPairValue;
  TeamPick home;
  TeamPick away;
};

constexpr std::array<uint8_t, 2> At(uint8_t x, uint8_t y) { return {x, y}; }

// The home pick is the first slot of the home formation; the away pick the
// first slot of its formation, or the second when both formations are equal.
// First slots: formation 2 at (0, 0) (where the cursor starts), 3 at (5, 0),
// 4 at (2, 1); second slots: (6, 2), (8, 0), (6, 1).
constexpr std::array<TeamSelection, 9> kTeamSelections = {{
    {22, {}, {At(6, 2)}},
    {23, {}, {At(5, 0)}},
    {24, {}, {At(2, 1)}},
    {32, {At(5, 0)}, {At(0, 0)}},
    {33, {At(5, 0)}, {At(8, 0)}},
    {34, {At(5, 0)}, {At(2, 1)}},
    {42, {At(2, 1)}, {At(0, 0)}},
    {43, {At(2, 1)}, {At(5, 0)}},
    {44, {At(2, 1)}, {At(6, 1)}},
}};

const TeamSelection* SelectionFor(int formationPairValue) {
  for (const TeamSelection& selection : kTeamSelections) {
    if (selection.formationPairValue == formationPairValue) return &selection;
  }
  return nullptr;
}

bool OnFinalScreen(const IConsoleMemory& memory) {
  return memory.Read(kGamePhaseA) == kFinalScreenA && memory.Read(kGamePhaseB) == kFinalScreenB;
}

}  // namespace

DriverGame DriverGameFrom(CGameManager& manager) {
  DriverGame game;
  game.quarterMinutes = manager.QuarterLength();
  game.formationPairValue = manager.FormationPairValue();
  game.controlByte = manager.ControlByte();
  game.homeTeam = manager.HomeTeam();
  game.awayTeam = manager.AwayTeam();
  game.callPlays = [&manager](int side, IConsoleMemory& memory) { manager.CallPlays(side, memory); };
  return game;
}

std::string FormatStatus(const char* format, long failedPolls) {
  char text[96];
  std::snprintf(text, sizeof text, format, failedPolls);
  return text;
}

CGameDriver::CGameDriver(DriverGame game, IDriverConsole& console, IDriverUi& ui)
    : game_(std::move(game)), console_(console), ui_(ui) {}

int CGameDriver::Run() {
  try {
    if (game_.joinedAt) {
      TakeUpUnderWay();
    } else {
      BootThroughMenus();
    }
    MonitorUntilGameOver();
    WaitForFinalScreen();
    CaptureAndShowStatistics();
  } catch (const GameStopped&) {
    // Stopped from outside: nothing to tell.
  } catch (const std::exception& error) {
    ui_.ShowMessage(kStatsMessageTitle, std::string(kDriverStoppedMessage) + error.what());
  } catch (...) {
    ui_.ShowMessage(kStatsMessageTitle, std::string(kDriverStoppedMessage) + "an unknown failure");
  }
  EnterStage(DriverStage::kEnded);
  return 0;
}

void CGameDriver::BootThroughMenus() {
  console_.SetDriverHoldsInput(true);
  WaitForTitleScreen();
  WaitForSecondTitleScreen();
  WaitForMainMenu();
  WaitForControlScreen();
  WaitForTeamSelect();
  SelectTeams();
  WaitForKickoff();
  HandOverControls();
}

void CGameDriver::WaitForTitleScreen() {
  WaitForCondition(DriverStage::kWaitingForTitle, kTitleStatus,
                   [](const IConsoleMemory& m) { return m.Read(kTitleMarker) == kTitleReady; });
  PressThroughScreen();
}

void CGameDriver::WaitForSecondTitleScreen() {
  WaitForCondition(DriverStage::kWaitingForSecondTitle, kSecondTitleStatus, [](const IConsoleMemory& m) {
    return m.Read(kSecondTitleMarkerA) == kSecondTitleReadyA || m.Read(kSecondTitleMarkerB) == kSecondTitleReadyB;
  });
  PressThroughScreen();
}

void CGameDriver::WaitForMainMenu() {
  WaitForCondition(DriverStage::kWaitingForMainMenu, kMainMenuStatus,
                   [](const IConsoleMemory& m) { return m.Read(kMainMenuMarker) == kMainMenuReady; });
  PressThroughScreen();
}

void CGameDriver::WaitForControlScreen() {
  WaitForCondition(DriverStage::kWaitingForControlScreen, kControlScreenStatus,
                   [](const IConsoleMemory& m) { return m.Read(kControlScreenMarker) == kControlScreenReady; });
  Press(kAfterControlPressMs);
}

void CGameDriver::WaitForTeamSelect() {
  WaitForCondition(DriverStage::kWaitingForTeamSelect, kTeamSelectStatus,
                   [](const IConsoleMemory& m) { return m.Read(kTeamSelectMarker) == kTeamSelectReady; });
  console_.Sleep(kBeforeSelectionMs);
}

void CGameDriver::SelectTeams() {
  EnterStage(DriverStage::kSelectingTeams);
  if (const TeamSelection* selection = SelectionFor(game_.formationPairValue)) {
    for (const TeamPick& pick : {selection->home, selection->away}) {
      if (pick.cursor) {
        const auto [x, y] = *pick.cursor;
        console_.WithMemory([x, y](IConsoleMemory& m) {
          m.Write(kCursorX, x);
          m.Write(kCursorY, y);
        });
      }
      Press(kAfterSelectPressMs);
    }
  }
  WriteConsoleByte(console_, kControlByte, game_.controlByte);
  // The cartridge starts its periods at this length, so the clock shown is the game's from kickoff.
  WriteConsoleByte(console_, kClockMinutes, QuarterLengthBcd(game_.quarterMinutes));
}

void CGameDriver::WaitForKickoff() {
  WaitForCondition(DriverStage::kWaitingForKickoff, kKickoffStatus, [](const IConsoleMemory& m) {
    return m.Read(kHomeState) == kStateGameStarted || m.Read(kAwayState) == kStateGameStarted;
  });
}

void CGameDriver::HandOverControls() {
  console_.SetDriverHoldsInput(false);
  ui_.HideStatus();
}

void CGameDriver::TakeUpUnderWay() { HandOverControls(); }

void CGameDriver::MonitorUntilGameOver() {
  EnterStage(DriverStage::kMonitoring);
  CGameMonitor monitor(game_.quarterMinutes, game_.callPlays, game_.joinedAt.value_or(MonitorState{}));
  for (;;) {
    bool over = false;
    console_.WithMemory([&](IConsoleMemory& memory) { over = monitor.Poll(memory); });
    if (game_.monitorPolled) game_.monitorPolled(monitor.State(), over);
    if (over) return;
    console_.Sleep(kMonitorPollMs);
  }
}

void CGameDriver::WaitForFinalScreen() {
  EnterStage(DriverStage::kWaitingForFinalScreen);
  while (!Check(OnFinalScreen)) console_.Sleep(kFinalScreenPollMs);
}

void CGameDriver::CaptureAndShowStatistics() {
  EnterStage(DriverStage::kCapturingStatistics);
  CaptureStatistics(console_, ui_, game_.homeTeam, game_.awayTeam);
}

void CGameDriver::WaitForCondition(DriverStage stage, const char* statusFormat,
                                   const std::function<bool(const IConsoleMemory&)>& condition) {
  EnterStage(stage);
  for (long failedPolls = 0; !Check(condition); ++failedPolls) {
    ui_.ShowStatus(FormatStatus(statusFormat, failedPolls));
    console_.Sleep(kBootPollMs);
  }
}

void CGameDriver::PressThroughScreen() {
  console_.Sleep(kBeforeTitlePressMs);
  Press(kAfterTitlePressMs);
}

void CGameDriver::Press(int sleepAfterMs) {
  console_.PressA();
  console_.Sleep(sleepAfterMs);
}

bool CGameDriver::Check(const std::function<bool(const IConsoleMemory&)>& condition) {
  bool holds = false;
  console_.WithMemory([&](IConsoleMemory& memory) { holds = condition(memory); });
  return holds;
}

}  // namespace qgu::driver
