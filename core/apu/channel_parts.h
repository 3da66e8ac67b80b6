#pragma once
// Pieces shared by the channels: the length table and counter, the volume
// envelope, the period timer and the box-filter average of a stepped
// waveform over one output sample.

#include <algorithm>
#include <array>
#include <cstdint>

namespace qgu::core {

// The console's length table, in frame-sequencer half-frame counts.
inline constexpr std::array<uint8_t, 32> kLengthTable = {
    10, 254, 20, 2,  40, 4,  80, 6,  160, 8,  60, 10, 14, 12, 26, 14,
    12, 16,  24, 18, 48, 20, 96, 22, 192, 24, 72, 26, 16, 28, 32, 30};

inline uint8_t LengthFromRegister(uint8_t data) { return kLengthTable[data >> 3]; }

// A channel's enable flag and length counter. The flag is set only by a length
// load while the channel's $4015 bit is set, and cleared with the count.
class CLengthCounter {
 public:
  void Load(uint8_t data, bool allowed) {
    count_ = LengthFromRegister(data);
    if (allowed) enabled_ = true;
  }
  void Disable() {
    enabled_ = false;
    count_ = 0;
  }
  void Clock() {
    if (count_ > 0) --count_;
  }
  bool Enabled() const { return enabled_; }
  bool Active() const { return enabled_ && count_ > 0; }
  int Count() const { return count_; }

 private:
  bool enabled_ = false;
  int count_ = 0;
};

// 16.16 fixed-point CPU cycles.
inline constexpr int kPhaseShift = 16;
inline constexpr int64_t CyclesToPhase(int64_t cycles) { return cycles << kPhaseShift; }

// Volume envelope of the rectangles and the noise channel.
class CEnvelope {
 public:
  void Reset() { *this = CEnvelope(); }
  // $4000/$4004/$400C bits 0-5.
  void Write(uint8_t data) {
    loop_ = (data & 0x20) != 0;
    constant_ = (data & 0x10) != 0;
    volume_ = data & 0x0F;
    period_ = (data & 0x0F) + 1;
  }
  // A length-register write restarts the envelope at full volume.
  void Restart() {
    counter_ = period_ + 1;
    decay_ = 15;
  }
  // One frame-sequencer step.
  void Clock() {
    if (counter_ > 0) --counter_;
    if (counter_ != 0) return;
    counter_ = period_;
    if (decay_ > 0) {
      --decay_;
    } else if (loop_) {
      decay_ = 15;
    }
  }
  bool Loop() const { return loop_; }  // also the length counter's halt flag
  int Amplitude() const { return (constant_ ? volume_ : decay_) * 256; }

 private:
  bool loop_ = false;
  bool constant_ = false;
  int volume_ = 0;
  int period_ = 1;
  int counter_ = 0;
  int decay_ = 0;
};

// The envelope and length counter of the rectangles and the noise channel,
// which share their register bits: the envelope's loop flag halts the count,
// and a length load restarts the envelope.
class CEnvelopedLength {
 public:
  void WriteVolume(uint8_t data) { envelope_.Write(data); }  // register 0
  // Register 3; `allowed` is the channel's $4015 bit.
  void Load(uint8_t data, bool allowed) {
    length_.Load(data, allowed);
    envelope_.Restart();
  }
  void Disable() { length_.Disable(); }
  // One frame-sequencer step; odd values are half frames.
  void FrameStep(int value) {
    if ((value & 1) != 0 && !envelope_.Loop()) length_.Clock();
    envelope_.Clock();
  }
  bool Sounding() const { return length_.Active(); }  // $4015 status bit
  int Amplitude() const { return envelope_.Amplitude(); }
  int Count() const { return length_.Count(); }

 private:
  CLengthCounter length_;
  CEnvelope envelope_;
};

// Time-weighted mean of a stepped waveform over `span` (16.16 cycles), moving
// it on through every step boundary it crosses. value() gives the level of the
// current step, next() moves to the following step.
template <typename ValueFn, typename NextFn>
int64_t AverageSteps(int64_t& phase, int64_t stepLength, int64_t span, ValueFn value,
                     NextFn next) {
  if (span <= 0) return value();
  if (phase >= stepLength) {  // the period shrank since the last sample
    phase = 0;
    next();
  }
  int64_t sum = 0;
  for (int64_t left = span; left > 0;) {
    const int64_t run = std::min(left, stepLength - phase);
    sum += value() * run;
    phase += run;
    left -= run;
    if (phase >= stepLength) {
      phase -= stepLength;
      next();
    }
  }
  return sum / span;
}

// The 11-bit period timer of the rectangles and the triangle: register 2
// sets the period's low byte, register 3 its top three bits, and a step of
// the waveform lasts period + 1 CPU cycles.
class CPeriodTimer {
 public:
  void WriteLow(uint8_t data) { period_ = (period_ & 0x700) | data; }
  void WriteHigh(uint8_t data) { period_ = (period_ & 0xFF) | ((data & 0x07) << 8); }
  int Period() const { return period_; }
  void SetPeriod(int period) { period_ = period; }
  // AverageSteps over the next `span` with this timer's step length.
  template <typename ValueFn, typename NextFn>
  int64_t Average(int64_t span, ValueFn value, NextFn next) {
    return AverageSteps(phase_, CyclesToPhase(period_ + 1), span, value, next);
  }

 private:
  int period_ = 0;
  int64_t phase_ = 0;
};

}  // namespace qgu::core
