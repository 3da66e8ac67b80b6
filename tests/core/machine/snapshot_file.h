#pragma once
// A snapshot file in a scratch folder per test, with helpers to read and rewrite it.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tests/support/test_rom_runner.h"

namespace qgu::core::testing {

class SnapshotFile : public ::testing::Test {
 protected:
  std::vector<uint8_t> Bytes() const { return testsupport::ReadBinaryFile(path_); }
  void Write(const std::vector<uint8_t>& bytes) const {
    qgu::testing::WriteBytes(path_, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
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

  qgu::testing::TempFolder folder_;
  const std::string path_ = (folder_ / "game.sta").string();
};

}  // namespace qgu::core::testing
