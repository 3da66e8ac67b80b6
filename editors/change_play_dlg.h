#pragma once
// "Change Play" (dialog 348): the eight plays of one playbook slot as
// pictures; a click chooses one and shows its name, OK returns it.

#include <QDialog>
#include <array>

#include "editors/picture_slots.h"
#include "editors/play_table.h"

class QLabel;

namespace qgu::editors {

class CChangePlayDlg : public QDialog {
  Q_OBJECT

 public:
  // slot 0..3 within its group; choice 0..7 is the slot's current play.
  CChangePlayDlg(int slot, PlayKind kind, int choice, QWidget* parent = nullptr);

  // The chosen play: the incoming one until a picture is clicked.
  int Choice() const { return choice_; }

  // Control ids of the eight choices, choice 0 first.
  static constexpr std::array<int, kPlayChoiceCount> kChoiceIds = {251, 252, 253, 254, 272, 273, 274, 275};
  static constexpr int kPlayNameId = 271;

 private:
  void Choose(int choice);

  int slot_;
  PlayKind kind_;
  int choice_;
  QLabel* name_;
};

}  // namespace qgu::editors
