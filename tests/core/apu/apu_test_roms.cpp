// The sound-unit test programs: each ends with a result code at $6000
// (0 = passed). Codes other than 0 are explained in docs/conformance.md.
#include "tests/support/recorded_result.h"

namespace qgu::core {
namespace {

using testsupport::RecordedResult;

class ApuTest : public testsupport::RecordedResultTest {};

TEST_P(ApuTest, EndsWithTheRecordedResult) { ExpectRecordedResult(); }

// 1, 2: a $80 write to $4017 issues step value 0, which clocks envelopes but
//       not length counters, and these programs clock lengths that way.
// 3, 4, 6: $4015 bit 6 always reads 0 (the frame interrupt is never reported
//       there), and every $4017 write clears the flag.
// 4, 5, 6: the timing copy moves a whole CPU run slice at a time, so its
//       steps are not placed to the CPU cycle.
// 7, 8: $4015 bit 4 reads 0 and sample bytes are fetched on the output's
//       schedule, so the DMC's progress is invisible to the CPU.
INSTANTIATE_TEST_SUITE_P(Singles, ApuTest,
                         ::testing::Values(RecordedResult{"apu_test/1-len_ctr.nes", 4},
                                           RecordedResult{"apu_test/2-len_table.nes", 1},
                                           RecordedResult{"apu_test/3-irq_flag.nes", 4},
                                           RecordedResult{"apu_test/4-jitter.nes", 3},
                                           RecordedResult{"apu_test/5-len_timing.nes", 3},
                                           RecordedResult{"apu_test/6-irq_flag_timing.nes", 3},
                                           RecordedResult{"apu_test/7-dmc_basics.nes", 2},
                                           RecordedResult{"apu_test/8-dmc_rates.nes", 2}),
                         testsupport::RecordedResultName);

}  // namespace
}  // namespace qgu::core
