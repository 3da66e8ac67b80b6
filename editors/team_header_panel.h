#pragma once
// The team header controls that the team editor and the new-team dialog
// share: names, formation, the six colour swatches, the eight playbook slots,
// the "Enabled" switch and the seven percentage boxes with their up-downs.
// Swatches open "Edit Colors", slots open "Change Play", and the up-downs
// keep the linked percentages at 100.

#include <QWidget>
#include <array>

#include "editors/edit_colors_dlg.h"
#include "editors/percent_steps.h"
#include "editors/picture_slots.h"
#include "league/team_record.h"

class QCheckBox;
class QComboBox;
class QGroupBox;

namespace qgu::editors {

class CColorLabel;
class CUpDown;
class CUpperCaseEdit;

class CTeamHeaderPanel : public QWidget {
  Q_OBJECT

 public:
  explicit CTeamHeaderPanel(QWidget* parent = nullptr);

  // Puts a team's header into the controls (no change is reported).
  void Show(const league::TeamHeader& header);
  // Clears every control, as before any team is shown.
  void Clear();
  // The header as the controls show it, over `header` (fields the panel does
  // not show, such as the returners, stay; so does a formation when none is
  // chosen).
  void Collect(league::TeamHeader& header) const;

  // Edit mode: names, formation, swatches, slots, defence up-downs and
  // "Enabled" can be changed. Browse mode: everything is read-only.
  void SetEditable(bool editable);
  bool Editable() const { return editable_; }

  bool FormationChosen() const;

  // Control ids.
  static constexpr int kCityId = 232, kNameId = 233, kAbbreviationId = 234, kFormationId = 260;
  static constexpr int kEnabledId = 319, kPlaybookGroupId = 268, kColorsGroupId = 269;
  // Swatches by colour slot (primary pants, primary jersey, secondary pants,
  // secondary jersey, primary skin, secondary skin).
  static constexpr std::array<int, 6> kSwatchIds = {261, 262, 263, 264, 265, 266};
  // Play slots: run 1..4, then pass 1..4.
  static constexpr std::array<int, 8> kPlaySlotIds = {251, 252, 253, 254, 255, 256, 257, 258};

 signals:
  // Any change the user makes (texts, formation, colours, plays, percentages, "Enabled").
  void Changed();

 private:
  void BuildUi();
  QWidget* BuildNames();
  QGroupBox* BuildColours();
  QGroupBox* BuildPlaybook();
  QWidget* BuildPercentages();
  void ConnectSignals();

  void ShowColours();
  void ShowPlay(int slot);
  void ShowPercentages();
  void UpdatePercentControls();
  void EditColours();
  void ChangePlay(int slot);
  void Step(PercentBox box, int delta);
  void EnabledToggled(bool checked);

  bool editable_ = false;
  bool shown_ = false;
  ColourSlots colours_{};
  std::array<int, 8> plays_{};
  TeamPercentages percentages_;

  CUpperCaseEdit* city_ = nullptr;
  CUpperCaseEdit* name_ = nullptr;
  CUpperCaseEdit* abbreviation_ = nullptr;
  QComboBox* formation_ = nullptr;
  QCheckBox* enabled_ = nullptr;
  QGroupBox* playbook_ = nullptr;
  QGroupBox* colourGroup_ = nullptr;
  std::array<PictureButton*, 6> swatches_{};
  std::array<PictureButton*, 8> slots_{};
  std::array<CColorLabel*, 7> boxes_{};
  std::array<CUpDown*, 7> upDowns_{};
};

}  // namespace qgu::editors
