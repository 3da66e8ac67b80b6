#pragma once
// The five internal channels and their register map. The sound unit keeps two
// sets: the synthesis side, fed from the write queue on the output's schedule,
// and the timing copy, fed at CPU time, which only answers $4015.

#include <array>
#include <cstdint>

#include "core/apu/dmc.h"
#include "core/apu/noise.h"
#include "core/apu/rectangle.h"
#include "core/apu/triangle.h"

namespace qgu::core {

class SoundBus;

// Channel numbers as the mute flags and the "Volume" settings count them.
enum SoundChannel : int {
  kChannelMaster = 0,
  kChannelRectangle1 = 1,
  kChannelRectangle2 = 2,
  kChannelTriangle = 3,
  kChannelNoise = 4,
  kChannelDpcm = 5,
  kInternalChannels = 5,
  kChannelFlags = 16,
};

// One synthesised value per internal channel (index 0 = rectangle 1).
using ChannelLevels = std::array<int, kInternalChannels>;

class CSoundChannels {
 public:
  void Reset();
  // $4000-$4013, $4015, and $4018 (a frame-sequencer step value).
  void Write(uint16_t address, uint8_t data);
  uint8_t Status() const;  // the $4015 read
  // Advances every channel by `span` (16.16 CPU cycles) and returns their levels.
  ChannelLevels Sample(int64_t span, SoundBus& bus, bool dmcVolumeEffect);

  const CRectangle& Rectangle(int index) const { return rectangles_[index]; }
  const CTriangle& Triangle() const { return triangle_; }
  const CNoise& Noise() const { return noise_; }
  const CDmc& Dmc() const { return dmc_; }

 private:
  void WriteStatus(uint8_t data);
  void FrameStep(int value);

  std::array<CRectangle, 2> rectangles_ = {CRectangle(0), CRectangle(1)};
  CTriangle triangle_;
  CNoise noise_;
  CDmc dmc_;
  uint8_t last4015_ = 0;
};

}  // namespace qgu::core
