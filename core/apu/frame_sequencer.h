#pragma once
// The timing copy's frame sequencer: every 7457 CPU cycles it takes a step,
// which reaches the channels as a $4018 write of the step value, and at the
// end of a 4-step sequence it raises the frame interrupt.

#include <cstdint>

namespace qgu::core {

class CFrameSequencer {
 public:
  static constexpr int kStepCycles = 7457;
  static constexpr uint8_t kInterruptFlag = 0xFF;
  static constexpr int kNoWrite = -1;

  struct State {
    uint8_t last4017 = 0;
    uint8_t interruptPending = 0;
    uint8_t step = 0;
    uint8_t fiveStepMode = 0;
    int32_t cycleCount = 0;
  };

  void Reset() { state_ = State(); }
  // A $4017 write: picks the mode and clears the interrupt. The sequence runs
  // on where it was, so a program writing $4017 every frame still gets every
  // step (a step beyond the new mode's last starts the sequence over).
  void Write4017(uint8_t data);

  // Adds `cycles` and calls emit(value) for each $4018 write the steps make.
  // frameIrqOption is the machine's "FrameIRQ" game option.
  template <typename Emit>
  void Advance(int cycles, bool frameIrqOption, Emit&& emit) {
    if (cycles <= 0) return;
    state_.cycleCount += cycles;
    while (state_.cycleCount > kStepCycles - 1) {
      state_.cycleCount -= kStepCycles;
      const int value = TakeStep(frameIrqOption);
      if (value != kNoWrite) emit(value);
    }
  }

  // Advance for `cycles` that take no step (StepDue is false).
  void Count(int cycles) {
    if (cycles > 0) state_.cycleCount += cycles;
  }
  // Whether `cycles` more would take a step.
  bool StepDue(int cycles) const { return cycles > 0 && state_.cycleCount + cycles > kStepCycles - 1; }
  uint8_t InterruptFlag() const { return state_.interruptPending; }

  const State& GetState() const { return state_; }
  void SetState(const State& state);

 private:
  int TakeStep(bool frameIrqOption);  // the $4018 value, or kNoWrite

  State state_;
};

}  // namespace qgu::core
