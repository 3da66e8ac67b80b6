#pragma once
// The settings the machine and its components read. The host fills them from
// its configuration file; tests and the headless runner use the defaults.

#include <array>
#include <cstdint>
#include <functional>

namespace qgu::core {

struct MachineSettings {
  // Picture
  bool spriteMax = true;  // draw every sprite of a line, not just eight
  bool leftClip = true;
  // Sound
  bool soundEnable = true;
  int samplingRate = 22050;
  int samplingBits = 8;
  std::array<int, 16> volume = {100, 100, 100, 100, 100, 100, 100, 100,
                                100, 100, 100, 100, 100, 100, 100, 100};
  bool disableVolumeEffect = false;
  bool changeTone = false;
  // Controllers
  bool fourPlayer = true;
  std::array<std::array<int, 2>, 4> turboSpeed = {};  // per pad: A, B (0..3)
  // CPU: time in a loop that only waits (reads RAM or ROM, writes nothing)
  // is counted in whole passes instead of run; the outcome is the same.
  bool skipIdleLoops = true;
};

// How a frame interleaves CPU time with drawing (the "RenderMethod" option).
// Methods 0 and 1 run a whole line of CPU time before or after the line is
// drawn; 2 and 3 split the line at the end of its visible part and run that
// part's time before or after drawing; 4 runs CPU time between tile fetches.
enum RenderMethod : int {
  kRenderLineCpuFirst = 0,
  kRenderLineDrawFirst = 1,
  kRenderSplitLineCpuFirst = 2,
  kRenderSplitLineDrawFirst = 3,
  kRenderTiles = 4,
};

// When a mapper's pending IRQ reaches the CPU (the "IRQtype" option).
enum IrqType : int {
  kIrqAtLineStart = 0,         // at the mapper's line event
  kIrqAfterInstruction = 1,    // through CpuClock, after every instruction
};

// Per-cartridge emulation options (loaded from "GameOption.ini" by the host).
struct GameOptions {
  int renderMethod = kRenderSplitLineDrawFirst;
  int irqType = kIrqAfterInstruction;
  int frameIrq = 1;
  int videoMode = 0;
};

// Called during construction with the cartridge id (the program-ROM CRC, 0 here)
// and the current options, which it may overwrite.
using GameOptionLoader = std::function<void(uint32_t cartridgeId, GameOptions& options)>;

}  // namespace qgu::core
