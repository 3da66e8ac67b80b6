#pragma once
// The 50 x 74 pictures of the 64 plays, drawn from each play's sketch: a
// chalk board with the offence, the routes and the ball's way. Magenta
// (0xFF00FF) around the board's rounded corners is the transparent colour.

#include <QImage>
#include <QRgb>

#include "editors/play_table.h"

namespace qgu::editors {

inline constexpr QRgb kPlayPictureKeyColour = 0xFF00FF;

// Draws one play's picture.
QImage DrawPlayPicture(const PlaySketch& sketch);

// Registers the editors' pictures under their resource ids (the 64 plays,
// 281..344, and the player figure, 347) with the picture buttons' pictures;
// each is drawn once, on first use.
void RegisterEditorPictures();

// The picture of a play's resource id; a null image for any other id.
QImage PlayPicture(int pictureId);

}  // namespace qgu::editors
