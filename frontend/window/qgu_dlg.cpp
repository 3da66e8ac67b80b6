#include "frontend/window/qgu_dlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "driver/box_score.h"
#include "driver/game_driver.h"
#include "driver/random_source.h"
#include "frontend/about_dlg.h"
#include "frontend/helmet_picture.h"
#include "frontend/message_box.h"
#include "frontend/single_game_dlg.h"
#include "frontend/big_helmet_ctrl.h"
#include "frontend/window/controller_dlg.h"
#include "frontend/window/game_session.h"
#include "frontend/window/program_icon.h"
#include "frontend/window/season_create_dlg.h"
#include "frontend/window/dynasty_select_dlg.h"
#include "frontend/window/dynasty_wnd.h"
#include "frontend/window/season_select_dlg.h"
#include "frontend/window/season_wnd.h"
#include "frontend/window/summary_dlg.h"
#include "frontend/window/window_driver_ui.h"
#include "frontend/window/window_placement.h"
#include "host/nes_palette.h"
#include "host/video_widget.h"
#include "league/default_league.h"
#include "league/league_folders.h"
#include "league/team_record.h"

namespace qgu::frontend {

namespace {

// The status line's notes at start.
const QString kNoSoundDeviceStatus = "No sound device: the game plays silently (Options -> Sound tries again).";
const QString kSoundOffStatus = "Sound is off (Options -> Sound).";
const QString kFirstStepsHint =
    "To play: File -> PLAY -> Single Game picks two teams; File -> PLAY -> Single Season -> Create Season "
    "makes a season.";

// Dialog 102 is 400 x 300 dialog units.
constexpr QSize kDefaultClientSize{600, 488};

// A saved window coordinate or size beyond every screen, yet far from overflowing.
constexpr int64_t kFar = 1 << 24;

std::unique_ptr<driver::IRandomSource> PlayCallingRandom(const std::optional<uint32_t>& seed) {
  if (!seed) return nullptr;
  return std::make_unique<driver::CSeededRandom>(*seed);
}

QRgb ToQRgb(const base::RgbColor& colour) { return qRgb(colour.red, colour.green, colour.blue); }

}  // namespace

CQguDlg::CQguDlg(WindowOptions options, QWidget* parent)
    : QDialog(parent),
      options_(std::move(options)),
      runtime_(options_.configFile),
      manager_(options_.image, PlayCallingRandom(options_.seed)) {
  setObjectName("102");
  // No close button: only File -> Exit ends the program.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint);
  setWindowIcon(QIcon(QPixmap::fromImage(ProgramIcon())));
  driverUi_ = std::make_unique<CWindowDriverUi>(*this);
  BuildUi();
  InitializeRuntime();
  setWindowTitle(kMainWindowTitle);
  PlaceWindow();
  EnsureLeague();
  ReportSettingsNotes();
  ReportSoundAndFirstSteps();
}

CQguDlg::~CQguDlg() {
  if (session_) session_->Stop();
  session_.reset();
  qApp->removeEventFilter(&runtime_.KeyCapture());
}

void CQguDlg::BuildUi() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  menu_ = new CMainMenu(this);
  layout->setMenuBar(menu_->Bar());
  connect(menu_, &CMainMenu::Command, this, &CQguDlg::OnCommand);

  screens_ = new QStackedLayout;
  helmets_ = new CBigHelmetCtrl(this);
  helmets_->setObjectName(QString::number(kHelmetControl));
  picture_ = new host::CVideoWidget(runtime_.Video(), this);
  picture_->setObjectName("picture");
  screens_->addWidget(helmets_);
  screens_->addWidget(picture_);
  layout->addLayout(screens_, 1);
  resize(kDefaultClientSize.width(), kDefaultClientSize.height() + menu_->Bar()->sizeHint().height());
}

void CQguDlg::InitializeRuntime() {
  initialized_ = runtime_.Initialize();
  if (!initialized_) {
    ShowMessage(nullptr, kStartupTitle, "Error initializing QGUltra !");
    QTimer::singleShot(0, this, [this] { Exit(); });
    return;
  }
  for (const std::string& problem : runtime_.DeviceProblems()) {
    ShowMessage(nullptr, host::kDeviceErrorTitle, problem);
  }
  qApp->installEventFilter(&runtime_.KeyCapture());
}

