#include "driver/threaded_game.h"

#include <exception>

#include "driver/headless_console.h"

namespace qgu::driver {

class CThreadedGame::Console final : public IDriverConsole {
 public:
  explicit Console(CThreadedGame& game) : game_(game) {}

  void Sleep(int milliseconds) override { game_.SleepFrames(FramesForMilliseconds(milliseconds)); }
  void PressA() override { game_.loop_.RequestPressA(); }
  void WithMemory(const std::function<void(IConsoleMemory&)>& step) override { game_.loop_.BetweenFrames(step); }
  void SetDriverHoldsInput(bool holds) override { game_.loop_.SetDriverHoldsInput(holds); }

 private:
  CThreadedGame& game_;
};

// The driver's user interface as the threaded game hands it on: the summary
// and messages wait for a person, so the frames go on meanwhile and a stop
// ends the wait; everything else passes straight through.
class CThreadedGame::Ui final : public IDriverUi {
 public:
  explicit Ui(CThreadedGame& game) : game_(game) {}

  void StageChanged(DriverStage stage) override { game_.ui_.StageChanged(stage); }
  void ShowStatus(const std::string& text) override { game_.ui_.ShowStatus(text); }
  void HideStatus() override { game_.ui_.HideStatus(); }
  void RefreshMainWindow() override { game_.ui_.RefreshMainWindow(); }
  void StopSound() override { game_.ui_.StopSound(); }
  void ShowSummary(const GameSummary& summary) override {
    Interact([ui = &game_.ui_, summary] { ui->ShowSummary(summary); });
  }
  void ShowMessage(std::string_view title, std::string_view text) override {
    Interact([ui = &game_.ui_, title = std::string(title), text = std::string(text)] { ui->ShowMessage(title, text); });
  }

  // Called by Stop: the driver's wait ends and work not begun yet is dropped.
  void Cancel() {
    std::shared_ptr<Interaction> current;
    {
      std::lock_guard lock(mutex_);
      current = current_;
    }
    if (current) current->Finish(true, nullptr);
  }
  bool Interacting() const {
    std::lock_guard lock(mutex_);
    return current_ != nullptr;
  }

 private:
  // Shared with the posted work, which may run after the game is gone.
  struct Interaction {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool cancelled = false;
    std::exception_ptr failure;

    void Finish(bool cancel, std::exception_ptr error) {
      {
        std::lock_guard lock(mutex);
        if (done) return;
        done = true;
        cancelled = cancel;
        failure = std::move(error);
      }
      finished.notify_all();
    }
    bool Begun() {
      std::lock_guard lock(mutex);
      return !done;
    }
  };

  void Interact(std::function<void()> work) {
    game_.ReleaseFrames();
    if (!game_.options_.postToUi) {
      work();
      return;
    }
    auto interaction = std::make_shared<Interaction>();
    {
      std::lock_guard lock(mutex_);
      current_ = interaction;
      if (game_.Stopping()) interaction->Finish(true, nullptr);
    }
    game_.options_.postToUi([interaction, work = std::move(work)] {
      if (!interaction->Begun()) return;  // stopped before the window got to it
      try {
        work();
        interaction->Finish(false, nullptr);
      } catch (...) {
        interaction->Finish(false, std::current_exception());
      }
    });
    std::unique_lock lock(interaction->mutex);
    interaction->finished.wait(lock, [&] { return interaction->done; });
    {
      std::lock_guard currentLock(mutex_);
      current_.reset();
    }
    if (interaction->cancelled) throw GameStopped{};
    if (interaction->failure) std::rethrow_exception(interaction->failure);
  }

  CThreadedGame& game_;
  mutable std::mutex mutex_;
  std::shared_ptr<Interaction> current_;
};

CThreadedGame::CThreadedGame(IFrameLoop& loop, DriverGame game, IDriverUi& ui, Options options)
    : loop_(loop),
      game_(std::move(game)),
      ui_(ui),
      options_(std::move(options)),
      console_(std::make_unique<Console>(*this)),
      uiAdapter_(std::make_unique<Ui>(*this)) {}

CThreadedGame::~CThreadedGame() { Stop(); }

void CThreadedGame::Start() {
  if (driverThread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    driverSleeping_ = true;  // until the loop's next frame
    wakeFrame_ = 0;
  }
  loop_.SetFrameObserver([this](int64_t frame) { OnFrame(frame); });
  driverThread_ = std::thread([this] { DriverMain(); });
}

void CThreadedGame::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  const bool interacting = uiAdapter_->Interacting();
  uiAdapter_->Cancel();
  if (interacting && options_.closeInteraction) options_.closeInteraction();
  if (driverThread_.joinable()) {
    driverThread_.join();
    loop_.SetFrameObserver(nullptr);
  }
}

bool CThreadedGame::Stopping() const {
  std::lock_guard lock(mutex_);
  return stopping_;
}

bool CThreadedGame::WaitForDriver(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return driverEnded_.load(); });
}

int64_t CThreadedGame::FramesSeen() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

void CThreadedGame::OnFrame(int64_t frame) {
  std::unique_lock lock(mutex_);
  frames_ = frame;
  if (stopping_ || !driverSleeping_ || frame < wakeFrame_) return;
  driverSleeping_ = false;
  driverHasFrames_ = true;
  stepFrame_ = frame;
  changed_.notify_all();
  changed_.wait(lock, [this] { return !driverHasFrames_ || stopping_; });
}

void CThreadedGame::SleepFrames(int64_t frames) {
  std::unique_lock lock(mutex_);
  wakeFrame_ = stepFrame_ + frames;
  driverHasFrames_ = false;
  driverSleeping_ = true;
  changed_.notify_all();
  WaitForStep(lock);
}

void CThreadedGame::WaitForStep(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [this] { return driverHasFrames_ || stopping_; });
  if (stopping_) {
    driverSleeping_ = false;
    driverHasFrames_ = false;
    changed_.notify_all();
    throw GameStopped{};
  }
}

void CThreadedGame::ReleaseFrames() {
  {
    std::lock_guard lock(mutex_);
    driverHasFrames_ = false;
    driverSleeping_ = false;
  }
  changed_.notify_all();
}

void CThreadedGame::DriverMain() {
  try {
    {
      std::unique_lock lock(mutex_);
      WaitForStep(lock);  // Start made the first step due at the loop's next frame
    }
    CGameDriver(game_, *console_, *uiAdapter_).Run();
  } catch (const GameStopped&) {
    uiAdapter_->StageChanged(DriverStage::kEnded);
  }
  ReleaseFrames();
  {
    std::lock_guard lock(mutex_);
    driverEnded_ = true;
  }
  changed_.notify_all();
  if (options_.driverEnded) options_.driverEnded();
}

}  // namespace qgu::driver
