#include "host/machine_console.h"

#include "core/apu/sound_unit.h"
#include "core/controller_ports.h"
#include "core/ppu/picture_unit.h"
#include "core/snapshot.h"

namespace qgu::host {

namespace {
constexpr int kMaskRegister = 1;  // $2001
}  // namespace

void CMachineConsole::AttachRenderBuffer(uint8_t* buffer) {
  if (buffer != nullptr && buffer != machine_.RenderBuffer()) machine_.AttachRenderBuffer(buffer);
}

void CMachineConsole::SetPadButtons(const std::array<uint16_t, 4>& pads) {
  for (int pad = 0; pad < 4; ++pad) machine_.ControllerPorts().SetHostButtons(pad, pads[static_cast<size_t>(pad)]);
}

void CMachineConsole::SyncInput(bool pressA) { machine_.ControllerPorts().Sync(pressA); }

uint32_t CMachineConsole::FrameInput() { return machine_.ControllerPorts().GetFrameInput(); }

void CMachineConsole::SetFrameInput(uint32_t input) { machine_.ControllerPorts().SetFrameInput(input); }

uint8_t CMachineConsole::MaskRegister() const { return machine_.PictureUnit().State().registers[kMaskRegister]; }

void CMachineConsole::FillSound(uint8_t* buffer, int bytes) { machine_.SoundUnit().Process(buffer, bytes); }

}  // namespace qgu::host

namespace qgu::host {

bool CMachineConsole::SaveState(core::MachineState& state) {
  machine_.SaveState(state);
  return true;
}

void CMachineConsole::SetSoundHeard(bool heard) { machine_.SoundUnit().SetWritesHeard(heard); }

}  // namespace qgu::host
