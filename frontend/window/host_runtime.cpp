#include "frontend/window/host_runtime.h"

#include <SDL.h>

#include "host/sdl_joysticks.h"

namespace qgu::frontend {

CHostRuntime::CHostRuntime(std::filesystem::path configFile) : configFile_(std::move(configFile)) {}

CHostRuntime::~CHostRuntime() = default;

bool CHostRuntime::Initialize() {
  // SDL would turn SIGINT and SIGTERM into a quit event nobody reads, and the
  // program could then not be ended from outside.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  config_ = host::LoadAppConfigFile(configFile_, &settingsNotes_);
  video_.SetScanlines(config_.graphics.scanlineMode != 0, config_.graphics.scanlineColor);
  if (config_.graphics.paletteUse != 0 && !config_.graphics.paletteFile.empty()) {
    if (auto loaded = video_.LoadPaletteFile(config_.graphics.paletteFile); !loaded) {
      deviceProblems_.push_back(loaded.error());
    }
  }
  InitializeSound();
  input_.Initialize(host::MakeSdlJoysticks());
  input_.SetJoyAxisSettings(config_.general.joyAxisSetting);
  input_.SetBindings(config_.controllers);
  return true;
}

void CHostRuntime::InitializeSound() {
  if (config_.sound.enable == 0) return;
  if (auto status = sound_.Initialize(); !status) {
    deviceProblems_.push_back(status.error());
    return;
  }
  sound_.SetSampleFormat(config_.sound.samplingRate, config_.sound.samplingBits);
  sound_.SetBufferSize(config_.sound.bufferSize);
  if (auto status = sound_.CreateStreamBuffer(); !status) deviceProblems_.push_back(status.error());
}

league::Status CHostRuntime::SaveConfig() const { return host::SaveAppConfigFile(config_, configFile_); }

core::MachineSettings CHostRuntime::MachineSettings() const {
  core::MachineSettings settings = host::ToMachineSettings(config_);
  const host::SoundGeometry geometry = sound_.Geometry();
  settings.samplingRate = geometry.rate;
  settings.samplingBits = geometry.bits;
  return settings;
}

host::PacingSettings CHostRuntime::Pacing() const {
  return {config_.emulation.autoFrameSkip != 0, config_.graphics.fpsDisp != 0};
}

}  // namespace qgu::frontend
