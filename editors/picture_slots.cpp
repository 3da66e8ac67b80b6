#include "editors/picture_slots.h"

#include <QBitmap>
#include <QIcon>
#include <QPixmap>

#include "editors/play_pictures.h"

namespace qgu::editors {

PictureButton* MakePictureButton(int id, QWidget* parent) {
  auto* button = new PictureButton(parent);
  button->setObjectName(QString::number(id));
  return button;
}

void ShowPicture(PictureButton* button, const QImage& picture, QRgb keyColour) {
  QPixmap pixmap = QPixmap::fromImage(picture);
  pixmap.setMask(QBitmap::fromImage(picture.createMaskFromColor(0xFF000000 | keyColour, Qt::MaskInColor)));
  button->setIcon(QIcon(pixmap));
  button->setIconSize(picture.size());
  button->setFixedSize(picture.size() + QSize(8, 8));
  button->setProperty("picture", picture);
}

void ShowPlay(PictureButton* button, int pictureId) {
  ShowPicture(button, PlayPicture(pictureId), kPlayPictureKeyColour);
  button->setProperty("pictureId", pictureId);
}

void ShowSwatch(PictureButton* button, QRgb colour) {
  button->setStyleSheet(QString("background-color: #%1; border: 1px solid #404040;").arg(colour & 0xFFFFFF, 6, 16, QChar('0')));
  button->setProperty("swatch", static_cast<unsigned>(colour & 0xFFFFFF));
}

void SetPressedStyle(PictureButton* button, int style) { button->setProperty("pressedStyle", style); }

QRgb SwatchColour(const PictureButton* button) { return button->property("swatch").toUInt(); }

}  // namespace qgu::editors
