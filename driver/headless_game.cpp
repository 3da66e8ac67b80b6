#include "driver/headless_game.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "core/machine.h"
#include "driver/cartridge_memory.h"
#include "driver/emulated_machine.h"
#include "driver/game_driver.h"
#include "driver/game_manager.h"
#include "driver/headless_console.h"
#include "driver/team_stats.h"

namespace qgu::driver {
namespace {

constexpr int64_t kMenuFrames = 10 * 60 * kFramesPerSecond;
constexpr int64_t kFramesPerClockMinute = 2 * 60 * kFramesPerSecond;
constexpr int64_t kPeriodsBudgeted = 6;

// What a headless game shows: progress lines, and the summary and messages kept.
class CHeadlessUi final : public IDriverUi {
 public:
  CHeadlessUi(std::function<void(const std::string&)> progress, std::function<void(DriverStage)> onStage)
      : progress_(std::move(progress)), onStage_(std::move(onStage)) {}

  void StageChanged(DriverStage stage) override {
    if (stage != DriverStage::kEnded) stage_ = stage;
    Report(std::string(StageName(stage)));
    onStage_(stage);
  }
  void ShowStatus(const std::string&) override {}
  void HideStatus() override {}
  void RefreshMainWindow() override {}
  void StopSound() override {}
  void ShowSummary(const GameSummary& summary) override { summary_ = summary; }
  void ShowMessage(std::string_view title, std::string_view text) override {
    messages_.push_back(std::string(title) + ": " + std::string(text));
  }

  void Report(const std::string& line) const {
    if (progress_) progress_(line);
  }
  // The last stage before the end.
  DriverStage Stage() const { return stage_; }
  const std::optional<GameSummary>& Summary() const { return summary_; }
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  std::function<void(const std::string&)> progress_;
  std::function<void(DriverStage)> onStage_;
  DriverStage stage_ = DriverStage::kWaitingForTitle;
  std::optional<GameSummary> summary_;
  std::vector<std::string> messages_;
};

// Reports each period's start and every change of score while the game runs.
class CScoreWatcher {
 public:
  explicit CScoreWatcher(const CHeadlessUi& ui) : ui_(ui) {}

  void Look(int64_t frames, const IConsoleMemory& memory) {
    if (ui_.Stage() != DriverStage::kMonitoring || frames % kFramesPerSecond != 0) return;
    const int period = memory.Read(cartmem::kQuarter);
    const std::string home = ReadFinalScoreText(memory, cartmem::kHomePeriodScores);
    const std::string away = ReadFinalScoreText(memory, cartmem::kAwayPeriodScores);
    if (period == period_ && home == home_ && away == away_) return;
    period_ = period;
    home_ = home;
    away_ = away;
    ui_.Report(PeriodName(period) + " " + Clock(memory) + "  home " + home + " - away " + away);
  }

 private:
  static std::string PeriodName(int period) {
    return period <= cartmem::kFourthQuarter ? "Q" + std::to_string(period + 1)
                                             : "OT" + std::to_string(period - cartmem::kFourthQuarter);
  }
  static std::string Clock(const IConsoleMemory& memory) {
    char text[16];
    std::snprintf(text, sizeof text, "%X:%02X", memory.Read(cartmem::kClockMinutes),
                  memory.Read(cartmem::kClockSeconds));
    return text;
  }

  const CHeadlessUi& ui_;
  int period_ = -1;
  std::string home_;
  std::string away_;
};

}  // namespace

int64_t FrameBudgetFor(int quarterMinutes) {
  return kMenuFrames + kPeriodsBudgeted * kFramesPerClockMinute * std::max(quarterMinutes, 1);
}

HeadlessGameResult PlayHeadlessGame(CGameManager& manager, const HeadlessGameOptions& options) {
  HeadlessGameResult result;
  std::unique_ptr<core::CMachine> machine;
  try {
    machine = std::make_unique<core::CMachine>(manager.WorkingImage());
  } catch (const std::exception& error) {
    result.outcome = HeadlessOutcome::kImageRefused;
    result.error = std::string("the cartridge image does not load: ") + error.what();
    return result;
  }
  machine->SetFormationPairValue(manager.FormationPairValue());
  machine->SetControlByte(manager.ControlByte());

  CEmulatedGameMachine gameMachine(*machine);
  const int64_t budget = options.frameBudget > 0 ? options.frameBudget : FrameBudgetFor(manager.QuarterLength());
  // A cartridge that does not get through its menus is given up early.
  const int64_t menuBudget = std::min(budget, kMenuFrames);
  CHeadlessConsole console(gameMachine, menuBudget);
  CHeadlessUi ui(options.progress, [&console, budget](DriverStage stage) {
    if (stage == DriverStage::kMonitoring) console.SetFrameBudget(budget);
  });
  CScoreWatcher watcher(ui);
  console.SetFrameObserver([&watcher](int64_t frames, const IConsoleMemory& memory) { watcher.Look(frames, memory); });

  CGameDriver(DriverGameFrom(manager), console, ui).Run();
  if (options.finished) options.finished(gameMachine.Memory());

  result.frames = console.Frames();
  result.summary = ui.Summary();
  result.messages = ui.Messages();
  result.lastStage = std::string(StageName(ui.Stage()));
  if (result.summary) {
    result.outcome = HeadlessOutcome::kFinished;
  } else if (console.BudgetExhausted()) {
    result.outcome = HeadlessOutcome::kOutOfFrames;
    result.error = (console.FrameBudget() == budget ? "the game did not reach its final screen within "
                                                    : "the cartridge did not get through its menus within ") +
                   std::to_string(console.FrameBudget()) + " frames (stuck " + result.lastStage + ")";
  } else {
    result.outcome = HeadlessOutcome::kNoSummary;
    result.error = "the game ended without a box score";
    for (const std::string& message : result.messages) result.error += "; " + message;
  }
  return result;
}

}  // namespace qgu::driver
