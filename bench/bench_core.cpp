// Frames per second of the whole machine (CPU, picture unit with drawing,
// sound unit's timing side, mapper), one core.
//
//   cmake --build build-core --target bench_core && build-core/bench/bench_core
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/machine.h"
#include "core/mappers/mapper_factory.h"
#include "tests/support/test_rom_runner.h"

namespace {

using qgu::core::CMachine;

// Boots the image, lets it settle past its start-up, then times drawn frames.
void RunDrawnFrames(benchmark::State& state, const std::vector<uint8_t>& image) {
  CMachine machine(image, qgu::core::MachineSettings{}, qgu::core::TestProgramMapperFactory());
  for (int i = 0; i < 120; ++i) machine.RunFrame(true);
  for (auto _ : state) {
    machine.RunFrame(true);
    benchmark::DoNotOptimize(machine.RenderBuffer()[8]);
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_HighHopesDrawn(benchmark::State& state) {
  static const auto image = qgu::testsupport::ReadBinaryFile(qgu::testsupport::TestRomPath("demos/high-hopes.nes"));
  RunDrawnFrames(state, image);
}
BENCHMARK(BM_HighHopesDrawn)->Unit(benchmark::kMicrosecond);

// The embedded football cartridge goes here once the cartridge image is
// built into the program: BM_FootballCartridgeDrawn with the same body.

}  // namespace