void CQguDlg::PlaceWindow() {
  const host::SettingsRect& rect = runtime_.Config().general.windowPos;
  // In 64 bits: the file may hold any four numbers.
  const int64_t width = int64_t{rect.right} - rect.left;
  const int64_t height = int64_t{rect.bottom} - rect.top;
  if (width <= 0 || height <= 0) return;
  const auto coordinate = [](int32_t value) { return static_cast<int>(std::clamp<int64_t>(value, -kFar, kFar)); };
  const auto extent = [](int64_t value) { return static_cast<int>(std::min(value, kFar)); };
  // A place saved on a screen that is gone, or a size no screen has, would
  // leave the window out of reach: keep it on a screen that exists.
  setGeometry(KeepOnScreen(QRect(coordinate(rect.left), coordinate(rect.top), extent(width), extent(height))));
  if (runtime_.Config().general.windowZoom != 0) setWindowState(windowState() | Qt::WindowMaximized);
}

void CQguDlg::EnsureLeague() {
  auto league = league::EnsureDefaultLeague(options_.base, options_.image);
  if (!league) {
    SetStatus(QString::fromStdString(league.error()));
  } else if (league.value().created) {
    SetStatus(QString::fromStdString(league.value().message));
  }
}

void CQguDlg::ReportSettingsNotes() {
  QString text = statusText_;
  for (const std::string& note : runtime_.SettingsNotes()) {
    std::fprintf(stderr, "qgu2: %s\n", note.c_str());
    if (!text.isEmpty()) text += '\n';
    text += QString::fromStdString(note);
  }
  if (text != statusText_) SetStatus(text);
}

void CQguDlg::AddStatusLine(const QString& line) { SetStatus(statusText_.isEmpty() ? line : statusText_ + '\n' + line); }

void CQguDlg::ReportSoundAndFirstSteps() {
  menu_->Action(CMainMenu::kSound)->setChecked(runtime_.SoundOn());
  if (!initialized_) return;
  if (runtime_.SoundDeviceFailed()) {
    AddStatusLine(kNoSoundDeviceStatus);
  } else if (!runtime_.SoundOn()) {
    AddStatusLine(kSoundOffStatus);
  }
  if (!runtime_.FirstGamePlayed()) AddStatusLine(kFirstStepsHint);
}

void CQguDlg::ToggleSound() {
  QAction* action = menu_->Action(CMainMenu::kSound);
  if (auto changed = runtime_.SetSoundOn(!runtime_.SoundOn()); !changed) {
    ShowMessage(this, host::kDeviceErrorTitle, changed.error());
  }
  action->setChecked(runtime_.SoundOn());
  // A game under way keeps the sound it started with.
  if (session_ && session_->Running()) {
    SetStatus(runtime_.SoundOn() ? "Sound is on from the next game." : "Sound is off from the next game.");
  } else {
    SetStatus(runtime_.SoundOn() ? QString() : kSoundOffStatus);
  }
}

void CQguDlg::SetStatus(const QString& text) {
  statusText_ = text;
  helmets_->SetStatusText(text);
}

bool CQguDlg::ShowingPicture() const { return screens_->currentWidget() == picture_; }

void CQguDlg::OnCommand(int command) {
  switch (command) {
    case CMainMenu::kSingleGame:
      EndLinks();
      if (SelectGame()) StartSingleGame();
      break;
    case CMainMenu::kHostLinkedGame: HostLinkedGame(); break;
    case CMainMenu::kJoinLinkedGame: JoinLinkedGame(); break;
    case CMainMenu::kWatchLinkedGame: WatchLinkedGame(); break;
    case CMainMenu::kSelectSeason: SelectSeason(); break;
    case CMainMenu::kCreateSeason: CreateSeason(); break;
    case CMainMenu::kMultiSeason: OpenDynasty(true); break;
    case CMainMenu::kDynasty: OpenDynasty(false); break;
    case CMainMenu::kExit: Exit(); break;
    case CMainMenu::kPause: Pause(); break;
    case CMainMenu::kResume: Resume(); break;
    case CMainMenu::kStop: Stop(); break;
    case CMainMenu::kController: Controller(); break;
    case CMainMenu::kSound: ToggleSound(); break;
    case CMainMenu::kAbout: About(); break;
    default: break;
  }
}

