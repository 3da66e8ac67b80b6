#pragma once
// The emulated machine as the emulator thread runs it.

#include "core/machine.h"
#include "host/emulator_thread.h"

namespace qgu::host {

class CMachineConsole final : public IFrameConsole, private driver::IConsoleMemory {
 public:
  // machine must outlive the console.
  explicit CMachineConsole(core::CMachine& machine) : machine_(machine) {}

  void AttachRenderBuffer(uint8_t* buffer) override;
  void SetPadButtons(const std::array<uint16_t, 4>& pads) override;
  void SyncInput(bool pressA) override;
  uint32_t FrameInput() override;
  void SetFrameInput(uint32_t input) override;
  void RunFrame(bool draw) override { machine_.RunFrame(draw); }
  uint8_t MaskRegister() const override;
  void FillSound(uint8_t* buffer, int bytes) override;
  driver::IConsoleMemory& Memory() override { return *this; }
  int FrameRate() const override { return core::CMachine::Timing().frameRate; }
  bool SaveState(core::MachineState& state) override;
  void RestoreState(const core::MachineState& state) override { machine_.RestoreState(state); }
  void SetSoundHeard(bool heard) override;

  core::CMachine& Machine() { return machine_; }

 private:
  uint8_t Read(uint16_t address) const override { return machine_.PeekByte(address); }
  void Write(uint16_t address, uint8_t value) override { machine_.PokeByte(address, value); }

  core::CMachine& machine_;
};

}  // namespace qgu::host
