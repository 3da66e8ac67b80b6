#include "core/apu/sound_unit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/apu/sound_bus.h"
#include "core/machine.h"

namespace qgu::core {

namespace {

constexpr int kDefaultRate = 22050;
// The sound output offers 11025-48000 Hz; anything far outside is a damaged setting.
constexpr int kMinRate = 4000;
constexpr int kMaxRate = 192000;
// Output time runs on the frame schedule: frame cycles x 5 = CPU cycles per second.
constexpr double kScheduleCyclesPerSecond = kNtscTiming.frameCycles * 5.0;
// Output time may lead the CPU by 1/24 of a frame's cycles and trail it by 1/6.
constexpr double kMaxLead = kNtscTiming.frameCycles / 24;
constexpr double kMaxLag = kNtscTiming.frameCycles / 6;
// First-order high-pass at 40 Hz: 2 pi 40.
constexpr double kDcCutoffTimesTwoPi = 251.32741228632;
// The CPU's cycle total wraps at 2^32; the output time wraps with it.
constexpr double kCycleWrap = 4294967296.0;
// A "Volume" setting is a percentage; out-of-range settings are held to this.
constexpr int kMaxVolumePercent = 1000;

int SamplingRate(const MachineSettings& settings) {
  if (settings.samplingRate <= 0) return kDefaultRate;
  return std::clamp(settings.samplingRate, kMinRate, kMaxRate);
}

int VolumePercent(const MachineSettings& settings, int channel) {
  return std::clamp(settings.volume[channel], 0, kMaxVolumePercent);
}

}  // namespace

CSoundUnit::CSoundUnit(SoundBus& bus) : bus_(bus) { enabled_.fill(1); }

CSoundUnit::CSoundUnit(std::unique_ptr<SoundBus> ownedBus)
    : ownedBus_(std::move(ownedBus)), bus_(*ownedBus_) {
  enabled_.fill(1);
}

CSoundUnit::~CSoundUnit() = default;

void CSoundUnit::Reset() {
  queue_.Clear();
  outputTime_ = 0.0;
  synthesis_.Reset();
  timing_.Reset();
  sequencer_.Reset();
  SetRate();
}

void CSoundUnit::SetRate() {
  const int rate = SamplingRate(bus_.Settings());
  cyclesPerSample_ = kScheduleCyclesPerSecond / rate;
  channelSpan_ = std::llround(static_cast<double>(kNtscTiming.cpuClock) / rate * 65536.0);
  dcCoefficient_ = kDcCutoffTimesTwoPi / rate;
}

void CSoundUnit::Write(uint16_t address, uint8_t data) {
  const int reg = address & 0xFF;
  if (reg > 0x1F) return;
  if (writesHeard_) queue_.Append({bus_.CpuTotalCycles(), address, data});
  timing_.Write(address, data);
  if (reg == 0x17) {
    sequencer_.Write4017(data);
    // Carries the moment of the mode change to the synthesis side.
    if ((data & 0x80) != 0) bus_.WriteIoPort(0x4018, 0);
  }
}

uint8_t CSoundUnit::Read(uint16_t address) {
  if ((address & 0xFF) == 0x15) return timing_.Status();
  return static_cast<uint8_t>(address >> 8);
}

int CSoundUnit::SyncSteps(int cycles) {
  sequencer_.Advance(cycles, bus_.FrameIrqEnabled(),
                     [this](int value) { bus_.WriteIoPort(0x4018, static_cast<uint8_t>(value)); });
  return sequencer_.InterruptFlag();
}

CSoundUnit::ChannelVolumes CSoundUnit::Volumes() const {
  const MachineSettings& settings = bus_.Settings();
  const int64_t master = enabled_[kChannelMaster] != 0 ? VolumePercent(settings, 0) : 0;
  ChannelVolumes volumes{};
  for (int i = 0; i < kInternalChannels; ++i) {
    const int channel = i + 1;
    volumes[i] = enabled_[channel] != 0
                     ? kChannelWeights[i] * VolumePercent(settings, channel) * master / 10000
                     : 0;
  }
  return volumes;
}

// How far the output time is ahead of the CPU (negative: behind), taken across
// the counters' wrap.
double CSoundUnit::LeadOverCpu() const {
  double lead = outputTime_ - bus_.CpuTotalCycles();
  if (lead >= kCycleWrap / 2) lead -= kCycleWrap;
  if (lead < -kCycleWrap / 2) lead += kCycleWrap;
  return lead;
}

void CSoundUnit::ApplyWritesUpTo(uint32_t time) {
  while (!queue_.Empty() && static_cast<int32_t>(queue_.Front().time - time) <= 0) {
    synthesis_.Write(queue_.Front().address, queue_.Front().data);
    queue_.Pop();
  }
}

void CSoundUnit::ApplyAllWrites() {
  for (; !queue_.Empty(); queue_.Pop()) synthesis_.Write(queue_.Front().address, queue_.Front().data);
}

int CSoundUnit::MixSample(const ChannelVolumes& volumes, bool dmcVolumeEffect) {
  const ChannelLevels levels = synthesis_.Sample(channelSpan_, bus_, dmcVolumeEffect);
  int64_t mix = 0;
  for (int i = 0; i < kInternalChannels; ++i) mix += levels[i] * volumes[i];
  mix >>= 8;
  const double y = static_cast<double>(mix) - dcLevel_;
  dcLevel_ += y * dcCoefficient_;
  return static_cast<int>(std::clamp(y, -32768.0, 32767.0));
}

// The DMC rests at level -64, not 0. The filter starts on the mix of the silent
// channels, so a new unit does not open with a thump while the filter settles.
void CSoundUnit::SettleDcFilter(const ChannelVolumes& volumes) {
  dcLevel_ = static_cast<double>((synthesis_.Dmc().Level() * 256 * volumes[kChannelDpcm - 1]) >> 8);
  dcSettled_ = true;
}

void CSoundUnit::Process(uint8_t* buffer, int bytes) {
  if (buffer == nullptr || bytes <= 0) return;
  const MachineSettings& settings = bus_.Settings();
  const bool wide = settings.samplingBits == 16;
  if (!settings.soundEnable) {
    std::memset(buffer, wide ? 0 : 0x80, bytes);
    return;
  }
  const int samples = wide ? bytes / 2 : bytes;
  if (wide && (bytes & 1) != 0) buffer[bytes - 1] = 0;

  const ChannelVolumes volumes = Volumes();
  if (!dcSettled_) SettleDcFilter(volumes);
  if (LeadOverCpu() > 0) ApplyAllWrites();  // the CPU counter was reset
  displayCount_ = 0;
  for (int i = 0; i < samples; ++i) {
    ApplyWritesUpTo(static_cast<uint32_t>(outputTime_));
    const int y = MixSample(volumes, !settings.disableVolumeEffect);
    if (wide) {
      const int16_t sample = static_cast<int16_t>(y);
      std::memcpy(buffer + 2 * i, &sample, sizeof sample);
    } else {
      buffer[i] = static_cast<uint8_t>((y >> 8) ^ 0x80);
    }
    if (displayCount_ < static_cast<int>(display_.size())) {
      display_[displayCount_++] = static_cast<int16_t>(y);
    }
    outputTime_ += cyclesPerSample_;
    if (outputTime_ >= kCycleWrap) outputTime_ -= kCycleWrap;
  }
  ResyncOutputTime();
}

void CSoundUnit::ResyncOutputTime() {
  const double now = bus_.CpuTotalCycles();
  if (LeadOverCpu() > kMaxLead) outputTime_ = now;
  if (-LeadOverCpu() > kMaxLag) outputTime_ = now;
}

int CSoundUnit::ToggleMute(int channel) {
  if (channel < 0 || channel >= kChannelFlags) return 0;
  enabled_[channel] = enabled_[channel] != 0 ? 0 : 1;
  return enabled_[channel];
}

int CSoundUnit::ChannelEnabled(int channel) const {
  if (channel < 0 || channel >= kChannelFlags) return 0;
  return enabled_[channel];
}

CSoundUnit::FrameSequencerState CSoundUnit::GetFrameSequencer() const {
  return sequencer_.GetState();
}

void CSoundUnit::SetFrameSequencer(const FrameSequencerState& state) { sequencer_.SetState(state); }

void CSoundUnit::ClearQueues() { queue_.Clear(); }

const int16_t* CSoundUnit::RecentSamples() const { return display_.data(); }

}  // namespace qgu::core
