#pragma once
// A game linked with another program, without a window: the prepared image
// of a game manager runs on the emulator thread as fast as the link allows
// (no pacing), the game driver rides on it and the netplay link carries the
// controller input, so both programs' machines stay in the same state frame
// for frame. qgu2 --headless --net-host / --net-join plays one this way.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "driver/game_manager.h"
#include "driver/game_summary.h"
#include "host/netplay_link.h"

namespace qgu::host {

struct LinkedGameOptions {
  int64_t maxFrames = 0;     // 0: until the summary
  int64_t hashEvery = 600;   // frames between state hashes
  std::function<void(int64_t frame, uint64_t stateHash)> stateHash;
  std::function<void(const std::string& line)> progress;
};

struct LinkedGameResult {
  std::optional<driver::GameSummary> summary;
  int64_t frames = 0;
  std::string linkClosed;  // why the link closed during the game; empty when it held
};

// The machine's whole state (its snapshot) as a 64-bit FNV-1a hash.
uint64_t HashBytes(const std::string& bytes);

// PrepareGame must have succeeded on the manager, with the link's shared seed.
LinkedGameResult PlayLinkedGame(driver::CGameManager& manager, CNetplayLink& link, const LinkedGameOptions& options);

}  // namespace qgu::host
