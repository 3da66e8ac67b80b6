#include "toolserver/main_menu_dlg.h"

#include <QFont>
#include <QPainter>
#include <QPushButton>
#include <filesystem>
#include <system_error>

#include "frontend/message_box.h"
#include "toolserver/com/bstr.h"
#include "toolserver/dialog_ids.h"
#include "toolserver/media_files.h"
#include "toolserver/menu_pictures.h"
#include "frontend/picture_button/picture_button.h"
#include "frontend/picture_button/wave_player.h"

namespace qgu::toolserver {
namespace {

constexpr WindowsColour kKeyColour = 0xFF00FF;
constexpr WindowsColour kLitCaption = 0x00FFFF;     // yellow
constexpr WindowsColour kNormalCaption = 0x0000FF;  // red
constexpr WindowsColour kPlainCaption = 0x000000;
constexpr QSize kWindowSizeWithoutPicture{640, 480};

// One animation step: up to two buttons hidden, or one shown (perhaps disabled).
struct MenuStep {
  int hideFirst = 0;
  int hideSecond = 0;
  int show = 0;
  bool showDisabled = false;
};
using Choreography = std::array<MenuStep, CMainMenuDlg::kAnimationSteps>;

using D = CMainMenuDlg;
constexpr Choreography kToPlaySet = {{
    {D::kPlay, 0, 0, false},
    {D::kManage, 0, 0, false},
    {D::kExit, 0, 0, false},
    {0, 0, D::kBack, false},
    {0, 0, D::kDynasty, true},
    {0, 0, D::kMultiSeason, true},
    {0, 0, D::kSingleSeason, true},
    {0, 0, D::kSingleGame, false},
}};
constexpr Choreography kToManageSet = {{
    {D::kPlay, 0, 0, false},
    {D::kManage, 0, 0, false},
    {D::kExit, 0, 0, false},
    {0, 0, D::kBack, false},
    {0, 0, D::kEditTeams, false},
    {0, 0, D::kImportTeams, false},
    {0, 0, D::kEditLeague, true},
    {0, 0, D::kNewLeague, true},
}};
constexpr Choreography kToMainSet = {{
    {D::kNewLeague, D::kSingleGame, 0, false},
    {D::kEditLeague, D::kSingleSeason, 0, false},
    {D::kImportTeams, D::kMultiSeason, 0, false},
    {D::kEditTeams, D::kDynasty, 0, false},
    {D::kBack, 0, 0, false},
    {0, 0, D::kExit, false},
    {0, 0, D::kManage, false},
    {0, 0, D::kPlay, false},
}};

const Choreography& ChoreographyOf(int animation) {
  switch (animation) {
    case D::kToPlaySet: return kToPlaySet;
    case D::kToManageSet: return kToManageSet;
    default: return kToMainSet;
  }
}

// Where the buttons stand: one column of slots on the right of the picture.
constexpr int kColumnLeft = 392;
constexpr int kFirstSlotTop = 176;
constexpr int kSlotHeight = 42;
QPoint Slot(int index) { return {kColumnLeft, kFirstSlotTop + index * kSlotHeight}; }
QPoint SmallSlot(int index) { return Slot(index) + QPoint(55, 3); }

std::string TextOf(com::BSTR text) { return com::Utf8(std::u16string_view(text, com::BstrLength(text))); }

// Keeps the working folder as it was around a call that may change it.
class WorkingFolderKeeper {
 public:
  WorkingFolderKeeper() { saved_ = std::filesystem::current_path(error_); }
  ~WorkingFolderKeeper() {
    if (!error_) std::filesystem::current_path(saved_, error_);
  }
  const std::filesystem::path& Folder() const { return saved_; }

