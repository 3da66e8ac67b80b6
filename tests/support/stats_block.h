#pragma once
// The 242-byte statistics block of one side, decoded for checks, and the
// rules a finished game's figures must keep.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <span>

namespace qgu::testing {

struct TeamTotals {
  int passAttempts = 0, completions = 0, passTouchdowns = 0, interceptionsThrown = 0, passYards = 0;
  int rushAttempts = 0, rushYards = 0, rushTouchdowns = 0;
  int receptions = 0, receivingYards = 0, receivingTouchdowns = 0;
  int kickReturnTouchdowns = 0, puntReturnTouchdowns = 0;
  int interceptions = 0, interceptionTouchdowns = 0;
  int extraPointsTried = 0, extraPointsMade = 0, fieldGoalsTried = 0, fieldGoalsMade = 0;

  // Touchdowns this side scored: on the ground, through the air, on returns.
  int Touchdowns() const {
    return rushTouchdowns + receivingTouchdowns + kickReturnTouchdowns + puntReturnTouchdowns + interceptionTouchdowns;
  }
};

inline int Signed16(std::span<const uint8_t> b, size_t at) {
  return static_cast<int16_t>(static_cast<uint16_t>(b[at] | (b[at + 1] << 8)));
}

inline TeamTotals Decode(std::span<const uint8_t> b) {
  TeamTotals t;
  for (size_t q = 0; q < 2; ++q) {
    const size_t at = q * 10;
    t.passAttempts += b[at];
    t.completions += b[at + 1];
    t.passTouchdowns += b[at + 2];
    t.interceptionsThrown += b[at + 3];
    t.passYards += Signed16(b, at + 4);
    t.rushAttempts += b[at + 6];
    t.rushYards += Signed16(b, at + 7);
    t.rushTouchdowns += b[at + 9];
  }
  for (size_t p = 0; p < 10; ++p) {
    const size_t at = 20 + p * 16;
    t.receptions += b[at];
    t.receivingYards += Signed16(b, at + 1);
    t.receivingTouchdowns += b[at + 3];
    t.kickReturnTouchdowns += b[at + 7];
    t.puntReturnTouchdowns += b[at + 11];
    t.rushAttempts += b[at + 12];
    t.rushYards += Signed16(b, at + 13);
    t.rushTouchdowns += b[at + 15];
  }
  for (size_t d = 0; d < 11; ++d) {
    const size_t at = 180 + d * 5;
    t.interceptions += b[at + 1];
    t.interceptionTouchdowns += b[at + 4];
  }
  t.extraPointsTried = b[235];
  t.extraPointsMade = b[236];
  t.fieldGoalsTried = b[237];
  t.fieldGoalsMade = b[238];
  return t;
}

// One side's figures against the other's and against its final score.
inline void ExpectFiguresAgree(const TeamTotals& side, const TeamTotals& other, int score) {
  // Passers and receivers tell the same story.
  EXPECT_EQ(side.completions, side.receptions);
  EXPECT_EQ(side.passYards, side.receivingYards);
  EXPECT_EQ(side.passTouchdowns, side.receivingTouchdowns);
  EXPECT_LE(side.completions, side.passAttempts);
  EXPECT_EQ(side.interceptionsThrown, other.interceptions);
  EXPECT_LE(side.extraPointsMade, side.extraPointsTried);
  EXPECT_LE(side.fieldGoalsMade, side.fieldGoalsTried);
  EXPECT_LE(side.extraPointsTried, side.Touchdowns());
  // Every point is accounted for; what is left are safeties, two points each.
  const int accounted = 6 * side.Touchdowns() + side.extraPointsMade + 3 * side.fieldGoalsMade;
  EXPECT_GE(score, accounted);
  EXPECT_EQ((score - accounted) % 2, 0) << "score " << score << " accounted " << accounted;
}

}  // namespace qgu::testing
