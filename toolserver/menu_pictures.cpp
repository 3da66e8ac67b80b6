#include "toolserver/menu_pictures.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "frontend/picture_button/picture_resources.h"

namespace qgu::toolserver {
namespace {

const QColor kKey(255, 0, 255);

// A rounded plate: a dark rim, a vertical gradient face and a light bevel line.
QImage Plate(QSize size, QColor top, QColor bottom, QColor rim) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(kKey);
  QPainter painter(&image);
  // No antialiasing on the outline: every pixel outside stays exactly the key colour.
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QRectF outer(0, 0, size.width() - 1, size.height() - 1);
  const qreal radius = size.height() / 2.0 - 1;
  QPainterPath shape;
  shape.addRoundedRect(outer, radius, radius);
  painter.fillPath(shape, rim);
  QLinearGradient face(0, 2, 0, size.height() - 2);
  face.setColorAt(0.0, top.lighter(150));
  face.setColorAt(0.45, top);
  face.setColorAt(0.55, bottom);
  face.setColorAt(1.0, bottom.darker(130));
  QPainterPath inner;
  inner.addRoundedRect(outer.adjusted(2, 2, -2, -2), radius - 2, radius - 2);
  painter.fillPath(inner, face);
  painter.setPen(QColor(255, 255, 255, 110));
  painter.drawLine(QPointF(radius, 3), QPointF(size.width() - radius, 3));
  return image;
}

QImage MusicSwitch() {
  QImage image(32, 32, QImage::Format_RGB32);
  image.fill(kKey);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QColor(20, 20, 40));
  painter.setBrush(QColor(40, 70, 150));
  painter.drawEllipse(QRect(1, 1, 29, 29));
  // A pair of joined eighth notes.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 230, 80));
  painter.drawEllipse(QRect(7, 19, 7, 5));
  painter.drawEllipse(QRect(17, 17, 7, 5));
  painter.fillRect(QRect(12, 8, 2, 14), QColor(255, 230, 80));
  painter.fillRect(QRect(22, 6, 2, 14), QColor(255, 230, 80));
  painter.fillRect(QRect(12, 6, 12, 3), QColor(255, 230, 80));
  return image;
}

}  // namespace

void RegisterMenuPictures() {
  static const bool registered = [] {
    RegisterPicture(kPlatePicture, [] { return Plate({220, 34}, QColor(226, 230, 238), QColor(150, 158, 176), QColor(8, 8, 16)); });
    RegisterPicture(kLitPlatePicture,
                    [] { return Plate({220, 34}, QColor(60, 84, 170), QColor(16, 30, 90), QColor(240, 190, 60)); });
    RegisterPicture(kExitPlatePicture,
                    [] { return Plate({110, 28}, QColor(235, 120, 96), QColor(170, 58, 44), QColor(8, 8, 16)); });
    RegisterPicture(kBackPlatePicture,
                    [] { return Plate({110, 28}, QColor(205, 208, 216), QColor(130, 136, 150), QColor(8, 8, 16)); });
    RegisterPicture(kMusicPicture, MusicSwitch);
    return true;
  }();
  (void)registered;
}

}  // namespace qgu::toolserver
