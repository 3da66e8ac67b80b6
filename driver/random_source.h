#pragma once
// The generator the computer play calling draws from. Injectable, so tests can
// script its draws and headless games can be replayed from a fixed seed.

#include <cstdint>
#include <memory>
#include <random>

namespace qgu::driver {

class IRandomSource {
 public:
  virtual ~IRandomSource() = default;
  virtual uint32_t Next() = 0;
};

// The next value modulo n (n > 0).
inline int RandomBelow(IRandomSource& random, int n) {
  return static_cast<int>(random.Next() % static_cast<uint32_t>(n));
}

class CSeededRandom final : public IRandomSource {
 public:
  explicit CSeededRandom(uint32_t seed) : engine_(seed) {}
  uint32_t Next() override { return static_cast<uint32_t>(engine_()); }

 private:
  std::mt19937 engine_;
};

// Seconds since the epoch, the seed of an ordinary game.
uint32_t TimeSeed();

}  // namespace qgu::driver