bool CQguDlg::SelectGame() {
  std::error_code ignored;
  const std::filesystem::path remembered = std::filesystem::current_path(ignored);
  CSingleGameDlg dialog(this, kGameProgramWeatherIds, options_.base);
  dialog.exec();
  manager_.SetHomePath(dialog.HomeTeam());
  manager_.SetAwayPath(dialog.AwayTeam());
  manager_.SetQuarterLength(std::atoi(dialog.QuarterLengthText().c_str()));
  manager_.SetControls(dialog.HomeControl(), dialog.AwayControl());
  if (!remembered.empty()) std::filesystem::current_path(remembered, ignored);
  if (dialog.HomeTeam().empty() || dialog.AwayTeam().empty()) return false;
  selectedWeather_ = dialog.WeatherChoice();
  ApplyWeather(static_cast<driver::Weather>(selectedWeather_));
  return true;
}

void CQguDlg::ApplyWeather(driver::Weather weather) {
  // Clear weather puts the console's own colours back after a rainy game.
  runtime_.Video().SetDisplayPalette(driver::WeatherPalette(weather));
}

bool CQguDlg::StartRequestedGame(const GameRequest& request) {
  manager_.SetHomePath(request.home);
  manager_.SetAwayPath(request.away);
  manager_.SetQuarterLength(request.quarterMinutes);
  manager_.SetControls(request.p1, request.p2);
  ApplyWeather(request.weather);
  nextSummarized_ = request.summarized;
  nextEnded_ = request.ended;
  return StartSingleGame();
}

void CQguDlg::SelectSeason() {
  CSeasonSelectDlg dialog(this, options_.base);
  if (dialog.exec() == QDialog::Accepted) OpenSeasonWindow(dialog.League(), dialog.SeasonName());
}

void CQguDlg::CreateSeason() {
  CSeasonCreateDlg dialog(this, options_.base);
  if (dialog.exec() == QDialog::Accepted) OpenSeasonWindow(dialog.League(), dialog.SeasonName());
}

CSeasonWnd* CQguDlg::SeasonWindow() const { return seasonWindow_.data(); }

void CQguDlg::OpenDynasty(bool multiSeason) {
  CDynastySelectDlg dialog(this, options_.base, multiSeason);
  if (dialog.exec() != QDialog::Accepted) return;
  const auto leagues = league::FindLeaguesFolder(options_.base);
  if (!leagues) return;
  if (dynastyWindow_) dynastyWindow_->close();
  dynastyWindow_ = new CDynastyWnd(this, *leagues, dialog.DynastyName(), options_.image,
                                   [this](const std::string& league, const std::string& season) {
                                     OpenSeasonWindow(league, season);
                                   });
  dynastyWindow_->setAttribute(Qt::WA_DeleteOnClose);
  dynastyWindow_->show();
}

CDynastyWnd* CQguDlg::DynastyWindow() const { return dynastyWindow_.data(); }

void CQguDlg::OpenSeasonWindow(const std::string& league, const std::string& name) {
  const auto leagues = league::FindLeaguesFolder(options_.base);
  if (!leagues) return;
  if (seasonWindow_) seasonWindow_->close();
  seasonWindow_ = new CSeasonWnd(this, *leagues / league, name, options_.image,
                                 [this](const GameRequest& request) { return StartRequestedGame(request); });
  seasonWindow_->setAttribute(Qt::WA_DeleteOnClose);
  seasonWindow_->show();
}

bool CQguDlg::StartSingleGame() {
  gameStarted_ = std::chrono::steady_clock::now();
  kickoffAt_ = {};
  StopGame();
  summarized_ = std::exchange(nextSummarized_, {});
  ended_ = std::exchange(nextEnded_, {});
  if (!manager_.PrepareGame()) {
    SetStatus(QString::fromStdString(manager_.PrepareError()));
    EndGameHooks();
    return false;
  }
  SetStatus({});
  ShowHelmets();
  if (!StartEmulation()) {
    EndGameHooks();
    return false;
  }

  if (!GameLink()) session_->StartDriver(driver::DriverGameFrom(manager_), *driverUi_, DriverThreads());
  menu_->SetState(MenuState::kPlaying);
  return true;
}

