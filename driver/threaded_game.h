#pragma once
// A game on real threads and the wall clock, as the desktop program runs it:
// an emulator thread runs the machine's frames paced at 60 a second and hands
// each frame the driver's press; a driver thread runs CGameDriver. Every
// access of the driver to console memory happens between two frames (one lock
// is held around each frame and each access). Stopping cancels the driver's
// waits and joins both threads; nothing is killed.

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
#include "driver/game_machine.h"

namespace qgu::driver {

class CThreadedGame {
 public:
  struct Options {
    // 1 is real time; tests run faster. Frames and the driver's waits scale together.
    double speed = 1.0;
    // Called on the emulator thread before each frame, with the lock held
    // (read the user's devices into the controller ports unless the driver
    // holds the input).
    std::function<void(IGameMachine& machine, bool driverHoldsInput)> beforeFrame;
    // Called on the emulator thread after each frame, with the lock held
    // (present the picture, stream the sound unless the driver holds the input).
    std::function<void(IGameMachine& machine, bool driverHoldsInput)> afterFrame;
    // Called on the driver thread when the driver has ended (the desktop then
    // asks its user-interface thread to stop the game; Stop must not be
    // called from here).
    std::function<void()> driverEnded;
  };

  // machine and ui must outlive the game.
  CThreadedGame(IGameMachine& machine, DriverGame game, IDriverUi& ui, Options options);
  CThreadedGame(IGameMachine& machine, DriverGame game, IDriverUi& ui);
  ~CThreadedGame();
  CThreadedGame(const CThreadedGame&) = delete;
  CThreadedGame& operator=(const CThreadedGame&) = delete;

  // Starts the emulator thread, then the driver thread. Once only.
  void Start();
  // Cancels the driver's waits and joins both threads. Safe to call twice.
  void Stop();

  // Blocks until the driver has ended or the time has passed; true if ended.
  bool WaitForDriver(std::chrono::milliseconds timeout);
  bool DriverEnded() const { return driverEnded_; }
  bool DriverHoldsInput() const { return driverHoldsInput_; }
  int64_t FramesRun() const { return framesRun_; }

 private:
  class Console;

  void EmulatorLoop();
  void DriverMain();
  // Waits on the stop signal; true when stopping.
  bool WaitStopping(std::chrono::steady_clock::time_point until);

  IGameMachine& machine_;
  DriverGame game_;
  IDriverUi& ui_;
  Options options_;
  std::unique_ptr<Console> console_;

  std::mutex frameMutex_;  // around every frame and every memory access
  std::mutex signalMutex_;
  std::condition_variable signal_;
  bool stopping_ = false;

  std::atomic<bool> pressA_{false};
  std::atomic<bool> driverHoldsInput_{true};
  std::atomic<bool> driverEnded_{false};
  std::atomic<int64_t> framesRun_{0};
  std::thread emulatorThread_;
  std::thread driverThread_;
};

}  // namespace qgu::driver
