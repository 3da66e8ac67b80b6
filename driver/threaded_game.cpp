#include "driver/threaded_game.h"

#include <algorithm>

namespace qgu::driver {

using Clock = std::chrono::steady_clock;

class CThreadedGame::Console final : public IDriverConsole {
 public:
  explicit Console(CThreadedGame& game) : game_(game) {}

  void Sleep(int milliseconds) override {
    const auto wall = std::chrono::duration<double, std::milli>(milliseconds / game_.options_.speed);
    if (game_.WaitStopping(Clock::now() + std::chrono::duration_cast<Clock::duration>(wall))) throw GameStopped{};
  }
  void PressA() override { game_.pressA_ = true; }
  void WithMemory(const std::function<void(IConsoleMemory&)>& step) override {
    std::lock_guard lock(game_.frameMutex_);
    step(game_.machine_.Memory());
  }
  void SetDriverHoldsInput(bool holds) override { game_.driverHoldsInput_ = holds; }

 private:
  CThreadedGame& game_;
};

CThreadedGame::CThreadedGame(IGameMachine& machine, DriverGame game, IDriverUi& ui, Options options)
    : machine_(machine),
      game_(std::move(game)),
      ui_(ui),
      options_(std::move(options)),
      console_(std::make_unique<Console>(*this)) {
  options_.speed = std::max(options_.speed, 0.01);
}

CThreadedGame::CThreadedGame(IGameMachine& machine, DriverGame game, IDriverUi& ui)
    : CThreadedGame(machine, std::move(game), ui, Options{}) {}

CThreadedGame::~CThreadedGame() { Stop(); }

void CThreadedGame::Start() {
  if (emulatorThread_.joinable() || driverThread_.joinable()) return;
  emulatorThread_ = std::thread([this] { EmulatorLoop(); });
  driverThread_ = std::thread([this] { DriverMain(); });
}

void CThreadedGame::Stop() {
  {
    std::lock_guard lock(signalMutex_);
    stopping_ = true;
  }
  signal_.notify_all();
  if (driverThread_.joinable()) driverThread_.join();
  if (emulatorThread_.joinable()) emulatorThread_.join();
}

bool CThreadedGame::WaitForDriver(std::chrono::milliseconds timeout) {
  std::unique_lock lock(signalMutex_);
  return signal_.wait_for(lock, timeout, [this] { return driverEnded_.load(); });
}

bool CThreadedGame::WaitStopping(Clock::time_point until) {
  std::unique_lock lock(signalMutex_);
  return signal_.wait_until(lock, until, [this] { return stopping_; });
}

// Frames at their own pace: a frame that falls behind by more than 20
// periods gives up the backlog instead of racing.
void CThreadedGame::EmulatorLoop() {
  constexpr int kMaxBacklogFrames = 20;
  const auto period = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double, std::milli>(1000.0 / (kFramesPerSecond * options_.speed)));
  auto next = Clock::now();
  do {
    {
      std::lock_guard lock(frameMutex_);
      if (options_.beforeFrame) options_.beforeFrame(machine_, driverHoldsInput_);
      machine_.RunFrame(pressA_.exchange(false));
      ++framesRun_;
      if (options_.afterFrame) options_.afterFrame(machine_, driverHoldsInput_);
    }
    next += period;
    if (Clock::now() - next > kMaxBacklogFrames * period) next = Clock::now();
  } while (!WaitStopping(next));
}

void CThreadedGame::DriverMain() {
  CGameDriver(game_, *console_, ui_).Run();
  {
    std::lock_guard lock(signalMutex_);
    driverEnded_ = true;
  }
  signal_.notify_all();
  if (options_.driverEnded) options_.driverEnded();
}

}  // namespace qgu::driver
