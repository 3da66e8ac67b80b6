// Game preparation on the cartridge's own team layout (its 28 teams placed by
// the image builder): after a game is prepared, the cartridge, following its
// own pointers, finds both league teams and every other team unchanged.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "cartridge/builder/image_builder.h"
#include "cartridge/builder/team_source.h"
#include "driver/game_manager.h"
#include "test_teams.h"

namespace qgu::driver {
namespace {

using testing::MakeTeam;
using testing::TestTeam;
using testing::WordAt;

std::vector<uint8_t> CartridgeWithItsTeams() {
  std::ifstream in(std::string(QGU_SOURCE_DIR) + "/cartridge/builder/teams.txt", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const cartridge::TeamSourceResult source = cartridge::ParseTeamSource(text.str(), "teams.txt");
  EXPECT_TRUE(source.errors.empty());
  cartridge::BuildResult built = cartridge::BuildCartridgeImage(cartridge::MakeStandInProgramImage(), source.teams);
  EXPECT_TRUE(built.errors.empty()) << (built.errors.empty() ? "" : built.errors.front());
  return built.image;
}

// What the cartridge reads for team n, by its own pointers.
struct CartridgeTeam {
  std::string city;
  std::string nickname;
  std::vector<std::string> entries;  // jersey byte then name, per player
};

std::string Between(std::span<const uint8_t> image, size_t from, size_t to) {
  if (to < from || to > image.size()) return "<broken chain>";
  return std::string(image.begin() + static_cast<long>(from), image.begin() + static_cast<long>(to));
}

CartridgeTeam ReadAsCartridge(std::span<const uint8_t> image, int team) {
  const size_t textBias = cartridge::kTextPointerBias;
  CartridgeTeam read;
  read.city = Between(image, WordAt(image, cartridge::kCityPointers.Of(team)) + textBias,
                      WordAt(image, cartridge::kCityPointers.Of(team + 1)) + textBias);
  read.nickname = Between(image, WordAt(image, cartridge::kNicknamePointers.Of(team)) + textBias,
                          WordAt(image, cartridge::kNicknamePointers.Of(team + 1)) + textBias);
  for (int p = 0; p < 30; ++p) {
    const size_t pointer = cartridge::kPlayerPointers.Of(team) + 2 * static_cast<size_t>(p);
    read.entries.push_back(Between(image, WordAt(image, pointer) - size_t{cartridge::kPlayerPointerBias},
                                   WordAt(image, pointer + 2) - size_t{cartridge::kPlayerPointerBias}));
  }
  return read;
}

class CarriedCartridgeTest : public ::testing::Test {
 protected:

  testing::TempFolder folder;
  std::vector<uint8_t> cartridgeImage = CartridgeWithItsTeams();
};

TEST_F(CarriedCartridgeTest, SlotsStartWhereTheCartridgesOwnPointersSay) {
  ASSERT_EQ(cartridgeImage.size(), cartridge::kImageBytes);
  for (const auto& formation : kTeamSlots) {
    for (const TeamSlot& slot : formation) {
      EXPECT_EQ(WordAt(cartridgeImage, cartridge::kCityPointers.Of(slot.team)) + cartridge::kTextPointerBias, slot.cityText);
      EXPECT_EQ(WordAt(cartridgeImage, cartridge::kNicknamePointers.Of(slot.team)) + cartridge::kTextPointerBias,
                slot.nicknameText);
      EXPECT_EQ(WordAt(cartridgeImage, cartridge::kPlayerPointers.Of(slot.team)) - cartridge::kPlayerPointerBias, slot.firstPlayerText);
    }
  }
}

TEST_F(CarriedCartridgeTest, PreparedGameReadsBackThroughTheCartridgesPointers) {
  CGameManager manager(cartridgeImage, std::make_unique<CSeededRandom>(3));
  for (auto [home, away] : {std::pair{2, 2}, {3, 3}, {4, 4}, {4, 2}, {3, 4}}) {
    TestTeam homeTeam = MakeTeam("WESTERLY GLADE", "NIGHTJARS", "WGN", home);
    TestTeam awayTeam = MakeTeam("CRAB", "TIDES", "CRT", away);
    awayTeam.players[29][1] = "maximilianhorvath";  // first name cut to 15
    awayTeam.players[29][2] = "BERGEN";
    manager.SetHomePath(testing::WriteTeamFile(folder / "WGN0.dat", homeTeam));
    manager.SetAwayPath(testing::WriteTeamFile(folder / "CRT0.dat", awayTeam));
    ASSERT_TRUE(manager.PrepareGame());
    const auto image = manager.WorkingImage();
    const int homeNumber = SlotFor(home, false).team;
    const int awayNumber = SlotFor(away, home == away).team;

    const CartridgeTeam homeRead = ReadAsCartridge(image, homeNumber);
    EXPECT_EQ(homeRead.city, "WESTERLY GLADE");
    EXPECT_EQ(homeRead.nickname, "NIGHTJARS");
    EXPECT_EQ(homeRead.entries[12], std::string(1, '\x0D') + "fn12LAST12");
    const CartridgeTeam awayRead = ReadAsCartridge(image, awayNumber);
    EXPECT_EQ(awayRead.city, "CRAB");
    EXPECT_EQ(awayRead.entries[29], std::string(1, '\x1E') + "maximilianhorvaBERGEN");

    // The teams that do not play keep their players, except that the team after
    // each slot shares the slot's closing pointer as its first entry's start.
    for (int team = 0; team < cartridge::kTeamCount; ++team) {
      if (team == homeNumber || team == awayNumber) continue;
      std::vector<std::string> now = ReadAsCartridge(image, team).entries;
      std::vector<std::string> before = ReadAsCartridge(cartridgeImage, team).entries;
      if (team == homeNumber + 1 || team == awayNumber + 1) {
        now.erase(now.begin());
        before.erase(before.begin());
      }
      EXPECT_EQ(now, before) << "team " << team << " in game " << home << away;
    }
  }
}

}  // namespace
}  // namespace qgu::driver
