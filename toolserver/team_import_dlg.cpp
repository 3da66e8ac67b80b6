#include "toolserver/team_import_dlg.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "frontend/elided_path_label.h"
#include "frontend/message_box.h"
#include "toolserver/dialog_ids.h"
#include "toolserver/league_data_dlg.h"

namespace qgu::toolserver {
namespace {

constexpr int kBoxRows = 14;
const QString kCheckAll = "CHECK ALL";
const QString kUncheckAll = "UNCHECK ALL";

}  // namespace

CTeamImportDlg::CTeamImportDlg(const league::CartridgeTeams& teams, std::filesystem::path image,
                               std::filesystem::path base, league::TeamWritten written, QWidget* owner)
    : QDialog(owner), teams_(teams), image_(std::move(image)), base_(std::move(base)), written_(std::move(written)) {
  setWindowTitle("Team Import");
  auto* imageLine = new frontend::CElidedPathLabel(QString::fromStdString(image_.string()), this);
  SetControlId(imageLine, kImageLine);
  imageLine->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* grid = new QGridLayout;
  for (int t = 0; t < cartridge::kTeamCount; ++t) {
    const auto index = static_cast<size_t>(t);
    auto* box = new QCheckBox(QString::fromStdString(teams_[index].record.header.nickname), this);
    SetControlId(box, kFirstTeamBox + t);
    grid->addWidget(box, t % kBoxRows, t / kBoxRows);
    boxes_[index] = box;
  }
  checkAll_ = new QPushButton(kCheckAll, this);
  auto* next = new QPushButton("NEXT >>", this);
  auto* cancel = new QPushButton("Cancel", this);
  SetControlId(checkAll_, kCheckAllButton);
  SetControlId(next, kNextButton);
  SetControlId(cancel, kCancelButton);
  next->setDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(checkAll_);
  buttons->addStretch();
  buttons->addWidget(next);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Select the teams to import from this rom ", this));
  layout->addWidget(imageLine);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  connect(checkAll_, &QPushButton::clicked, this, &CTeamImportDlg::ToggleAll);
  connect(next, &QPushButton::clicked, this, &CTeamImportDlg::Next);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::vector<int> CTeamImportDlg::Selection() const {
  std::vector<int> selection;
  for (int t = 0; t < cartridge::kTeamCount; ++t) {
    if (boxes_[static_cast<size_t>(t)]->isChecked()) selection.push_back(t);
  }
  return selection;
}

void CTeamImportDlg::ToggleAll() {
  const bool tick = checkAll_->text() == kCheckAll;
  for (QCheckBox* box : boxes_) box->setChecked(tick);
  checkAll_->setText(tick ? kUncheckAll : kCheckAll);
}

void CTeamImportDlg::Next() {
  ImportJob job{&teams_, Selection(), image_, written_};
  if (job.selection.empty()) {
    frontend::ShowMessage(this, std::string(league::kImportTitle), std::string(league::kNoTeamsSelectedMessage),
                          frontend::MessageIcon::kNone);
    return;
  }
  hide();
  CLeagueDataDlg leagues(CLeagueDataDlg::Mode::kImport, base_, &job, parentWidget());
  leagues.exec();
  accept();
}

std::optional<std::filesystem::path> ChooseImageFile(QWidget* owner) {
  QFileDialog dialog(owner, "Open");
  dialog.setNameFilter("NES Rom (*.nes)");
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setOption(QFileDialog::ReadOnly);
  // The same dialog on every desktop, so scripts and tests can answer it.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

void RunCartridgeImport(QWidget* owner, const std::filesystem::path& base, const ImageChooser& chooseImage,
                        const league::TeamWritten& written) {
  const std::optional<std::filesystem::path> image = chooseImage(owner);
  if (!image) return;
  const league::LoadedCartridge loaded = league::LoadCartridgeForImport(*image);
  for (const std::string& message : loaded.messages) {
    frontend::ShowMessage(owner, std::string(league::kImportTitle), message, frontend::MessageIcon::kNone);
  }
  if (!loaded.teams) return;
  CTeamImportDlg teams(*loaded.teams, *image, base, written, owner);
  teams.exec();
}

}  // namespace qgu::toolserver
