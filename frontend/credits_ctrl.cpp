#include "frontend/credits_ctrl.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTimerEvent>
#include <algorithm>
#include <chrono>

namespace qgu::frontend {
namespace {

constexpr int kStarRange = 512;   // x and y from -512 to 512
constexpr int kDepthRange = 256;  // z from -256 to 256
constexpr int kStepReferenceMs = 50;

}  // namespace

CCreditsCtrl::CCreditsCtrl(QWidget* parent, uint32_t seed) : QWidget(parent) {
  font_.setFamilies({"Tahoma", "DejaVu Sans"});
  font_.setPixelSize(24);
  font_.setBold(true);
  std::mt19937 random(seed);
  auto below = [&random](int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); };
  for (Star& star : stars_) {
    star.x = below(2 * kStarRange + 1) - kStarRange;
    star.y = below(2 * kStarRange + 1) - kStarRange;
    star.z = below(2 * kDepthRange + 1) - kDepthRange;
  }
  setAttribute(Qt::WA_OpaquePaintEvent);
}

int CCreditsCtrl::ScaledScrollStep(int step, int measuredFrameMs) {
  return std::max(step, step * measuredFrameMs / kStepReferenceMs);
}

int CCreditsCtrl::LineHeight() const { return QFontMetrics(font_).height(); }

void CCreditsCtrl::DrawFrame() {
  if (width() <= 0 || height() <= 0) return;
  MoveAndDrawStars();
  RecedeInto(DrawCrawl());
  scrollPosition_ -= scrollStep_;
  update();
}

void CCreditsCtrl::MoveAndDrawStars() {
  frame_ = QImage(size(), QImage::Format_RGB32);
  frame_.fill(Qt::black);
  QPainter painter(&frame_);
  painter.setBrush(Qt::NoBrush);
  for (Star& star : stars_) {
    star.z -= starSpeed_;
    if (star.z >= kDepthRange) star.z = -(kDepthRange - 1);
    if (star.z < -(kDepthRange - 1)) star.z = kDepthRange - 1;
    const int depth = star.z + kDepthRange;  // 1..511
    const int sx = star.x * 100 / depth + width() / 2;
    const int sy = star.y * 100 / depth + height() / 2;
    const int grey = (255 - star.z) % 256;
    painter.setPen(QColor(grey, grey, grey));
    painter.drawEllipse(QRect(sx - 1, sy - 1, 3, 3));
  }
}

QImage CCreditsCtrl::DrawCrawl() {
  QImage crawl(size(), QImage::Format_RGB32);
  crawl.fill(Qt::black);
  QPainter painter(&crawl);
  painter.setFont(font_);
  const int lineHeight = LineHeight();
  const int last = static_cast<int>(lines_.size()) - 1;
  if (last < 0 || lineHeight * last + scrollPosition_ <= 0) {
    scrollPosition_ = height();  // the crawl starts again
    return crawl;
  }
  for (int i = 0; i <= last; ++i) {
    const int y = lineHeight * i + scrollPosition_;
    if (y <= 0) continue;
    if (y >= height()) break;
    const int grey = y < 256 ? y : 255;
    painter.setPen(QColor(grey, grey, grey));
    painter.drawText(QRect(0, y, width(), lineHeight), Qt::AlignHCenter | Qt::AlignTop, lines_[i]);
  }
  return crawl;
}

// Row r of the crawl, squeezed to r / H of the width and centred, is ORed
// over the stars: the top row has no width, the bottom row the full width.
void CCreditsCtrl::RecedeInto(const QImage& crawl) {
  const int w = width();
  const int h = height();
  for (int r = 0; r < h; ++r) {
    const double k = static_cast<double>(r) / h * w;
    const int rowWidth = static_cast<int>(k);
    if (rowWidth <= 0) continue;
    const int left = static_cast<int>(w - k) / 2;
    const auto* source = reinterpret_cast<const QRgb*>(crawl.constScanLine(r));
    auto* target = reinterpret_cast<QRgb*>(frame_.scanLine(r));
    for (int x = 0; x < rowWidth && left + x < w; ++x) target[left + x] |= source[x * w / rowWidth];
  }
}

void CCreditsCtrl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (frame_.size() == size()) {
    painter.drawImage(0, 0, frame_);
  } else {
    painter.fillRect(rect(), Qt::black);
  }
}

void CCreditsCtrl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!started_) scrollPosition_ = height();
}

void CCreditsCtrl::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!started_) {
    started_ = true;
    scrollPosition_ = height();
    const auto before = std::chrono::steady_clock::now();
    DrawFrame();
    const auto drawn = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before);
    scrollStep_ = ScaledScrollStep(scrollStep_, static_cast<int>(drawn.count()));
  }
  if (timer_ == 0) timer_ = startTimer(kFrameMs);
}

void CCreditsCtrl::hideEvent(QHideEvent* event) {
  if (timer_ != 0) killTimer(timer_);
  timer_ = 0;
  QWidget::hideEvent(event);
}

void CCreditsCtrl::timerEvent(QTimerEvent* event) {
  if (event->timerId() == timer_) DrawFrame();
}

}  // namespace qgu::frontend
