// The controller dialog by control id, with the real input state fed by hand
// (keys) and by a scripted gamepad, and its capture stepped tick by tick on a
// clock the test moves.

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "frontend/window/controller_dlg.h"
#include "tests/support/gui_test_support.h"

namespace qgu::frontend {
namespace {

using host::AppConfig;
using qgu::testing::Control;

constexpr int kKeyA = 0x1E;
constexpr int kKeyZ = 0x2C;
constexpr int kUnnamedKey = 0x54;  // above "Z" but without a name
constexpr int kEscape = 0x01;

class ScriptedPads final : public host::IJoystickSource {
 public:
  explicit ScriptedPads(std::vector<host::JoystickReading>& pads) : pads_(pads) {}
  int Read(std::span<host::JoystickReading> readings) override {
    const size_t count = std::min(readings.size(), pads_.size());
    std::copy_n(pads_.begin(), count, readings.begin());
    return static_cast<int>(count);
  }

 private:
  std::vector<host::JoystickReading>& pads_;
};

class ControllerDlgTest : public ::testing::Test {
 protected:
  ControllerDlgTest() {
    input.Initialize(std::make_unique<ScriptedPads>(pads));
    dialog.SetClock([this] { return now; });
    dialog.show();
  }

  uint16_t Key(int controller, int button) const {
    return config.controllers[static_cast<size_t>(controller)].keys[static_cast<size_t>(button)];
  }
  void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
  void SelectTab(int controller) { Control<QTabWidget>(&dialog, CQguControllerDlg::kTabs)->setCurrentIndex(controller); }
  QLabel* Box(int controller, int id) { return Control<QLabel>(dialog.Page(controller), id); }
  QListWidget* List(int controller, int id) { return Control<QListWidget>(dialog.Page(controller), id); }
  void Tick() {
    dialog.Tick();
    now += CQguControllerDlg::kTickMs;
  }

