#include "editors/picture_slots.h"

#include <QColor>

#include "editors/play_pictures.h"

namespace qgu::editors {
namespace {

using toolserver::FromQColor;
using toolserver::WindowsColour;

// The slots' text colours while lit and normal: yellow and white.
constexpr WindowsColour kSlotLitText = 0x00FFFF;
constexpr WindowsColour kSlotText = 0xFFFFFF;
constexpr int kFrame = 6;  // room for the button's edge around a picture

WindowsColour Windows(QRgb colour) { return FromQColor(QColor(colour)); }

}  // namespace

PictureButton* MakePictureButton(int id, QWidget* parent) {
  auto* button = new PictureButton(parent);
  button->setObjectName(QString::number(id));
  button->setAutoDefault(false);
  return button;
}

void ShowPicture(PictureButton* button, const QImage& picture, QRgb keyColour) {
  button->SetPictures(picture, Windows(keyColour));
  button->setFixedSize(picture.size() + QSize(kFrame, kFrame));
}

void ShowPlay(PictureButton* button, int pictureId) {
  button->setProperty("pictureId", pictureId);
  const QImage picture = PlayPicture(pictureId);
  if (picture.isNull()) {  // a stored choice outside 0..7: an empty slot
    QImage empty(kPlayPictureWidth, kPlayPictureHeight, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    ShowPicture(button, empty, 0);
    return;
  }
  ShowPicture(button, picture, kPlayPictureKeyColour);
  button->SetColour(toolserver::kLitText, kSlotLitText, false);
  button->SetColour(toolserver::kNormalText, kSlotText);
}

void ShowSwatch(PictureButton* button, QRgb colour) {
  for (int slot : {toolserver::kLitBackground, toolserver::kNormalBackground, toolserver::kFocusBackground}) {
    button->SetColour(slot, Windows(colour), false);
  }
  button->update();
}

QRgb SwatchColour(const PictureButton* button) {
  return toolserver::ToQColor(button->Colour(toolserver::kNormalBackground)).rgb() & 0xFFFFFF;
}

}  // namespace qgu::editors
