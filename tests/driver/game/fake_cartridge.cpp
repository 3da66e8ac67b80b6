#include "tests/driver/game/fake_cartridge.h"

#include <thread>

#include "driver/cartridge_memory.h"

namespace qgu::driver::testing {

using namespace cartmem;

uint8_t FakeCartridge::Read(uint16_t address) const {
  if (inFrame_) ++accessesDuringFrame;
  return memory.Read(address);
}

void FakeCartridge::Write(uint16_t address, uint8_t value) {
  if (inFrame_) ++accessesDuringFrame;
  memory.Write(address, value);
}

void FakeCartridge::SetMarker(bool on) {
  auto& b = memory.bytes;
  switch (screen_) {
    case kTitle: b[kTitleMarker] = on ? kTitleReady : 0; break;
    case kSecondTitle:
      if (secondTitleUsesOtherMarker) {
        b[kSecondTitleMarkerB] = on ? kSecondTitleReadyB : 0;
      } else {
        b[kSecondTitleMarkerA] = on ? kSecondTitleReadyA : 0;
      }
      break;
    case kMainMenu: b[kMainMenuMarker] = on ? kMainMenuReady : 0; break;
    case kControls: b[kControlScreenMarker] = on ? kControlScreenReady : 0; break;
    case kTeamSelect: b[kTeamSelectMarker] = on ? kTeamSelectReady : 0; break;
    default: break;
  }
}

void FakeCartridge::RunFrame(bool pressA) {
  inFrame_ = true;
  if (pressA) pressFrames.push_back(frames);
  const int inScreen = frames - screenStart_;
  auto next = [this](Screen screen) {
    screen_ = screen;
    screenStart_ = frames + 1;
  };
  if (screen_ <= kTeamSelect) {
    const bool ready = inScreen >= screenDelays[screen_];
    if (ready) SetMarker(true);
    if (ready && pressA) {
      if (screen_ == kTeamSelect) picks.emplace_back(memory.bytes[kCursorX], memory.bytes[kCursorY]);
      if (screen_ != kTeamSelect || picks.size() == 2) {
        SetMarker(false);
        next(static_cast<Screen>(screen_ + 1));
      }
    }
  } else if (screen_ == kMatchUp) {
    if (inScreen >= kickoffDelay) {
      memory.bytes[kHomeState] = kStateGameStarted;
      kickoffFrame = frames;
      next(kPlaying);
    }
  } else if (game) {
    game(memory, frames - kickoffFrame);
  }
  ++frames;
  inFrame_ = false;
}

bool RecordingUi::WaitFor(DriverStage stage, std::chrono::milliseconds timeout) const {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (!Reached(stage)) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace qgu::driver::testing
