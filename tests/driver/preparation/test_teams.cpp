#include "test_teams.h"

#include <span>
#include <stdexcept>

#include "driver/team_slots.h"
#include "league/team_record_file.h"
#include "tests/support/cartridge_bytes.h"

namespace qgu::driver::testing {

TestTeam MakeTeam(const std::string& city, const std::string& nickname, const std::string& abbreviation,
                  int formation) {
  TestTeam team;
  team.header = {city, nickname, abbreviation, "33", "22", "17", "48", "6", "21",
                 "18", "52", "103", "118", std::to_string(formation), "4", "5",
                 "10", "20", "70", "60", "70", "1", "55", "45"};
  for (int p = 0; p < 30; ++p) {
    Fields line = {std::to_string(p + 1), "fn" + std::to_string(p), "LAST" + std::to_string(p)};
    for (int f = 3; f < 18; ++f) line.push_back(std::to_string(f == 7 ? (p % 2) * 0x80 : (p + f) % 16));
    team.players.push_back(line);
  }
  return team;
}

namespace {

std::string RecordLine(const Fields& fields) {
  std::string line;
  for (const std::string& field : fields) line += field + '\x01';
  return line + "\r\r\n";
}

}  // namespace

std::string WriteTeamFile(const std::filesystem::path& path, const TestTeam& team) {
  std::string text = RecordLine(team.header);
  for (const Fields& player : team.players) text += RecordLine(player);
  qgu::testing::WriteBytes(path, text);
  return path.string();
}

league::TeamRecord TeamRecordOf(const std::filesystem::path& folder, const TestTeam& team) {
  const league::Result<league::TeamRecord> record = league::ReadTeamRecordFile(WriteTeamFile(folder / "team.dat", team));
  if (!record) throw std::runtime_error(record.error());
  return record.value();
}

std::vector<uint8_t> MakeSyntheticImage() {
  std::vector<uint8_t> image(cartridge::kImageBytes);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + 3);
  std::copy(cartridge::kHeader.begin(), cartridge::kHeader.end(), image.begin());
  using qgu::testing::SetWord;
  for (const auto& formation : kTeamSlots) {
    for (const TeamSlot& slot : formation) {
      // Texts in the data bank, which the cartridge maps at $A000.
      const size_t bias = cartridge::kTextPointerBias;
      SetWord(image, cartridge::kCityPointers.Of(slot.team), static_cast<uint16_t>(slot.cityText - bias));
      SetWord(image, cartridge::kNicknamePointers.Of(slot.team), static_cast<uint16_t>(slot.nicknameText - bias));
      SetWord(image, cartridge::kPlayerPointers.Of(slot.team), static_cast<uint16_t>(slot.firstPlayerText + cartridge::kPlayerPointerBias));
    }
  }
  return image;
}

uint16_t WordAt(std::span<const uint8_t> image, size_t offset) {
  return static_cast<uint16_t>(qgu::testing::Word(image, offset));
}

uint32_t ScriptedRandom::Next() {
  if (values_.empty()) {
    ++overdrawn;
    return 0;
  }
  const uint32_t value = values_.front();
  values_.pop_front();
  return value;
}

}  // namespace qgu::driver::testing
