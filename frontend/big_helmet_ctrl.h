#pragma once
// CBigHelmetCtrl: the game window's picture while a game boots. On black, the
// status line at the top left (wrapped to the control's width, over the
// helmets) and the two teams' helmets stretched across the control, the first up and left, the second down and right, with "VS."
// between them when both are there.
//
// How the window uses it: SetHelmets with the two helmet picture paths at
// game setup (a team without a readable picture gets none; SetHelmetImages
// takes helmets the window drew from the teams' colours instead),
// SetStatusText as the boot goes on, ClearHelmets when the boot is done.
// Every call belongs on the user-interface thread.

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>
#include <string>

class QPainter;

namespace qgu::frontend {

class CBigHelmetCtrl : public QWidget {
  Q_OBJECT

 public:
  // Where things go in a control of a given size.
  struct Layout {
    QRect first;
    QRect second;
    QPoint versus;  // top left of "VS."
  };
  static Layout LayoutFor(QSize client);

  explicit CBigHelmetCtrl(QWidget* parent = nullptr);

  // Picture files; "\" in a path is read as "/". A file that cannot be read
  // leaves that side without a helmet.
  void SetHelmets(const std::string& first, const std::string& second);
  // Ready pictures; a null image leaves that side without a helmet.
  void SetHelmetImages(const QImage& first, const QImage& second);
  void ClearHelmets();
  bool HasFirstHelmet() const { return !first_.isNull(); }
  bool HasSecondHelmet() const { return !second_.isNull(); }

  void SetStatusText(const QString& text);
  const QString& StatusText() const { return status_; }

  // The whole picture of a control of the given size.
  void Paint(QPainter& painter, QSize client) const;

  QSize sizeHint() const override { return {512, 480}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void DrawStatus(QPainter& painter, QSize client) const;

  QFont font_;
  QImage first_;
  QImage second_;
  QString status_;
  QImage backBuffer_;
};

}  // namespace qgu::frontend
