#pragma once
// Pictures by resource id, as the tool server's windows name them (the main
// menu's button plates 352-357, ...). Each picture is drawn by the program
// that registers it, once, on first use.

#include <QImage>
#include <functional>

namespace qgu::toolserver {

using PictureDrawing = std::function<QImage()>;

// Registers (or replaces) the drawing of a picture id.
void RegisterPicture(int id, PictureDrawing drawing);

// The picture of an id; a null image for an unknown id.
QImage PictureById(int id);

}  // namespace qgu::toolserver
