// The picture widget: the picture keeps its aspect in any widget size, and a
// presented frame is what the widget paints, information text included.

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
}

}  // namespace
}  // namespace qgu::host
