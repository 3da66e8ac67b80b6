// The game window driven by its command ids on the offscreen platform: the
// menu's states through a whole short game of two computer sides (frames run
// unpaced), Stop while the cartridge boots and while the summary is open, a
// game that cannot be prepared, the keys the window ignores, and Exit saving
// the window's place.

#include <gtest/gtest.h>

#include <signal.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>

#include "cartridge/builder/embedded_image.h"
#include "frontend/single_game_dlg.h"
#include "frontend/window/exit_signals.h"
#include "frontend/window/game_session.h"
#include "frontend/window/qgu_dlg.h"
#include "frontend/window/season_create_dlg.h"
#include "frontend/window/dynasty_select_dlg.h"
#include "frontend/window/season_select_dlg.h"
#include "frontend/window/window_placement.h"
#include "frontend/window/summary_dlg.h"
#include "tests/support/gui_test_support.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/temp_folder.h"

namespace qgu::frontend {
namespace {

namespace fs = std::filesystem;
using testing::Control;
using testing::ProcessUntil;
using testing::WhenModal;

class QguDlgTest : public ::testing::Test {
 protected:
  WindowOptions Options(bool unpaced) {
    WindowOptions options;
    options.configFile = folder_ / "qgu.ini";
    options.base = folder_.path();
    options.image = cartridge::EmbeddedCartridgeImage();
    options.seed = 11;
    if (unpaced) options.makeClock = [] { return std::make_unique<host::CUnpacedFrameClock>(); };
    return options;
  }
  fs::path League() const { return folder_ / "qgu_lge" / "Quozi League"; }
  static bool Enabled(CQguDlg& dlg, int command) { return dlg.Menu().Action(command)->isEnabled(); }
  static void Trigger(CQguDlg& dlg, int command) { dlg.Menu().Action(command)->trigger(); }
  static bool FileOn(CQguDlg& dlg) { return dlg.Menu().FileMenu()->menuAction()->isEnabled(); }
  static bool GameOn(CQguDlg& dlg) { return dlg.Menu().GameMenu()->menuAction()->isEnabled(); }
  static void ExpectIdle(CQguDlg& dlg) {
    EXPECT_TRUE(FileOn(dlg));
    EXPECT_FALSE(GameOn(dlg));
    EXPECT_TRUE(dlg.Session() == nullptr || !dlg.Session()->Running());
  }
  static void ExpectPlaying(CQguDlg& dlg, bool paused) {
    EXPECT_FALSE(FileOn(dlg));
    EXPECT_TRUE(GameOn(dlg));
    EXPECT_EQ(Enabled(dlg, CMainMenu::kPause), !paused);
    EXPECT_EQ(Enabled(dlg, CMainMenu::kResume), paused);
    EXPECT_TRUE(Enabled(dlg, CMainMenu::kStop));
  }

