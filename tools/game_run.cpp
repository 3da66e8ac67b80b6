#include "tools/game_run.h"

#include <unistd.h>

#include <atomic>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "cartridge/builder/embedded_image.h"
#include "driver/emulated_machine.h"
#include "driver/game_driver.h"
#include "driver/headless_console.h"
#include "driver/headless_game.h"
#include "driver/play_calling.h"
#include "driver/random_source.h"
#include "league/default_league.h"

namespace qgu::tools {

namespace {

namespace fs = std::filesystem;

// Keeps the summary and the messages; shows nothing.
class CQuietUi final : public driver::IDriverUi {
 public:
  explicit CQuietUi(std::function<void(driver::DriverStage)> stageChanged) : stageChanged_(std::move(stageChanged)) {}

  void StageChanged(driver::DriverStage stage) override {
    if (stageChanged_) stageChanged_(stage);
  }
  void ShowStatus(const std::string&) override {}
  void HideStatus() override {}
  void RefreshMainWindow() override {}
  void StopSound() override {}
  void ShowSummary(const driver::GameSummary& summary) override { summary_ = summary; }
  void ShowMessage(std::string_view title, std::string_view text) override {
    messages_ += std::string(title) + ": " + std::string(text) + "; ";
  }

  const std::optional<driver::GameSummary>& Summary() const { return summary_; }
  const std::string& Messages() const { return messages_; }

 private:
  std::function<void(driver::DriverStage)> stageChanged_;
  std::optional<driver::GameSummary> summary_;
  std::string messages_;
};

// The game machine that looks after every frame.
class CWatchedMachine final : public driver::IGameMachine {
 public:
  CWatchedMachine(core::CMachine& machine, std::function<void(int64_t, core::CMachine&)> afterFrame)
      : machine_(machine), inner_(machine), afterFrame_(std::move(afterFrame)) {}

  void RunFrame(bool pressA) override {
    inner_.RunFrame(pressA);
    ++frames_;
    if (afterFrame_) afterFrame_(frames_, machine_);
  }
  driver::IConsoleMemory& Memory() override { return inner_.Memory(); }

 private:
  core::CMachine& machine_;
  driver::CEmulatedGameMachine inner_;
  std::function<void(int64_t, core::CMachine&)> afterFrame_;
  int64_t frames_ = 0;
};

}  // namespace

GameRunResult RunGame(driver::CGameManager& manager, const GameRunOptions& options) {
  GameRunResult result;
  core::CMachine machine(manager.WorkingImage(), options.settings, options.mappers);
  machine.SetFormationPairValue(manager.FormationPairValue());
  machine.SetControlByte(manager.ControlByte());

  CWatchedMachine watched(machine, options.afterFrame);
  driver::CHeadlessConsole console(watched, driver::FrameBudgetFor(manager.QuarterLength()));
  CQuietUi ui(options.stageChanged);
  driver::CGameDriver(driver::DriverGameFrom(manager), console, ui).Run();

  result.frames = console.Frames();
  result.summary = ui.Summary();
  if (!result.summary) {
    result.error = console.BudgetExhausted() ? "out of frames" : "no box score";
    if (!ui.Messages().empty()) result.error += ": " + ui.Messages();
  }
  return result;
}

CTemporaryLeague::CTemporaryLeague() {
  static std::atomic<int> made{0};
  base_ = fs::temp_directory_path() /
          ("qgu-league-" + std::to_string(::getpid()) + "-" + std::to_string(made.fetch_add(1)));
  fs::remove_all(base_);
  fs::create_directories(base_);
  auto league = league::EnsureDefaultLeague(base_, cartridge::EmbeddedCartridgeImage());
  if (!league) throw std::runtime_error("the default league could not be made: " + league.error());
  folder_ = league.value().folder;
}

CTemporaryLeague::~CTemporaryLeague() {
  std::error_code ignored;
  fs::remove_all(base_, ignored);
}

std::unique_ptr<driver::CGameManager> CTemporaryLeague::PrepareComGame(uint32_t seed, int quarterMinutes) const {
  auto manager = std::make_unique<driver::CGameManager>(cartridge::EmbeddedCartridgeImage(),
                                                        std::make_unique<driver::CSeededRandom>(seed));
  manager->SetHomePath(Team("AMBE0.dat"));
  manager->SetAwayPath(Team("ASHC0.dat"));
  manager->SetQuarterLength(quarterMinutes);
  manager->SetControls(driver::kControlCom, driver::kControlCom);
  if (!manager->PrepareGame()) throw std::runtime_error("the game could not be prepared");
  return manager;
}

}  // namespace qgu::tools
