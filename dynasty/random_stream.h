#pragma once
// The dynasty's random numbers: a stream fixed by its seed on every machine
// (splitmix64), so the same seed gives the same offseason everywhere. Each
// offseason step of each year draws from a stream of its own.

#include <cstdint>
#include <string_view>

namespace qgu::dynasty {

class CRandomStream {
 public:
  explicit CRandomStream(uint64_t seed) : state_(seed) {}
  // A stream for one step of one year of a dynasty.
  static CRandomStream For(uint32_t dynastySeed, int year, std::string_view step);

  uint64_t Next();
  // 0 .. n-1 (n > 0).
  int Below(int n);
  // True with the chance per thousand.
  bool PerMille(int chance) { return Below(1000) < chance; }
  // x rounded down or up at random in proportion to its fraction.
  int RoundRandomly(double x);
  // A sum of three draws in -spread..spread: peaked at 0.
  int Wobble(int spread);

 private:
  uint64_t state_;
};

}  // namespace qgu::dynasty
