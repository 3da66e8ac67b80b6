// Kept apart from sound_unit.cpp so that the unit links without a machine in
// tests that drive it through a fake bus.
#include "core/apu/sound_bus.h"
#include "core/apu/sound_unit.h"
#include "core/cpu/cpu.h"
#include "core/machine.h"

namespace qgu::core {

const MachineSettings& MachineSoundBus::Settings() const { return machine_.Settings(); }
uint32_t MachineSoundBus::CpuTotalCycles() const { return machine_.Cpu().TotalCycles(); }
uint8_t MachineSoundBus::CpuRead(uint16_t address) { return machine_.CpuRead(address); }
void MachineSoundBus::WriteIoPort(uint16_t address, uint8_t data) {
  machine_.WriteIoPort(address, data);
}
bool MachineSoundBus::FrameIrqEnabled() const { return machine_.FrameIrqEnabled(); }

CSoundUnit::CSoundUnit(CMachine& machine)
    : CSoundUnit(std::make_unique<MachineSoundBus>(machine)) {}

}  // namespace qgu::core
