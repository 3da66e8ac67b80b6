#pragma once
// The joysticks of the program: SDL2's, polled (no event queue), read also
// while the window is in the background. Hand one to CDirectInput::Initialize.

#include <memory>

#include "host/direct_input.h"

namespace qgu::host {

// Never fails: without a joystick subsystem there are simply no joysticks.
std::unique_ptr<IJoystickSource> MakeSdlJoysticks();

}  // namespace qgu::host
