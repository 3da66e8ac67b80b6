#pragma once
// CDuplicateDlg, "Duplicate" (dialog 206): asks whether an incoming team
// replaces the league's team of the same city, nickname and abbreviation.
// "Yes" closes with Accepted, "No" (the default button) with Rejected.

#include <QDialog>
#include <string>

#include "league/team_record.h"

namespace qgu::toolserver {

class CDuplicateDlg : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int { kYesButton = 1, kNoButton = 2, kQuestionText = 1038 };

  explicit CDuplicateDlg(const league::TeamHeader& team, QWidget* owner = nullptr);

  // "<city> <nickname> (<abbreviation>)\r\nalready exists in this league. ..."
  static std::string QuestionText(const league::TeamHeader& team);
};

}  // namespace qgu::toolserver
