// Draws the main menu's background picture and writes it as an 8-bit BMP:
// a night game under the lights, a field running away from the viewer, a
// ball in flight and the title. Drawn here, by this program, from nothing
// but shapes and text.
//
//   make_main_menu_picture OUT.bmp

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr double kHorizon = 250;  // where the far end of the field meets the stands

void DrawSky(QPainter& painter) {
  QLinearGradient sky(0, 0, 0, kHorizon);
  sky.setColorAt(0.0, QColor(6, 8, 28));
  sky.setColorAt(0.7, QColor(28, 22, 70));
  sky.setColorAt(1.0, QColor(70, 46, 96));
  painter.fillRect(QRectF(0, 0, kWidth, kHorizon), sky);
  std::mt19937 random(7);
  std::uniform_int_distribution<int> x(0, kWidth - 1), y(0, 150), bright(90, 230);
  for (int i = 0; i < 120; ++i) {
    const int level = bright(random);
    painter.fillRect(QRect(x(random), y(random), 1, 1), QColor(level, level, level + 20 > 255 ? 255 : level + 20));
  }
}

// Tiers of seats with specks of the crowd, across the whole width.
void DrawStands(QPainter& painter) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> shade(0, 5);
  const QColor crowd[] = {QColor(120, 40, 40), QColor(200, 190, 170), QColor(40, 60, 130),
                          QColor(170, 150, 60), QColor(60, 60, 70),  QColor(150, 90, 60)};
  for (int tier = 0; tier < 4; ++tier) {
    const double top = kHorizon - 62 + tier * 14;
    painter.fillRect(QRectF(0, top, kWidth, 14), QColor(30 + tier * 6, 28 + tier * 6, 44 + tier * 6));
    for (int x = 0; x < kWidth; x += 3) {
      painter.fillRect(QRectF(x, top + 4 + (x / 3 % 2), 2, 3), crowd[shade(random)]);
    }
  }
  painter.fillRect(QRectF(0, kHorizon - 6, kWidth, 6), QColor(20, 20, 26));
}

void DrawLightTower(QPainter& painter, double x) {
  painter.fillRect(QRectF(x - 3, 40, 6, kHorizon - 40), QColor(40, 40, 52));
  const QRectF bank(x - 26, 22, 52, 24);
  painter.fillRect(bank, QColor(50, 50, 64));
  QRadialGradient glow(bank.center(), 120);
  glow.setColorAt(0.0, QColor(255, 250, 220, 200));
  glow.setColorAt(0.25, QColor(255, 240, 190, 70));
  glow.setColorAt(1.0, QColor(255, 240, 190, 0));
  painter.fillRect(QRectF(bank.center().x() - 120, bank.center().y() - 120, 240, 240), glow);
  for (int row = 0; row < 2; ++row) {
    for (int lamp = 0; lamp < 5; ++lamp) {
      painter.setBrush(QColor(255, 255, 235));
      painter.setPen(Qt::NoPen);
      painter.drawEllipse(QPointF(bank.left() + 6 + lamp * 10, bank.top() + 7 + row * 10), 3.5, 3.5);
    }
  }
}

// Field coordinates: across -1..1, along 0 (near) .. 1 (far, at the horizon).
QPointF FieldPoint(double across, double along) {
  const double depth = 1.0 + along * 5.0;  // the far end looks five times smaller
  const double y = kHorizon + (kHeight - kHorizon) * 1.25 / depth - (kHeight - kHorizon) * 0.25;
  return {kWidth / 2.0 + across * 420.0 / depth, y};
}

void DrawField(QPainter& painter) {
  QLinearGradient turf(0, kHorizon, 0, kHeight);
  turf.setColorAt(0.0, QColor(24, 84, 30));
  turf.setColorAt(1.0, QColor(46, 140, 50));
  painter.fillRect(QRectF(0, kHorizon, kWidth, kHeight - kHorizon), turf);
  // Mowing stripes between the five-yard lines, then the lines themselves.
  for (int stripe = 0; stripe < 20; ++stripe) {
    if (stripe % 2 == 1) continue;
    QPolygonF band;
    band << FieldPoint(-1.6, stripe / 20.0) << FieldPoint(1.6, stripe / 20.0) << FieldPoint(1.6, (stripe + 1) / 20.0)
         << FieldPoint(-1.6, (stripe + 1) / 20.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 14));
    painter.drawPolygon(band);
  }
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (int line = 0; line <= 20; ++line) {
    const double along = line / 20.0;
    painter.setPen(QPen(QColor(235, 240, 230, line % 2 == 0 ? 220 : 120), line % 2 == 0 ? 2.0 : 1.0));
    painter.drawLine(FieldPoint(-1.0, along), FieldPoint(1.0, along));
  }
  painter.setPen(QPen(QColor(235, 240, 230), 2.5));
  painter.drawLine(FieldPoint(-1.0, 0), FieldPoint(-1.0, 1));
  painter.drawLine(FieldPoint(1.0, 0), FieldPoint(1.0, 1));
  // Hash marks.
  painter.setPen(QPen(QColor(235, 240, 230, 180), 1.0));
  for (int mark = 1; mark < 100; ++mark) {
    const double along = mark / 100.0;
    for (double across : {-0.35, 0.35}) painter.drawLine(FieldPoint(across - 0.02, along), FieldPoint(across + 0.02, along));
  }
  // A goal post at the far end.
  const QPointF base = FieldPoint(0, 1.0);
  painter.setPen(QPen(QColor(250, 220, 40), 3));
  painter.drawLine(base, base - QPointF(0, 20));
  painter.drawLine(base - QPointF(22, 20), base - QPointF(-22, 20));
  painter.drawLine(base - QPointF(22, 20), base - QPointF(22, 58));
  painter.drawLine(base - QPointF(-22, 20), base - QPointF(-22, 58));
}

