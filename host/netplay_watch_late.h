#pragma once
// CLateWatchers: the host's game sent to watchers that come after its first
// frame (CSpectatorHost::TakeLateWatchers). A watcher's machine can go on
// from the host's snapshot, but its game driver has to go on too, and the
// driver, once the hand-over is past, only looks at the game now and then
// (every kMonitorPollMs, calling the plays of a computer side). So the game
// is taken at the frame boundary just before one of those looks (the frame
// monitor runs before the driver): the machine's snapshot, the frame, and
// the driver's state as the previous look left it. The watcher's driver
// then makes that look itself, at the same frame, and every one after.
// Watchers that come during the boot wait for the second look after the
// kickoff; once the game is over they are refused.
//
// Use: Attach to the game's DriverGame before the driver starts, and call
// AtFrame from the frame monitor after each frame (LinkStateChecks does when
// StateCheckOptions::lateWatchers is set). Must outlive both.

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "driver/game_driver.h"
#include "league/result.h"

namespace qgu::driver {
class CGameManager;
}

namespace qgu::host {

class CSpectatorHost;

class CLateWatchers {
 public:
  explicit CLateWatchers(CSpectatorHost& watchers);
  CLateWatchers(const CLateWatchers&) = delete;
  CLateWatchers& operator=(const CLateWatchers&) = delete;

  // The driver's looks tell this object the monitor's state and the manager's play calling.
  void Attach(driver::DriverGame& game, driver::CGameManager& manager);
  // After each frame, before the driver acts at it; machineState: the snapshot bytes of that frame.
  void AtFrame(int64_t frame, const std::function<league::Result<std::vector<uint8_t>>()>& machineState);

 private:
  struct Look {
    int64_t frame = 0;
    driver::MonitorState monitor;
    driver::PlayCallingState playCalling;
  };
  void Looked(const driver::MonitorState& monitor, const driver::PlayCallingState& playCalling, bool over);
  void Send(int64_t frame, const Look& look,
            const std::function<league::Result<std::vector<uint8_t>>()>& machineState);

  CSpectatorHost& watchers_;
  std::mutex mutex_;
  int64_t monitoredFrame_ = 0;  // the frame the driver acts at when it looks
  std::optional<Look> last_;
  bool over_ = false;
};

}  // namespace qgu::host
