#include "frontend/single_game_dlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

#include "frontend/message_box.h"
#include "frontend/up_down_ctrl.h"
#include "league/league_folders.h"

namespace qgu::frontend {
namespace {

constexpr const char* kTitle = "QgUltra";
constexpr const char* kNoLeaguesFolder = "Unable to find leagues directory!!";
constexpr const char* kNoTeams = "There are no teams available";
constexpr const char* kQuarterTooShort = "Quarter length must be gretaer than zero.";
constexpr const char* kChooseBothTeams = "You must select both HOME and AWAY teams.";

constexpr int kPathRole = Qt::UserRole;
constexpr int kMinQuarter = 1;
constexpr int kMaxQuarter = 99;

QString Id(int id) { return QString::number(id); }

// Names and paths stay the bytes the file system gave, whatever their
// encoding: the item shows them as well as it can and keeps the bytes.
QByteArray Bytes(const std::string& text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }
std::string FromBytes(const QVariant& data) {
  const QByteArray bytes = data.toByteArray();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// The decimal number a text starts with, as C's conversion reads it: an empty
// or non-numeric text is 0.
int LeadingNumber(const std::string& text) {
  int value = 0;
  for (char ch : text) {
    if (ch < '0' || ch > '9') break;
    value = value * 10 + (ch - '0');
  }
  return value;
}

QGroupBox* RadioGroup(const QString& title, QButtonGroup* group, std::initializer_list<std::pair<int, const char*>> buttons,
                      int checkedIndex) {
  auto* box = new QGroupBox(title);
  auto* layout = new QHBoxLayout(box);
  int index = 0;
  for (const auto& [id, caption] : buttons) {
    auto* radio = new QRadioButton(caption);
    radio->setObjectName(Id(id));
    radio->setChecked(index == checkedIndex);
    group->addButton(radio, index++);
    layout->addWidget(radio);
  }
  return box;
}

QListWidget* TeamList() {
  auto* list = new QListWidget;
  list->setSortingEnabled(true);
  list->setMinimumSize(220, 180);
  return list;
}

QComboBox* LeagueList() {
  auto* list = new QComboBox;
  list->setMinimumWidth(220);
  return list;
}

}  // namespace

CSingleGameDlg::CSingleGameDlg(QWidget* owner, WeatherButtonIds weatherIds, std::filesystem::path base)
    : QDialog(owner), base_(std::move(base)) {
  setObjectName("201");
  setWindowTitle("Single Game");
  BuildUi(weatherIds);
  ConnectSignals();
}

CSingleGameDlg::~CSingleGameDlg() = default;

void CSingleGameDlg::BuildUi(WeatherButtonIds weatherIds) {
  homeLeagues_ = LeagueList();
  homeLeagues_->setObjectName(Id(kHomeLeagueList));
  awayLeagues_ = LeagueList();
  awayLeagues_->setObjectName(Id(kAwayLeagueList));
  homeTeams_ = TeamList();
  homeTeams_->setObjectName(Id(kHomeTeamList));
  awayTeams_ = TeamList();
  awayTeams_->setObjectName(Id(kAwayTeamList));

  homeControls_ = new QButtonGroup(this);
  awayControls_ = new QButtonGroup(this);
  weathers_ = new QButtonGroup(this);
  QGroupBox* p1 = RadioGroup("P1", homeControls_, {{kP1Man, "MAN"}, {kP1Coa, "COA"}, {kP1Com, "COM"}}, homeControl_);
  QGroupBox* p2 = RadioGroup("P2", awayControls_, {{kP2Man, "MAN"}, {kP2Coa, "COA"}, {kP2Com, "COM"}}, awayControl_);
  QGroupBox* weather = RadioGroup(
      "Weather", weathers_, {{weatherIds.clear, "Clear"}, {weatherIds.rain, "Rain"}, {weatherIds.snow, "Snow"}},
      weather_);

  quarterEdit_ = new QLineEdit(QString::fromStdString(quarterLength_));
  quarterEdit_->setObjectName(Id(kQuarterLengthEdit));
  quarterEdit_->setMaxLength(2);
  quarterEdit_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,2}"), quarterEdit_));
  quarterEdit_->setFixedWidth(36);
  quarterEdit_->setAlignment(Qt::AlignRight);
  auto* upDown = new CUpDownCtrl(quarterEdit_, kMinQuarter, kMaxQuarter);
  upDown->setObjectName(Id(kQuarterLengthUpDown));
  auto* quarterRow = new QHBoxLayout;
  quarterRow->addWidget(new QLabel("Quarter Length"));
  quarterRow->addWidget(quarterEdit_);
  quarterRow->addWidget(upDown);
  quarterRow->addWidget(new QLabel("Minutes"));
  quarterRow->addStretch();

