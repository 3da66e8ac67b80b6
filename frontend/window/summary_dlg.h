#pragma once
// CSummaryDlg, "Summary" (dialog 202): the box score after a game. The two
// team names and final scores at the top, below them each team's individual
// statistics as a text table in a fixed-width font (passing with the passer
// rating, rushing, receiving, returns, sacks, interceptions, kicking,
// punting). It only shows; "Done" closes it.

#include <QDialog>

#include "driver/game_summary.h"

class QListWidget;

namespace qgu::frontend {

class CSummaryDlg : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int {
    kDoneButton = 1,
    kStatisticsList = 209,
    kHomeTeamName = 215,
    kAwayTeamName = 216,
    kHomeScore = 217,
    kAwayScore = 218,
  };

  CSummaryDlg(QWidget* owner, const driver::GameSummary& summary);

  // The table's lines, blank lines included.
  QStringList TableLines() const;

 private:
  QListWidget* table_ = nullptr;
};

}  // namespace qgu::frontend
