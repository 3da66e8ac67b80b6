#pragma once
// One rectangle channel: 16-step duty sequence, envelope, sweep, length counter.

#include <cstdint>

#include "core/apu/channel_parts.h"

namespace qgu::core {

class CRectangle {
 public:
  // index 0 for rectangle 1 (whose negated sweep subtracts one more), 1 for rectangle 2.
  explicit CRectangle(int index) : index_(index) {}

  void Reset();
  // reg 0-3 for $4000-$4003 (or $4004-$4007); `allowed` is this channel's $4015 bit.
  void Write(int reg, uint8_t data, bool allowed);
  void Disable();  // $4015 bit clear
  void FrameStep(int value);
  bool Sounding() const { return volume_.Sounding(); }  // $4015 status bit
  // Mean level over the next `span` 16.16 cycles.
  int Sample(int64_t span);

  int Period() const { return timer_.Period(); }
  int Length() const { return volume_.Count(); }

 private:
  bool Silent() const;
  void ClockSweep();

  int index_;
  CEnvelopedLength volume_;
  CPeriodTimer timer_;
  int duty_ = 2;  // high steps of 16
  int dutyStep_ = 0;
  bool sweepEnabled_ = false;
  bool sweepNegate_ = false;
  int sweepShift_ = 0;
  int sweepPeriod_ = 1;
  int sweepCounter_ = 0;
  int sweepLimit_ = 1023;
};

}  // namespace qgu::core
