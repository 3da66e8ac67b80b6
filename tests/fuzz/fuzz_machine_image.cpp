// A cartridge image, loaded and run for 60 frames (every fourth drawn): any
// bytes must either be refused with MachineError or run without leaving the
// machine's memory.

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/apu/sound_unit.h"
#include "core/machine.h"
#include "core/mappers/mapper_factory.h"

namespace {

constexpr int kFrames = 60;
constexpr int kSoundBytesPerFrame = 368;  // 22050 Hz, 8-bit: what the host takes a frame

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qgu::core;
  try {
    // NROM as well as MMC3, so that small made-up images reach the machine too.
    CMachine machine(std::span<const uint8_t>(data, size), MachineSettings{}, TestProgramMapperFactory());
    uint8_t sound[kSoundBytesPerFrame];
    for (int frame = 0; frame < kFrames; ++frame) {
      machine.RunFrame(frame % 4 == 0);
      machine.SoundUnit().Process(sound, sizeof sound);
    }
  } catch (const MachineError&) {
    // refused: a bad header, no program, or a board this machine lacks
  }
  return 0;
}
