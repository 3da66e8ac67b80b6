// Ten whole games of 5-minute quarters, each with idle-loop skipping on and
// off: the same state every 600 frames and the same box score (slow: about
// a minute).
#include <gtest/gtest.h>

#include "tests/core/machine/idle_skip_game.h"

namespace qgu::core {
namespace {

TEST(IdleSkipFullGames, TenSeedsAreTheSameWithSkippingOnAndOff) {
  const tools::CTemporaryLeague league;
  for (uint32_t seed = 1; seed <= 10; ++seed) {
    const testing::GameTrace skipping = testing::TraceGame(league, seed, 5, true);
    const testing::GameTrace running = testing::TraceGame(league, seed, 5, false);
    ASSERT_TRUE(skipping.finished) << "seed " << seed << ": " << skipping.error;
    ASSERT_TRUE(running.finished) << "seed " << seed << ": " << running.error;
    EXPECT_EQ(skipping.hashes, running.hashes) << "seed " << seed;
    EXPECT_EQ(skipping.boxScore, running.boxScore) << "seed " << seed;
  }
}

}  // namespace
}  // namespace qgu::core
