// A whole game's preparation: both teams into their formation's slots, the
// refusals, the refill from the embedded image, profiles and helmets.

#include <gtest/gtest.h>

#include <string>

#include "driver/game_manager.h"
#include "driver/team_injection.h"
#include "driver/weather_palettes.h"
#include "test_teams.h"

namespace qgu::driver {
namespace {

using testing::MakeTeam;
using testing::TestTeam;

class PrepareGameTest : public ::testing::Test {
 protected:
  void ChooseTeams(int homeFormation, int awayFormation) {
    manager.SetHomePath(testing::WriteTeamFile(folder / "HOME0.dat", MakeTeam("BRASKET", "RAVENS", "HOME", homeFormation)));
    manager.SetAwayPath(testing::WriteTeamFile(folder / "AWAY0.dat", MakeTeam("TULVANE", "OTTERS", "AWAY", awayFormation)));
  }
  std::string AbbreviationOf(int team) const {
    const auto image = manager.WorkingImage();
    const size_t at = cartridge::kAbbreviationTexts.Of(team);
    return std::string(image.begin() + static_cast<long>(at), image.begin() + static_cast<long>(at + 4));
  }

  testing::TempFolder folder;
  std::vector<uint8_t> embedded = testing::MakeSyntheticImage();
  CGameManager manager{embedded, std::make_unique<CSeededRandom>(1)};
};

TEST_F(PrepareGameTest, ANewManagerHasNoPairAndTheModesManAndCoa) {
  EXPECT_EQ(manager.FormationPairValue(), -1);
  EXPECT_EQ(manager.ControlByte(), 0x01);
  manager.SetControls(kControlCom, kControlMan);
  EXPECT_EQ(manager.ControlByte(), 0x20);
}

struct Pairing {
  int home;
  int away;
  int homeTeam;
  int awayTeam;
};

TEST_F(PrepareGameTest, EveryFormationPairingUsesItsSlots) {
  const Pairing pairings[] = {{2, 2, 0, 25}, {2, 3, 0, 14},  {2, 4, 0, 7},   {3, 2, 14, 0}, {3, 3, 14, 17},
                              {3, 4, 14, 7}, {4, 2, 7, 0},   {4, 3, 7, 14},  {4, 4, 7, 20}};
  for (const Pairing& pairing : pairings) {
    ChooseTeams(pairing.home, pairing.away);
    ASSERT_TRUE(manager.PrepareGame()) << pairing.home << pairing.away;
    EXPECT_EQ(manager.FormationPairValue(), 10 * pairing.home + pairing.away);
    EXPECT_EQ(AbbreviationOf(pairing.homeTeam), "HOME") << pairing.home << pairing.away;
    EXPECT_EQ(AbbreviationOf(pairing.awayTeam), "AWAY") << pairing.home << pairing.away;
  }
}

TEST_F(PrepareGameTest, EachGameStartsFromTheEmbeddedImage) {
  ChooseTeams(2, 2);
  ASSERT_TRUE(manager.PrepareGame());
  ChooseTeams(4, 3);
  ASSERT_TRUE(manager.PrepareGame());
  const auto image = manager.WorkingImage();
  for (int team : {0, 25}) {
    const TeamSlot& slot = team == 0 ? SlotFor(2, false) : SlotFor(2, true);
    for (size_t offset : {cartridge::kAbbreviationTexts.Of(team), slot.cityText, slot.nicknameText, slot.firstPlayerText,
                          cartridge::kAttributes.Of(team), cartridge::kPlayerPointers.Of(team) + 2, cartridge::kCityPointers.Of(team + 1)}) {
      EXPECT_EQ(image[offset], embedded[offset]) << "team " << team << " offset " << offset;
    }
  }
  EXPECT_EQ(AbbreviationOf(7), "HOME");
  EXPECT_EQ(AbbreviationOf(14), "AWAY");
}

TEST_F(PrepareGameTest, RefusesWhatCannotBePlayed) {
  ChooseTeams(2, 3);
  const std::string home = manager.HomePath();
  const std::string away = manager.AwayPath();
  auto refused = [this](const std::string& homePath, const std::string& awayPath) {
    manager.SetHomePath(homePath);
    manager.SetAwayPath(awayPath);
    return !manager.PrepareGame();
  };
  EXPECT_TRUE(refused("", away));
  EXPECT_TRUE(refused(home, ""));
  EXPECT_TRUE(refused(folder.File("missing.dat"), away));
  EXPECT_TRUE(refused(home, folder.File("missing.dat")));
  for (const char* formation : {"5", "1", "0", "x"}) {
    TestTeam odd = MakeTeam("KESSARD", "BISON", "KES", 2);
    odd.header[13] = formation;
    const std::string oddPath = testing::WriteTeamFile(folder / "ODD0.dat", odd);
    EXPECT_TRUE(refused(oddPath, away)) << formation;
    EXPECT_TRUE(refused(home, oddPath)) << formation;
  }
  TestTeam shortRoster = MakeTeam("KESSARD", "BISON", "KES", 3);
  shortRoster.players.resize(12);
  EXPECT_TRUE(refused(home, testing::WriteTeamFile(folder / "SHORT0.dat", shortRoster)));
  EXPECT_FALSE(refused(home, away));
}

TEST_F(PrepareGameTest, ProfilesAreLoadedPerSideAndHistoryCleared) {
  TestTeam homeTeam = MakeTeam("BRASKET", "RAVENS", "HOME", 2);
  homeTeam.header[22] = "80";
  TestTeam awayTeam = MakeTeam("TULVANE", "OTTERS", "AWAY", 2);
  awayTeam.header.resize(16);
  manager.SetHomePath(testing::WriteTeamFile(folder / "HOME0.dat", homeTeam));
  manager.SetAwayPath(testing::WriteTeamFile(folder / "AWAY0.dat", awayTeam));
  manager.SetControls(kControlCom, kControlMan);
  ASSERT_TRUE(manager.PrepareGame());

  testing::FakeConsoleMemory memory;
  memory.bytes[0x78] = 3;
  memory.bytes[0x79] = 5;
  manager.CallPlays(kHomeOnOffense, memory);
  EXPECT_EQ(manager.Profile(0).playTotal, 1);

  ASSERT_TRUE(manager.PrepareGame());
  EXPECT_EQ(manager.Profile(0).pass, 80);
  EXPECT_EQ(manager.Profile(0).offenseEnabled, 1);
  EXPECT_EQ(manager.Profile(0).playTotal, 0);
  EXPECT_EQ(manager.Profile(0).playCounts, (std::array<int32_t, 8>{}));
  EXPECT_EQ(manager.Profile(1).pass, 50);
  EXPECT_EQ(manager.Profile(1).offenseEnabled, 0);
}

TEST_F(PrepareGameTest, HelmetsAreShownOnlyForAPreparedGameWithAWindow) {
  ChooseTeams(3, 3);
  EXPECT_TRUE(manager.PrepareGame()) << "no window: nothing to show, still prepared";
  std::vector<std::string> shown;
  manager.SetHelmetPresenter([&shown](const std::string& home, const std::string& away) {
    shown = {home, away};
  });
  ASSERT_TRUE(manager.PrepareGame());
  EXPECT_EQ(shown, (std::vector<std::string>{folder.File("HOME0.bmp"), folder.File("AWAY0.bmp")}));
  shown.clear();
  manager.SetAwayPath("");
  EXPECT_FALSE(manager.PrepareGame());
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(HelmetPathFor("ab"), "bmp");
}

TEST(EmbeddedImageTest, WorkingImageAlwaysHasTheCartridgeSize) {
  const std::vector<uint8_t> tiny = {'N', 'E', 'S', 0x1A};
  CGameManager manager(tiny);
  ASSERT_EQ(manager.WorkingImage().size(), cartridge::kImageBytes);
  EXPECT_EQ(manager.WorkingImage()[3], 0x1A);
  EXPECT_EQ(manager.WorkingImage()[cartridge::kImageBytes - 1], 0);
}

TEST(WeatherPaletteTest, RainAndSnowDifferOnlyInTheTintedEntries) {
  ASSERT_EQ(WeatherPalette(Weather::kRain), &kRainPalette);
  ASSERT_EQ(WeatherPalette(Weather::kSnow), &kSnowPalette);
  EXPECT_EQ(WeatherPalette(Weather::kClear), nullptr);
  EXPECT_EQ(kRainPalette[0x09], (RgbColor{0x7D, 0x79, 0x00}));
  for (size_t entry = 0; entry < 64; ++entry) {
    const bool tinted = entry == 0x09 || entry == 0x0A || entry == 0x19 || entry == 0x1A;
    if (tinted) {
      EXPECT_EQ(kSnowPalette[entry], (RgbColor{0xE8, 0xE8, 0xE8})) << entry;
    } else {
      EXPECT_EQ(kSnowPalette[entry], kRainPalette[entry]) << entry;
    }
  }
}

}  // namespace
}  // namespace qgu::driver
