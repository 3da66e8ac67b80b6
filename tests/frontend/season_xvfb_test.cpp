// A season in the real window on an X server (run under xvfb-run by
// tests/apps/under_xvfb.sh): Create Season makes a season of a small league
// with one team a person plays, "Play my next game" puts that game in the
// game window where a person's keys (sent through the X server by xdotool)
// call every play to the summary, and that game is in the journal; the rest
// is simmed and the Playoffs tab names the champion the season's journal
// gives. Frames run unpaced so the game takes seconds, not minutes.
// With SEASON_SCREENS=FOLDER set, every season dialog and tab is saved there
// as a picture. Skips where there is no X display or no xdotool (fails so with CI=true).

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
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <cstdlib>
#include <functional>
#include <string>

#include "cartridge/builder/embedded_image.h"
#include "frontend/window/game_session.h"
#include "frontend/window/qgu_dlg.h"
#include "frontend/window/season_create_dlg.h"
#include "frontend/window/season_select_dlg.h"
#include "frontend/window/season_tabs.h"
#include "frontend/window/season_wnd.h"
#include "frontend/window/summary_dlg.h"
#include "season/season.h"
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

using testing::Pump;
using testing::Shell;

void Picture(QWidget* window, const char* name) { testing::PictureOnRequest(window, "SEASON_SCREENS", name); }