driver::CThreadedGame::Options CQguDlg::DriverThreads() {
  driver::CThreadedGame::Options threads;
  threads.postToUi = [window = QPointer<CQguDlg>(this)](std::function<void()> work) {
    QMetaObject::invokeMethod(window.data(), std::move(work), Qt::QueuedConnection);
  };
  threads.closeInteraction = [this] { CloseDriverInteraction(); };
  threads.driverEnded = [window = QPointer<CQguDlg>(this)] {
    QMetaObject::invokeMethod(
        window.data(), [window] {
          if (window) window->OnCommand(CMainMenu::kStop);
        },
        Qt::QueuedConnection);
  };
  return threads;
}

void CQguDlg::ShowHelmets() {
  // In the console's own colours, whatever the weather.
  const NesColourLookup colourOf = [palette = host::DefaultNesPalette()](int index) {
    return ToQRgb(palette[static_cast<size_t>(index & 63)]);
  };
  // A team without a helmet picture is shown in its own colours.
  auto helmetOf = [&](const std::string& recordPath, const league::TeamRecord& team) {
    QImage picture(QString::fromStdString(driver::HelmetPathFor(recordPath)));
    return picture.isNull() ? DrawHelmetPicture(team.header, colourOf) : picture;
  };
  helmets_->SetHelmetImages(helmetOf(manager_.HomePath(), manager_.HomeTeam()),
                            helmetOf(manager_.AwayPath(), manager_.AwayTeam()));
  screens_->setCurrentWidget(helmets_);
}

bool CQguDlg::StartEmulation() {
  if (session_) {
    session_->Stop();
    AddToTotals();
    session_.reset();
  }
  try {
    session_ = std::make_unique<CGameSession>(manager_.WorkingImage(), runtime_.MachineSettings(),
                                              options_.makeClock ? options_.makeClock() : nullptr);
  } catch (...) {
    session_.reset();
  }
  if (!session_) {
    ShowMessage(nullptr, kProgramTitle, "Error starting Emulation !");
    return false;
  }
  session_->Machine().SetFormationPairValue(manager_.FormationPairValue());
  session_->Machine().SetControlByte(manager_.ControlByte());
  const host::EmulatorDevices devices{&runtime_.Video(), runtime_.Sound(), &runtime_.Input(), GameLink()};
  auto notice = [window = QPointer<CQguDlg>(this)](const std::string& text) {
    QMetaObject::invokeMethod(
        window.data(), [window, text] {
          if (window && window->GameLink()) {
            window->LinkNotice(text);
          } else if (window && window->session_ && window->session_->Running()) {
            // Not after the game has stopped: a linked game's closing link,
            // told just before the stop, is no news over an idle window.
            ShowMessage(window, kProgramTitle, text);
          }
        },
        Qt::QueuedConnection);
  };
  driver::DriverGame linked = driver::DriverGameFrom(manager_);
  int64_t firstFrame = 0;
  if (GameLink() && !PrepareLinkedStart(linked, firstFrame)) return false;
  if (link_) CheckLinkedState();
  // Linked: the driver first, so both programs' drivers act at the same frames.
  if (GameLink()) session_->StartDriver(std::move(linked), *driverUi_, DriverThreads());
  if (!session_->StartEmulation(devices, runtime_.Pacing(), notice, firstFrame)) {
    ShowMessage(nullptr, kProgramTitle, "Error starting Emulation !");
    return false;
  }
  return true;
}

void CQguDlg::StopGame() {
  if (session_ && session_->Running()) session_->Stop();
  menu_->SetState(MenuState::kIdle);
  EndGameHooks();
}

void CQguDlg::EndGameHooks() {
  summarized_ = nullptr;
  if (auto ended = std::exchange(ended_, {})) ended();
}

void CQguDlg::Pause() {
  if (!session_ || !session_->Running()) return;
  session_->Pause();
  menu_->SetState(MenuState::kPaused);
}

void CQguDlg::Resume() {
  if (!session_ || !session_->Running()) return;
  session_->Resume();
  menu_->SetState(MenuState::kPlaying);
}

void CQguDlg::Stop() {
  StopGame();
  EndLinks();
  helmets_->ClearHelmets();
  screens_->setCurrentWidget(helmets_);
  update();
  if (options_.exitAfterGame) Exit();
}

void CQguDlg::Controller() {
  if (session_ && session_->Running()) session_->Pause();
  CQguControllerDlg dialog(runtime_.Config(), runtime_.Input(), this);
  dialog.exec();
  runtime_.Input().SetBindings(runtime_.Config().controllers);
  if (session_ && session_->Running()) session_->Resume();
}

