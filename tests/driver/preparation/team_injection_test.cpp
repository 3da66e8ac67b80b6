// One team written into one slot of the image, checked byte by byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "driver/team_injection.h"
#include "test_teams.h"

namespace qgu::driver {
namespace {

using testing::Fields;
using testing::MakeTeam;
using testing::TestTeam;
using testing::WordAt;

class TeamInjectionTest : public ::testing::Test {
 protected:
  InjectResult Inject(const TestTeam& team, const TeamSlot& slot) {
    return InjectTeam(image, testing::WriteTeamFile(folder / "team.dat", team), slot, profile);
  }
  std::string TextAt(size_t offset, size_t length) const {
    return std::string(image.begin() + static_cast<long>(offset), image.begin() + static_cast<long>(offset + length));
  }
  // Offsets where the injection wrote something differing from the original image.
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

TEST_F(TeamInjectionTest, CityAndNicknameAreWrittenAndTheNextTeamsPointersMoved) {
  ASSERT_EQ(Inject(team, slot), InjectResult::kDone);
  EXPECT_EQ(TextAt(slot.cityText, 7), "VELMORA");
  EXPECT_TRUE(Unchanged(slot.cityText + 7, 1)) << "no terminator after the city";
  EXPECT_EQ(TextAt(slot.nicknameText, 8), "SKYHAWKS");
  EXPECT_EQ(WordAt(image, cartridge::kCityPointers.Of(18)), WordAt(image, cartridge::kCityPointers.Of(17)) + 7);
  EXPECT_EQ(WordAt(image, cartridge::kNicknamePointers.Of(18)), WordAt(image, cartridge::kNicknamePointers.Of(17)) + 8);
  EXPECT_TRUE(Unchanged(cartridge::kCityPointers.Of(17), 2));
  EXPECT_TRUE(Unchanged(cartridge::kCityPointers.Of(19), 2));
}

TEST_F(TeamInjectionTest, PlayerEntriesFormAnUnbrokenPointerChain) {
  ASSERT_EQ(Inject(team, slot), InjectResult::kDone);
  size_t text = slot.firstPlayerText;
  const size_t pointers = cartridge::kPlayerPointers.Of(slot.team);
  EXPECT_EQ(WordAt(image, pointers), text + cartridge::kPlayerPointerBias) << "player 0's pointer is the cartridge's own";
  for (int p = 0; p < 30; ++p) {
    const std::string name = "fn" + std::to_string(p) + "LAST" + std::to_string(p);
    ASSERT_EQ(image[text], p + 1) << "jersey of player " << p;
    ASSERT_EQ(TextAt(text + 1, name.size()), name);
    const uint16_t next = WordAt(image, pointers + 2 * (p + 1));
    ASSERT_EQ(next, WordAt(image, pointers + 2 * p) + 1 + name.size()) << "pointer after player " << p;
    text = next - cartridge::kPlayerPointerBias;
  }
  // The entry after player 29 is the next team's first pointer; the text ends there.
  EXPECT_EQ(cartridge::kPlayerPointers.Of(slot.team + 1), pointers + 60);
  EXPECT_TRUE(Unchanged(text, 1));
  EXPECT_TRUE(Unchanged(cartridge::kPlayerPointers.Of(slot.team + 1) + 2, 2));
}

TEST_F(TeamInjectionTest, JerseyAndNameMakeOnePackedEntry) {
  team.players[0][0] = "24";
  team.players[0][1] = "joe";
  team.players[0][2] = "SMITH";
  ASSERT_EQ(Inject(team, slot), InjectResult::kDone);
  EXPECT_EQ(image[slot.firstPlayerText], 0x18);
  EXPECT_EQ(TextAt(slot.firstPlayerText + 1, 8), "joeSMITH");
  const size_t pointers = cartridge::kPlayerPointers.Of(slot.team);
  EXPECT_EQ(WordAt(image, pointers + 2), WordAt(image, pointers) + 9);
}

TEST_F(TeamInjectionTest, AbbreviationIsPaddedOrCutToFour) {
  for (const auto& [given, written] : {std::pair{"NY", "NY  "}, {"ABCDE", "ABCD"}, {"", "    "}, {"QRST", "QRST"}}) {
    team.header[2] = given;
    ASSERT_EQ(Inject(team, slot), InjectResult::kDone);
    EXPECT_EQ(TextAt(cartridge::kAbbreviationTexts.Of(slot.team), 4), written) << "from " << given;
  }
  EXPECT_TRUE(Unchanged(cartridge::kAbbreviationTexts.Of(slot.team + 1), 4));
}

TEST_F(TeamInjectionTest, ColoursCopiesAndPlaybook) {
  team.header[3] = "300";  // only the low 8 bits count
  ASSERT_EQ(Inject(team, slot), InjectResult::kDone);
  const size_t colours = cartridge::kUniformColours.Of(slot.team);
  const std::vector<uint8_t> uniform(image.begin() + static_cast<long>(colours),
                                     image.begin() + static_cast<long>(colours + 6));
  EXPECT_EQ(uniform, (std::vector<uint8_t>{300 & 0xFF, 22, 17, 48, 6, 21}));
  EXPECT_TRUE(Unchanged(colours + 6, 4)) << "bytes 6-9 are not the injection's";
  const size_t copy = cartridge::kColourCopies.Of(slot.team);
  // Fields 3, 5, 6 and 8, in that order.
  EXPECT_EQ(std::vector<uint8_t>(image.begin() + static_cast<long>(copy), image.begin() + static_cast<long>(copy + 4)),
            (std::vector<uint8_t>{300 & 0xFF, 17, 48, 21}));
  EXPECT_TRUE(Unchanged(copy + 4, 4));
  const size_t playbook = cartridge::kPlaybooks.Of(slot.team);
  EXPECT_EQ(std::vector<uint8_t>(image.begin() + static_cast<long>(playbook),
                                 image.begin() + static_cast<long>(playbook + 4)),
            (std::vector<uint8_t>{18, 52, 103, 118}));
}

// Attribute bytes of player p as the injection lays them out: QBs 5, backs 4,
// linemen 3, defence 4, kicker and punter 4.
TEST_F(TeamInjectionTest, AttributesFollowTheRosterGroups) {
  auto set = [this](int player, std::initializer_list<std::pair<int, int>> fields) {
    Fields& line = team.players[static_cast<size_t>(player)];
    for (auto [field, value] : fields) line[static_cast<size_t>(field)] = std::to_string(value);
  };
  set(0, {{3, 1}, {4, 2}, {5, 3}, {6, 4}, {7, 128}, {8, 5}, {9, 6}, {10, 12}, {17, 5}});
  set(2, {{3, 7}, {4, 8}, {5, 9}, {6, 10}, {7, 0}, {11, 11}, {12, 13}});
  set(12, {{3, 14}, {4, 15}, {5, 1}, {6, 1}, {7, 128}});
  set(17, {{3, 2}, {4, 2}, {5, 3}, {6, 3}, {7, 0}, {13, 9}, {14, 4}});
  set(28, {{3, 0}, {4, 1}, {5, 0}, {6, 1}, {7, 0}, {15, 15}, {16, 14}});
  set(29, {{3, 1}, {4, 0}, {5, 1}, {6, 0}, {7, 128}, {15, 3}, {16, 12}});
  ASSERT_EQ(Inject(team, slot), InjectResult::kDone);
  const size_t base = cartridge::kAttributes.Of(slot.team);
  auto bytes = [&](size_t at, size_t count) {
    return std::vector<uint8_t>(image.begin() + static_cast<long>(base + at),
                                image.begin() + static_cast<long>(base + at + count));
  };
  EXPECT_EQ(bytes(0, 5), (std::vector<uint8_t>{0x12, 0x34, 0x80, 0x56, 0xC5}));
  EXPECT_EQ(bytes(10, 4), (std::vector<uint8_t>{0x78, 0x9A, 0x00, 0xBD}));         // player 2
  EXPECT_EQ(bytes(10 + 40, 3), (std::vector<uint8_t>{0xEF, 0x11, 0x80}));          // player 12
  EXPECT_EQ(bytes(50 + 15, 4), (std::vector<uint8_t>{0x22, 0x33, 0x00, 0x94}));    // player 17
  EXPECT_EQ(bytes(65 + 44, 4), (std::vector<uint8_t>{0x01, 0x01, 0x00, 0xFE}));    // kicker
  EXPECT_EQ(bytes(113, 4), (std::vector<uint8_t>{0x10, 0x10, 0x80, 0x3C}));        // punter
  EXPECT_TRUE(Unchanged(cartridge::kAttributes.Of(slot.team + 1), 1)) << "117 bytes, not one more";
}

TEST_F(TeamInjectionTest, RatingOutOfRangeStaysInItsOwnNibble) {
  team.players[0][3] = "1";
  team.players[0][4] = "20";
  team.players[0][5] = "-3";
  team.players[0][6] = "abc";
  ASSERT_EQ(Inject(team, slot), InjectResult::kDone);
  const size_t base = cartridge::kAttributes.Of(slot.team);
  EXPECT_EQ(image[base], 0x1F);
  EXPECT_EQ(image[base + 1], 0x00);
}

TEST_F(TeamInjectionTest, PlayerLineWithOnlyNamesGetsZeroRatings) {
  team.players[12] = {"0", "al", "BO"};
  team.players[13] = {};
  ASSERT_EQ(Inject(team, slot), InjectResult::kDone);
  const size_t lineman = cartridge::kAttributes.Of(slot.team) + 50;
  const auto first = image.begin() + static_cast<long>(lineman);
  EXPECT_EQ(std::vector<uint8_t>(first, first + 6), std::vector<uint8_t>(6, 0));
  const size_t pointers = cartridge::kPlayerPointers.Of(slot.team);
  EXPECT_EQ(WordAt(image, pointers + 2 * 13), WordAt(image, pointers + 2 * 12) + 5);
  EXPECT_EQ(WordAt(image, pointers + 2 * 14), WordAt(image, pointers + 2 * 13) + 1) << "an empty entry is its jersey";
}

TEST_F(TeamInjectionTest, ProfileComesFromHeaderFields16To23) {
  ASSERT_EQ(Inject(team, slot), InjectResult::kDone);
  EXPECT_EQ(profile.adaptive, 10);
  EXPECT_EQ(profile.jailbreak, 20);
  EXPECT_EQ(profile.jailbreakPass, 70);
  EXPECT_EQ(profile.jailbreakRun, 60);
  EXPECT_EQ(profile.plainDefence, 70);
  EXPECT_EQ(profile.offenseEnabled, 1);
  EXPECT_EQ(profile.pass, 55);
  EXPECT_EQ(profile.run, 45);
}

TEST_F(TeamInjectionTest, ShortHeaderKeepsCartridgeDataAndProfileDefaults) {
  team.header.resize(16);  // as the cartridge import writes it
  ASSERT_EQ(Inject(team, slot), InjectResult::kDone);
  const PlayCallingProfile defaults;
  EXPECT_EQ(profile.adaptive, defaults.adaptive);
  EXPECT_EQ(profile.jailbreakPass, 0);
  EXPECT_EQ(profile.plainDefence, 100);
  EXPECT_EQ(profile.offenseEnabled, 0);
  EXPECT_EQ(profile.pass, 50);
  EXPECT_EQ(profile.run, 50);

  image = original;
  team.header.resize(2);
  ASSERT_EQ(Inject(team, slot), InjectResult::kDone);
  EXPECT_EQ(TextAt(slot.nicknameText, 8), "SKYHAWKS");
  EXPECT_TRUE(Unchanged(cartridge::kAbbreviationTexts.Of(slot.team), 4));
  EXPECT_TRUE(Unchanged(cartridge::kUniformColours.Of(slot.team), 10));
  EXPECT_TRUE(Unchanged(cartridge::kPlaybooks.Of(slot.team), 4));
}

TEST_F(TeamInjectionTest, OverlongTextsAreCut) {
  team.header[0] = std::string(300, 'C');
  team.header[1] = std::string(64, 'N');
  team.players[0][1] = "abcdefghijklmnopqrst";
  team.players[0][2] = "ABCDEFGHIJKLMNOPQRST";
  ASSERT_EQ(Inject(team, slot), InjectResult::kDone);
  EXPECT_EQ(TextAt(slot.cityText, 63), std::string(63, 'C'));
  EXPECT_EQ(WordAt(image, cartridge::kCityPointers.Of(18)), WordAt(image, cartridge::kCityPointers.Of(17)) + 63);
  EXPECT_EQ(WordAt(image, cartridge::kNicknamePointers.Of(18)), WordAt(image, cartridge::kNicknamePointers.Of(17)) + 63);
  EXPECT_EQ(TextAt(slot.firstPlayerText + 1, 30), "abcdefghijklmnoABCDEFGHIJKLMNO");
  const size_t pointers = cartridge::kPlayerPointers.Of(slot.team);
  EXPECT_EQ(WordAt(image, pointers + 2), WordAt(image, pointers) + 31);
}

TEST_F(TeamInjectionTest, OverlongLinesStayInTheImageAndKeepTheRosterAligned) {
  team.header[0] = std::string(5000, 'X');  // the line is cut before its first separator
  // The last name's separator stays inside the first 1023 characters; ratings after it are cut off.
  for (Fields& player : team.players) player[2] = std::string(1000, 'Z');
  ASSERT_EQ(Inject(team, slot), InjectResult::kDone);
  EXPECT_EQ(image.size(), cartridge::kImageBytes);
  EXPECT_TRUE(Unchanged(slot.cityText, 64)) << "no complete field on the cut team line";
  EXPECT_TRUE(Unchanged(cartridge::kAbbreviationTexts.Of(slot.team), 4));
  // Every player line still counts as one player; his last name is cut to 15.
  size_t entries = 0;
  for (const Fields& player : team.players) entries += 1 + player[1].size() + 15;
  const size_t pointers = cartridge::kPlayerPointers.Of(slot.team);
  EXPECT_EQ(WordAt(image, pointers + 60), WordAt(image, pointers) + entries);
}

TEST_F(TeamInjectionTest, ShortRosterIsRefusedWithoutTouchingTheImage) {
  team.players.resize(29);
  const PlayCallingProfile before = profile;
  EXPECT_EQ(Inject(team, slot), InjectResult::kShortRoster);
  EXPECT_EQ(image, original);
  EXPECT_EQ(profile.pass, before.pass);
}

TEST_F(TeamInjectionTest, MissingFileCannotBeOpened) {
  EXPECT_EQ(InjectTeam(image, folder.File("absent.dat"), slot, profile), InjectResult::kCannotOpen);
  EXPECT_EQ(image, original);
}

TEST(ReadFormationTest, HeaderField13OrTwo) {
  testing::TempFolder folder;
  TestTeam team = MakeTeam("ORLEST", "COMETS", "ORL", 4);
  testing::WriteTeamFile(folder.File("four.dat"), team);
  EXPECT_EQ(ReadFormation(folder.File("four.dat")), 4);
  team.header[13] = "9";
  testing::WriteTeamFile(folder.File("nine.dat"), team);
  EXPECT_EQ(ReadFormation(folder.File("nine.dat")), 9);
  team.header.resize(13);
  testing::WriteTeamFile(folder.File("short.dat"), team);
  EXPECT_EQ(ReadFormation(folder.File("short.dat")), 2);
  EXPECT_EQ(ReadFormation(folder.File("absent.dat")), 2);
}

}  // namespace
}  // namespace qgu::driver
