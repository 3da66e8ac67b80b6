#pragma once
// CAboutDlg, "About... Quozi Gridcrown ULTRA" (dialog 100): the game
// program's about box, one credits control (1002) over the whole dialog.
// Escape or the window's close button ends it.

#include <QDialog>

namespace qgu::frontend {

class CCreditsCtrl;

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kCreditsControl = 1002;

  explicit CAboutDlg(QWidget* owner = nullptr);

  // The 25 lines of the crawl, in order.
  static QStringList CreditLines();
  // "Release 2.0.0": this build's release, shown below the credits.
  static QString ReleaseText();
  CCreditsCtrl* Credits() const { return credits_; }

 private:
  CCreditsCtrl* credits_;
};

}  // namespace qgu::frontend
