#include "editors/edit_team_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "editors/edit_player_dlg.h"
#include "editors/command_button.h"
#include "editors/editor_texts.h"
#include "editors/nes_colors.h"
#include "editors/new_team_dlg.h"
#include "editors/save_guard.h"
#include "editors/team_header_panel.h"
#include "frontend/helmet_picture.h"
#include "frontend/message_box.h"
#include "league/league_folders.h"
#include "league/team_record_format.h"

namespace qgu::editors {
namespace {

namespace fs = std::filesystem;

// Stamps are taken before the files are read, so a change made while the
// list is read shows as a change (a needless question at worst, never a
// silent overwrite).
std::map<fs::path, FileStamp> StampsIn(const fs::path& folder) {
  std::map<fs::path, FileStamp> stamps;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    if (std::optional<FileStamp> stamp = StampOf(entry.path())) stamps.emplace(entry.path(), *stamp);
  }
  return stamps;
}

// A helmet picture that the program drew from the old colours is drawn anew
// from the saved ones; a picture from anywhere else is the user's and stays.
void RefreshHelmet(const fs::path& record, const league::TeamHeader& before, const league::TeamHeader& after) {
  const fs::path helmet = frontend::HelmetPicturePath(record);
  const QImage existing(QString::fromStdString(helmet.string()));
  if (existing.isNull()) return;
  const QImage ours = frontend::DrawHelmetPicture(before, NesColorToRgb);
  if (existing.convertToFormat(QImage::Format_RGB32) != ours.convertToFormat(QImage::Format_RGB32)) return;
  (void)frontend::WriteHelmetPicture(record, after, NesColorToRgb);
}

QString ListText(const league::TeamHeader& header) {
  return QString::fromStdString(league::TeamDisplayName(header));
}

}  // namespace

TeamTable LoadTeamTable(const fs::path& leagueFolder) {
  TeamTable table;
  const std::map<fs::path, FileStamp> stamps = StampsIn(leagueFolder);
  league::Result<league::TeamListing> listing = league::ListTeams(leagueFolder);
  if (!listing) return table;
  for (league::TeamListEntry& entry : listing.value().teams) {
    if (static_cast<int>(table.teams.size()) == kMaxTeams) break;
    const auto stamp = stamps.find(entry.path);
    table.teams.push_back({std::move(entry.header), entry.path,
                           stamp == stamps.end() ? std::nullopt : std::optional<FileStamp>(stamp->second)});
  }
  table.limitReached = static_cast<int>(table.teams.size()) == kMaxTeams;
  return table;
}

CEditTeamDlg::CEditTeamDlg(fs::path leagueFolder, QWidget* parent) : QDialog(parent), folder_(std::move(leagueFolder)) {
  setObjectName("207");
  setWindowTitle(QString::fromStdString("Edit Teams - " + folder_.filename().string()));
  BuildUi();
  ConnectSignals();
  LoadTeams(true);
  SetEditMode(false);
}

void CEditTeamDlg::BuildUi() {
  teamList_ = new QComboBox(this);
  teamList_->setObjectName(QString::number(kTeamListId));
  teamList_->setMinimumWidth(260);
  teamList_->setMaxVisibleItems(20);
  header_ = new CTeamHeaderPanel(this);
  edit_ = CommandButton(kEditId, "EDIT", this);
  editPlayers_ = CommandButton(kEditPlayersId, "Edit Players", this);
  newTeam_ = CommandButton(kNewTeamId, "NEW TEAM", this);
  cancel_ = CommandButton(kCancelId, "Cancel", this);
  exit_ = CommandButton(kExitId, "Exit", this);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel("Team:", this));
  top->addWidget(teamList_, 1);
  top->addWidget(newTeam_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(editPlayers_);
  buttons->addStretch();
  for (QPushButton* button : {edit_, cancel_, exit_}) buttons->addWidget(button);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(header_);
  layout->addLayout(buttons);
}

void CEditTeamDlg::ConnectSignals() {
  connect(teamList_, &QComboBox::currentIndexChanged, this, &CEditTeamDlg::ShowSelected);
  connect(header_, &CTeamHeaderPanel::Changed, this, &CEditTeamDlg::MarkChanged);
  connect(edit_, &QPushButton::clicked, this, &CEditTeamDlg::EditOrSave);
  connect(cancel_, &QPushButton::clicked, this, &CEditTeamDlg::CancelEdit);
  connect(editPlayers_, &QPushButton::clicked, this, &CEditTeamDlg::EditPlayers);
  connect(newTeam_, &QPushButton::clicked, this, &CEditTeamDlg::NewTeam);
  connect(exit_, &QPushButton::clicked, this, &QDialog::accept);
}

