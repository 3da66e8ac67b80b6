#pragma once
// The clock the emulator thread paces frames against: a millisecond count
// that may wrap, and a sleep. The program uses the steady clock; tests use
// a clock they move themselves.

#include <chrono>
#include <cstdint>
#include <thread>

namespace qgu::host {

class IFrameClock {
 public:
  virtual ~IFrameClock() = default;
  virtual uint32_t NowMs() = 0;
  virtual void SleepMs(int milliseconds) = 0;
};

class CSteadyFrameClock final : public IFrameClock {
 public:
  uint32_t NowMs() override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }
  void SleepMs(int milliseconds) override {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

// A clock that stands still and never sleeps: every pass of the emulator
// thread runs one frame at once (runs without pacing: linked headless games,
// tests).
class CUnpacedFrameClock final : public IFrameClock {
 public:
  uint32_t NowMs() override { return 0; }
  void SleepMs(int) override { std::this_thread::yield(); }
};

}  // namespace qgu::host
