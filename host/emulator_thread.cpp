#include "host/emulator_thread.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <utility>

#include "host/rollback_link.h"
#include "host/rollback_session.h"

namespace qgu::host {
namespace {

constexpr int kMaxFramesPerPass = 20;
constexpr int kSleepingPassMs = 20;

std::string ErrorText(const char* what) {
  return std::string("The emulation has stopped on an error (") + what +
         "). The game is frozen: Game -> Stop ends it.";
}

}  // namespace

// An auto-reset event: Set wakes one wait, which clears it again.
class CEmulatorThread::Event {
 public:
  void Set() {
    {
      std::lock_guard lock(mutex_);
      signalled_ = true;
    }
    changed_.notify_all();
  }
  void Reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
  }
  bool TryWait() {
    std::lock_guard lock(mutex_);
    return std::exchange(signalled_, false);
  }
  void Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return signalled_; });
    signalled_ = false;
  }
  // Waits until set or the time has passed, leaving the signal for TryWait.
  void WaitUntilSet(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return signalled_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

std::string FpsText(int fpsTenths) {
  char text[32];
  std::snprintf(text, sizeof text, "FPS:%d.%01d", fpsTenths / 10, fpsTenths % 10);
  return text;
}

CEmulatorThread::CEmulatorThread(IFrameClock& clock)
    : clock_(clock), commandEvent_(std::make_unique<Event>()), acceptedEvent_(std::make_unique<Event>()) {}

CEmulatorThread::CEmulatorThread()
    : ownClock_(std::make_unique<CSteadyFrameClock>()),
      clock_(*ownClock_),
      commandEvent_(std::make_unique<Event>()),
      acceptedEvent_(std::make_unique<Event>()) {}

CEmulatorThread::~CEmulatorThread() { Stop(); }

void CEmulatorThread::SetSettings(const PacingSettings& settings) {
  autoFrameSkip_ = settings.autoFrameSkip;
  fpsDisplay_ = settings.fpsDisplay;
}

bool CEmulatorThread::Start(IFrameConsole& console, int64_t framesPlayed) {
  Stop();
  commandEvent_->Reset();
  acceptedEvent_->Reset();
  console_ = &console;
  frozen_ = false;
  framesEmulated_ = framesPlayed;
  rollback_.reset();
  if (IFrameInputLink* link = devices_.link) {
    link->SetWaitingHandler([this] { ShowLinkWaiting(); });
    if (CRollbackLink* rollback = link->Rollback(); rollback != nullptr && link->Connected()) {
      CRollbackSession::Hooks hooks;
      hooks.observe = [this](int64_t frame) { Observe(frame); };
      hooks.takePressA = [this] { return pressA_.exchange(false); };
      hooks.driverHoldsInput = [this] { return driverHoldsInput_.load(); };
      hooks.waiting = [this] { ShowLinkWaiting(); };
      rollback_ = std::make_unique<CRollbackSession>(*rollback, rollback->IsHost(), console, devices_.input,
                                                     frameMutex_, std::move(hooks));
    }
  }
  command_ = kStart;
  state_ = State::kStopped;
  commandEvent_->Set();
  pauseCount_ = 0;
  try {
    thread_ = std::thread([this] { Body(); });
  } catch (const std::system_error&) {
    return false;
  }
  acceptedEvent_->Wait();
  state_ = State::kRunning;
  return true;
}

void CEmulatorThread::Stop() {
  if (state_ == State::kStopped) return;
  acceptedEvent_->Reset();
  command_ = kExit;
  commandEvent_->Set();
  // A wait for the other side's input must not hold the stop for 10 seconds.
  if (devices_.link != nullptr) devices_.link->Interrupt();
  if (thread_.joinable()) thread_.join();
  rollback_.reset();
  state_ = State::kStopped;
  if (devices_.link != nullptr) {
    devices_.link->SetWaitingHandler({});
    devices_.link->Disconnect();
  }
}

void CEmulatorThread::SendCommand(Command command) {
  acceptedEvent_->Reset();
  command_ = command;
  commandEvent_->Set();
  acceptedEvent_->Wait();
}

void CEmulatorThread::Pause() {
  if (state_ == State::kStopped) return;
  if (state_ != State::kPaused) {
    SendCommand(kPause);
    state_ = State::kPaused;
  }
  ++pauseCount_;
}

void CEmulatorThread::Resume() {
  if (state_ == State::kStopped) return;
  if (state_ == State::kPaused) {
    if (--pauseCount_ > 0) return;
    pauseCount_ = 0;
    SendCommand(kResume);
    state_ = State::kRunning;
  } else if (frozen_) {
    SendCommand(kResume);
  }
}

RuntimeCounters CEmulatorThread::Counters() const {
  RuntimeCounters counters;
  counters.framesEmulated = framesEmulated_;
  counters.framesDrawn = framesDrawn_;
  counters.framesSkipped = framesSkipped_;
  counters.resyncs = resyncs_;
  counters.soundBlocksWritten = soundBlocksWritten_;
  counters.soundBlocksMissed = devices_.sound != nullptr ? devices_.sound->BlocksMissed() : 0;
  counters.linkFramesHeld = linkFramesHeld_;
  counters.linkHeldMs = linkHeldMs_;
  counters.fpsTenths = fpsTenths_;
  return counters;
}

void CEmulatorThread::SetFrameObserver(std::function<void(int64_t frame)> observer) {
  std::lock_guard lock(observerMutex_);
  observer_ = std::move(observer);
}

void CEmulatorThread::BetweenFrames(const std::function<void(driver::IConsoleMemory&)>& step) {
  std::lock_guard lock(frameMutex_);
  if (rollback_ && rollback_->Observing()) return rollback_->WithObservedMemory(step);
  if (IFrameConsole* console = console_) step(console->Memory());
}

std::optional<uint64_t> CEmulatorThread::ObservedStateHash() const {
  return rollback_ ? rollback_->ObservedStateHash() : std::nullopt;
}

std::optional<std::vector<uint8_t>> CEmulatorThread::ObservedState() const {
  return rollback_ ? rollback_->ObservedState() : std::nullopt;
}

void CEmulatorThread::Notify(const std::string& text) {
  if (notice_) notice_(text);
}

void CEmulatorThread::Body() {
  bool sleeping = false;
  for (;;) {
    if (commandEvent_->TryWait()) {
      const bool starting = command_ == kStart;
      if (HandleCommand(sleeping)) return;
      if (starting) Observe(framesEmulated_);  // a driver attached before Start acts before the first frame
    }
    if (sleeping) {
      if (!driverHoldsInput_ && devices_.input != nullptr) devices_.input->Poll();
      commandEvent_->WaitUntilSet(std::chrono::milliseconds(kSleepingPassMs));
      continue;
    }
    try {
      RunPass();
    } catch (const std::exception& error) {
      frozen_ = true;
      sleeping = true;
      Notify(ErrorText(error.what()));
    } catch (...) {
      frozen_ = true;
      sleeping = true;
      Notify(ErrorText("EMULATION_ERROR"));
    }
  }
}

bool CEmulatorThread::HandleCommand(bool& sleeping) {
  ISoundStream* sound = devices_.sound;
  try {
    switch (command_.load()) {
      case kExit:
        if (sound != nullptr) sound->StopStream();
        return true;
      case kStart:
        if (sound != nullptr) sound->StartStream();
        accumulatedMs_ = 0.0;
        timeBase_ = clock_.NowMs();
        break;
      case kPause:
        if (sound != nullptr) sound->PauseStream();
        sleeping = true;
        break;
      case kResume:
        if (sound != nullptr) sound->ResumeStream();
        accumulatedMs_ = 0.0;
        timeBase_ = clock_.NowMs();
        sleeping = false;
        frozen_ = false;
        break;
      default:
        break;
    }
  } catch (const std::exception& error) {
    if (command_ == kExit) return true;
    sleeping = true;
    frozen_ = true;
    Notify(ErrorText(error.what()));
  }
  acceptedEvent_->Set();
  return false;
}

void CEmulatorThread::RunPass() {
  IFrameConsole& console = *console_;
  const double periodMs = 1000.0 / console.FrameRate();
  int frames = 1;
  if (autoFrameSkip_) {
    const uint32_t elapsed = clock_.NowMs() - timeBase_;
    frames = static_cast<int>((static_cast<double>(elapsed) - accumulatedMs_) / periodMs);
    if (frames < 0 || frames > kMaxFramesPerPass) {
      frames = 1;
      accumulatedMs_ = 0.0;
      timeBase_ = clock_.NowMs();
      ++resyncs_;
    }
  }
  IVideoSink* video = devices_.video;
  if (video != nullptr) console.AttachRenderBuffer(video->RenderBuffer());

  for (int i = 1; i < frames; ++i) {
    RunOneFrame(false);
    accumulatedMs_ += periodMs;
    ++framesSkipped_;
    if (!driverHoldsInput_) StreamSound();
  }
  RunOneFrame(true);  // even when the clock asks for none
  ++framesDrawn_;
  accumulatedMs_ += periodMs;

  if (!driverHoldsInput_) {
    if (video != nullptr) {
      const uint8_t mask = console.MaskRegister();
      video->SetEmphasis((mask >> 5) & 7, (mask & 1) != 0);
      video->RenderFrame();
    }
    StreamSound();
  }
  UpdateReadout();

  const auto dueMs = static_cast<int64_t>(periodMs + accumulatedMs_);
  const int64_t waitMs = dueMs - static_cast<int64_t>(static_cast<uint32_t>(clock_.NowMs() - timeBase_));
  if (waitMs > 0) clock_.SleepMs(static_cast<int>(waitMs - 1));

  if (!driverHoldsInput_ && video != nullptr) video->PresentFrame();
}

bool CEmulatorThread::RunRollbackFrame(bool draw) {
  const CRollbackSession::Step step = rollback_->RunFrame(draw);
  framesEmulated_ = rollback_->Present();
  if (step != CRollbackSession::Step::kEnded) return true;
  Notify("The netplay link has closed (" + devices_.link->CloseReason() + "). The game goes on without the other side.");
  return false;
}

void CEmulatorThread::RunOneFrame(bool draw) {
  // The frames after the other side's input come, observed once confirmed.
  if (rollback_ && rollback_->Active() && RunRollbackFrame(draw)) return;
  int64_t frame = 0;
  {
    std::lock_guard lock(frameMutex_);
    SyncInput();
    console_.load()->RunFrame(draw);
    frame = ++framesEmulated_;
  }
  Observe(frame);
}

void CEmulatorThread::Observe(int64_t frame) {
  if (monitor_) monitor_(frame);
  std::lock_guard lock(observerMutex_);
  if (observer_) observer_(frame);
}

void CEmulatorThread::SyncInput() {
  IFrameConsole& console = *console_;
  IInputSource* input = devices_.input;
  if (!driverHoldsInput_ && input != nullptr) {
    input->PollForFrame(framesEmulated_ + 1);
    console.SetPadButtons(input->PadButtons());
  } else {
    console.SetPadButtons({});  // the automation is not disturbed by keys held meanwhile
  }
  console.SyncInput(pressA_.exchange(false));

  IFrameInputLink* link = devices_.link;
  if (link != nullptr && link->Connected()) {
    // While the driver holds the input both sides' drivers press the same
    // buttons at the same frames: the other side's bytes must not reach the pads.
    const uint32_t asked = clock_.NowMs();
    const auto shared = link->ExchangeFrameInput(console.FrameInput());
    // Counted during play only: the boot runs unpaced, where each side always waits for the other.
    if (const uint32_t waited = clock_.NowMs() - asked; waited >= kLinkHeldMs && !driverHoldsInput_) {
      ++linkFramesHeld_;
      linkHeldMs_ += waited;
    }
    if (shared) {
      if (!driverHoldsInput_) console.SetFrameInput(*shared);
    } else {
      Notify("The netplay link has closed (" + link->CloseReason() + "). The game goes on without the other side.");
    }
  }
}

void CEmulatorThread::ShowLinkWaiting() {
  // The last whole frame again, with the read-out saying who is awaited.
  IVideoSink* video = devices_.video;
  if (driverHoldsInput_ || video == nullptr || devices_.link == nullptr) return;
  video->SetInfoText(devices_.link->StatusText(true));
  video->RenderFrame();
  video->PresentFrame();
}

void CEmulatorThread::StreamSound() {
  ISoundStream* sound = devices_.sound;
  size_t offset = 0;
  size_t size = 0;
  if (sound == nullptr || !sound->NextFreeBlock(offset, size)) return;
  if (uint8_t* block = sound->Lock(offset, size)) {
    console_.load()->FillSound(block, static_cast<int>(size));
    ++soundBlocksWritten_;
  }
  sound->Unlock();
}

void CEmulatorThread::UpdateReadout() {
  stamps_[stampIndex_++] = clock_.NowMs();
  if (stampIndex_ >= stamps_.size()) {
    stampIndex_ = 0;
    const uint32_t span = stamps_[31] - stamps_[0];
    fpsTenths_ = span != 0 ? static_cast<int>(310000 / span) : 0;
  }
  if (IVideoSink* video = devices_.video) {
    std::string text = fpsDisplay_ ? FpsText(fpsTenths_) : std::string();
    if (IFrameInputLink* link = devices_.link; link != nullptr && link->Connected()) {
      text = link->StatusText(false) + (text.empty() ? "" : "  ") + text;
    }
    video->SetInfoText(text);
  }
}

}  // namespace qgu::host
