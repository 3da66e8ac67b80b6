#pragma once
// CSoundUnit: records every CPU write to the sound registers with its cycle
// time, keeps a timing-only copy of the registers that answers $4015 and
// raises the frame interrupt in step with the CPU, and synthesises the five
// internal channels on the sound output's schedule.

#include <cstdint>

namespace qgu::core {

class CMachine;

class CSoundUnit {
 public:
  explicit CSoundUnit(CMachine& machine);
  virtual ~CSoundUnit();

  void Reset();
  void SetRate();
  void Write(uint16_t address, uint8_t data);  // $4000-$401F
  uint8_t Read(uint16_t address);
  // Advances the timing copy; nonzero while the frame-interrupt flag is set.
  int Sync(int cycles);
  // Fills `bytes` bytes of 8-bit or 16-bit mono samples.
  void Process(uint8_t* buffer, int bytes);
  int ToggleMute(int channel);  // returns the new flag
  int ChannelEnabled(int channel) const;

  // The frame sequencer's state, for snapshots.
  struct FrameSequencerState {
    uint8_t last4017;
    uint8_t interruptPending;
    uint8_t step;
    uint8_t fiveStepMode;
    int32_t cycleCount;
  };
  FrameSequencerState GetFrameSequencer() const;
  void SetFrameSequencer(const FrameSequencerState& state);
  void ClearQueues();

  // The last 256 output samples, for display.
  const int16_t* RecentSamples() const;

 private:
  CMachine& machine_;
  // The implementation adds its state here.
};

}  // namespace qgu::core
