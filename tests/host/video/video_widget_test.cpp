// The picture widget: the picture keeps its aspect in any widget size, and a
// presented frame is what the widget paints, the information text on a line
// of its own below it.

#include "host/video_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

namespace qgu::host {
namespace {

TEST(VideoWidget, ScalesWithTheAspectKeptAndPaintsThePresentedFrame) {
  const std::pair<QSize, QRect> cases[] = {
      {QSize(256, 240), QRect(0, 0, 256, 240)},
      {QSize(1024, 960), QRect(0, 0, 1024, 960)},
      {QSize(1280, 720), QRect(256, 0, 768, 720)},  // wide: bars left and right
      {QSize(512, 960), QRect(0, 240, 512, 480)},   // tall: bars above and below
  };
  for (const auto& [size, rect] : cases) EXPECT_EQ(CVideoWidget::PictureRect(size), rect) << size.width();

  CVideoOutput video;
  uint8_t* buffer = video.RenderBuffer();
  for (int i = 0; i < core::kRenderBufferBytes; ++i) buffer[i] = 0x00;  // the field colour everywhere
  CVideoWidget widget(video);
  widget.resize(512, 480);
  video.RenderFrame();
  video.PresentFrame();
  QApplication::processEvents();
  const QImage painted = widget.grab().toImage();
  EXPECT_EQ(painted.pixel(10, 470), 0xFFD6B1A9u);
  EXPECT_EQ(painted.pixel(500, 10), 0xFFD6B1A9u);

  // The frame-rate read-out gets a line below the picture and covers none
  // of it: every pixel of the picture is still the frame's own.
  video.SetInfoText("59.9 FPS");
  video.RenderFrame();
  video.PresentFrame();
  QApplication::processEvents();
  const QImage withReadout = widget.grab().toImage();
  const QRect picture = CVideoWidget::PictureRect(QSize(512, 480 - CVideoWidget::ReadoutStrip(QSize(512, 480))));
  int pictureColoured = 0;
  for (int y = 0; y < withReadout.height(); ++y) {
    for (int x = 0; x < withReadout.width(); ++x) {
      if (picture.contains(x, y)) {
        pictureColoured += withReadout.pixel(x, y) == 0xFFD6B1A9u;
      }
    }
  }
  EXPECT_EQ(pictureColoured, picture.width() * picture.height());
  int readoutPixels = 0;
  for (int y = picture.bottom() + 1; y < withReadout.height(); ++y) {
    for (int x = 0; x < withReadout.width(); ++x) readoutPixels += qGray(withReadout.pixel(x, y)) > 128;
  }
  EXPECT_GT(readoutPixels, 20) << "the read-out is drawn in its line";
}

}  // namespace
}  // namespace qgu::host
