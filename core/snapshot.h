#pragma once
// The machine's state snapshot file: a 32-byte header, then blocks of CPU and
// picture-unit registers, RAM, bank mapping, mapper state and controller
// shift registers. Little-endian throughout.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/apu/sound_channels.h"

namespace qgu::core {

class CMachine;

// A snapshot could not be written or read; blocks read before stay applied.
class SnapshotError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The machine's state in memory, for going back a few frames (rollback
// netplay): a snapshot file's bytes, and the sound unit's timing copy, which
// answers $4015 but which the file leaves out (a file load starts the sound
// over; a re-run must not).
struct MachineState {
  std::vector<uint8_t> bytes;  // exactly what a snapshot file of the moment holds
  size_t workRamAt = 0;        // console RAM $0000-$07FF within bytes
  size_t cartridgeRamAt = 0;   // the RAM behind $6000-$7FFF within bytes; 0 when ROM is there
  CSoundChannels soundTiming;
};

class CSnapshot {
 public:
  static void Save(CMachine& machine, const std::string& path);
  static void Load(CMachine& machine, const std::string& path);
  // In memory: the buffer of state is reused; Restore leaves the sound
  // output's queue and synthesis alone.
  static void Take(CMachine& machine, MachineState& state);
  static void Restore(CMachine& machine, const MachineState& state);
};

}  // namespace qgu::core