void CEditTeamDlg::LoadTeams(bool firstTime) {
  table_ = LoadTeamTable(folder_);
  if (firstTime && table_.limitReached) {
    frontend::ShowMessage(this, kEditorTitle, QString::asprintf(kTooManyTeamsFormat, long{kMaxTeams}).toStdString());
  }
  if (firstTime && table_.teams.empty()) frontend::ShowMessage(this, kEditorTitle, kNoTeamsMessage);

  // The list is sorted by its text, as a sorted drop list keeps it.
  std::vector<int> order(table_.teams.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::vector<QString> texts;
  texts.reserve(table_.teams.size());
  for (const TeamRecord& team : table_.teams) texts.push_back(ListText(team.header));
  std::stable_sort(order.begin(), order.end(), [&texts](int a, int b) {
    return texts[static_cast<size_t>(a)].compare(texts[static_cast<size_t>(b)], Qt::CaseInsensitive) < 0;
  });
  const QSignalBlocker block(teamList_);
  teamList_->clear();
  for (int index : order) teamList_->addItem(texts[static_cast<size_t>(index)], index);
  teamList_->setCurrentIndex(-1);
  header_->Clear();
}

int CEditTeamDlg::exec() {
  if (!HasTeams()) return QDialog::Rejected;
  return QDialog::exec();
}

void CEditTeamDlg::reject() {
  if (!editing_) QDialog::reject();
}

TeamRecord* CEditTeamDlg::Selected() {
  const QVariant index = teamList_->currentData();
  if (!index.isValid()) return nullptr;
  return &table_.teams[static_cast<size_t>(index.toInt())];
}

// Selects the team of that file, or the item at fallbackIndex when it is gone.
void CEditTeamDlg::SelectTeam(const fs::path& path, int fallbackIndex) {
  for (int item = 0; item < teamList_->count(); ++item) {
    if (table_.teams[static_cast<size_t>(teamList_->itemData(item).toInt())].path == path) {
      teamList_->setCurrentIndex(item);
      return;
    }
  }
  teamList_->setCurrentIndex(std::min(fallbackIndex, teamList_->count() - 1));
}

void CEditTeamDlg::ShowSelected() {
  const TeamRecord* team = Selected();
  if (team == nullptr) {
    header_->Clear();
  } else {
    header_->Show(team->header);
  }
  SetEditMode(false);
}

void CEditTeamDlg::SetEditMode(bool editing) {
  editing_ = editing;
  const bool shown = Selected() != nullptr;
  header_->SetEditable(editing);
  teamList_->setEnabled(!editing);
  edit_->setText("EDIT");
  edit_->setEnabled(!editing && shown);
  exit_->setEnabled(!editing);
  newTeam_->setEnabled(!editing);
  cancel_->setEnabled(editing);
  editPlayers_->setEnabled(editing);
}

void CEditTeamDlg::MarkChanged() {
  if (!editing_) return;
  edit_->setText("SAVE");
  edit_->setEnabled(true);
}

void CEditTeamDlg::EditOrSave() {
  if (editing_) {
    Save();
    return;
  }
  if (const TeamRecord* team = Selected()) {
    working_ = team->header;
    SetEditMode(true);
  }
}

void CEditTeamDlg::Save() {
  TeamRecord* team = Selected();
  if (team == nullptr) return;
  league::TeamHeader header = working_;
  header_->Collect(header);
  if (!league::FormatTeamLine(header)) {
    frontend::ShowMessage(this, kEditorTitle, kUpdateFailedMessage);
    return;
  }
  if (!MayReplace(this, team->path, team->stamp)) return;
  if (league::Status saved = SaveTeamLine(team->path, header); !saved) {
    // The edits stay on screen, so the user can try again or Cancel.
    frontend::ShowMessage(this, kEditorTitle, kSaveFailedMessage);
    return;
  }
  RefreshHelmet(team->path, team->header, header);
  const fs::path path = team->path;
  const int index = teamList_->currentIndex();
  LoadTeams(false);
  SelectTeam(path, index);
}

void CEditTeamDlg::CancelEdit() {
  const TeamRecord* team = Selected();
  const fs::path path = team != nullptr ? team->path : fs::path();
  const int index = teamList_->currentIndex();
  LoadTeams(false);
  SelectTeam(path, index);
  SetEditMode(false);
}

void CEditTeamDlg::EditPlayers() {
  TeamRecord* team = Selected();
  if (!editing_ || team == nullptr) return;
  const bool unchangedBefore = StampOf(team->path) == team->stamp;
  CEditPlayerDlg players(team->path, working_.kickReturner, working_.puntReturner, this);
  players.exec();
  working_.kickReturner = players.KickReturner();
  working_.puntReturner = players.PuntReturner();
  // The player editor's own save is no change by another program.
  if (players.WroteFile() && unchangedBefore) team->stamp = StampOf(team->path);
}

void CEditTeamDlg::NewTeam() {
  if (editing_) return;
  CNewTeamDlg dialog(folder_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  LoadTeams(false);
  SelectTeam(dialog.CreatedFile(), 0);
}

}  // namespace qgu::editors
