#pragma once
// CQguApp: the application object of qgu2. One instance per user (a second
// start says so and ends, the first plays on); then the main window until
// File -> Exit. An exception escaping an event handler shows
// "Fatal Exception!" and ends the program.

#include <QApplication>
#include <functional>

#include "frontend/window/qgu_dlg.h"

namespace qgu::frontend {

inline constexpr const char* kSecondInstanceMessage = "You cannot have 2 instances of QgUltra running!";

class CQguApp : public QApplication {
 public:
  CQguApp(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // Runs the window; started is called once it is shown (a game from the
  // command line), finished just before it goes (the frame report). Returns
  // the exit status: 0, or 1 when another instance runs or the window failed.
  int Run(WindowOptions options, const std::function<bool(CQguDlg&)>& started,
          const std::function<void(CQguDlg&)>& finished);
};

}  // namespace qgu::frontend
