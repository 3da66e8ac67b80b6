#pragma once
// Stands in for the helmet control until it is part of the front end: black,
// the status text at the top left, the two helmets side by side.

#include <QImage>
#include <QWidget>

namespace qgu::frontend {

class CBootPlaceholder : public QWidget {
 public:
  explicit CBootPlaceholder(QWidget* parent = nullptr) : QWidget(parent) {}
  void SetHelmetImages(const QImage& first, const QImage& second) {
    first_ = first;
    second_ = second;
    update();
  }
  void ClearHelmets() { SetHelmetImages({}, {}); }
  void SetStatusText(const QString& text) {
    text_ = text;
    update();
  }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage first_;
  QImage second_;
  QString text_;
};

}  // namespace qgu::frontend
