#include "frontend/picture_button/picture_button.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <qdrawutil.h>

#include "frontend/picture_button/picture_resources.h"

namespace qgu::toolserver {
namespace {

constexpr int kFocusInset = 3;
constexpr int kPictureCaptionGap = 4;

QRgb OpaqueRgb(WindowsColour colour) { return qRgb(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

// A greyed copy for a disabled button: grey levels, lighter, same transparency.
QImage GreyedPicture(const QImage& picture) {
  QImage grey = picture.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < grey.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
    for (int x = 0; x < grey.width(); ++x) {
      const int level = 128 + qGray(line[x]) / 2;
      line[x] = qRgba(level, level, level, qAlpha(line[x]));
    }
  }
  return grey;
}

}  // namespace

QImage MaskedPicture(const QImage& picture, WindowsColour key) {
  if (picture.isNull()) return {};
  QImage masked = picture.convertToFormat(QImage::Format_ARGB32);
  if (masked.isNull()) return {};
  const QRgb keyRgb = OpaqueRgb(key);
  for (int y = 0; y < masked.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
    for (int x = 0; x < masked.width(); ++x) {
      if ((line[x] | 0xFF000000u) == keyRgb && qAlpha(line[x]) == 0xFF) line[x] = 0;
    }
  }
  return masked;
}

CPictureButton::CPictureButton(QWidget* parent) : CPictureButton(QString(), parent) {}

CPictureButton::CPictureButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
  setMouseTracking(true);
  SetDefaultColours(false);
  // Connected before any owner's handler, so the click's own work comes first.
  connect(this, &QAbstractButton::clicked, this, &CPictureButton::OnClicked);
}

int CPictureButton::SetPictures(int pictureId, WindowsColour key, int hotId, WindowsColour hotKey) {
  const QImage hot = hotId != 0 ? PictureById(hotId) : QImage();
  if (hotId != 0 && hot.isNull()) return kPictureSizeUnknown;
  return SetPictures(PictureById(pictureId), key, hot, hotKey);
}

int CPictureButton::SetPictures(const QImage& picture, WindowsColour key, const QImage& hot, WindowsColour hotKey) {
  if (picture.isNull() || picture.size().isEmpty()) return kPictureSizeUnknown;
  QImage masked = MaskedPicture(picture, key);
  QImage hotMasked = hot.isNull() ? QImage() : MaskedPicture(hot, hotKey);
  if (masked.isNull() || (!hot.isNull() && hotMasked.isNull())) return kMaskNotBuilt;
  picture_ = std::move(masked);
  hotPicture_ = std::move(hotMasked);
  updateGeometry();
  update();
  return kButtonOk;
}

int CPictureButton::SetColour(int slot, WindowsColour colour, bool repaint) {
  if (slot < 0 || slot >= kColourSlotCount) return kBadColourSlot;
  colours_[static_cast<size_t>(slot)] = colour;
  Repaint(repaint);
  return kButtonOk;
}

int CPictureButton::SetDefaultColours(bool repaint) {
  const WindowsColour face = FromQColor(palette().color(QPalette::Button));
  const WindowsColour text = FromQColor(palette().color(QPalette::ButtonText));
  for (int slot = 0; slot < kColourSlotCount; slot += 2) {
    colours_[static_cast<size_t>(slot)] = face;
    colours_[static_cast<size_t>(slot) + 1] = text;
  }
  Repaint(repaint);
  return kButtonOk;
}

int CPictureButton::SetLayout(int mode, bool repaint) {
  if (mode < 0 || mode > kMaxLayoutMode) return kBadLayoutMode;
  layout_ = mode;
  Repaint(repaint);
  return kButtonOk;
}

int CPictureButton::SetPressedStyle(int style, bool repaint) {
  if (style < kPressedDownRight || style > kPressedStill) return kBadPressedStyle;
  pressedStyle_ = style;
  Repaint(repaint);
  return kButtonOk;
}

int CPictureButton::SetFlat(bool flat, bool repaint) {
  flat_ = flat;
  Repaint(repaint);
  return kButtonOk;
}

int CPictureButton::SetBorder(bool border, bool repaint) {
  border_ = border;
  Repaint(repaint);
  return kButtonOk;
}

void CPictureButton::SetTransparent(bool repaint) {
  transparent_ = true;
  setAttribute(Qt::WA_NoSystemBackground);
  Repaint(repaint);
}

int CPictureButton::SetUrl(const std::optional<QString>& url) {
  url_ = url;
  if (url_ && url_->size() > kMaxUrlLength) url_->truncate(kMaxUrlLength);
  return kButtonOk;
}

void CPictureButton::SizeToContent() {
  if (!picture_.isNull()) resize(picture_.size());
}

void CPictureButton::SetChecked(bool checked) {
  checked_ = checked;
  update();
}

QSize CPictureButton::sizeHint() const { return picture_.isNull() ? QPushButton::sizeHint() : picture_.size(); }

void CPictureButton::Repaint(bool repaint) {
  if (repaint) update();
}

void CPictureButton::SetLit(bool lit) {
  if (lit_ == lit) return;
  lit_ = lit;
  update();
}

void CPictureButton::mouseMoveEvent(QMouseEvent* event) {
  QPushButton::mouseMoveEvent(event);
  if (!flat_) return;
  if ((event->buttons() & Qt::LeftButton) && !lit_) return;
  const bool over = rect().contains(event->position().toPoint());
  if (!over) {
    SetLit(false);
    return;
  }
  if (lit_ || QGuiApplication::applicationState() != Qt::ApplicationActive) return;
  SetLit(true);
  if (hoverSound_) WavePlayer().Play(*hoverSound_);
}

void CPictureButton::leaveEvent(QEvent* event) {
  QPushButton::leaveEvent(event);
  SetLit(false);
}

void CPictureButton::OnClicked() {
  if (clickSound_) WavePlayer().Play(*clickSound_);
  if (checkBoxMode_) {
    SetChecked(!checked_);
    return;
  }
  if (popupMenu_ != nullptr) {
    ShowPopupMenu();
  } else if (url_ && !url_->isEmpty()) {
    QDesktopServices::openUrl(QUrl::fromUserInput(*url_));
  }
}

void CPictureButton::ShowPopupMenu() {
  QMenu* submenu = nullptr;
  for (QAction* action : popupMenu_->actions()) {
    if (action->menu() != nullptr) {
      submenu = action->menu();
      break;
    }
  }
  if (submenu == nullptr) return;
  setDown(true);
  QAction* chosen = submenu->exec(mapToGlobal(rect().bottomLeft()));
  setDown(false);
  if (chosen != nullptr) emit MenuCommand(chosen->data().toInt());
}

QPoint CPictureButton::PressedOffset() const {
  switch (pressedStyle_) {
    case kPressedDownRight: return {1, 1};
    case kPressedDown: return {0, 2};
    default: return {0, 0};
  }
}

void CPictureButton::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  QRect area = rect();
  const bool pressed = isDown() || (checkBoxMode_ && checked_);
  const bool focused = hasFocus();
  if (!flat_ && (focused || isDefault())) {
    painter.setPen(Qt::black);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    area.adjust(1, 1, -1, -1);
  }
  if (!transparent_) {
    const int backgroundSlot = lit_ || pressed ? kLitBackground : focused ? kFocusBackground : kNormalBackground;
    painter.fillRect(area, ToQColor(Colour(backgroundSlot)));
  }
  DrawEdge(painter, area, pressed);
  const int textSlot = lit_ || pressed ? kLitText : focused ? kFocusText : kNormalText;
  DrawContent(painter, area, pressed, textSlot);
  if (focused && (!flat_ || focusPolicy() != Qt::NoFocus)) {
    QPen dotted(ToQColor(Colour(textSlot)), 1, Qt::DotLine);
    painter.setPen(dotted);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(kFocusInset, kFocusInset, -kFocusInset - 1, -kFocusInset - 1));
  }
}

