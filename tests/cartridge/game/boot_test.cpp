// The boot as the league program's game driver runs it: every marker shows
// up, a one-frame press moves on, the cursor placements pick the right two
// teams for all nine formation pairs, and the control byte written after the
// second pick is the one the game plays with.

#include <gtest/gtest.h>

#include <string>

#include "core/controller_ports.h"
#include "core/machine.h"
#include "league/cartridge_layout.h"
#include "tests/cartridge/game/cartridge_session.h"

namespace qgu::cartridge::testing {
namespace {

std::string AbbreviationOf(const std::vector<uint8_t>& image, int team) {
  const size_t pointer = kAbbreviationPointers.Of(team);
  const size_t text = static_cast<size_t>(image[pointer] | (image[pointer + 1] << 8)) + kTextPointerBias;
  return std::string(image.begin() + static_cast<long>(text),
                     image.begin() + static_cast<long>(text + kAbbreviationLength));
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
  EXPECT_EQ(session.Peek(cartmem::kHomePlay), cartmem::kNoPlayChosen);
  EXPECT_EQ(session.Peek(cartmem::kAwayPlay), cartmem::kNoPlayChosen);
  // One side chooses its offence, the other its defence.
  const int states = session.Peek(cartmem::kHomeState) << 8 | session.Peek(cartmem::kAwayState);
  const int homeOffence = cartmem::kStateOffenseChoosing << 8 | cartmem::kStateDefenseChoosing;
  const int awayOffence = cartmem::kStateDefenseChoosing << 8 | cartmem::kStateOffenseChoosing;
  EXPECT_TRUE(states == homeOffence || states == awayOffence) << std::hex << states;
}

INSTANTIATE_TEST_SUITE_P(AllFormationPairs, BootTest, ::testing::Values(22, 23, 24, 32, 33, 34, 42, 43, 44));

// Runs until `marker` reads `ready`, for at most ten seconds.
bool Shows(CartridgeSession& session, uint16_t marker, uint8_t ready) {
  return session.RunUntil([&] { return session.Peek(marker) == ready; }, 600);
}

// Holds a direction for one frame, then lets two frames pass.
void Tap(CartridgeSession& session, int hostButton) {
  session.Hold(0, static_cast<uint16_t>(1 << hostButton));
  session.RunFrames(1);
  session.Hold(0, 0);
  session.RunFrames(2);
}

// Markers are set only while their screen takes A, and a single-frame press is enough.
TEST(BootMarkers, EachScreenSetsItsMarkerOnlyWhileItTakesA) {
  using namespace cartmem;
  CartridgeSession session(LoadCartridgeImage());
  session.RunFrames(2);
  EXPECT_EQ(session.Peek(kTitleMarker), 0x00);
  ASSERT_TRUE(Shows(session, kTitleMarker, kTitleReady));
  EXPECT_EQ(session.Peek(kSecondTitleMarkerA), 0x00);
  session.PressA();
  ASSERT_TRUE(Shows(session, kSecondTitleMarkerA, kSecondTitleReadyA));
  EXPECT_EQ(session.Peek(kTitleMarker), 0x00);
  session.PressA();
  ASSERT_TRUE(Shows(session, kMainMenuMarker, kMainMenuReady));
  // Moving the menu pointer off "SINGLE GAME" takes the marker away, moving back restores it.
  Tap(session, core::kHostDown);
  EXPECT_EQ(session.Peek(kMainMenuMarker), 0x00);
  Tap(session, core::kHostUp);
  EXPECT_EQ(session.Peek(kMainMenuMarker), kMainMenuReady);
  session.PressA();
  ASSERT_TRUE(Shows(session, kControlScreenMarker, kControlScreenReady));
  EXPECT_EQ(session.Peek(kMainMenuMarker), 0x00);
  session.PressA();
  ASSERT_TRUE(Shows(session, kTeamSelectMarker, kTeamSelectReady));
  EXPECT_EQ(session.Peek(kCursorX), 0);
  EXPECT_EQ(session.Peek(kCursorY), 0);
  // The control-mode screen's own choice (home MAN, away COM) until the driver writes its byte.
  EXPECT_EQ(session.Peek(kControlByte), 0x02);

  // The empty cells of the grid cannot be picked, and the cursor stays where
  // it was put after the first pick.
  session.Poke(kCursorX, 8);
  session.Poke(kCursorY, 2);
  session.PressA();
  session.RunFrames(10);
  EXPECT_EQ(session.Peek(kTeamSelectMarker), kTeamSelectReady) << "an empty cell was taken";
  session.Poke(kCursorX, 5);
  session.Poke(kCursorY, 0);
  session.PressA();
  session.RunFrames(30);
  EXPECT_EQ(session.Peek(kCursorX), 5);
  EXPECT_EQ(session.Peek(kCursorY), 0);
  EXPECT_EQ(session.Peek(kTeamSelectMarker), kTeamSelectReady) << "one pick must not leave team select";
}

}  // namespace
}  // namespace qgu::cartridge::testing
