#include "frontend/window/season_select_dlg.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "frontend/message_box.h"
#include "frontend/window/season_texts.h"
#include "league/league_folders.h"
#include "season/season.h"

namespace qgu::frontend {
namespace {

QString Id(int id) { return QString::number(id); }

}  // namespace

CSeasonSelectDlg::CSeasonSelectDlg(QWidget* owner, std::filesystem::path base)
    : QDialog(owner), base_(std::move(base)) {
  setObjectName("241");
  setWindowTitle("Select Season");
  leagues_ = new QComboBox;
  leagues_->setObjectName(Id(kLeagueList));
  leagues_->setMinimumWidth(240);
  seasons_ = new QListWidget;
  seasons_->setObjectName(Id(kSeasonList));
  auto* open = new QPushButton("Open");
  open->setObjectName(Id(kOpenButton));
  open->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  cancel->setObjectName(Id(kCancelButton));
  cancel->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(open);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("League:"));
  layout->addWidget(leagues_);
  layout->addWidget(new QLabel("Seasons:"));
  layout->addWidget(seasons_, 1);
  layout->addLayout(buttons);

  connect(leagues_, &QComboBox::currentIndexChanged, this, [this] { FillSeasons(); });
  connect(seasons_, &QListWidget::itemDoubleClicked, this, [this] { Open(); });
  connect(open, &QPushButton::clicked, this, &CSeasonSelectDlg::Open);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  resize(320, 360);

  if (auto folder = league::FindLeaguesFolder(base_)) {
    leaguesFolder_ = *folder;
    if (auto names = league::ListLeagues(leaguesFolder_, league::LeagueFilter::kAllFolders)) {
      for (const std::string& name : names.value()) leagues_->addItem(QString::fromStdString(name));
    }
  }
  FillSeasons();
}

void CSeasonSelectDlg::FillSeasons() {
  seasons_->clear();
  if (leagues_->currentIndex() < 0) return;
  auto names = season::ListSeasons(leaguesFolder_ / leagues_->currentText().toStdString());
  if (!names) {
    ShowMessage(this, kSeasonTitle, names.error());
    return;
  }
  for (const std::string& name : names.value()) seasons_->addItem(QString::fromStdString(name));
  if (seasons_->count() > 0) seasons_->setCurrentRow(0);
}

void CSeasonSelectDlg::Open() {
  if (seasons_->currentItem() == nullptr) {
    ShowMessage(this, kSeasonTitle, "This league has no season yet: File -> PLAY -> Single Season -> Create Season makes one.");
    return;
  }
  league_ = leagues_->currentText().toStdString();
  name_ = seasons_->currentItem()->text().toStdString();
  accept();
}

}  // namespace qgu::frontend
