#include "core/apu/triangle.h"

namespace qgu::core {

namespace {

// 0..15 then 15..0, 512 per level.
int TriangleLevel(int step) { return (step < 16 ? step : 31 - step) * 512; }

}  // namespace

void CTriangle::Write(int reg, uint8_t data, bool allowed) {
  switch (reg) {
    case 0:
      if (reload_) {
        linear_ = data & 0x7F;
        control_ = (data & 0x80) != 0;
      }
      if ((data & 0x7F) == 0) linear_ = 0;
      reload_ = (data & 0x80) != 0;
      last4008_ = data;
      break;
    case 2:
      timer_.WriteLow(data);
      break;
    case 3:
      timer_.WriteHigh(data);
      length_.Load(data, allowed);
      reload_ = true;
      control_ = (last4008_ & 0x80) != 0;
      linear_ = last4008_ & 0x7F;
      break;
    default:
      break;
  }
}

void CTriangle::Disable() {
  length_.Disable();
  linear_ = 0;
}

void CTriangle::FrameStep(int value) {
  if (!length_.Enabled() || control_) return;
  if ((value & 1) != 0) length_.Clock();
  reload_ = false;
  if (linear_ > 0) --linear_;
  if (length_.Count() == 0) linear_ = 0;
}

// With the control flag set the linear counter governs the channel (its
// length counter is halted); otherwise the length counter does.
bool CTriangle::Sounding() const {
  return length_.Enabled() && (control_ ? linear_ > 0 : length_.Count() > 0);
}

bool CTriangle::Running() const {
  return length_.Active() && linear_ >= 1 && timer_.Period() >= 8;
}

int CTriangle::Sample(int64_t span) {
  if (!Running()) return lastValue_;
  lastValue_ = static_cast<int>(timer_.Average(
      span, [&] { return static_cast<int64_t>(TriangleLevel(step_)); }, [&] { step_ = (step_ + 1) & 31; }));
  return lastValue_;
}

}  // namespace qgu::core
