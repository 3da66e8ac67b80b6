// The CPU against the reference trace of nestest: every official and
// unofficial opcode, flags and cycle counts, line for line.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "core/cpu/cpu.h"
#include "tests/support/test_rom_runner.h"

namespace qgu::core {
namespace {

struct TraceLine {
  unsigned pc, a, x, y, p, sp;
  long cycles;
};

bool ParseTraceLine(const std::string& line, TraceLine& out) {
  const auto field = [&](const char* key, const char* format, auto* value) {
    const size_t at = line.find(key);
    return at != std::string::npos && std::sscanf(line.c_str() + at + std::strlen(key), format, value) == 1;
  };
  return std::sscanf(line.c_str(), "%4x", &out.pc) == 1 && field("A:", "%2x", &out.a) &&
         field("X:", "%2x", &out.x) && field("Y:", "%2x", &out.y) && field("P:", "%2x", &out.p) &&
         field("SP:", "%2x", &out.sp) && field("CYC:", "%ld", &out.cycles);
}

std::string Describe(const CCpu::Registers& r) {
  char text[96];
  std::snprintf(text, sizeof text, "%04X A:%02X X:%02X Y:%02X P:%02X SP:%02X CYC:%d", r.pc, r.a, r.x, r.y, r.p, r.s,
                r.totalCycles);
  return text;
}

TEST(Nestest, EveryLineOfTheReferenceTraceMatches) {
  testsupport::CTestRomRunner rom(testsupport::TestRomPath("nestest/nestest.nes"));
  CCpu& cpu = rom.Machine().Cpu();
  // Automation mode starts at $C000.
  testsupport::StartAsReferenceTrace(rom.Machine(), 0xC000);

  std::ifstream log(testsupport::TestRomPath("nestest/nestest.log"));
  ASSERT_TRUE(log) << "nestest.log not found";
  std::string text;
  int lineNumber = 0;
  while (std::getline(log, text)) {
    ++lineNumber;
    TraceLine expected{};
    ASSERT_TRUE(ParseTraceLine(text, expected)) << "line " << lineNumber << ": " << text;
    const CCpu::Registers r = cpu.GetRegisters();
    const bool same = r.pc == expected.pc && r.a == expected.a && r.x == expected.x && r.y == expected.y &&
                      r.p == expected.p && r.s == expected.sp && r.totalCycles == expected.cycles;
    ASSERT_TRUE(same) << "line " << lineNumber << "\n expected: " << text << "\n got:      " << Describe(r);
    cpu.Execute(1);
  }
  EXPECT_EQ(lineNumber, 8991);
  // The program leaves its error codes in $02/$03: both 0 when all passed.
  EXPECT_EQ(rom.Peek(0x0002), 0);
  EXPECT_EQ(rom.Peek(0x0003), 0);
}

}  // namespace
}  // namespace qgu::core
