#include "host/linked_game.h"

#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

#include "core/machine.h"
#include "driver/threaded_game.h"
#include "host/emulator_thread.h"
#include "host/machine_console.h"

namespace qgu::host {
namespace {

class SummaryUi final : public driver::IDriverUi {
 public:
  explicit SummaryUi(const std::function<void(const std::string&)>& progress) : progress_(progress) {}
  void StageChanged(driver::DriverStage stage) override { Tell(std::string(driver::StageName(stage))); }
  void ShowStatus(const std::string&) override {}
  void HideStatus() override {}
  void RefreshMainWindow() override {}
  void StopSound() override {}
  void ShowSummary(const driver::GameSummary& shown) override {
    std::lock_guard lock(mutex);
    summary = shown;
  }
  void ShowMessage(std::string_view title, std::string_view text) override {
    Tell(std::string(title) + ": " + std::string(text));
  }
  void Tell(const std::string& line) {
    if (progress_) progress_(line);
  }

  std::mutex mutex;
  std::optional<driver::GameSummary> summary;

 private:
  const std::function<void(const std::string&)>& progress_;
};

uint64_t SnapshotHash(core::CMachine& machine, const std::filesystem::path& file) {
  machine.SaveSnapshot(file.string());
  std::ifstream in(file, std::ios::binary);
  return HashBytes(std::string(std::istreambuf_iterator<char>(in), {}));
}

}  // namespace

uint64_t HashBytes(const std::string& bytes) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char byte : bytes) {
    hash ^= byte;
    hash *= 0x100000001b3ull;
  }
  return hash;
}

LinkedGameResult PlayLinkedGame(driver::CGameManager& manager, CNetplayLink& link, const LinkedGameOptions& options) {
  core::CMachine machine(manager.WorkingImage());
  CMachineConsole console(machine);
  CUnpacedFrameClock clock;
  CEmulatorThread thread(clock);
  thread.SetDevices({nullptr, nullptr, nullptr, &link});
  SummaryUi ui(options.progress);

  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  auto finish = [&] {
    std::lock_guard lock(mutex);
    done = true;
    finished.notify_all();
  };
  LinkedGameResult result;
  thread.SetNoticeHandler([&](const std::string& text) {
    {
      std::lock_guard lock(mutex);
      result.linkClosed = link.CloseReason();
    }
    ui.Tell(text);
  });
  const std::filesystem::path snapshot =
      std::filesystem::temp_directory_path() / ("qgu-linked-" + std::to_string(::getpid()) + ".sav");
  thread.SetFrameMonitor([&](int64_t frame) {
    if (options.hashEvery > 0 && frame % options.hashEvery == 0 && options.stateHash) {
      options.stateHash(frame, SnapshotHash(machine, snapshot));
    }
    if (options.maxFrames > 0 && frame >= options.maxFrames) finish();
  });

  driver::CThreadedGame::Options gameOptions;
  gameOptions.driverEnded = finish;
  driver::CThreadedGame game(thread, driver::DriverGameFrom(manager), ui, gameOptions);
  game.Start();  // before the first frame, as on the other side
  if (thread.Start(console)) {
    std::unique_lock lock(mutex);
    finished.wait(lock, [&] { return done; });
  }
  thread.Stop();
  game.Stop();
  std::error_code ignored;
  std::filesystem::remove(snapshot, ignored);
  result.frames = thread.Counters().framesEmulated;
  if (options.maxFrames > 0) result.frames = std::min(result.frames, options.maxFrames);
  std::lock_guard lock(ui.mutex);
  result.summary = ui.summary;
  return result;
}

}  // namespace qgu::host
