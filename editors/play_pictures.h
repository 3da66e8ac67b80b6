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

// The picture kept under a play's resource id (281..344), drawn once and kept
// for the process; a null image for any other id.
QImage PlayPicture(int pictureId);

}  // namespace qgu::editors
