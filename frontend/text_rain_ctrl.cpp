#include "frontend/text_rain_ctrl.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QTimerEvent>
#include <array>

namespace qgu::frontend {
namespace {

const QColor kRainGreen(0x00, 0xFF, 0x00);
// Ticks of the 10 ms clock per settled letter, and how long a whole message stays.
constexpr int kTicksPerLetter = 9;
constexpr int kTicksWhole = 160;

// Windows-1252 characters of 0x80-0x9F; the five codes it leaves empty, and
// DEL (0x7F), which no font draws, show a middle dot.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x00B7, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x00B7, 0x017D, 0x00B7, 0x00B7, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x00B7, 0x017E, 0x0178};

QChar Windows1252(int code) {
  if (code == 0x7F) return QChar(0x00B7);
  if (code >= 0x80 && code < 0xA0) return QChar(kWindows1252High[static_cast<size_t>(code - 0x80)]);
  return QChar(code);
}

}  // namespace

const QString CTextRainCtrl::kSymbols = QStringLiteral("#$%&*+<>=?@^~|");

CTextRainCtrl::CTextRainCtrl(QWidget* parent, const QString& messageText, uint32_t seed)
    : QWidget(parent), random_(seed) {
  font_.setFamilies({"Tahoma", "DejaVu Sans"});
  font_.setPixelSize(14);
  font_.setBold(true);
  const QFontMetrics metrics(font_);
  cellWidth_ = std::max(1, metrics.horizontalAdvance(QChar('W')));
  cellHeight_ = std::max(1, metrics.height());
  for (const QString& message : messageText.split(',')) {
    const QString trimmed = message.trimmed();
    if (!trimmed.isEmpty()) messages_ << trimmed;
  }
  if (messages_.isEmpty()) messages_ << QString();
  setAttribute(Qt::WA_OpaquePaintEvent);
  StartMessage(0);
  MakeColumns();
}

int CTextRainCtrl::Random(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

QChar CTextRainCtrl::RandomRainChar() { return Windows1252(Random(kFirstRainCode, kLastRainCode)); }

QChar CTextRainCtrl::RandomSymbol() { return kSymbols[Random(0, static_cast<int>(kSymbols.size()) - 1)]; }

void CTextRainCtrl::MakeColumns() {
  rows_ = std::max(1, height() / cellHeight_ + 1);
  columns_.assign(static_cast<size_t>(std::max(1, width() / cellWidth_)), Column{});
  for (Column& column : columns_) RestartColumn(column, true);
}

// A new run above the top (or, at the start, anywhere) of 5 to 15 characters.
void CTextRainCtrl::RestartColumn(Column& column, bool anywhere) {
  column.run.clear();
  const int length = Random(kShortestRun, kLongestRun);
  for (int i = 0; i < length; ++i) column.run += RandomRainChar();
  column.headRow = anywhere ? Random(0, rows_ + kLongestRun) : -Random(0, rows_);
}

void CTextRainCtrl::StartMessage(int index) {
  messageIndex_ = index % static_cast<int>(messages_.size());
  settled_ = 0;
  settleTicks_ = 0;
  UpdateShown();
}

void CTextRainCtrl::UpdateShown() {
  const QString& message = messages_[messageIndex_];
  shown_ = message;
  for (int i = settled_; i < message.size(); ++i) {
    if (message[i] != ' ') shown_[i] = RandomSymbol();
  }
}

void CTextRainCtrl::SettleStep() {
  const int length = static_cast<int>(messages_[messageIndex_].size());
  ++settleTicks_;
  if (settled_ < length) {
    if (settleTicks_ < kTicksPerLetter) return;
    ++settled_;
    settleTicks_ = 0;
    UpdateShown();
    update();
  } else if (settleTicks_ >= kTicksWhole) {
    StartMessage(messageIndex_ + 1);
    update();
  }
}

void CTextRainCtrl::FlickerStep() {
  if (settled_ >= messages_[messageIndex_].size()) return;
  UpdateShown();
  update();
}

void CTextRainCtrl::FallStep() {
  for (Column& column : columns_) {
    ++column.headRow;
    // The run moves down a row: a new character enters at the head.
    column.run.remove(0, 1);
    column.run += RandomRainChar();
    if (column.headRow - column.run.size() >= rows_) RestartColumn(column, false);
  }
  update();
}

void CTextRainCtrl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  painter.setFont(font_);
  painter.setPen(kRainGreen);
  for (size_t c = 0; c < columns_.size(); ++c) {
    const Column& column = columns_[c];
    const int x = static_cast<int>(c) * cellWidth_;
    for (int i = 0; i < column.run.size(); ++i) {
      const int row = column.headRow - static_cast<int>(column.run.size()) + 1 + i;
      if (row < 0 || row >= rows_) continue;
      painter.drawText(QRect(x, row * cellHeight_, cellWidth_, cellHeight_), Qt::AlignCenter, QString(column.run[i]));
    }
  }

  // The message on a black band across the middle.
  QFont messageFont = font_;
  messageFont.setPixelSize(font_.pixelSize() + 6);
  painter.setFont(messageFont);
  const QFontMetrics metrics(messageFont);
  const int bandHeight = metrics.height() + 12;
  const QRect band(0, (height() - bandHeight) / 2, width(), bandHeight);
  painter.fillRect(band, Qt::black);
  painter.drawText(band, Qt::AlignCenter, shown_);
}

void CTextRainCtrl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  MakeColumns();
}

void CTextRainCtrl::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (settleTimer_ == 0) settleTimer_ = startTimer(kSettleMs, Qt::PreciseTimer);
  if (flickerTimer_ == 0) flickerTimer_ = startTimer(kFlickerMs, Qt::PreciseTimer);
  if (fallTimer_ == 0) fallTimer_ = startTimer(kFallMs);
}

void CTextRainCtrl::hideEvent(QHideEvent* event) {
  for (int* timer : {&settleTimer_, &flickerTimer_, &fallTimer_}) {
    if (*timer != 0) killTimer(*timer);
    *timer = 0;
  }
  QWidget::hideEvent(event);
}

void CTextRainCtrl::timerEvent(QTimerEvent* event) {
  if (event->timerId() == settleTimer_) SettleStep();
  else if (event->timerId() == flickerTimer_) FlickerStep();
  else if (event->timerId() == fallTimer_) FallStep();
}

}  // namespace qgu::frontend
