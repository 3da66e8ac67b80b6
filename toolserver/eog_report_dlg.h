#pragma once
// CEogReportDlg (dialog 202): a finished game's report. A newspaper banner,
// both teams with their final scores, and the two-column box score, home team
// on the left, section by section, each sorted by its main figure.

#include <QDialog>
#include <string>

#include "toolserver/eog_report.h"

class QScrollBar;
class QTableWidget;
class QTextEdit;

namespace qgu::toolserver {

class CEogReportDlg : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int {
    kDoneButton = 1,
    kBoxScoreScroll = 320,
    kBoxScoreList = 321,
    kHomeName = 377,
    kAwayName = 378,
    kBanner = 379,
    kHomeScore = 380,
    kAwayScore = 381,
  };

  CEogReportDlg(std::string_view homeStats, std::string_view awayStats, std::string homeScore, std::string awayScore,
                QWidget* owner = nullptr);

 protected:
  // The list's columns follow its viewport's width, whenever the layout settles it.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildUi();
  void FillTexts();
  void FillBoxScore();
  QTextEdit* AddRichEdit(int id);
  void FitColumns();

  ReportSide home_;
  ReportSide away_;
  std::string homeScore_;
  std::string awayScore_;
  QTableWidget* list_ = nullptr;
  QScrollBar* scroll_ = nullptr;
};

}  // namespace qgu::toolserver
