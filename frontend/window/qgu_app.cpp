#include "frontend/window/qgu_app.h"

#include <QTimer>
#include <exception>

#include "frontend/message_box.h"
#include "frontend/window/exit_signals.h"
#include "frontend/window/single_instance.h"

namespace qgu::frontend {

CQguApp::CQguApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("qgu2");
  // No display name: the platform would append it to every window title,
  // and the titles are the described ones ("QgUltra", "ERROR", ...).
  setDesktopFileName("qgu2");
  setQuitOnLastWindowClosed(false);  // the window ends the program through File -> Exit
}

bool CQguApp::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowMessage(nullptr, kStartupTitle, "Fatal Exception!");
    exit(1);
    return false;
  }
}

int CQguApp::Run(WindowOptions options, const std::function<bool(CQguDlg&)>& started,
                 const std::function<void(CQguDlg&)>& finished) {
  CSingleInstance instance;
  if (!instance.Acquire()) {
    ShowMessage(nullptr, kStartupTitle, kSecondInstanceMessage);
    return 1;
  }
  try {
    CQguDlg window(std::move(options));
    int status = window.Initialized() ? 0 : 1;
    connect(&window, &CQguDlg::Exited, this, [this] { exit(0); }, Qt::QueuedConnection);
    CExitSignals exitSignals([&window] { window.Exit(true); });
    window.show();
    if (started) {
      QTimer::singleShot(0, &window, [&] {
        if (!started(window)) {
          status = 1;
          window.Exit();
        }
      });
    }
    const int loop = exec();
    if (finished) finished(window);
    return loop != 0 ? loop : status;
  } catch (...) {
    ShowMessage(nullptr, kStartupTitle, "Fatal Exception!");
    return 1;
  }
}

}  // namespace qgu::frontend
