// The CPU against the reference trace of nestest: every official and
// unofficial opcode, flags and cycle counts, line for line.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "core/cpu/cpu.h"
#include "tests/support/test_rom_runner.h"

namespace qgu::core {
namespace {

// A log line's PC, registers and cycle count, as Describe writes them.
std::string Expected(const std::string& line) {
  const size_t registers = line.find("A:"), cycles = line.find("CYC:");
  if (line.size() < 4 || registers == std::string::npos || cycles == std::string::npos) return "unreadable: " + line;
  return line.substr(0, 4) + " " + line.substr(registers, 25) + " " + line.substr(cycles);
}

std::string Describe(const CCpu::Registers& r) {
  char text[96];
  std::snprintf(text, sizeof text, "%04X A:%02X X:%02X Y:%02X P:%02X SP:%02X CYC:%u", r.pc, r.a, r.x, r.y, r.p, r.s,
                r.totalCycles);
  return text;
}

TEST(Nestest, EveryLineOfTheReferenceTraceMatches) {
  QGU_SKIP_WITHOUT_TESTROMS();
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
    ASSERT_EQ(Describe(cpu.GetRegisters()), Expected(text)) << "line " << lineNumber;
    cpu.Execute(1);
  }
  EXPECT_EQ(lineNumber, 8991);
  // The program leaves its error codes in $02/$03: both 0 when all passed.
  EXPECT_EQ(rom.Peek(0x0002), 0);
  EXPECT_EQ(rom.Peek(0x0003), 0);
}

}  // namespace
}  // namespace qgu::core
