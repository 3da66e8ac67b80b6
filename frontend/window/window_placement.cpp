#include "frontend/window/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace qgu::frontend {
namespace {

int64_t Overlap(const QRect& a, const QRect& b) {
  const QRect common = a.intersected(b);
  return common.isEmpty() ? 0 : int64_t{common.width()} * common.height();
}

}  // namespace

QRect KeepOnScreen(const QRect& wanted, const QList<QRect>& screens) {
  if (screens.isEmpty()) return wanted;
  QRect screen = screens.front();
  int64_t best = 0;
  for (const QRect& candidate : screens) {
    if (const int64_t overlap = Overlap(wanted, candidate); overlap > best) {
      best = overlap;
      screen = candidate;
    }
  }
  QRect placed(wanted.topLeft(), wanted.size().boundedTo(screen.size()));
  placed.moveLeft(std::clamp(placed.left(), screen.left(), screen.right() - placed.width() + 1));
  placed.moveTop(std::clamp(placed.top(), screen.top(), screen.bottom() - placed.height() + 1));
  return placed;
}

QRect KeepOnScreen(const QRect& wanted) {
  QList<QRect> screens;
  if (QScreen* primary = QGuiApplication::primaryScreen()) screens.push_back(primary->availableGeometry());
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen != QGuiApplication::primaryScreen()) screens.push_back(screen->availableGeometry());
  }
  return KeepOnScreen(wanted, screens);
}

}  // namespace qgu::frontend