  auto* play = new QPushButton("P L A Y");
  play->setObjectName(Id(kPlayButton));
  play->setDefault(true);
  play->setAutoDefault(true);
  auto* quit = new QPushButton("Q u i t");
  quit->setObjectName(Id(kQuitButton));
  quit->setAutoDefault(false);
  connect(play, &QPushButton::clicked, this, &CSingleGameDlg::Play);
  connect(quit, &QPushButton::clicked, this, &QDialog::reject);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Home:"), 0, 0);
  grid->addWidget(new QLabel("Away:"), 0, 1);
  grid->addWidget(homeLeagues_, 1, 0);
  grid->addWidget(awayLeagues_, 1, 1);
  grid->addWidget(homeTeams_, 2, 0);
  grid->addWidget(awayTeams_, 2, 1);
  grid->addWidget(p1, 3, 0);
  grid->addWidget(p2, 3, 1);
  grid->addWidget(weather, 4, 0);
  grid->addLayout(quarterRow, 4, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(play);
  buttons->addWidget(quit);
  buttons->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
}

void CSingleGameDlg::ConnectSignals() {
  connect(homeLeagues_, &QComboBox::currentIndexChanged, this, [this] { FillTeams(homeLeagues_, homeTeams_); });
  connect(awayLeagues_, &QComboBox::currentIndexChanged, this, [this] { FillTeams(awayLeagues_, awayTeams_); });
}

void CSingleGameDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (setUpDone_) return;
  setUpDone_ = true;
  // Closed from the event loop, so that exec() and show() both see the close.
  if (!SetUp()) QTimer::singleShot(0, this, [this] { reject(); });
}

bool CSingleGameDlg::SetUp() {
  const auto leaguesFolder = league::FindOrCreateLeaguesFolder(base_);
  if (!leaguesFolder) {
    Refuse(kNoLeaguesFolder);
    return false;
  }
  const auto leagues = league::ListLeagues(leaguesFolder.value(), league::LeagueFilter::kAllFolders);
  if (!leagues || leagues.value().empty()) {
    Refuse(kNoTeams);
    return false;
  }
  for (QComboBox* list : {homeLeagues_, awayLeagues_}) {
    const QSignalBlocker quiet(list);
    for (const std::string& name : leagues.value()) list->addItem(QString::fromUtf8(Bytes(name)), Bytes(name));
    list->setCurrentIndex(-1);
  }
  return true;
}

void CSingleGameDlg::FillTeams(QComboBox* leagues, QListWidget* teams) {
  teams->clear();
  if (leagues->currentIndex() < 0) return;
  const auto leaguesFolder = league::FindLeaguesFolder(base_);
  if (!leaguesFolder) {
    Refuse(kNoLeaguesFolder);
    return;
  }
  const std::filesystem::path leagueFolder = *leaguesFolder / FromBytes(leagues->currentData());
  const auto listing = league::ListTeams(leagueFolder);
  if (!listing || listing.value().teams.empty()) {
    Refuse(kNoTeams);
    return;
  }
  for (const league::TeamListEntry& team : listing.value().teams) {
    auto* item = new QListWidgetItem(QString::fromUtf8(Bytes(team.header.city + " " + team.header.nickname)));
    item->setData(kPathRole, Bytes(team.path.string()));
    teams->addItem(item);
  }
}

void CSingleGameDlg::Play() {
  quarterLength_ = quarterEdit_->text().toStdString();
  homeControl_ = homeControls_->checkedId();
  awayControl_ = awayControls_->checkedId();
  weather_ = weathers_->checkedId();
  if (LeadingNumber(quarterLength_) < kMinQuarter) {
    Refuse(kQuarterTooShort);
    return;
  }
  QListWidgetItem* home = homeTeams_->currentItem();
  QListWidgetItem* away = awayTeams_->currentItem();
  if (home == nullptr || away == nullptr || !home->isSelected() || !away->isSelected()) {
    Refuse(kChooseBothTeams);
    return;
  }
  homeTeam_ = FromBytes(home->data(kPathRole));
  awayTeam_ = FromBytes(away->data(kPathRole));
  played_ = true;
  accept();
}

void CSingleGameDlg::done(int result) {
  if (!played_) {
    homeTeam_.clear();
    awayTeam_.clear();
  }
  QDialog::done(played_ ? Accepted : result);
}

void CSingleGameDlg::Refuse(const std::string& text) { ShowMessage(this, kTitle, text, MessageIcon::kStop); }

}  // namespace qgu::frontend
