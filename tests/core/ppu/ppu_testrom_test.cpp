// The older public picture-unit programs. Each leaves its result code in a
// zero-page byte (1 = passed, otherwise the number of the failing check, as
// also printed on screen). The expected codes below are the recorded results;
// every code other than 1 is explained in docs/conformance.md.
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

#include "core/machine.h"
#include "core/mappers/mapper_factory.h"
#include "tests/support/test_rom_runner.h"

namespace qgu::core {
namespace {

constexpr uint16_t kPpuTestsResult = 0x00F0;
constexpr uint16_t kSpriteHitResult = 0x00F8;
// The slowest program settles after about 32 frames.
constexpr int kFramesToSettle = 120;

struct RecordedResult {
  const char* rom;
  uint16_t resultAddress;
  int expected;
};

// Shown in test names instead of the raw bytes of the record.
void PrintTo(const RecordedResult& record, std::ostream* out) { *out << record.rom; }

std::string CaseName(const ::testing::TestParamInfo<RecordedResult>& info) {
  std::string name = info.param.rom;
  name = name.substr(name.find('/') + 1);
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

class PictureTestRomTest : public ::testing::TestWithParam<RecordedResult> {};

TEST_P(PictureTestRomTest, ResultCodeIsTheRecordedOne) {
  const RecordedResult& record = GetParam();
  const std::vector<uint8_t> image = testsupport::ReadBinaryFile(testsupport::TestRomPath(record.rom));
  // These programs acknowledge the frame interrupt by reading $4015, which
  // this machine's frame interrupt does not take as an acknowledgement; they
  // run with the per-cartridge "FrameIRQ" option off, as such a cartridge would.
  CMachine machine(image, {}, TestProgramMapperFactory(),
                   [](uint32_t, GameOptions& options) { options.frameIrq = 0; });
  for (int frame = 0; frame < kFramesToSettle; ++frame) machine.RunFrame(true);
  EXPECT_EQ(machine.PeekByte(record.resultAddress), record.expected) << record.rom;
}

INSTANTIATE_TEST_SUITE_P(
    PpuTests, PictureTestRomTest,
    ::testing::Values(RecordedResult{"ppu_tests/palette_ram.nes", kPpuTestsResult, 1},
                      RecordedResult{"ppu_tests/power_up_palette.nes", kPpuTestsResult, 2},
                      RecordedResult{"ppu_tests/sprite_ram.nes", kPpuTestsResult, 4},
                      RecordedResult{"ppu_tests/vbl_clear_time.nes", kPpuTestsResult, 2},
                      RecordedResult{"ppu_tests/vram_access.nes", kPpuTestsResult, 6}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    SpriteHitTests, PictureTestRomTest,
    ::testing::Values(RecordedResult{"sprite_hit_tests/01.basics.nes", kSpriteHitResult, 1},
                      RecordedResult{"sprite_hit_tests/02.alignment.nes", kSpriteHitResult, 1},
                      RecordedResult{"sprite_hit_tests/03.corners.nes", kSpriteHitResult, 1},
                      RecordedResult{"sprite_hit_tests/04.flip.nes", kSpriteHitResult, 1},
                      RecordedResult{"sprite_hit_tests/05.left_clip.nes", kSpriteHitResult, 1},
                      RecordedResult{"sprite_hit_tests/06.right_edge.nes", kSpriteHitResult, 2},
                      RecordedResult{"sprite_hit_tests/07.screen_bottom.nes", kSpriteHitResult, 1},
                      RecordedResult{"sprite_hit_tests/08.double_height.nes", kSpriteHitResult, 1},
                      RecordedResult{"sprite_hit_tests/09.timing_basics.nes", kSpriteHitResult, 4},
                      RecordedResult{"sprite_hit_tests/10.timing_order.nes", kSpriteHitResult, 2},
                      RecordedResult{"sprite_hit_tests/11.edge_timing.nes", kSpriteHitResult, 2}),
    CaseName);

}  // namespace
}  // namespace qgu::core
