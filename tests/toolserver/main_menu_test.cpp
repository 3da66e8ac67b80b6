// The main menu against a scripted interface: the three animations step by
// step, a single game chosen or quit, failed calls, the music switch, and
// where its picture comes from.

#include <gtest/gtest.h>

#include <QPushButton>
#include <filesystem>
#include <set>

#include "tests/support/gui_test_support.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/temp_folder.h"
#include "tests/toolserver/recorded_waves.h"
#include "toolserver/com/bstr.h"
#include "toolserver/main_menu_dlg.h"

namespace qgu::toolserver {
namespace {

namespace fs = std::filesystem;
using namespace qgu::com;
using D = CMainMenuDlg;
using testing::Control;

// An IQuoziHelper whose operations answer as the test says and count their calls.
class ScriptedHelper final : public IQuoziHelper {
 public:
  HRESULT QueryInterface(const IID&, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(const IID&, OLECHAR**, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID, const IID&, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  HRESULT SelectTeams(BSTR* team1, BSTR* team2, int32_t* qtrlen, int32_t* home, int32_t* away,
                      int32_t* weather) override {
    ++calls;
    // The menu must give the working folder back whatever the dialog did to it.
    fs::current_path(fs::temp_directory_path());
    *team1 = AllocBstrUtf8(game.home);
    *team2 = AllocBstrUtf8(game.away);
    *qtrlen = game.quarterLength;
    *home = game.homeControl;
    *away = game.awayControl;
    *weather = game.weather;
    return result;
  }
  HRESULT DisplayEOGStats(BSTR, BSTR, BSTR, BSTR) override { return E_NOTIMPL; }
  HRESULT ImportRom(BSTR folder) override { return Folder(folder); }
  HRESULT EditTeams(BSTR folder) override { return Folder(folder); }
  HRESULT ShowAbout() override {
    ++calls;
    return result;
  }
  HRESULT ShowMain(int32_t*, BSTR*, BSTR*, int32_t*, int32_t*, int32_t*, int32_t*) override { return E_NOTIMPL; }

  HRESULT Folder(BSTR folder) {
    ++calls;
    folders.push_back(Utf8(std::u16string_view(folder, BstrLength(folder))));
    return result;
  }

  GameChoice game;
  HRESULT result = S_OK;
  int calls = 0;
  std::vector<std::string> folders;
};

std::set<int> Shown(const CMainMenuDlg& menu) {
  std::set<int> shown;
  for (int id : {D::kPlay, D::kSingleSeason, D::kManage, D::kMultiSeason, D::kExit, D::kDynasty, D::kSingleGame,
                 D::kBack, D::kImportTeams, D::kEditTeams, D::kEditLeague, D::kNewLeague}) {
    if (!Control<QPushButton>(&menu, id)->isHidden()) shown.insert(Control<QPushButton>(&menu, id)->isEnabled() ? id : -id);
  }
  return shown;
}

// Clicks a button and lets the animation it starts run its eight steps by hand.
void Animate(CMainMenuDlg& menu, int button, std::vector<std::set<int>>* steps = nullptr) {
  Control<QPushButton>(&menu, button)->click();
  for (int step = 0; step <= D::kAnimationSteps; ++step) {
    menu.AnimationTick();
    if (steps != nullptr) steps->push_back(Shown(menu));
  }
  EXPECT_EQ(menu.RunningAnimation(), D::kNoAnimation);
}

struct MenuBench {
  testing::RecordedWaves waves;
  testing::RecordedMessages messages;
  ScriptedHelper helper;
};

TEST(MainMenu, ButtonSetsSwapInEightStepsAsTheChoreographySays) {
  MenuBench bench;
  CMainMenuDlg menu(bench.helper);
  const std::set<int> mainSet = {D::kPlay, D::kManage, D::kExit};
  EXPECT_EQ(Shown(menu), mainSet);

  std::vector<std::set<int>> steps;
  Animate(menu, D::kPlay, &steps);
  const std::vector<std::set<int>> toPlay = {
      {D::kManage, D::kExit},
      {D::kExit},
      {},
      {D::kBack},
      {D::kBack, -D::kDynasty},
      {D::kBack, -D::kDynasty, -D::kMultiSeason},
      {D::kBack, -D::kDynasty, -D::kMultiSeason, -D::kSingleSeason},
      {D::kBack, -D::kDynasty, -D::kMultiSeason, -D::kSingleSeason, D::kSingleGame},
      {D::kBack, -D::kDynasty, -D::kMultiSeason, -D::kSingleSeason, D::kSingleGame},  // step 8 stops the clock
  };
  EXPECT_EQ(steps, toPlay);

  steps.clear();
  Animate(menu, D::kBack, &steps);
  const std::vector<std::set<int>> backToMain = {
      {D::kBack, -D::kDynasty, -D::kMultiSeason, -D::kSingleSeason},
      {D::kBack, -D::kDynasty, -D::kMultiSeason},
      {D::kBack, -D::kDynasty},
      {D::kBack},
      {},
      {D::kExit},
      {D::kExit, D::kManage},
      mainSet,
      mainSet,
  };
  EXPECT_EQ(steps, backToMain);

  Animate(menu, D::kManage);
  EXPECT_EQ(Shown(menu), (std::set<int>{D::kBack, D::kEditTeams, D::kImportTeams, -D::kEditLeague, -D::kNewLeague}));
  // A second animation asked for while one runs is not started.
  Control<QPushButton>(&menu, D::kBack)->click();
  menu.AnimationTick();
  Control<QPushButton>(&menu, D::kBack)->click();
  EXPECT_EQ(menu.AnimationStep(), 1);
}

TEST(MainMenu, AQuitSingleGameStaysAndAChosenOneClosesWithItsSettings) {
  MenuBench bench;
  const fs::path working = fs::current_path();
  CMainMenuDlg menu(bench.helper);
  Animate(menu, D::kPlay);
  Control<QPushButton>(&menu, D::kSingleGame)->click();
  EXPECT_EQ(bench.helper.calls, 1);
  EXPECT_EQ(menu.result(), 0);
  EXPECT_EQ(menu.Selection(), -1);
  EXPECT_TRUE(Control<QPushButton>(&menu, D::kSingleGame)->isVisibleTo(&menu));
  EXPECT_EQ(fs::current_path(), working);

  bench.helper.game = GameChoice{"./qgu_lge/L/A0.dat", "./qgu_lge/L/B0.dat", 12, 2, 1, 2};
  Control<QPushButton>(&menu, D::kSingleGame)->click();
  EXPECT_EQ(menu.result(), QDialog::Accepted);
  EXPECT_EQ(menu.Selection(), 1);
  EXPECT_EQ(menu.Game().home, "./qgu_lge/L/A0.dat");
  EXPECT_EQ(menu.Game().away, "./qgu_lge/L/B0.dat");
  EXPECT_EQ(menu.Game().quarterLength, 12);
  EXPECT_EQ(menu.Game().homeControl, 2);
  EXPECT_EQ(menu.Game().awayControl, 1);
  EXPECT_EQ(menu.Game().weather, 2);
  EXPECT_FALSE(bench.waves.Playing());
  EXPECT_EQ(fs::current_path(), working);
}

TEST(MainMenu, EveryFailedCallSaysSoAndLeavesTheSelectionAtZero) {
  MenuBench bench;
  bench.helper.result = E_FAIL;
  CMainMenuDlg menu(bench.helper);
  Animate(menu, D::kManage);
  for (int button : {D::kImportTeams, D::kEditTeams, D::kAbout}) Control<QPushButton>(&menu, button)->click();
  Animate(menu, D::kBack);
  Animate(menu, D::kPlay);
  Control<QPushButton>(&menu, D::kSingleGame)->click();
  EXPECT_EQ(bench.helper.calls, 4);
  ASSERT_EQ(bench.messages.Shown().size(), 4u);
  for (const frontend::Message& message : bench.messages.Shown()) {
    EXPECT_EQ(message.title, "QgUltra");
    EXPECT_EQ(message.text, "Error in qghelper.dll");
    EXPECT_EQ(message.icon, frontend::MessageIcon::kStop);
  }
  EXPECT_EQ(menu.Selection(), 0);
  EXPECT_EQ(menu.result(), 0) << "the window stays open";
  // Import and edit get the working folder as it is.
  EXPECT_EQ(bench.helper.folders, (std::vector<std::string>{fs::current_path().string(), fs::current_path().string()}));

  Animate(menu, D::kBack);
  Control<QPushButton>(&menu, D::kExit)->click();
  EXPECT_EQ(menu.Selection(), -1);
  EXPECT_EQ(menu.result(), QDialog::Rejected);
}

TEST(MainMenu, MusicLoopsFromTheStartStopsForEachToolAndFollowsItsSwitch) {
  MenuBench bench;
  CMainMenuDlg menu(bench.helper);
  ASSERT_EQ(bench.waves.Played().size(), 1u);
  EXPECT_TRUE(bench.waves.Played()[0].loop);
  EXPECT_EQ(bench.waves.Played()[0].file.filename(), "main.wav");
  EXPECT_TRUE(menu.HasBackground());

  Animate(menu, D::kManage);
  Control<QPushButton>(&menu, D::kImportTeams)->click();
  EXPECT_EQ(bench.waves.Played().size(), 2u) << "music comes back after the import";
  EXPECT_TRUE(bench.waves.Playing());

  Control<QPushButton>(&menu, D::kMusic)->click();
  EXPECT_FALSE(menu.MusicOn());
  EXPECT_FALSE(bench.waves.Playing());
  Control<QPushButton>(&menu, D::kEditTeams)->click();
  Control<QPushButton>(&menu, D::kAbout)->click();
  EXPECT_EQ(bench.waves.Played().size(), 2u) << "switched off, it stays off";
  Control<QPushButton>(&menu, D::kMusic)->click();
  EXPECT_TRUE(menu.MusicOn());
  EXPECT_TRUE(bench.waves.Playing());

  Animate(menu, D::kBack);
  Control<QPushButton>(&menu, D::kExit)->click();
  EXPECT_FALSE(bench.waves.Playing());
}

TEST(MainMenu, PictureAndMusicOfTheWorkingFolderComeFirst) {
  MenuBench bench;
  testing::TempFolder folder;
  fs::create_directories(folder / "bmps");
  fs::create_directories(folder / "snds");
  QImage own(200, 150, QImage::Format_RGB32);
  own.fill(Qt::darkGreen);
  ASSERT_TRUE(own.save(QString::fromStdString((folder / "bmps" / "main.bmp").string()), "BMP"));
  testing::WriteBytes(folder / "snds" / "main.wav", "RIFF");
  const fs::path working = fs::current_path();
  fs::current_path(folder.path());
  {
    CMainMenuDlg menu(bench.helper);
    EXPECT_EQ(menu.size(), QSize(200, 150));
    EXPECT_EQ(bench.waves.Played().at(0).file, fs::path("snds/main.wav"));
  }
  fs::current_path(working);
}

}  // namespace
}  // namespace qgu::toolserver
