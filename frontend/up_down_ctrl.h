#pragma once
// CUpDownCtrl: the two small arrow buttons beside a number field. Each click
// (or wheel step) moves the buddy field's number by one within the range; a
// field that holds no number starts from the nearer end of the range.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace qgu::frontend {

class CUpDownCtrl : public QWidget {
  Q_OBJECT

 public:
  CUpDownCtrl(QLineEdit* buddy, int low, int high, QWidget* parent = nullptr);

  void StepBy(int steps);
  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

 protected:
  void wheelEvent(QWheelEvent* event) override;

 private:
  QLineEdit* buddy_;
  int low_;
  int high_;
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace qgu::frontend