TEST(SeasonOnX, CreatedInTheWindowFirstGamePlayedByKeysRestSimmedChampionInThePlayoffsTab) {
  QGU_NEED_REAL_WINDOW();

  qgu::testing::TempFolder folder;
  qgu::testing::RecordedMessages messages;
  WindowOptions options;
  options.configFile = folder / "qgu.ini";
  options.base = folder.path();
  options.image = cartridge::EmbeddedCartridgeImage();
  options.seed = 3;
  options.makeClock = [] { return std::make_unique<host::CUnpacedFrameClock>(); };
  CQguDlg dlg(options);
  dlg.show();
  ASSERT_TRUE(ProcessUntil([&] { return dlg.windowHandle()->isExposed(); }, 30));

  // A small league beside the one the first start made.
  const fs::path leagues = folder / "qgu_lge";
  const fs::path small = leagues / "Four Towns";
  fs::create_directories(small);
  qgu::testing::WriteBytes(small / "config.lge", "Four Towns\r\r\n");
  for (const char* team : {"AMBE0.dat", "ASHC0.dat", "BRIS0.dat", "CALD0.dat"}) {
    fs::copy_file(leagues / "Quozi League" / team, small / team);
  }

  // Create Season from the menu: the first team is the person's.
  WhenModal<CSeasonCreateDlg>([](CSeasonCreateDlg& create) {
    Control<QComboBox>(&create, CSeasonCreateDlg::kLeagueList)->setCurrentText("Four Towns");
    Control<QLineEdit>(&create, CSeasonCreateDlg::kNameEdit)->setText("First");
    Control<QLineEdit>(&create, CSeasonCreateDlg::kQuarterEdit)->setText("1");
    Control<QLineEdit>(&create, CSeasonCreateDlg::kPlayoffTeamsEdit)->setText("2");
    Control<QLineEdit>(&create, CSeasonCreateDlg::kSeedEdit)->setText("12");
    Control<QListWidget>(&create, CSeasonCreateDlg::kUserTeamList)->item(0)->setCheckState(Qt::Checked);
    Picture(&create, "season-create.png");
    Control<QPushButton>(&create, CSeasonCreateDlg::kCreateButton)->click();
  });
  dlg.Menu().Action(CMainMenu::kCreateSeason)->trigger();
  ASSERT_TRUE(messages.Shown().empty()) << messages.Shown()[0].text;
  CSeasonWnd* wnd = dlg.SeasonWindow();
  ASSERT_NE(wnd, nullptr);
  ASSERT_TRUE(ProcessUntil([&] { return wnd->windowHandle() && wnd->windowHandle()->isExposed(); }, 30));
  Picture(wnd, "season-schedule-new.png");

  // The person's first game, in the game window, played with keys: both
  // controllers' A (X and N) until the summary; the COM side takes no keys.
  const std::optional<season::GameSetup> first = season::NextUserGame(*wnd->Season());
  ASSERT_TRUE(first.has_value());
  Control<QPushButton>(wnd, CSeasonWnd::kPlayNextButton)->click();
  ASSERT_NE(dlg.Session(), nullptr);
  EXPECT_EQ(dlg.Manager().ControlByte(), first->homeIsUser ? 0x02 : 0x20);  // the person MAN, the other COM
  ASSERT_TRUE(Shell("xdotool windowactivate --sync " + std::to_string(dlg.winId()) + " 2>/dev/null || xdotool windowfocus --sync " +
                    std::to_string(dlg.winId())));
  bool summaryShown = false;
  WhenModal<CSummaryDlg>([&](CSummaryDlg& summary) {
    summaryShown = true;
    Picture(&summary, "season-game-summary.png");
    summary.accept();
  });
  QElapsedTimer guard;
  guard.start();
  while (!summaryShown && guard.elapsed() < 240000) {
    Shell("xdotool keydown x keydown n");
    Pump(120);
    Shell("xdotool keyup x keyup n");
    Pump(120);
  }
  ASSERT_TRUE(summaryShown) << "no summary after four minutes of keys";
  ASSERT_TRUE(ProcessUntil([&] { return !dlg.Session()->Running() && !wnd->PlayingGame(); }, 60));
  ASSERT_TRUE(dlg.LastSummary().has_value());
  auto afterGame = season::OpenSeason(small, "First");
  ASSERT_TRUE(afterGame) << afterGame.error();
  ASSERT_EQ(afterGame.value().games.size(), 1u);
  EXPECT_EQ(afterGame.value().games[0].id, first->id);
  EXPECT_EQ(afterGame.value().games[0].homeStats, dlg.LastSummary()->homeStats);
  EXPECT_EQ(std::to_string(afterGame.value().games[0].homeScore), dlg.LastSummary()->homeScore);

  // The rest, the person's games included, simmed.
  Control<QCheckBox>(wnd, CSeasonWnd::kSimUserCheck)->setChecked(true);
  Control<QPushButton>(wnd, CSeasonWnd::kSimRegularButton)->click();
  ASSERT_TRUE(ProcessUntil([&] { return !wnd->Simulating(); }, 300));
  Control<QPushButton>(wnd, CSeasonWnd::kSimPlayoffsButton)->click();
  Picture(wnd, "season-sim-running.png");
  ASSERT_TRUE(ProcessUntil([&] { return !wnd->Simulating(); }, 300));

  auto* tabs = Control<QTabWidget>(wnd, CSeasonWnd::kTabs);
  tabs->setCurrentIndex(CSeasonWnd::kPlayoffsTab);
  const season::Bracket bracket = season::SeasonBracket(*wnd->Season());
  ASSERT_TRUE(bracket.champion.has_value());
  const QString champion = Control<QLabel>(wnd, CSeasonWnd::kChampionLabel)->text();
  EXPECT_EQ(champion, "Champion: " + TeamName(*wnd->Season(), *bracket.champion));
  EXPECT_TRUE(Control<QLabel>(wnd, CSeasonWnd::kChampionLabel)->isVisible());
  std::printf("%s\n", champion.toStdString().c_str());
  Picture(wnd, "season-playoffs.png");
  for (auto [tab, name] : {std::pair{CSeasonWnd::kScheduleTab, "season-schedule.png"},
                           std::pair{CSeasonWnd::kStandingsTab, "season-standings.png"},
                           std::pair{CSeasonWnd::kLeadersTab, "season-leaders.png"}}) {
    tabs->setCurrentIndex(tab);
    Picture(wnd, name);
  }

  // Select Season lists it.
  WhenModal<CSeasonSelectDlg>([](CSeasonSelectDlg& select) {
    Control<QComboBox>(&select, CSeasonSelectDlg::kLeagueList)->setCurrentText("Four Towns");
    EXPECT_EQ(Control<QListWidget>(&select, CSeasonSelectDlg::kSeasonList)->count(), 1);
    Picture(&select, "season-select.png");
    select.reject();
  });
  dlg.Menu().Action(CMainMenu::kSelectSeason)->trigger();
  EXPECT_TRUE(messages.Shown().empty()) << messages.Shown()[0].text;
}

}  // namespace
}  // namespace qgu::frontend
