#pragma once
// Helpers for widget tests: controls are found by their id, which every
// dialog gives its controls as object name ("225").

#include <QString>
#include <QWidget>

namespace qgu::testing {

// The child of parent with the given control id, or nullptr.
template <class Widget = QWidget>
Widget* Control(const QWidget* parent, int id) {
  return parent->findChild<Widget*>(QString::number(id));
}

}  // namespace qgu::testing
