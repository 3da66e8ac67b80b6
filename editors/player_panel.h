#pragma once
// The player attribute area that the player editor and the new-team dialog
// share: jersey, names, the two columns of ratings with their "-"/"+"
// steps, the returner boxes and the skin radios, for one player at a time.

#include <QWidget>
#include <array>
#include <string>

#include "league/team_record.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace qgu::editors {

class CColorLabel;
class CUpperCaseEdit;

class CPlayerPanel : public QWidget {
  Q_OBJECT

 public:
  explicit CPlayerPanel(QWidget* parent = nullptr);

  // Shows the player at roster index `index`; the steps then change *player.
  void ShowPlayer(int index, league::PlayerRecord* player, int kickReturner, int puntReturner);
  // Nothing shown; the steps do nothing.
  void ClearPlayer();
  int ShownIndex() const { return index_; }

  // Edit mode enables what the shown position can change; browse mode nothing.
  void SetEditable(bool editable);

  // The name edits' texts (the stored names while they were not retyped).
  std::string FirstName() const;
  std::string LastName() const;
  // The skin the radios show: 0x80 for "Black", 0 for "White".
  int ChosenSkin() const;

  // Control ids.
  static constexpr int kJerseyId = 308, kJerseyDownId = 278, kJerseyUpId = 279;
  static constexpr int kFirstNameId = 298, kLastNameId = 299;
  static constexpr int kKickReturnerId = 309, kPuntReturnerId = 310;
  static constexpr int kBlackId = 400, kWhiteId = 399;
  // Value boxes by column and row; each row's "-" id, its "+" id is one more.
  static constexpr std::array<std::array<int, 4>, 2> kValueIds = {{{300, 301, 302, 303}, {304, 305, 306, 307}}};
  static constexpr std::array<std::array<int, 4>, 2> kStepDownIds = {{{280, 282, 284, 286}, {288, 290, 292, 294}}};
  static constexpr std::array<int, 4> kSecondLabelIds = {312, 313, 314, 315};

 signals:
  // A step, a name edit, a skin radio or a returner box.
  void Changed();
  void KickReturnerChosen(int index);
  void PuntReturnerChosen(int index);
  void SkinChosen(int skin);

 private:
  void BuildUi();
  void ConnectSignals();
  void StepRow(int column, int row, int delta);
  void StepJersey(int delta);
  void ShowValues();
  void UpdateEnabled();

  int index_ = -1;
  league::PlayerRecord* player_ = nullptr;
  bool editable_ = false;

  CColorLabel* jersey_ = nullptr;
  std::array<QPushButton*, 2> jerseySteps_{};
  CUpperCaseEdit* firstName_ = nullptr;
  CUpperCaseEdit* lastName_ = nullptr;
  std::array<std::array<CColorLabel*, 4>, 2> values_{};
  std::array<std::array<std::array<QPushButton*, 2>, 4>, 2> steps_{};
  std::array<QLabel*, 4> secondLabels_{};
  QCheckBox* kickReturner_ = nullptr;
  QCheckBox* puntReturner_ = nullptr;
  QRadioButton* black_ = nullptr;
  QRadioButton* white_ = nullptr;
};

}  // namespace qgu::editors
