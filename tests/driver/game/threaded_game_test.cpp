// The threaded runner: frames on their own thread at their own pace, the
// driver on another, memory touched only between frames, and a stop that
// cancels the driver's waits and joins both threads promptly.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "driver/cartridge_memory.h"
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

// Twenty times real time: the boot's 7.5 s of waits take under half a second.
CThreadedGame::Options Fast() {
  CThreadedGame::Options options;
  options.speed = 20.0;
  return options;
}

// Stops a game and tells how long the stop took.
std::chrono::milliseconds TimedStop(CThreadedGame& game) {
  const auto started = std::chrono::steady_clock::now();
  game.Stop();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
}

TEST(ThreadedGame, BootsTheCartridgeBetweenFramesAndHandsOverTheControls) {
  FakeCartridge cartridge;
  RecordingUi ui;
  std::atomic<int> framesBefore{0};
  std::atomic<int> userFramesAfter{0};  // frames shown to the user
  CThreadedGame::Options options = Fast();
  options.beforeFrame = [&](IGameMachine&, bool) { ++framesBefore; };
  options.afterFrame = [&](IGameMachine&, bool holdsInput) { userFramesAfter += holdsInput ? 0 : 1; };
  CThreadedGame game(cartridge, Game(), ui, options);
  EXPECT_TRUE(game.DriverHoldsInput());
  game.Start();
  ASSERT_TRUE(ui.WaitFor(DriverStage::kMonitoring, 10s));
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(ui.hidden, 1);
  EXPECT_FALSE(game.DriverHoldsInput());
  EXPECT_GT(game.FramesRun(), 400);
  EXPECT_LT(TimedStop(game), 500ms);
  EXPECT_TRUE(game.DriverEnded());
  EXPECT_EQ(framesBefore, game.FramesRun());
  EXPECT_GT(userFramesAfter, 0);
  EXPECT_LT(userFramesAfter, game.FramesRun() - cartridge.kickoffFrame);

  EXPECT_EQ(cartridge.picks, (std::vector<std::pair<int, int>>{{5, 0}, {8, 0}}));
  EXPECT_EQ(cartridge.memory.bytes[cartmem::kControlByte], 0x22);
  EXPECT_EQ(cartridge.accessesDuringFrame, 0);
  EXPECT_EQ(ui.summaries, 0);
  EXPECT_TRUE(ui.messages.empty());
}

TEST(ThreadedGame, RunsFramesAtTheirPace) {
  FakeCartridge cartridge;
  cartridge.screenDelays[0] = 1'000'000;  // a title screen that never gets ready
  RecordingUi ui;
  CThreadedGame game(cartridge, Game(), ui);
  game.Start();
  std::this_thread::sleep_for(100ms);
  const auto t0 = std::chrono::steady_clock::now();
  const int64_t f0 = game.FramesRun();
  std::this_thread::sleep_for(1s);
  const int64_t f1 = game.FramesRun();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  game.Stop();
  const double perSecond = static_cast<double>(f1 - f0) / seconds;
  EXPECT_GT(perSecond, 45.0);  // 60, with room for a loaded machine
  EXPECT_LT(perSecond, 75.0);
}

TEST(ThreadedGame, StopCancelsAWaitingDriverPromptly) {
  FakeCartridge cartridge;
  cartridge.screenDelays[0] = 1'000'000;
  RecordingUi ui;
  bool endedCalled = false;
  CThreadedGame::Options options;
  options.driverEnded = [&] { endedCalled = true; };
  CThreadedGame game(cartridge, Game(), ui, options);
  game.Start();
  ASSERT_TRUE(ui.WaitFor(DriverStage::kWaitingForTitle, 5s));
  EXPECT_FALSE(game.WaitForDriver(50ms));
  EXPECT_LT(TimedStop(game), 200ms);
  EXPECT_TRUE(game.DriverEnded());
  EXPECT_TRUE(endedCalled);
  EXPECT_TRUE(ui.Reached(DriverStage::kEnded));
  const int64_t frames = game.FramesRun();
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(game.FramesRun(), frames);  // the emulator thread has ended too
  game.Stop();                          // a second stop does nothing
}

TEST(ThreadedGame, ADriverThatEndsOnItsOwnIsSeenByWaitForDriver) {
  FakeCartridge cartridge;
  cartridge.game = [](testing::FakeConsoleMemory& m, int frame) {
    if (frame == 1) {
      m.bytes[cartmem::kQuarter] = cartmem::kFourthQuarter + 1;
      m.bytes[cartmem::kHomeTotalScore] = 3;
    }
    if (frame == 60) {
      m.bytes[cartmem::kGamePhaseA] = cartmem::kFinalScreenA;
      m.bytes[cartmem::kGamePhaseB] = cartmem::kFinalScreenB;
    }
  };
  RecordingUi ui;
  CThreadedGame game(cartridge, Game(), ui, Fast());
  game.Start();
  EXPECT_TRUE(game.WaitForDriver(10s));
  EXPECT_EQ(ui.summaries, 1);
  EXPECT_TRUE(game.DriverHoldsInput());
  game.Stop();
}

}  // namespace
}  // namespace qgu::driver
