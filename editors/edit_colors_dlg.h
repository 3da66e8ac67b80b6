#pragma once
// "Edit Colors" (dialog 346): a team's two uniforms. Pants/helmet and jersey
// of each come from the 64 NES colours, the skin from three tones, and a
// preview of each uniform shows a player painted in its colours.

#include <QDialog>
#include <array>
#include <optional>

#include "editors/picture_slots.h"

class QRadioButton;

namespace qgu::editors {

class CPaletteCombo;

// The six colour slots, in the order the editors pass them.
enum ColourSlot : int {
  kPrimaryPants = 0,
  kPrimaryJersey = 1,
  kSecondaryPants = 2,
  kSecondaryJersey = 3,
  kPrimarySkin = 4,
  kSecondarySkin = 5,
};
using ColourSlots = std::array<int, 6>;

// Skin tones by radio: "Light", "Medium", "Dark".
inline constexpr std::array<int, 3> kSkinTones = {0x16, 0x06, 0x0F};

class CEditColorsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CEditColorsDlg(const ColourSlots& colours, QWidget* parent = nullptr);

  // After "SAVE": the four uniform colours and the two skin tones.
  ColourSlots Result() const;
  // The checked skin radio of a uniform (0 Light, 1 Medium, 2 Dark), or none.
  std::optional<int> SkinChoice(bool secondary) const;

  // How often each preview was painted (primary, secondary).
  std::array<int, 2> PreviewPaints() const { return paints_; }

 private:
  void BuildUi();
  void ColourChosen(ColourSlot slot, int index);
  void SkinChosen(bool secondary, int tone);
  void Redraw(bool secondary);

  ColourSlots slots_;
  std::array<CPaletteCombo*, 4> combos_{};
  std::array<std::array<QRadioButton*, 3>, 2> skins_{};
  std::array<PictureButton*, 2> previews_{};
  std::array<int, 2> paints_{};
};

}  // namespace qgu::editors
