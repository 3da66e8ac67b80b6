#include "core/apu/rectangle.h"

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
      envelope_.Write(data);
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
      period_ = (period_ & 0x700) | data;
      break;
    case 3:
      period_ = (period_ & 0xFF) | ((data & 0x07) << 8);
      length_.Load(data, allowed);
      envelope_.Restart();
      dutyStep_ = 0;
      break;
    default:
      break;
  }
}

void CRectangle::Disable() { length_.Disable(); }

void CRectangle::FrameStep(int value) {
  if (!Sounding()) return;
  const bool halfFrame = (value & 1) != 0;
  if (halfFrame) {
    if (!envelope_.Loop()) length_.Clock();
    if (sweepEnabled_ && sweepShift_ != 0) ClockSweep();
  }
  envelope_.Clock();
}

void CRectangle::ClockSweep() {
  if (sweepCounter_ > 0) --sweepCounter_;
  if (sweepCounter_ != 0) return;
  sweepCounter_ = sweepPeriod_;
  const int change = period_ >> sweepShift_;
  if (!sweepNegate_) {
    // A target beyond 11 bits silences the channel (it is above the sweep
    // limit) and leaves the period as it is, so it cannot grow without bound.
    if (period_ + change <= kMaxPeriod) period_ += change;
  } else {
    period_ -= change + (index_ == 0 ? 1 : 0);
    if (period_ < 0) period_ = 0;
  }
}

bool CRectangle::Silent() const {
  return !Sounding() || period_ < 8 || (!sweepNegate_ && period_ > sweepLimit_);
}

int CRectangle::Sample(int64_t span) {
  if (Silent()) return 0;
  const int amplitude = envelope_.Amplitude();
  return static_cast<int>(AverageSteps(
      phase_, CyclesToPhase(period_ + 1), span,
      [&] { return static_cast<int64_t>(dutyStep_ < duty_ ? amplitude : -amplitude); },
      [&] { dutyStep_ = (dutyStep_ + 1) & 15; }));
}

}  // namespace qgu::core
