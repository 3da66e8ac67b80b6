#pragma once
// The machine's state snapshot file: a 32-byte header, then blocks of CPU and
// picture-unit registers, RAM, bank mapping, mapper state and controller
// shift registers. Little-endian throughout.

#include <stdexcept>
#include <string>

namespace qgu::core {

class CMachine;

// A snapshot could not be written or read; blocks read before stay applied.
class SnapshotError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CSnapshot {
 public:
  static void Save(CMachine& machine, const std::string& path);
  static void Load(CMachine& machine, const std::string& path);
};

}  // namespace qgu::core
