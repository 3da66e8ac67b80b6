#pragma once
// The DMC (delta modulation) channel. Sample bytes are read through the CPU
// bus while samples are synthesised, on the sound output's schedule; it stalls
// no CPU and raises no interrupt.

#include <cstdint>

namespace qgu::core {

class SoundBus;

class CDmc {
 public:
  void Reset() { *this = CDmc(); }
  // reg 0-3 for $4010-$4013.
  void Write(int reg, uint8_t data);
  void Enable();   // $4015 bit 4 set
  void Disable();  // $4015 bit 4 clear
  // Emitted level x 256 after the next `span` 16.16 cycles.
  int Sample(int64_t span, SoundBus& bus);

  // Numerator over 256 by which a loud DMC level quietens the triangle and noise.
  int VolumeEffect() const { return (128 - counter_) * 2 - lowBit_; }

  // Output level L = b + 2d - 64, which the emitted value follows.
  int Level() const { return lowBit_ + 2 * counter_ - 64; }
  bool Playing() const { return enabled_ && bitCount_ > 0; }
  int Counter() const { return counter_; }
  uint16_t Address() const { return address_; }
  int BitCount() const { return bitCount_; }

 private:
  static constexpr int kSlewLimit = 8;

  bool TakeBit(SoundBus& bus);  // false once the sample has ended

  bool enabled_ = false;
  bool loop_ = false;
  int rate_ = 428;
  int counter_ = 0;  // 6 bits
  int lowBit_ = 0;   // $4011 bit 0
  uint16_t reloadAddress_ = 0xC000;
  int reloadBits_ = 8;
  uint16_t address_ = 0xC000;
  int bitCount_ = 0;
  uint8_t byte_ = 0;
  int emitted_ = -64;  // starts at rest, on the level of a cleared counter
  int64_t phase_ = 0;
};

}  // namespace qgu::core
