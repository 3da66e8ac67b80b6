#include "core/apu/rectangle.h"

#include <algorithm>
#include <array>

namespace qgu::core {

namespace {

constexpr std::array<int, 4> kDutySteps = {2, 4, 8, 12};
// Highest period whose upward sweep target still fits in 11 bits, by shift.
constexpr std::array<int, 8> kSweepLimit = {1023, 1365, 1638, 1820, 1927, 1985, 2016, 2032};
constexpr int kMaxPeriod = 0x7FF;

}  // namespace

void CRectangle::Reset() { *this = CRectangle(index_); }

void CRectangle::Write(int reg, uint8_t data, bool allowed) {
  switch (reg) {
    case 0:
      volume_.WriteVolume(data);
      duty_ = kDutySteps[data >> 6];
      break;
    case 1:
      sweepEnabled_ = (data & 0x80) != 0;
      sweepNegate_ = (data & 0x08) != 0;
      sweepShift_ = data & 0x07;
      sweepPeriod_ = ((data >> 4) & 0x07) + 1;
      sweepLimit_ = kSweepLimit[sweepShift_];
      break;
    case 2:
      timer_.WriteLow(data);
      break;
    case 3:
      timer_.WriteHigh(data);
      volume_.Load(data, allowed);
      dutyStep_ = 0;
      break;
    default:
      break;
  }
}

void CRectangle::Disable() { volume_.Disable(); }

void CRectangle::FrameStep(int value) {
  if (!Sounding()) return;
  volume_.FrameStep(value);
  const bool halfFrame = (value & 1) != 0;
  if (halfFrame && sweepEnabled_ && sweepShift_ != 0) ClockSweep();
}

void CRectangle::ClockSweep() {
  if (sweepCounter_ > 0) --sweepCounter_;
  if (sweepCounter_ != 0) return;
  sweepCounter_ = sweepPeriod_;
  const int period = timer_.Period();
  const int change = period >> sweepShift_;
  if (!sweepNegate_) {
    // A target beyond 11 bits silences the channel (it is above the sweep
    // limit) and leaves the period as it is, so it cannot grow without bound.
    if (period + change <= kMaxPeriod) timer_.SetPeriod(period + change);
  } else {
    timer_.SetPeriod(std::max(0, period - change - (index_ == 0 ? 1 : 0)));
  }
}

bool CRectangle::Silent() const {
  const int period = timer_.Period();
  return !Sounding() || period < 8 || (!sweepNegate_ && period > sweepLimit_);
}

int CRectangle::Sample(int64_t span) {
  if (Silent()) return 0;
  const int amplitude = volume_.Amplitude();
  return static_cast<int>(timer_.Average(
      span, [&] { return static_cast<int64_t>(dutyStep_ < duty_ ? amplitude : -amplitude); },
      [&] { dutyStep_ = (dutyStep_ + 1) & 15; }));
}

}  // namespace qgu::core
