#include "host/video_widget.h"

#include <QImage>
#include <QLayout>
#include <QPainter>
#include <algorithm>

namespace qgu::host {
namespace {
// The console's picture is 256 x 240 pixels shown on a 4:3 screen; a picture
// of 480 lines (scanline mode) is the same picture with every line doubled.
constexpr double kDisplayAspect = 256.0 / 240.0;
}  // namespace

CVideoWidget::CVideoWidget(CVideoOutput& output, QWidget* parent) : QWidget(parent), output_(output) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(256, 240);
  output_.SetPresentedHandler([this] { QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection); });
}

CVideoWidget::~CVideoWidget() { output_.SetPresentedHandler(nullptr); }

QRect CVideoWidget::PictureRect(const QSize& widget) {
  int width = widget.width();
  int height = static_cast<int>(width / kDisplayAspect);
  if (height > widget.height()) {
    height = widget.height();
    width = static_cast<int>(height * kDisplayAspect);
  }
  return QRect((widget.width() - width) / 2, (widget.height() - height) / 2, width, height);
}

int CVideoWidget::ReadoutPixels(const QSize& widget) { return std::max(12, widget.height() / 30); }

int CVideoWidget::ReadoutStrip(const QSize& widget) { return ReadoutPixels(widget) + 8; }

void CVideoWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  output_.WithFrontPicture([&](const Picture& picture) {
    const QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                       picture.width * 4, QImage::Format_RGB32);
    // The cartridge writes text anywhere on its picture (the score bar, the
    // play list): the read-out gets a line of its own below the picture.
    const int strip = picture.infoText.empty() ? 0 : ReadoutStrip(size());
    const QRect target = PictureRect(size() - QSize(0, strip));
    painter.drawImage(target, image);
    if (strip == 0) return;
    QFont font = painter.font();
    font.setPixelSize(ReadoutPixels(size()));
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QRect line(target.left() + 6, target.bottom() + 1, std::max(target.width() - 12, 1), strip);
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(picture.infoText));
  });
}

void CVideoWidget::SetFullScreen(bool on) {
  if (on == fullScreen_) return;
  fullScreen_ = on;
  if (on) {
    formerParent_ = parentWidget();
    setParent(nullptr, Qt::Window | Qt::FramelessWindowHint);
    showFullScreen();
  } else {
    setParent(formerParent_, Qt::Widget);
    if (formerParent_ != nullptr && formerParent_->layout() != nullptr) formerParent_->layout()->addWidget(this);
    show();
  }
}

}  // namespace qgu::host
