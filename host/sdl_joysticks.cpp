#include "host/sdl_joysticks.h"

#include <SDL.h>

#include <vector>

namespace qgu::host {
namespace {

class CSdlJoysticks final : public IJoystickSource {
 public:
  CSdlJoysticks() {
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    ready_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    if (ready_) SDL_JoystickEventState(SDL_IGNORE);
  }
  ~CSdlJoysticks() override {
    CloseAll();
    if (ready_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }

  int Read(std::span<JoystickReading> readings) override {
    if (!ready_) return 0;
    SDL_JoystickUpdate();
    if (DevicesChanged()) Reopen(readings.size());
    int count = 0;
    for (SDL_Joystick* joystick : open_) {
      if (static_cast<size_t>(count) >= readings.size()) break;
      readings[static_cast<size_t>(count++)] = ReadOne(joystick);
    }
    return count;
  }

 private:
  // A device added or pulled out since the last look.
  bool DevicesChanged() const {
    if (SDL_NumJoysticks() != deviceCount_) return true;
    for (SDL_Joystick* joystick : open_) {
      if (!SDL_JoystickGetAttached(joystick)) return true;
    }
    return false;
  }

  void Reopen(size_t limit) {
    CloseAll();
    deviceCount_ = SDL_NumJoysticks();
    for (int index = 0; index < deviceCount_ && open_.size() < limit; ++index) {
      // A device that cannot be opened ends the list; those before it stay.
      SDL_Joystick* joystick = SDL_JoystickOpen(index);
      if (joystick == nullptr) break;
      open_.push_back(joystick);
    }
  }

  void CloseAll() {
    for (SDL_Joystick* joystick : open_) SDL_JoystickClose(joystick);
    open_.clear();
  }

  static JoystickReading ReadOne(SDL_Joystick* joystick) {
    JoystickReading reading;
    const int axes = std::min(SDL_JoystickNumAxes(joystick), kJoystickAxes);
    for (int axis = 0; axis < axes; ++axis) {
      reading.axes[static_cast<size_t>(axis)] = ScaleAxis(SDL_JoystickGetAxis(joystick, axis));
    }
    const int buttons = std::min(SDL_JoystickNumButtons(joystick), kJoystickButtons);
    for (int button = 0; button < buttons; ++button) {
      if (SDL_JoystickGetButton(joystick, button)) reading.buttons |= 1u << button;
    }
    return reading;
  }

  bool ready_ = false;
  int deviceCount_ = -1;
  std::vector<SDL_Joystick*> open_;
};

}  // namespace

std::unique_ptr<IJoystickSource> MakeSdlJoysticks() { return std::make_unique<CSdlJoysticks>(); }

}  // namespace qgu::host
