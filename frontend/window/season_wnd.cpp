#include "frontend/window/season_wnd.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <thread>

#include "frontend/message_box.h"
#include "frontend/window/season_sim.h"
#include "frontend/window/season_tabs.h"
#include "frontend/window/season_texts.h"
#include "frontend/window/summary_dlg.h"

namespace qgu::frontend {
namespace {

// The tables are read again at most this often while games come in.
constexpr qint64 kRefreshEveryMs = 400;

QString Id(int id) { return QString::number(id); }

QTreeWidget* Table(int id) {
  auto* tree = new QTreeWidget;
  tree->setObjectName(Id(id));
  tree->setAlternatingRowColors(true);
  return tree;
}

QPushButton* Button(const QString& text, int id) {
  auto* button = new QPushButton(text);
  button->setObjectName(Id(id));
  button->setAutoDefault(false);
  return button;
}

int Cores() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

// The season's name of the team whose record file this is.
QString TeamOfFile(const season::Season& season, const std::filesystem::path& file) {
  const std::string wanted = file.filename().string();
  for (const season::SeasonTeam& team : season.definition.teams) {
    if (team.file == wanted) return QString::fromStdString(team.name);
  }
  return QString::fromStdString(wanted);
}

QString TimeLeft(double seconds) {
  const int whole = static_cast<int>(seconds + 0.5);
  return QString("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QChar('0'));
}

}  // namespace

CSeasonWnd::CSeasonWnd(QWidget* owner, std::filesystem::path leagueFolder, std::string name,
                       std::span<const uint8_t> image, SeasonGameStarter startGame)
    : QDialog(owner),
      leagueFolder_(std::move(leagueFolder)),
      name_(std::move(name)),
      image_(image),
      startGame_(std::move(startGame)),
      sim_(new CSeasonSim(this)) {
  setObjectName("242");
  setWindowFlags(Qt::Window);
  setWindowTitle(QString("Season %1 - %2")
                     .arg(QString::fromStdString(name_), QString::fromStdString(leagueFolder_.filename().string())));
  connect(sim_, &CSeasonSim::Progress, this, &CSeasonWnd::OnProgress);
  connect(sim_, &CSeasonSim::Finished, this, &CSeasonWnd::OnFinished);
  BuildUi();
  Refresh();
}

CSeasonWnd::~CSeasonWnd() {
  // The sim object goes with the window; it cancels and waits for its games.
  sim_->Cancel();
  sim_->Wait();
}

void CSeasonWnd::BuildUi() {
  tabs_ = new QTabWidget;
  tabs_->setObjectName(Id(kTabs));
  schedule_ = Table(kScheduleTree);
  standings_ = Table(kStandingsTree);
  leaders_ = Table(kLeadersTree);
  playoffs_ = Table(kPlayoffsTree);
  champion_ = new QLabel;
  champion_->setObjectName(Id(kChampionLabel));
  QFont bold = champion_->font();
  bold.setBold(true);
  champion_->setFont(bold);
  auto* playoffsPage = new QWidget;
  auto* playoffsLayout = new QVBoxLayout(playoffsPage);
  playoffsLayout->addWidget(champion_);
  playoffsLayout->addWidget(playoffs_, 1);
  tabs_->addTab(schedule_, "Schedule");
  tabs_->addTab(standings_, "Standings");
  tabs_->addTab(leaders_, "Leaders");
  tabs_->addTab(playoffsPage, "Playoffs");
  connect(schedule_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { ShowBoxScore(item); });
  connect(playoffs_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { ShowBoxScore(item); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_, 1);
  layout->addWidget(BuildButtons());
  resize(860, 560);
}

QWidget* CSeasonWnd::BuildButtons() {
  playNext_ = Button("Play my next game", kPlayNextButton);
  simWeek_ = Button("Sim week", kSimWeekButton);
  simRegular_ = Button("Sim regular season", kSimRegularButton);
  simPlayoffs_ = Button("Sim playoffs", kSimPlayoffsButton);
  simUser_ = new QCheckBox("Sims play my teams' games too");
  simUser_->setObjectName(Id(kSimUserCheck));
  progress_ = new QProgressBar;
  progress_->setObjectName(Id(kProgressBar));
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setFormat("no games under way");
  cancel_ = Button("Cancel", kCancelButton);
  status_ = new QLabel;
  status_->setObjectName(Id(kStatusLabel));
  status_->setWordWrap(true);

  connect(playNext_, &QPushButton::clicked, this, &CSeasonWnd::PlayNextGame);
  connect(simWeek_, &QPushButton::clicked, this, [this] { Sim(season::PlayScope::kWeek); });
  connect(simRegular_, &QPushButton::clicked, this, [this] { Sim(season::PlayScope::kRegular); });
  connect(simPlayoffs_, &QPushButton::clicked, this, [this] { Sim(season::PlayScope::kPlayoffs); });
  connect(cancel_, &QPushButton::clicked, this, &CSeasonWnd::CancelSim);

  auto* panel = new QWidget;
  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(0, 0, 0, 0);
  for (QWidget* button : {static_cast<QWidget*>(playNext_), static_cast<QWidget*>(simWeek_),
                          static_cast<QWidget*>(simRegular_), static_cast<QWidget*>(simPlayoffs_)}) {
    buttons->addWidget(button);
  }
  buttons->addWidget(simUser_);
  buttons->addStretch();
  auto* running = new QHBoxLayout;
  running->setContentsMargins(0, 0, 0, 0);
  running->addWidget(progress_, 1);
  running->addWidget(cancel_);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(buttons);
  layout->addLayout(running);
  layout->addWidget(status_);
  UpdateButtons();
  return panel;
}

bool CSeasonWnd::Simulating() const { return sim_->Running(); }
QString CSeasonWnd::StatusText() const { return status_->text(); }
void CSeasonWnd::SetStatus(const QString& text) { status_->setText(text); }

void CSeasonWnd::UpdateButtons() {
  const bool idle = !sim_->Running() && pendingGame_ == 0 && season_.has_value();
  for (QPushButton* button : {playNext_, simWeek_, simRegular_, simPlayoffs_}) button->setEnabled(idle);
  simUser_->setEnabled(!sim_->Running());
  cancel_->setEnabled(sim_->Running());
}

bool CSeasonWnd::Refresh() {
  lastRefresh_ = QDateTime::currentMSecsSinceEpoch();
  auto opened = season::OpenSeason(leagueFolder_, name_);
  if (!opened) {
    season_.reset();
    SetStatus(QString::fromStdString(opened.error()));
    UpdateButtons();
    return false;
  }
  season_ = std::move(opened).value();
  if (!season_->notices.empty() && !sim_->Running()) SetStatus(QString::fromStdString(season_->notices.back()));
  // Keep each table where the person scrolled it.
  auto refill = [this](QTreeWidget* tree, auto fill) {
    const int scrolled = tree->verticalScrollBar()->value();
    fill(tree, *season_);
    tree->verticalScrollBar()->setValue(scrolled);
  };
  refill(schedule_, FillSchedule);
  refill(standings_, FillStandings);
  refill(leaders_, FillLeaders);
  const int scrolled = playoffs_->verticalScrollBar()->value();
  champion_->setText(FillPlayoffs(playoffs_, *season_));
  playoffs_->verticalScrollBar()->setValue(scrolled);
  UpdateButtons();
  return true;
}

int CSeasonWnd::CurrentWeek() const {
  for (const season::WeekView& week : season::Schedule(*season_)) {
    for (const season::GameView& game : week.games) {
      if (!game.result) return week.week;
    }
  }
  return 0;
}

void CSeasonWnd::ShowBoxScore(QTreeWidgetItem* item) {
  if (item == nullptr || !season_) return;
  const int id = item->data(0, kGameIdRole).toInt();
  for (const season::GameRecord& game : season_->games) {
    if (game.id != id) continue;
    const driver::GameSummary summary{game.homeStats, game.awayStats, std::to_string(game.homeScore),
                                      std::to_string(game.awayScore)};
    CSummaryDlg dialog(this, summary);
    dialog.exec();
    return;
  }
}

void CSeasonWnd::PlayNextGame() {
  if (!Refresh() || Simulating() || pendingGame_ != 0) return;
  const std::optional<season::GameSetup> next = season::NextUserGame(*season_);
  if (!next) {
    ShowMessage(this, kSeasonTitle, "None of your teams has a game waiting.", MessageIcon::kInformation);
    return;
  }
  GameRequest request;
  request.home = next->homeFile.string();
  request.away = next->awayFile.string();
  request.quarterMinutes = next->quarterMinutes;
  request.p1 = next->homeIsUser ? driver::kControlMan : driver::kControlCom;
  request.p2 = next->awayIsUser ? driver::kControlMan : driver::kControlCom;
  // The game goes into the season even when this window has been closed meanwhile.
  const QPointer<CSeasonWnd> self(this);
  request.summarized = [self, folder = leagueFolder_, name = name_, id = next->id,
                        seed = next->seed](const driver::GameSummary& summary) {
    const season::Status recorded = season::RecordGame(folder, name, id, summary, seed);
    if (self) self->GameRecorded(id, recorded, summary);
  };
  request.ended = [self] {
    if (!self) return;
    self->pendingGame_ = 0;
    self->Refresh();
  };
  pendingGame_ = next->id;
  UpdateButtons();
  SetStatus(QString("Game %1 is on in the game window: %2 at %3.")
                .arg(next->id)
                .arg(TeamOfFile(*season_, next->awayFile), TeamOfFile(*season_, next->homeFile)));
  if (!startGame_ || !startGame_(request)) {
    pendingGame_ = 0;
    SetStatus("The game could not start; the game window says why.");
    UpdateButtons();
  }
}

void CSeasonWnd::GameRecorded(int gameId, const season::Status& recorded, const driver::GameSummary& summary) {
  if (!recorded) {
    ShowMessage(this, kSeasonTitle, "The game could not go into the season: " + recorded.error());
    return;
  }
  SetStatus(QString("Game %1 is in the season: %2 - %3 (home - away).")
                .arg(gameId)
                .arg(QString::fromStdString(summary.homeScore), QString::fromStdString(summary.awayScore)));
  Refresh();
}

void CSeasonWnd::Sim(season::PlayScope scope) {
  if (!Refresh() || Simulating() || pendingGame_ != 0) return;
  season::PlayRequest request;
  request.image = image_;
  request.scope = scope;
  request.week = scope == season::PlayScope::kWeek ? CurrentWeek() : 0;
  request.jobs = Cores();
  request.simUser = simUser_->isChecked();
  const std::filesystem::path folder = leagueFolder_;
  const std::string name = name_;
  sim_->Start([folder, name, request](const CSeasonSim::ProgressFn& report,
                                      const std::atomic<bool>& cancel) mutable {
    request.cancel = &cancel;
    request.progress = [&report](const season::PlayProgress& progress) {
      report({progress.done, progress.total, progress.secondsLeft, QString::fromStdString(progress.last)});
    };
    auto played = season::PlaySeason(folder, name, request);
    if (!played) return SimOutcome{false, QString::fromStdString(played.error()), true};
    const season::PlayOutcome& outcome = played.value();
    QString text = outcome.played == 1 ? QString("1 game played") : QString("%1 games played").arg(outcome.played);
    if (outcome.cancelled) text += ", then cancelled";
    if (outcome.leftForUser > 0) text += QString("; %1 of your games left for you").arg(outcome.leftForUser);
    text += ".";
    for (const std::string& problem : outcome.problems) text += "\n" + QString::fromStdString(problem);
    return SimOutcome{outcome.cancelled, text, !outcome.problems.empty()};
  });
  progress_->setRange(0, 0);  // busy until the first count comes
  SetStatus("Playing...");
  UpdateButtons();
}

void CSeasonWnd::CancelSim() {
  if (!Simulating()) return;
  sim_->Cancel();
  SetStatus("Cancelling: the games under way finish and are kept...");
  cancel_->setEnabled(false);
}

void CSeasonWnd::OnProgress(const SimProgress& progress) {
  progress_->setFormat("%v of %m games");
  progress_->setRange(0, std::max(1, progress.total));
  progress_->setValue(progress.done);
  if (!sim_->Running()) return;
  QString text = QString("%1 of %2 games, about %3 left").arg(progress.done).arg(progress.total).arg(TimeLeft(progress.secondsLeft));
  if (!progress.last.isEmpty()) text += " - " + progress.last;
  SetStatus(text);
  if (QDateTime::currentMSecsSinceEpoch() - lastRefresh_ >= kRefreshEveryMs) Refresh();
}

void CSeasonWnd::OnFinished(const SimOutcome& outcome) {
  if (closing_) {
    deleteLater();
    return;
  }
  Refresh();
  SetStatus(outcome.message);
  if (outcome.failed) ShowMessage(this, kSeasonTitle, outcome.message.toStdString());
  progress_->setRange(0, std::max(1, progress_->maximum()));
  UpdateButtons();
}

void CSeasonWnd::closeEvent(QCloseEvent* event) {
  if (Simulating()) {
    // Gone from the screen now; deleted once the games under way are in.
    closing_ = true;
    sim_->Cancel();
    hide();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void CSeasonWnd::reject() {
  // Escape closes the window as its close button does.
  close();
}

}  // namespace qgu::frontend
