// qgu-dynasty-curves: draws the dynasty's age curves as a PNG (docs/dynasty.md):
// the drift a year of age brings to every rating, and the chance of retiring
// after a season, for players and for kickers and punters, straight from the
// tables the offseason uses (dynasty/aging.h).
//
//   qgu-dynasty-curves OUT.png

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <functional>

#include "dynasty/aging.h"

namespace {

using qgu::dynasty::Kind;

constexpr int kWidth = 900;
constexpr int kHeight = 380;
constexpr int kFirstAge = 20;
constexpr int kLastAge = 40;

struct Panel {
  QRect area;
  double low, high;
  const char* title;
  const char* unit;
};

QPointF At(const Panel& p, double age, double value) {
  const double x = p.area.left() + (age - kFirstAge) / (kLastAge - kFirstAge) * p.area.width();
  const double y = p.area.bottom() - (value - p.low) / (p.high - p.low) * p.area.height();
  return {x, y};
}

void Axes(QPainter& g, const Panel& p, double step, int decimals) {
  const int lines = static_cast<int>((p.high - p.low) / step + 0.5);
  for (int i = 0; i <= lines; ++i) {
    const double v = p.low + i * step;
    g.setPen(QColor(0xC8, 0xC2, 0xB4));
    g.drawLine(At(p, kFirstAge, v), At(p, kLastAge, v));
    g.setPen(QColor(0x55, 0x55, 0x55));
    g.drawText(QRectF(p.area.left() - 58, At(p, kFirstAge, v).y() - 8, 52, 16), Qt::AlignRight,
               QString::number(v, 'f', decimals));
  }
  g.setPen(QColor(0x55, 0x55, 0x55));
  for (int age = kFirstAge; age <= kLastAge; age += 2) {
    g.drawText(QRectF(At(p, age, p.low).x() - 15, p.area.bottom() + 4, 30, 16), Qt::AlignCenter, QString::number(age));
  }
  g.setPen(Qt::black);
  g.drawRect(p.area);
  g.drawText(QRect(p.area.left(), p.area.top() - 26, p.area.width(), 20), Qt::AlignCenter,
             QString("%1 (%2)").arg(p.title, p.unit));
}

void Curve(QPainter& g, const Panel& p, const QColor& colour, const std::function<double(int)>& value) {
  QPainterPath path;
  for (int age = kFirstAge; age <= kLastAge; ++age) {
    const QPointF point = At(p, age, value(age));
    if (age == kFirstAge) path.moveTo(point);
    else path.lineTo(point);
  }
  g.setPen(QPen(colour, 2.5));
  g.drawPath(path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: qgu-dynasty-curves OUT.png\n", stderr);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(QColor(0xF4, 0xF1, 0xEA));
  QPainter g(&image);
  g.setRenderHint(QPainter::Antialiasing);
  const Panel drift{QRect(70, 50, 360, 270), -1.6, 1.6, "Development a year", "rating steps, age next season"};
  const Panel retire{QRect(520, 50, 360, 270), 0, 1000, "Retirement after a season", "per thousand, no decline"};
  Axes(g, drift, 0.4, 1);
  Axes(g, retire, 200, 0);
  const QColor players(0x3D, 0x5A, 0x3A), kickers(0xB0, 0x5A, 0x1E);
  Curve(g, drift, players, [](int age) { return qgu::dynasty::DevelopmentDrift(age, Kind::kQB); });
  Curve(g, drift, kickers, [](int age) { return qgu::dynasty::DevelopmentDrift(age, Kind::kK); });
  Curve(g, retire, players, [](int age) { return qgu::dynasty::RetirementChance(age, Kind::kQB, 0, 8); });
  Curve(g, retire, kickers, [](int age) { return qgu::dynasty::RetirementChance(age, Kind::kK, 0, 8); });
  g.setPen(players);
  g.drawText(QRect(70, 345, 400, 20), Qt::AlignLeft, "players");
  g.setPen(kickers);
  g.drawText(QRect(160, 345, 400, 20), Qt::AlignLeft, "kickers and punters");
  g.end();
  if (!image.save(argv[1])) {
    std::fprintf(stderr, "qgu-dynasty-curves: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
