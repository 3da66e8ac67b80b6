#include "core/apu/dmc.h"

#include <algorithm>
#include <array>

#include "core/apu/channel_parts.h"
#include "core/apu/sound_bus.h"

namespace qgu::core {

namespace {

constexpr std::array<int, 16> kDmcRates = {428, 380, 340, 320, 286, 254, 226, 214,
                                           190, 160, 142, 128, 106, 85,  72,  54};

}  // namespace

void CDmc::Write(int reg, uint8_t data) {
  switch (reg) {
    case 0:
      rate_ = kDmcRates[data & 0x0F];
      loop_ = (data & 0x40) != 0;
      break;
    case 1:
      counter_ = (data >> 1) & 0x3F;
      lowBit_ = data & 1;
      break;
    case 2:
      reloadAddress_ = static_cast<uint16_t>(0xC000 + 64 * data);
      break;
    case 3:
      reloadBits_ = 128 * data + 8;
      break;
    default:
      break;
  }
}

void CDmc::Enable() {
  enabled_ = true;
  if (bitCount_ == 0) {
    address_ = reloadAddress_;
    bitCount_ = reloadBits_;
  }
}

void CDmc::Disable() {
  enabled_ = false;
  bitCount_ = 0;
}

bool CDmc::TakeBit(SoundBus& bus) {
  if ((bitCount_ & 7) == 0) {
    byte_ = bus.CpuRead(address_);
    address_ = address_ == 0xFFFF ? 0x8000 : static_cast<uint16_t>(address_ + 1);
  }
  bool more = true;
  if (--bitCount_ == 0) {
    if (loop_) {
      address_ = reloadAddress_;
      bitCount_ = reloadBits_;
    } else {
      enabled_ = false;
      more = false;
    }
  }
  const int bit = (byte_ >> (7 - (bitCount_ & 7))) & 1;
  if (bit != 0) {
    if (counter_ <= 62) ++counter_;
  } else if (counter_ >= 2) {
    --counter_;
  }
  return more;
}

int CDmc::Sample(int64_t span, SoundBus& bus) {
  if (Playing()) {
    const int64_t step = CyclesToPhase(rate_);
    for (phase_ += span; phase_ >= step;) {
      phase_ -= step;
      if (!TakeBit(bus)) {
        phase_ = 0;
        break;
      }
    }
  }
  emitted_ += std::clamp(Level() - emitted_, -kSlewLimit, kSlewLimit);
  return emitted_ * 256;
}

}  // namespace qgu::core
