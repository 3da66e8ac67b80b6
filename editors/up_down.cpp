#include "editors/up_down.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace qgu::editors {

CUpDown::CUpDown(int id, QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  setObjectName(QString::number(id));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (QToolButton* arrow : {up_, down_}) {
    arrow->setArrowType(arrow == up_ ? Qt::UpArrow : Qt::DownArrow);
    arrow->setFixedSize(18, 11);
    arrow->setAutoRepeat(true);
    arrow->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(arrow);
  }
  connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void CUpDown::Step(int delta) {
  if (isEnabled()) emit Stepped(delta);
}

}  // namespace qgu::editors
