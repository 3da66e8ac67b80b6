#include "editors/edit_player_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/command_button.h"
#include "editors/editor_texts.h"
#include "editors/player_panel.h"
#include "editors/player_steps.h"
#include "editors/save_guard.h"
#include "frontend/message_box.h"
#include "league/roster.h"
#include "league/team_record_file.h"

namespace qgu::editors {
namespace {

// The row the user chose, or -1. A list that takes the keyboard focus makes
// its first row current without choosing it; only a selection counts.
int ChosenRow(const QListWidget* list) {
  const QList<QListWidgetItem*> chosen = list->selectedItems();
  return chosen.isEmpty() ? -1 : list->row(chosen.first());
}

}  // namespace

CEditPlayerDlg::CEditPlayerDlg(std::filesystem::path recordFile, int kickReturner, int puntReturner, QWidget* parent)
    : QDialog(parent),
      path_(std::move(recordFile)),
      kick_(kickReturner),
      punt_(puntReturner),
      savedKick_(kickReturner),
      savedPunt_(puntReturner) {
  setObjectName("349");
  setWindowTitle("Edit Player");
  BuildUi();
  ConnectSignals();
  if (Load()) FillLists();
  SetEditMode(false);
}

void CEditPlayerDlg::BuildUi() {
  teamName_ = new QLabel(this);
  teamName_->setObjectName(QString::number(kTeamNameId));
  QFont bold = teamName_->font();
  bold.setBold(true);
  teamName_->setFont(bold);
  playerList_ = new QListWidget(this);
  playerList_->setObjectName(QString::number(kPlayerListId));
  positionList_ = new QListWidget(this);
  positionList_->setObjectName(QString::number(kPositionListId));
  positionList_->setMaximumWidth(70);
  playerList_->setMinimumWidth(170);
  panel_ = new CPlayerPanel(this);
  edit_ = CommandButton(kEditId, "EDIT", this);
  cancel_ = CommandButton(kCancelId, "Cancel", this);
  exit_ = CommandButton(kExitId, "Exit", this);

  auto* lists = new QHBoxLayout;
  lists->addWidget(positionList_);
  lists->addWidget(playerList_);
  auto* left = new QVBoxLayout;
  left->addWidget(teamName_);
  left->addLayout(lists);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {edit_, cancel_, exit_}) buttons->addWidget(button);
  auto* right = new QVBoxLayout;
  right->addWidget(panel_);
  right->addStretch();
  right->addLayout(buttons);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left);
  layout->addLayout(right, 1);
}

void CEditPlayerDlg::ConnectSignals() {
  for (QListWidget* list : {playerList_, positionList_}) {
    connect(list, &QListWidget::itemSelectionChanged, this, [this, list] { Select(ChosenRow(list)); });
  }
  connect(panel_, &CPlayerPanel::Changed, this, &CEditPlayerDlg::MarkChanged);
  connect(panel_, &CPlayerPanel::KickReturnerChosen, this, [this](int index) { kick_ = index; });
  connect(panel_, &CPlayerPanel::PuntReturnerChosen, this, [this](int index) { punt_ = index; });
  connect(edit_, &QPushButton::clicked, this, &CEditPlayerDlg::EditOrSave);
  connect(cancel_, &QPushButton::clicked, this, &CEditPlayerDlg::CancelEdit);
  connect(exit_, &QPushButton::clicked, this, &QDialog::accept);
}

bool CEditPlayerDlg::Load() {
  stamp_ = StampOf(path_);
  league::Result<league::TeamRecord> record = league::ReadTeamRecordFile(path_);
  if (!record) {
    loadError_ = record.error();
    return false;
  }
  loadError_.clear();
  teamName_->setText(QString::fromStdString(league::TeamDisplayName(record.value().header)));
  players_ = record.value().players;
  return true;
}

void CEditPlayerDlg::FillLists() {
  const QSignalBlocker blockPlayers(playerList_);
  const QSignalBlocker blockPositions(positionList_);
  playerList_->clear();
  positionList_->clear();
  for (size_t index = 0; index < players_.size(); ++index) {
    playerList_->addItem(QString::fromStdString(PlayerListText(players_[index])));
    positionList_->addItem(QString::fromUtf8(league::PositionNames[index].data()));
  }
}

int CEditPlayerDlg::exec() {
  if (!loadError_.empty()) {
    frontend::ShowMessage(parentWidget(), kEditorTitle, loadError_);
    return QDialog::Rejected;
  }
  return QDialog::exec();
}

void CEditPlayerDlg::reject() {
  if (!editing_) QDialog::reject();
}

void CEditPlayerDlg::Select(int index) {
  if (index < 0 || index >= static_cast<int>(players_.size())) return;
  const QSignalBlocker blockPlayers(playerList_);
  const QSignalBlocker blockPositions(positionList_);
  playerList_->setCurrentRow(index);
  positionList_->setCurrentRow(index);
  panel_->ShowPlayer(index, &players_[static_cast<size_t>(index)], kick_, punt_);
  edit_->setEnabled(true);
}

void CEditPlayerDlg::SetEditMode(bool editing) {
  editing_ = editing;
  panel_->SetEditable(editing);
  playerList_->setEnabled(!editing);
  positionList_->setEnabled(!editing);
  exit_->setEnabled(!editing);
  cancel_->setEnabled(editing);
  edit_->setText("EDIT");
  edit_->setEnabled(!editing && panel_->ShownIndex() >= 0);
}

void CEditPlayerDlg::MarkChanged() {
  if (!editing_) return;
  edit_->setText("SAVE");
  edit_->setEnabled(true);
}

void CEditPlayerDlg::EditOrSave() {
  if (editing_) {
    Save();
  } else if (panel_->ShownIndex() >= 0) {
    playersBeforeEdit_ = players_;
    SetEditMode(true);
  }
}

void CEditPlayerDlg::Save() {
  const int shown = panel_->ShownIndex();
  league::PlayerRecord& player = players_[static_cast<size_t>(shown)];
  player.firstName = panel_->FirstName();
  player.lastName = panel_->LastName();
  // A stored skin keeps its exact value while the radio still shows it.
  if (ShowsBlack(panel_->ChosenSkin()) != ShowsBlack(player.skin)) player.skin = panel_->ChosenSkin();
  if (!MayReplace(this, path_, stamp_)) return;
  if (league::Status saved = SavePlayers(path_, kick_, punt_, players_); !saved) {
    // The edits stay on screen, so the user can try again or Cancel.
    frontend::ShowMessage(this, kEditorTitle, kSaveFailedMessage);
    return;
  }
  wrote_ = true;
  savedKick_ = kick_;
  savedPunt_ = punt_;
  ReloadAndBrowse(shown);
}

void CEditPlayerDlg::CancelEdit() {
  kick_ = savedKick_;
  punt_ = savedPunt_;
  players_ = playersBeforeEdit_;
  ReloadAndBrowse(panel_->ShownIndex());
}

// The file as it is now, browse mode, the same player shown.
void CEditPlayerDlg::ReloadAndBrowse(int shown) {
  if (!Load()) frontend::ShowMessage(this, kEditorTitle, loadError_);
  FillLists();
  SetEditMode(false);
  Select(shown);
}

}  // namespace qgu::editors
