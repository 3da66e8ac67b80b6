// MMC3 and branch-timing test programs with their recorded results; codes
// other than "passed" are explained in docs/conformance.md.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "tests/support/test_rom_runner.h"

namespace qgu::core {
namespace {

struct RomCase {
  const char* file;
  int expected;
};

std::string CaseName(const char* file) {
  std::string name = file;
  name = name.substr(name.find('/') + 1);
  name = name.substr(0, name.rfind('.'));
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return "Rom" + name;
}

class Mmc3Test : public ::testing::TestWithParam<RomCase> {};

TEST_P(Mmc3Test, EndsWithTheRecordedResult) {
  testsupport::CTestRomRunner rom(testsupport::TestRomPath(GetParam().file));
  EXPECT_EQ(rom.RunUntilDone(600), GetParam().expected) << rom.Text();
}

// The scanline counter steps on the frame loop's line events while rendering
// is on; these programs clock it through $2006 (A12 edges) or time it to the
// dot, which a scanline machine does not do.
INSTANTIATE_TEST_SUITE_P(Programs, Mmc3Test,
                         ::testing::Values(RomCase{"mmc3_test/1-clocking.nes", 3},
                                           RomCase{"mmc3_test/2-details.nes", 2},
                                           RomCase{"mmc3_test/3-A12_clocking.nes", 4},
                                           RomCase{"mmc3_test/4-scanline_timing.nes", 3},
                                           RomCase{"mmc3_test/5-MMC3.nes", 2},
                                           RomCase{"mmc3_test/6-MMC6.nes", 2}),
                         [](const auto& info) { return CaseName(info.param.file); });

class BranchTimingTest : public ::testing::TestWithParam<RomCase> {};

TEST_P(BranchTimingTest, ShowsPassed) {
  testsupport::CTestRomRunner rom(testsupport::TestRomPath(GetParam().file));
  EXPECT_EQ(rom.OldResultAfter(120), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Programs, BranchTimingTest,
                         ::testing::Values(RomCase{"branch_timing_tests/1.Branch_Basics.nes", 1},
                                           RomCase{"branch_timing_tests/2.Backward_Branch.nes", 1},
                                           RomCase{"branch_timing_tests/3.Forward_Branch.nes", 1}),
                         [](const auto& info) { return CaseName(info.param.file); });

}  // namespace
}  // namespace qgu::core
