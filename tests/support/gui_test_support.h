#pragma once
// Helpers for widget tests: controls are found by their id, which every
// dialog gives its controls as object name ("225").

#include <QApplication>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace qgu::testing {

// The child of parent with the given control id, or nullptr.
template <class Widget = QWidget>
Widget* Control(const QWidget* parent, int id) {
  return parent->findChild<Widget*>(QString::number(id));
}

// Lets the event loop work until condition holds; false if it never does
// within guardSeconds (a guard against hanging, far beyond what the work needs).
inline bool ProcessUntil(const std::function<bool()>& condition, int guardSeconds = 300) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > guardSeconds * 1000) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// Runs act on the next modal dialog of type Dialog once it is open.
template <class Dialog>
void WhenModal(std::function<void(Dialog&)> act) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
      poll->stop();
      poll->deleteLater();
      act(*dialog);
    }
  });
  poll->start(10);
}

}  // namespace qgu::testing
