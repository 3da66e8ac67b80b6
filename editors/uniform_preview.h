#pragma once
// The colour editor's uniform previews: the 31 x 48 player figure (resource
// 347) painted in a uniform's colours by surface flood fills.
//
// The figure marks its areas by colour: black is skin, silver (0xC0C0C0)
// pants and helmet, white the jersey; around it the near-white key colour
// (the Windows colour value 0xFEFFFF) is transparent.

#include <QImage>
#include <QPoint>
#include <QRgb>

namespace qgu::editors {

inline constexpr int kPlayerFigureId = 347;
inline constexpr int kPlayerFigureWidth = 31;
inline constexpr int kPlayerFigureHeight = 48;
inline constexpr QRgb kFigureKeyColour = 0xFFFFFE;  // red FF, green FF, blue FE
inline constexpr QRgb kFigureSkin = 0x000000;
inline constexpr QRgb kFigurePants = 0xC0C0C0;
inline constexpr QRgb kFigureJersey = 0xFFFFFF;

// The unpainted figure.
QImage PlayerFigure();

// Surface flood fill: the area of colour `surface` that holds `at` (pixels
// joined by their edges) becomes `brush`; nothing happens when the pixel at
// `at` is not of that colour.
void SurfaceFloodFill(QImage& image, QPoint at, QRgb surface, QRgb brush);

struct UniformColours {
  QRgb pants;   // pants and helmet
  QRgb jersey;
  QRgb skin;
};

// The figure in a uniform's colours.
QImage PaintUniformPreview(const UniformColours& colours);

}  // namespace qgu::editors
