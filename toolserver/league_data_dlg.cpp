#include "toolserver/league_data_dlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "frontend/elided_path_label.h"
#include "frontend/message_box.h"
#include "league/league_folders.h"
#include "toolserver/dialog_ids.h"
#include "toolserver/duplicate_dlg.h"
#include "toolserver/import_texts.h"
#include "toolserver/new_league_dlg.h"

namespace qgu::toolserver {
namespace {

using frontend::MessageAnswer;
using frontend::MessageButtons;
using frontend::MessageIcon;

}  // namespace

CLeagueDataDlg::CLeagueDataDlg(Mode mode, std::filesystem::path base, const ImportJob* job, QWidget* owner)
    : QDialog(owner), mode_(mode), base_(std::move(base)), job_(job) {
  BuildUi();
  ConnectSignals();
}

void CLeagueDataDlg::BuildUi() {
  setWindowTitle("League Data");
  leagues_ = new QListWidget(this);
  firstHint_ = new QLabel("Select existing league to add imported teams, or ", this);
  secondHint_ = new QLabel("Select \"New League\" to create a new league.", this);
  imageLine_ = new frontend::CElidedPathLabel({}, this);
  create_ = new QPushButton("Create New League", this);
  add_ = new QPushButton("Add To Selected League", this);
  editCancel_ = new QPushButton("Cancel", this);
  action_ = new QPushButton("Cancel", this);
  SetControlId(leagues_, kLeagueList);
  SetControlId(firstHint_, kFirstHintLine);
  SetControlId(secondHint_, kSecondHintLine);
  SetControlId(imageLine_, kImageLine);
  SetControlId(create_, kCreateButton);
  SetControlId(add_, kAddButton);
  SetControlId(editCancel_, kEditCancelButton);
  SetControlId(action_, kActionButton);
  imageLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(create_);
  buttons->addWidget(add_);
  buttons->addStretch();
  buttons->addWidget(editCancel_);
  buttons->addWidget(action_);
  auto* layout = new QGridLayout(this);
  layout->addWidget(firstHint_, 0, 0, 1, 2);
  layout->addWidget(secondHint_, 1, 0, 1, 2);
  layout->addWidget(imageLine_, 2, 0, 1, 2);
  layout->addWidget(leagues_, 3, 0);
  layout->addLayout(buttons, 3, 1);
  resize(420, 300);

  if (mode_ == Mode::kImport) {
    imageLine_->setText(job_ != nullptr ? QString::fromStdString(job_->image.string()) : QString());
    editCancel_->hide();
  } else {
    firstHint_->clear();
    secondHint_->setText("Select league to Edit.");
    imageLine_->clear();
    create_->hide();
    add_->hide();
    action_->setText("Edit");
    setWindowTitle("Edit Teams");
  }
}

void CLeagueDataDlg::ConnectSignals() {
  connect(create_, &QPushButton::clicked, this, &CLeagueDataDlg::CreateNewLeague);
  connect(add_, &QPushButton::clicked, this, &CLeagueDataDlg::AddToSelectedLeague);
  connect(editCancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(action_, &QPushButton::clicked, this, [this] {
    if (mode_ == Mode::kEdit) {
      ChooseForEditing();
    } else {
      reject();
    }
  });
}

int CLeagueDataDlg::exec() {
  if (!SetUp()) return Rejected;
  return QDialog::exec();
}

bool CLeagueDataDlg::SetUp() {
  league::Result<std::filesystem::path> folder = league::FindOrCreateLeaguesFolder(base_);
  if (!folder) {
    Say(std::string(kLeaguesFolderMissingMessage));
    return false;
  }
  leaguesFolder_ = folder.value();
  ListLeagues();
  return true;
}

void CLeagueDataDlg::ListLeagues() {
  leagues_->clear();
  league::Result<std::vector<std::string>> names = league::ListLeagues(leaguesFolder_, league::LeagueFilter::kMarkedOnly);
  if (names) {
    for (const std::string& name : names.value()) leagues_->addItem(QString::fromStdString(name));
  }
  const bool any = leagues_->count() > 0;
  leagues_->setEnabled(any);
  add_->setEnabled(any);
}

void CLeagueDataDlg::Say(const std::string& text, bool information) {
  frontend::ShowMessage(this, std::string(league::kImportTitle), text,
                        information ? MessageIcon::kInformation : MessageIcon::kNone);
}

void CLeagueDataDlg::CreateNewLeague() {
  CNewLeagueDlg ask(this);
  if (ask.exec() != Accepted) return;
  league::Result<league::NewLeague> created = league::CreateLeague(leaguesFolder_, ask.Name());
  if (!created) {
    Say(created.error());
    return;
  }
  auto* item = new QListWidgetItem(QString::fromStdString(created.value().name), leagues_);
  leagues_->setEnabled(true);
  add_->setEnabled(true);
  leagues_->setCurrentItem(item);
  WriteImport(created.value().name);
}

void CLeagueDataDlg::AddToSelectedLeague() {
  QListWidgetItem* chosen = leagues_->currentItem();
  if (chosen == nullptr || !chosen->isSelected()) {
    Say(std::string(league::kSelectLeagueMessage));
    return;
  }
  WriteImport(chosen->text().toStdString());
}

void CLeagueDataDlg::WriteImport(const std::string& leagueName) {
  if (job_ == nullptr || job_->teams == nullptr) return;
  const std::filesystem::path folder = leaguesFolder_ / leagueName;
  const auto overwrite = [this](const league::TeamHeader& incoming, const league::TeamListEntry&) {
    CDuplicateDlg ask(incoming, this);
    return ask.exec() == Accepted;
  };
  league::Result<league::ImportReport> report =
      league::WriteCartridgeTeams(folder, *job_->teams, job_->selection, overwrite, job_->written);
  if (!report) {
    frontend::ShowMessage(this, std::string(league::kImportTitle), report.error());
    return;
  }
  if (report.value().failures.empty()) {
    Say(std::string(league::kImportSucceededMessage), true);
  } else {
    std::string text(kSomeTeamsNotWrittenMessage);
    for (const std::string& failure : report.value().failures) text += "\n" + failure;
    frontend::ShowMessage(this, std::string(league::kImportTitle), text, MessageIcon::kExclamation);
  }
  accept();
}

void CLeagueDataDlg::ChooseForEditing() {
  QListWidgetItem* chosen = leagues_->currentItem();
  if (chosen != nullptr && chosen->isSelected()) {
    chosenLeague_ = leaguesFolder_ / chosen->text().toStdString();
    accept();
    return;
  }
  const MessageAnswer answer = frontend::ShowMessage(this, std::string(league::kImportTitle),
                                                     std::string(kNoLeagueChosenQuestion), MessageIcon::kNone,
                                                     MessageButtons::kYesNo);
  if (answer == MessageAnswer::kYes) {
    chosenLeague_.clear();
    reject();
  }
}

}  // namespace qgu::toolserver
