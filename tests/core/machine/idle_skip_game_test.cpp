// Whole headless games of the football cartridge with idle-loop skipping on
// and off: the machine's state agrees every 600 frames and the box score is
// the same. A short game here; ten full ones in the slow test beside it.
#include <gtest/gtest.h>

#include <vector>

#include "core/cpu/cpu.h"
#include "tests/core/machine/idle_skip_game.h"

namespace qgu::core {
namespace {

TEST(IdleSkipGame, AOneMinuteGameIsTheSameWithSkippingOnAndOff) {
  const tools::CTemporaryLeague league;
  const testing::GameTrace skipping = testing::TraceGame(league, 11, 1, true);
  const testing::GameTrace running = testing::TraceGame(league, 11, 1, false);
  ASSERT_TRUE(skipping.finished) << skipping.error;
  ASSERT_TRUE(running.finished) << running.error;
  EXPECT_EQ(skipping.frames, running.frames);
  EXPECT_EQ(skipping.hashes, running.hashes);
  EXPECT_EQ(skipping.boxScore, running.boxScore);
  EXPECT_GT(skipping.hashes.size(), 10u);
  // The cartridge waits for most of each frame.
  EXPECT_GT(skipping.idleShare, 0.4);
  EXPECT_EQ(running.idleShare, 0.0);
}

}  // namespace
}  // namespace qgu::core
