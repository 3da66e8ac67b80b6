#pragma once
// Test-only helpers: team record files written field by field the way this
// system's writers write them (so tests can also write what no writer would),
// a synthetic football image with the stated header and size, a plain-array
// console memory and a scripted random generator.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "driver/console_memory.h"
#include "driver/random_source.h"
#include "league/team_record.h"
#include "tests/support/temp_folder.h"

namespace qgu::driver::testing {

using qgu::testing::TempFolder;

using Fields = std::vector<std::string>;

struct TestTeam {
  Fields header;                // 24 fields
  std::vector<Fields> players;  // 30 lines of 18 fields
};

// A complete team with invented names; every player's ratings and jersey differ.
TestTeam MakeTeam(const std::string& city, const std::string& nickname, const std::string& abbreviation,
                  int formation);

// Each line's fields followed by 0x01, then CR CR LF. Returns the path.
std::string WriteTeamFile(const std::filesystem::path& path, const TestTeam& team);
// The team as the league's reader reads it from such a file.
league::TeamRecord TeamRecordOf(const std::filesystem::path& folder, const TestTeam& team);

// Header and size of the football image, a recognisable filler, and the six
// slots' pointers where the cartridge keeps them (city/nickname pointers of
// each team, first player pointer = first player text + $7FF0).
std::vector<uint8_t> MakeSyntheticImage();
uint16_t WordAt(std::span<const uint8_t> image, size_t offset);

class FakeConsoleMemory final : public IConsoleMemory {
 public:
  uint8_t Read(uint16_t address) const override { return bytes[address]; }
  void Write(uint16_t address, uint8_t value) override {
    bytes[address] = value;
    ++writes;
  }
  std::vector<uint8_t> bytes = std::vector<uint8_t>(0x10000, 0);
  int writes = 0;
};

// Hands out queued values in order; counts draws beyond the script as a failure.
class ScriptedRandom final : public IRandomSource {
 public:
  explicit ScriptedRandom(std::initializer_list<uint32_t> values) : values_(values) {}
  explicit ScriptedRandom(const std::vector<uint32_t>& values) : values_(values.begin(), values.end()) {}
  uint32_t Next() override;
  size_t Remaining() const { return values_.size(); }
  int overdrawn = 0;

 private:
  std::deque<uint32_t> values_;
};

}  // namespace qgu::driver::testing
