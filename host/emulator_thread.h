#pragma once
// CEmulatorThread: runs the machine frame after frame in real time. Each pass
// it runs as many frames as the clock demands (drawing only the last, at most
// 20; further behind it gives up the backlog), feeds the controller ports once
// per frame (the user's devices, the game driver's press of A, the netplay
// link), fills the sound stream, presents the picture and keeps the
// "FPS:%d.%01d" read-out. The user-interface thread commands it with Start,
// Pause, Resume and Stop, each of which returns once the thread has taken it.
//
// How the window uses it: one per game. Make the machine, wrap it in a
// CMachineConsole (host/machine_console.h), SetDevices with the process's
// video output, sound output, input and (when linked) netplay link,
// SetSettings from "AutoFrameSkip" and "FPSDisp", SetNoticeHandler to hear
// of a frozen emulation or a closed link (called on the emulator thread: post
// it to the window), then Start. Game -> Pause / Resume map to Pause /
// Resume, Game -> Stop to Stop. The game driver rides on it as an
// IFrameLoop (driver/threaded_game.h). Counters() tells how the run went.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "driver/console_memory.h"
#include "driver/threaded_game.h"
#include "host/frame_clock.h"
#include "host/runtime_devices.h"

namespace qgu::core {
struct MachineState;
}

namespace qgu::host {

class CRollbackSession;

// The machine as the emulator thread runs it.
class IFrameConsole {
 public:
  virtual ~IFrameConsole() = default;
  virtual void AttachRenderBuffer(uint8_t* buffer) = 0;
  virtual void SetPadButtons(const std::array<uint16_t, 4>& pads) = 0;
  // The controller ports sample the pads; pressA holds A on every pad.
  virtual void SyncInput(bool pressA) = 0;
  virtual uint32_t FrameInput() = 0;
  virtual void SetFrameInput(uint32_t input) = 0;
  virtual void RunFrame(bool draw) = 0;
  // The picture unit's $2001 as it stands.
  virtual uint8_t MaskRegister() const = 0;
  virtual void FillSound(uint8_t* buffer, int bytes) = 0;
  virtual driver::IConsoleMemory& Memory() = 0;
  virtual int FrameRate() const = 0;
  // The machine's state in memory, for rollback games; false: it has none.
  virtual bool SaveState(core::MachineState& /*state*/) { return false; }
  virtual void RestoreState(const core::MachineState& /*state*/) {}
  // Off while frames are run again: their sound is not heard twice.
  virtual void SetSoundHeard(bool /*heard*/) {}
};

struct EmulatorDevices {
  IVideoSink* video = nullptr;
  ISoundStream* sound = nullptr;
  IInputSource* input = nullptr;
  IFrameInputLink* link = nullptr;
};

struct PacingSettings {
  bool autoFrameSkip = true;  // "AutoFrameSkip"
  bool fpsDisplay = false;    // "FPSDisp"
};

// What a run did, for the user and for benchmarks.
struct RuntimeCounters {
  int64_t framesEmulated = 0;
  int64_t framesDrawn = 0;    // the last frame of each pass
  int64_t framesSkipped = 0;  // run without drawing to catch up
  int64_t resyncs = 0;        // backlogs given up
  int64_t soundBlocksWritten = 0;
  int64_t soundBlocksMissed = 0;  // the play cursor moved on more than one block between looks
  // Linked: frames of play whose input waited kLinkHeldMs or more for the
  // other side, and the milliseconds they waited in all.
  int64_t linkFramesHeld = 0;
  int64_t linkHeldMs = 0;
  int fpsTenths = 0;              // the last frame-rate read-out, in tenths
};

// A wait for the other side's input this long holds the frame (a frame lasts 16.7 ms).
inline constexpr uint32_t kLinkHeldMs = 2;

// The read-out text of a rate in tenths of frames per second.
std::string FpsText(int fpsTenths);

class CEmulatorThread final : public driver::IFrameLoop {
 public:
  enum class State { kStopped, kRunning, kPaused };

  explicit CEmulatorThread(IFrameClock& clock);
  CEmulatorThread();  // on the steady clock
  ~CEmulatorThread() override;
  CEmulatorThread(const CEmulatorThread&) = delete;
  CEmulatorThread& operator=(const CEmulatorThread&) = delete;

