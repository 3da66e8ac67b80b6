#include "editors/team_header_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "editors/change_play_dlg.h"
#include "editors/color_label.h"
#include "editors/nes_colors.h"
#include "editors/up_down.h"
#include "editors/upper_case_edit.h"

namespace qgu::editors {
namespace {

using league::TeamHeader;

constexpr int kNameLength = 16;
constexpr int kAbbreviationLength = 4;
constexpr std::array<const char*, 3> kFormations = {"PRO SET", "SINGLE BACK SET", "4 WR SET"};
constexpr int kFirstFormation = league::kProSet;

// Percentage boxes in PercentBox order, with their captions and up-downs.
struct PercentControl {
  const char* caption;
  int boxId;
  int upDownId;
  int TeamPercentages::*value;
};
constexpr std::array<PercentControl, 7> kPercentControls = {{
    {"Quozi D %", 365, 372, &TeamPercentages::quozi},
    {"Adaptive D %", 366, 359, &TeamPercentages::adaptive},
    {"Jailbreak D %", 367, 360, &TeamPercentages::jailbreak},
    {"Jailbreak Run D %", 368, 361, &TeamPercentages::jailbreakRun},
    {"Jailbreak Pass D %", 369, 362, &TeamPercentages::jailbreakPass},
    {"Run %", 370, 363, &TeamPercentages::run},
    {"Pass %", 371, 364, &TeamPercentages::pass},
}};
constexpr size_t kDefenceBoxes = 5;  // the first five; then "Run %" and "Pass %"

// Header colour fields by colour slot.
constexpr std::array<int TeamHeader::*, 6> kColourFields = {
    &TeamHeader::primaryPantsColour,   &TeamHeader::primaryJerseyColour, &TeamHeader::secondaryPantsColour,
    &TeamHeader::secondaryJerseyColour, &TeamHeader::primarySkinColour,   &TeamHeader::secondarySkinColour};

// Playbook bytes: run 1-2, run 3-4, pass 1-2, pass 3-4; first slot in the high nibble.
constexpr std::array<int TeamHeader::*, 4> kPlaybookFields = {&TeamHeader::runPlays12, &TeamHeader::runPlays34,
                                                              &TeamHeader::passPlays12, &TeamHeader::passPlays34};

}  // namespace

CTeamHeaderPanel::CTeamHeaderPanel(QWidget* parent) : QWidget(parent) {
  BuildUi();
  ConnectSignals();
  Clear();
  SetEditable(false);
}

void CTeamHeaderPanel::BuildUi() {
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(BuildNames(), 0, 0);
  layout->addWidget(BuildColours(), 1, 0);
  layout->addWidget(BuildPlaybook(), 0, 1, 2, 1);
  layout->addWidget(BuildPercentages(), 2, 0, 1, 2);
}

QWidget* CTeamHeaderPanel::BuildNames() {
  auto* names = new QWidget(this);
  auto* form = new QFormLayout(names);
  form->setContentsMargins(0, 0, 0, 0);
  city_ = new CUpperCaseEdit(kCityId, kNameLength, names);
  name_ = new CUpperCaseEdit(kNameId, kNameLength, names);
  abbreviation_ = new CUpperCaseEdit(kAbbreviationId, kAbbreviationLength, names);
  formation_ = new QComboBox(names);
  formation_->setObjectName(QString::number(kFormationId));
  for (const char* formation : kFormations) formation_->addItem(formation);
  form->addRow("City:", city_);
  form->addRow("Name:", name_);
  form->addRow("Abbreviation:", abbreviation_);
  form->addRow("Formation:", formation_);
  return names;
}

QGroupBox* CTeamHeaderPanel::BuildColours() {
  colourGroup_ = new QGroupBox("Colors", this);
  colourGroup_->setObjectName(QString::number(kColorsGroupId));
  auto* grid = new QGridLayout(colourGroup_);
  const std::array<const char*, 3> columns = {"Pants/Helmet", "Jersey", "Skin"};
  for (int column = 0; column < 3; ++column) {
    grid->addWidget(new QLabel(columns[static_cast<size_t>(column)], colourGroup_), 0, column + 1, Qt::AlignCenter);
  }
  grid->addWidget(new QLabel("Primary", colourGroup_), 1, 0);
  grid->addWidget(new QLabel("Secondary", colourGroup_), 2, 0);
  // Slot order: primary pants, primary jersey, secondary pants, secondary jersey, primary skin, secondary skin.
  constexpr std::array<std::pair<int, int>, 6> kCells = {{{1, 1}, {1, 2}, {2, 1}, {2, 2}, {1, 3}, {2, 3}}};
  for (size_t slot = 0; slot < swatches_.size(); ++slot) {
    PictureButton* swatch = MakePictureButton(kSwatchIds[slot], colourGroup_);
    swatch->setFixedSize(44, 24);
    swatch->SetFlat(false);
    swatches_[slot] = swatch;
    grid->addWidget(swatch, kCells[slot].first, kCells[slot].second, Qt::AlignCenter);
  }
  return colourGroup_;
}

QGroupBox* CTeamHeaderPanel::BuildPlaybook() {
  playbook_ = new QGroupBox("Playbook", this);
  playbook_->setObjectName(QString::number(kPlaybookGroupId));
  auto* grid = new QGridLayout(playbook_);
  grid->addWidget(new QLabel("Run", playbook_), 0, 0);
  grid->addWidget(new QLabel("Pass", playbook_), 2, 0);
  for (size_t slot = 0; slot < slots_.size(); ++slot) {
    PictureButton* button = MakePictureButton(kPlaySlotIds[slot], playbook_);
    slots_[slot] = button;
    grid->addWidget(button, slot < 4 ? 1 : 3, static_cast<int>(slot % 4));
  }
  return playbook_;
}

QWidget* CTeamHeaderPanel::BuildPercentages() {
  auto* area = new QWidget(this);
  auto* row = new QHBoxLayout(area);
  row->setContentsMargins(0, 0, 0, 0);
  auto* defence = new QGroupBox("Defense", area);
  auto* offence = new QGroupBox("Offense", area);
  auto* defenceGrid = new QGridLayout(defence);
  auto* offenceGrid = new QGridLayout(offence);
  enabled_ = new QCheckBox("Enabled", offence);
  enabled_->setObjectName(QString::number(kEnabledId));
  offenceGrid->addWidget(enabled_, 0, 0, 1, 3);
  for (size_t i = 0; i < kPercentControls.size(); ++i) {
    const PercentControl& control = kPercentControls[i];
    const bool isDefence = i < kDefenceBoxes;
    QGroupBox* group = isDefence ? defence : offence;
    QGridLayout* grid = isDefence ? defenceGrid : offenceGrid;
    const int gridRow = isDefence ? static_cast<int>(i) : static_cast<int>(i - kDefenceBoxes) + 1;
    boxes_[i] = new CColorLabel(control.boxId, group);
    upDowns_[i] = new CUpDown(control.upDownId, group);
    grid->addWidget(new QLabel(control.caption, group), gridRow, 0);
    grid->addWidget(boxes_[i], gridRow, 1);
    grid->addWidget(upDowns_[i], gridRow, 2);
  }
  offenceGrid->setRowStretch(3, 1);
  row->addWidget(defence);
  row->addWidget(offence);
  return area;
}

void CTeamHeaderPanel::ConnectSignals() {
  for (CUpperCaseEdit* edit : {city_, name_, abbreviation_}) {
    connect(edit, &QLineEdit::textEdited, this, &CTeamHeaderPanel::Changed);
  }
  connect(formation_, &QComboBox::activated, this, &CTeamHeaderPanel::Changed);
  for (PictureButton* swatch : swatches_) connect(swatch, &QPushButton::clicked, this, &CTeamHeaderPanel::EditColours);
  for (size_t slot = 0; slot < slots_.size(); ++slot) {
    connect(slots_[slot], &QPushButton::clicked, this, [this, slot] { ChangePlay(static_cast<int>(slot)); });
  }
  for (size_t i = 0; i < upDowns_.size(); ++i) {
    connect(upDowns_[i], &CUpDown::Stepped, this, [this, i](int delta) { Step(static_cast<PercentBox>(i), delta); });
  }
  connect(enabled_, &QCheckBox::clicked, this, &CTeamHeaderPanel::EnabledToggled);
}

void CTeamHeaderPanel::Show(const TeamHeader& header) {
  shown_ = true;
  city_->SetText(header.city);
  name_->SetText(header.nickname);
  abbreviation_->SetText(header.abbreviation);
  for (size_t slot = 0; slot < colours_.size(); ++slot) colours_[slot] = header.*kColourFields[slot];
  for (size_t byte = 0; byte < kPlaybookFields.size(); ++byte) {
    const int value = header.*kPlaybookFields[byte];
    plays_[byte * 2] = value >> 4 & 0x0F;
    plays_[byte * 2 + 1] = value & 0x0F;
  }
  const int formation = header.formation - kFirstFormation;
  formation_->setCurrentIndex(formation >= 0 && formation < formation_->count() ? formation : -1);
  percentages_ = {header.quoziDefence,       header.adaptiveDefence, header.jailbreakDefence,
                  header.jailbreakRunDefence, header.jailbreakPassDefence, header.runPercent,
                  header.passPercent};
  enabled_->setChecked(header.ratioEnabled != 0);
  ShowColours();
  for (int slot = 0; slot < static_cast<int>(slots_.size()); ++slot) ShowPlay(slot);
  ShowPercentages();
  UpdatePercentControls();
}

void CTeamHeaderPanel::Clear() {
  shown_ = false;
  for (CUpperCaseEdit* edit : {city_, name_, abbreviation_}) edit->SetText({});
  formation_->setCurrentIndex(-1);
  enabled_->setChecked(false);
  for (PictureButton* swatch : swatches_) swatch->SetDefaultColours();
  for (PictureButton* slot : slots_) editors::ShowPlay(slot, 0);
  for (CColorLabel* box : boxes_) box->clear();
}

void CTeamHeaderPanel::Collect(TeamHeader& header) const {
  header.city = city_->Text();
  header.nickname = name_->Text();
  header.abbreviation = abbreviation_->Text();
  for (size_t slot = 0; slot < colours_.size(); ++slot) header.*kColourFields[slot] = colours_[slot];
  for (size_t byte = 0; byte < kPlaybookFields.size(); ++byte) {
    header.*kPlaybookFields[byte] = plays_[byte * 2] * 16 + plays_[byte * 2 + 1];
  }
  if (FormationChosen()) header.formation = formation_->currentIndex() + kFirstFormation;
  header.quoziDefence = percentages_.quozi;
  header.adaptiveDefence = percentages_.adaptive;
  header.jailbreakDefence = percentages_.jailbreak;
  header.jailbreakRunDefence = percentages_.jailbreakRun;
  header.jailbreakPassDefence = percentages_.jailbreakPass;
  header.runPercent = percentages_.run;
  header.passPercent = percentages_.pass;
  header.ratioEnabled = enabled_->isChecked() ? 1 : 0;
}

bool CTeamHeaderPanel::FormationChosen() const { return formation_->currentIndex() >= 0; }

void CTeamHeaderPanel::SetEditable(bool editable) {
  editable_ = editable;
  for (CUpperCaseEdit* edit : {city_, name_, abbreviation_}) edit->setReadOnly(!editable);
  formation_->setEnabled(editable);
  enabled_->setEnabled(editable);
  for (PictureButton* swatch : swatches_) swatch->setEnabled(editable);
  for (PictureButton* slot : slots_) slot->SetPressedStyle(editable ? toolserver::kPressedDown : toolserver::kPressedStill);
  playbook_->setTitle(editable ? "Playbook - click play to change" : "Playbook");
  colourGroup_->setTitle(editable ? "Colors - click color to change" : "Colors");
  UpdatePercentControls();
}

void CTeamHeaderPanel::ShowColours() {
  for (size_t slot = 0; slot < swatches_.size(); ++slot) ShowSwatch(swatches_[slot], NesColorToRgb(colours_[slot]));
}

void CTeamHeaderPanel::ShowPlay(int slot) {
  const PlayKind kind = slot < kPlaySlotCount ? PlayKind::kRun : PlayKind::kPass;
  PictureButton* button = slots_[static_cast<size_t>(slot)];
  const std::optional<PlayEntry> play = LookupPlay(slot % kPlaySlotCount, plays_[static_cast<size_t>(slot)], kind);
  if (!play) {
    editors::ShowPlay(button, 0);
    button->setToolTip({});
    return;
  }
  editors::ShowPlay(button, play->pictureId);
  button->setToolTip(QString::fromUtf8(play->name.data(), static_cast<qsizetype>(play->name.size())));
}

void CTeamHeaderPanel::ShowPercentages() {
  for (size_t i = 0; i < boxes_.size(); ++i) boxes_[i]->setNum(percentages_.*kPercentControls[i].value);
}

// Which up-downs work and which boxes look editable follow the mode and "Enabled".
void CTeamHeaderPanel::UpdatePercentControls() {
  const bool ratio = editable_ && enabled_->isChecked();
  for (size_t i = 0; i < boxes_.size(); ++i) {
    const bool active = i < kDefenceBoxes ? editable_ : ratio;
    upDowns_[i]->setEnabled(active && shown_);
    boxes_[i]->SetEditableColours(active && shown_);
  }
}

void CTeamHeaderPanel::EditColours() {
  if (!editable_) return;
  CEditColorsDlg dialog(colours_, window());
  if (dialog.exec() != QDialog::Accepted) return;
  colours_ = dialog.Result();
  ShowColours();
  emit Changed();
}

void CTeamHeaderPanel::ChangePlay(int slot) {
  if (!editable_ || !shown_) return;
  const PlayKind kind = slot < kPlaySlotCount ? PlayKind::kRun : PlayKind::kPass;
  CChangePlayDlg dialog(slot % kPlaySlotCount, kind, plays_[static_cast<size_t>(slot)], window());
  if (dialog.exec() != QDialog::Accepted) return;
  plays_[static_cast<size_t>(slot)] = dialog.Choice();
  ShowPlay(slot);
  emit Changed();
}

void CTeamHeaderPanel::Step(PercentBox box, int delta) {
  StepPercentage(percentages_, box, delta);
  ShowPercentages();
  emit Changed();
}

void CTeamHeaderPanel::EnabledToggled(bool /*checked*/) {
  UpdatePercentControls();
  emit Changed();
}

}  // namespace qgu::editors
