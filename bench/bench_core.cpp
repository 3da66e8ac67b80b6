// Frames per second of the whole machine (CPU, picture unit with drawing,
// sound unit's timing side, mapper), one core, for the MMC3 demo and the
// football cartridge.
//
//   cmake --build build --target bench_core && build/bench/bench_core
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cartridge/builder/embedded_image.h"
#include "core/machine.h"
#include "core/mappers/mapper_factory.h"
#include "core/snapshot.h"
#include "tools/rom_runner.h"

namespace {

using qgu::core::CMachine;

// Lets the booted machine settle past its start-up, then times drawn frames.
void RunDrawnFrames(benchmark::State& state, CMachine& machine) {
  for (int i = 0; i < 120; ++i) machine.RunFrame(true);
  for (auto _ : state) {
    machine.RunFrame(true);
    benchmark::DoNotOptimize(machine.RenderBuffer()[8]);
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_HighHopesDrawn(benchmark::State& state) {
  // The demo is one of the public test programs, which are not part of a clone.
  const std::string demo = std::string(QGU_TESTROMS) + "/demos/high-hopes.nes";
  std::error_code error;
  if (!std::filesystem::is_regular_file(demo, error)) {
    state.SkipWithError(("public test programs not found: expected in " + std::string(QGU_TESTROMS)).c_str());
    return;
  }
  static const auto image = qgu::tools::ReadBinaryFile(demo);
  CMachine machine(image, qgu::core::MachineSettings{}, qgu::core::TestProgramMapperFactory());
  RunDrawnFrames(state, machine);
}
BENCHMARK(BM_HighHopesDrawn)->Unit(benchmark::kMicrosecond);

// The football cartridge qgu2 carries, built with the product's mapper
// factory as the game runs it (its title and menu screens after boot).
void BM_FootballCartridgeDrawn(benchmark::State& state) {
  const auto image = qgu::cartridge::EmbeddedCartridgeImage();
  CMachine machine(image);
  RunDrawnFrames(state, machine);
}
BENCHMARK(BM_FootballCartridgeDrawn)->Unit(benchmark::kMicrosecond);

// A rollback game keeps the machine's state after every frame and goes back
// to one now and then: the two against a frame of the football cartridge.
void BM_FootballStateKept(benchmark::State& state) {
  CMachine machine(qgu::cartridge::EmbeddedCartridgeImage());
  for (int i = 0; i < 120; ++i) machine.RunFrame(true);
  qgu::core::MachineState kept;
  for (auto _ : state) {
    machine.SaveState(kept);
    benchmark::DoNotOptimize(kept.bytes.data());
  }
  state.counters["bytes"] = static_cast<double>(kept.bytes.size());
}
BENCHMARK(BM_FootballStateKept)->Unit(benchmark::kMicrosecond);

void BM_FootballStateRestored(benchmark::State& state) {
  CMachine machine(qgu::cartridge::EmbeddedCartridgeImage());
  for (int i = 0; i < 120; ++i) machine.RunFrame(true);
  qgu::core::MachineState kept;
  machine.SaveState(kept);
  for (auto _ : state) machine.RestoreState(kept);
}
BENCHMARK(BM_FootballStateRestored)->Unit(benchmark::kMicrosecond);

}  // namespace