  qgu::testing::TempFolder folder_;
  qgu::testing::RecordedMessages messages_;
};

TEST_F(QguDlgTest, MenuStatesThroughAWholeShortGameStoppedInItsSummary) {
  CQguDlg dlg(Options(true));
  dlg.show();
  ASSERT_TRUE(dlg.Initialized());
  // A first start makes the league and says so.
  EXPECT_TRUE(fs::exists(League()));
  EXPECT_FALSE(dlg.StatusText().isEmpty());
  EXPECT_EQ(dlg.windowTitle(), "Quozi Gridcrown ULTRA");

  ExpectIdle(dlg);
  for (int command : {CMainMenu::kSingleGame, CMainMenu::kSelectSeason, CMainMenu::kCreateSeason, CMainMenu::kDynasty,
                      CMainMenu::kMultiSeason, CMainMenu::kExit, CMainMenu::kController, CMainMenu::kAbout}) {
    EXPECT_TRUE(Enabled(dlg, command)) << command;
  }
  for (int command : {CMainMenu::kNewLeague, CMainMenu::kEditLeague, CMainMenu::kImportTeams, CMainMenu::kEditTeams}) {
    EXPECT_FALSE(Enabled(dlg, command)) << command;
  }
  // The season items open their dialogs; leaving them opens nothing.
  WhenModal<CSeasonSelectDlg>([](CSeasonSelectDlg& select) { select.reject(); });
  Trigger(dlg, CMainMenu::kSelectSeason);
  WhenModal<CSeasonCreateDlg>([](CSeasonCreateDlg& create) { create.reject(); });
  Trigger(dlg, CMainMenu::kCreateSeason);
  EXPECT_EQ(dlg.SeasonWindow(), nullptr);
  for (int command : {CMainMenu::kDynasty, CMainMenu::kMultiSeason}) {
    WhenModal<CDynastySelectDlg>([](CDynastySelectDlg& select) { select.reject(); });
    Trigger(dlg, command);
  }
  EXPECT_EQ(dlg.DynastyWindow(), nullptr);
  EXPECT_TRUE(messages_.Shown().empty());

  WhenModal<CSingleGameDlg>([](CSingleGameDlg& game) {
    Control<QComboBox>(&game, CSingleGameDlg::kHomeLeagueList)->setCurrentIndex(0);
    Control<QComboBox>(&game, CSingleGameDlg::kAwayLeagueList)->setCurrentIndex(0);
    Control<QListWidget>(&game, CSingleGameDlg::kHomeTeamList)->setCurrentRow(0);
    Control<QListWidget>(&game, CSingleGameDlg::kAwayTeamList)->setCurrentRow(1);
    Control<QRadioButton>(&game, CSingleGameDlg::kP1Com)->click();
    Control<QRadioButton>(&game, CSingleGameDlg::kP2Com)->click();
    Control<QLineEdit>(&game, CSingleGameDlg::kQuarterLengthEdit)->setText("1");
    Control<QPushButton>(&game, CSingleGameDlg::kPlayButton)->click();
  });
  Trigger(dlg, CMainMenu::kSingleGame);
  ASSERT_TRUE(messages_.Shown().empty()) << messages_.Shown().back().text;
  ASSERT_NE(dlg.Session(), nullptr);
  EXPECT_EQ(dlg.Manager().QuarterLength(), 1);
  EXPECT_EQ(dlg.Manager().ControlByte(), 0x22);
  ExpectPlaying(dlg, false);
  EXPECT_FALSE(dlg.ShowingPicture());  // the helmets while it boots

  Trigger(dlg, CMainMenu::kPause);
  ExpectPlaying(dlg, true);
  EXPECT_EQ(dlg.Session()->Thread().GetState(), host::CEmulatorThread::State::kPaused);
  Trigger(dlg, CMainMenu::kResume);
  ExpectPlaying(dlg, false);
  EXPECT_EQ(dlg.Session()->Thread().GetState(), host::CEmulatorThread::State::kRunning);

  // The kickoff shows the picture; at the end the summary comes, and Stop
  // while it is open closes it and ends the game's threads.
  bool pictureShown = false;
  bool summaryOpen = false;
  WhenModal<CSummaryDlg>([&](CSummaryDlg&) {
    summaryOpen = true;
    Trigger(dlg, CMainMenu::kStop);
  });
  ASSERT_TRUE(ProcessUntil([&] {
    pictureShown = pictureShown || dlg.ShowingPicture();
    return summaryOpen && QApplication::activeModalWidget() == nullptr;
  }));
  EXPECT_TRUE(pictureShown);
  ASSERT_TRUE(dlg.LastSummary().has_value());
  ExpectIdle(dlg);
  EXPECT_FALSE(dlg.ShowingPicture());
  EXPECT_GT(dlg.Session()->Counters().framesEmulated, 3000);
}

TEST_F(QguDlgTest, IgnoredKeysFailedPreparationStopDuringTheBootAndExitSavingThePlace) {
  CQguDlg dlg(Options(false));
  int exits = 0;
  QObject::connect(&dlg, &CQguDlg::Exited, [&] { ++exits; });
  dlg.show();
  QApplication::processEvents();

  // Escape, Enter, F1 and the window manager's close leave the window open.
  for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_F1}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &press);
  }
  EXPECT_FALSE(dlg.close());
  QApplication::processEvents();
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_FALSE(dlg.windowFlags() & Qt::WindowCloseButtonHint);

  // A team file that cannot be read starts nothing and the status line says why.
  qgu::testing::WriteBytes(folder_ / "broken.dat", "not a team\x01");
  GameRequest broken;
  broken.home = folder_.File("broken.dat");
  broken.away = (League() / "AMBE0.dat").string();
  EXPECT_FALSE(dlg.StartRequestedGame(broken));
  EXPECT_TRUE(dlg.StatusText().contains("broken.dat")) << dlg.StatusText().toStdString();
  EXPECT_EQ(dlg.Session(), nullptr);
  ExpectIdle(dlg);

  // Stop while the driver still holds the input (the boot) joins everything.
  GameRequest game;
  game.home = (League() / "AMBE0.dat").string();
  game.away = (League() / "ASHC0.dat").string();
  game.weather = driver::Weather::kSnow;
  ASSERT_TRUE(dlg.StartRequestedGame(game));
  ExpectPlaying(dlg, false);
  EXPECT_TRUE(dlg.Runtime().Video().DisplayPalette() == *driver::WeatherPalette(driver::Weather::kSnow));
  EXPECT_TRUE(dlg.Session()->Thread().DriverHoldsInput());
  Trigger(dlg, CMainMenu::kStop);
  ExpectIdle(dlg);
  EXPECT_FALSE(dlg.ShowingPicture());
  QApplication::processEvents();
  ExpectIdle(dlg);

  // Exit keeps the window's place in the settings file.
  dlg.setGeometry(130, 90, 500, 400);
  QApplication::processEvents();
  const QRect placed = dlg.geometry();
  Trigger(dlg, CMainMenu::kExit);
  EXPECT_EQ(exits, 1);
  const host::AppConfig saved = host::LoadAppConfigFile(folder_ / "qgu.ini");
  EXPECT_EQ(saved.general.windowPos, (host::SettingsRect{placed.left(), placed.top(), placed.left() + placed.width(),
                                                         placed.top() + placed.height()}));
  EXPECT_EQ(placed.width(), 500);

  // The next start puts the window there again.
  CQguDlg again(Options(false));
  EXPECT_EQ(again.geometry(), placed);
}

}  // namespace
}  // namespace qgu::frontend

