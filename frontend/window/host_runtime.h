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
  // Null when there is no sound, or it is turned off.
  host::CDirectSound* Sound() { return SoundOn() && sound_.Ready() ? &sound_ : nullptr; }
  // "[Sound] Enable". A device that cannot be opened at start turns it off
  // (saved so), so the next start without a device does not ask again.
  bool SoundOn() const { return config_.sound.enable != 0; }
  bool SoundDeviceFailed() const { return soundDeviceFailed_; }
  // Turning on opens the device (its failure leaves sound off, with the
  // reason); turning off keeps it open for a game that plays on with it, and
  // the next game is silent.
  league::Status SetSoundOn(bool on);

  // "[Window] FirstGamePlayed": the first view explains how to start a game until then.
  bool FirstGamePlayed() const { return firstGamePlayed_; }
  void MarkFirstGamePlayed();

  // What a new machine is made with: the settings and the sound format kept.
  core::MachineSettings MachineSettings() const;
  host::PacingSettings Pacing() const;

 private:
  void InitializeSound();
  league::Status OpenSound();

  std::filesystem::path configFile_;
  host::AppConfig config_;
  host::CVideoOutput video_;
  host::CDirectSound sound_;
  host::CDirectInput input_;
  host::CKeyboardCapture capture_{input_};
  std::vector<std::string> deviceProblems_;
  std::vector<std::string> settingsNotes_;
  bool soundDeviceFailed_ = false;
  bool firstGamePlayed_ = false;
};

}  // namespace qgu::frontend