void CQguDlg::About() {
  CAboutDlg about(this);
  about.exec();
}

void CQguDlg::Exit(bool quietly) {
  if (session_ && session_->Running()) StopGame();
  if (session_) {
    AddToTotals();
    session_.reset();
  }
  const QRect placed = isMaximized() ? normalGeometry() : geometry();
  runtime_.Config().general.windowPos = {placed.left(), placed.top(), placed.left() + placed.width(),
                                         placed.top() + placed.height()};
  if (auto saved = runtime_.SaveConfig(); !saved) {
    std::fprintf(stderr, "qgu2: %s\n", saved.error().c_str());
    // Ended by a signal, nobody may be there to answer a message box.
    if (!quietly) ShowMessage(this, kProgramTitle, "The settings could not be saved: " + saved.error());
  }
  exiting_ = true;
  done(QDialog::Accepted);
  emit Exited();
}

void CQguDlg::AddToTotals() {
  const host::RuntimeCounters counters = session_->Counters();
  totals_.framesEmulated += counters.framesEmulated;
  totals_.framesDrawn += counters.framesDrawn;
  totals_.framesSkipped += counters.framesSkipped;
  totals_.resyncs += counters.resyncs;
  totals_.soundBlocksWritten += counters.soundBlocksWritten;
  totals_.linkFramesHeld += counters.linkFramesHeld;
  totals_.linkHeldMs += counters.linkHeldMs;
  totals_.soundBlocksMissed = counters.soundBlocksMissed;  // the sound output counts for the process
  totals_.fpsTenths = counters.fpsTenths;
  totalSeconds_ += session_->RunningSeconds();
}

host::RuntimeCounters CQguDlg::TotalCounters() const { return totals_; }
double CQguDlg::TotalRunningSeconds() const { return totalSeconds_; }

void CQguDlg::ShowDriverStatus(const QString& text) { SetStatus(text); }

void CQguDlg::EndBoot() {
  linkBootDone_ = true;
  kickoffAt_ = std::chrono::steady_clock::now();
  bootSeconds_ = std::chrono::duration<double>(kickoffAt_ - gameStarted_).count();
  kickoffFrames_ = session_ ? session_->Counters().framesEmulated : 0;
  SetStatus({});
  helmets_->ClearHelmets();
  screens_->setCurrentWidget(picture_);
}

void CQguDlg::ShowSummary(const driver::GameSummary& summary) {
  lastSummary_ = summary;
  runtime_.MarkFirstGamePlayed();
  if (session_ && kickoffAt_ != std::chrono::steady_clock::time_point{}) {
    playPace_ = {session_->Counters().framesEmulated - kickoffFrames_,
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - kickoffAt_).count()};
  }
  host::IFrameInputLink* link = GameLink();
  linkReadout_ = link != nullptr ? link->StatusText(false) : std::string();
  host::CRollbackLink* rollback = link != nullptr ? link->Rollback() : nullptr;
  rollbackCounters_ = rollback != nullptr ? std::optional(rollback->Counters()) : std::nullopt;
  if (auto summarized = std::exchange(summarized_, {})) summarized(summary);
  if (options_.summaryShown) options_.summaryShown(summary);
  if (options_.exitAfterGame) {
    const std::string text = driver::BoxScoreText(summary);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  }
  CSummaryDlg dialog(this, summary);
  summary_ = &dialog;
  if (options_.exitAfterGame) QTimer::singleShot(options_.summaryMs, &dialog, &QDialog::accept);
  dialog.exec();
  summary_ = nullptr;
}

void CQguDlg::ShowDriverMessage(const std::string& title, const std::string& text) {
  ShowMessage(this, title, text);
}

void CQguDlg::CloseDriverInteraction() {
  if (summary_) summary_->reject();
  // A driver's message box still open goes with the game.
  if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box && box->parent() == this) {
    box->reject();
  }
}

void CQguDlg::keyPressEvent(QKeyEvent* event) {
  // Keys belong to the game: F1, Enter and Escape neither help, press nor close.
  event->accept();
}

void CQguDlg::reject() {
  if (exiting_) QDialog::reject();
}

void CQguDlg::closeEvent(QCloseEvent* event) {
  if (exiting_) {
    QDialog::closeEvent(event);
  } else {
    event->ignore();
  }
}

}  // namespace qgu::frontend
