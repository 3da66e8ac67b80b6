// The boot as the league program's game driver runs it: every marker shows
// up, a one-frame press moves on, the cursor placements pick the right two
// teams for all nine formation pairs, and the control byte written after the
// second pick is the one the game plays with.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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

// Every one of the 64 play names fits the play list's box: each team's eight
// slots all set to one choice, eight games, and on each list row the name
// ends before the away pointer's column and the box's right border is whole.
TEST(PlayList, EveryPlayNameFitsItsBox) {
  constexpr int kListRows[] = {9, 10, 11, 12, 14, 15, 16, 17};
  constexpr int kNameColumn = 5;
  constexpr int kPointerColumn = 30;
  constexpr int kBorderColumn = 31;
  constexpr uint8_t kFrameLeft = 0x07;
  constexpr uint8_t kFrameRight = 0x08;
  constexpr uint8_t kPaper = 0x01;  // the box's empty inside
  size_t longest = 0;
  for (int choice = 0; choice < 8; ++choice) {
    std::vector<uint8_t> image = LoadCartridgeImage();
    for (int team = 0; team < kTeamCount; ++team) {
      for (size_t b = 0; b < 4; ++b) image[kPlaybooks.Of(team) + b] = static_cast<uint8_t>(choice << 4 | choice);
    }
    CartridgeSession session(image);
    const auto boot = session.Boot(22, 0x22);
    ASSERT_TRUE(boot.ok) << "stuck in stage " << boot.failedStage;
    const uint8_t* table = session.Machine().Memory().nameTableRam;
    for (int row : kListRows) {
      const std::string name = ScreenText(session, kNameColumn, row, kPointerColumn - kNameColumn);
      const size_t end = name.find_last_not_of(std::string(" \x01"));
      ASSERT_NE(end, std::string::npos) << "row " << row << " shows no name";
      longest = std::max(longest, end + 1);
      EXPECT_EQ(table[row * 32 + kPointerColumn], kPaper) << "choice " << choice << ": \"" << name << "\" runs on";
      EXPECT_EQ(table[row * 32 + kBorderColumn], kFrameRight) << "choice " << choice << ", row " << row;
      EXPECT_EQ(table[row * 32 + 1], kFrameLeft);
    }
  }
  EXPECT_EQ(longest, std::string("Run and Shoot Sweep Right").size()) << "the longest name is shown whole";
}

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
