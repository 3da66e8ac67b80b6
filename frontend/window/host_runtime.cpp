#include "frontend/window/host_runtime.h"

#include <SDL.h>

#include "host/profile_file.h"
#include "host/sdl_joysticks.h"

namespace qgu::frontend {
namespace {
constexpr const char* kWindowSection = "Window";
constexpr const char* kFirstGamePlayedKey = "FirstGamePlayed";
}  // namespace

CHostRuntime::CHostRuntime(std::filesystem::path configFile) : configFile_(std::move(configFile)) {}

CHostRuntime::~CHostRuntime() = default;

bool CHostRuntime::Initialize() {
  // SDL would turn SIGINT and SIGTERM into a quit event nobody reads, and the
  // program could then not be ended from outside.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  config_ = host::LoadAppConfigFile(configFile_, &settingsNotes_);
  {
    host::ProfileFile profile;
    profile.Select(host::ProfileLocation(configFile_));
    firstGamePlayed_ = profile.ReadInt(kWindowSection, kFirstGamePlayedKey, 0) != 0;
  }
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
  if (auto status = OpenSound(); !status) {
    deviceProblems_.push_back(status.error());
    soundDeviceFailed_ = true;
    config_.sound.enable = 0;
  }
}

league::Status CHostRuntime::OpenSound() {
  if (sound_.Ready()) return {};
  if (auto status = sound_.Initialize(); !status) return status;
  sound_.SetSampleFormat(config_.sound.samplingRate, config_.sound.samplingBits);
  sound_.SetBufferSize(config_.sound.bufferSize);
  return sound_.CreateStreamBuffer();
}

league::Status CHostRuntime::SetSoundOn(bool on) {
  if (on) {
    if (auto opened = OpenSound(); !opened) {
      config_.sound.enable = 0;
      return opened;
    }
  }
  config_.sound.enable = on ? 1 : 0;
  return {};
}

void CHostRuntime::MarkFirstGamePlayed() {
  if (firstGamePlayed_) return;
  firstGamePlayed_ = true;
  host::ProfileFile profile;
  profile.Select(host::ProfileLocation(configFile_));
  // Written now: a window ended by a signal or a crash keeps it too. A file
  // that cannot be read is not written over (the hint comes again).
  (void)profile.WriteInt(kWindowSection, kFirstGamePlayedKey, 1);
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
