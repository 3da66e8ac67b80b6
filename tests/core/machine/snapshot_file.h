#pragma once
// A temporary snapshot file per test, with helpers to read and rewrite it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/test_rom_runner.h"

namespace qgu::core::testing {

class SnapshotFile : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (std::filesystem::temp_directory_path() /
             ("qgu-snapshot-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".sta"))
                .string();
  }
  void TearDown() override { std::filesystem::remove(path_); }

  std::vector<uint8_t> Bytes() const { return testsupport::ReadBinaryFile(path_); }
  void Write(const std::vector<uint8_t>& bytes) const {
    std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  // Block id -> body size, in file order.
  std::vector<std::pair<std::string, uint32_t>> Blocks() const {
    const auto bytes = Bytes();
    std::vector<std::pair<std::string, uint32_t>> blocks;
    for (size_t at = 32; at + 16 <= bytes.size();) {
      const uint32_t size = bytes[at + 12] | bytes[at + 13] << 8 | bytes[at + 14] << 16 | uint32_t(bytes[at + 15]) << 24;
      blocks.emplace_back(std::string(reinterpret_cast<const char*>(&bytes[at]), 8), size);
      at += 16 + size;
    }
    return blocks;
  }

  std::string path_;
};

}  // namespace qgu::core::testing
