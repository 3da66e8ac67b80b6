#include "frontend/window/dynasty_select_dlg.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "dynasty/dynasty.h"
#include "frontend/message_box.h"
#include "league/league_folders.h"

namespace qgu::frontend {
namespace {

QString Id(int id) { return QString::number(id); }

constexpr const char* kTitle = "Dynasty";

}  // namespace

CDynastySelectDlg::CDynastySelectDlg(QWidget* owner, std::filesystem::path base, bool multiSeason)
    : QDialog(owner), multiSeason_(multiSeason) {
  setObjectName("250");
  setWindowTitle(multiSeason ? "Multi Season" : "Dynasty");
  dynasties_ = new QListWidget;
  dynasties_->setObjectName(Id(kDynastyList));
  auto* proceed = new QPushButton("Continue");
  proceed->setObjectName(Id(kContinueButton));
  proceed->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  cancel->setObjectName(Id(kCancelButton));
  cancel->setAutoDefault(false);

  leagues_ = new QComboBox;
  leagues_->setObjectName(Id(kLeagueList));
  newName_ = new QLineEdit;
  newName_->setObjectName(Id(kNameEdit));
  newName_->setMaxLength(64);
  userTeam_ = new QComboBox;
  userTeam_->setObjectName(Id(kUserTeamList));
  games_ = new QSpinBox;
  games_->setObjectName(Id(kGamesSpin));
  games_->setRange(1, 40);
  games_->setValue(16);
  quarter_ = new QSpinBox;
  quarter_->setObjectName(Id(kQuarterSpin));
  quarter_->setRange(1, 99);
  quarter_->setValue(5);
  auto* create = new QPushButton(multiSeason ? "&Create Multi Season" : "&Create Dynasty");
  create->setObjectName(Id(kCreateButton));
  create->setAutoDefault(false);

  auto* form = new QFormLayout;
  form->addRow("&Name:", newName_);
  form->addRow("From the &league:", leagues_);
  form->addRow("Your &team:", userTeam_);
  form->addRow("&Games per team:", games_);
  form->addRow("&Quarter (minutes):", quarter_);
  form->addRow(create);
  auto* newOne = new QGroupBox(multiSeason ? "A new Multi Season (the rosters stay as they are)"
                                           : "A new dynasty (players age, retire and are drafted)");
  newOne->setLayout(form);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(proceed);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(multiSeason ? "Multi Seasons kept here:" : "Dynasties kept here:"));
  layout->addWidget(dynasties_, 1);
  layout->addWidget(newOne);
  layout->addLayout(buttons);

  connect(dynasties_, &QListWidget::itemDoubleClicked, this, [this] { Continue(); });
  connect(proceed, &QPushButton::clicked, this, &CDynastySelectDlg::Continue);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(create, &QPushButton::clicked, this, &CDynastySelectDlg::Create);
  connect(leagues_, &QComboBox::currentIndexChanged, this, [this] { FillTeams(); });
  resize(420, 480);

  if (auto folder = league::FindLeaguesFolder(base)) {
    leaguesFolder_ = *folder;
    if (auto names = league::ListLeagues(leaguesFolder_, league::LeagueFilter::kMarkedOnly)) {
      for (const std::string& name : names.value()) {
        // A dynasty's own league is not one to begin another from.
        if (!dynasty::OpenDynasty(leaguesFolder_, name)) leagues_->addItem(QString::fromStdString(name));
      }
    }
  }
  FillDynasties();
  FillTeams();
}

void CDynastySelectDlg::FillDynasties() {
  dynasties_->clear();
  auto names = dynasty::ListDynasties(leaguesFolder_, "");
  if (!names) return;
  for (const std::string& name : names.value()) {
    auto d = dynasty::OpenDynasty(leaguesFolder_, name);
    if (!d || d.value().definition.offseason == multiSeason_) continue;
    auto* item = new QListWidgetItem(QString("%1  (from %2, year %3)")
                                         .arg(QString::fromStdString(name),
                                              QString::fromStdString(d.value().definition.sourceLeague))
                                         .arg(d.value().state.year));
    item->setData(Qt::UserRole, QString::fromStdString(name));
    dynasties_->addItem(item);
  }
  if (dynasties_->count() > 0) dynasties_->setCurrentRow(0);
}

void CDynastySelectDlg::FillTeams() {
  userTeam_->clear();
  userTeam_->addItem("(none: the computer plays every team)", QString());
  if (leagues_->currentIndex() < 0) return;
  auto listing = league::ListTeams(leaguesFolder_ / leagues_->currentText().toStdString());
  if (!listing) return;
  for (const league::TeamListEntry& t : listing.value().teams) {
    userTeam_->addItem(QString::fromStdString(t.header.city + " " + t.header.nickname),
                       QString::fromStdString(t.path.filename().string()));
  }
}

void CDynastySelectDlg::Continue() {
  if (dynasties_->currentItem() == nullptr) {
    ShowMessage(this, kTitle, "There is none here yet: give a new one a name and Create it.");
    return;
  }
  name_ = dynasties_->currentItem()->data(Qt::UserRole).toString().toStdString();
  accept();
}

void CDynastySelectDlg::Create() {
  dynasty::DynastyRequest request;
  request.name = newName_->text().trimmed().toStdString();
  request.sourceLeague = leagues_->currentText().toStdString();
  if (!userTeam_->currentData().toString().isEmpty()) request.userTeams = {userTeam_->currentData().toString().toStdString()};
  request.gamesPerTeam = games_->value();
  request.quarterMinutes = quarter_->value();
  request.offseason = !multiSeason_;
  if (request.name.empty() || request.sourceLeague.empty()) {
    ShowMessage(this, kTitle, "A new one needs a name and a league to begin from.");
    return;
  }
  auto made = dynasty::CreateDynasty(leaguesFolder_, request);
  if (!made) {
    ShowMessage(this, kTitle, made.error());
    return;
  }
  name_ = request.name;
  accept();
}

}  // namespace qgu::frontend
