// qgu-wait-share: how much of each frame the football cartridge spends in
// its frame wait (`lda _frame_count` / `cmp _frame_count` / `beq`), by part
// of the game: title screens and menus, play selection, plays on the field.
//
// The CPU's program counter is sampled at every line event (262 a frame, at
// fixed points of each line), so the share of samples inside the loop is the
// share of CPU time spent there. Beside it, the cycles the CPU counted
// through idle loops instead of running them (0 with --no-skip).
//
//   build/bench/qgu-wait-share [--seed N] [--quarter MINUTES] [--no-skip]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "core/cpu/cpu.h"
#include "core/machine.h"
#include "core/mappers/mapper_mmc3.h"
#include "driver/cartridge_memory.h"
#include "tools/game_run.h"

namespace {

using qgu::core::CMachine;
using qgu::driver::DriverStage;
namespace cartmem = qgu::driver::cartmem;

enum Part { kMenus, kSelection, kOnTheField, kBetweenPlays, kEnd, kParts };
constexpr const char* kPartNames[kParts] = {"title screens and menus", "play selection", "plays on the field",
                                            "between plays", "final screen"};

struct Tally {
  int64_t frames = 0;
  int64_t samples = 0;
  int64_t inLoop = 0;
  uint64_t skippedCycles = 0;
};

// Where the loop sits: `cmp` and `beq` of lda zp / cmp zp / beq -4, found
// in the program as the CPU sees it.
struct WaitLoop {
  uint16_t compare = 0;
  uint16_t branch = 0;
};

WaitLoop FindWaitLoop(const CMachine& machine) {
  for (uint32_t a = 0x8000; a + 6 <= 0x10000; ++a) {
    auto at = [&](uint32_t offset) { return machine.PeekByte(static_cast<uint16_t>(a + offset)); };
    if (at(0) == 0xA5 && at(2) == 0xC5 && at(3) == at(1) && at(4) == 0xF0 && at(5) == 0xFC) {
      return {static_cast<uint16_t>(a + 2), static_cast<uint16_t>(a + 4)};
    }
  }
  return {};
}

// MMC3 that samples the CPU at every line event.
class CSamplingMmc3 final : public qgu::core::CMapperMmc3 {
 public:
  CSamplingMmc3(CMachine& machine, Part& part, Tally* tallies, WaitLoop& loop)
      : CMapperMmc3(machine), part_(part), tallies_(tallies), loop_(loop) {}
  void LineStart(int scanline) override {
    const uint16_t pc = machine_.Cpu().GetRegisters().pc;
    Tally& tally = tallies_[part_];
    ++tally.samples;
    if (pc == loop_.compare || pc == loop_.branch) ++tally.inLoop;
    CMapperMmc3::LineStart(scanline);
  }

 private:
  Part& part_;
  Tally* tallies_;
  WaitLoop& loop_;
};

Part PartOfGame(DriverStage stage, const CMachine& machine) {
  if (stage < DriverStage::kMonitoring) return kMenus;
  if (stage > DriverStage::kMonitoring) return kEnd;
  const uint8_t home = machine.PeekByte(cartmem::kHomeState);
  const uint8_t away = machine.PeekByte(cartmem::kAwayState);
  auto either = [&](uint8_t state) { return home == state || away == state; };
  if (either(cartmem::kStateOffenseChoosing) || either(cartmem::kStateDefenseChoosing)) return kSelection;
  if (either(cartmem::kStateOffenseRunning) || either(cartmem::kStateDefenseRunning) ||
      either(cartmem::kStateKicking)) {
    return kOnTheField;
  }
  return kBetweenPlays;
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t seed = 2024;
  int quarter = 5;
  bool skip = true;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--seed") && i + 1 < argc) {
      seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (!std::strcmp(argv[i], "--quarter") && i + 1 < argc) {
      quarter = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--no-skip")) {
      skip = false;
    } else {
      std::fprintf(stderr, "usage: qgu-wait-share [--seed N] [--quarter MINUTES] [--no-skip]\n");
      return 2;
    }
  }

  Tally tallies[kParts];
  Part part = kMenus;
  DriverStage stage = DriverStage::kWaitingForTitle;
  WaitLoop loop;
  uint64_t skippedBefore = 0;

  try {
    qgu::tools::CTemporaryLeague league;
    auto manager = league.PrepareComGame(seed, quarter);
    qgu::tools::GameRunOptions options;
    options.settings.skipIdleLoops = skip;
    options.mappers = [&](int number, CMachine& machine) -> std::unique_ptr<qgu::core::CMapper> {
      if (number != qgu::core::CMapperMmc3::kMapperNumber) return nullptr;
      return std::make_unique<CSamplingMmc3>(machine, part, tallies, loop);
    };
    options.stageChanged = [&](DriverStage now) {
      if (now != DriverStage::kEnded) stage = now;
    };
    options.afterFrame = [&](int64_t frame, CMachine& machine) {
      if (frame == 1) loop = FindWaitLoop(machine);
      Tally& tally = tallies[part];
      ++tally.frames;
      const uint64_t skipped = machine.Cpu().IdleCyclesSkipped();
      tally.skippedCycles += skipped - skippedBefore;
      skippedBefore = skipped;
      part = PartOfGame(stage, machine);  // the part the next frame belongs to
    };
    const qgu::tools::GameRunResult result = qgu::tools::RunGame(*manager, options);
    if (!result.summary) {
      std::fprintf(stderr, "qgu-wait-share: the game did not finish: %s\n", result.error.c_str());
      return 1;
    }
    std::printf("seed %u, %d-minute quarters, %lld frames, wait loop at $%04X, idle-loop skipping %s\n", seed,
                quarter, static_cast<long long>(result.frames), loop.compare, skip ? "on" : "off");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "qgu-wait-share: %s\n", error.what());
    return 1;
  }

  const double cyclesPerFrame = CMachine::Timing().frameCycles / 12.0;
  std::printf("| part of the game | frames | in the wait loop (sampled) | counted instead of run |\n");
  std::printf("|---|---|---|---|\n");
  Tally all;
  for (int p = 0; p < kParts; ++p) {
    const Tally& t = tallies[p];
    all.frames += t.frames;
    all.samples += t.samples;
    all.inLoop += t.inLoop;
    all.skippedCycles += t.skippedCycles;
    if (t.frames == 0) continue;
    std::printf("| %s | %lld | %.1f%% | %.1f%% |\n", kPartNames[p], static_cast<long long>(t.frames),
                100.0 * t.inLoop / std::max<int64_t>(t.samples, 1),
                100.0 * t.skippedCycles / (t.frames * cyclesPerFrame));
  }
  std::printf("| whole game | %lld | %.1f%% | %.1f%% |\n", static_cast<long long>(all.frames),
              100.0 * all.inLoop / std::max<int64_t>(all.samples, 1),
              100.0 * all.skippedCycles / (all.frames * cyclesPerFrame));
  return 0;
}
