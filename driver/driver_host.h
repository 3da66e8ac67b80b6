#pragma once
// What the game driver needs around it, in two small interfaces, so that the
// same driver runs in the desktop program (real threads, the wall clock) and
// headless (the driver runs the machine itself, frame by frame):
// - IDriverConsole: time, presses of A, the console's memory, the input hold;
// - IDriverUi: what the user is shown.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "driver/console_memory.h"
#include "driver/game_summary.h"

namespace qgu::driver {

// Thrown out of a wait when the game is being stopped (or a headless game ran
// out of frames); unwinds the driver without any message.
struct GameStopped {};

class IDriverConsole {
 public:
  virtual ~IDriverConsole() = default;
  // Lets the console run for this long; throws GameStopped when stopping.
  virtual void Sleep(int milliseconds) = 0;
  // One frame of A on every pad, at the next frame; a request still pending
  // merges with it.
  virtual void PressA() = 0;
  // Runs step between two frames: every byte it reads or writes belongs to
  // the same moment of the game.
  virtual void WithMemory(const std::function<void(IConsoleMemory&)>& step) = 0;
  // While held, the user's devices are not read and no picture or sound is
  // produced; frames still run.
  virtual void SetDriverHoldsInput(bool holds) = 0;
};

// Where the driver is; reported to the user interface as it moves on.
enum class DriverStage {
  kWaitingForTitle,
  kWaitingForSecondTitle,
  kWaitingForMainMenu,
  kWaitingForControlScreen,
  kWaitingForTeamSelect,
  kSelectingTeams,
  kWaitingForKickoff,
  kMonitoring,
  kWaitingForFinalScreen,
  kCapturingStatistics,
  kShowingSummary,
  kEnded,
};

std::string_view StageName(DriverStage stage);

class IDriverUi {
 public:
  virtual ~IDriverUi() = default;
  virtual void StageChanged(DriverStage /*stage*/) {}
  // The status line of the helmet control during the boot (repainted at once).
  virtual void ShowStatus(const std::string& text) = 0;
  // The boot is done: status emptied, helmets released, helmet control hidden.
  virtual void HideStatus() = 0;
  // Repaints the main window (erasing it), at the end of the game.
  virtual void RefreshMainWindow() = 0;
  virtual void StopSound() = 0;
  // Shows the box score; returns when the user has closed it.
  virtual void ShowSummary(const GameSummary& summary) = 0;
  // An error message box (error icon) owned by the main window.
  virtual void ShowMessage(std::string_view title, std::string_view text) = 0;
};

// Reading or writing one byte as a step of its own.
uint8_t ReadConsoleByte(IDriverConsole& console, uint16_t address);
void WriteConsoleByte(IDriverConsole& console, uint16_t address, uint8_t value);

}  // namespace qgu::driver
