#include "editors/new_team_dlg.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "editors/editor_texts.h"
#include "editors/nes_colors.h"
#include "editors/player_panel.h"
#include "editors/player_steps.h"
#include "editors/team_header_panel.h"
#include "frontend/helmet_picture.h"
#include "frontend/message_box.h"
#include "league/roster.h"
#include "league/league_writer.h"
#include "league/team_record_file.h"
#include "league/text_case.h"

namespace qgu::editors {
namespace {

constexpr int kNoReturner = -1;
constexpr int kMediumSkin = 0x06;

}  // namespace

league::TeamRecord NewTeamTemplate() {
  league::TeamRecord team;
  league::TeamHeader& header = team.header;
  header.formation = 0;  // none chosen yet
  header.primarySkinColour = kMediumSkin;
  header.secondarySkinColour = kMediumSkin;
  // Run slots 1..4: choices 1, 1, 2, 4; pass slots 1..4: choices 2, 7, 6, 2.
  header.runPlays12 = 0x11;
  header.runPlays34 = 0x24;
  header.passPlays12 = 0x27;
  header.passPlays34 = 0x62;
  header.kickReturner = kNoReturner;
  header.puntReturner = kNoReturner;
  // Players start dark-skinned, shown and written alike.
  for (league::PlayerRecord& player : team.players) player.skin = kBlackSkin;
  return team;
}

CNewTeamDlg::CNewTeamDlg(std::filesystem::path leagueFolder, QWidget* parent)
    : QDialog(parent), folder_(std::move(leagueFolder)), team_(NewTeamTemplate()) {
  setObjectName("358");
  setWindowTitle("Create New Team");
  BuildUi();
  ConnectSignals();
  header_->Show(team_.header);
  header_->SetEditable(true);
  player_->SetEditable(true);
}

void CNewTeamDlg::BuildUi() {
  header_ = new CTeamHeaderPanel(this);
  auto* players = new QGroupBox("Players", this);
  positions_ = new QListWidget(players);
  positions_->setObjectName(QString::number(kPositionListId));
  positions_->setMaximumWidth(70);
  for (std::string_view name : league::PositionNames) positions_->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  player_ = new CPlayerPanel(players);
  auto* playerRow = new QHBoxLayout(players);
  playerRow->addWidget(positions_);
  playerRow->addWidget(player_, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
  connect(buttons, &QDialogButtonBox::accepted, this, &CNewTeamDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  // The team and its players are taller than a 768-line screen: they scroll
  // when the screen is that small, with OK and Cancel always in view.
  auto* content = new QWidget;
  auto* contentLayout = new QVBoxLayout(content);
  contentLayout->setContentsMargins(0, 0, 0, 0);
  contentLayout->addWidget(header_);
  contentLayout->addWidget(players);
  auto* scroll = new QScrollArea(this);
  scroll->setWidget(content);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setMinimumWidth(content->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width());

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scroll, 1);
  layout->addWidget(buttons);
  FitScreen(content->sizeHint().height() + buttons->sizeHint().height() + 3 * layout->spacing());
}

void CNewTeamDlg::FitScreen(int wantedHeight) {
  constexpr int kTitleBar = 40;  // the window manager's frame above the dialog
  const QScreen* shown = screen();
  const int room = shown != nullptr ? shown->availableGeometry().height() - kTitleBar : wantedHeight;
  resize(sizeHint().width(), std::min(wantedHeight, room));
}

void CNewTeamDlg::ConnectSignals() {
  connect(positions_, &QListWidget::currentRowChanged, this, &CNewTeamDlg::SelectPosition);
  connect(player_, &CPlayerPanel::KickReturnerChosen, this, [this](int index) { team_.header.kickReturner = index; });
  connect(player_, &CPlayerPanel::PuntReturnerChosen, this, [this](int index) { team_.header.puntReturner = index; });
  connect(player_, &CPlayerPanel::SkinChosen, this, [this](int skin) {
    if (player_->ShownIndex() >= 0) team_.players[static_cast<size_t>(player_->ShownIndex())].skin = skin;
  });
}

void CNewTeamDlg::StoreShownNames() {
  const int shown = player_->ShownIndex();
  if (shown < 0) return;
  league::PlayerRecord& player = team_.players[static_cast<size_t>(shown)];
  player.firstName = player_->FirstName();
  player.lastName = player_->LastName();
}

void CNewTeamDlg::SelectPosition(int index) {
  if (index < 0 || index >= league::kPlayerCount) return;
  StoreShownNames();
  player_->ShowPlayer(index, &team_.players[static_cast<size_t>(index)], team_.header.kickReturner,
                      team_.header.puntReturner);
}

bool CNewTeamDlg::Refuse(const std::string& message) {
  frontend::ShowMessage(this, kEditorTitle, message);
  return false;
}

bool CNewTeamDlg::CheckTeam() {
  const league::TeamHeader& header = team_.header;
  // An abbreviation of dots alone would be empty once its dots are gone.
  if (header.city.empty() || header.nickname.empty() || league::TeamFileStem(header.abbreviation).empty() ||
      !header_->FormationChosen()) {
    return Refuse(kRequiredFieldsMessage);
  }
  if (header.kickReturner == kNoReturner) return Refuse(kNoKickReturnerMessage);
  if (header.puntReturner == kNoReturner) return Refuse(kNoPuntReturnerMessage);
  for (size_t index = 0; index < team_.players.size(); ++index) {
    const league::PlayerRecord& player = team_.players[index];
    if (player.firstName.empty() || player.lastName.empty()) {
      return Refuse(QString::asprintf(kMissingNameFormat, league::PositionNames[index].data()).toStdString());
    }
  }
  return true;
}

bool CNewTeamDlg::WriteTeam() {
  league::TeamRecord record = team_;
  std::erase(record.header.abbreviation, '.');
  for (league::PlayerRecord& player : record.players) player.firstName = league::LowerCase(player.firstName);
  league::Result<std::string> content = league::FormatTeamRecord(record);
  if (!content) return Refuse(kSaveFailedMessage);
  league::Result<league::LeagueWriter> writer = league::LeagueWriter::Open(folder_);
  if (!writer) return Refuse(kSaveFailedMessage);
  // The game window shows the helmet beside the record; the team is whole without it.
  const auto helmet = [](const std::filesystem::path& file, const league::TeamHeader& team) {
    return frontend::WriteHelmetPicture(file, team, NesColorToRgb);
  };
  league::Result<league::PlacedTeam> placed = writer.value().CreateTeam(content.value(), record.header, helmet);
  if (!placed) return Refuse(kSaveFailedMessage);
  created_ = placed.value().path;
  for (const std::string& failure : placed.value().failures) {
    frontend::ShowMessage(this, kEditorTitle, failure, frontend::MessageIcon::kExclamation);
  }
  return true;
}

void CNewTeamDlg::accept() {
  StoreShownNames();
  header_->Collect(team_.header);
  if (!CheckTeam() || !WriteTeam()) return;
  QDialog::accept();
}

}  // namespace qgu::editors
