#pragma once
// CBootClock: the emulator thread's clock in the window. While the game driver
// holds the input (the boot: title screens, menus, team select, with the
// helmets on show and no picture or sound) the clock never sleeps: the time
// a frame would have waited is added to the clock instead, so the cartridge
// reaches the kickoff in a fraction of real time while the pacing sees an
// ordinary run and has no backlog to give up afterwards.

#include <functional>
#include <thread>

#include "host/frame_clock.h"

namespace qgu::frontend {

class CBootClock final : public host::IFrameClock {
 public:
  // Set before the emulator thread starts: true while frames may run unpaced.
  void SetFastWhile(std::function<bool()> fast) { fast_ = std::move(fast); }

  // Both on the emulator thread only.
  uint32_t NowMs() override { return steady_.NowMs() + skippedMs_; }
  void SleepMs(int milliseconds) override {
    if (Booting()) {
      skippedMs_ += static_cast<uint32_t>(milliseconds) + 1;
      std::this_thread::yield();
    } else {
      steady_.SleepMs(milliseconds);
    }
  }

 private:
  // Only until the first hand-over: when the driver takes the input again at
  // the end of the game, the summary is up and frames go at their own pace.
  bool Booting() {
    if (booted_ || !fast_) return false;
    booted_ = !fast_();
    return !booted_;
  }

  host::CSteadyFrameClock steady_;
  std::function<bool()> fast_;
  uint32_t skippedMs_ = 0;
  bool booted_ = false;
};

}  // namespace qgu::frontend
