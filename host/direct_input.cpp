#include "host/direct_input.h"

#include <algorithm>

#include "core/controller_ports.h"

namespace qgu::host {
namespace {

// Host buttons a pad offers: Up .. Start and the microphone (key entries 0-10).
constexpr int kPadButtons = core::kHostMic + 1;

}  // namespace

CDirectInput::CDirectInput() = default;
CDirectInput::~CDirectInput() = default;

void CDirectInput::Initialize(std::unique_ptr<IJoystickSource> joysticks) {
  std::lock_guard lock(mutex_);
  joysticks_ = std::move(joysticks);
  joystickCount_ = 0;
  state_.fill(0);
}

void CDirectInput::KeyDown(int scanCode) {
  if (scanCode > 0 && scanCode < kKeyboardCodes) keyboard_[static_cast<size_t>(scanCode)] = 0x80;
}

void CDirectInput::KeyUp(int scanCode) {
  if (scanCode > 0 && scanCode < kKeyboardCodes) keyboard_[static_cast<size_t>(scanCode)] = 0;
}

void CDirectInput::ReleaseAllKeys() {
  for (auto& key : keyboard_) key = 0;
}

void CDirectInput::SetJoyAxisSettings(const std::array<uint16_t, kMaxJoysticks>& masks) {
  std::lock_guard lock(mutex_);
  axisMasks_ = masks;
}

void CDirectInput::Poll() {
  std::lock_guard lock(mutex_);
  state_.fill(0);
  for (int code = 0; code < kKeyboardCodes; ++code) state_[static_cast<size_t>(code)] = keyboard_[static_cast<size_t>(code)];
  joystickCount_ = joysticks_ ? std::clamp(joysticks_->Read(readings_), 0, kMaxJoysticks) : 0;
  for (int j = 0; j < joystickCount_; ++j) {
    const auto entries = std::span(state_).subspan(static_cast<size_t>(kJoystickCodeBase + j * kCodesPerJoystick));
    FillJoystickState(entries.first<kCodesPerJoystick>(), readings_[static_cast<size_t>(j)],
                      axisMasks_[static_cast<size_t>(j)]);
  }
}

bool CDirectInput::ActiveLocked(int code) const {
  return code > 0 && code < kInputStateBytes && state_[static_cast<size_t>(code)] != 0;
}

bool CDirectInput::IsActive(int code) const {
  std::lock_guard lock(mutex_);
  return ActiveLocked(code);
}

CDirectInput::State CDirectInput::Snapshot() const {
  std::lock_guard lock(mutex_);
  return state_;
}

int CDirectInput::JoystickCount() const {
  std::lock_guard lock(mutex_);
  return joystickCount_;
}

void CDirectInput::SetBindings(const std::array<AppConfig::Controller, kControllerCount>& controllers) {
  std::lock_guard lock(mutex_);
  bindings_ = controllers;
}

std::array<uint16_t, kControllerCount> CDirectInput::PadButtons() const {
  std::lock_guard lock(mutex_);
  return PadButtonsLocked(bindings_);
}

std::array<uint16_t, kControllerCount> CDirectInput::PadButtons(
    const std::array<AppConfig::Controller, kControllerCount>& controllers) const {
  std::lock_guard lock(mutex_);
  return PadButtonsLocked(controllers);
}

std::array<uint16_t, kControllerCount> CDirectInput::PadButtonsLocked(
    const std::array<AppConfig::Controller, kControllerCount>& controllers) const {
  std::array<uint16_t, kControllerCount> pads{};
  for (size_t pad = 0; pad < pads.size(); ++pad) {
    const auto& keys = controllers[pad].keys;
    for (int button = 0; button < kPadButtons; ++button) {
      const auto b = static_cast<size_t>(button);
      if (ActiveLocked(keys[b]) || ActiveLocked(keys[b + kSecondBinding])) pads[pad] |= uint16_t(1u << button);
    }
  }
  return pads;
}

}  // namespace qgu::host
