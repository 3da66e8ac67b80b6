#pragma once
// The tool server's about box, "About.... Quozi Gridcrown Ultra" (dialog 102):
// one text-rain control (1002) covering the whole dialog.

#include <QDialog>

namespace qgu::toolserver {

class CHelperAboutDlg : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int { kTextRain = 1002 };

  explicit CHelperAboutDlg(QWidget* owner = nullptr);
};

}  // namespace qgu::toolserver
