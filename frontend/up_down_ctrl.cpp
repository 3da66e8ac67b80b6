#include "frontend/up_down_ctrl.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

namespace qgu::frontend {

CUpDownCtrl::CUpDownCtrl(QLineEdit* buddy, int low, int high, QWidget* parent)
    : QWidget(parent), buddy_(buddy), low_(low), high_(high), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (QToolButton* button : {up_, down_}) {
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(18, 12);
    layout->addWidget(button);
  }
  connect(up_, &QToolButton::clicked, this, [this] { StepBy(1); });
  connect(down_, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void CUpDownCtrl::StepBy(int steps) {
  bool isNumber = false;
  const int current = buddy_->text().toInt(&isNumber);
  const int start = isNumber ? current : (steps > 0 ? low_ - 1 : high_ + 1);
  buddy_->setText(QString::number(std::clamp(start + steps, low_, high_)));
}

void CUpDownCtrl::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (steps != 0) StepBy(steps);
  event->accept();
}

}  // namespace qgu::frontend
