// The sound-unit test programs: each ends with a result code at $6000
// (0 = passed). Codes other than 0 are explained in docs/conformance.md.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_rom_runner.h"

namespace qgu::core {
namespace {

struct RomCase {
  const char* file;
  int expectedStatus;
};

class ApuTest : public ::testing::TestWithParam<RomCase> {};

TEST_P(ApuTest, EndsWithTheRecordedResult) {
  testsupport::CTestRomRunner rom(testsupport::TestRomPath(std::string("apu_test/") + GetParam().file));
  EXPECT_EQ(rom.RunUntilDone(1200), GetParam().expectedStatus) << rom.Text();
}

// 1, 2: a $80 write to $4017 issues step value 0, which clocks envelopes but
//       not length counters, and these programs clock lengths that way.
// 3, 4, 6: $4015 bit 6 always reads 0 (the frame interrupt is never reported
//       there), and every $4017 write clears the flag.
// 4, 5, 6: the timing copy moves a whole CPU run slice at a time, so its
//       steps are not placed to the CPU cycle.
// 7, 8: $4015 bit 4 reads 0 and sample bytes are fetched on the output's
//       schedule, so the DMC's progress is invisible to the CPU.
INSTANTIATE_TEST_SUITE_P(Singles, ApuTest,
                         ::testing::Values(RomCase{"1-len_ctr.nes", 4}, RomCase{"2-len_table.nes", 1},
                                           RomCase{"3-irq_flag.nes", 4}, RomCase{"4-jitter.nes", 3},
                                           RomCase{"5-len_timing.nes", 3},
                                           RomCase{"6-irq_flag_timing.nes", 3},
                                           RomCase{"7-dmc_basics.nes", 2}, RomCase{"8-dmc_rates.nes", 2}),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           name = name.substr(0, name.find('.'));
                           for (char& c : name) {
                             if (c == '-') c = '_';
                           }
                           return "Rom" + name;
                         });

}  // namespace
}  // namespace qgu::core
