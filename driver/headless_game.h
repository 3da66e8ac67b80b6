#pragma once
// A whole game without a window: the prepared working image of a game
// manager is booted on a fresh emulated machine, the game driver steers it
// through the menus and watches it to the final screen, and the summary it
// would show is handed back. With a fixed random seed the result is the same
// on every run.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "driver/console_memory.h"
#include "driver/game_summary.h"

namespace qgu::driver {

class CGameManager;

// Frames a game of this quarter length may take before it is given up: ten
// minutes for the menus and the final screen, and two minutes for every
// minute of clock in four periods and two overtimes (a game of 5-minute
// quarters takes about 40,000 frames of its 252,000).
int64_t FrameBudgetFor(int quarterMinutes);

struct HeadlessGameOptions {
  int64_t frameBudget = 0;  // 0: FrameBudgetFor the manager's quarter length
  // One line at a time: boot stages, each period's start, every score.
  std::function<void(const std::string& line)> progress;
  // Called once the driver has ended, with the console's memory as it stands.
  std::function<void(const IConsoleMemory& memory)> finished;
};

enum class HeadlessOutcome {
  kFinished,       // the summary was captured
  kImageRefused,   // the machine would not load the working image
  kOutOfFrames,    // the budget ran out before the summary (the menus get ten minutes of it)
  kNoSummary,      // the driver ended without a summary (see messages)
};

struct HeadlessGameResult {
  HeadlessOutcome outcome = HeadlessOutcome::kNoSummary;
  std::optional<GameSummary> summary;
  std::vector<std::string> messages;  // message boxes the driver raised: "title: text"
  std::string error;                  // what went wrong, for the user
  int64_t frames = 0;
  std::string lastStage;
};

// PrepareGame must have succeeded on the manager.
HeadlessGameResult PlayHeadlessGame(CGameManager& manager, const HeadlessGameOptions& options);

}  // namespace qgu::driver
