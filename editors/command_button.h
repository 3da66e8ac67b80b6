#pragma once
// A dialog's push button carrying its control id; Enter in a dialog does not
// press it by itself (the editors' dialogs act only on clicks).

#include <QPushButton>

namespace qgu::editors {

inline QPushButton* CommandButton(int id, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::number(id));
  button->setAutoDefault(false);
  return button;
}

}  // namespace qgu::editors
