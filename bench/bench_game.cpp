// A whole headless game on the embedded cartridge: two of the cartridge's own
// teams, 5-minute quarters, both sides COM, a fixed seed, from the boot to the
// captured box score. Reports the wall time per game and emulated frames per
// second (frames run without drawing, as headless games run them).
//
//   cmake --build build-driver2 --target bench_game && build-driver2/bench/bench_game
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "cartridge/builder/embedded_image.h"
#include "driver/game_manager.h"
#include "driver/headless_game.h"
#include "league/default_league.h"

namespace {

namespace fs = std::filesystem;

// The league a first start makes, in a folder of its own for this run.
class BenchLeague {
 public:
  BenchLeague() : base_(fs::temp_directory_path() / ("qgu-bench-game-" + std::to_string(::getpid()))) {
    fs::create_directories(base_);
    auto league = qgu::league::EnsureDefaultLeague(base_, qgu::cartridge::EmbeddedCartridgeImage());
    if (!league) {
      std::fprintf(stderr, "bench_game: %s\n", league.error().c_str());
      std::exit(1);
    }
    folder_ = league.value().folder;
  }
  ~BenchLeague() {
    std::error_code ignored;
    fs::remove_all(base_, ignored);
  }
  std::string Team(const std::string& file) const { return (folder_ / file).string(); }

 private:
  fs::path base_;
  fs::path folder_;
};

void BM_HeadlessGameFiveMinuteQuarters(benchmark::State& state) {
  static const BenchLeague league;
  int64_t frames = 0;
  for (auto _ : state) {
    qgu::driver::CGameManager manager(qgu::cartridge::EmbeddedCartridgeImage(),
                                      std::make_unique<qgu::driver::CSeededRandom>(2024));
    manager.SetHomePath(league.Team("AMBE0.dat"));
    manager.SetAwayPath(league.Team("ASHC0.dat"));
    manager.SetQuarterLength(5);
    manager.SetControls(qgu::driver::kControlCom, qgu::driver::kControlCom);
    if (!manager.PrepareGame()) {
      state.SkipWithError("PrepareGame failed");
      return;
    }
    const auto result = qgu::driver::PlayHeadlessGame(manager, {});
    if (result.outcome != qgu::driver::HeadlessOutcome::kFinished) {
      state.SkipWithError(result.error.c_str());
      return;
    }
    frames += result.frames;
  }
  state.counters["frames"] = benchmark::Counter(static_cast<double>(frames) / static_cast<double>(state.iterations()));
  state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HeadlessGameFiveMinuteQuarters)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

}  // namespace
