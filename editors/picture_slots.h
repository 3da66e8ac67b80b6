#pragma once
// The editors' picture buttons: play slots and play choices (a play's
// picture), colour swatches (a button filled with its colour) and the
// uniform previews. One place decides how each kind is set up.

#include <QImage>
#include <QRgb>

#include "frontend/picture_button/picture_button.h"

namespace qgu::editors {

using PictureButton = toolserver::CPictureButton;

PictureButton* MakePictureButton(int id, QWidget* parent);

// The picture, with every pixel of keyColour (a screen colour, 0xRRGGBB) transparent.
void ShowPicture(PictureButton* button, const QImage& picture, QRgb keyColour);

// A play slot or choice: the play's picture (magenta transparent) with the
// slots' text colours; a null picture id leaves the slot empty.
void ShowPlay(PictureButton* button, int pictureId);

// A colour swatch: the button's background in every state is the colour (0xRRGGBB).
void ShowSwatch(PictureButton* button, QRgb colour);

// The colour a swatch shows, 0xRRGGBB.
QRgb SwatchColour(const PictureButton* button);

}  // namespace qgu::editors
