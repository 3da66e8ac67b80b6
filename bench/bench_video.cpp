// Frame presentation: the video output's conversion of a render buffer into
// the picture (palette tables, with and without scanlines) and the widget's
// scaling of it into a window of 1024 x 960 with sharp pixels.
//
//   cmake --build build --target bench_video && build/bench/bench_video
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include "host/video_output.h"

namespace {

using qgu::host::CVideoOutput;
using qgu::host::Picture;

void FillBuffer(CVideoOutput& video) {
  uint8_t* buffer = video.RenderBuffer();
  for (int i = 0; i < qgu::core::kRenderBufferBytes; ++i) buffer[i] = static_cast<uint8_t>((i * 7 + i / 272) & 0x3F);
}

void BM_ConvertFrame(benchmark::State& state) {
  CVideoOutput video;
  video.SetScanlines(state.range(0) != 0, 75);
  FillBuffer(video);
  for (auto _ : state) {
    video.RenderFrame();
    video.PresentFrame();
  }
}
BENCHMARK(BM_ConvertFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Conversion and scaling, as a presented frame costs in all.
void BM_ConvertAndScaleFrame(benchmark::State& state) {
  CVideoOutput video;
  video.SetScanlines(state.range(0) != 0, 75);
  FillBuffer(video);
  QImage window(1024, 960, QImage::Format_RGB32);
  for (auto _ : state) {
    video.RenderFrame();
    video.PresentFrame();
    video.WithFrontPicture([&](const Picture& picture) {
      const QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                         picture.width * 4, QImage::Format_RGB32);
      QPainter painter(&window);
      painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
      painter.drawImage(QRect(0, 0, 1024, 960), image);
    });
    benchmark::DoNotOptimize(window.constBits());
  }
}
BENCHMARK(BM_ConvertAndScaleFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
