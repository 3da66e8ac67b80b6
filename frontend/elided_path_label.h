#pragma once
// CElidedPathLabel: a line showing a path that may be far longer than any
// screen. It asks for little room and shows as much as fits, with the middle
// cut out ("/home/.../leagues/Quozi League") so both the start and the file
// name stay visible; the whole path is its text and its tool tip.

#include <QLabel>

namespace qgu::frontend {

class CElidedPathLabel : public QLabel {
 public:
  explicit CElidedPathLabel(const QString& path = {}, QWidget* parent = nullptr);

  void SetPath(const QString& path);
  // What is painted at the present width.
  QString ShownText() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace qgu::frontend
