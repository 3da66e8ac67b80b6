#include "frontend/window/controller_dlg.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>

#include "host/input_codes.h"

namespace qgu::frontend {

// A button's binding: a sunken, centred text that starts a capture when
// clicked. While it has the keyboard focus it keeps every key but Tab to
// itself: a key held on after it was bound repeats, and a repeat of Enter or
// Escape must not press OK or Cancel (under X11 repeats do not always come
// marked as such).
class CKeyBox : public QLabel {
 public:
  CKeyBox(int id, std::function<void()> onClick, std::function<bool()> capturing)
      : onClick_(std::move(onClick)), capturing_(std::move(capturing)) {
    setObjectName(QString::number(id));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAlignment(Qt::AlignCenter);
    setMinimumSize(96, 24);
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::PointingHandCursor);
  }

  void Pulse(int grey) {
    QPalette shade = palette();
    shade.setColor(QPalette::Window, QColor(grey, grey, grey));
    shade.setColor(QPalette::WindowText, grey < 128 ? Qt::white : Qt::black);
    setPalette(shade);
    setAutoFillBackground(true);
  }

  void Unpulse() {
    setAutoFillBackground(false);
    setPalette(QPalette());
  }

 protected:
  bool event(QEvent* event) override {
    const auto type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      const bool movesFocus = key == Qt::Key_Tab || key == Qt::Key_Backtab;
      if (capturing_() || !movesFocus) {
        event->accept();
        return true;
      }
    }
    return QLabel::event(event);
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) onClick_();
    QLabel::mouseReleaseEvent(event);
  }

 private:
  std::function<void()> onClick_;
  std::function<bool()> capturing_;
};

namespace {

constexpr const char* kTitle = "Controller Configuration";
constexpr const char* kUnbound = "----";
constexpr int kEscapeCode = 1;
constexpr int kPageCount = host::kControllerCount;
constexpr int kMicController = 1;
constexpr const char* kRapidChoices[] = {" 10FPS", " 15FPS", " 20FPS", " 30FPS"};

struct ButtonCaption {
  int button;
  const char* caption;
};
// Left: the pad's cross and its two small buttons; right: the fire buttons.
constexpr ButtonCaption kPadColumn[] = {{host::kButtonUp, "UP"},         {host::kButtonDown, "DOWN"},
                                        {host::kButtonLeft, "LEFT"},     {host::kButtonRight, "RIGHT"},
                                        {host::kButtonSelect, "SELECT"}, {host::kButtonStart, "START"},
                                        {host::kButtonMic, "MIC"}};

int64_t SteadyMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QString KeyText(int code) {
  const std::string name = host::GetKeyName(code);
  return name.empty() ? QString(kUnbound) : QString::fromStdString(name);
}

// The pulse of a waiting box: dark to light and back about every 1.5 s.
int PulseGrey(int64_t elapsedMs) {
  int v = static_cast<int>((elapsedMs / 3) % 256);
  if (v > 127) v = 255 - v;
  return (2 * v) % 256;
}

QListWidget* RapidList(int id) {
  auto* list = new QListWidget;
  list->setObjectName(QString::number(id));
  for (const char* choice : kRapidChoices) list->addItem(choice);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setFixedHeight(4 * list->sizeHintForRow(0) + 2 * list->frameWidth() + 2);
  return list;
}

}  // namespace

CQguControllerDlg::CQguControllerDlg(host::AppConfig& config, host::CDirectInput& input, QWidget* parent)
    : QDialog(parent), config_(config), input_(input), saved_(config.controllers), clock_(SteadyMilliseconds) {
  BuildUi();
  ConnectSignals();
  for (int controller = 0; controller < kPageCount; ++controller) RefreshPage(controller);
  tabs_->setCurrentIndex(0);
}

CQguControllerDlg::~CQguControllerDlg() = default;

