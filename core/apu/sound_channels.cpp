#include "core/apu/sound_channels.h"

namespace qgu::core {

void CSoundChannels::Reset() {
  for (CRectangle& rectangle : rectangles_) rectangle.Reset();
  triangle_.Reset();
  noise_.Reset();
  dmc_.Reset();
  last4015_ = 0;
}

void CSoundChannels::Write(uint16_t address, uint8_t data) {
  const int reg = address & 0xFF;
  if (reg <= 0x07) {
    const int index = reg >> 2;
    rectangles_[index].Write(reg & 3, data, (last4015_ & (1 << index)) != 0);
  } else if (reg <= 0x0B) {
    triangle_.Write(reg & 3, data, (last4015_ & 0x04) != 0);
  } else if (reg <= 0x0F) {
    noise_.Write(reg & 3, data, (last4015_ & 0x08) != 0);
  } else if (reg <= 0x13) {
    dmc_.Write(reg & 3, data);
  } else if (reg == 0x15) {
    WriteStatus(data);
  } else if (reg == 0x18) {
    FrameStep(data);
  }
}

void CSoundChannels::WriteStatus(uint8_t data) {
  last4015_ = data;
  if ((data & 0x01) == 0) rectangles_[0].Disable();
  if ((data & 0x02) == 0) rectangles_[1].Disable();
  if ((data & 0x04) == 0) triangle_.Disable();
  if ((data & 0x08) == 0) noise_.Disable();
  if ((data & 0x10) != 0) {
    dmc_.Enable();
  } else {
    dmc_.Disable();
  }
}

void CSoundChannels::FrameStep(int value) {
  for (CRectangle& rectangle : rectangles_) rectangle.FrameStep(value);
  triangle_.FrameStep(value);
  noise_.FrameStep(value);
}

uint8_t CSoundChannels::Status() const {
  uint8_t status = 0;
  if (rectangles_[0].Sounding()) status |= 0x01;
  if (rectangles_[1].Sounding()) status |= 0x02;
  if (triangle_.Sounding()) status |= 0x04;
  if (noise_.Sounding()) status |= 0x08;
  return status;
}

ChannelLevels CSoundChannels::Sample(int64_t span, SoundBus& bus, bool dmcVolumeEffect) {
  // The triangle and noise hear the DMC level as it stands before this sample.
  const int effect = dmcVolumeEffect ? dmc_.VolumeEffect() : 256;
  ChannelLevels levels{};
  levels[0] = rectangles_[0].Sample(span);
  levels[1] = rectangles_[1].Sample(span);
  levels[2] = triangle_.Sample(span) * effect / 256;
  levels[3] = noise_.Sample(span) * effect / 256;
  levels[4] = dmc_.Sample(span, bus);
  return levels;
}

}  // namespace qgu::core
