#pragma once
// CRollbackSession: the frames of a rollback game, as the emulator thread
// runs them. Each frame this side's input is read and sent a frame ahead
// (kRollbackInputDelay), the frame runs at once with a guess of the other
// side's input (its last known one), and the machine's state after it is
// kept in memory. When the other side's real input for a frame differs from
// the guess, the state before that frame is restored and the frames since are
// run again, undrawn and unheard. The present runs at most kRollbackWindow
// frames past the other side's input; beyond that it waits. While the game
// driver holds the input the side ahead waits for the other, so play starts
// with both sides even.
//
// The game driver (and any frame monitor) acts only on confirmed frames,
// those played with both sides' real input, in order, exactly as in a
// lockstep game: it reads the kept state of that frame, and when it writes
// memory, presses A or takes or hands back the input, the machine goes back
// to that frame and the frames since are run again with what it did. So both
// modes give the same game for the same input.

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include "core/snapshot.h"
#include "driver/console_memory.h"
#include "host/rollback_link.h"
#include "host/runtime_devices.h"

namespace qgu::host {

class IFrameConsole;

class CRollbackSession {
 public:
  struct Hooks {
    std::function<void(int64_t frame)> observe;  // the frame monitor and the driver, at a confirmed frame
    std::function<bool()> takePressA;            // the driver's press of A, once
    std::function<bool()> driverHoldsInput;
    std::function<void()> waiting;               // while the other side's input is awaited
  };
  enum class Step { kRan, kHeld, kEnded };

  // Everything must outlive the session; frameMutex is held while the
  // machine runs and released while a confirmed frame is observed.
  CRollbackSession(CRollbackLink& link, bool isHost, IFrameConsole& console, IInputSource* input,
                   std::mutex& frameMutex, Hooks hooks);

  // The next frame of the present (drawn when asked). kHeld: not run, to let
  // the other side catch up. kEnded: the link has closed; the frames run so
  // far have been observed as played, and the game goes on without the
  // session. Throws what the machine throws.
  Step RunFrame(bool draw);
  bool Active() const { return active_; }
  int64_t Present() const { return present_; }

  // For the driver's look at memory (on its thread, frameMutex held, while
  // the emulator thread observes): the confirmed frame's memory.
  bool Observing() const { return observing_ > 0; }
  void WithObservedMemory(const std::function<void(driver::IConsoleMemory&)>& step);
  // The state hash of the frame being observed (the snapshot file's bytes).
  std::optional<uint64_t> ObservedStateHash() const;
  std::optional<std::vector<uint8_t>> ObservedState() const;

 private:
  class ObservedMemory;
  static constexpr size_t kKept = 32;  // frames of state and input, more than window and delay need
  static size_t Slot(int64_t frame);

  void Begin();
  void ReadLocalInput(int64_t frame);
  void TakeRemoteInput();
  bool WaitForWindow(std::unique_lock<std::mutex>& lock);
  void Walk(int64_t target, bool draw, std::unique_lock<std::mutex>& lock);
  void ObserveConfirmed(int64_t frame, std::unique_lock<std::mutex>& lock);
  void Run(int64_t frame, bool draw, bool rerun);
  void Restore(int64_t frame);
  void BringBackObserved();
  uint32_t RemoteGuess(int64_t frame) const;
  Step End(std::unique_lock<std::mutex>& lock);
  int Lead() const;
  bool WaitWhileAhead();
  bool Held();
  void Publish();

  CRollbackLink& link_;
  bool isHost_;
  IFrameConsole& console_;
  IInputSource* input_;
  std::mutex& frameMutex_;
  Hooks hooks_;

  bool begun_ = false;
  bool active_ = true;
  bool linkLost_ = false;
  int64_t present_ = 0;    // frames of the present
  int64_t machineAt_ = 0;  // the frame the machine stands after (present_, or earlier while going back)
  int64_t confirmed_ = 0;  // frames observed as played
  int64_t checked_ = 0;    // remote frames compared with the guess
  int64_t firstWrong_ = 0; // earliest frame run on a wrong guess, 0: none
  int64_t observing_ = 0;  // the confirmed frame being observed, 0: none
  bool observedWritten_ = false;
  bool holds_ = true;      // the driver holds the input from the next confirmed frame on
  int64_t pressFrame_ = 0; // the frame the driver's press of A is for
  int leadFrames_ = 0;     // frames in a row this side has led the other

  std::array<core::MachineState, kKept> states_;  // after each frame
  std::array<uint32_t, kKept> local_{};           // this side's input by frame
  std::array<uint32_t, kKept> guessed_{};         // the other side's input a frame ran with
  std::array<bool, kKept> ranHeld_{};             // the frame ran with the driver holding the input
  std::array<uint32_t, kKept> both_{};            // both sides' input a frame ran with
  RollbackCounters counters_;
};

}  // namespace qgu::host
