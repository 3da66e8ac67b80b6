#pragma once
// The driver's console in a headless game: the driver runs the machine
// itself. A sleep of t ms runs t x 60 / 1000 frames (rounded up), a press is
// the next frame with A on every pad, and nothing depends on the wall clock,
// so a game with a fixed seed is the same on every run.

#include <cstdint>
#include <functional>

#include "driver/driver_host.h"
#include "driver/game_machine.h"

namespace qgu::driver {

// Frames a wait of this many milliseconds lasts.
constexpr int64_t FramesForMilliseconds(int milliseconds) {
  return (int64_t{milliseconds} * kFramesPerSecond + 999) / 1000;
}

class CHeadlessConsole final : public IDriverConsole {
 public:
  // After frameBudget frames every wait throws GameStopped.
  CHeadlessConsole(IGameMachine& machine, int64_t frameBudget);

  void Sleep(int milliseconds) override;
  void PressA() override { pressPending_ = true; }
  void WithMemory(const std::function<void(IConsoleMemory&)>& step) override { step(machine_.Memory()); }
  void SetDriverHoldsInput(bool holds) override { driverHoldsInput_ = holds; }

  // Called after every frame with the frame count so far.
  void SetFrameObserver(std::function<void(int64_t frames, const IConsoleMemory& memory)> observer) {
    frameObserver_ = std::move(observer);
  }

  // Moves the limit, for example when the menus are through.
  void SetFrameBudget(int64_t frameBudget) { frameBudget_ = frameBudget; }
  int64_t FrameBudget() const { return frameBudget_; }
  int64_t Frames() const { return frames_; }
  bool BudgetExhausted() const { return budgetExhausted_; }
  bool DriverHoldsInput() const { return driverHoldsInput_; }

 private:
  void RunOneFrame();

  IGameMachine& machine_;
  int64_t frameBudget_;
  int64_t frames_ = 0;
  bool pressPending_ = false;
  bool driverHoldsInput_ = true;
  bool budgetExhausted_ = false;
  std::function<void(int64_t, const IConsoleMemory&)> frameObserver_;
};

}  // namespace qgu::driver
