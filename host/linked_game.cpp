#include "host/linked_game.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "core/machine.h"
#include "driver/headless_game.h"
#include "driver/threaded_game.h"
#include "host/emulator_thread.h"
#include "host/machine_console.h"

namespace qgu::host {
namespace {

// Ten minutes of frames for the menus, as a headless game has.
constexpr int64_t kMenuFrames = 10 * 60 * 60;

class SummaryUi final : public driver::IDriverUi {
 public:
  SummaryUi(const std::function<void(const std::string&)>& progress, std::function<void(driver::DriverStage)> onStage)
      : progress_(progress), onStage_(std::move(onStage)) {}
  void StageChanged(driver::DriverStage stage) override {
    Tell(std::string(driver::StageName(stage)));
    onStage_(stage);
  }
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
  std::function<void(driver::DriverStage)> onStage_;
};

}  // namespace

CPrivateSnapshot::CPrivateSnapshot() {
  fd_ = ::memfd_create("qgu-linked-state", MFD_CLOEXEC);
  if (fd_ >= 0) {
    path_ = "/proc/self/fd/" + std::to_string(fd_);
    return;
  }
  // No anonymous memory files: a folder only this user can enter.
  std::string folder = (std::filesystem::temp_directory_path(error_) / "qgu-linked-XXXXXX").string();
  if (error_ || ::mkdtemp(folder.data()) == nullptr) {
    if (!error_) error_ = std::error_code(errno, std::generic_category());
    return;
  }
  folder_ = folder;
  path_ = folder + "/state.sav";
}

CPrivateSnapshot::~CPrivateSnapshot() {
  if (fd_ >= 0) ::close(fd_);
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}

league::Result<uint64_t> CPrivateSnapshot::Hash(core::CMachine& machine) {
  if (path_.empty()) return league::Fail("no private place for the machine's state: " + error_.message());
  try {
    machine.SaveSnapshot(path_);
  } catch (const std::exception& error) {
    return league::Fail(std::string("cannot take the machine's state: ") + error.what());
  }
  const int in = fd_ >= 0 ? fd_ : ::open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (in < 0) return league::Fail(std::string("cannot read the machine's state back: ") + std::strerror(errno));
  std::vector<uint8_t> bytes;
  uint8_t chunk[16384];
  off_t at = 0;
  ssize_t got = 0;
  while ((got = ::pread(in, chunk, sizeof chunk, at)) > 0 && bytes.size() < kMaxSnapshotBytes) {
    bytes.insert(bytes.end(), chunk, chunk + got);
    at += got;
  }
  const int readError = got < 0 ? errno : 0;
  if (in != fd_) ::close(in);
  if (readError != 0) return league::Fail(std::string("cannot read the machine's state back: ") + std::strerror(readError));
  if (bytes.empty()) return league::Fail("the machine's state came back empty");
  return HashBytes(bytes);
}

LinkedGameResult PlayLinkedGame(driver::CGameManager& manager, IFrameInputLink& link, const LinkedGameOptions& options) {
  core::CMachine machine(manager.WorkingImage());
  CMachineConsole console(machine);
  CUnpacedFrameClock unpaced;
  CSteadyFrameClock steady;
  CEmulatorThread thread(options.realTime ? static_cast<IFrameClock&>(steady) : unpaced);
  thread.SetDevices({nullptr, nullptr, options.input, &link});

  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  auto finish = [&] {
    std::lock_guard lock(mutex);
    done = true;
    finished.notify_all();
  };
  LinkedGameResult result;
  // A game that does not get through its menus is given up early, as a headless one is.
  const int64_t budget = options.maxFrames > 0 ? options.maxFrames : driver::FrameBudgetFor(manager.QuarterLength());
  std::atomic<int64_t> frameLimit = options.maxFrames > 0 ? budget : std::min(budget, kMenuFrames);
  std::atomic<bool> menusDone = false;
  SummaryUi ui(options.progress, [&](driver::DriverStage stage) {
    if (stage == driver::DriverStage::kMonitoring) {
      menusDone = true;
      frameLimit = budget;
    }
  });
  thread.SetNoticeHandler([&](const std::string& text) {
    {
      std::lock_guard lock(mutex);
      // Once the summary is there the game is over, and the other side may go
      // first (a rollback side runs a few frames past the last one played).
      std::lock_guard shown(ui.mutex);
      if (!ui.summary) result.linkClosed = link.CloseReason();
    }
    ui.Tell(text);
  });
  CPrivateSnapshot snapshot;
  bool hashing = options.hashEvery > 0;
  thread.SetFrameMonitor([&](int64_t frame) {
    if (hashing && frame % options.hashEvery == 0) {
      // A rollback game keeps the state of the frame observed; the machine may be past it.
      const auto kept = thread.ObservedStateHash();
      const auto hash = kept ? league::Result<uint64_t>(*kept) : snapshot.Hash(machine);
      if (hash) {
        if (link.Connected()) link.OfferStateHash(frame, hash.value());
        if (options.stateHash) options.stateHash(frame, hash.value());
      } else {
        // Without the state the two machines cannot be compared: end the link, play on alone.
        hashing = false;
        if (link.Connected()) link.Close(hash.error());
        std::lock_guard lock(mutex);
        result.linkClosed = hash.error();
        ui.Tell("the link closed (" + hash.error() + "); the game goes on without the other side");
      }
    }
    if (frame >= frameLimit) {
      std::lock_guard lock(mutex);
      if (options.maxFrames == 0) {
        result.error = (menusDone ? "the game did not reach its final screen within "
                                  : "the cartridge did not get through its menus within ") +
                       std::to_string(frameLimit.load()) + " frames";
      }
      done = true;
      finished.notify_all();
    }
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
  result.frames = std::min(thread.Counters().framesEmulated, frameLimit.load());
  std::lock_guard lock(ui.mutex);
  result.summary = ui.summary;
  if (result.summary) result.error.clear();
  return result;
}

}  // namespace qgu::host
