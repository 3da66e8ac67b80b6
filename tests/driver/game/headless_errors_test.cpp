// What a headless game says when it cannot be played: unfit team files, an
// image the machine refuses, and a game that runs out of frames.

#include <gtest/gtest.h>

#include <memory>

#include "driver/game_manager.h"
#include "driver/game_setup.h"
#include "driver/headless_game.h"
#include "tests/driver/preparation/test_teams.h"

namespace qgu::driver {
namespace {

class HeadlessErrorsTest : public ::testing::Test {
 protected:
  // Two pro-set teams prepared into a synthetic image with the given mapper nibble.
  HeadlessGameResult Play(uint8_t flags6, int64_t budget) {
    std::vector<uint8_t> image = testing::MakeSyntheticImage();
    image[6] = flags6;
    CGameManager manager(image, std::make_unique<CSeededRandom>(1));
    manager.SetHomePath(testing::WriteTeamFile(folder / "a.dat", testing::MakeTeam("PELLMARSH", "GRIFFINS", "PEL", 2)));
    manager.SetAwayPath(testing::WriteTeamFile(folder / "b.dat", testing::MakeTeam("OSTRAVEN", "LANTERNS", "OST", 2)));
    EXPECT_TRUE(manager.PrepareGame());
    HeadlessGameOptions options;
    options.frameBudget = budget;
    return PlayHeadlessGame(manager, options);
  }
  testing::TempFolder folder;
};

TEST_F(HeadlessErrorsTest, AnImageTheMachineRefusesIsReported) {
  const HeadlessGameResult result = Play(0x70, 100);  // mapper 7
  EXPECT_EQ(result.outcome, HeadlessOutcome::kImageRefused);
  EXPECT_NE(result.error.find("does not load"), std::string::npos) << result.error;
}

TEST_F(HeadlessErrorsTest, AGameOutOfFramesSaysWhereItStopped) {
  // A program of filler never shows its title screen.
  const HeadlessGameResult result = Play(0x42, 600);
  EXPECT_EQ(result.outcome, HeadlessOutcome::kOutOfFrames);
  EXPECT_EQ(result.frames, 600);
  EXPECT_FALSE(result.summary);
  EXPECT_NE(result.error.find("within 600 frames (stuck waiting for the title screen)"), std::string::npos)
      << result.error;
}

TEST(TeamFileProblem, NamesWhatIsWrong) {
  testing::TempFolder folder;
  const std::string good = testing::WriteTeamFile(folder / "good.dat", testing::MakeTeam("PELLMARSH", "GRIFFINS", "PEL", 4));
  EXPECT_FALSE(TeamFileProblem(good));
  EXPECT_NE(TeamFileProblem(folder.File("none.dat")).value_or("").find("cannot read"), std::string::npos);

  const testing::TestTeam fivePlay = testing::MakeTeam("OSTRAVEN", "LANTERNS", "OST", 5);
  EXPECT_NE(TeamFileProblem(testing::WriteTeamFile(folder / "five.dat", fivePlay)).value_or("").find("formation 5"),
            std::string::npos);

  testing::TestTeam shortRoster = testing::MakeTeam("OSTRAVEN", "LANTERNS", "OST", 2);
  shortRoster.players.resize(12);
  EXPECT_NE(TeamFileProblem(testing::WriteTeamFile(folder / "short.dat", shortRoster)).value_or("").find("12 player lines"),
            std::string::npos);
}

}  // namespace
}  // namespace qgu::driver
