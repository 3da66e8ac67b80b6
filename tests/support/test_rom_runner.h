#pragma once
// The public test programs for the tests: where they are, and the runner of
// the tools library under the name the tests use.
//
//   CTestRomRunner rom(TestRomPath("instr_test-v5/01-basics.nes"));
//   EXPECT_EQ(rom.RunUntilDone(3000), 0) << rom.Text();

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "tests/support/test_paths.h"
#include "tools/rom_runner.h"

namespace qgu::testsupport {

// Path of a file under the shared test-program folder.
inline std::string TestRomPath(const std::string& relative) { return std::string(QGU_TESTROMS) + "/" + relative; }

// The test programs are not part of a clone: why they cannot be used here,
// or nothing when their folder is where the build expects it.
inline std::optional<std::string> MissingTestRoms() {
  std::error_code error;
  if (std::filesystem::is_directory(QGU_TESTROMS, error)) return std::nullopt;
  return std::string("public test programs not found: expected in ") + QGU_TESTROMS +
         " (configure with -DQGU_TESTROMS=FOLDER)";
}

// Skips the calling test, with the reason, where the test programs are missing.
#define QGU_SKIP_WITHOUT_TESTROMS()                                 \
  do {                                                              \
    if (const auto missing = ::qgu::testsupport::MissingTestRoms()) \
      GTEST_SKIP() << *missing;                                     \
  } while (0)

using CTestRomRunner = tools::CRomRunner;
using tools::HasTestSignature;
using tools::ParseButtons;
using tools::ReadBinaryFile;
using tools::StartAsReferenceTrace;
using tools::TestText;

}  // namespace qgu::testsupport