 private:
  std::error_code error_;
  std::filesystem::path saved_;
};

}  // namespace

CMainMenuDlg::CMainMenuDlg(com::IQuoziHelper& helper, QWidget* owner) : QDialog(owner), helper_(helper) {
  BuildUi();
  ConnectSignals();
  StartMusic();
}

CMainMenuDlg::~CMainMenuDlg() { StopMusic(); }

void CMainMenuDlg::BuildUi() {
  setWindowTitle("Quozi Gridcrown ULTRA");
  QFont captionFont("Arial Black", 8);
  captionFont.setWeight(QFont::Black);
  setFont(captionFont);
  if (const auto picture = FindMediaFile(kMainMenuPicture)) background_.load(QString::fromStdString(picture->string()));
  setFixedSize(background_.isNull() ? kWindowSizeWithoutPicture : background_.size());

  RegisterMenuPictures();
  AddMenuButton(kPlay, "P L A Y", false, Slot(0));
  AddMenuButton(kManage, "M A N A G E", false, Slot(1));
  AddMenuButton(kExit, "E x i t", true, SmallSlot(2));
  AddMenuButton(kSingleGame, "S I N G L E  G A M E", false, Slot(0));
  AddMenuButton(kSingleSeason, "S I N G L E  S E A S O N", false, Slot(1));
  AddMenuButton(kMultiSeason, "M U L T I  S E A S O N", false, Slot(2));
  AddMenuButton(kDynasty, "D Y N A S T Y", false, Slot(3));
  AddMenuButton(kImportTeams, "I M P O R T  T E A M S", false, Slot(0));
  AddMenuButton(kEditTeams, "E D I T  T E A M S", false, Slot(1));
  AddMenuButton(kEditLeague, "E D I T  L E A G U E", false, Slot(2));
  AddMenuButton(kNewLeague, "N E W  L E A G U E", false, Slot(3));
  AddMenuButton(kBack, "B a c k", true, SmallSlot(4));
  for (int hidden : {kSingleGame, kSingleSeason, kMultiSeason, kDynasty, kImportTeams, kEditTeams, kEditLeague,
                     kNewLeague, kBack}) {
    buttons_[hidden]->hide();
  }

  auto* music = new CPictureButton(this);
  SetControlId(music, kMusic);
  music->SetPictures(kMusicPicture, kKeyColour, kMusicPicture, kKeyColour);
  music->SetTransparent(false);
  music->SetBorder(false, false);
  music->move(8, 8);
  music->SizeToContent();
  music->setFocusPolicy(Qt::NoFocus);
  buttons_[kMusic] = music;

  auto* about = new QPushButton("About ...", this);
  SetControlId(about, kAbout);
  about->setFont(QFont());
  about->adjustSize();
  about->move(12, height() - about->height() - 12);
  buttons_[kAbout] = about;

  animationClock_.setInterval(kAnimationStepMs);
}

CPictureButton* CMainMenuDlg::AddMenuButton(int id, const char* caption, bool small, QPoint at) {
  auto* button = new CPictureButton(caption, this);
  SetControlId(button, id);
  button->SetTransparent(false);
  if (small) {
    button->SetPictures(id == kExit ? kExitPlatePicture : kBackPlatePicture, kKeyColour);
  } else {
    button->SetPictures(kPlatePicture, kKeyColour, kLitPlatePicture, kKeyColour);
  }
  button->SetLayout(kCaptionOverPicture, false);
  button->SetPressedStyle(kPressedDown, false);
  button->SetBorder(false, false);
  button->SetColour(kLitText, kLitCaption, false);
  button->SetColour(kNormalText, small ? kPlainCaption : kNormalCaption, false);
  button->SetColour(kFocusText, small ? kPlainCaption : kNormalCaption, false);
  button->move(at);
  button->SizeToContent();
  button->setFocusPolicy(Qt::NoFocus);
  buttons_[id] = button;
  return button;
}

void CMainMenuDlg::ConnectSignals() {
  const auto on = [this](int id, auto handler) { connect(buttons_[id], &QPushButton::clicked, this, handler); };
  on(kPlay, [this] { StartAnimation(kToPlaySet); });
  on(kManage, [this] { StartAnimation(kToManageSet); });
  on(kBack, [this] { StartAnimation(kToMainSet); });
  on(kExit, [this] { Exit(); });
  on(kSingleGame, [this] { SingleGame(); });
  on(kImportTeams, [this] { ImportOrEdit(true); });
  on(kEditTeams, [this] { ImportOrEdit(false); });
  on(kAbout, [this] { About(); });
  on(kMusic, [this] { ToggleMusic(); });
  connect(&animationClock_, &QTimer::timeout, this, &CMainMenuDlg::AnimationTick);
}

void CMainMenuDlg::StartAnimation(int animation) {
  // One animation at a time: the buttons that start another are hidden by its first steps anyway.
  if (animation_ != kNoAnimation) return;
  animation_ = animation;
  step_ = 0;
  animationClock_.start();
}

void CMainMenuDlg::AnimationTick() {
  if (animation_ == kNoAnimation) return;
  if (step_ >= kAnimationSteps) {
    animationClock_.stop();
    animation_ = kNoAnimation;
    step_ = 0;
    return;
  }
  const MenuStep& step = ChoreographyOf(animation_)[static_cast<size_t>(step_)];
  for (int id : {step.hideFirst, step.hideSecond}) {
    if (id != 0) buttons_[id]->hide();
  }
  if (step.show != 0) {
    buttons_[step.show]->setEnabled(!step.showDisabled);
    buttons_[step.show]->show();
  }
  ++step_;
}

void CMainMenuDlg::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  if (background_.isNull()) {
    painter.fillRect(rect(), QColor(12, 16, 32));
  } else {
    painter.drawImage(0, 0, background_);
  }
}

