#pragma once
// The editors' picture buttons: play slots and play choices (a play's
// picture), colour swatches (a button filled with its colour) and the
// uniform previews. One place decides how each kind is set up.

#include <QImage>
#include <QPushButton>
#include <QRgb>

namespace qgu::editors {

using PictureButton = QPushButton;

PictureButton* MakePictureButton(int id, QWidget* parent);

// The picture, with every pixel of keyColour transparent.
void ShowPicture(PictureButton* button, const QImage& picture, QRgb keyColour);

// A play slot or choice: the play's picture and the slots' text colours.
void ShowPlay(PictureButton* button, int pictureId);

// A colour swatch: the button's background in every state is the colour.
void ShowSwatch(PictureButton* button, QRgb colour);

// How far a play slot's picture moves while pressed: 1 in edit mode (it can
// be clicked), 2 in browse mode (it stays put).
void SetPressedStyle(PictureButton* button, int style);

// The colour a swatch shows (tests).
QRgb SwatchColour(const PictureButton* button);

}  // namespace qgu::editors
