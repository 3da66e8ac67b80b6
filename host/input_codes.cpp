#include "host/input_codes.h"

#include <algorithm>
#include <cstdio>

namespace qgu::host {
namespace {

struct KeyName {
  uint8_t code;
  const char* name;
};

// The names the controller dialog shows; codes not listed have none. The two
// Japanese conversion keys are named in UTF-8, this platform's text encoding.
constexpr KeyName kKeyNames[] = {
    {0x01, "ESC"},       {0x02, "1"},         {0x03, "2"},         {0x04, "3"},          {0x05, "4"},
    {0x06, "5"},         {0x07, "6"},         {0x08, "7"},         {0x09, "8"},          {0x0A, "9"},
    {0x0B, "0"},         {0x0C, "-"},         {0x0D, "="},         {0x0E, "BackSpace"},  {0x0F, "TAB"},
    {0x10, "Q"},         {0x11, "W"},         {0x12, "E"},         {0x13, "R"},          {0x14, "T"},
    {0x15, "Y"},         {0x16, "U"},         {0x17, "I"},         {0x18, "O"},          {0x19, "P"},
    {0x1A, "["},         {0x1B, "]"},         {0x1C, "Enter"},     {0x1D, "L Ctrl"},     {0x1E, "A"},
    {0x1F, "S"},         {0x20, "D"},         {0x21, "F"},         {0x22, "G"},          {0x23, "H"},
    {0x24, "J"},         {0x25, "K"},         {0x26, "L"},         {0x27, ";"},          {0x28, "'"},
    {0x29, "`"},         {0x2A, "L Shift"},   {0x2B, "\\"},        {0x2C, "Z"},          {0x2D, "X"},
    {0x2E, "C"},         {0x2F, "V"},         {0x30, "B"},         {0x31, "N"},          {0x32, "M"},
    {0x33, ","},         {0x34, "."},         {0x35, "/"},         {0x36, "R Shift"},    {0x37, "*"},
    {0x38, "L Alt"},     {0x39, "Space"},     {0x3B, "F1"},        {0x3C, "F2"},         {0x3D, "F3"},
    {0x3E, "F4"},        {0x3F, "F5"},        {0x40, "F6"},        {0x41, "F7"},         {0x42, "F8"},
    {0x43, "F9"},        {0x44, "F10"},       {0x47, "Num 7"},     {0x48, "Num 8"},      {0x49, "Num 9"},
    {0x4A, "Num -"},     {0x4B, "Num 4"},     {0x4C, "Num 5"},     {0x4D, "Num 6"},      {0x4E, "Num +"},
    {0x4F, "Num 1"},     {0x50, "Num 2"},     {0x51, "Num 3"},     {0x52, "Num 0"},      {0x53, "Num ."},
    {0x57, "F11"},       {0x58, "F12"},       {0x64, "F13"},       {0x65, "F14"},        {0x66, "F15"},
    {0x79, "\u5909\u63db"},                   {0x7B, "\u7121\u5909\u63db"},              {0x7D, "\\"},
    {0x8D, "Num ="},     {0x90, "^"},         {0x91, "@"},         {0x92, ":"},          {0x93, "_"},
    {0x95, "Stop"},      {0x9C, "Num Enter"}, {0x9D, "R Ctrl"},    {0xB3, "Num ,"},      {0xB5, "Num /"},
    {0xB7, "SysRq"},     {0xB8, "R Alt"},     {0xC5, "Pause"},     {0xC7, "Home"},       {0xC8, "Up"},
    {0xC9, "Page Up"},   {0xCB, "Left"},      {0xCD, "Right"},     {0xCF, "End"},        {0xD0, "Down"},
    {0xD1, "Page Down"}, {0xD2, "Insert"},    {0xD3, "Delete"},    {0xDB, "L Windows"},  {0xDC, "R Windows"},
    {0xDD, "AppMenu"},
};

constexpr const char* kAxisDirectionNames[kJoystickAxes * 2] = {
    "X+", "X-", "Y+", "Y-", "Z+", "Z-", "RX+", "RX-", "RY+", "RY-", "RZ+", "RZ-"};

// Linux key codes 1-88 are the scan codes themselves; the keys beyond
// (arrows, the navigation block, the right-hand modifiers, ...) carry an
// extended prefix in the scan-code space.
struct EvdevKey {
  uint16_t evdev;
  uint8_t scanCode;
};
constexpr int kLastPlainEvdevKey = 88;
constexpr EvdevKey kExtendedKeys[] = {
    {92, 0x79},  {94, 0x7B},  {96, 0x9C},  {97, 0x9D},  {98, 0xB5},  {99, 0xB7},  {100, 0xB8}, {102, 0xC7},
    {103, 0xC8}, {104, 0xC9}, {105, 0xCB}, {106, 0xCD}, {107, 0xCF}, {108, 0xD0}, {109, 0xD1}, {110, 0xD2},
    {111, 0xD3}, {117, 0x8D}, {119, 0xC5}, {121, 0xB3}, {124, 0x7D}, {125, 0xDB}, {126, 0xDC}, {127, 0xDD},
    {183, 0x64}, {184, 0x65}, {185, 0x66},
};

}  // namespace

std::string GetKeyName(int code) {
  if (code > 0 && code < kKeyboardCodes) {
    const auto* found = std::find_if(std::begin(kKeyNames), std::end(kKeyNames),
                                     [code](const KeyName& key) { return key.code == code; });
    return found != std::end(kKeyNames) ? found->name : "";
  }
  if (code < kJoystickCodeBase || code >= kInputStateBytes) return "";
  const int joystick = (code - kJoystickCodeBase) / kCodesPerJoystick;
  const int sub = code & (kCodesPerJoystick - 1);
  char text[32];
  if (sub < kJoystickAxes * 2) {
    std::snprintf(text, sizeof text, "J:%d %s", joystick, kAxisDirectionNames[sub]);
  } else if (sub >= kFirstButtonSubCode && sub < kFirstButtonSubCode + kJoystickButtons) {
    std::snprintf(text, sizeof text, "J:%d B:%02d", joystick, sub - kFirstButtonSubCode);
  } else {
    return "";
  }
  return text;
}

int ScanCodeFromEvdev(int evdevCode) {
  if (evdevCode > 0 && evdevCode <= kLastPlainEvdevKey) return evdevCode;
  for (const EvdevKey& key : kExtendedKeys) {
    if (key.evdev == evdevCode) return key.scanCode;
  }
  return 0;
}

int ScaleAxis(int rawValue) {
  const int clamped = std::clamp(rawValue, -32767, 32767);
  return clamped * kAxisRange / 32767;
}

void FillJoystickState(std::span<uint8_t, kCodesPerJoystick> entries, const JoystickReading& reading,
                       uint16_t axisMask) {
  std::fill(entries.begin(), entries.end(), uint8_t{0});
  for (int axis = 0; axis < kJoystickAxes; ++axis) {
    if ((axisMask >> axis) & 1) continue;
    const int value = reading.axes[static_cast<size_t>(axis)];
    entries[static_cast<size_t>(axis * 2)] = value > kAxisThreshold ? 0x80 : 0;
    entries[static_cast<size_t>(axis * 2 + 1)] = value < -kAxisThreshold ? 0x80 : 0;
  }
  for (int button = 0; button < kJoystickButtons; ++button) {
    entries[static_cast<size_t>(kFirstButtonSubCode + button)] = ((reading.buttons >> button) & 1) ? 0x80 : 0;
  }
}

}  // namespace qgu::host
