#include "host/video_widget.h"

#include <QImage>
#include <QLayout>
#include <QPainter>

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

void CVideoWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  output_.WithFrontPicture([&](const Picture& picture) {
    const QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                       picture.width * 4, QImage::Format_RGB32);
    const QRect target = PictureRect(size());
    painter.drawImage(target, image);
    if (!picture.infoText.empty()) {
      const QString text = QString::fromStdString(picture.infoText);
      QFont font = painter.font();
      font.setPixelSize(std::max(12, target.height() / 30));
      painter.setFont(font);
      const QPoint at = target.topLeft() + QPoint(6, 6 + font.pixelSize());
      painter.setPen(Qt::black);
      painter.drawText(at + QPoint(1, 1), text);
      painter.setPen(Qt::white);
      painter.drawText(at, text);
    }
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
