#pragma once
// CQguControllerDlg, "Controller Configuration" (dialog 132): binds keys and
// gamepad inputs to the buttons of the four pads and picks the turbo speeds.
// It edits the settings record's controllers in place; Cancel (or closing the
// window) puts back what they were when the dialog opened.
//
// A click on a button's box listens for about three seconds (60 ticks of
// 50 ms): Escape clears the binding, any named key or gamepad input becomes
// it (the highest code when several are down), and while nothing is pressed
// the box pulses grey. Keys typed into a box (the last one clicked) never
// reach the dialog's buttons, so a held Enter or Escape cannot close it.
//
// The window polls the same CDirectInput the game uses; open the dialog only
// while no game runs or the game is paused, then hand the new bindings to the
// input (SetBindings).

#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>

#include "host/app_config.h"
#include "host/direct_input.h"

class QLabel;
class QListWidget;
class QTabWidget;
class QTimer;

namespace qgu::frontend {

class CKeyBox;

class CQguControllerDlg : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int {
    kDialogId = 132,
    kOkButton = 1,
    kCancelButton = 2,
    kTabs = 1000,
    kDefaultButton = 1001,
    kFirstPage = 2006,  // pages 2006..2009, one per controller
    kFirstBox = 2010,   // 2010 + button index (Up .. START, 2020 "MIC")
    kMicBox = 2020,
    kRapidA = 2027,
    kRapidB = 2028,
  };
  static constexpr int kTickMs = 50;
  static constexpr int kListenTicks = 60;
  // Codes a capture looks at: the keyboard and the first four gamepads.
  static constexpr int kCapturedCodes = 512;

  // Milliseconds on any steady clock; tests drive their own.
  using Clock = std::function<int64_t()>;

  CQguControllerDlg(host::AppConfig& config, host::CDirectInput& input, QWidget* parent = nullptr);
  ~CQguControllerDlg() override;

  void SetClock(Clock clock) { clock_ = std::move(clock); }

  // The page of a controller (0..3) and its box for a button (nullptr where
  // the page has none, such as "MIC" off the controller 2 page).
  QWidget* Page(int controller) const;
  QLabel* Box(int controller, int button) const;
  bool Capturing() const { return captureBox_ != nullptr; }

  // Cancel's restore on every way out that is not OK.
  void reject() override;
  void accept() override;

 public slots:
  // One 50 ms step of a running capture (the timer's; tests call it).
  void Tick();

 private:
  struct PageControls {
    QWidget* page = nullptr;
    std::array<CKeyBox*, host::kButtonMic + 1> boxes{};
    QListWidget* rapidA = nullptr;
    QListWidget* rapidB = nullptr;
  };

  void BuildUi();
  QWidget* BuildPage(int controller);
  void ConnectSignals();

  void RefreshPage(int controller);
  void ShowBinding(int controller, int button);
  void OnTabChanged(int controller);
  void OnBoxClicked(int controller, int button);
  void OnDefault();
  void StoreRapidChoices(int controller);

  void EndCapture();
  bool CaptureFrom(const host::CDirectInput::State& state);
  void PulseCaptureBox();
  uint16_t& Binding(int controller, int button);

  host::AppConfig& config_;
  host::CDirectInput& input_;
  const std::array<host::AppConfig::Controller, host::kControllerCount> saved_;
  Clock clock_;

  QTabWidget* tabs_ = nullptr;
  std::array<PageControls, host::kControllerCount> pages_{};
  QTimer* timer_ = nullptr;

  CKeyBox* captureBox_ = nullptr;
  int captureController_ = 0;
  int captureButton_ = 0;
  int ticks_ = 0;
  int64_t captureStart_ = 0;
};

}  // namespace qgu::frontend
