// What a game says when it cannot be played: unfit team files, an image the
// machine refuses, and a headless game that runs out of frames.

#include <gtest/gtest.h>

#include <memory>

#include "driver/game_manager.h"
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

// The game path reads each team file once, through the league's reader: what
// is not a whole team record is refused with a message naming the file and,
// where it applies, the line; nothing is cut or guessed.
TEST(PrepareGameErrors, NameTheFileAndWhatIsWrong) {
  testing::TempFolder folder;
  const std::string good = testing::WriteTeamFile(folder / "good.dat", testing::MakeTeam("PELLMARSH", "GRIFFINS", "PEL", 4));
  testing::TestTeam shortRoster = testing::MakeTeam("OSTRAVEN", "LANTERNS", "OST", 2);
  shortRoster.players.resize(12);
  testing::TestTeam splitName = testing::MakeTeam("OSTRAVEN", "LANTERNS", "OST", 2);
  splitName.players[4][1] = "jo\nhn";  // a line feed inside a field
  qgu::testing::WriteBytes(folder / "garbage.dat", std::string(31 * 20, 'g') + "\n");
  std::filesystem::create_directory(folder / "folder.dat");

  const std::pair<std::string, std::string> cases[] = {
      {folder.File("none.dat"), folder.File("none.dat") + ": No such file or directory"},
      {folder.File("folder.dat"), folder.File("folder.dat") + " is a folder, not a file"},
      {testing::WriteTeamFile(folder / "five.dat", testing::MakeTeam("OSTRAVEN", "LANTERNS", "OST", 5)),
       "formation 5; a team plays 2 (PRO SET), 3 (SINGLE BACK SET) or 4 (4 WR SET)"},
      {testing::WriteTeamFile(folder / "short.dat", shortRoster),
       folder.File("short.dat") + ": only 12 of the 30 player lines are present"},
      {testing::WriteTeamFile(folder / "split.dat", splitName),
       folder.File("split.dat") + ": line 6: not a player line: it holds 1 of the 18 fields"},
      {folder.File("garbage.dat"), folder.File("garbage.dat") +
                                       ": line 1: not a team line: it holds 0 fields, not the city, nickname and "
                                       "abbreviation a team line starts with"},
  };
  for (const auto& [path, message] : cases) {
    CGameManager manager(testing::MakeSyntheticImage(), std::make_unique<CSeededRandom>(1));
    manager.SetHomePath(good);
    manager.SetAwayPath(path);
    EXPECT_FALSE(manager.PrepareGame()) << path;
    EXPECT_NE(manager.PrepareError().find(message), std::string::npos) << manager.PrepareError();
  }
}

}  // namespace
}  // namespace qgu::driver
