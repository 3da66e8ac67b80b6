#include "frontend/elided_path_label.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace qgu::frontend {
namespace {

// Room the label asks for at most, and at least: a dialog with a long path
// keeps the width its controls need.
constexpr int kPreferredWidth = 360;
constexpr int kLeastWidth = 80;

}  // namespace

CElidedPathLabel::CElidedPathLabel(const QString& path, QWidget* parent) : QLabel(parent) {
  setWordWrap(false);
  SetPath(path);
}

void CElidedPathLabel::SetPath(const QString& path) {
  setText(path);
  setToolTip(path);
  updateGeometry();
}

QString CElidedPathLabel::ShownText() const {
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

QSize CElidedPathLabel::sizeHint() const {
  const QSize full = QLabel::sizeHint();
  return {std::min(full.width(), kPreferredWidth), full.height()};
}

QSize CElidedPathLabel::minimumSizeHint() const {
  const QSize least = QLabel::minimumSizeHint();
  return {std::min(least.width(), kLeastWidth), least.height()};
}

void CElidedPathLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(), isEnabled(), ShownText(),
                        foregroundRole());
}

}  // namespace qgu::frontend
