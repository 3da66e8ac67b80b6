#include "editors/uniform_preview.h"

#include <array>
#include <string_view>
#include <vector>

namespace qgu::editors {
namespace {

// Our own drawing of a ball carrier running right, one character a pixel:
// B skin, S pants and helmet, W jersey, k outline, g face mask, b ball,
// w socks, h shoes, . transparent.
constexpr std::array<std::string_view, kPlayerFigureHeight> kFigure = {
    "............kkkkkk.............",  // 0
    "..........kkSSSSSSkk...........",  // 1
    ".........kSSSSSSSSSSk..........",  // 2
    "........kSSSSSSSSSSSSk.........",  // 3
    "........kSSSSSSSSSSSSSk........",  // 4
    ".......kSSSSSSSSSSSSSSk........",  // 5
    ".......kSSSSSSSSSSkkkkkg.......",  // 6
    ".......kSSSSSSSSSkBBBBkg.......",  // 7
    ".......kSSSSSSSSSkBBBBBgg......",  // 8
    "........kSSSSSSSkBBBBBkg.......",  // 9
    ".........kkkkkkkBBBBBk.........",  // 10
    "....kkkkkkkkkkBBBBBkkkkk.......",  // 11
    "...kWWWWWWWWWWkBBBkWWWWWk......",  // 12
    "..kWWWWWWWWWWWWkkkWWWWWWWk.....",  // 13
    "..kWWWWWWWWWWWWWWWWWWWWWWk.....",  // 14
    "...kkkBBBkWWWWWWWWWWWWWWWk.....",  // 15
    ".....kBBBkWWWWWWWWWWWkkkkk.....",  // 16
    ".....kBBBkWWWWWWWWWWkBBBBk.....",  // 17
    ".....kBBBkWWWWWWWWWkBBBBBk.....",  // 18
    ".....kBBBkWWWWWWWWkBBBBBk......",  // 19
    ".....kBBBBkWWWWkkkkkBBBBk......",  // 20
    "......kBBBBkkWkbbbbbkBBBBk.....",  // 21
    "......kBBBBBBkbbbbbbbkBBk......",  // 22
    ".......kBBBBBBkbbbbbbbkk.......",  // 23
    "........kkBBBBBkbbbbbbk........",  // 24
    "....kWWWkkkkkkkkbbbbk..........",  // 25
    "....kWWWWWWWWWWkkkkkSk.........",  // 26
    "....kWWWWWWWWkkSSSSSSk.........",  // 27
    "....kWWWWkkkkSSSSSSSSk.........",  // 28
    ".....kkkkSSSSSSSSSSSSSk........",  // 29
    ".....kSSSSSSSSSSSSSSSSk........",  // 30
    ".....kSSSSSSSkSSSSSSSSSk.......",  // 31
    "....kSSSSSSSk.kSSSSSSSSSk......",  // 32
    "....kSSSSSSSk.kkWWWWWWWWk......",  // 33
    "....kSSSSSSk...kWWWWWWWWWk.....",  // 34
    "...kkkkkkkkk...kkkkkkkkkkk.....",  // 35
    "...kWWWWWWWk....kSSSSSSSSk.....",  // 36
    "...kWWWWWWk.....kSSSSSSSSSk....",  // 37
    "...kkkkkkkk......kkkkkkkkkk....",  // 38
    "..kSSSSSSSk.......kwwwwwwk.....",  // 39
    "..kSSSSSSk........kwwwwwwk.....",  // 40
    "..kkkkkkk.........kwwwwwwk.....",  // 41
    ".kwwwwwk..........kwwwwwwk.....",  // 42
    ".kwwwwwk..........kwwwwwwk.....",  // 43
    "kwwwwwk...........khhhhhhhhhk..",  // 44
    "khhhhhhhhk........khhhhhhhhhhk.",  // 45
    "khhhhhhhhhk.......kkkkkkkkkkk..",  // 46
    ".kkkkkkkkk.....................",  // 47
};

QRgb FigureColour(char c) {
  switch (c) {
    case 'B': return kFigureSkin;
    case 'S': return kFigurePants;
    case 'W': return kFigureJersey;
    case 'k': return 0x303030;
    case 'g': return 0x808080;
    case 'b': return 0x8B4A2B;
    case 'w': return 0xF0F0F0;
    case 'h': return 0x202020;
    default: return kFigureKeyColour;
  }
}

// Where each area of the figure is filled from.
constexpr std::array<QPoint, 6> kSkinPoints = {{{20, 9}, {17, 12}, {8, 15}, {20, 18}, {22, 21}, {14, 24}}};
constexpr std::array<QPoint, 5> kJerseyPoints = {{{6, 12}, {20, 15}, {6, 27}, {6, 36}, {17, 33}}};
constexpr std::array<QPoint, 9> kPantsPoints = {
    {{17, 3}, {20, 12}, {22, 18}, {3, 18}, {20, 21}, {3, 27}, {20, 27}, {8, 39}, {17, 36}}};

// A colour the figure does not use, marking the pixels of one area.
constexpr QRgb kAreaMark = 0x010101;

// The figure with the areas of `surface` that hold any of the points marked.
template <size_t N>
QImage AreaMask(const QImage& figure, const std::array<QPoint, N>& points, QRgb surface) {
  QImage mask = figure.copy();
  for (QPoint point : points) SurfaceFloodFill(mask, point, surface, kAreaMark);
  return mask;
}

void PaintArea(QImage& image, const QImage& mask, QRgb brush) {
  for (int y = 0; y < image.height(); ++y) {
    const QRgb* marks = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
    QRgb* pixels = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if ((marks[x] & 0xFFFFFF) == kAreaMark) pixels[x] = 0xFF000000 | brush;
    }
  }
}

}  // namespace

QImage PlayerFigure() {
  QImage image(kPlayerFigureWidth, kPlayerFigureHeight, QImage::Format_RGB32);
  for (int y = 0; y < kPlayerFigureHeight; ++y) {
    for (int x = 0; x < kPlayerFigureWidth; ++x) {
      image.setPixel(x, y, FigureColour(kFigure[static_cast<size_t>(y)][static_cast<size_t>(x)]));
    }
  }
  return image;
}

void SurfaceFloodFill(QImage& image, QPoint at, QRgb surface, QRgb brush) {
  surface &= 0xFFFFFF;
  brush &= 0xFFFFFF;
  if (!image.rect().contains(at) || surface == brush) return;
  const auto colourAt = [&image](QPoint p) { return image.pixel(p) & 0xFFFFFF; };
  if (colourAt(at) != surface) return;
  std::vector<QPoint> pending = {at};
  while (!pending.empty()) {
    const QPoint p = pending.back();
    pending.pop_back();
    if (!image.rect().contains(p) || colourAt(p) != surface) continue;
    image.setPixel(p, 0xFF000000 | brush);
    pending.insert(pending.end(), {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)});
  }
}

// The areas are found on the unpainted figure, so a colour painted into one
// area (white pants, a white skin read from a file) never makes it part of
// the next area filled.
QImage PaintUniformPreview(const UniformColours& colours) {
  const QImage figure = PlayerFigure();
  QImage preview = figure.copy();
  PaintArea(preview, AreaMask(figure, kSkinPoints, kFigureSkin), colours.skin);
  PaintArea(preview, AreaMask(figure, kPantsPoints, kFigurePants), colours.pants);
  PaintArea(preview, AreaMask(figure, kJerseyPoints, kFigureJersey), colours.jersey);
  return preview;
}

}  // namespace qgu::editors
