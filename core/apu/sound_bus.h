#pragma once
// What the sound unit needs of the machine it sits in. The machine provides it
// through MachineSoundBus; tests drive the unit through a fake of their own.

#include <cstdint>

#include "core/machine_settings.h"

namespace qgu::core {

class CMachine;

class SoundBus {
 public:
  virtual ~SoundBus() = default;

  virtual const MachineSettings& Settings() const = 0;
  // The CPU's total cycle counter: the time stamp of every register write.
  // It wraps; compare stamps by their wrapped difference.
  virtual uint32_t CpuTotalCycles() const = 0;
  // DMC sample bytes are fetched through the CPU bus.
  virtual uint8_t CpuRead(uint16_t address) = 0;
  // Frame-sequencer steps go out as $4018 writes through the machine's I/O
  // port handler, which hands them back to the sound unit's Write.
  virtual void WriteIoPort(uint16_t address, uint8_t data) = 0;
  // The "FrameIRQ" game option.
  virtual bool FrameIrqEnabled() const = 0;
};

// The bus of a real machine.
class MachineSoundBus final : public SoundBus {
 public:
  explicit MachineSoundBus(CMachine& machine) : machine_(machine) {}

  const MachineSettings& Settings() const override;
  uint32_t CpuTotalCycles() const override;
  uint8_t CpuRead(uint16_t address) override;
  void WriteIoPort(uint16_t address, uint8_t data) override;
  bool FrameIrqEnabled() const override;

 private:
  CMachine& machine_;
};

}  // namespace qgu::core
