// The game program image as the build leaves it for the image builder:
// interrupt vectors in the fixed bank, and no variable of the program on a
// console byte the league program owns.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "league/cartridge_layout.h"

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Size, header, game check and free data areas are the image builder's own
// checks when it places the teams; the vectors must lie in the fixed bank.
TEST(ProgramImage, VectorsPointIntoTheFixedBank) {
  const auto image = ReadAll(QGU_PROGRAM_NES);
  ASSERT_EQ(image.size(), qgu::cartridge::kImageBytes);
  const size_t vectors = 0x10 + 0x40000 - 6;
  for (size_t v = 0; v < 3; ++v) EXPECT_GE(image[vectors + 2 * v] | (image[vectors + 2 * v + 1] << 8), 0xC000) << v;
}

// Every RAM segment of the link map stays off the console bytes with fixed meanings.
TEST(ProgramImage, NoVariableOnAContractByte) {
  std::ifstream in(QGU_PROGRAM_MAP);
  ASSERT_TRUE(in.good());
  std::stringstream text;
  text << in.rdbuf();
  const std::string map = text.str();
  const size_t list = map.find("Segment list:");
  ASSERT_NE(list, std::string::npos);
  const std::vector<int> owned = {0x00,  0x50,  0x6A,  0x6B,  0x75,  0x76,  0x78,  0x79,  0x88,
                                  0x89,  0xE1,  0xE2,  0x350, 0x35F, 0x365, 0x366, 0x393, 0x394,
                                  0x395, 0x396, 0x397, 0x398, 0x399, 0x39A, 0x39B, 0x39C, 0x39D, 0x39E};
  const std::regex line(R"((\w+)\s+([0-9A-F]{6})\s+([0-9A-F]{6})\s+([0-9A-F]{6}))");
  std::istringstream lines(map.substr(list));
  std::string row;
  int ramSegments = 0;
  while (std::getline(lines, row)) {
    std::smatch m;
    if (!std::regex_search(row, m, line)) continue;
    const int start = std::stoi(m[2], nullptr, 16);
    const int end = std::stoi(m[3], nullptr, 16);
    if (start >= 0x800 || m[1] == "HEADER" || m[1] == "CHARS") continue;  // not console RAM
    ++ramSegments;
    for (int address : owned) {
      EXPECT_FALSE(address >= start && address <= end) << m[1] << " covers $" << std::hex << address;
    }
  }
  EXPECT_GE(ramSegments, 3);
}

}  // namespace
