// The single instruction test programs: each ends with a result code at
// $6000 (0 = passed). Expected codes other than 0 are explained in
// docs/conformance.md.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_rom_runner.h"

namespace qgu::core {
namespace {

struct RomCase {
  const char* file;
  int expectedStatus;
};

class InstrTest : public ::testing::TestWithParam<RomCase> {};

TEST_P(InstrTest, EndsWithTheRecordedResult) {
  testsupport::CTestRomRunner rom(testsupport::TestRomPath(std::string("instr_test-v5/") + GetParam().file));
  EXPECT_EQ(rom.RunUntilDone(1200), GetParam().expectedStatus) << rom.Text();
}

// 03: opcode $AB is built as A = X = (A | $EE) & imm; the program expects
// the magic constant $FF.
INSTANTIATE_TEST_SUITE_P(Singles, InstrTest,
                         ::testing::Values(RomCase{"01-basics.nes", 0}, RomCase{"02-implied.nes", 0},
                                           RomCase{"03-immediate.nes", 1}, RomCase{"04-zero_page.nes", 0},
                                           RomCase{"05-zp_xy.nes", 0}, RomCase{"06-absolute.nes", 0},
                                           RomCase{"07-abs_xy.nes", 0}, RomCase{"08-ind_x.nes", 0},
                                           RomCase{"09-ind_y.nes", 0}, RomCase{"10-branches.nes", 0},
                                           RomCase{"11-stack.nes", 0}, RomCase{"12-jmp_jsr.nes", 0},
                                           RomCase{"13-rts.nes", 0}, RomCase{"14-rti.nes", 0},
                                           RomCase{"15-brk.nes", 0}, RomCase{"16-special.nes", 0}),
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
