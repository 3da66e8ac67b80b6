#pragma once
// CGameSession: one game's running parts in the window: the machine made
// from the prepared cartridge image, the emulator thread that runs it in real
// time with the process's devices, and the game driver riding on that thread.
// The window makes one per game (StartEmulation) and stops it with Stop
// (Game -> Stop, a new game, Exit); the machine stays until the session goes.

#include <chrono>
#include <functional>
#include <memory>
#include <span>

#include "core/machine.h"
#include "driver/threaded_game.h"
#include "host/emulator_thread.h"
#include "host/machine_console.h"

namespace qgu::frontend {

class CGameSession {
 public:
  // Makes the machine; throws what the machine throws for a refused image.
  // clock: the emulator thread's clock (null: the boot runs unpaced, then the
  // steady clock).
  CGameSession(std::span<const uint8_t> image, const core::MachineSettings& settings,
               std::unique_ptr<host::IFrameClock> clock = nullptr);
  ~CGameSession();
  CGameSession(const CGameSession&) = delete;
  CGameSession& operator=(const CGameSession&) = delete;

  core::CMachine& Machine() { return *machine_; }
  host::CEmulatorThread& Thread() { return *thread_; }

  // Starts the emulator thread; false when it cannot be made. framesPlayed:
  // the machine goes on from another's state after that many frames.
  bool StartEmulation(const host::EmulatorDevices& devices, const host::PacingSettings& pacing,
                      std::function<void(const std::string&)> notice, int64_t framesPlayed = 0);
  // Starts the game driver on the running emulator thread. ui must outlive the session.
  void StartDriver(driver::DriverGame game, driver::IDriverUi& ui, driver::CThreadedGame::Options options);

  bool Running() const { return thread_->IsRunning(); }
  void Pause() { thread_->Pause(); }
  void Resume() { thread_->Resume(); }
  // Ends the driver (closing what it shows) and the emulator thread, joining
  // both. Safe to call again.
  void Stop();

  // The emulator thread's counters (they stay after it stops) and how long it ran.
  host::RuntimeCounters Counters() const;
  double RunningSeconds() const;

 private:
  std::unique_ptr<host::IFrameClock> clock_;
  std::unique_ptr<core::CMachine> machine_;
  std::unique_ptr<host::CMachineConsole> console_;
  std::unique_ptr<host::CEmulatorThread> thread_;
  std::unique_ptr<driver::CThreadedGame> game_;
  std::chrono::steady_clock::time_point started_{};
  std::chrono::steady_clock::duration ran_{};
  bool stopped_ = false;
};

}  // namespace qgu::frontend
