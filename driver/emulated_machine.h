#pragma once
// The emulated console behind the game driver: frames through the controller
// ports' per-frame sampling (which ORs in the driver's press) and the
// machine's frame, memory through the CPU page table.

#include <cstdint>

#include "core/machine.h"
#include "driver/game_machine.h"

namespace qgu::driver {

class CEmulatedGameMachine final : public IGameMachine, private IConsoleMemory {
 public:
  // draw: render the picture (a window shows it); headless games skip it.
  explicit CEmulatedGameMachine(core::CMachine& machine, bool draw = false) : machine_(machine), draw_(draw) {}

  void RunFrame(bool pressA) override;
  IConsoleMemory& Memory() override { return *this; }
  core::CMachine& Machine() { return machine_; }

 private:
  uint8_t Read(uint16_t address) const override { return machine_.PeekByte(address); }
  void Write(uint16_t address, uint8_t value) override { machine_.PokeByte(address, value); }

  core::CMachine& machine_;
  bool draw_;
};

}  // namespace qgu::driver