  AppConfig config;
  host::CDirectInput input;
  std::vector<host::JoystickReading> pads;
  int64_t now = 1000;
  CQguControllerDlg dialog{config, input};
};

TEST_F(ControllerDlgTest, CaptureTakesTheHighestNamedCodeEscapeClearsAndTheTimeOutKeepsTheBinding) {
  EXPECT_EQ(dialog.windowTitle(), "Controller Configuration");
  QLabel* up = Box(0, 2010);
  ASSERT_NE(up, nullptr);
  EXPECT_EQ(up->text(), "Up");

  Click(up);
  ASSERT_TRUE(dialog.Capturing());
  input.KeyDown(kKeyA);
  input.KeyDown(kKeyZ);
  input.KeyDown(kUnnamedKey);
  Tick();
  EXPECT_FALSE(dialog.Capturing());
  EXPECT_EQ(Key(0, host::kButtonUp), kKeyZ);
  EXPECT_EQ(up->text(), "Z");
  input.ReleaseAllKeys();

  // Escape clears, and the key press itself neither cancels nor closes the dialog.
  QLabel* down = Box(0, 2011);
  Click(down);
  QTest::keyClick(down, Qt::Key_Escape);
  QTest::keyClick(down, Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible());
  input.KeyDown(kEscape);
  input.KeyDown(kKeyA);
  Tick();
  EXPECT_EQ(Key(0, host::kButtonDown), 0);
  EXPECT_EQ(down->text(), "----");
  EXPECT_EQ(Key(0, host::kButtonUp), kKeyZ) << "Escape reached the dialog and cancelled it";
  input.ReleaseAllKeys();
  // Keys held on after the capture (repeats) stay in the box too.
  QTest::keyClick(down, Qt::Key_Escape);
  QTest::keyClick(down, Qt::Key_Enter);
  EXPECT_TRUE(dialog.isVisible());

  // Nothing pressed: the box pulses for 60 ticks; a click elsewhere meanwhile
  // is ignored; the 61st tick ends the capture with the binding as it was.
  QLabel* left = Box(0, 2012);
  Click(left);
  for (int tick = 1; tick <= CQguControllerDlg::kListenTicks; ++tick) {
    if (tick == 7) {  // painted 250 ms after the first tick: (250 / 3) * 2 = 166
      EXPECT_TRUE(left->autoFillBackground());
      EXPECT_EQ(left->palette().color(QPalette::Window), QColor(166, 166, 166));
      Click(Box(0, 2013));
    }
    Tick();
    ASSERT_TRUE(dialog.Capturing()) << "tick " << tick;
  }
  input.KeyDown(kKeyA);
  Tick();
  EXPECT_FALSE(dialog.Capturing());
  EXPECT_FALSE(left->autoFillBackground());
  EXPECT_EQ(Key(0, host::kButtonLeft), AppConfig::DefaultControllers()[0].keys[host::kButtonLeft]);
  EXPECT_EQ(Key(0, host::kButtonRight), AppConfig::DefaultControllers()[0].keys[host::kButtonRight]);
  EXPECT_EQ(left->text(), "Left");
}

TEST_F(ControllerDlgTest, GamepadButtonIsCapturedOnAnotherPageAndATabChangeStopsACapture) {
  SelectTab(2);
  QLabel* a = Box(2, 2014);
  EXPECT_EQ(a->text(), "----");
  Click(a);
  pads.resize(2);
  pads[0].axes[host::kAxisX] = 9000;  // J:0 X+, a lower code than the button
  pads[1].buttons = 1u << 3;
  Tick();
  EXPECT_EQ(Key(2, host::kButtonA), host::JoystickButtonCode(1, 3));
  EXPECT_EQ(a->text(), "J:1 B:03");

  pads.clear();
  Click(Box(2, 2015));
  ASSERT_TRUE(dialog.Capturing());
  SelectTab(3);
  EXPECT_FALSE(dialog.Capturing());
}

TEST_F(ControllerDlgTest, CancelRestoresEveryBindingAndSpeedOfAllFourWhileOkKeepsThem) {
  config.controllers[3].keys[host::kButtonStart] = kKeyA;
  config.controllers[2].rapid = {2, 1};
  CQguControllerDlg edited(config, input);
  edited.SetClock([this] { return now; });
  edited.show();
  const auto before = config.controllers;

  auto editEveryPage = [&](CQguControllerDlg& dlg) {
    auto* tabs = Control<QTabWidget>(&dlg, CQguControllerDlg::kTabs);
    for (int controller = 0; controller < host::kControllerCount; ++controller) {
      tabs->setCurrentIndex(controller);
      Click(Control<QLabel>(dlg.Page(controller), 2010 + controller));
      input.KeyDown(kKeyZ - controller);
      dlg.Tick();
      input.ReleaseAllKeys();
      Control<QListWidget>(dlg.Page(controller), 2027)->setCurrentRow(3);
      Control<QListWidget>(dlg.Page(controller), 2028)->setCurrentRow(controller);
    }
    tabs->setCurrentIndex(0);
    Click(Control<QPushButton>(&dlg, CQguControllerDlg::kDefaultButton));
  };

  editEveryPage(edited);
  ASSERT_NE(config.controllers, before);
  Click(Control<QPushButton>(&edited, CQguControllerDlg::kCancelButton));
  EXPECT_EQ(edited.result(), QDialog::Rejected);
  EXPECT_EQ(config.controllers, before);

  CQguControllerDlg kept(config, input);
  kept.show();
  editEveryPage(kept);
  Click(Control<QPushButton>(&kept, CQguControllerDlg::kOkButton));
  EXPECT_EQ(kept.result(), QDialog::Accepted);
  EXPECT_EQ(config.controllers[0], AppConfig::DefaultControllers()[0]);  // Default on page 0, last
  for (int controller = 1; controller < host::kControllerCount; ++controller) {
    const auto& c = config.controllers[static_cast<size_t>(controller)];
    EXPECT_EQ(c.keys[static_cast<size_t>(controller)], kKeyZ - controller) << controller;
    EXPECT_EQ(c.rapid[0], 3);
    EXPECT_EQ(c.rapid[1], controller);
  }
  EXPECT_EQ(config.controllers[3].keys[host::kButtonStart], kKeyA);
}

TEST_F(ControllerDlgTest, MicOnlyOnTheControllerTwoPageWhoseDefaultRestoresIt) {
  auto* tabs = Control<QTabWidget>(&dialog, CQguControllerDlg::kTabs);
  for (int controller = 0; controller < host::kControllerCount; ++controller) {
    EXPECT_EQ(tabs->tabText(controller), QString("Controller %1").arg(controller + 1));
    EXPECT_EQ(Box(controller, 2020) != nullptr, controller == 1) << controller;
    EXPECT_EQ(Box(controller, 2019) != nullptr, true);
  }
  EXPECT_EQ(Box(1, 2020)->text(), "M");
  EXPECT_EQ(List(0, 2027)->item(0)->text(), " 10FPS");
  EXPECT_EQ(List(0, 2028)->item(3)->text(), " 30FPS");

  SelectTab(1);
  Click(Box(1, 2020));
  input.KeyDown(kEscape);
  Tick();
  input.ReleaseAllKeys();
  List(1, 2027)->setCurrentRow(2);
  config.controllers[1].keys[host::kButtonUp + host::kSecondBinding] = kKeyA;
  config.controllers[0].keys[host::kButtonUp] = kKeyA;
  EXPECT_EQ(Box(1, 2020)->text(), "----");

  Click(Control<QPushButton>(&dialog, CQguControllerDlg::kDefaultButton));
  EXPECT_EQ(config.controllers[1], AppConfig::DefaultControllers()[1]);
  EXPECT_EQ(config.controllers[0].keys[host::kButtonUp], kKeyA) << "Default touches the shown page only";
  EXPECT_EQ(Box(1, 2020)->text(), "M");
  EXPECT_EQ(Box(1, 2010)->text(), "Num 8");
  EXPECT_EQ(List(1, 2027)->currentRow(), 0);
}

}  // namespace
}  // namespace qgu::frontend
