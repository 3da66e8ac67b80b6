#pragma once
// CDirectInput: one flat array of input-active bytes (1,280: the keyboard's
// 256 scan codes, then 64 codes for each of up to 16 joysticks), refreshed by
// Poll, and the pad buttons the controller ports take from it.
//
// How the window uses it: it makes one CDirectInput for the process, calls
// Initialize with the SDL2 joysticks (host/sdl_joysticks.h) and
// SetJoyAxisSettings with "JoyAxisSetting", SetBindings with the
// "Controller 1..4" keys (again after the controller dialog), and feeds it key events through
// host/key_events.h (KeyDown/KeyUp may be called from any thread). The
// emulator thread polls it once per frame; the controller dialog polls it on
// the user-interface thread while the game is paused and names codes with
// GetKeyName (host/input_codes.h).

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "host/app_config.h"
#include "host/input_codes.h"
#include "host/runtime_devices.h"

namespace qgu::host {

// Where joysticks come from: SDL2 in the program, a script in tests.
class IJoystickSource {
 public:
  virtual ~IJoystickSource() = default;
  // Refreshes the attached joysticks and reads them into readings (at most
  // readings.size()); returns how many were read. Joysticks plugged in or
  // pulled out since the last call are picked up or dropped here.
  virtual int Read(std::span<JoystickReading> readings) = 0;
};

class CDirectInput final : public IInputSource {
 public:
  using State = std::array<uint8_t, kInputStateBytes>;

  CDirectInput();
  ~CDirectInput() override;
  CDirectInput(const CDirectInput&) = delete;
  CDirectInput& operator=(const CDirectInput&) = delete;

  // Keyboard only when joysticks is null. Further joysticks past 16 are ignored.
  void Initialize(std::unique_ptr<IJoystickSource> joysticks);

  // Key events, in scan codes (host/input_codes.h); codes outside 1-255 are ignored.
  void KeyDown(int scanCode);
  void KeyUp(int scanCode);
  // Every key up, for example when the window loses the keyboard.
  void ReleaseAllKeys();

  // "JoyAxisSetting": per joystick, bit n switches axis n (X, Y, Z, RX, RY, RZ) off.
  void SetJoyAxisSettings(const std::array<uint16_t, kMaxJoysticks>& masks);

  // Refreshes the state array from the keyboard and the joysticks.
  void Poll() override;
  bool IsActive(int code) const;
  State Snapshot() const;
  int JoystickCount() const;

  // The host buttons of the four pads (bit n: host button n, core/controller_ports.h)
  // from their two bindings each, as of the last poll.
  std::array<uint16_t, kControllerCount> PadButtons(
      const std::array<AppConfig::Controller, kControllerCount>& controllers) const;

  // The bindings the emulator thread's PadButtons() use (the "Controller 1..4" keys).
  void SetBindings(const std::array<AppConfig::Controller, kControllerCount>& controllers);
  std::array<uint16_t, kControllerCount> PadButtons() const override;

 private:
  bool ActiveLocked(int code) const;
  std::array<uint16_t, kControllerCount> PadButtonsLocked(
      const std::array<AppConfig::Controller, kControllerCount>& controllers) const;

  std::array<std::atomic<uint8_t>, kKeyboardCodes> keyboard_{};
  mutable std::mutex mutex_;  // everything below
  std::unique_ptr<IJoystickSource> joysticks_;
  std::array<uint16_t, kMaxJoysticks> axisMasks_{};
  std::array<JoystickReading, kMaxJoysticks> readings_{};
  int joystickCount_ = 0;
  std::array<AppConfig::Controller, kControllerCount> bindings_ = AppConfig::DefaultControllers();
  State state_{};
};

}  // namespace qgu::host
