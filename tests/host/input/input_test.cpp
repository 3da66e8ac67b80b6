// The input state: key names and joystick codes as the controller dialog
// shows them, the axis threshold and masks, pad buttons from two bindings,
// and joysticks coming and going between polls.

#include <gtest/gtest.h>

#include <QKeyEvent>

#include "core/controller_ports.h"
#include "host/direct_input.h"
#include "host/key_events.h"

namespace qgu::host {
namespace {

TEST(KeyNames, TableAndJoystickCodes) {
  const std::pair<int, std::string> cases[] = {
      {0x01, "ESC"},         {0x0B, "0"},          {0x1C, "Enter"},      {0x2B, "\\"},
      {0x39, "Space"},       {0x44, "F10"},        {0x53, "Num ."},      {0x58, "F12"},
      {0x66, "F15"},         {0x79, "\u5909\u63db"}, {0x7B, "\u7121\u5909\u63db"}, {0x7D, "\\"},
      {0x9C, "Num Enter"},   {0xC8, "Up"},         {0xDD, "AppMenu"},
      {0, ""},               {0x3A, ""},           {0x45, ""},           {0x54, ""},  {0xFF, ""},
      {JoystickAxisCode(0, kAxisX, true), "J:0 X+"},
      {JoystickAxisCode(3, kAxisRz, false), "J:3 RZ-"},
      {JoystickButtonCode(15, 0), "J:15 B:00"},
      {JoystickButtonCode(2, 31), "J:2 B:31"},
      {kJoystickCodeBase + 12, ""},         {kJoystickCodeBase + 15, ""},
      {kJoystickCodeBase + 48, ""},         {kJoystickCodeBase + 63, ""},
      {kInputStateBytes, ""},               {-1, ""},
  };
  for (const auto& [code, name] : cases) EXPECT_EQ(GetKeyName(code), name) << "code " << code;
  int named = 0;
  for (int code = 1; code < kKeyboardCodes; ++code) named += GetKeyName(code).empty() ? 0 : 1;
  EXPECT_EQ(named, 114);  // every name of the table
}

TEST(KeyNames, LinuxKeyCodesBecomeScanCodes) {
  const std::pair<int, int> cases[] = {{1, 0x01}, {30, 0x1E}, {88, 0x58}, {103, 0xC8}, {108, 0xD0},
                                       {105, 0xCB}, {106, 0xCD}, {96, 0x9C}, {97, 0x9D}, {0, 0}, {89, 0}, {400, 0}};
  for (const auto& [evdev, scan] : cases) EXPECT_EQ(ScanCodeFromEvdev(evdev), scan) << "evdev " << evdev;
}

class ScriptedJoysticks final : public IJoystickSource {
 public:
  int Read(std::span<JoystickReading> readings) override {
    const size_t count = std::min(readings.size(), attached.size());
    std::copy_n(attached.begin(), count, readings.begin());
    return static_cast<int>(count);
  }
  std::vector<JoystickReading> attached;
};

TEST(DirectInput, AxesAtTheThresholdAreInactiveAndMaskedAxesNeverPress) {
  auto source = std::make_unique<ScriptedJoysticks>();
  ScriptedJoysticks& joysticks = *source;
  CDirectInput input;
  input.Initialize(std::move(source));
  JoystickReading reading;
  reading.axes = {8000, -8000, 8001, -8001, 10000, -10000};
  reading.buttons = 0x80000001u;
  joysticks.attached = {reading, reading};
  std::array<uint16_t, kMaxJoysticks> masks{};
  masks[1] = 0x3C;  // only X and Y on the second joystick
  input.SetJoyAxisSettings(masks);
  input.Poll();

  EXPECT_FALSE(input.IsActive(JoystickAxisCode(0, kAxisX, true)));
  EXPECT_FALSE(input.IsActive(JoystickAxisCode(0, kAxisY, false)));
  EXPECT_TRUE(input.IsActive(JoystickAxisCode(0, kAxisZ, true)));
  EXPECT_TRUE(input.IsActive(JoystickAxisCode(0, kAxisRx, false)));
  EXPECT_TRUE(input.IsActive(JoystickAxisCode(0, kAxisRy, true)));
  EXPECT_FALSE(input.IsActive(JoystickAxisCode(0, kAxisRy, false)));
  EXPECT_TRUE(input.IsActive(JoystickButtonCode(0, 0)));
  EXPECT_TRUE(input.IsActive(JoystickButtonCode(0, 31)));
  EXPECT_FALSE(input.IsActive(JoystickButtonCode(0, 1)));
  EXPECT_FALSE(input.IsActive(JoystickAxisCode(1, kAxisZ, true)));  // masked
  EXPECT_TRUE(input.IsActive(JoystickButtonCode(1, 31)));           // buttons are never masked
  EXPECT_EQ(ScaleAxis(32767), 10000);
  EXPECT_EQ(ScaleAxis(-32768), -10000);
  EXPECT_EQ(ScaleAxis(0), 0);

  // Twenty joysticks: the last four are ignored. Then all pulled out.
  joysticks.attached.assign(20, reading);
  input.Poll();
  EXPECT_EQ(input.JoystickCount(), kMaxJoysticks);
  EXPECT_TRUE(input.IsActive(JoystickButtonCode(15, 0)));
  joysticks.attached.clear();
  input.Poll();
  EXPECT_EQ(input.JoystickCount(), 0);
  const CDirectInput::State state = input.Snapshot();
  EXPECT_TRUE(std::all_of(state.begin(), state.end(), [](uint8_t b) { return b == 0; }));
}

TEST(DirectInput, PadButtonsComeFromEitherBindingAsOfTheLastPoll) {
  CDirectInput input;
  input.Initialize(nullptr);
  auto controllers = AppConfig::DefaultControllers();
  controllers[0].keys[core::kHostStart + kSecondBinding] = 0x39;  // Space as a second Start
  input.KeyDown(0xC8);  // Up, controller 1
  input.KeyDown(0x39);
  input.KeyDown(0x32);  // M: controller 2's microphone
  input.KeyDown(0);     // unbound codes are never down
  input.KeyDown(300);
  EXPECT_EQ(input.PadButtons(controllers)[0], 0);  // not polled yet
  input.Poll();
  auto pads = input.PadButtons(controllers);
  EXPECT_EQ(pads[0], (1 << core::kHostUp) | (1 << core::kHostStart));
  EXPECT_EQ(pads[1], 1 << core::kHostMic);
  EXPECT_EQ(pads[2], 0);
  input.ReleaseAllKeys();
  input.Poll();
  pads = input.PadButtons(controllers);
  EXPECT_EQ(pads[0] | pads[1], 0);
}

TEST(KeyEvents, CaptureFeedsTheInputAndLetsGoWhenTheProgramLosesTheKeyboard) {
  CDirectInput input;
  input.Initialize(nullptr);
  CKeyboardCapture capture(input);
  QObject target;
  QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier);
  QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier);
  EXPECT_FALSE(capture.eventFilter(&target, &press));
  capture.eventFilter(&target, &left);
  input.Poll();
  EXPECT_TRUE(input.IsActive(0x2D));
  EXPECT_TRUE(input.IsActive(0xCB));
  capture.eventFilter(&target, &release);
  input.Poll();
  EXPECT_FALSE(input.IsActive(0x2D));
  QEvent deactivate(QEvent::ApplicationDeactivate);
  capture.eventFilter(&target, &deactivate);
  input.Poll();
  EXPECT_FALSE(input.IsActive(0xCB));
}

}  // namespace
}  // namespace qgu::host
