#pragma once
// CGameDriver: the game driver thread's work (ultraproc). Steers the booting
// cartridge through its title screens, menus and team select, hands the
// controls to the user, watches the game to its end and shows the box score.
// It works only through IDriverConsole and IDriverUi, so the same code runs
// on the desktop's threads and in a headless game.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "driver/driver_host.h"
#include "driver/game_monitor.h"
#include "league/team_record.h"

namespace qgu::driver {

class CGameManager;

// What one game's driver needs to know.
struct DriverGame {
  int quarterMinutes = 5;
  int formationPairValue = -1;  // 10 x home formation + away formation
  uint8_t controlByte = 0;      // P1 mode << 4 | P2 mode
  league::TeamRecord homeTeam;  // the statistics take the names from these
  league::TeamRecord awayTeam;
  PlayCaller callPlays;
  // Joined under way (a watcher that came late): no boot; the monitoring goes
  // on from the host driver's state, its first poll at the driver's first step.
  std::optional<MonitorState> joinedAt;
  // After each poll of the monitor, on the driver thread while the frames
  // wait: the monitor's state and whether the game is over.
  std::function<void(const MonitorState& state, bool over)> monitorPolled;
};

// The prepared game of a manager; the play calling goes to the manager, which
// must outlive the driver.
DriverGame DriverGameFrom(CGameManager& manager);

// Status texts of the boot stages; %ld is the count of failed polls.
inline constexpr const char* kTitleStatus = "INITIALIZING QUOZI GRIDCROWN  [%ld]";
inline constexpr const char* kSecondTitleStatus = "STARTING QUOZI GRIDCROWN  [%ld]";
inline constexpr const char* kMainMenuStatus = "INITIALIZING QUOZI GRIDCROWN ULTRA  [%ld]";
inline constexpr const char* kControlScreenStatus = "SETTING QUOZI GRIDCROWN ULTRA CONTROLS  [%ld]";
inline constexpr const char* kTeamSelectStatus = "SETTING QUOZI GRIDCROWN ULTRA TEAMS  [%ld]";
inline constexpr const char* kKickoffStatus = "STARTING QUOZI GRIDCROWN ULTRA  [%ld]";

// Followed by what went wrong when the drive fails.
inline constexpr const char* kDriverStoppedMessage = "The game driver stopped: ";

// Waits and poll periods, in milliseconds.
inline constexpr int kBootPollMs = 50;
inline constexpr int kBeforeTitlePressMs = 375;
inline constexpr int kAfterTitlePressMs = 1500;
inline constexpr int kAfterControlPressMs = 750;
inline constexpr int kBeforeSelectionMs = 750;
inline constexpr int kAfterSelectPressMs = 250;
inline constexpr int kMonitorPollMs = 500;
inline constexpr int kFinalScreenPollMs = 250;

class CGameDriver {
 public:
  CGameDriver(DriverGame game, IDriverConsole& console, IDriverUi& ui);

  // The whole drive; returns 0 in every case. Stopping (GameStopped) ends it
  // quietly; any other failure ends it with kDriverStoppedMessage and what
  // went wrong, in a message box titled "Quozi Gridcrown ULTRA".
  int Run();

  // The stages, in order; each returns when its condition holds.
  void BootThroughMenus();
  void WaitForTitleScreen();
  void WaitForSecondTitleScreen();
  void WaitForMainMenu();
  void WaitForControlScreen();
  void WaitForTeamSelect();
  void SelectTeams();
  void WaitForKickoff();
  void HandOverControls();
  // A game joined under way: the controls are the players' already.
  void TakeUpUnderWay();
  void MonitorUntilGameOver();
  void WaitForFinalScreen();
  void CaptureAndShowStatistics();

 private:
  // Polls every 50 ms until condition holds, showing the status text with the
  // number of failed polls before each failed one.
  void WaitForCondition(DriverStage stage, const char* statusFormat, const std::function<bool(const IConsoleMemory&)>& condition);
  void Press(int sleepAfterMs);
  // The title screens' and the main menu's pause, press and transition.
  void PressThroughScreen();
  bool Check(const std::function<bool(const IConsoleMemory&)>& condition);
  void EnterStage(DriverStage stage) { ui_.StageChanged(stage); }

  DriverGame game_;
  IDriverConsole& console_;
  IDriverUi& ui_;
};

// The status line of a boot stage for a number of failed polls.
std::string FormatStatus(const char* format, long failedPolls);

}  // namespace qgu::driver
