#include "editors/palette_combo.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include "editors/nes_colors.h"

namespace qgu::editors {
namespace {

constexpr int kInset = 2;
constexpr int kItemHeight = 20;

// Index text in black or white, whichever reads better on the colour.
QColor TextColourOn(QColor colour) { return colour.lightness() > 110 ? Qt::black : Qt::white; }

void PaintSwatch(QPainter& painter, const QRect& area, int index, bool selected) {
  const QColor colour(NesColorToRgb(index));
  const QRect swatch = area.adjusted(kInset, kInset, -kInset, -kInset);
  painter.fillRect(swatch, colour);
  painter.setPen(TextColourOn(colour));
  painter.drawText(swatch, Qt::AlignCenter, QString::asprintf("%02d", index));
  if (selected) {
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
  }
}

class SwatchDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    painter->fillRect(option.rect, option.palette.base());
    PaintSwatch(*painter, option.rect, index.row(), (option.state & QStyle::State_Selected) != 0);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight};
  }
};

}  // namespace

CPaletteCombo::CPaletteCombo(int id, QWidget* parent) : QComboBox(parent) {
  setObjectName(QString::number(id));
  for (int index = 0; index < base::kNesColorCount; ++index) addItem(QString::asprintf("%02d", index));
  setItemDelegate(new SwatchDelegate(this));
  setMaxVisibleItems(16);
  setMinimumWidth(90);
}

void CPaletteCombo::SelectColour(int index) { setCurrentIndex(index & (base::kNesColorCount - 1)); }

void CPaletteCombo::paintEvent(QPaintEvent* /*event*/) {
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText.clear();
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  if (currentIndex() < 0) return;
  const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  PaintSwatch(painter, field, currentIndex(), hasFocus());
}

}  // namespace qgu::editors
