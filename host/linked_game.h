#pragma once
// A game linked with another program, without a window: the prepared image
// of a game manager runs on the emulator thread as fast as the link allows
// (no pacing), the game driver rides on it and the netplay link carries the
// controller input, so both programs' machines stay in the same state frame
// for frame; their state hashes go over the link and are compared, and when
// they differ both go on from the host's machine. qgu2 --headless --net-host
// / --net-join plays one this way; the window's linked games use the same
// checks (LinkStateChecks).

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "driver/game_driver.h"
#include "driver/game_manager.h"
#include "driver/game_summary.h"
#include "host/netplay_link.h"
#include "host/netplay_watch_join.h"
#include "league/result.h"

namespace qgu::core {
class CMachine;
}

namespace qgu::host {

class CEmulatorThread;
class CLateWatchers;
class CSpectatorHost;

struct LinkedGameOptions {
  int64_t maxFrames = 0;   // 0: until the summary, within a headless game's frame budget
  int64_t hashEvery = 60;  // frames between state hashes (both sides alike)
  IInputSource* input = nullptr;  // this side's pads (none: idle); polled only after the boot in lockstep
  bool realTime = false;          // 60 frames a second, as in the window, instead of as fast as the link allows
  std::function<void(int64_t frame, uint64_t stateHash)> stateHash;  // up to the game's end (its final screen)
  std::function<void(const std::string& line)> progress;
  // On the emulator thread after each frame, before the hash (tests: a change of the machine).
  std::function<void(int64_t frame, core::CMachine& machine)> afterFrame;
  // A host's watchers: those that come after the first frame are sent the game under way.
  CSpectatorHost* watchers = nullptr;
  // A watcher that came late: the host's game under way, which this side goes on from.
  const WatchJoin* joined = nullptr;
};

struct LinkedGameResult {
  std::optional<driver::GameSummary> summary;
  int64_t frames = 0;
  std::string linkClosed;  // why the link closed during the game; empty when it held
  std::string error;       // the frame budget ran out before the summary
  std::vector<std::string> resyncs;  // a line for each time both went on from the host's game
};

// The machine's state, written where nobody else can reach it (an anonymous
// memory file, else a fresh folder only this user may enter), and hashed.
class CPrivateSnapshot {
 public:
  static constexpr size_t kMaxSnapshotBytes = 1 << 20;
  CPrivateSnapshot();
  ~CPrivateSnapshot();
  CPrivateSnapshot(const CPrivateSnapshot&) = delete;
  CPrivateSnapshot& operator=(const CPrivateSnapshot&) = delete;
  // Errors are values: a full or read-only place says so.
  league::Result<uint64_t> Hash(core::CMachine& machine);
  league::Result<std::vector<uint8_t>> Take(core::CMachine& machine);
  // Another machine's snapshot, laid out as this machine's own (host/snapshot_layout.h) and read
  // by the one snapshot reader; refused bytes, or bytes the reader fails on, leave the machine as it was.
  league::Status Load(core::CMachine& machine, std::span<const uint8_t> bytes);

 private:
  league::Status Put(std::span<const uint8_t> bytes);

  int fd_ = -1;
  std::string path_;
  std::string folder_;
  std::error_code error_;
};

struct StateCheckOptions {
  int64_t hashEvery = 60;
  std::function<void(int64_t frame, uint64_t stateHash)> stateHash;  // up to the game's end (its final screen)
  std::function<void(int64_t frame, core::CMachine& machine)> afterFrame;
  // A rollback game keeps the state of the frame observed (the machine may be past it).
  std::function<std::optional<uint64_t>()> keptHash;
  // On the emulator thread: both went on from the host's game (a line for the user).
  std::function<void(const std::string& text)> resynced;
  // On the emulator thread: the state could not be taken, and the link has closed.
  std::function<void(const std::string& error)> failed;
  // A host's watchers that come late, given the game at a frame boundary.
  CLateWatchers* lateWatchers = nullptr;
  // A rollback game's snapshot bytes of the frame observed, as keptHash.
  std::function<std::optional<std::vector<uint8_t>>()> keptState;
};

// A machine going on from a game under way: the host's snapshot loaded (its
// layout checked first), the play calling resumed and the driver set to take
// the game up; the line for the user ("from frame 4230: quarter 2, 3:05").
league::Result<std::string> TakeUpGameUnderWay(const WatchJoin& joined, core::CMachine& machine,
                                               driver::CGameManager& manager, driver::DriverGame& driverGame);

// The checks of a linked game's machine: the returned frame monitor (for the
// emulator thread, after each frame) offers the link the machine's state hash
// every hashEvery frames, and the link's resync hooks take and load the
// machine's snapshot. machine and link must outlive the run; the hooks do
// nothing once the monitor is gone.
std::function<void(int64_t frame)> LinkStateChecks(core::CMachine& machine, IFrameInputLink& link,
                                                   StateCheckOptions options);

// The checks for the frames of an emulator thread, in the window as in a
// headless game: in a rollback game the hash offered is the observed
// (confirmed) frame's, not the machine's, which may stand frames further on.
std::function<void(int64_t frame)> ThreadStateChecks(CEmulatorThread& thread, core::CMachine& machine,
                                                     IFrameInputLink& link, StateCheckOptions options);

// PrepareGame must have succeeded on the manager, with the link's shared
// seed. The link is a player's CNetplayLink or a watcher's CWatchLink.
LinkedGameResult PlayLinkedGame(driver::CGameManager& manager, IFrameInputLink& link, const LinkedGameOptions& options);

}  // namespace qgu::host
