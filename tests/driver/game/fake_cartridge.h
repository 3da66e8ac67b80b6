#pragma once
// Test-only stand-ins around the game driver: a scripted cartridge that boots
// through its screens as the real one does (each screen sets its marker after
// a delay and moves on when A is pressed while the marker is set), and a
// user interface that records what the driver shows (its stages may be
// watched from another thread while the driver runs).

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "driver/driver_host.h"
#include "driver/game_machine.h"
#include "tests/driver/preparation/test_teams.h"

namespace qgu::driver::testing {

class FakeCartridge final : public IGameMachine, public IConsoleMemory {
 public:
  // Frames each boot screen takes before it accepts A: title, second title,
  // main menu, control screen, team select; then the match-up until kickoff.
  std::array<int, 5> screenDelays = {10, 4, 0, 7, 2};
  int kickoffDelay = 40;
  bool secondTitleUsesOtherMarker = false;
  // Runs every frame once the game has kicked off (frame counted from kickoff).
  std::function<void(FakeConsoleMemory& memory, int gameFrame)> game;

  void RunFrame(bool pressA) override;
  IConsoleMemory& Memory() override { return *this; }
  uint8_t Read(uint16_t address) const override;
  void Write(uint16_t address, uint8_t value) override;

  FakeConsoleMemory memory;
  int frames = 0;
  std::vector<int> pressFrames;                // frame index of every frame with A
  std::vector<std::pair<int, int>> picks;      // the cursor at each team-select press
  int kickoffFrame = -1;
  mutable std::atomic<int> accessesDuringFrame{0};  // memory touched while a frame ran

 private:
  enum Screen { kTitle, kSecondTitle, kMainMenu, kControls, kTeamSelect, kMatchUp, kPlaying };
  void SetMarker(bool on);
  Screen screen_ = kTitle;
  int screenStart_ = 0;
  std::atomic<bool> inFrame_{false};
};

class RecordingUi final : public IDriverUi {
 public:
  void StageChanged(DriverStage stage) override {
    std::lock_guard lock(mutex_);
    stages.push_back(stage);
    stageFrames.push_back(frameCounter ? *frameCounter : -1);
  }
  bool Reached(DriverStage stage) const {
    std::lock_guard lock(mutex_);
    return std::find(stages.begin(), stages.end(), stage) != stages.end();
  }
  bool WaitFor(DriverStage stage, std::chrono::milliseconds timeout) const;
  void ShowStatus(const std::string& text) override { statuses.push_back(text); }
  void HideStatus() override { ++hidden; }
  void RefreshMainWindow() override { ++refreshed; }
  void StopSound() override {
    if (stopOnSound) throw GameStopped{};
    ++soundStopped;
  }
  void ShowSummary(const GameSummary& shown) override {
    if (failSummary) throw std::runtime_error("summary window failed");
    summary = shown;
    ++summaries;
  }
  void ShowMessage(std::string_view title, std::string_view text) override {
    messages.emplace_back(std::string(title), std::string(text));
  }

  const int* frameCounter = nullptr;  // stamps each stage when set
  std::vector<DriverStage> stages;
  std::vector<int> stageFrames;
  std::vector<std::string> statuses;
  int hidden = 0;
  int refreshed = 0;
  int soundStopped = 0;
  bool failSummary = false;
  bool stopOnSound = false;  // as if the user stopped the game right then
  std::optional<GameSummary> summary;
  int summaries = 0;
  std::vector<std::pair<std::string, std::string>> messages;

 private:
  mutable std::mutex mutex_;
};

}  // namespace qgu::driver::testing
