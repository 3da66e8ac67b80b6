#pragma once
// How a year changes a player: every rating drifts by his age (young players
// grow, the peak holds at 27 and 28, the old decline), and after the season he
// may retire, the more likely the older he is and the more he declined;
// kickers and punters change half as fast and retire four years later. The curves are tables,
// documented in docs/dynasty.md.

#include <array>

#include "dynasty/positions.h"

namespace qgu::dynasty {

// Steps a rating moves in a year, on average, at this age (before the
// season that follows).
double DevelopmentDrift(int age, Kind kind);

// The chance per thousand that a player retires after the season he played
// at this age; `fell` is how many steps his overall lost this offseason and
// `overall` what it is now.
int RetirementChance(int age, Kind kind, double fell, double overall);

// The age a kind of player reaches the same point of the retirement curve
// at: kickers and punters are four years younger for it.
int CurveAge(int age, Kind kind);

// Drift by curve age, 21 and younger at [0], 35 and older at the end.
inline constexpr std::array<double, 15> kDriftByAge = {1.2, 1.0, 0.8, 0.6, 0.4, 0.2, 0.0, 0.0,
                                                       -0.2, -0.4, -0.6, -0.8, -1.0, -1.2, -1.5};
inline constexpr int kFirstCurveAge = 21;
// Retirement per thousand by curve age, 27 and younger at [0], 37 and older at the end.
inline constexpr std::array<int, 11> kRetirementByAge = {10, 15, 25, 50, 90, 150, 230, 330, 450, 600, 800};
inline constexpr int kFirstRetirementAge = 27;

}  // namespace qgu::dynasty
