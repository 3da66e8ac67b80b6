// The boot as the league program's game driver runs it: every marker shows
// up, a one-frame press moves on, the cursor placements pick the right two
// teams for all nine formation pairs, and the control byte written after the
// second pick is the one the game plays with.

#include <gtest/gtest.h>

#include <string>

#include "core/controller_ports.h"
#include "core/machine.h"
#include "tests/cartridge/game/cartridge_session.h"

namespace qgu::cartridge::testing {
namespace {

std::string AbbreviationOf(const std::vector<uint8_t>& image, int team) {
  const size_t pointer = 0x1FC10 + 2 * static_cast<size_t>(team);
  const size_t text = static_cast<size_t>(image[pointer] | (image[pointer + 1] << 8)) + 0x14010;
  return std::string(image.begin() + static_cast<long>(text), image.begin() + static_cast<long>(text) + 4);
}

// Text of name-table row `row` of the first name table, columns [x, x + n).
std::string ScreenText(CartridgeSession& session, int x, int row, int n) {
  const uint8_t* table = session.Machine().Memory().nameTableRam;
  std::string text;
  for (int i = 0; i < n; ++i) text += static_cast<char>(table[row * 32 + x + i]);
  return text;
}

int FirstSlot(int formation) { return formation == 2 ? 0 : (formation == 3 ? 14 : 7); }
int SecondSlot(int formation) { return formation == 2 ? 25 : (formation == 3 ? 17 : 20); }

class BootTest : public ::testing::TestWithParam<int> {};

TEST_P(BootTest, DriverScriptPicksTheSlotsOfTheFormationPair) {
  const int pair = GetParam();
  const int homeFormation = pair / 10;
  const int awayFormation = pair % 10;
  const int home = FirstSlot(homeFormation);
  const int away = homeFormation == awayFormation ? SecondSlot(awayFormation) : FirstSlot(awayFormation);
  const auto image = LoadCartridgeImage();

  CartridgeSession session(image);
  // Home calls plays itself (COA), away is the cartridge's computer player.
  const auto boot = session.Boot(pair, 0x12);
  ASSERT_TRUE(boot.ok) << "stuck in stage " << boot.failedStage;
  ASSERT_EQ(boot.stageFrames.size(), 6u);

  // The first play selection: the score bar names the two teams, the panel the control modes.
  EXPECT_EQ(ScreenText(session, 1, 1, 4), AbbreviationOf(image, home));
  EXPECT_EQ(ScreenText(session, 11, 1, 4), AbbreviationOf(image, away));
  EXPECT_NE(ScreenText(session, 3, 22, 27).find("COA"), std::string::npos) << ScreenText(session, 3, 22, 27);
  EXPECT_NE(ScreenText(session, 3, 24, 27).find("COM"), std::string::npos) << ScreenText(session, 3, 24, 27);
  EXPECT_EQ(session.Peek(address::kHomePlay), 0x80);
  EXPECT_EQ(session.Peek(address::kAwayPlay), 0x80);
  // One side chooses its offence, the other its defence.
  const int states = session.Peek(address::kHomeState) << 8 | session.Peek(address::kAwayState);
  EXPECT_TRUE(states == 0x8016 || states == 0x1680) << std::hex << states;
}

INSTANTIATE_TEST_SUITE_P(AllFormationPairs, BootTest, ::testing::Values(22, 23, 24, 32, 33, 34, 42, 43, 44));

// Markers are set only while their screen takes A, and a single-frame press is enough.
TEST(BootMarkers, EachScreenSetsItsMarkerOnlyWhileItTakesA) {
  CartridgeSession session(LoadCartridgeImage());
  session.RunFrames(2);
  EXPECT_EQ(session.Peek(address::kTitleMarker), 0x00);
  ASSERT_TRUE(session.RunUntil([&] { return session.Peek(address::kTitleMarker) == 0x16; }, 600));
  EXPECT_EQ(session.Peek(address::kTitle2MarkerA), 0x00);
  session.PressA();
  ASSERT_TRUE(session.RunUntil([&] { return session.Peek(address::kTitle2MarkerA) == 0x31; }, 600));
  EXPECT_EQ(session.Peek(address::kTitleMarker), 0x00);
  session.PressA();
  ASSERT_TRUE(session.RunUntil([&] { return session.Peek(address::kMenuMarker) == 0x50; }, 600));
  // Moving the menu pointer off "SINGLE GAME" takes the marker away, moving back restores it.
  session.Hold(0, 1 << core::kHostDown);
  session.RunFrames(1);
  session.Hold(0, 0);
  session.RunFrames(2);
  EXPECT_EQ(session.Peek(address::kMenuMarker), 0x00);
  session.Hold(0, 1 << core::kHostUp);
  session.RunFrames(1);
  session.Hold(0, 0);
  session.RunFrames(2);
  EXPECT_EQ(session.Peek(address::kMenuMarker), 0x50);
  session.PressA();
  ASSERT_TRUE(session.RunUntil([&] { return session.Peek(address::kControlMarker) == 0x27; }, 600));
  EXPECT_EQ(session.Peek(address::kMenuMarker), 0x00);
  session.PressA();
  ASSERT_TRUE(session.RunUntil([&] { return session.Peek(address::kTeamsMarker) == 0x14; }, 600));
  EXPECT_EQ(session.Peek(address::kCursorX), 0);
  EXPECT_EQ(session.Peek(address::kCursorY), 0);
  // The control-mode screen's own choice (home MAN, away COM) until the driver writes its byte.
  EXPECT_EQ(session.Peek(address::kControlByte), 0x02);
}

// The empty cells of the grid cannot be picked, and the cursor stays where
// it was put after the first pick.
TEST(BootTeamSelect, EmptyCellsAreRefusedAndTheCursorStays) {
  CartridgeSession session(LoadCartridgeImage());
  ASSERT_TRUE(session.RunUntil([&] { return session.Peek(address::kTitleMarker) == 0x16; }, 600));
  session.PressA();
  ASSERT_TRUE(session.RunUntil([&] { return session.Peek(address::kTitle2MarkerA) == 0x31; }, 600));
  session.PressA();
  ASSERT_TRUE(session.RunUntil([&] { return session.Peek(address::kMenuMarker) == 0x50; }, 600));
  session.PressA();
  ASSERT_TRUE(session.RunUntil([&] { return session.Peek(address::kControlMarker) == 0x27; }, 600));
  session.PressA();
  ASSERT_TRUE(session.RunUntil([&] { return session.Peek(address::kTeamsMarker) == 0x14; }, 600));
  session.Poke(address::kCursorX, 8);
  session.Poke(address::kCursorY, 2);
  session.PressA();
  session.RunFrames(10);
  EXPECT_EQ(session.Peek(address::kTeamsMarker), 0x14) << "an empty cell was taken";
  session.Poke(address::kCursorX, 5);
  session.Poke(address::kCursorY, 0);
  session.PressA();
  session.RunFrames(30);
  EXPECT_EQ(session.Peek(address::kCursorX), 5);
  EXPECT_EQ(session.Peek(address::kCursorY), 0);
  EXPECT_EQ(session.Peek(address::kTeamsMarker), 0x14) << "one pick must not leave team select";
}

}  // namespace
}  // namespace qgu::cartridge::testing
