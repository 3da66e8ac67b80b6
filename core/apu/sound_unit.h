#pragma once
// CSoundUnit: records every CPU write to the sound registers with its cycle
// time, keeps a timing-only copy of the registers that answers $4015 and
// raises the frame interrupt in step with the CPU, and synthesises the five
// internal channels on the sound output's schedule. The two sides meet only
// through the write queue: Write, Read and Sync run inside CPU execution and
// never synthesise; Process replays the queued writes at their times.
//
// Every member runs on the emulator thread (Process from its frame loop).

#include <array>
#include <cstdint>
#include <memory>

#include "core/apu/frame_sequencer.h"
#include "core/apu/sound_channels.h"
#include "core/apu/write_queue.h"

namespace qgu::core {

class CMachine;
class SoundBus;

// Names of the mute flags, for the host's "%s Mute." / "%s Enable." messages.
inline constexpr std::array<const char*, 14> kSoundChannelNames = {
    "Master", "Rectangle 1", "Rectangle 2", "Triangle", "Noise", "DPCM", "Ex CH1",
    "Ex CH2", "Ex CH3",      "Ex CH4",      "Ex CH5",   "Ex CH6", "Ex CH7", "Ex CH8"};

// Mixing weights of the internal channels, rectangle 1 first.
inline constexpr std::array<int, kInternalChannels> kChannelWeights = {240, 240, 304, 192, 240};

class CSoundUnit {
 public:
  explicit CSoundUnit(CMachine& machine);
  // A unit on a bus of the caller's (tests); the bus must outlive the unit.
  explicit CSoundUnit(SoundBus& bus);
  virtual ~CSoundUnit();
  CSoundUnit(const CSoundUnit&) = delete;
  CSoundUnit& operator=(const CSoundUnit&) = delete;

  // Empties the queue, rewinds the output time, resets both register sets and
  // the sequencer, then applies the rate. Mute flags survive.
  void Reset();
  // Takes the configured sampling rate again (the CPU clock is fixed).
  void SetRate();
  void Write(uint16_t address, uint8_t data);  // $4000-$401F
  uint8_t Read(uint16_t address);
  // Advances the timing copy; nonzero while the frame-interrupt flag is set.
  // Called before every CPU run: the bus is asked for the option only when a
  // step is due.
  int Sync(int cycles) {
    if (!sequencer_.StepDue(cycles)) {
      sequencer_.Count(cycles);
      return sequencer_.InterruptFlag();
    }
    return SyncSteps(cycles);
  }
  // Fills `bytes` bytes of 8-bit or 16-bit mono samples.
  void Process(uint8_t* buffer, int bytes);
  int ToggleMute(int channel);  // returns the new flag
  int ChannelEnabled(int channel) const;

  // The frame sequencer's state, for snapshots.
  using FrameSequencerState = CFrameSequencer::State;
  FrameSequencerState GetFrameSequencer() const;
  void SetFrameSequencer(const FrameSequencerState& state);
  void ClearQueues();
  // The timing copy as a whole, for the machine's state in memory.
  void SetTimingCopy(const CSoundChannels& channels) { timing_ = channels; }
  // Off while frames are run again after a rollback: their register writes
  // reach the timing copy but are not heard a second time.
  void SetWritesHeard(bool heard) { writesHeard_ = heard; }

  // The first samples (up to 256) of the latest Process call, for display.
  const int16_t* RecentSamples() const;
  int RecentSampleCount() const { return displayCount_; }

  // The two register sets, for inspection.
  const CSoundChannels& TimingCopy() const { return timing_; }
  const CSoundChannels& Synthesis() const { return synthesis_; }
  double OutputTime() const { return outputTime_; }

 private:
  explicit CSoundUnit(std::unique_ptr<SoundBus> ownedBus);

  using ChannelVolumes = std::array<int64_t, kInternalChannels>;
  int SyncSteps(int cycles);  // Sync when a step is due
  ChannelVolumes Volumes() const;
  void ApplyWritesUpTo(uint32_t time);
  double LeadOverCpu() const;
  void ApplyAllWrites();
  int MixSample(const ChannelVolumes& volumes, bool dmcVolumeEffect);
  void SettleDcFilter(const ChannelVolumes& volumes);
  void ResyncOutputTime();

  std::unique_ptr<SoundBus> ownedBus_;
  SoundBus& bus_;
  CSoundWriteQueue queue_;
  double outputTime_ = 0.0;  // CPU cycles of the next sample, wrapped as the CPU's total
  CSoundChannels synthesis_;
  CSoundChannels timing_;
  CFrameSequencer sequencer_;
  std::array<int32_t, kChannelFlags> enabled_;
  std::array<int16_t, 256> display_{};
  int displayCount_ = 0;
  double dcLevel_ = 0.0;  // the DC filter's running estimate
  bool dcSettled_ = false;
  bool writesHeard_ = true;

  // From the sampling rate.
  double cyclesPerSample_ = 0.0;  // output time per sample
  int64_t channelSpan_ = 0;       // channel time per sample, 16.16 CPU cycles
  double dcCoefficient_ = 0.0;
};

}  // namespace qgu::core