void CPictureButton::DrawEdge(QPainter& painter, const QRect& area, bool pressed) const {
  if (!flat_) {
    if (pressed) {
      painter.setPen(palette().color(QPalette::Dark));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(area.adjusted(0, 0, -1, -1));
    } else {
      qDrawWinButton(&painter, area, palette(), false, nullptr);
    }
    return;
  }
  if (lit_ && border_) {
    // A thin edge: raised under the mouse, sunk while held.
    qDrawShadeRect(&painter, area, palette(), pressed, 1, 0, nullptr);
  }
}

void CPictureButton::DrawContent(QPainter& painter, const QRect& area, bool pressed, int textSlot) const {
  const QImage& shown = lit_ && !hotPicture_.isNull() ? hotPicture_ : picture_;
  const QString caption = text();
  const QFontMetrics metrics(font());
  const QSize textSize = caption.isEmpty() ? QSize() : metrics.size(Qt::TextSingleLine, caption);
  const QSize pictureSize = shown.isNull() ? QSize() : shown.size();
  const int gap = !caption.isEmpty() && !shown.isNull() ? kPictureCaptionGap : 0;

  QRect pictureRect(QPoint(), pictureSize);
  QRect textRect(QPoint(), textSize);
  const QPoint centre = area.center();
  switch (layout_) {
    case kPictureAboveCaption: {
      const int height = pictureSize.height() + gap + textSize.height();
      const int top = centre.y() - height / 2;
      pictureRect.moveTopLeft({centre.x() - pictureSize.width() / 2, top});
      textRect.moveTopLeft({centre.x() - textSize.width() / 2, top + pictureSize.height() + gap});
      break;
    }
    case kPictureRightOfCaption:
    case kPictureLeftOfCaption: {
      const int width = pictureSize.width() + gap + textSize.width();
      const int left = centre.x() - width / 2;
      const bool pictureFirst = layout_ == kPictureLeftOfCaption;
      pictureRect.moveTopLeft({pictureFirst ? left : left + textSize.width() + gap, centre.y() - pictureSize.height() / 2});
      textRect.moveTopLeft({pictureFirst ? left + pictureSize.width() + gap : left, centre.y() - textSize.height() / 2});
      break;
    }
    default:  // kCaptionOverPicture
      pictureRect.moveCenter(centre);
      textRect.moveCenter(centre);
      break;
  }
  if (pressed) {
    pictureRect.translate(PressedOffset());
    textRect.translate(PressedOffset());
  }

  const bool disabled = !isEnabled();
  if (!shown.isNull()) painter.drawImage(pictureRect.topLeft(), disabled ? GreyedPicture(shown) : shown);
  if (caption.isEmpty()) return;
  painter.setFont(font());
  if (disabled) {
    // Embossed, as disabled captions are drawn on the Windows desktop.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawText(textRect.translated(1, 1), Qt::AlignCenter, caption);
    painter.setPen(palette().color(QPalette::Disabled, QPalette::ButtonText));
  } else {
    painter.setPen(ToQColor(Colour(textSlot)));
  }
  painter.drawText(textRect, Qt::AlignCenter, caption);
}

}  // namespace qgu::toolserver
