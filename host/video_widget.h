#pragma once
// CVideoWidget: shows the video output's front picture, scaled to the widget
// with the aspect kept and sharp pixels, black around it, the information
// text (the frame-rate read-out) on a line of its own below the picture, so
// that it covers none of the cartridge's text.
//
// How the window uses it: place one in the main window where the picture
// goes (it repaints by itself whenever the emulator thread presents a frame)
// and call SetFullScreen to show it on the whole screen and back.

#include <QWidget>

#include "host/video_output.h"

namespace qgu::host {

class CVideoWidget : public QWidget {
 public:
  explicit CVideoWidget(CVideoOutput& output, QWidget* parent = nullptr);
  ~CVideoWidget() override;

  void SetFullScreen(bool on);
  bool IsFullScreen() const { return fullScreen_; }

  // Where the picture of this size goes in a widget of that size.
  static QRect PictureRect(const QSize& widget);
  // The read-out's text size and the line kept for it below the picture.
  static int ReadoutPixels(const QSize& widget);
  static int ReadoutStrip(const QSize& widget);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CVideoOutput& output_;
  bool fullScreen_ = false;
  QWidget* formerParent_ = nullptr;
};

}  // namespace qgu::host
