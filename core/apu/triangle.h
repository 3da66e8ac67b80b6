#pragma once
// The triangle channel: 32-step sequence, linear counter, length counter.

#include <cstdint>

#include "core/apu/channel_parts.h"

namespace qgu::core {

class CTriangle {
 public:
  void Reset() { *this = CTriangle(); }
  // reg 0-3 for $4008-$400B; `allowed` is $4015 bit 2.
  void Write(int reg, uint8_t data, bool allowed);
  void Disable();
  void FrameStep(int value);
  bool Sounding() const;  // $4015 status bit
  // Level over the next `span` 16.16 cycles, before the DMC volume effect.
  int Sample(int64_t span);

  int Length() const { return length_.Count(); }
  int LinearCounter() const { return linear_; }

 private:
  bool Running() const;

  CLengthCounter length_;
  int linear_ = 0;
  bool control_ = false;
  bool reload_ = false;
  uint8_t last4008_ = 0;
  CPeriodTimer timer_;
  int step_ = 0;
  int lastValue_ = 0;
};

}  // namespace qgu::core
