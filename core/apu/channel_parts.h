#pragma once
// Pieces shared by the channels: the length table, the volume envelope and the
// box-filter average of a stepped waveform over one output sample.

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

}  // namespace qgu::core
