// The emulator thread on a clock the test moves: frame pacing (catching up,
// giving up a long backlog, one drawn frame even when none is due), the
// command hand-over (nested pause, resume), the read-out, the driver's hold
// on input, picture and sound, and an error that freezes the emulation.
// Also the thread checks run under ThreadSanitizer: the game driver riding
// on the thread through pauses and stops, and many start-stop cycles.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "driver/threaded_game.h"
#include "host/emulator_thread.h"
#include "tests/driver/game/fake_cartridge.h"

namespace qgu::host {
namespace {

using namespace std::chrono_literals;

// Moves only when the thread sleeps (and when a frame stalls it).
class FakeClock final : public IFrameClock {
 public:
  uint32_t NowMs() override { return now; }
  void SleepMs(int milliseconds) override {
    now += static_cast<uint32_t>(milliseconds);
    std::this_thread::yield();
  }
  std::atomic<uint32_t> now{1000};
};

class NoMemory final : public driver::IConsoleMemory {
 public:
  uint8_t Read(uint16_t) const override { return 0; }
  void Write(uint16_t, uint8_t) override {}
};

// Records every frame: whether it was drawn, the press and the pads.
class FakeConsole final : public IFrameConsole {
 public:
  void AttachRenderBuffer(uint8_t* buffer) override { attached = buffer; }
  void SetPadButtons(const std::array<uint16_t, 4>& pads) override { pads_ = pads; }
  void SyncInput(bool pressA) override { press_ = pressA; }
  uint32_t FrameInput() override { return pads_[0]; }
  void SetFrameInput(uint32_t) override {}
  void RunFrame(bool draw) override {
    const int frame = static_cast<int>(draws.size());
    if (onFrame) onFrame(frame);
    std::lock_guard lock(mutex);
    draws.push_back(draw);
    presses.push_back(press_);
    firstPads.push_back(pads_[0]);
  }
  uint8_t MaskRegister() const override { return 0xE1; }  // all emphasis bits and greyscale
  void FillSound(uint8_t* buffer, int bytes) override {
    filled += bytes;
    buffer[0] = 1;
  }
  driver::IConsoleMemory& Memory() override { return memory_; }
  int FrameRate() const override { return 60; }

  std::function<void(int frame)> onFrame;  // may throw
  std::mutex mutex;
  std::vector<bool> draws;
  std::vector<bool> presses;
  std::vector<uint16_t> firstPads;
  uint8_t* attached = nullptr;
  std::atomic<int> filled{0};

 private:
  std::array<uint16_t, 4> pads_{};
  bool press_ = false;
  NoMemory memory_;
};

class FakeVideo final : public IVideoSink {
 public:
  uint8_t* RenderBuffer() override { return buffer.data(); }
  void SetEmphasis(int row, bool greyscale) override { emphasis = row * 2 + (greyscale ? 1 : 0); }
  void RenderFrame() override { ++rendered; }
  void PresentFrame() override { ++presented; }
  void SetInfoText(std::string_view text) override {
    std::lock_guard lock(mutex);
    texts.emplace_back(text);
  }
  std::array<uint8_t, 16> buffer{};
  std::atomic<int> emphasis{-1};
  std::atomic<int> rendered{0};
  std::atomic<int> presented{0};
  std::mutex mutex;
  std::vector<std::string> texts;
};

class FakeSound final : public ISoundStream {
 public:
  void StartStream() override { calls += "start "; }
  void StopStream() override { calls += "stop "; }
  void PauseStream() override { calls += "pause "; }
  void ResumeStream() override { calls += "resume "; }
  bool NextFreeBlock(size_t& offset, size_t& size) override {
    offset = 0;
    size = block.size();
    return (++looks % 2) == 0;  // the cursor enters a new block every other look
  }
  uint8_t* Lock(size_t, size_t) override { return block.data(); }
  void Unlock() override {}
  int64_t BlocksMissed() const override { return 0; }
  std::array<uint8_t, 8> block{};
  std::atomic<int> looks{0};
  std::string calls;  // commands run on the emulator thread; read after Stop
};

class FakeInput final : public IInputSource {
 public:
  void Poll() override { ++polls; }
  std::array<uint16_t, 4> PadButtons() const override { return {0x10, 0, 0, 0}; }
  std::atomic<int> polls{0};
};

// Calls back once the thread has run this many frames.
class FrameWaiter {
 public:
  explicit FrameWaiter(CEmulatorThread& thread) : thread_(thread) {
    thread_.SetFrameObserver([this](int64_t frame) {
      std::lock_guard lock(mutex_);
      frame_ = frame;
      changed_.notify_all();
    });
  }
  ~FrameWaiter() { thread_.SetFrameObserver(nullptr); }
  bool WaitFor(int64_t frame) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 60s, [&] { return frame_ >= frame; });
  }
  int64_t Frame() {
    std::lock_guard lock(mutex_);
    return frame_;
  }

