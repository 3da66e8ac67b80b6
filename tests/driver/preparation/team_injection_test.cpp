// One team written into one slot of the image: the entries, texts and bytes
// with edge values, cuts and refusals. Whole slots in every formation pairing
// are checked byte for byte by the cartridge round-trip test.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "driver/team_injection.h"
#include "league/team_record_file.h"
#include "test_teams.h"

namespace qgu::driver {
namespace {

using testing::Fields;
using testing::MakeTeam;
using testing::TestTeam;
using testing::WordAt;

class TeamInjectionTest : public ::testing::Test {
 protected:
  // Through the file and the league's reader, as a game is prepared.
  bool Inject(const TestTeam& team, const TeamSlot& slot) {
    const league::Result<league::TeamRecord> record =
        league::ReadTeamRecordFile(testing::WriteTeamFile(folder / "team.dat", team));
    if (!record) ADD_FAILURE() << record.error();
    if (record) InjectTeam(image, record.value(), slot, profile);
    return record.ok();
  }
  std::string TextAt(size_t offset, size_t length) const {
    return std::string(image.begin() + static_cast<long>(offset), image.begin() + static_cast<long>(offset + length));
  }
  // True when these bytes are still those of the original image.
  bool Unchanged(size_t offset, size_t length) const {
    return std::equal(image.begin() + static_cast<long>(offset), image.begin() + static_cast<long>(offset + length),
                      original.begin() + static_cast<long>(offset));
  }

