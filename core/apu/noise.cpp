#include "core/apu/noise.h"

#include <array>

namespace qgu::core {

namespace {

constexpr std::array<int, 16> kNoisePeriods = {4,   8,   16,  32,  64,  96,   128,  160,
                                               202, 254, 380, 508, 762, 1016, 2034, 4068};

}  // namespace

void CNoise::Reset() {
  const uint16_t shift = shift_;
  *this = CNoise();
  shift_ = shift;
}

void CNoise::Write(int reg, uint8_t data, bool allowed) {
  switch (reg) {
    case 0:
      volume_.WriteVolume(data);
      break;
    case 2:
      period_ = kNoisePeriods[data & 0x0F];
      tapMask_ = (data & 0x80) != 0 ? 0x40 : 0x02;
      break;
    case 3:
      volume_.Load(data, allowed);
      break;
    default:
      break;
  }
}

void CNoise::Disable() { volume_.Disable(); }

void CNoise::FrameStep(int value) {
  if (Sounding()) volume_.FrameStep(value);
}

void CNoise::Step() {
  out_ = shift_ & 1;
  const int feedback = out_ ^ ((shift_ & tapMask_) != 0 ? 1 : 0);
  shift_ = static_cast<uint16_t>((shift_ >> 1) | (feedback << 14));
}

int CNoise::Sample(int64_t span) {
  if (!Sounding()) return 0;
  const int64_t stepLength = CyclesToPhase(period_);
  int64_t sum = 0;
  int steps = 0;
  for (phase_ += span; phase_ >= stepLength; phase_ -= stepLength) {
    Step();
    sum += Level();
    ++steps;
  }
  return steps == 0 ? Level() : static_cast<int>(sum / steps);
}

}  // namespace qgu::core