 private:
  CEmulatorThread& thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int64_t frame_ = 0;
};

// Frames in a row run without drawing, longest run.
int LongestUndrawnRun(const std::vector<bool>& draws) {
  int longest = 0, run = 0;
  for (bool drawn : draws) {
    run = drawn ? 0 : run + 1;
    longest = std::max(longest, run);
  }
  return longest;
}

TEST(EmulatorThread, PacingCatchesUpAShortStallAndGivesUpALongOne) {
  struct Case {
    uint32_t stallMs;
    int64_t resyncs;
    int minSkipped, maxSkipped;
  };
  for (const Case& c : {Case{0, 0, 0, 0}, Case{100, 0, 4, 6}, Case{2000, 1, 0, 0}}) {
    FakeClock clock;
    FakeConsole console;
    console.onFrame = [&](int frame) {
      if (frame == 60) clock.now += c.stallMs;
    };
    CEmulatorThread thread(clock);
    FrameWaiter waiter(thread);
    ASSERT_TRUE(thread.Start(console));
    ASSERT_TRUE(waiter.WaitFor(180));
    thread.Stop();
    const RuntimeCounters counters = thread.Counters();
    SCOPED_TRACE(c.stallMs);
    EXPECT_EQ(counters.resyncs, c.resyncs);
    EXPECT_GE(counters.framesSkipped, c.minSkipped);
    EXPECT_LE(counters.framesSkipped, c.maxSkipped);
    EXPECT_EQ(counters.framesDrawn + counters.framesSkipped, counters.framesEmulated);
    EXPECT_LE(LongestUndrawnRun(console.draws), 19);
    EXPECT_TRUE(console.draws.front());  // the first pass is due no frame and still draws one
    EXPECT_GE(counters.fpsTenths, 595);  // the read-out of fake time: 60 frames a second
    EXPECT_LE(counters.fpsTenths, 605);
  }
}

TEST(EmulatorThread, AClockThatStandsStillStillRunsOneDrawnFramePerPass) {
  CUnpacedFrameClock clock;
  FakeConsole console;
  CEmulatorThread thread(clock);
  FrameWaiter waiter(thread);
  ASSERT_TRUE(thread.Start(console));
  ASSERT_TRUE(waiter.WaitFor(40));
  thread.Stop();
  const RuntimeCounters counters = thread.Counters();
  EXPECT_EQ(counters.framesSkipped, 0);
  EXPECT_EQ(counters.framesDrawn, counters.framesEmulated);
  EXPECT_EQ(counters.fpsTenths, 0);  // equal stamps read as 0
}

TEST(EmulatorThread, PausesNestAndResumeWhileRunningDoesNothing) {
  FakeClock clock;
  FakeConsole console;
  FakeSound sound;
  CEmulatorThread thread(clock);
  thread.SetDevices({nullptr, &sound, nullptr, nullptr});
  EXPECT_FALSE(thread.IsRunning());
  thread.Pause();  // not running: nothing
  thread.Resume();
  ASSERT_TRUE(thread.Start(console));
  thread.Resume();  // running: nothing
  EXPECT_EQ(thread.GetState(), CEmulatorThread::State::kRunning);
  thread.Pause();
  thread.Pause();
  EXPECT_EQ(thread.PauseCount(), 2);
  thread.Resume();
  EXPECT_EQ(thread.GetState(), CEmulatorThread::State::kPaused);
  EXPECT_EQ(thread.PauseCount(), 1);
  thread.Resume();
  EXPECT_EQ(thread.GetState(), CEmulatorThread::State::kRunning);
  EXPECT_EQ(thread.PauseCount(), 0);
  thread.Stop();
  EXPECT_FALSE(thread.IsRunning());
  thread.Stop();
  EXPECT_EQ(sound.calls, "start pause resume stop ");
}

