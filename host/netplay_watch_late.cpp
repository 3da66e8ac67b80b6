#include "host/netplay_watch_late.h"

#include <chrono>
#include <cstdio>

#include "driver/game_manager.h"
#include "driver/headless_console.h"
#include "host/netplay_spectator.h"
#include "host/netplay_watch_join.h"

namespace qgu::host {
namespace {

constexpr int64_t kLookFrames = driver::FramesForMilliseconds(driver::kMonitorPollMs);

}  // namespace

CLateWatchers::CLateWatchers(CSpectatorHost& watchers) : watchers_(watchers) { watchers_.TakeLateWatchers(); }

void CLateWatchers::Attach(driver::DriverGame& game, driver::CGameManager& manager) {
  game.monitorPolled = [this, &manager](const driver::MonitorState& monitor, bool over) {
    Looked(monitor, manager.PlayCalling(), over);
  };
}

void CLateWatchers::Looked(const driver::MonitorState& monitor, const driver::PlayCallingState& playCalling, bool over) {
  std::lock_guard lock(mutex_);
  last_ = Look{monitoredFrame_, monitor, playCalling};
  over_ = over_ || over;
}

void CLateWatchers::AtFrame(int64_t frame, const std::function<league::Result<std::vector<uint8_t>>()>& machineState) {
  std::optional<Look> look;
  bool over = false;
  {
    std::lock_guard lock(mutex_);
    monitoredFrame_ = frame;
    look = last_;
    over = over_;
  }
  if (!watchers_.LateWatcherWaiting()) return;
  if (over) {
    watchers_.RefuseLateWatchers("the game is over");
    return;
  }
  // During the boot, and between two looks, they wait.
  if (look && look->frame + kLookFrames == frame) Send(frame, *look, machineState);
}

void CLateWatchers::Send(int64_t frame, const Look& look,
                         const std::function<league::Result<std::vector<uint8_t>>()>& machineState) {
  const auto started = std::chrono::steady_clock::now();
  auto machine = machineState();
  if (!machine) {
    watchers_.RefuseLateWatchers("the host cannot take its game's state: " + machine.error());
    return;
  }
  auto message = EncodeWatchJoin({frame, look.monitor, look.playCalling, std::move(machine).value()});
  if (!message) {
    watchers_.RefuseLateWatchers("the host cannot send its game: " + message.error());
    return;
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  char taken[96];
  std::snprintf(taken, sizeof taken, "its state in %zu bytes, taken in %.2f ms", message.value().size(), ms);
  watchers_.OfferGameUnderWay(frame, std::move(message).value(), taken);
}

}  // namespace qgu::host
