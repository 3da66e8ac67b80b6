#include "frontend/window/season_create_dlg.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <fstream>
#include <optional>
#include <sstream>

#include "base/result.h"
#include "frontend/message_box.h"
#include "frontend/window/season_texts.h"
#include "league/league_folders.h"
#include "season/season.h"

namespace qgu::frontend {
namespace {

constexpr int kFileNameRole = Qt::UserRole;

QString Id(int id) { return QString::number(id); }

QLineEdit* NumberEdit(int id, const QString& text, int digits) {
  auto* edit = new QLineEdit(text);
  edit->setObjectName(Id(id));
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QString("[0-9]{0,%1}").arg(digits)), edit));
  edit->setMaxLength(digits);
  return edit;
}

// The number in a field; nothing for an empty field.
std::optional<long long> NumberIn(const QLineEdit* edit) {
  const QString text = edit->text().trimmed();
  if (text.isEmpty()) return std::nullopt;
  bool ok = false;
  const long long value = text.toLongLong(&ok);
  if (!ok) return std::nullopt;
  return value;
}

// The divisions file's text; a file that cannot be read says so by name.
base::Result<std::string> ReadDivisions(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return base::Fail("The divisions file " + path + " cannot be read.");
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return base::Fail("The divisions file " + path + " cannot be read.");
  return text.str();
}

}  // namespace

CSeasonCreateDlg::CSeasonCreateDlg(QWidget* owner, std::filesystem::path base)
    : QDialog(owner), base_(std::move(base)) {
  setObjectName("240");
  setWindowTitle("Create Season");
  BuildUi();
  FillLeagues();
}

void CSeasonCreateDlg::BuildUi() {
  leagues_ = new QComboBox;
  leagues_->setObjectName(Id(kLeagueList));
  leagues_->setMinimumWidth(240);
  nameEdit_ = new QLineEdit;
  nameEdit_->setObjectName(Id(kNameEdit));
  gamesEdit_ = NumberEdit(kGamesEdit, {}, 5);
  gamesEdit_->setPlaceholderText("as many as the teams allow");
  quarterEdit_ = NumberEdit(kQuarterEdit, "5", 2);
  divisionsEdit_ = new QLineEdit;
  divisionsEdit_->setObjectName(Id(kDivisionsEdit));
  divisionsEdit_->setPlaceholderText("none: one table");
  auto* browse = new QPushButton("...");
  browse->setObjectName(Id(kDivisionsBrowse));
  browse->setAutoDefault(false);
  playoffEdit_ = NumberEdit(kPlayoffTeamsEdit, "4", 3);
  userTeams_ = new QListWidget;
  userTeams_->setObjectName(Id(kUserTeamList));
  userTeams_->setMinimumHeight(150);
  seedEdit_ = NumberEdit(kSeedEdit, "1", 10);

  auto* divisionsRow = new QHBoxLayout;
  divisionsRow->addWidget(divisionsEdit_, 1);
  divisionsRow->addWidget(browse);

  auto* form = new QFormLayout;
  form->addRow("League:", leagues_);
  form->addRow("Name:", nameEdit_);
  form->addRow("Games per team:", gamesEdit_);
  form->addRow("Quarter length (minutes):", quarterEdit_);
  form->addRow("Divisions file:", divisionsRow);
  form->addRow("Playoff teams:", playoffEdit_);
  form->addRow("Seed:", seedEdit_);

  auto* create = new QPushButton("Create");
  create->setObjectName(Id(kCreateButton));
  create->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  cancel->setObjectName(Id(kCancelButton));
  cancel->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(create);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(new QLabel("Teams a person plays (ticked):"));
  layout->addWidget(userTeams_, 1);
  layout->addLayout(buttons);

  connect(leagues_, &QComboBox::currentIndexChanged, this, [this] { FillTeams(); });
  connect(browse, &QPushButton::clicked, this, &CSeasonCreateDlg::BrowseDivisions);
  connect(create, &QPushButton::clicked, this, &CSeasonCreateDlg::Create);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  resize(460, 520);
}

void CSeasonCreateDlg::FillLeagues() {
  auto folder = league::FindLeaguesFolder(base_);
  if (!folder) return;
  leaguesFolder_ = *folder;
  auto names = league::ListLeagues(leaguesFolder_, league::LeagueFilter::kAllFolders);
  if (!names) return;
  for (const std::string& name : names.value()) leagues_->addItem(QString::fromStdString(name));
  FillTeams();
}

void CSeasonCreateDlg::FillTeams() {
  userTeams_->clear();
  if (leagues_->currentIndex() < 0) return;
  auto listing = league::ListTeams(leaguesFolder_ / leagues_->currentText().toStdString());
  if (!listing) return;
  for (const league::TeamListEntry& team : listing.value().teams) {
    auto* item = new QListWidgetItem(QString::fromStdString(team.header.city + " " + team.header.nickname));
    item->setData(kFileNameRole, QString::fromStdString(team.path.filename().string()));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    userTeams_->addItem(item);
  }
}

void CSeasonCreateDlg::BrowseDivisions() {
  const QString file = QFileDialog::getOpenFileName(this, "Divisions file", divisionsEdit_->text());
  if (!file.isEmpty()) divisionsEdit_->setText(file);
}

void CSeasonCreateDlg::Refuse(const std::string& reason) { ShowMessage(this, kSeasonTitle, reason); }

void CSeasonCreateDlg::Create() {
  if (leagues_->currentIndex() < 0) return Refuse("Choose a league.");
  const std::string league = leagues_->currentText().toStdString();
  const std::string name = nameEdit_->text().trimmed().toStdString();

  season::SeasonRequest request;
  request.name = name;
  if (auto games = NumberIn(gamesEdit_)) request.gamesPerTeam = static_cast<int>(*games);
  const auto quarter = NumberIn(quarterEdit_);
  if (!quarter || *quarter < 1) return Refuse("The quarter length must be 1 minute or more.");
  request.quarterMinutes = static_cast<int>(*quarter);
  if (auto playoffs = NumberIn(playoffEdit_)) request.playoffTeams = static_cast<int>(*playoffs);
  const auto seed = NumberIn(seedEdit_);
  if (!seed || *seed > 0xFFFFFFFFLL) return Refuse("The seed must be a number from 0 to 4294967295.");
  request.seed = static_cast<uint32_t>(*seed);
  if (const QString divisions = divisionsEdit_->text().trimmed(); !divisions.isEmpty()) {
    auto text = ReadDivisions(divisions.toStdString());
    if (!text) return Refuse(text.error());
    request.divisionsText = std::move(text).value();
  }
  for (int row = 0; row < userTeams_->count(); ++row) {
    const QListWidgetItem* item = userTeams_->item(row);
    if (item->checkState() == Qt::Checked) request.userTeams.push_back(item->data(kFileNameRole).toString().toStdString());
  }

  auto created = season::CreateSeason(leaguesFolder_ / league, request);
  if (!created) return Refuse(created.error());
  league_ = league;
  name_ = name;
  accept();
}

}  // namespace qgu::frontend
