#include "core/apu/frame_sequencer.h"

namespace qgu::core {

namespace {

constexpr int kFourStepLast = 3;
constexpr int kFiveStepLast = 4;

}  // namespace

void CFrameSequencer::Write4017(uint8_t data) {
  state_.last4017 = data;
  state_.fiveStepMode = (data & 0x80) != 0 ? 1 : 0;
  state_.interruptPending = 0;
  if (state_.step > (state_.fiveStepMode ? kFiveStepLast : kFourStepLast)) state_.step = 0;
}

void CFrameSequencer::SetState(const State& state) {
  state_ = state;
  state_.fiveStepMode = state.fiveStepMode != 0 ? 1 : 0;
  // A step beyond the mode's sequence (a damaged snapshot) restarts it.
  if (state_.step > (state_.fiveStepMode ? kFiveStepLast : kFourStepLast)) state_.step = 0;
  if (state_.cycleCount < 0 || state_.cycleCount >= kStepCycles) state_.cycleCount = 0;
}

int CFrameSequencer::TakeStep(bool frameIrqOption) {
  const int step = state_.step;
  if (!state_.fiveStepMode) {
    if (step < kFourStepLast) {
      ++state_.step;
    } else {
      state_.step = 0;
      if ((state_.last4017 & 0xC0) == 0 && frameIrqOption) state_.interruptPending = kInterruptFlag;
    }
    return step;
  }
  if (step < kFiveStepLast) {
    ++state_.step;
    return step < kFourStepLast ? step + 1 : kNoWrite;
  }
  state_.step = 0;
  return 0;
}

}  // namespace qgu::core
