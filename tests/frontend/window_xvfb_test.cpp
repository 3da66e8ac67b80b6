// The game window on a real X server (run under xvfb-run by
// tests/apps/under_xvfb.sh): a person at controller 1 plays the home side,
// and keys pressed at the window through the X server move his play pointer
// down twice and call the play, which the cartridge then holds in console
// memory. Skips where there is no X display or no xdotool.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "cartridge/builder/embedded_image.h"
#include "cartridge/console_memory.h"
#include "frontend/window/game_session.h"
#include "frontend/window/qgu_dlg.h"
#include "tests/support/gui_test_support.h"
#include "tests/support/real_window_support.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/temp_folder.h"

namespace qgu::frontend {
namespace {

using testing::ProcessUntil;

using testing::Pump;
using testing::Shell;

// Holds a key for a few frames, as a person would, then lets it go; the
// window takes its events meanwhile.
bool Tap(const std::string& key) {
  if (!Shell("xdotool keydown " + key)) return false;
  Pump(150);
  if (!Shell("xdotool keyup " + key)) return false;
  Pump(150);
  return true;
}

uint8_t Peek(CQguDlg& dlg, uint16_t address) {
  uint8_t value = 0;
  dlg.Session()->Thread().BetweenFrames([&](driver::IConsoleMemory& memory) { value = memory.Read(address); });
  return value;
}

TEST(WindowOnX, KeysAtTheWindowMoveTheHomePlayersPointerAndCallHisPlay) {
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
  ASSERT_TRUE(ProcessUntil([&] { return dlg.isActiveWindow() || dlg.windowHandle()->isExposed(); }, 30));

  GameRequest game;
  const auto league = folder / "qgu_lge" / "Quozi League";
  game.home = (league / "AMBE0.dat").string();
  game.away = (league / "ASHC0.dat").string();
  game.quarterMinutes = 1;
  game.p1 = driver::kControlMan;
  game.p2 = driver::kControlCom;
  ASSERT_TRUE(dlg.StartRequestedGame(game));

  // The first play selection after the kickoff: the home side waits for its person.
  ASSERT_TRUE(ProcessUntil(
      [&] {
        if (dlg.Session()->Thread().DriverHoldsInput()) return false;
        const uint8_t state = Peek(dlg, QGU_HOME_STATE);
        return (state == QGU_STATE_OFFENSE_CHOOSING || state == QGU_STATE_DEFENSE_CHOOSING) &&
               Peek(dlg, QGU_HOME_PLAY) == QGU_NO_PLAY_CHOSEN;
      },
      120));
  const std::string window = std::to_string(dlg.winId());
  ASSERT_TRUE(Shell("xdotool windowfocus --sync " + window));
  ProcessUntil([&] { return dlg.isActiveWindow(); }, 5);

  ASSERT_TRUE(Tap("Down"));
  ASSERT_TRUE(Tap("Down"));
  EXPECT_EQ(Peek(dlg, QGU_HOME_PLAY), QGU_NO_PLAY_CHOSEN);  // moving the pointer calls nothing
  ASSERT_TRUE(Tap("x"));                                    // controller 1's A
  ASSERT_TRUE(ProcessUntil([&] { return Peek(dlg, QGU_HOME_PLAY) != QGU_NO_PLAY_CHOSEN; }, 30));
  EXPECT_EQ(Peek(dlg, QGU_HOME_PLAY), 2);  // two rows down from the first play

  dlg.Menu().Action(CMainMenu::kStop)->trigger();
  EXPECT_FALSE(dlg.Session()->Running());
}

}  // namespace
}  // namespace qgu::frontend
