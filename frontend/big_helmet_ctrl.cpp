#include "frontend/big_helmet_ctrl.h"

#include <QFontMetrics>
#include <QPainter>
#include <QResizeEvent>
#include <QTextOption>
#include <algorithm>

namespace qgu::frontend {
namespace {

constexpr int kMargin = 10;
constexpr int kFirstTop = 40;
constexpr int kGap = 20;
constexpr int kLeastCorner = 65;  // the second helmet never starts nearer than this
constexpr int kHelmetInset = 60;
constexpr int kLeastVersusTop = 50;
constexpr const char* kVersus = "VS.";

QImage LoadHelmet(const std::string& path) {
  QString file = QString::fromStdString(path);
  file.replace('\\', '/');
  if (file.isEmpty()) return {};
  return QImage(file);  // null when the file cannot be read
}

// Text placed by its top left corner.
void DrawTextAt(QPainter& painter, QPoint topLeft, const QString& text) {
  painter.drawText(topLeft + QPoint(0, QFontMetrics(painter.font()).ascent()), text);
}

}  // namespace

CBigHelmetCtrl::Layout CBigHelmetCtrl::LayoutFor(QSize client) {
  const int half = client.width() / 2;
  const int y = (client.height() - kGap) / 2;
  const int x2 = std::max(half + kGap, kLeastCorner);
  const int y2 = std::max(y + kGap, kLeastCorner);
  const QSize helmet(x2 - kHelmetInset, y2 - kHelmetInset);
  return {QRect(QPoint(kMargin, kFirstTop), helmet), QRect(QPoint(x2, y2), helmet),
          QPoint(std::max(half - kMargin, kMargin), std::max(y - kMargin, kLeastVersusTop))};
}

CBigHelmetCtrl::CBigHelmetCtrl(QWidget* parent) : QWidget(parent) {
  font_.setFamilies({"Tahoma", "DejaVu Sans"});
  font_.setPixelSize(18);
  font_.setWeight(QFont::Bold);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CBigHelmetCtrl::SetHelmets(const std::string& first, const std::string& second) {
  SetHelmetImages(LoadHelmet(first), LoadHelmet(second));
}

void CBigHelmetCtrl::SetHelmetImages(const QImage& first, const QImage& second) {
  first_ = first;
  second_ = second;
  update();
}

void CBigHelmetCtrl::ClearHelmets() { SetHelmetImages({}, {}); }

void CBigHelmetCtrl::SetStatusText(const QString& text) {
  if (text == status_) return;
  status_ = text;
  update();
}

void CBigHelmetCtrl::Paint(QPainter& painter, QSize client) const {
  painter.fillRect(QRect(QPoint(0, 0), client), Qt::black);
  painter.setFont(font_);
  painter.setPen(Qt::white);
  const Layout layout = LayoutFor(client);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!first_.isNull()) painter.drawImage(layout.first, first_);
  if (!second_.isNull()) painter.drawImage(layout.second, second_);
  if (!first_.isNull() && !second_.isNull()) DrawTextAt(painter, layout.versus, kVersus);
  if (!status_.isEmpty()) DrawStatus(painter, client);
}

void CBigHelmetCtrl::DrawStatus(QPainter& painter, QSize client) const {
  // Every word of it, however long: wrapped at blanks, and a path longer
  // than the line anywhere.
  QTextOption wrapping(Qt::AlignLeft | Qt::AlignTop);
  wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  const QRectF area(kMargin, kMargin, std::max(client.width() - 2 * kMargin, 1), std::max(client.height() - kMargin, 1));
  painter.drawText(area, status_, wrapping);
}

void CBigHelmetCtrl::paintEvent(QPaintEvent*) {
  if (backBuffer_.size() != size()) backBuffer_ = QImage(size(), QImage::Format_RGB32);
  if (backBuffer_.isNull()) return;
  {
    QPainter buffer(&backBuffer_);
    Paint(buffer, size());
  }
  QPainter(this).drawImage(0, 0, backBuffer_);
}

void CBigHelmetCtrl::resizeEvent(QResizeEvent* event) {
  backBuffer_ = QImage(event->size(), QImage::Format_RGB32);
  QWidget::resizeEvent(event);
}

}  // namespace qgu::frontend
