#include "host/linked_game.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "core/machine.h"
#include "driver/cartridge_memory.h"
#include "driver/headless_game.h"
#include "driver/threaded_game.h"
#include "host/emulator_thread.h"
#include "host/machine_console.h"
#include "host/netplay_watch_late.h"
#include "host/snapshot_layout.h"

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
  auto bytes = Take(machine);
  if (!bytes) return league::Fail(bytes.error());
  return HashBytes(bytes.value());
}

league::Status CPrivateSnapshot::Put(std::span<const uint8_t> bytes) {
  const int out = fd_ >= 0 ? fd_ : ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (out < 0) return league::Fail(std::string("cannot keep the other machine's state: ") + std::strerror(errno));
  bool written = fd_ < 0 || ::ftruncate(out, 0) == 0;
  for (size_t done = 0; written && done < bytes.size();) {
    const ssize_t put = ::pwrite(out, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    written = put > 0;
    if (written) done += static_cast<size_t>(put);
  }
  const int writeError = written ? 0 : errno;
  if (out != fd_) ::close(out);
  if (!written) return league::Fail(std::string("cannot keep the other machine's state: ") + std::strerror(writeError));
  return {};
}

league::Status CPrivateSnapshot::Load(core::CMachine& machine, std::span<const uint8_t> bytes) {
  auto own = Take(machine);  // the layout to compare with, and the way back
  if (!own) return league::Fail(own.error());
  if (const std::string differs = SnapshotLayoutDifference(own.value(), bytes); !differs.empty()) {
    return league::Fail("it does not fit this machine: " + differs);
  }
  auto restore = [&](const std::string& why) -> league::Status {
    if (Put(own.value())) {
      try {
        machine.LoadSnapshot(path_);
        return league::Fail(why);
      } catch (const std::exception&) {
      }
    }
    return league::Fail(why + "; this machine's own state could not be put back");
  };
  if (auto put = Put(bytes); !put) return restore(put.error());
  try {
    machine.LoadSnapshot(path_);
  } catch (const std::exception& error) {
    return restore(std::string("the snapshot reader refused it: ") + error.what());
  }
  return {};
}

league::Result<std::vector<uint8_t>> CPrivateSnapshot::Take(core::CMachine& machine) {
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
  return bytes;
}

namespace {

// Lives in the frame monitor; the link's hooks reach it while it does.
struct StateChecks {
  StateChecks(core::CMachine& machine, IFrameInputLink& link, StateCheckOptions options)
      : machine(machine), link(link), options(std::move(options)) {}

  void AfterFrame(int64_t frame) {
    if (options.afterFrame) options.afterFrame(frame, machine);
    if (options.lateWatchers) options.lateWatchers->AtFrame(frame, [this] { return State(); });
    if (!hashing || options.hashEvery <= 0 || frame % options.hashEvery != 0) return;
    const auto kept = options.keptHash ? options.keptHash() : std::nullopt;
    const auto hash = kept ? league::Result<uint64_t>(*kept) : snapshot.Hash(machine);
    if (hash) {
      if (link.Connected()) link.OfferStateHash(frame, hash.value());
      if (options.stateHash) options.stateHash(frame, hash.value());
      return;
    }
    // Without the state the two machines cannot be compared: end the link, play on alone.
    hashing = false;
    if (link.Connected()) link.Close(hash.error());
    if (options.failed) options.failed(hash.error());
  }

  league::Result<std::vector<uint8_t>> State() {
    if (auto kept = options.keptState ? options.keptState() : std::nullopt) return std::move(*kept);
    return snapshot.Take(machine);
  }

  core::CMachine& machine;
  IFrameInputLink& link;
  StateCheckOptions options;
  CPrivateSnapshot snapshot;
  bool hashing = true;
};

}  // namespace

std::function<void(int64_t frame)> LinkStateChecks(core::CMachine& machine, IFrameInputLink& link,
                                                   StateCheckOptions options) {
  auto checks = std::make_shared<StateChecks>(machine, link, std::move(options));
  const std::weak_ptr<StateChecks> reach = checks;
  ResyncHooks hooks;
  hooks.take = [reach]() -> league::Result<std::vector<uint8_t>> {
    const auto checks = reach.lock();
    if (!checks) return league::Fail("the game has ended");
    return checks->snapshot.Take(checks->machine);
  };
  hooks.load = [reach](std::span<const uint8_t> bytes) -> league::Status {
    const auto checks = reach.lock();
    if (!checks) return league::Fail("the game has ended");
    return checks->snapshot.Load(checks->machine, bytes);
  };
  hooks.happened = [reach](int64_t, const std::string& text) {
    if (const auto checks = reach.lock(); checks && checks->options.resynced) checks->options.resynced(text);
  };
  // A player's link mends a mismatch; a watcher's has nothing to send or wait for.
  if (auto* player = dynamic_cast<CNetplayLink*>(&link)) player->SetResyncHooks(std::move(hooks));
  return [checks](int64_t frame) { checks->AfterFrame(frame); };
}

std::function<void(int64_t frame)> ThreadStateChecks(CEmulatorThread& thread, core::CMachine& machine,
                                                     IFrameInputLink& link, StateCheckOptions options) {
  options.keptHash = [&thread] { return thread.ObservedStateHash(); };
  options.keptState = [&thread] { return thread.ObservedState(); };
  return LinkStateChecks(machine, link, std::move(options));
}

namespace {

// "quarter 2, 3:05" from the cartridge's period and BCD clock.
std::string GameClockText(core::CMachine& machine) {
  const uint8_t period = machine.PeekByte(driver::cartmem::kQuarter);
  const uint8_t minutes = machine.PeekByte(driver::cartmem::kClockMinutes);
  const uint8_t seconds = machine.PeekByte(driver::cartmem::kClockSeconds);
  char text[48];
  const auto bcd = [](uint8_t value) { return (value >> 4) * 10 + (value & 15); };
  if (period > driver::cartmem::kFourthQuarter) {
    std::snprintf(text, sizeof text, "overtime, %d:%02d", bcd(minutes), bcd(seconds));
  } else {
    std::snprintf(text, sizeof text, "quarter %d, %d:%02d", period + 1, bcd(minutes), bcd(seconds));
  }
  return text;
}

}  // namespace

league::Result<std::string> TakeUpGameUnderWay(const WatchJoin& joined, core::CMachine& machine,
                                               driver::CGameManager& manager, driver::DriverGame& driverGame) {
  CPrivateSnapshot loading;
  if (auto loaded = loading.Load(machine, joined.machine); !loaded) {
    return league::Fail("the host's game under way was refused: " + loaded.error());
  }
  manager.ResumePlayCalling(joined.playCalling);
  driverGame.joinedAt = joined.monitor;
  return "from frame " + std::to_string(joined.frame) + ": " + GameClockText(machine);
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
  driver::DriverGame driverGame = driver::DriverGameFrom(manager);
  if (options.joined) {
    auto taken = TakeUpGameUnderWay(*options.joined, machine, manager, driverGame);
    if (!taken) {
      result.error = taken.error();
      return result;
    }
    if (options.progress) options.progress("watching " + taken.value());
  }
  // A game that does not get through its menus is given up early, as a headless one is.
  const int64_t budget = options.maxFrames > 0 ? options.maxFrames : driver::FrameBudgetFor(manager.QuarterLength());
  std::atomic<int64_t> frameLimit = options.maxFrames > 0 || options.joined ? budget : std::min(budget, kMenuFrames);
  std::atomic<bool> menusDone = false;
  std::atomic<bool> gameOver = false;
  SummaryUi ui(options.progress, [&](driver::DriverStage stage) {
    if (stage >= driver::DriverStage::kWaitingForFinalScreen && stage != driver::DriverStage::kEnded) gameOver = true;
    if (stage == driver::DriverStage::kMonitoring) {
      menusDone = true;
      frameLimit = budget;
    }
  });
  thread.SetNoticeHandler([&](const std::string& text) {
    {
      std::lock_guard lock(mutex);
      // Once the clock has run out the other side may go first: it shows its
      // summary and leaves while this side's driver still reads the statistics
      // (a rollback side also runs a few frames past the last one played).
      std::lock_guard shown(ui.mutex);
      if (!ui.summary && !gameOver) result.linkClosed = link.CloseReason();
    }
    ui.Tell(text);
  });
  StateCheckOptions checking;
  checking.hashEvery = options.hashEvery;
  // Up to the game's end only: after it each side runs on a few frames until it stops, as many as its timing gives.
  checking.stateHash = [&](int64_t frame, uint64_t hash) {
    if (!gameOver && options.stateHash) options.stateHash(frame, hash);
  };
  checking.afterFrame = options.afterFrame;
  std::optional<CLateWatchers> lateWatchers;
  if (options.watchers) {
    lateWatchers.emplace(*options.watchers);
    lateWatchers->Attach(driverGame, manager);
    checking.lateWatchers = &*lateWatchers;
  }
  checking.resynced = [&](const std::string& text) {
    {
      std::lock_guard lock(mutex);
      result.resyncs.push_back(text);
    }
    ui.Tell(text);
  };
  checking.failed = [&](const std::string& error) {
    {
      std::lock_guard lock(mutex);
      result.linkClosed = error;
    }
    ui.Tell("the link closed (" + error + "); the game goes on without the other side");
  };
  const auto checkState = ThreadStateChecks(thread, machine, link, std::move(checking));
  thread.SetFrameMonitor([&](int64_t frame) {
    checkState(frame);
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
  driver::CThreadedGame game(thread, std::move(driverGame), ui, gameOptions);
  game.Start();  // before the first frame, as on the other side
  if (thread.Start(console, options.joined ? options.joined->frame : 0)) {
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
