#pragma once
// The input code space shared by the settings, the controller dialog and the
// controller ports: 1-255 keyboard scan codes (the set-1 codes of the
// original keyboard layer), 256 and up joysticks at 64 codes each (axis
// directions 0-11, buttons 16-47). 0 means unbound.
//
// The window turns its key events into these codes (ScanCodeFromEvdev, or
// host/key_events.h for Qt events); the controller dialog shows them with
// GetKeyName.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace qgu::host {

inline constexpr int kKeyboardCodes = 256;
inline constexpr int kJoystickCodeBase = 256;
inline constexpr int kCodesPerJoystick = 64;
inline constexpr int kMaxJoysticks = 16;
inline constexpr int kInputStateBytes = kJoystickCodeBase + kCodesPerJoystick * kMaxJoysticks;  // 1280

inline constexpr int kJoystickAxes = 6;     // X, Y, Z, RX, RY, RZ
inline constexpr int kJoystickButtons = 32;
inline constexpr int kFirstButtonSubCode = 16;
// Axes read -10000..10000; a direction is active only beyond the threshold.
inline constexpr int kAxisRange = 10000;
inline constexpr int kAxisThreshold = 8000;

enum JoystickAxis : int { kAxisX = 0, kAxisY, kAxisZ, kAxisRx, kAxisRy, kAxisRz };

constexpr int JoystickAxisCode(int joystick, int axis, bool positive) {
  return kJoystickCodeBase + joystick * kCodesPerJoystick + axis * 2 + (positive ? 0 : 1);
}
constexpr int JoystickButtonCode(int joystick, int button) {
  return kJoystickCodeBase + joystick * kCodesPerJoystick + kFirstButtonSubCode + button;
}

// The display name of a code: a key's name, "J:%d %s" for an axis direction,
// "J:%d B:%02d" for a joystick button; empty when the code has none.
std::string GetKeyName(int code);

// Linux input-event key code (X11 native scan code minus 8) to scan code;
// 0 for keys outside the code space.
int ScanCodeFromEvdev(int evdevCode);

// A joystick as read at one poll: axes already scaled to -10000..10000.
struct JoystickReading {
  std::array<int, kJoystickAxes> axes{};
  uint32_t buttons = 0;  // bit n: button n down
};

// An SDL axis value (-32768..32767) scaled to -10000..10000.
int ScaleAxis(int rawValue);

// Fills one joystick's 64 state bytes. Bit n of axisMask ("JoyAxisSetting")
// switches axis n off, so a drifting or unwanted axis never presses anything.
void FillJoystickState(std::span<uint8_t, kCodesPerJoystick> entries, const JoystickReading& reading,
                       uint16_t axisMask);

}  // namespace qgu::host
