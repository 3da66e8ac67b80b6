#pragma once
// Test-only helpers: team record files written the way this system's writers
// write them, a synthetic football image with the stated header and size, a
// plain-array console memory and a scripted random generator.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "driver/console_memory.h"
#include "driver/random_source.h"

namespace qgu::driver::testing {

using Fields = std::vector<std::string>;

struct TestTeam {
  Fields header;                // 24 fields
  std::vector<Fields> players;  // 30 lines of 18 fields
};

// A complete team with invented names; every player's ratings and jersey differ.
TestTeam MakeTeam(const std::string& city, const std::string& nickname, const std::string& abbreviation,
                  int formation);

// Fields each followed by 0x01, then CR CR LF.
std::string RecordLine(const Fields& fields);
void WriteTeamFile(const std::filesystem::path& path, const TestTeam& team);

// A fresh folder under the system's temporary folder, removed with its contents.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Writes a team record file of that name here and returns its path.
  std::string WriteTeam(const std::string& name, const TestTeam& team) const;

 private:
  std::filesystem::path path_;
};

// Header and size of the football image, a recognisable filler, and the six
// slots' pointers where the cartridge keeps them (city/nickname pointers of
// each team, first player pointer = first player text + $7FF0).
std::vector<uint8_t> MakeSyntheticImage();
uint16_t WordAt(const std::vector<uint8_t>& image, size_t offset);
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
  uint32_t Next() override;
  size_t Remaining() const { return values_.size(); }
  int overdrawn = 0;

 private:
  std::deque<uint32_t> values_;
};

}  // namespace qgu::driver::testing
