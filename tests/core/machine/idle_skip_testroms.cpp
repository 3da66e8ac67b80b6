// Every public test program runs the same with idle-loop skipping on and
// off: the machine's whole state agrees every second of emulated time.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/cpu/cpu.h"
#include "tests/support/test_paths.h"
#include "tests/support/test_rom_runner.h"
#include "tools/state_hash.h"

namespace qgu::core {
namespace {

constexpr int kFrames = 360;
constexpr int kCompareEvery = 60;

std::vector<std::string> AllTestPrograms() {
  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(QGU_TESTROMS)) {
    if (entry.path().extension() == ".nes") paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(IdleSkipTestRoms, EveryProgramRunsAlikeWithSkippingOnAndOff) {
  QGU_SKIP_WITHOUT_TESTROMS();
  const std::vector<std::string> programs = AllTestPrograms();
  ASSERT_GT(programs.size(), 40u) << "test programs not found under " << QGU_TESTROMS;
  int skippedSomewhere = 0;
  for (const std::string& path : programs) {
    MachineSettings on;
    MachineSettings off;
    off.skipIdleLoops = false;
    testsupport::CTestRomRunner skipping(path, on);
    testsupport::CTestRomRunner running(path, off);
    for (int frame = 1; frame <= kFrames; ++frame) {
      // Drawn and undrawn frames both.
      skipping.RunFrames(1, frame % 4 == 0);
      running.RunFrames(1, frame % 4 == 0);
      if (frame % kCompareEvery != 0) continue;
      ASSERT_EQ(tools::MachineStateHash(skipping.Machine()), tools::MachineStateHash(running.Machine()))
          << path << " after " << frame << " frames";
    }
    skippedSomewhere += skipping.Machine().Cpu().IdleCyclesSkipped() > 0;
  }
  EXPECT_GT(skippedSomewhere, 10);
}

}  // namespace
}  // namespace qgu::core