void CQguControllerDlg::BuildUi() {
  setObjectName(QString::number(kDialogId));
  setWindowTitle(kTitle);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  tabs_ = new QTabWidget;
  tabs_->setObjectName(QString::number(kTabs));
  for (int controller = 0; controller < kPageCount; ++controller) {
    QWidget* page = BuildPage(controller);
    tabs_->addTab(page, page->windowTitle());
  }

  auto* defaults = new QPushButton("Default");
  defaults->setObjectName(QString::number(kDefaultButton));
  defaults->setAutoDefault(false);
  auto* ok = new QPushButton("OK");
  ok->setObjectName(QString::number(kOkButton));
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  cancel->setObjectName(QString::number(kCancelButton));
  cancel->setAutoDefault(false);
  connect(defaults, &QPushButton::clicked, this, &CQguControllerDlg::OnDefault);
  connect(ok, &QPushButton::clicked, this, &CQguControllerDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &CQguControllerDlg::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(defaults);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addLayout(buttons);

  timer_ = new QTimer(this);
  timer_->setInterval(kTickMs);
}

QWidget* CQguControllerDlg::BuildPage(int controller) {
  PageControls& controls = pages_[static_cast<size_t>(controller)];
  auto* page = new QWidget;
  page->setObjectName(QString::number(kFirstPage + controller));
  page->setWindowTitle(QString("Controller %1").arg(controller + 1));
  controls.page = page;

  auto makeBox = [this, controller, &controls](int button) {
    auto* box = new CKeyBox(
        kFirstBox + button, [this, controller, button] { OnBoxClicked(controller, button); },
        [this] { return Capturing(); });
    controls.boxes[static_cast<size_t>(button)] = box;
    return box;
  };

  auto* pad = new QGroupBox("Pad");
  auto* padGrid = new QGridLayout(pad);
  int row = 0;
  for (const auto& [button, caption] : kPadColumn) {
    if (button == host::kButtonMic && controller != kMicController) continue;
    padGrid->addWidget(new QLabel(caption), row, 0);
    padGrid->addWidget(makeBox(button), row, 1);
    ++row;
  }
  padGrid->setRowStretch(row, 1);

  auto* fire = new QGroupBox("Buttons");
  auto* fireGrid = new QGridLayout(fire);
  fireGrid->addWidget(new QLabel("A"), 0, 0, Qt::AlignHCenter);
  fireGrid->addWidget(new QLabel("B"), 0, 1, Qt::AlignHCenter);
  fireGrid->addWidget(makeBox(host::kButtonA), 1, 0);
  fireGrid->addWidget(makeBox(host::kButtonB), 1, 1);
  fireGrid->addWidget(new QLabel("TURBO A"), 2, 0, Qt::AlignHCenter);
  fireGrid->addWidget(new QLabel("TURBO B"), 2, 1, Qt::AlignHCenter);
  fireGrid->addWidget(makeBox(host::kButtonTurboA), 3, 0);
  fireGrid->addWidget(makeBox(host::kButtonTurboB), 3, 1);
  controls.rapidA = RapidList(kRapidA);
  controls.rapidB = RapidList(kRapidB);
  fireGrid->addWidget(controls.rapidA, 4, 0);
  fireGrid->addWidget(controls.rapidB, 4, 1);
  fireGrid->setRowStretch(5, 1);

  auto* layout = new QHBoxLayout(page);
  layout->addWidget(pad);
  layout->addWidget(fire);
  return page;
}

void CQguControllerDlg::ConnectSignals() {
  connect(tabs_, &QTabWidget::currentChanged, this, &CQguControllerDlg::OnTabChanged);
  connect(timer_, &QTimer::timeout, this, &CQguControllerDlg::Tick);
  for (int controller = 0; controller < kPageCount; ++controller) {
    const PageControls& controls = pages_[static_cast<size_t>(controller)];
    // A choice is kept at once, so that moving between tabs never loses it;
    // Cancel still puts the old speeds back.
    for (QListWidget* list : {controls.rapidA, controls.rapidB}) {
      connect(list, &QListWidget::currentRowChanged, this, [this, controller] { StoreRapidChoices(controller); });
    }
  }
}

QWidget* CQguControllerDlg::Page(int controller) const {
  if (controller < 0 || controller >= kPageCount) return nullptr;
  return pages_[static_cast<size_t>(controller)].page;
}

QLabel* CQguControllerDlg::Box(int controller, int button) const {
  if (controller < 0 || controller >= kPageCount || button < 0 || button > host::kButtonMic) return nullptr;
  return pages_[static_cast<size_t>(controller)].boxes[static_cast<size_t>(button)];
}

uint16_t& CQguControllerDlg::Binding(int controller, int button) {
  return config_.controllers[static_cast<size_t>(controller)].keys[static_cast<size_t>(button)];
}

void CQguControllerDlg::ShowBinding(int controller, int button) {
  if (QLabel* box = Box(controller, button)) box->setText(KeyText(Binding(controller, button)));
}

void CQguControllerDlg::RefreshPage(int controller) {
  for (int button = 0; button <= host::kButtonMic; ++button) ShowBinding(controller, button);
  const PageControls& controls = pages_[static_cast<size_t>(controller)];
  const auto& rapid = config_.controllers[static_cast<size_t>(controller)].rapid;
  // Only the four listed speeds can be shown; anything else shows none.
  controls.rapidA->setCurrentRow(rapid[0] < 4 ? rapid[0] : -1);
  controls.rapidB->setCurrentRow(rapid[1] < 4 ? rapid[1] : -1);
}

void CQguControllerDlg::StoreRapidChoices(int controller) {
  const PageControls& controls = pages_[static_cast<size_t>(controller)];
  auto& rapid = config_.controllers[static_cast<size_t>(controller)].rapid;
  if (controls.rapidA->currentRow() >= 0) rapid[0] = static_cast<uint16_t>(controls.rapidA->currentRow());
  if (controls.rapidB->currentRow() >= 0) rapid[1] = static_cast<uint16_t>(controls.rapidB->currentRow());
}

void CQguControllerDlg::OnTabChanged(int controller) {
  EndCapture();
  if (controller >= 0) RefreshPage(controller);
}

void CQguControllerDlg::OnBoxClicked(int controller, int button) {
  if (Capturing()) return;  // one box at a time
  captureBox_ = pages_[static_cast<size_t>(controller)].boxes[static_cast<size_t>(button)];
  captureController_ = controller;
  captureButton_ = button;
  ticks_ = 0;
  timer_->start();
}

void CQguControllerDlg::Tick() {
  if (!Capturing()) return;
  if (++ticks_ == 1) captureStart_ = clock_();
  if (ticks_ > kListenTicks) {  // about three seconds: the binding stays
    EndCapture();
    return;
  }
  input_.Poll();
  if (!CaptureFrom(input_.Snapshot())) PulseCaptureBox();
}

bool CQguControllerDlg::CaptureFrom(const host::CDirectInput::State& state) {
  if (state[kEscapeCode] != 0) {
    Binding(captureController_, captureButton_) = 0;
    ShowBinding(captureController_, captureButton_);
    EndCapture();
    return true;
  }
  for (int code = kCapturedCodes - 1; code > 0; --code) {
    if (state[static_cast<size_t>(code)] == 0 || host::GetKeyName(code).empty()) continue;
    Binding(captureController_, captureButton_) = static_cast<uint16_t>(code);
    ShowBinding(captureController_, captureButton_);
    EndCapture();
    return true;
  }
  return false;
}

void CQguControllerDlg::PulseCaptureBox() { captureBox_->Pulse(PulseGrey(clock_() - captureStart_)); }

void CQguControllerDlg::EndCapture() {
  timer_->stop();
  if (captureBox_ != nullptr) captureBox_->Unpulse();
  captureBox_ = nullptr;
}

void CQguControllerDlg::OnDefault() {
  EndCapture();
  const int controller = tabs_->currentIndex();
  if (controller < 0) return;
  // Controllers 1 and 2 have built-in keys; 3 and 4 start empty.
  config_.controllers[static_cast<size_t>(controller)] =
      host::AppConfig::DefaultControllers()[static_cast<size_t>(controller)];
  RefreshPage(controller);
}

void CQguControllerDlg::accept() {
  EndCapture();
  for (int controller = 0; controller < kPageCount; ++controller) StoreRapidChoices(controller);
  QDialog::accept();
}

void CQguControllerDlg::reject() {
  EndCapture();
  config_.controllers = saved_;
  QDialog::reject();
}

}  // namespace qgu::frontend
