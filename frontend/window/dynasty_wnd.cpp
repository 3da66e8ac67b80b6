#include "frontend/window/dynasty_wnd.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "dynasty/offseason_text.h"
#include "dynasty/record_book.h"
#include "frontend/message_box.h"
#include "frontend/window/season_sim.h"

namespace qgu::frontend {
namespace {

using namespace qgu::dynasty;

QString Id(int id) { return QString::number(id); }
QString Q(const std::string& text) { return QString::fromStdString(text); }

constexpr const char* kTitle = "Dynasty";

QTreeWidget* Tree(int id, const QStringList& columns) {
  auto* tree = new QTreeWidget;
  tree->setObjectName(Id(id));
  tree->setHeaderLabels(columns);
  tree->setRootIsDecorated(false);
  tree->setUniformRowHeights(true);
  tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  return tree;
}

// Cells that read as numbers sort as numbers.
void AddRow(QTreeWidget* tree, const QStringList& cells, int data = 0) {
  auto* item = new QTreeWidgetItem(tree);
  for (int c = 0; c < cells.size(); ++c) {
    bool number = false;
    const double value = cells[c].toDouble(&number);
    if (number) {
      item->setData(c, Qt::DisplayRole, cells[c].contains('.') ? QVariant(value) : QVariant(cells[c].toInt()));
    } else {
      item->setText(c, cells[c]);
    }
  }
  item->setData(0, Qt::UserRole, data);
}

QString TeamName(const Rosters& rosters, const std::string& file) {
  const TeamEntry* t = rosters.Team(file);
  return t ? Q(t->record.header.city + " " + t->record.header.nickname) : Q(file);
}

}  // namespace

CDynastyWnd::CDynastyWnd(QWidget* owner, std::filesystem::path leaguesFolder, std::string name,
                         std::span<const uint8_t> image, SeasonOpener openSeason)
    : QDialog(owner),
      leaguesFolder_(std::move(leaguesFolder)),
      name_(std::move(name)),
      image_(image),
      openSeason_(std::move(openSeason)),
      sim_(new CSeasonSim(this)) {
  setObjectName("251");
  setWindowTitle(Q("Dynasty - " + name_));
  BuildUi();
  connect(sim_, &CSeasonSim::Progress, this, [this](const SimProgress& p) {
    progress_->setRange(0, std::max(1, p.total));
    progress_->setValue(p.done);
    SetStatus(p.last);
  });
  connect(sim_, &CSeasonSim::Finished, this, [this](const SimOutcome& outcome) { Finished(outcome); });
  Refresh();
}

CDynastyWnd::~CDynastyWnd() = default;

void CDynastyWnd::BuildUi() {
  header_ = new QLabel;
  header_->setObjectName(Id(kHeaderLabel));
  QFont bold = header_->font();
  bold.setBold(true);
  header_->setFont(bold);
  tabs_ = new QTabWidget;
  tabs_->setObjectName(Id(kTabs));

  auto* year = new QWidget;
  yearText_ = new QLabel;
  yearText_->setObjectName(Id(kYearLabel));
  yearText_->setWordWrap(true);
  seasonButton_ = new QPushButton("Season &Window");
  seasonButton_->setObjectName(Id(kSeasonButton));
  auto* yearLayout = new QVBoxLayout(year);
  yearLayout->addWidget(yearText_);
  yearLayout->addWidget(seasonButton_, 0, Qt::AlignLeft);
  yearLayout->addStretch();
  tabs_->addTab(year, "&Year");

  offseason_ = Tree(kOffseasonTree, {"Step", "What changed"});
  tabs_->addTab(offseason_, "Off&season");

  auto* draft = new QWidget;
  picks_ = Tree(kPicksTree, {"Round", "Pick", "Team", "Rookie", "Position", "Age", "Overall"});
  rookies_ = Tree(kRookiesTree, {"Id", "Rookie", "Position", "Age", "Overall"});
  pick_ = new QPushButton("P&ick");
  pick_->setObjectName(Id(kPickButton));
  autoPick_ = new QPushButton("&Auto Pick");
  autoPick_->setObjectName(Id(kAutoPickButton));
  pass_ = new QPushButton("Pass");
  pass_->setObjectName(Id(kPassButton));
  auto* draftButtons = new QHBoxLayout;
  draftButtons->addWidget(pick_);
  draftButtons->addWidget(autoPick_);
  draftButtons->addWidget(pass_);
  draftButtons->addStretch();
  auto* draftLayout = new QVBoxLayout(draft);
  draftLayout->addWidget(new QLabel("Picks:"));
  draftLayout->addWidget(picks_, 2);
  onClock_ = new QLabel;
  onClock_->setObjectName(Id(kOnClockLabel));
  draftLayout->addWidget(new QLabel("Still there:"));
  draftLayout->addWidget(rookies_, 2);
  draftLayout->addWidget(onClock_);
  draftLayout->addLayout(draftButtons);
  tabs_->addTab(draft, "&Draft");

  bookTabs_ = new QTabWidget;
  bookTabs_->setObjectName(Id(kBookTabs));
  champions_ = Tree(kChampionsTree, {"Year", "Champion", "Runner-up"});
  careers_ = Tree(kCareersTree, {"Statistic", "#", "Player", "Team", "Total"});
  records_ = Tree(kRecordsTree, {"Statistic", "", "Player", "Team", "Year", "Value"});
  franchises_ = Tree(kFranchisesTree, {"Team", "W", "L", "T", "Titles", "Finals", "Playoffs"});
  bookTabs_->addTab(champions_, "Champions");
  bookTabs_->addTab(careers_, "Career Leaders");
  bookTabs_->addTab(records_, "Records");
  bookTabs_->addTab(franchises_, "Franchises");
  tabs_->addTab(bookTabs_, "&Record Book");

  playYear_ = new QPushButton("&Play Year");
  playYear_->setObjectName(Id(kPlayYearButton));
  offseasonButton_ = new QPushButton("&Offseason");
  offseasonButton_->setObjectName(Id(kOffseasonButton));
  simUser_ = new QCheckBox("The computer plays &my games");
  simUser_->setObjectName(Id(kSimUserCheck));
  progress_ = new QProgressBar;
  progress_->setObjectName(Id(kProgressBar));
  progress_->setVisible(false);
  cancel_ = new QPushButton("Cancel");
  cancel_->setObjectName(Id(kCancelButton));
  cancel_->setVisible(false);
  status_ = new QLabel;
  status_->setObjectName(Id(kStatusLabel));
  status_->setWordWrap(true);
  auto* run = new QHBoxLayout;
  run->addWidget(playYear_);
  run->addWidget(offseasonButton_);
  run->addWidget(simUser_);
  run->addStretch();
  run->addWidget(progress_);
  run->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(header_);
  layout->addWidget(tabs_, 1);
  layout->addLayout(run);
  layout->addWidget(status_);
  resize(760, 560);

  connect(seasonButton_, &QPushButton::clicked, this, [this] {
    if (dynasty_ && openSeason_) openSeason_(name_, dynasty_->SeasonName(dynasty_->state.year));
  });
  connect(playYear_, &QPushButton::clicked, this, &CDynastyWnd::PlayYear);
  connect(offseasonButton_, &QPushButton::clicked, this, &CDynastyWnd::RunOffseason);
  connect(cancel_, &QPushButton::clicked, this, [this] { sim_->Cancel(); });
  connect(pick_, &QPushButton::clicked, this, &CDynastyWnd::PickSelected);
  connect(autoPick_, &QPushButton::clicked, this, [this] { Pick(0); });
  connect(pass_, &QPushButton::clicked, this, [this] { Pick(kPassed); });
  connect(rookies_, &QTreeWidget::itemDoubleClicked, this, [this] { PickSelected(); });
}

bool CDynastyWnd::Refresh() {
  base::Result<dynasty::Dynasty> opened = OpenDynasty(leaguesFolder_, name_);
  if (!opened) {
    dynasty_.reset();
    SetStatus(Q(opened.error()));
    UpdateButtons();
    return false;
  }
  dynasty_ = opened.value();
  draft_.reset();
  // The draft under way, else the last one.
  if (base::Result<DraftView> view = DraftOf(*dynasty_, dynasty_->state.year)) {
    draft_ = view.value();
  } else if (base::Result<DraftView> last = DraftOf(*dynasty_, dynasty_->state.year - 1)) {
    draft_ = last.value();
  }
  const DynastyDefinition& d = dynasty_->definition;
  const DynastyState& s = dynasty_->state;
  header_->setText(Q(d.name + " (from " + d.sourceLeague + ") - year " + std::to_string(s.year) + ", " +
                     std::to_string(s.year - d.firstYear) + (s.year - d.firstYear == 1 ? " year" : " years") +
                     " finished" +
                     (d.offseason ? "" : "; Multi Season: the rosters stay as they are")));
  FillYear();
  FillOffseason();
  FillDraft();
  FillBook();
  UpdateButtons();
  return true;
}

void CDynastyWnd::FillYear() {
  const DynastyState& s = dynasty_->state;
  QString text;
  if (s.waitingForPick) {
    text = Q("The draft of year " + std::to_string(s.year) + " waits for your pick (" + s.waitingTeam +
             "): the Draft tab.");
  } else if (!s.seasonPlayed) {
    text = Q("Year " + std::to_string(s.year) +
             "'s season is under way: Play Year plays it and the offseason after it; your own games are played in "
             "the game window from the Season Window.");
  } else {
    text = Q("Year " + std::to_string(s.year) + "'s season is over; its offseason has gone as far as \"" + s.lastStep +
             "\": Offseason goes on with it.");
  }
  yearText_->setText(text);
}

void CDynastyWnd::FillOffseason() {
  offseason_->clear();
  const DynastyState& s = dynasty_->state;
  // The offseason under way, else the last one.
  const int year = s.seasonPlayed ? s.year : s.year - 1;
  if (year < dynasty_->definition.firstYear) return;
  base::Result<OffseasonView> view = OffseasonOf(*dynasty_, year);
  base::Result<RecordBook> book = MakeRecordBook(*dynasty_);
  if (!view || !book) return;
  const OffseasonLines lines = DescribeOffseason(view.value(), book.value());
  for (const std::string& line : lines.development) AddRow(offseason_, {"Development", Q(line)});
  for (const std::string& line : lines.retirements) AddRow(offseason_, {"Retired", Q(line)});
  for (const std::string& line : lines.draft) AddRow(offseason_, {"Draft", Q(line)});
  if (offseason_->topLevelItemCount() == 0) AddRow(offseason_, {Q("Year " + std::to_string(year)), "nothing yet"});
}

void CDynastyWnd::FillDraft() {
  picks_->clear();
  rookies_->clear();
  onClock_->clear();
  if (!draft_) return;
  if (draft_->draft.waitingFor) {
    onClock_->setText(TeamName(draft_->rosters, *draft_->draft.waitingFor) +
                      QString(" are on the clock (round %1, pick %2): choose a rookie and Pick, or Auto Pick, or Pass.")
                          .arg(draft_->draft.waitingRound)
                          .arg(draft_->draft.waitingPick));
  }
  std::set<int> taken;
  const int year = draft_->year;
  for (const dynasty::Pick& p : draft_->draft.picks) {
    taken.insert(p.rookie);
    const auto r = std::find_if(draft_->rookies.rookies.begin(), draft_->rookies.rookies.end(),
                                [&](const Rookie& x) { return x.id == p.rookie; });
    if (r == draft_->rookies.rookies.end()) {
      AddRow(picks_, {QString::number(p.round), QString::number(p.overall), TeamName(draft_->rosters, p.team), "passes"});
      continue;
    }
    AddRow(picks_, {QString::number(p.round), QString::number(p.overall), TeamName(draft_->rosters, p.team),
                    Q(r->record.firstName + r->record.lastName), Q(std::string(InfoOf(r->kind).name)),
                    QString::number(year + 1 - r->born), QString::number(r->Overall(), 'f', 1)});
  }
  for (const Rookie& r : draft_->rookies.rookies) {
    if (taken.count(r.id)) continue;
    AddRow(rookies_, {QString::number(r.id), Q(r.record.firstName + r.record.lastName), Q(std::string(InfoOf(r.kind).name)),
                      QString::number(year + 1 - r.born), QString::number(r.Overall(), 'f', 1)},
           r.id);
  }
  rookies_->sortItems(4, Qt::DescendingOrder);
  if (rookies_->topLevelItemCount() > 0) rookies_->setCurrentItem(rookies_->topLevelItem(0));
}

void CDynastyWnd::FillBook() {
  for (QTreeWidget* tree : {champions_, careers_, records_, franchises_}) tree->clear();
  base::Result<RecordBook> book = MakeRecordBook(*dynasty_);
  if (!book) return;
  const RecordBook& b = book.value();
  for (const YearInBook& y : b.years) {
    AddRow(champions_, {QString::number(y.year), y.champion.empty() ? "under way" : Q(y.champion), Q(y.runnerUp)});
  }
  for (size_t k = 0; k < kBookCategories.size(); ++k) {
    int rank = 0;
    for (const BookEntry& e : b.careerLeaders[k]) {
      AddRow(careers_, {Q(std::string(kBookCategories[k].title)), QString::number(++rank), Q(e.name), Q(e.team),
                        QString::number(e.value)});
      if (rank == 5) break;
    }
    const auto record = [&](const char* what, const BookEntry& e) {
      if (e.value == 0) return;
      AddRow(records_, {Q(std::string(kBookCategories[k].title)), what, Q(e.name), Q(e.team), QString::number(e.year),
                        QString::number(e.value)});
    };
    record("season", b.seasonRecords[k]);
    record("game", b.gameRecords[k]);
  }
  for (const Franchise& f : b.franchises) {
    AddRow(franchises_, {Q(f.name), QString::number(f.record.wins), QString::number(f.record.losses),
                         QString::number(f.record.ties), QString::number(f.titles), QString::number(f.finals),
                         QString::number(f.playoffs)});
  }
}

void CDynastyWnd::UpdateButtons() {
  const bool running = sim_->Running();
  const bool known = dynasty_.has_value();
  const bool waiting = known && dynasty_->state.waitingForPick;
  playYear_->setEnabled(known && !running && !waiting);
  offseasonButton_->setEnabled(known && !running && !waiting && dynasty_->state.seasonPlayed);
  seasonButton_->setEnabled(known && !running);
  for (QPushButton* b : {pick_, autoPick_, pass_}) b->setEnabled(waiting && !running);
  progress_->setVisible(running);
  cancel_->setVisible(running);
}

bool CDynastyWnd::Running() const { return sim_->Running(); }
QString CDynastyWnd::StatusText() const { return status_->text(); }
void CDynastyWnd::SetStatus(const QString& text) { status_->setText(text); }

void CDynastyWnd::PlayYear() { Advance(false); }
void CDynastyWnd::RunOffseason() { Advance(true); }

void CDynastyWnd::Advance(bool offseasonOnly) {
  if (!dynasty_ || sim_->Running()) return;
  const std::filesystem::path leagues = leaguesFolder_;
  const std::string name = name_;
  const std::span<const uint8_t> image = image_;
  const bool simUser = simUser_->isChecked();
  const bool started = sim_->Start([=](const CSeasonSim::ProgressFn& progress, const std::atomic<bool>& cancel) {
    AdvanceRequest request;
    request.image = image;
    request.years = 1;
    request.jobs = 2;
    request.simUser = simUser;
    request.offseasonOnly = offseasonOnly;
    request.cancel = &cancel;
    int lines = 0;
    request.progress = [&](const std::string& line) { progress({++lines % 100, 100, 0, Q(line)}); };
    base::Result<AdvanceOutcome> outcome = dynasty::Advance(leagues, name, request);
    if (!outcome) return SimOutcome{false, Q(outcome.error()), true};
    const AdvanceOutcome& o = outcome.value();
    QString message = QString("%1 games played").arg(o.gamesPlayed);
    if (o.yearsFinished > 0) message += "; the year is finished and the next one's season is made";
    if (o.leftForUser > 0) message += QString("; %1 of your games are left for the Season Window").arg(o.leftForUser);
    if (o.waitingForPick) message += "; the draft waits for your pick (the Draft tab)";
    for (const std::string& problem : o.problems) message += Q("; " + problem);
    return SimOutcome{o.cancelled, message, !o.problems.empty()};
  });
  if (started) {
    progress_->setRange(0, 0);
    SetStatus(offseasonOnly ? "The offseason under way..." : "The year under way...");
  }
  UpdateButtons();
}

void CDynastyWnd::Finished(const SimOutcome& outcome) {
  Refresh();
  SetStatus(outcome.cancelled ? "Cancelled: " + outcome.message : outcome.message);
  if (dynasty_ && dynasty_->state.waitingForPick) tabs_->setCurrentIndex(kDraftTab);
}

void CDynastyWnd::PickSelected() {
  QTreeWidgetItem* item = rookies_->currentItem();
  if (item == nullptr) {
    ShowMessage(this, kTitle, "Choose a rookie in the list first, or Auto Pick.");
    return;
  }
  Pick(item->data(0, Qt::UserRole).toInt());
}

void CDynastyWnd::Pick(int rookie) {
  if (!dynasty_ || !dynasty_->state.waitingForPick) return;
  if (base::Status made = MakePick(leaguesFolder_, name_, rookie); !made) {
    ShowMessage(this, kTitle, made.error());
    return;
  }
  // The draft goes on to the next person's turn or its end, and the year with it.
  RunOffseason();
}

void CDynastyWnd::closeEvent(QCloseEvent* event) {
  sim_->Cancel();
  sim_->Wait();
  event->accept();
}

}  // namespace qgu::frontend
