#pragma once
// A game on real threads, as the desktop program runs it: the machine's
// frames run on the real-time frame loop (the emulator thread), and the game
// driver runs on a thread of its own. The driver's waits are counted in the
// loop's frames and the loop holds still while the driver looks at memory, so
// the driver acts at the same frames as in a headless game, whatever the
// threads' timing (two linked programs stay in step). Stopping cancels the
// driver wherever it is, also inside the summary or a message; nothing is
// killed.
//
// How the window uses it: after starting the emulator thread it makes a
// CThreadedGame on it with its IDriverUi and Start()s it; Stop() (Game ->
// Stop, a new game, exit) ends and joins the driver thread; driverEnded
// tells the window to stop the game. IDriverUi calls other than ShowSummary
// and ShowMessage are made while the frames wait for the driver: they must
// return at once (post to the user-interface thread, never wait for it).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "driver/driver_host.h"
#include "driver/game_driver.h"

namespace qgu::driver {

// The real-time loop that runs the machine's frames (the emulator thread).
class IFrameLoop {
 public:
  virtual ~IFrameLoop() = default;
  // Called on the loop's thread after every frame, outside the frame, with the
  // number of frames run so far; null removes it (returning only once a call
  // in progress has returned).
  virtual void SetFrameObserver(std::function<void(int64_t frame)> observer) = 0;
  // One frame of A on every pad at the next frame; a pending request merges.
  virtual void RequestPressA() = 0;
  virtual void SetDriverHoldsInput(bool holds) = 0;
  virtual bool DriverHoldsInput() const = 0;
  // Runs step between two frames (waits while a frame runs).
  virtual void BetweenFrames(const std::function<void(IConsoleMemory&)>& step) = 0;
};

class CThreadedGame {
 public:
  struct Options {
    // Runs work on the user-interface thread (a queued call). The summary and
    // the driver's messages are shown through it, and a stop cancels the
    // wait for them. Without it they are shown on the driver thread.
    std::function<void(std::function<void()> work)> postToUi;
    // Called by Stop before it joins the driver: close the summary or message
    // the driver may be showing.
    std::function<void()> closeInteraction;
    // Called on the driver thread when the driver has ended (the window then
    // stops the game; Stop must not be called from here).
    std::function<void()> driverEnded;
  };

  // loop and ui must outlive the game.
  CThreadedGame(IFrameLoop& loop, DriverGame game, IDriverUi& ui, Options options = {});
  ~CThreadedGame();
  CThreadedGame(const CThreadedGame&) = delete;
  CThreadedGame& operator=(const CThreadedGame&) = delete;

  // Starts the driver thread; it first acts after the loop's next frame. For
  // a linked game start it before the loop runs its first frame, so both
  // programs' drivers act at the same frames. Once only.
  void Start();
  // Cancels the driver wherever it is and joins its thread. Safe to call twice.
  void Stop();

  // Blocks until the driver has ended or the time has passed (real time); true if ended.
  bool WaitForDriver(std::chrono::milliseconds timeout);
  bool DriverEnded() const { return driverEnded_; }
  // Frames the loop has run while the game was started.
  int64_t FramesSeen() const;

 private:
  class Console;
  class Ui;

  void DriverMain();
  void OnFrame(int64_t frame);
  // The driver's side of the hand-over.
  void SleepFrames(int64_t frames);
  // Throws GameStopped when stopping instead.
  void WaitForStep(std::unique_lock<std::mutex>& lock);
  void ReleaseFrames();
  bool Stopping() const;

  IFrameLoop& loop_;
  DriverGame game_;
  IDriverUi& ui_;
  Options options_;
  std::unique_ptr<Console> console_;
  std::unique_ptr<Ui> uiAdapter_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  int64_t frames_ = 0;
  int64_t stepFrame_ = 0;      // the frame at which the driver last woke
  int64_t wakeFrame_ = 0;      // first frame the sleeping driver wants
  bool driverSleeping_ = false;
  bool driverHasFrames_ = false;  // the loop waits for the driver to sleep again
  bool stopping_ = false;

  std::atomic<bool> driverEnded_{false};
  std::thread driverThread_;
};

}  // namespace qgu::driver