void DrawBall(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  // The trail of its flight, fading behind it.
  for (int i = 0; i < 14; ++i) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 230, 160, 10 + i * 6));
    painter.drawEllipse(QPointF(150 + i * 9, 330 - i * 7 + (i * i) / 6.0), 9 - i * 0.4, 6 - i * 0.25);
  }
  painter.save();
  painter.translate(290, 250);
  painter.rotate(-28);
  QRadialGradient leather(QPointF(-8, -8), 40);
  leather.setColorAt(0.0, QColor(176, 96, 52));
  leather.setColorAt(1.0, QColor(92, 44, 20));
  painter.setBrush(leather);
  painter.setPen(QPen(QColor(50, 22, 10), 2));
  QPainterPath ball;
  ball.moveTo(-38, 0);
  ball.cubicTo(-24, -26, 24, -26, 38, 0);
  ball.cubicTo(24, 26, -24, 26, -38, 0);
  painter.drawPath(ball);
  painter.setPen(QPen(QColor(250, 250, 240), 2.5));
  painter.drawLine(QPointF(-12, -4), QPointF(12, -4));
  for (int lace = -9; lace <= 9; lace += 6) painter.drawLine(QPointF(lace, -8), QPointF(lace, 0));
  painter.setPen(QPen(QColor(250, 250, 240), 3));
  painter.drawArc(QRectF(-32, -14, 10, 28), 60 * 16, 60 * 16);
  painter.drawArc(QRectF(22, -14, 10, 28), 240 * 16, 60 * 16);
  painter.restore();
}

void DrawTitle(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  QFont big("DejaVu Sans", 40, QFont::Black);
  big.setItalic(true);
  big.setLetterSpacing(QFont::AbsoluteSpacing, 2);
  QFont small("DejaVu Sans", 30, QFont::Black);
  small.setItalic(true);
  small.setLetterSpacing(QFont::AbsoluteSpacing, 12);
  const struct {
    const char* text;
    QFont font;
    QPointF at;
  } lines[] = {{"QUOZI", big, {44, 70}}, {"GRIDCROWN", big, {44, 120}}, {"ULTRA", small, {150, 164}}};
  for (const auto& line : lines) {
    QPainterPath text;
    text.addText(line.at, line.font, line.text);
    painter.fillPath(text.translated(4, 4), QColor(0, 0, 0, 170));
    QLinearGradient gold(0, line.at.y() - 40, 0, line.at.y() + 4);
    gold.setColorAt(0.0, QColor(255, 246, 190));
    gold.setColorAt(0.5, QColor(240, 190, 60));
    gold.setColorAt(1.0, QColor(150, 90, 20));
    painter.fillPath(text, gold);
    painter.strokePath(text, QPen(QColor(60, 30, 10), 1.5));
  }
  painter.setPen(QPen(QColor(240, 190, 60), 3));
  painter.drawLine(QPointF(44, 152), QPointF(140, 152));
  painter.drawLine(QPointF(334, 152), QPointF(364, 152));
}

// The right-hand column behind the buttons, darkened a little so captions read well.
void DrawButtonPanel(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  QPainterPath panel;
  panel.addRoundedRect(QRectF(376, 160, 252, 262), 14, 14);
  painter.fillPath(panel, QColor(8, 10, 24, 150));
  painter.strokePath(panel, QPen(QColor(240, 190, 60, 160), 1.5));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_main_menu_picture OUT.bmp\n");
    return 2;
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication application(argc, argv);
  QImage picture(kWidth, kHeight, QImage::Format_RGB32);
  QPainter painter(&picture);
  DrawSky(painter);
  DrawLightTower(painter, 70);
  DrawLightTower(painter, 570);
  DrawStands(painter);
  DrawField(painter);
  DrawBall(painter);
  DrawTitle(painter);
  DrawButtonPanel(painter);
  painter.end();
  // 256 colours keep the file small; dithering hides the steps of the gradients.
  const QImage indexed = picture.convertToFormat(QImage::Format_Indexed8, Qt::OrderedDither);
  if (!indexed.save(argv[1], "BMP")) {
    std::fprintf(stderr, "make_main_menu_picture: unable to write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