TEST(EmulatorThread, ReadoutShowsTheRateOnlyWhenAskedAndIsClearedEveryPassOtherwise) {
  for (const bool shown : {true, false}) {
    FakeClock clock;
    FakeConsole console;
    FakeVideo video;
    CEmulatorThread thread(clock);
    thread.SetDevices({&video, nullptr, nullptr, nullptr});
    thread.SetSettings({true, shown});
    FrameWaiter waiter(thread);
    ASSERT_TRUE(thread.Start(console));
    ASSERT_TRUE(waiter.WaitFor(100));
    thread.Stop();
    std::lock_guard lock(video.mutex);
    ASSERT_EQ(static_cast<int64_t>(video.texts.size()), thread.Counters().framesDrawn);
    if (shown) {
      EXPECT_EQ(video.texts.front(), "FPS:0.0");  // until 32 passes have been timed
      EXPECT_EQ(video.texts.back(), FpsText(thread.Counters().fpsTenths));
      EXPECT_EQ(FpsText(600), "FPS:60.0");
    } else {
      for (const std::string& text : video.texts) EXPECT_EQ(text, "");
    }
  }
}

TEST(EmulatorThread, WhileTheDriverHoldsTheInputFramesRunWithoutDevicesPictureOrSound) {
  FakeClock clock;
  FakeConsole console;
  FakeVideo video;
  FakeSound sound;
  FakeInput input;
  CEmulatorThread thread(clock);
  thread.SetDevices({&video, &sound, &input, nullptr});
  EXPECT_TRUE(thread.DriverHoldsInput());
  FrameWaiter waiter(thread);
  ASSERT_TRUE(thread.Start(console));
  ASSERT_TRUE(waiter.WaitFor(30));
  EXPECT_EQ(input.polls, 0);
  EXPECT_EQ(video.rendered, 0);
  EXPECT_EQ(video.presented, 0);
  EXPECT_EQ(sound.looks, 0);
  thread.RequestPressA();
  thread.SetDriverHoldsInput(false);
  // Counted from the release: a fake-clock thread may run far past frame 30 meanwhile.
  ASSERT_TRUE(waiter.WaitFor(waiter.Frame() + 60));
  thread.Stop();
  EXPECT_GT(input.polls, 0);
  EXPECT_GT(video.rendered, 0);
  EXPECT_GT(video.presented, 0);
  EXPECT_EQ(video.emphasis, 7 * 2 + 1);
  EXPECT_EQ(console.attached, video.buffer.data());
  EXPECT_EQ(thread.Counters().soundBlocksWritten, sound.looks / 2);
  EXPECT_EQ(console.filled, thread.Counters().soundBlocksWritten * 8);
  EXPECT_EQ(std::count(console.presses.begin(), console.presses.end(), true), 1);
  EXPECT_EQ(console.firstPads[29], 0);        // held: no keys reach the pads
  EXPECT_EQ(console.firstPads.back(), 0x10);  // released: the user's pads
}