  testing::TempFolder folder;
  std::vector<uint8_t> original = testing::MakeSyntheticImage();
  std::vector<uint8_t> image = original;
  PlayCallingProfile profile;
  TestTeam team = MakeTeam("VELMORA", "SKYHAWKS", "VLM", 3);
  const TeamSlot& slot = SlotFor(3, true);  // team 17
};

TEST_F(TeamInjectionTest, EntriesAndTextsAreWrittenAndOverlongTextsCut) {
  team.players[0][0] = "24";
  team.players[0][1] = "joe";
  team.players[0][2] = "SMITH";
  team.players[1][1] = "abcdefghijklmnopqrst";
  team.players[1][2] = "ABCDEFGHIJKLMNOPQRST";
  team.header[0] = std::string(40, 'C');  // longer than the 16 the editors allow
  team.header[1] = std::string(63, 'N');
  ASSERT_TRUE(Inject(team, slot));
  // Jersey and name make one packed entry.
  EXPECT_EQ(image[slot.firstPlayerText], 0x18);
  EXPECT_EQ(TextAt(slot.firstPlayerText + 1, 8), "joeSMITH");
  const size_t pointers = cartridge::kPlayerPointers.Of(slot.team);
  EXPECT_EQ(WordAt(image, pointers + 2), WordAt(image, pointers) + 9);
  EXPECT_EQ(TextAt(slot.firstPlayerText + 10, 30), "abcdefghijklmnoABCDEFGHIJKLMNO");
  EXPECT_EQ(WordAt(image, pointers + 4), WordAt(image, pointers + 2) + 31);
  // Names are cut to 16 letters, so no slot's text runs into another team's.
  EXPECT_EQ(TextAt(slot.cityText, 16), std::string(16, 'C'));
  EXPECT_TRUE(Unchanged(slot.cityText + 16, 1));
  EXPECT_EQ(WordAt(image, cartridge::kCityPointers.Of(18)), WordAt(image, cartridge::kCityPointers.Of(17)) + 16);
  EXPECT_EQ(WordAt(image, cartridge::kNicknamePointers.Of(18)), WordAt(image, cartridge::kNicknamePointers.Of(17)) + 16);
}

TEST_F(TeamInjectionTest, AbbreviationIsPaddedOrCutToFour) {
  for (const auto& [given, written] : {std::pair{"NY", "NY  "}, {"ABCDE", "ABCD"}, {"", "    "}, {"QRST", "QRST"}}) {
    team.header[2] = given;
    ASSERT_TRUE(Inject(team, slot));
    EXPECT_EQ(TextAt(cartridge::kAbbreviationTexts.Of(slot.team), 4), written) << "from " << given;
  }
  EXPECT_TRUE(Unchanged(cartridge::kAbbreviationTexts.Of(slot.team + 1), 4));
}

TEST_F(TeamInjectionTest, NumbersKeepTheirLowBitsAndRatingsTheirOwnNibble) {
  team.header[3] = "300";
  // The quarterback's attributes end with accuracy and avoid-pass-block.
  for (const auto& [field, value] : {std::pair{3, "1"}, {4, "2"}, {5, "3"}, {6, "4"}, {7, "128"}, {8, "5"}, {9, "6"},
                                     {10, "12"}, {17, "5"}}) {
    team.players[0][static_cast<size_t>(field)] = value;
  }
  team.players[1][3] = "1";  // out of range and not numbers
  team.players[1][4] = "20";
  team.players[1][5] = "-3";
  team.players[1][6] = "abc";
  ASSERT_TRUE(Inject(team, slot));
  EXPECT_EQ(image[cartridge::kUniformColours.Of(slot.team)], 300 & 0xFF);
  EXPECT_EQ(image[cartridge::kColourCopies.Of(slot.team)], 300 & 0xFF);
  const auto first = image.begin() + static_cast<long>(cartridge::kAttributes.Of(slot.team));
  EXPECT_EQ(std::vector<uint8_t>(first, first + 7), (std::vector<uint8_t>{0x12, 0x34, 0x80, 0x56, 0xC5, 0x1F, 0x00}));
}

TEST_F(TeamInjectionTest, PlayerLineWithOnlyNamesGetsZeroRatings) {
  team.players[12] = {"0", "al", "BO"};
  team.players[12].resize(league::kPlayerFieldCount);  // empty numbers read as 0
  team.players[13] = Fields(league::kPlayerFieldCount);
  ASSERT_TRUE(Inject(team, slot));
  const size_t lineman = cartridge::kAttributes.Of(slot.team) + 50;
  const auto first = image.begin() + static_cast<long>(lineman);
  EXPECT_EQ(std::vector<uint8_t>(first, first + 6), std::vector<uint8_t>(6, 0));
  const size_t pointers = cartridge::kPlayerPointers.Of(slot.team);
  EXPECT_EQ(WordAt(image, pointers + 2 * 13), WordAt(image, pointers + 2 * 12) + 5);
  EXPECT_EQ(WordAt(image, pointers + 2 * 14), WordAt(image, pointers + 2 * 13) + 1) << "an empty entry is its jersey";
}

TEST_F(TeamInjectionTest, ProfileComesFromHeaderFields16To23AndShortHeadersKeepDefaults) {
  ASSERT_TRUE(Inject(team, slot));
  EXPECT_EQ(profile.adaptive, 10);
  EXPECT_EQ(profile.jailbreak, 20);
  EXPECT_EQ(profile.jailbreakPass, 70);
  EXPECT_EQ(profile.jailbreakRun, 60);
  EXPECT_EQ(profile.plainDefence, 70);
  EXPECT_EQ(profile.offenseEnabled, 1);
  EXPECT_EQ(profile.pass, 55);
  EXPECT_EQ(profile.run, 45);

  profile = {};
  team.header.resize(16);  // as the cartridge import writes it
  ASSERT_TRUE(Inject(team, slot));
  const PlayCallingProfile defaults;
  EXPECT_EQ(profile.adaptive, defaults.adaptive);
  EXPECT_EQ(profile.jailbreakPass, 0);
  EXPECT_EQ(profile.plainDefence, 100);
  EXPECT_EQ(profile.offenseEnabled, 0);
  EXPECT_EQ(profile.pass, 50);
  EXPECT_EQ(profile.run, 50);

  image = original;
  team.header.resize(3);
  ASSERT_TRUE(Inject(team, slot));
  EXPECT_EQ(TextAt(slot.nicknameText, 8), "SKYHAWKS");
  EXPECT_EQ(TextAt(cartridge::kAbbreviationTexts.Of(slot.team), 4), "VLM ");
  EXPECT_TRUE(Unchanged(cartridge::kUniformColours.Of(slot.team), 10));
  EXPECT_TRUE(Unchanged(cartridge::kPlaybooks.Of(slot.team), 4));
}

}  // namespace
}  // namespace qgu::driver