  // Before Start.
  void SetDevices(const EmulatorDevices& devices) { devices_ = devices; }
  void SetSettings(const PacingSettings& settings);
  void SetNoticeHandler(std::function<void(const std::string& text)> handler) { notice_ = std::move(handler); }
  // Called on the emulator thread after every frame, before the driver's
  // observer (tools: state hashes, frame limits).
  void SetFrameMonitor(std::function<void(int64_t frame)> monitor) { monitor_ = std::move(monitor); }

  // Stops any run, then runs console (which must outlive the run). False
  // when the thread cannot be made. framesPlayed: a machine that goes on
  // from another's state after that many frames counts on from there.
  bool Start(IFrameConsole& console, int64_t framesPlayed = 0);
  void Stop();
  // Pauses nest: two Pause calls need two Resume calls.
  void Pause();
  // Also goes on after an error froze the emulation.
  void Resume();
  bool IsRunning() const { return state_ != State::kStopped; }
  State GetState() const { return state_; }
  int PauseCount() const { return pauseCount_; }
  // An error froze the emulation (the notice handler was told).
  bool Frozen() const { return frozen_; }
  RuntimeCounters Counters() const;
  // In a rollback game, inside the frame monitor: the state hash of the
  // (confirmed) frame being observed, which the machine may already have
  // left behind. Nothing otherwise: hash the machine.
  std::optional<uint64_t> ObservedStateHash() const;
  // The same frame's snapshot bytes.
  std::optional<std::vector<uint8_t>> ObservedState() const;

  // driver::IFrameLoop
  void SetFrameObserver(std::function<void(int64_t frame)> observer) override;
  void RequestPressA() override { pressA_ = true; }
  void SetDriverHoldsInput(bool holds) override { driverHoldsInput_ = holds; }
  bool DriverHoldsInput() const override { return driverHoldsInput_; }
  void BetweenFrames(const std::function<void(driver::IConsoleMemory&)>& step) override;

 private:
  class Event;
  enum Command : int { kExit = -1, kNone = 0, kStart = 1, kPause = 2, kResume = 3 };

  void SendCommand(Command command);
  void Body();
  // Returns whether the thread ends.
  bool HandleCommand(bool& sleeping);
  void RunPass();
  void RunOneFrame(bool draw);
  // A rollback game's frame; false once its link has closed.
  bool RunRollbackFrame(bool draw);
  void Observe(int64_t frame);
  void SyncInput();
  void StreamSound();
  void ShowLinkWaiting();
  void UpdateReadout();
  void Notify(const std::string& text);

  std::unique_ptr<IFrameClock> ownClock_;
  IFrameClock& clock_;
  EmulatorDevices devices_;
  std::function<void(const std::string&)> notice_;
  std::atomic<bool> autoFrameSkip_{true};
  std::atomic<bool> fpsDisplay_{false};

  std::atomic<State> state_{State::kStopped};
  std::atomic<int> pauseCount_{0};
  std::atomic<int> command_{kNone};
  std::unique_ptr<Event> commandEvent_;
  std::unique_ptr<Event> acceptedEvent_;
  std::thread thread_;
  std::atomic<IFrameConsole*> console_{nullptr};
  std::unique_ptr<CRollbackSession> rollback_;  // of a rollback game's run

  std::atomic<bool> driverHoldsInput_{true};
  std::atomic<bool> pressA_{false};
  std::atomic<bool> frozen_{false};

  std::mutex frameMutex_;  // held through each frame and each BetweenFrames step
  std::mutex observerMutex_;
  std::function<void(int64_t)> observer_;
  std::function<void(int64_t)> monitor_;

  // The loop's own state (emulator thread only).
  double accumulatedMs_ = 0.0;
  uint32_t timeBase_ = 0;
  std::array<uint32_t, 32> stamps_{};
  size_t stampIndex_ = 0;

  std::atomic<int64_t> framesEmulated_{0};
  std::atomic<int64_t> framesDrawn_{0};
  std::atomic<int64_t> framesSkipped_{0};
  std::atomic<int64_t> resyncs_{0};
  std::atomic<int64_t> soundBlocksWritten_{0};
  std::atomic<int64_t> linkFramesHeld_{0};
  std::atomic<int64_t> linkHeldMs_{0};
  std::atomic<int> fpsTenths_{0};
};

}  // namespace qgu::host
