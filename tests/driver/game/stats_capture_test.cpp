// The statistics capture's own paths: what it reads, when it takes the input
// back, and its two failure messages.

#include <gtest/gtest.h>

#include <stdexcept>

#include "driver/cartridge_memory.h"
#include "driver/stats_capture.h"
#include "driver/team_stats.h"
#include "tests/driver/game/fake_cartridge.h"

namespace qgu::driver {
namespace {

using namespace cartmem;
using testing::FakeConsoleMemory;
using testing::RecordingUi;
using Messages = std::vector<std::pair<std::string, std::string>>;

// Memory whose reads in one range fail, as a vanished machine would.
class FailingMemory final : public IConsoleMemory {
 public:
  FailingMemory(const FakeConsoleMemory& inner, uint16_t first, uint16_t last) : inner_(inner), first_(first), last_(last) {}
  uint8_t Read(uint16_t address) const override {
    if (address >= first_ && address <= last_) throw std::runtime_error("memory gone");
    return inner_.Read(address);
  }
  void Write(uint16_t, uint8_t) override {}

 private:
  const FakeConsoleMemory& inner_;
  uint16_t first_;
  uint16_t last_;
};

class MemoryConsole final : public IDriverConsole {
 public:
  explicit MemoryConsole(IConsoleMemory& memory) : memory_(memory) {}
  void Sleep(int) override {}
  void PressA() override {}
  void WithMemory(const std::function<void(IConsoleMemory&)>& step) override { step(memory_); }
  void SetDriverHoldsInput(bool holds) override { holdsInput = holds; }
  bool holdsInput = false;

 private:
  IConsoleMemory& memory_;
};

class StatsCaptureTest : public ::testing::Test {
 protected:
  StatsCaptureTest() {
    home = testing::TeamRecordOf(folder.path(), testing::MakeTeam("PELLMARSH", "GRIFFINS", "PEL", 2));
    away = testing::TeamRecordOf(folder.path(), testing::MakeTeam("OSTRAVEN", "LANTERNS", "OST", 4));
    auto& b = memory.bytes;
    // Period bytes $07, $14, $00, $03 make 24; the totals are not used.
    b[kHomePeriodScores] = 0x07;
    b[kHomePeriodScores + 1] = 0x14;
    b[kHomePeriodScores + 3] = 0x03;
    b[kHomeTotalScore] = 0x99;
    b[kAwayPeriodScores + 2] = 0x10;
    for (int i = 0; i < kStatsBlockBytes; ++i) {
      b[kHomeStatsBlock + i] = static_cast<uint8_t>(i % 7);
      b[kAwayStatsBlock + i] = static_cast<uint8_t>(i % 5);
    }
  }
  void Capture(IConsoleMemory& from) {
    MemoryConsole console(from);
    CaptureStatistics(console, ui, home, away);
    holdsInput = console.holdsInput;
  }

  testing::TempFolder folder;
  league::TeamRecord home;
  league::TeamRecord away;
  FakeConsoleMemory memory;
  RecordingUi ui;
  bool holdsInput = false;
};

TEST_F(StatsCaptureTest, ShowsScoresAndDecodedStatisticsOnce) {
  Capture(memory);
  ASSERT_EQ(ui.summaries, 1);
  EXPECT_EQ(ui.summary->homeScore, "24");
  EXPECT_EQ(ui.summary->awayScore, "10");
  EXPECT_EQ(ui.summary->homeStats, DecodeTeamStats(home, ReadRawStats(memory, kHomeStatsBlock)));
  EXPECT_EQ(ui.summary->awayStats, DecodeTeamStats(away, ReadRawStats(memory, kAwayStatsBlock)));
  EXPECT_TRUE(holdsInput);
  EXPECT_EQ(ui.refreshed, 1);
  EXPECT_EQ(ui.soundStopped, 1);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StatsCaptureTest, UnreadableRawBlocksSayErrorCompilingStatsAndShowNoSummary) {
  FailingMemory failing(memory, kAwayStatsBlock + 100, kAwayStatsBlock + 100);
  Capture(failing);
  EXPECT_FALSE(ui.summary);
  EXPECT_EQ(ui.messages, (Messages{{"Quozi Gridcrown ULTRA", "Error compiling stats"}}));
  // Nothing after the failed read: the input, picture and sound stay as they were.
  EXPECT_FALSE(holdsInput);
  EXPECT_EQ(ui.refreshed, 0);
  EXPECT_EQ(ui.soundStopped, 0);
}

TEST_F(StatsCaptureTest, AFailureAfterTheBlocksSaysExceptionWhileProcessing) {
  FailingMemory failing(memory, kHomePeriodScores, kHomePeriodScores);
  Capture(failing);
  EXPECT_FALSE(ui.summary);
  EXPECT_EQ(ui.messages, (Messages{{"Quozi Gridcrown ULTRA", "Exception while processing game stats !"}}));
  EXPECT_TRUE(holdsInput);

  RecordingUi failingSummary;
  failingSummary.failSummary = true;
  MemoryConsole console(memory);
  CaptureStatistics(console, failingSummary, home, away);
  EXPECT_EQ(failingSummary.messages, (Messages{{"Quozi Gridcrown ULTRA", "Exception while processing game stats !"}}));
}

TEST_F(StatsCaptureTest, StoppingPassesThroughWithoutAMessage) {
  ui.stopOnSound = true;
  EXPECT_THROW(Capture(memory), GameStopped);
  EXPECT_FALSE(ui.summary);
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace qgu::driver
