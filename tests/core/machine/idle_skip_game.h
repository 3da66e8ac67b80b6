#pragma once
// One headless game traced for comparison: the machine's state hash every
// 600 frames, the box score, and how much of the CPU's time was counted
// through idle loops.

#include <cstdint>
#include <string>
#include <vector>

#include "core/cpu/cpu.h"
#include "tools/game_run.h"
#include "tools/state_hash.h"

namespace qgu::core::testing {

struct GameTrace {
  bool finished = false;
  std::string error;
  int64_t frames = 0;
  std::vector<uint64_t> hashes;
  std::string boxScore;
  double idleShare = 0;  // of all CPU cycles
};

inline GameTrace TraceGame(const tools::CTemporaryLeague& league, uint32_t seed, int quarterMinutes, bool skip) {
  GameTrace trace;
  auto manager = league.PrepareComGame(seed, quarterMinutes);
  tools::GameRunOptions options;
  options.settings.skipIdleLoops = skip;
  uint64_t cycles = 0, idle = 0;
  options.afterFrame = [&](int64_t frame, CMachine& machine) {
    if (frame % 600 == 0) trace.hashes.push_back(tools::MachineStateHash(machine));
    cycles = machine.ExecutedCycles();
    idle = machine.Cpu().IdleCyclesSkipped();
  };
  const tools::GameRunResult result = tools::RunGame(*manager, options);
  trace.finished = result.summary.has_value();
  trace.error = result.error;
  trace.frames = result.frames;
  if (result.summary) {
    trace.boxScore = result.summary->homeScore + " - " + result.summary->awayScore + "\n" + result.summary->homeStats +
                     "\n" + result.summary->awayStats;
  }
  trace.idleShare = cycles > 0 ? static_cast<double>(idle) / static_cast<double>(cycles) : 0.0;
  return trace;
}

}  // namespace qgu::core::testing
