// A dynasty in the real window on an X server (run under xvfb-run by
// tests/apps/under_xvfb.sh): File -> PLAY -> Dynasty makes a dynasty of a
// small league with a team a person plays, Play Year plays its season (the
// person's games by the computer) and stops the draft at the person's turn,
// the person picks the rookie he chose in the Draft tab with a key sent
// through the X server by xdotool, and the next year starts with that rookie
// on the person's roster. Multi Season opens the same window for a league
// whose rosters never change. With DYNASTY_SCREENS=FOLDER set, the dialog and
// every tab are saved there as pictures. Skips where there is no X display or
// no xdotool (fails so with CI=true).

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QWindow>
#include <cstdlib>
#include <string>

#include "cartridge/builder/embedded_image.h"
#include "dynasty/dynasty.h"
#include "frontend/window/dynasty_select_dlg.h"
#include "frontend/window/dynasty_wnd.h"
#include "frontend/window/qgu_dlg.h"
#include "tests/support/gui_test_support.h"
#include "tests/support/real_window_support.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/temp_folder.h"

namespace qgu::frontend {
namespace {

namespace fs = std::filesystem;
using testing::Control;
using testing::ProcessUntil;
using testing::WhenModal;

using testing::Shell;

void Picture(QWidget* window, const char* name) { testing::PictureOnRequest(window, "DYNASTY_SCREENS", name); }

TEST(DynastyOnX, MadeFromTheMenuAPersonsDraftPickTakenAndTheNextYearStarted) {
  QGU_NEED_REAL_WINDOW();

  qgu::testing::TempFolder folder;
  qgu::testing::RecordedMessages messages;
  WindowOptions options;
  options.configFile = folder / "qgu.ini";
  options.base = folder.path();
  options.image = cartridge::EmbeddedCartridgeImage();
  options.seed = 3;
  CQguDlg dlg(options);
  dlg.show();
  ASSERT_TRUE(ProcessUntil([&] { return dlg.windowHandle()->isExposed(); }, 30));
  const fs::path leagues = folder / "qgu_lge";
  const fs::path small = leagues / "Four Towns";
  fs::create_directories(small);
  qgu::testing::WriteBytes(small / "config.lge", "Four Towns\r\r\n");
  for (const char* team : {"AMBE0.dat", "ASHC0.dat", "BRIS0.dat", "CALD0.dat"}) {
    fs::copy_file(leagues / "Quozi League" / team, small / team);
  }

  WhenModal<CDynastySelectDlg>([](CDynastySelectDlg& select) {
    Control<QLineEdit>(&select, CDynastySelectDlg::kNameEdit)->setText("Old Rivals");
    Control<QComboBox>(&select, CDynastySelectDlg::kLeagueList)->setCurrentText("Four Towns");
    auto* team = Control<QComboBox>(&select, CDynastySelectDlg::kUserTeamList);
    team->setCurrentIndex(team->findData("BRIS0.dat"));
    Control<QSpinBox>(&select, CDynastySelectDlg::kGamesSpin)->setValue(3);
    Control<QSpinBox>(&select, CDynastySelectDlg::kQuarterSpin)->setValue(1);
    Picture(&select, "dynasty-create.png");
    Control<QPushButton>(&select, CDynastySelectDlg::kCreateButton)->click();
  });
  dlg.Menu().Action(CMainMenu::kDynasty)->trigger();
  ASSERT_TRUE(messages.Shown().empty()) << messages.Shown()[0].text;
  CDynastyWnd* wnd = dlg.DynastyWindow();
  ASSERT_NE(wnd, nullptr);
  ASSERT_TRUE(ProcessUntil([&] { return wnd->windowHandle() && wnd->windowHandle()->isExposed(); }, 30));
  EXPECT_EQ(wnd->Dynasty()->state.year, 1);

  // The year: the person's games by the computer, the draft stops at the person's turn.
  Control<QCheckBox>(wnd, CDynastyWnd::kSimUserCheck)->setChecked(true);
  Control<QPushButton>(wnd, CDynastyWnd::kPlayYearButton)->click();
  ASSERT_TRUE(ProcessUntil([&] { return !wnd->Running(); }, 300)) << wnd->StatusText().toStdString();
  ASSERT_TRUE(wnd->Dynasty()->state.waitingForPick) << wnd->StatusText().toStdString();
  EXPECT_EQ(wnd->Dynasty()->state.waitingTeam, "BRIS0.dat");
  auto* tabs = Control<QTabWidget>(wnd, CDynastyWnd::kTabs);
  EXPECT_EQ(tabs->currentIndex(), CDynastyWnd::kDraftTab);
  EXPECT_TRUE(Control<QLabel>(wnd, CDynastyWnd::kOnClockLabel)->text().contains("on the clock"));
  Picture(wnd, "dynasty-draft.png");

  // The person chooses the third rookie still there, and picks him with the button's key.
  auto* rookies = Control<QTreeWidget>(wnd, CDynastyWnd::kRookiesTree);
  ASSERT_GT(rookies->topLevelItemCount(), 3);
  rookies->setCurrentItem(rookies->topLevelItem(2));
  const int chosen = rookies->currentItem()->data(0, Qt::UserRole).toInt();
  // The key's pick sets the draft going again (and it may be over by the next look).
  auto stillOnTheBoard = [&] {
    for (int i = 0; i < rookies->topLevelItemCount(); ++i) {
      if (rookies->topLevelItem(i)->data(0, Qt::UserRole).toInt() == chosen) return true;
    }
    return false;
  };
  // A window that has only just been raised may miss its first key; a person would press it again.
  bool picked = false;
  for (int attempt = 0; attempt < 3 && !picked; ++attempt) {
    ASSERT_TRUE(Shell("xdotool windowfocus --sync " + std::to_string(wnd->winId()) + " && xdotool key alt+i"));
    picked = ProcessUntil([&] { return wnd->Running() || !stillOnTheBoard(); }, 7);
  }
  ASSERT_TRUE(picked) << "the Pick key did not reach the window";
  QElapsedTimer guard;
  guard.start();
  // Later turns of the person's team: the computer's choice for it.
  while (guard.elapsed() < 300000) {
    ProcessUntil([&] { return !wnd->Running(); }, 120);
    if (!wnd->Dynasty()->state.waitingForPick) break;
    Control<QPushButton>(wnd, CDynastyWnd::kAutoPickButton)->click();
  }
  ASSERT_TRUE(messages.Shown().empty()) << messages.Shown()[0].text;
  ASSERT_EQ(wnd->Dynasty()->state.year, 2) << wnd->StatusText().toStdString();
  EXPECT_TRUE(Control<QLabel>(wnd, CDynastyWnd::kHeaderLabel)->text().contains("year 2"));
  const auto registry = dynasty::RegistryOf(*wnd->Dynasty(), 2);
  ASSERT_TRUE(registry.ok()) << registry.error();
  const dynasty::Player* rookie = registry.value().Find(chosen);
  ASSERT_NE(rookie, nullptr) << "the person's pick is on a roster";
  EXPECT_EQ(rookie->team, "BRIS0.dat");
  EXPECT_EQ(rookie->draftRound, 1);

  tabs->setCurrentIndex(CDynastyWnd::kDraftTab);
  Picture(wnd, "dynasty-draft-done.png");
  tabs->setCurrentIndex(CDynastyWnd::kOffseasonTab);
  EXPECT_GT(Control<QTreeWidget>(wnd, CDynastyWnd::kOffseasonTree)->topLevelItemCount(), 10);
  Picture(wnd, "dynasty-offseason.png");
  tabs->setCurrentIndex(CDynastyWnd::kBookTab);
  EXPECT_EQ(Control<QTreeWidget>(wnd, CDynastyWnd::kChampionsTree)->topLevelItemCount(), 2);
  Picture(wnd, "dynasty-book.png");
  tabs->setCurrentIndex(CDynastyWnd::kYearTab);
  Picture(wnd, "dynasty-year.png");

  // Multi Season lists only dynasties without offseason: none yet.
  WhenModal<CDynastySelectDlg>([](CDynastySelectDlg& select) {
    EXPECT_EQ(select.windowTitle(), "Multi Season");
    EXPECT_EQ(Control<QListWidget>(&select, CDynastySelectDlg::kDynastyList)->count(), 0);
    select.reject();
  });
  dlg.Menu().Action(CMainMenu::kMultiSeason)->trigger();
}

}  // namespace
}  // namespace qgu::frontend
