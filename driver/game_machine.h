#pragma once
// A console as the game driver's runners drive it: one frame at a time, with
// or without the driver's press of A, and its memory between frames. The
// emulated machine stands behind it in the programs, a scripted fake in tests.

#include "driver/console_memory.h"

namespace qgu::driver {

// The console's frame rate; the driver's waits are counted in its frames.
inline constexpr int kFramesPerSecond = 60;

class IGameMachine {
 public:
  virtual ~IGameMachine() = default;
  // Runs one frame; pressA holds A on every pad for that frame.
  virtual void RunFrame(bool pressA) = 0;
  // Valid between frames only.
  virtual IConsoleMemory& Memory() = 0;
};

}  // namespace qgu::driver
