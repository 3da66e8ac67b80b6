// The CPU, MMC3 and branch-timing test programs with their recorded results;
// codes other than "passed" are explained in docs/conformance.md.
#include "tests/support/recorded_result.h"

namespace qgu::core {
namespace {

using testsupport::RecordedResult;

class MachineTestRom : public testsupport::RecordedResultTest {};

TEST_P(MachineTestRom, EndsWithTheRecordedResult) { ExpectRecordedResult(); }

// Status at $6000, 0 = passed. 03: opcode $AB is built as A = X = (A | $EE) &
// imm; the program expects the magic constant $FF.
INSTANTIATE_TEST_SUITE_P(Instr, MachineTestRom,
                         ::testing::Values(RecordedResult{"instr_test-v5/01-basics.nes", 0},
                                           RecordedResult{"instr_test-v5/02-implied.nes", 0},
                                           RecordedResult{"instr_test-v5/03-immediate.nes", 1},
                                           RecordedResult{"instr_test-v5/04-zero_page.nes", 0},
                                           RecordedResult{"instr_test-v5/05-zp_xy.nes", 0},
                                           RecordedResult{"instr_test-v5/06-absolute.nes", 0},
                                           RecordedResult{"instr_test-v5/07-abs_xy.nes", 0},
                                           RecordedResult{"instr_test-v5/08-ind_x.nes", 0},
                                           RecordedResult{"instr_test-v5/09-ind_y.nes", 0},
                                           RecordedResult{"instr_test-v5/10-branches.nes", 0},
                                           RecordedResult{"instr_test-v5/11-stack.nes", 0},
                                           RecordedResult{"instr_test-v5/12-jmp_jsr.nes", 0},
                                           RecordedResult{"instr_test-v5/13-rts.nes", 0},
                                           RecordedResult{"instr_test-v5/14-rti.nes", 0},
                                           RecordedResult{"instr_test-v5/15-brk.nes", 0},
                                           RecordedResult{"instr_test-v5/16-special.nes", 0}),
                         testsupport::RecordedResultName);

// Status at $6000. The scanline counter steps on the frame loop's line events
// while rendering is on; these programs clock it through $2006 (A12 edges) or
// time it to the dot, which a scanline machine does not do.
INSTANTIATE_TEST_SUITE_P(Mmc3, MachineTestRom,
                         ::testing::Values(RecordedResult{"mmc3_test/1-clocking.nes", 3},
                                           RecordedResult{"mmc3_test/2-details.nes", 2},
                                           RecordedResult{"mmc3_test/3-A12_clocking.nes", 4},
                                           RecordedResult{"mmc3_test/4-scanline_timing.nes", 3},
                                           RecordedResult{"mmc3_test/5-MMC3.nes", 2},
                                           RecordedResult{"mmc3_test/6-MMC6.nes", 2}),
                         testsupport::RecordedResultName);

// Result byte at $F8, 1 = passed.
constexpr uint16_t kBranchTimingResult = testsupport::CTestRomRunner::kOldResultAddress;
INSTANTIATE_TEST_SUITE_P(BranchTiming, MachineTestRom,
                         ::testing::Values(
                             RecordedResult{"branch_timing_tests/1.Branch_Basics.nes", 1, kBranchTimingResult},
                             RecordedResult{"branch_timing_tests/2.Backward_Branch.nes", 1, kBranchTimingResult},
                             RecordedResult{"branch_timing_tests/3.Forward_Branch.nes", 1, kBranchTimingResult}),
                         testsupport::RecordedResultName);

}  // namespace
}  // namespace qgu::core
