#include "editors/edit_colors_dlg.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editors/nes_colors.h"
#include "editors/palette_combo.h"
#include "editors/uniform_preview.h"

namespace qgu::editors {
namespace {

// Combo ids by slot 0..3, radio ids by uniform and tone, preview ids by uniform.
constexpr std::array<int, 4> kComboIds = {262, 263, 264, 265};
constexpr std::array<std::array<int, 3>, 2> kSkinIds = {{{219, 220, 221}, {222, 224, 223}}};
constexpr std::array<int, 2> kPreviewIds = {352, 353};
constexpr std::array<const char*, 3> kToneNames = {"Light", "Medium", "Dark"};
constexpr int kDarkTone = 2;

ColourSlot PantsSlot(bool secondary) { return secondary ? kSecondaryPants : kPrimaryPants; }
ColourSlot JerseySlot(bool secondary) { return secondary ? kSecondaryJersey : kPrimaryJersey; }
ColourSlot SkinSlot(bool secondary) { return secondary ? kSecondarySkin : kPrimarySkin; }

}  // namespace

CEditColorsDlg::CEditColorsDlg(const ColourSlots& colours, QWidget* parent) : QDialog(parent), slots_(colours) {
  setObjectName("346");
  setWindowTitle("Edit Colors");
  BuildUi();
  for (int slot = 0; slot < 4; ++slot) combos_[static_cast<size_t>(slot)]->SelectColour(slots_[static_cast<size_t>(slot)]);
  for (bool secondary : {false, true}) {
    for (size_t tone = 0; tone < kSkinTones.size(); ++tone) {
      if (slots_[SkinSlot(secondary)] == kSkinTones[tone]) skins_[secondary][tone]->setChecked(true);
    }
    Redraw(secondary);
  }
  for (int slot = 0; slot < 4; ++slot) {
    connect(combos_[static_cast<size_t>(slot)], &QComboBox::activated, this,
            [this, slot](int index) { ColourChosen(static_cast<ColourSlot>(slot), index); });
  }
}

void CEditColorsDlg::BuildUi() {
  auto* uniforms = new QHBoxLayout;
  for (bool secondary : {false, true}) {
    auto* group = new QGroupBox(secondary ? "Secondary Uniform" : "Primary Uniform", this);
    auto* grid = new QGridLayout(group);
    for (ColourSlot slot : {PantsSlot(secondary), JerseySlot(secondary)}) {
      auto* combo = new CPaletteCombo(kComboIds[slot], group);
      combos_[slot] = combo;
      const int row = slot == PantsSlot(secondary) ? 0 : 1;
      grid->addWidget(new QLabel(row == 0 ? "Pants/Helmet:" : "Jersey:", group), row, 0);
      grid->addWidget(combo, row, 1);
    }
    auto* skinBox = new QGroupBox("Skin Color", group);
    auto* skinLayout = new QVBoxLayout(skinBox);
    auto* radios = new QButtonGroup(skinBox);
    radios->setExclusive(true);
    for (size_t tone = 0; tone < kSkinTones.size(); ++tone) {
      auto* radio = new QRadioButton(kToneNames[tone], skinBox);
      radio->setObjectName(QString::number(kSkinIds[secondary][tone]));
      radios->addButton(radio);
      skinLayout->addWidget(radio);
      skins_[secondary][tone] = radio;
      connect(radio, &QRadioButton::clicked, this, [this, secondary, tone] { SkinChosen(secondary, static_cast<int>(tone)); });
    }
    grid->addWidget(skinBox, 2, 0, 1, 2);
    PictureButton* preview = MakePictureButton(kPreviewIds[secondary], group);
    preview->setFocusPolicy(Qt::NoFocus);
    previews_[secondary] = preview;
    grid->addWidget(preview, 0, 2, 3, 1, Qt::AlignCenter);
    uniforms->addWidget(group);
  }
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* save = buttons->addButton("SAVE", QDialogButtonBox::AcceptRole);
  save->setObjectName("1");
  save->setDefault(true);
  buttons->addButton(QDialogButtonBox::Cancel)->setObjectName("2");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(uniforms);
  layout->addWidget(buttons);
}

void CEditColorsDlg::ColourChosen(ColourSlot slot, int index) {
  slots_[slot] = index;
  Redraw(slot == kSecondaryPants || slot == kSecondaryJersey);
}

void CEditColorsDlg::SkinChosen(bool secondary, int tone) {
  slots_[SkinSlot(secondary)] = kSkinTones[static_cast<size_t>(tone)];
  Redraw(secondary);
}

void CEditColorsDlg::Redraw(bool secondary) {
  const QImage preview = PaintUniformPreview({NesColorToRgb(slots_[PantsSlot(secondary)]),
                                              NesColorToRgb(slots_[JerseySlot(secondary)]),
                                              NesColorToRgb(slots_[SkinSlot(secondary)])});
  ShowPicture(previews_[secondary], preview.scaled(preview.size() * 2), kFigureKeyColour);
  ++paints_[secondary];
}

std::optional<int> CEditColorsDlg::SkinChoice(bool secondary) const {
  for (size_t tone = 0; tone < kSkinTones.size(); ++tone) {
    if (skins_[secondary][tone]->isChecked()) return static_cast<int>(tone);
  }
  return std::nullopt;
}

// Each skin comes from its checked radio; a group with none checked (the
// skin came as none of the three tones and got no click) is stored as Dark.
ColourSlots CEditColorsDlg::Result() const {
  ColourSlots result = slots_;
  for (bool secondary : {false, true}) {
    const std::optional<int> tone = SkinChoice(secondary);
    result[SkinSlot(secondary)] = kSkinTones[static_cast<size_t>(tone.value_or(kDarkTone))];
  }
  return result;
}

}  // namespace qgu::editors
