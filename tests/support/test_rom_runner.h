#pragma once
// The public test programs for the tests: where they are, and the runner of
// the tools library under the name the tests use.
//
//   CTestRomRunner rom(TestRomPath("instr_test-v5/01-basics.nes"));
//   EXPECT_EQ(rom.RunUntilDone(3000), 0) << rom.Text();

#include <string>

#include "tools/rom_runner.h"

namespace qgu::testsupport {

// Path of a file under the shared test-program folder.
inline std::string TestRomPath(const std::string& relative) { return std::string(QGU_TESTROMS) + "/" + relative; }

using CTestRomRunner = tools::CRomRunner;
using tools::HasTestSignature;
using tools::ParseButtons;
using tools::ReadBinaryFile;
using tools::StartAsReferenceTrace;
using tools::TestText;

}  // namespace qgu::testsupport
