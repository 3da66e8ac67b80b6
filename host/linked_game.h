#pragma once
// A game linked with another program, without a window: the prepared image
// of a game manager runs on the emulator thread as fast as the link allows
// (no pacing), the game driver rides on it and the netplay link carries the
// controller input, so both programs' machines stay in the same state frame
// for frame; their state hashes go over the link and are compared. qgu2
// --headless --net-host / --net-join plays one this way.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>

#include "driver/game_manager.h"
#include "driver/game_summary.h"
#include "host/netplay_link.h"
#include "league/result.h"

namespace qgu::core {
class CMachine;
}

namespace qgu::host {

struct LinkedGameOptions {
  int64_t maxFrames = 0;   // 0: until the summary, within a headless game's frame budget
  int64_t hashEvery = 60;  // frames between state hashes (both sides alike)
  IInputSource* input = nullptr;  // this side's pads (none: idle); polled only after the boot in lockstep
  bool realTime = false;          // 60 frames a second, as in the window, instead of as fast as the link allows
  std::function<void(int64_t frame, uint64_t stateHash)> stateHash;
  std::function<void(const std::string& line)> progress;
};

struct LinkedGameResult {
  std::optional<driver::GameSummary> summary;
  int64_t frames = 0;
  std::string linkClosed;  // why the link closed during the game; empty when it held
  std::string error;       // the frame budget ran out before the summary
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

 private:
  int fd_ = -1;
  std::string path_;
  std::string folder_;
  std::error_code error_;
};

// PrepareGame must have succeeded on the manager, with the link's shared
// seed. The link is a player's CNetplayLink or a watcher's CWatchLink.
LinkedGameResult PlayLinkedGame(driver::CGameManager& manager, IFrameInputLink& link, const LinkedGameOptions& options);

}  // namespace qgu::host
