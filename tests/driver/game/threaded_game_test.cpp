// The threaded game: the driver on its own thread acts at the same frames as
// in a headless game however the threads are scheduled, touches memory only
// between frames, and a stop ends it wherever it is (a wait, the summary)
// and joins its thread.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "driver/cartridge_memory.h"
#include "driver/headless_console.h"
#include "driver/threaded_game.h"
#include "tests/driver/game/fake_cartridge.h"

namespace qgu::driver {
namespace {

using namespace std::chrono_literals;
using testing::FakeCartridge;
using testing::RecordingUi;

DriverGame Game() {
  DriverGame game;
  game.formationPairValue = 33;
  game.controlByte = 0x22;
  return game;
}

// Frames as fast as the machine allows, on a thread of their own, with the
// observer told of frame 0 before the first frame (as the emulator thread does).
class FreeRunningLoop final : public IFrameLoop {
 public:
  explicit FreeRunningLoop(FakeCartridge& cartridge) : cartridge_(cartridge) {}
  ~FreeRunningLoop() override { Stop(); }

  void Start() {
    thread_ = std::thread([this] {
      Observe(0);
      for (int64_t frame = 1; !stop_; ++frame) {
        {
          std::lock_guard lock(frameMutex_);
          cartridge_.RunFrame(pressA_.exchange(false));
        }
        Observe(frame);
        std::this_thread::yield();
      }
    });
  }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  void SetFrameObserver(std::function<void(int64_t)> observer) override {
    std::lock_guard lock(observerMutex_);
    observer_ = std::move(observer);
  }
  void RequestPressA() override { pressA_ = true; }
  void SetDriverHoldsInput(bool holds) override { holds_ = holds; }
  bool DriverHoldsInput() const override { return holds_; }
  void BetweenFrames(const std::function<void(IConsoleMemory&)>& step) override {
    std::lock_guard lock(frameMutex_);
    step(cartridge_);
  }

 private:
  void Observe(int64_t frame) {
    std::lock_guard lock(observerMutex_);
    if (observer_) observer_(frame);
  }

  FakeCartridge& cartridge_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> pressA_{false};
  std::atomic<bool> holds_{true};
  std::mutex frameMutex_;
  std::mutex observerMutex_;
  std::function<void(int64_t)> observer_;
};

TEST(ThreadedGame, DriverActsAtTheHeadlessGamesFramesAndOnlyBetweenFrames) {
  FakeCartridge headless;
  RecordingUi headlessUi;
  CHeadlessConsole console(headless, 1500);
  CGameDriver(Game(), console, headlessUi).Run();
  ASSERT_TRUE(headlessUi.Reached(DriverStage::kMonitoring));

  FakeCartridge cartridge;
  RecordingUi ui;
  FreeRunningLoop loop(cartridge);
  CThreadedGame game(loop, Game(), ui);
  game.Start();
  loop.Start();
  ASSERT_TRUE(ui.WaitFor(DriverStage::kMonitoring, 60s));
  EXPECT_FALSE(loop.DriverHoldsInput());
  game.Stop();
  loop.Stop();

  EXPECT_EQ(cartridge.pressFrames, headless.pressFrames);
  EXPECT_EQ(cartridge.kickoffFrame, headless.kickoffFrame);
  EXPECT_EQ(cartridge.picks, (std::vector<std::pair<int, int>>{{5, 0}, {8, 0}}));
  EXPECT_EQ(cartridge.memory.bytes[cartmem::kControlByte], 0x22);
  EXPECT_EQ(cartridge.accessesDuringFrame, 0);
  EXPECT_EQ(ui.statuses, headlessUi.statuses);
  EXPECT_EQ(ui.hidden, 1);
  EXPECT_TRUE(game.DriverEnded());
}

TEST(ThreadedGame, StopEndsADriverWaitingForAScreenOrForFramesThatNeverCome) {
  for (const bool framesRun : {true, false}) {
    FakeCartridge cartridge;
    cartridge.screenDelays[0] = 1'000'000;  // a title screen that never gets ready
    RecordingUi ui;
    FreeRunningLoop loop(cartridge);
    std::atomic<bool> endedCalled{false};
    CThreadedGame::Options options;
    options.driverEnded = [&] { endedCalled = true; };
    CThreadedGame game(loop, Game(), ui, options);
    game.Start();
    if (framesRun) {
      loop.Start();
      ASSERT_TRUE(ui.WaitFor(DriverStage::kWaitingForTitle, 60s));
    }
    EXPECT_FALSE(game.WaitForDriver(1ms));
    game.Stop();
    EXPECT_TRUE(game.DriverEnded());
    EXPECT_TRUE(endedCalled);
    EXPECT_TRUE(ui.Reached(DriverStage::kEnded));
    game.Stop();  // a second stop does nothing
    loop.Stop();
  }
}

// A user-interface thread that runs posted work only when the test says so.
class HeldUiThread {
 public:
  void Post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(work));
    posted_.notify_all();
  }
  bool WaitForPost(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return posted_.wait_for(lock, timeout, [this] { return !queue_.empty(); });
  }
  void RunAll() {
    std::deque<std::function<void()>> work;
    {
      std::lock_guard lock(mutex_);
      work.swap(queue_);
    }
    for (auto& item : work) item();
  }

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> queue_;
};

std::function<void(testing::FakeConsoleMemory&, int)> GameOverAtOnce() {
  return [](testing::FakeConsoleMemory& m, int frame) {
    if (frame == 1) {
      m.bytes[cartmem::kQuarter] = cartmem::kFourthQuarter + 1;
      m.bytes[cartmem::kHomeTotalScore] = 3;
    }
    if (frame == 60) {
      m.bytes[cartmem::kGamePhaseA] = cartmem::kFinalScreenA;
      m.bytes[cartmem::kGamePhaseB] = cartmem::kFinalScreenB;
    }
  };
}

TEST(ThreadedGame, TheSummaryIsShownOnTheUserInterfaceThreadAndAStopEndsItsWait) {
  for (const bool userCloses : {true, false}) {
    FakeCartridge cartridge;
    cartridge.game = GameOverAtOnce();
    RecordingUi ui;
    FreeRunningLoop loop(cartridge);
    HeldUiThread uiThread;
    std::atomic<int> closed{0};
    CThreadedGame::Options options;
    options.postToUi = [&](std::function<void()> work) { uiThread.Post(std::move(work)); };
    options.closeInteraction = [&] { ++closed; };
    CThreadedGame game(loop, Game(), ui, options);
    game.Start();
    loop.Start();
    ASSERT_TRUE(uiThread.WaitForPost(60s));
    EXPECT_FALSE(game.DriverEnded());
    if (userCloses) {
      uiThread.RunAll();  // the user reads the box score and closes it
      EXPECT_TRUE(game.WaitForDriver(60s));
      EXPECT_EQ(ui.summaries, 1);
      EXPECT_EQ(closed, 0);
    } else {
      game.Stop();  // Game -> Stop while the summary waits for the window
      EXPECT_EQ(closed, 1);
      uiThread.RunAll();  // comes too late: nothing is shown
      EXPECT_EQ(ui.summaries, 0);
    }
    EXPECT_TRUE(game.DriverEnded());
    EXPECT_TRUE(loop.DriverHoldsInput());
    game.Stop();
    loop.Stop();
  }
}

}  // namespace
}  // namespace qgu::driver
