#pragma once
// CControllerPorts: the host's button state turned into the serial bit
// streams read at $4016/$4017, for four pads, with turbo and the four-player
// adapter.

#include <cstdint>

namespace qgu::core {

class CMachine;

// Pad byte bits as the cartridge reads them.
enum PadBit : uint8_t {
  kPadA = 0x01, kPadB = 0x02, kPadSelect = 0x04, kPadStart = 0x08,
  kPadUp = 0x10, kPadDown = 0x20, kPadLeft = 0x40, kPadRight = 0x80,
};

// Host button numbers per pad (bit n of the host mask).
enum HostButton : int {
  kHostUp = 0, kHostDown, kHostLeft, kHostRight, kHostA, kHostB,
  kHostTurboA, kHostTurboB, kHostSelect, kHostStart, kHostMic,
};

class CControllerPorts {
 public:
  static constexpr int kPads = 4;

  explicit CControllerPorts(CMachine& machine);
  virtual ~CControllerPorts();

  void Reset();
  // The host's buttons for one pad: bit n set while host button n is down.
  void SetHostButtons(int pad, uint16_t buttonMask);
  // Samples all four pads for the coming frame; pressA forces A on every pad.
  void Sync(bool pressA);
  uint32_t GetFrameInput() const;
  void SetFrameInput(uint32_t value);
  uint8_t Read(uint16_t address);  // $4016 / $4017
  void Write(uint16_t address, uint8_t data);

  // The sampled pad bytes of the current frame.
  uint8_t PadByte(int pad) const { return pad_[pad & 3]; }

  // Shift registers and strobe, for snapshots.
  struct ShiftState {
    uint32_t shift[kPads];
    bool strobe;
  };
  ShiftState GetShiftState() const;
  void SetShiftState(const ShiftState& state);

 private:
  uint8_t SamplePad(int pad, bool pressA);
  bool TurboStep(int pad, int which, bool held);
  void Latch();

  uint32_t shift_[kPads] = {};
  CMachine& machine_;
  uint8_t pad_[kPads] = {};
  uint8_t microphone_ = 0;
  int turboCounter_[kPads][2] = {};
  bool strobe_ = false;
  uint16_t hostButtons_[kPads] = {};
};

}  // namespace qgu::core