void CMainMenuDlg::Exit() {
  selection_ = -1;
  StopMusic();
  QDialog::reject();
}

void CMainMenuDlg::reject() { Exit(); }

void CMainMenuDlg::CallFailed() {
  frontend::ShowMessage(this, std::string(kHelperErrorTitle), std::string(kHelperErrorMessage));
  selection_ = 0;
}

void CMainMenuDlg::SingleGame() {
  WorkingFolderKeeper keeper;
  com::BSTR home = nullptr;
  com::BSTR away = nullptr;
  int32_t quarter = 0, homeControl = 0, awayControl = 0, weather = 0;
  const com::HRESULT result = helper_.SelectTeams(&home, &away, &quarter, &homeControl, &awayControl, &weather);
  if (com::Failed(result)) {
    CallFailed();
    return;
  }
  game_ = GameChoice{TextOf(home), TextOf(away), quarter, homeControl, awayControl, weather};
  com::FreeBstr(home);
  com::FreeBstr(away);
  if (game_.home.empty() || game_.away.empty()) return;
  selection_ = 1;
  StopMusic();
  accept();
}

void CMainMenuDlg::ImportOrEdit(bool import) {
  StopMusic();
  {
    WorkingFolderKeeper keeper;
    com::BSTR folder = com::AllocBstrUtf8(keeper.Folder().string());
    const com::HRESULT result = import ? helper_.ImportRom(folder) : helper_.EditTeams(folder);
    com::FreeBstr(folder);
    if (com::Failed(result)) CallFailed();
  }
  if (musicOn_) StartMusic();
}

void CMainMenuDlg::About() {
  StopMusic();
  if (com::Failed(helper_.ShowAbout())) CallFailed();
  if (musicOn_) StartMusic();
}

void CMainMenuDlg::ToggleMusic() {
  if (!musicOn_) {
    StartMusic();
    musicOn_ = true;
  } else {
    StopMusic();
    musicOn_ = false;
  }
}

void CMainMenuDlg::StartMusic() {
  if (const auto music = FindMediaFile(kMainMenuMusic)) WavePlayer().Play(WaveRequest{*music, true});
}

void CMainMenuDlg::StopMusic() { WavePlayer().StopAll(); }

}  // namespace qgu::toolserver
