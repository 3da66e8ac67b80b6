#pragma once
// The noise channel: a 15-bit shift register stepped at one of 16 periods.

#include <cstdint>

#include "core/apu/channel_parts.h"

namespace qgu::core {

class CNoise {
 public:
  static constexpr uint16_t kInitialShiftRegister = 0x4000;

  // The shift register keeps running across resets: it starts once, at
  // construction, so every new unit plays the same noise.
  void Reset();
  // reg 0-3 for $400C-$400F; `allowed` is $4015 bit 3.
  void Write(int reg, uint8_t data, bool allowed);
  void Disable();
  void FrameStep(int value);
  bool Sounding() const { return volume_.Sounding(); }
  // Mean of the step levels in the next `span` 16.16 cycles, before the DMC
  // volume effect.
  int Sample(int64_t span);

  uint16_t ShiftRegister() const { return shift_; }
  int Length() const { return volume_.Count(); }

 private:
  int Level() const { return out_ == 0 ? volume_.Amplitude() : 0; }
  void Step();

  CEnvelopedLength volume_;
  int period_ = 4;
  uint16_t tapMask_ = 0x02;
  uint16_t shift_ = kInitialShiftRegister;
  int out_ = 0;
  int64_t phase_ = 0;
};

}  // namespace qgu::core
