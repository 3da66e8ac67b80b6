#include "tools/state_hash.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>

#include "core/cpu/cpu.h"

namespace qgu::tools {

namespace {

uint64_t Fnv1a(const void* data, size_t size, uint64_t hash) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 0x100000001b3ull;
  }
  return hash;
}

}  // namespace

uint64_t MachineStateHash(core::CMachine& machine) {
  // One file per process and machine: tests may hash two machines side by side.
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
      ("qgu-state-" + std::to_string(::getpid()) + "-" + std::to_string(reinterpret_cast<uintptr_t>(&machine)));
  machine.SaveSnapshot(file.string());
  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  in.close();
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
  if (bytes.empty()) throw std::runtime_error("the snapshot for the state hash could not be read back");

  uint64_t hash = Fnv1a(bytes.data(), bytes.size(), 0xcbf29ce484222325ull);
  const core::CCpu::Registers cpu = machine.Cpu().GetRegisters();
  hash = Fnv1a(&cpu.totalCycles, sizeof cpu.totalCycles, hash);
  hash = Fnv1a(&cpu.pendingInterrupts, sizeof cpu.pendingInterrupts, hash);
  return Fnv1a(&cpu.dmaStall, sizeof cpu.dmaStall, hash);
}

}  // namespace qgu::tools
