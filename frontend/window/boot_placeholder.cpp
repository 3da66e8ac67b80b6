#include "frontend/window/boot_placeholder.h"

#include <QPainter>

namespace qgu::frontend {

void CBootPlaceholder::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  painter.setPen(Qt::white);
  QFont font("Tahoma");
  font.setPixelSize(18);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(10, 10 + painter.fontMetrics().ascent(), text_);
  const int half = width() / 2;
  if (!first_.isNull()) painter.drawImage(QRect(10, 40, half - 20, height() / 2 - 40), first_);
  if (!second_.isNull()) painter.drawImage(QRect(half + 10, height() / 2, half - 20, height() / 2 - 40), second_);
}

}  // namespace qgu::frontend