TEST(EmulatorThread, AnErrorFreezesTheEmulationTellsTheWindowAndResumeGoesOn) {
  FakeClock clock;
  FakeConsole console;
  std::atomic<bool> failing{true};
  console.onFrame = [&](int frame) {
    if (frame == 10 && failing) throw std::runtime_error("bad opcode");
  };
  std::mutex mutex;
  std::condition_variable told;
  std::vector<std::string> notices;
  CEmulatorThread thread(clock);
  thread.SetNoticeHandler([&](const std::string& text) {
    std::lock_guard lock(mutex);
    notices.push_back(text);
    told.notify_all();
  });
  FrameWaiter waiter(thread);
  ASSERT_TRUE(thread.Start(console));
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(told.wait_for(lock, 60s, [&] { return !notices.empty(); }));
  }
  EXPECT_TRUE(thread.Frozen());
  EXPECT_NE(notices[0].find("bad opcode"), std::string::npos);
  EXPECT_NE(notices[0].find("Game -> Stop"), std::string::npos);
  failing = false;
  thread.Resume();
  EXPECT_FALSE(thread.Frozen());
  ASSERT_TRUE(waiter.WaitFor(40));
  thread.Stop();
  EXPECT_EQ(notices.size(), 1u);
}

// The game driver's scripted cartridge as the emulator thread runs it.
class CartridgeConsole final : public IFrameConsole {
 public:
  explicit CartridgeConsole(driver::testing::FakeCartridge& cartridge) : cartridge_(cartridge) {}
  void AttachRenderBuffer(uint8_t*) override {}
  void SetPadButtons(const std::array<uint16_t, 4>&) override {}
  void SyncInput(bool pressA) override { press_ = pressA; }
  uint32_t FrameInput() override { return 0; }
  void SetFrameInput(uint32_t) override {}
  void RunFrame(bool) override { cartridge_.RunFrame(press_); }
  uint8_t MaskRegister() const override { return 0; }
  void FillSound(uint8_t*, int) override {}
  driver::IConsoleMemory& Memory() override { return cartridge_; }
  int FrameRate() const override { return 60; }

 private:
  driver::testing::FakeCartridge& cartridge_;
  bool press_ = false;
};

driver::DriverGame Game() {
  driver::DriverGame game;
  game.formationPairValue = 33;
  game.controlByte = 0x22;
  return game;
}

TEST(EmulatorThreadWithDriver, PausesAndResumesWhileTheDriverBootsTheCartridge) {
  CUnpacedFrameClock clock;  // as fast as the machine goes
  driver::testing::FakeCartridge cartridge;
  CartridgeConsole console(cartridge);
  driver::testing::RecordingUi ui;
  CEmulatorThread thread(clock);
  driver::CThreadedGame game(thread, Game(), ui);
  game.Start();
  ASSERT_TRUE(thread.Start(console));
  ASSERT_TRUE(ui.WaitFor(driver::DriverStage::kWaitingForMainMenu, 60s));
  thread.Pause();
  thread.Pause();
  thread.Resume();
  thread.Resume();
  ASSERT_TRUE(ui.WaitFor(driver::DriverStage::kMonitoring, 60s));
  EXPECT_FALSE(thread.DriverHoldsInput());
  thread.Stop();  // the window's order: the frames first, then the driver
  game.Stop();
  EXPECT_TRUE(game.DriverEnded());
  EXPECT_EQ(cartridge.picks, (std::vector<std::pair<int, int>>{{5, 0}, {8, 0}}));
  EXPECT_EQ(cartridge.accessesDuringFrame, 0);
}

TEST(EmulatorThreadWithDriver, StopsDuringADriverWaitAndAThousandStartStopCycles) {
  CUnpacedFrameClock clock;
  driver::testing::FakeCartridge cartridge;
  cartridge.screenDelays[0] = 1'000'000;
  CartridgeConsole console(cartridge);
  CEmulatorThread thread(clock);
  for (int cycle = 0; cycle < 1000; ++cycle) {
    driver::testing::RecordingUi ui;
    driver::CThreadedGame game(thread, Game(), ui);
    if (cycle % 100 == 0) game.Start();
    ASSERT_TRUE(thread.Start(console));
    if (cycle % 100 == 0) {
      ASSERT_TRUE(ui.WaitFor(driver::DriverStage::kWaitingForTitle, 60s));
    }
    if (cycle % 2 == 0) {
      game.Stop();
      thread.Stop();
    } else {
      thread.Stop();
      game.Stop();
    }
    ASSERT_FALSE(thread.IsRunning());
  }
}

}  // namespace
}  // namespace qgu::host
