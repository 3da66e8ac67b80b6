#pragma once
// An up-down control: two small arrow buttons beside a value box. It holds
// no value itself; each click reports a step (+1 up, -1 down) and the dialog
// decides what the step does.

#include <QWidget>

class QToolButton;

namespace qgu::editors {

class CUpDown : public QWidget {
  Q_OBJECT

 public:
  explicit CUpDown(int id, QWidget* parent = nullptr);

  // What a click on an arrow does; nothing while the control is disabled.
  void Step(int delta);

 signals:
  void Stepped(int delta);

 private:
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace qgu::editors