namespace qgu::frontend {
namespace {

// A saved place on a screen that is gone, or a size no screen has, still
// opens the window whole on a screen that exists; numbers that overflow a
// width are no worse.
TEST_F(QguDlgTest, ASavedPlaceOffEveryScreenOrLargerThanOneIsKeptOnAScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const host::SettingsRect places[] = {
      {50000, 50000, 50600, 50500},           // far right and below
      {-9000, -700, -8400, -200},             // far left and above
      {0, 0, 100000, 100000},                 // larger than any screen
      {-2147483647 - 1, 0, 2147483647, 400},  // a width beyond 32 bits
  };
  for (const host::SettingsRect& place : places) {
    host::AppConfig config;
    config.general.windowPos = place;
    ASSERT_TRUE(host::SaveAppConfigFile(config, folder_ / "qgu.ini").ok());
    CQguDlg dlg(Options(false));
    EXPECT_TRUE(screen.contains(dlg.geometry())) << place.left << " " << place.right << ": "
                                                 << dlg.geometry().x() << "," << dlg.geometry().y() << " "
                                                 << dlg.geometry().width() << "x" << dlg.geometry().height();
    EXPECT_GT(dlg.width(), 0);
  }
  // A place on the screen is kept as it was.
  host::AppConfig config;
  config.general.windowPos = {20, 30, 520, 430};
  ASSERT_TRUE(host::SaveAppConfigFile(config, folder_ / "qgu.ini").ok());
  CQguDlg kept(Options(false));
  EXPECT_EQ(kept.geometry(), QRect(20, 30, 500, 400));

  // Two screens side by side: the window goes on the one it overlaps most.
  const QList<QRect> two = {QRect(0, 0, 1024, 768), QRect(1024, 0, 800, 600)};
  EXPECT_EQ(KeepOnScreen(QRect(1500, 100, 600, 400), two), QRect(1224, 100, 600, 400));
  EXPECT_EQ(KeepOnScreen(QRect(4000, 4000, 300, 200), two), QRect(724, 568, 300, 200));
}

// Numbers out of range in the settings file are named on the status line.
TEST_F(QguDlgTest, SettingsOutOfRangeAreNamedOnTheStatusLine) {
  qgu::testing::WriteBytes(folder_ / "qgu.ini", "[Sound]\r\nBufferSize=30000\r\n");
  CQguDlg dlg(Options(false));
  EXPECT_EQ(dlg.Runtime().Config().sound.bufferSize, 30);
  EXPECT_TRUE(dlg.StatusText().contains("[Sound] BufferSize=30000 is outside 2 to 30; 30 is used")) << dlg.StatusText().toStdString();
  EXPECT_TRUE(dlg.StatusText().startsWith("Created the league")) << "after the first-start message";
}

// No sound device: the described message once, a silent game, a note on the
// status line and Options -> Sound; the next start does not ask again. The
// first view's hint goes once a game has been played.
TEST_F(QguDlgTest, WithoutASoundDeviceTheMessageComesOnceAndOptionsSoundTurnsItOnAndOff) {
  ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  {
    CQguDlg dlg(Options(false));
    ASSERT_TRUE(dlg.Initialized());
    ASSERT_EQ(messages_.Shown().size(), 1u);
    EXPECT_EQ(messages_.Shown()[0].title, "ERROR");
    EXPECT_TRUE(dlg.StatusText().contains("No sound device: the game plays silently")) << dlg.StatusText().toStdString();
    EXPECT_TRUE(dlg.StatusText().contains("File -> PLAY -> Single Game")) << "the first view's hint";
    QAction* sound = dlg.Menu().Action(CMainMenu::kSound);
    EXPECT_FALSE(sound->isChecked());
    EXPECT_EQ(dlg.Runtime().Sound(), nullptr);
    sound->trigger();  // still no device: said again, and sound stays off
    EXPECT_EQ(messages_.Shown().size(), 2u);
    EXPECT_FALSE(sound->isChecked());
    dlg.Runtime().MarkFirstGamePlayed();
    Trigger(dlg, CMainMenu::kExit);
  }
  EXPECT_EQ(host::LoadAppConfigFile(folder_ / "qgu.ini").sound.enable, 0);
  messages_.Clear();
  {
    CQguDlg again(Options(false));
    EXPECT_TRUE(messages_.Shown().empty()) << "asked again: " << messages_.Shown().front().text;
    EXPECT_TRUE(again.StatusText().contains("Sound is off (Options -> Sound).")) << again.StatusText().toStdString();
    EXPECT_FALSE(again.StatusText().contains("File -> PLAY")) << "a game was played";
  }
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  CQguDlg withDevice(Options(false));
  QAction* sound = withDevice.Menu().Action(CMainMenu::kSound);
  sound->trigger();
  EXPECT_TRUE(sound->isChecked());
  EXPECT_NE(withDevice.Runtime().Sound(), nullptr);
  sound->trigger();
  EXPECT_FALSE(sound->isChecked());
  EXPECT_EQ(withDevice.Runtime().Sound(), nullptr);
  EXPECT_TRUE(messages_.Shown().empty());
}

// SIGTERM and SIGINT reach the event loop as a call on its thread, once per
// request, and leave the former handlers in place afterwards.
TEST(ExitSignals, TermAndIntAskTheWindowToExitOnItsOwnThread) {
  for (int signal : {SIGTERM, SIGINT}) {
    int calls = 0;
    {
      CExitSignals exits([&calls] { ++calls; });
      ASSERT_TRUE(exits.Installed());
      ::raise(signal);
      ::raise(signal);
      EXPECT_EQ(calls, 0) << "not in the handler";
      ProcessUntil([&] { return calls > 0; }, 5);
      QApplication::processEvents();
      EXPECT_EQ(calls, 1);
    }
    struct sigaction now {};
    ::sigaction(signal, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
  }
}

}  // namespace
}  // namespace qgu::frontend
