#pragma once
// Public test programs as one GoogleTest case each, asserting the result
// recorded for the program in docs/conformance.md:
//
//   class InstrTest : public testsupport::RecordedResultTest {};
//   TEST_P(InstrTest, EndsWithTheRecordedResult) { ExpectRecordedResult(); }
//   INSTANTIATE_TEST_SUITE_P(Singles, InstrTest,
//                            ::testing::Values(RecordedResult{"instr_test-v5/01-basics.nes", 0}),
//                            testsupport::RecordedResultName);

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <ostream>
#include <string>

#include "tests/support/test_rom_runner.h"

namespace qgu::testsupport {

struct RecordedResult {
  const char* rom;  // below the test-program folder
  int expected;
  // Older programs: the zero-page byte that holds their result. 0 for the
  // programs of the $6000 protocol.
  uint16_t resultByte = 0;
};

// "Rom" and the file name without folder and extension, '_' for anything
// but letters and digits.
inline std::string RecordedResultName(const ::testing::TestParamInfo<RecordedResult>& info) {
  std::string name = info.param.rom;
  name = name.substr(name.rfind('/') + 1);
  name = name.substr(0, name.rfind('.'));
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return "Rom" + name;
}

// Shown in failure messages instead of the raw bytes of the record.
inline void PrintTo(const RecordedResult& record, std::ostream* out) { *out << record.rom; }

class RecordedResultTest : public ::testing::TestWithParam<RecordedResult> {
 protected:
  void SetUp() override { QGU_SKIP_WITHOUT_TESTROMS(); }

  // A $6000 program has this long to give its verdict.
  static constexpr int kStatusFrames = 1200;
  // An older program is read after this many frames; the slowest settles after about 32.
  static constexpr int kOldResultFrames = 120;

  void ExpectRecordedResult() const {
    const RecordedResult& record = GetParam();
    if (record.resultByte == 0) {
      CTestRomRunner rom(TestRomPath(record.rom));
      EXPECT_EQ(rom.RunUntilDone(kStatusFrames), record.expected) << rom.Text();
      return;
    }
    // The older programs acknowledge the frame interrupt by reading $4015,
    // which this machine's frame interrupt does not take as an
    // acknowledgement; they run with the per-cartridge "FrameIRQ" option off,
    // as such a cartridge would.
    CTestRomRunner rom(TestRomPath(record.rom), {}, [](uint32_t, core::GameOptions& options) {
      options.frameIrq = 0;
    });
    EXPECT_EQ(rom.OldResultAfter(kOldResultFrames, record.resultByte), record.expected);
  }
};

}  // namespace qgu::testsupport
