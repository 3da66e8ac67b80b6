// The older public picture-unit programs. Each leaves its result code in a
// zero-page byte (1 = passed, otherwise the number of the failing check, as
// also printed on screen). The expected codes below are the recorded results;
// every code other than 1 is explained in docs/conformance.md.
#include "tests/support/recorded_result.h"

namespace qgu::core {
namespace {

using testsupport::RecordedResult;

constexpr uint16_t kPpuTestsResult = 0x00F0;
constexpr uint16_t kSpriteHitResult = 0x00F8;

class PictureTestRomTest : public testsupport::RecordedResultTest {};

TEST_P(PictureTestRomTest, ResultCodeIsTheRecordedOne) { ExpectRecordedResult(); }

INSTANTIATE_TEST_SUITE_P(
    PpuTests, PictureTestRomTest,
    ::testing::Values(RecordedResult{"ppu_tests/palette_ram.nes", 1, kPpuTestsResult},
                      RecordedResult{"ppu_tests/power_up_palette.nes", 2, kPpuTestsResult},
                      RecordedResult{"ppu_tests/sprite_ram.nes", 4, kPpuTestsResult},
                      RecordedResult{"ppu_tests/vbl_clear_time.nes", 2, kPpuTestsResult},
                      RecordedResult{"ppu_tests/vram_access.nes", 6, kPpuTestsResult}),
    testsupport::RecordedResultName);

INSTANTIATE_TEST_SUITE_P(
    SpriteHitTests, PictureTestRomTest,
    ::testing::Values(RecordedResult{"sprite_hit_tests/01.basics.nes", 1, kSpriteHitResult},
                      RecordedResult{"sprite_hit_tests/02.alignment.nes", 1, kSpriteHitResult},
                      RecordedResult{"sprite_hit_tests/03.corners.nes", 1, kSpriteHitResult},
                      RecordedResult{"sprite_hit_tests/04.flip.nes", 1, kSpriteHitResult},
                      RecordedResult{"sprite_hit_tests/05.left_clip.nes", 1, kSpriteHitResult},
                      RecordedResult{"sprite_hit_tests/06.right_edge.nes", 2, kSpriteHitResult},
                      RecordedResult{"sprite_hit_tests/07.screen_bottom.nes", 1, kSpriteHitResult},
                      RecordedResult{"sprite_hit_tests/08.double_height.nes", 1, kSpriteHitResult},
                      RecordedResult{"sprite_hit_tests/09.timing_basics.nes", 4, kSpriteHitResult},
                      RecordedResult{"sprite_hit_tests/10.timing_order.nes", 2, kSpriteHitResult},
                      RecordedResult{"sprite_hit_tests/11.edge_timing.nes", 2, kSpriteHitResult}),
    testsupport::RecordedResultName);

}  // namespace
}  // namespace qgu::core
