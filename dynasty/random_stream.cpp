#include "dynasty/random_stream.h"

#include <cmath>

namespace qgu::dynasty {

CRandomStream CRandomStream::For(uint32_t dynastySeed, int year, std::string_view step) {
  uint64_t seed = 0x9E3779B97F4A7C15ull ^ dynastySeed;
  seed = seed * 0x100000001B3ull ^ static_cast<uint64_t>(year);
  for (char c : step) seed = (seed ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
  return CRandomStream(seed);
}

uint64_t CRandomStream::Next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int CRandomStream::Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }

int CRandomStream::RoundRandomly(double x) {
  const double whole = std::floor(x);
  const double fraction = x - whole;
  return static_cast<int>(whole) + (static_cast<double>(Below(1 << 20)) < fraction * (1 << 20) ? 1 : 0);
}

int CRandomStream::Wobble(int spread) {
  int sum = 0;
  for (int i = 0; i < 3; ++i) sum += Below(2 * spread + 1) - spread;
  return sum / 3;
}

}  // namespace qgu::dynasty
