#pragma once
// CHostRuntime: the process's devices and settings while the main window
// lives: the settings record from "./qgu.ini" (saved back when the window
// goes), the video output, the sound output with its stream buffer, the
// input devices and the window's key capture.

#include <memory>
#include <string>
#include <vector>

#include "core/machine_settings.h"
#include "host/app_config.h"
#include "host/direct_input.h"
#include "host/direct_sound.h"
#include "host/emulator_thread.h"
#include "host/key_events.h"
#include "host/video_output.h"

namespace qgu::frontend {

class CHostRuntime {
 public:
  explicit CHostRuntime(std::filesystem::path configFile = host::kAppConfigFile);
  ~CHostRuntime();
  CHostRuntime(const CHostRuntime&) = delete;
  CHostRuntime& operator=(const CHostRuntime&) = delete;

  // Loads the settings and creates the devices. A sound device that cannot be
  // opened leaves the game silent; its reason goes to DeviceProblems() for the
  // window to show. False only when the program cannot run at all.
  bool Initialize();
  const std::vector<std::string>& DeviceProblems() const { return deviceProblems_; }
  // What was wrong with the settings file: numbers out of range (clamped), or
  // a file that could not be read (the defaults are used, and it is not saved over).
  const std::vector<std::string>& SettingsNotes() const { return settingsNotes_; }

  // Writes the settings back to the file they came from.
  league::Status SaveConfig() const;

  host::AppConfig& Config() { return config_; }
  host::CVideoOutput& Video() { return video_; }
  host::CDirectInput& Input() { return input_; }
  host::CKeyboardCapture& KeyCapture() { return capture_; }
  // Null when there is no sound.
  host::CDirectSound* Sound() { return sound_.Ready() ? &sound_ : nullptr; }

  // What a new machine is made with: the settings and the sound format kept.
  core::MachineSettings MachineSettings() const;
  host::PacingSettings Pacing() const;

 private:
  void InitializeSound();

  std::filesystem::path configFile_;
  host::AppConfig config_;
  host::CVideoOutput video_;
  host::CDirectSound sound_;
  host::CDirectInput input_;
  host::CKeyboardCapture capture_{input_};
  std::vector<std::string> deviceProblems_;
  std::vector<std::string> settingsNotes_;
};

}  // namespace qgu::frontend
