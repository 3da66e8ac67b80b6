#include "frontend/window/program_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace qgu::frontend {

namespace {

void DrawTurf(QPainter& painter, double s) {
  QPainterPath square;
  square.addRoundedRect(QRectF(0.04 * s, 0.04 * s, 0.92 * s, 0.92 * s), 0.16 * s, 0.16 * s);
  painter.fillPath(square, QColor(0x1f, 0x7a, 0x32));
  painter.setClipPath(square);
  painter.setPen(QPen(QColor(255, 255, 255, 150), 0.018 * s));
  for (int line = 1; line < 5; ++line) painter.drawLine(QPointF(line * 0.2 * s, 0), QPointF(line * 0.2 * s, s));
  painter.setClipping(false);
}

void DrawBall(QPainter& painter, double s) {
  painter.save();
  painter.translate(0.5 * s, 0.64 * s);
  painter.rotate(-30);
  painter.setPen(QPen(QColor(0x3b, 0x1c, 0x0a), 0.02 * s));
  painter.setBrush(QColor(0x8b, 0x45, 0x13));
  painter.drawEllipse(QPointF(0, 0), 0.3 * s, 0.17 * s);
  painter.setPen(QPen(Qt::white, 0.022 * s, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(-0.12 * s, 0), QPointF(0.12 * s, 0));
  for (int lace = -2; lace <= 2; ++lace) {
    const double x = lace * 0.05 * s;
    painter.drawLine(QPointF(x, -0.035 * s), QPointF(x, 0.035 * s));
  }
  painter.restore();
}

void DrawCrown(QPainter& painter, double s) {
  QPainterPath crown;
  const double base = 0.38 * s;
  crown.moveTo(0.27 * s, base);
  crown.lineTo(0.24 * s, 0.14 * s);
  crown.lineTo(0.37 * s, 0.26 * s);
  crown.lineTo(0.5 * s, 0.1 * s);
  crown.lineTo(0.63 * s, 0.26 * s);
  crown.lineTo(0.76 * s, 0.14 * s);
  crown.lineTo(0.73 * s, base);
  crown.closeSubpath();
  painter.setPen(QPen(QColor(0x8a, 0x62, 0x00), 0.016 * s));
  painter.setBrush(QColor(0xff, 0xc8, 0x1e));
  painter.drawPath(crown);
  painter.setBrush(QColor(0xd0, 0x20, 0x30));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QPointF(0.5 * s, 0.31 * s), 0.035 * s, 0.035 * s);
}

}  // namespace

QImage ProgramIcon(int size) {
  QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing);
  const double s = size;
  DrawTurf(painter, s);
  DrawBall(painter, s);
  DrawCrown(painter, s);
  return icon;
}

}  // namespace qgu::frontend
