// The video output's colours: the console palette's fixed points, emphasis,
// greyscale and scanline companions, the converted picture, palette files.

#include "host/video_output.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace qgu::host {
namespace {

TEST(VideoOutput, ColourTables) {
  const ColorTables tables = BuildColorTables(DefaultNesPalette(), 75);
  const struct {
    const char* what;
    uint32_t got;
    uint32_t want;
  } cases[] = {
      {"field colour", tables.color[0][0x00], 0xFFD6B1A9},
      {"0x0D", tables.color[0][0x0D], 0xFF000000},
      {"0x0E", tables.color[0][0x0E], 0xFF000000},
      {"0x0F", tables.color[0][0x0F], 0xFF000000},
      {"0x3F", tables.color[0][0x3F], 0xFF000000},
      {"white", tables.color[0][0x30], 0xFFFFFFFF},
      {"red emphasis", tables.color[1][0x00], 0xFFD68D7B},      // 214, 177 x 0.80, 169 x 0.73
      {"all emphasis", tables.color[7][0x30], 0xFFADADAD},      // 255 x 0.68
      {"grey", tables.grey[0][0x00], 0xFFBBBBBB},               // 0.299 R + 0.587 G + 0.114 B = 187
      {"grey of emphasis", tables.grey[7][0x30], 0xFFADADAD},
      {"scanline 75%", tables.scanline[0][0x00], 0xFFA0847E},  // 160, 132, 126
      {"grey scanline", tables.greyScanline[0][0x00], 0xFF8C8C8C},  // 187 x 0.75
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
  EXPECT_EQ(BuildColorTables(DefaultNesPalette(), 100).scanline, BuildColorTables(DefaultNesPalette(), 100).color);
  EXPECT_EQ(BuildColorTables(DefaultNesPalette(), 200).scanline[0][0x30], 0xFFFFFFFF);  // capped
}

TEST(VideoOutput, PictureFromTheRenderBufferWithScanlinesEmphasisAndTheInformationText) {
  CVideoOutput video;
  uint8_t* buffer = video.RenderBuffer();
  EXPECT_EQ(buffer[0], 0x3F);
  buffer[core::kRenderFirstPixel] = 0x00;                                    // line 0, x 0
  buffer[core::kRenderLineBytes * 239 + core::kRenderFirstPixel + 255] = 0x70;  // high bits ignored
  video.SetScanlines(true, 100);
  video.SetInfoText("FPS:60.0");
  video.RenderFrame();
  video.PresentFrame();
  video.WithFrontPicture([](const Picture& picture) {
    ASSERT_EQ(picture.height, 480);
    EXPECT_EQ(picture.pixels[0], 0xFFD6B1A9);
    EXPECT_EQ(picture.pixels[256], 0xFFD6B1A9);  // the line's companion at 100%
    EXPECT_EQ(picture.pixels[1], 0xFF000000);
    EXPECT_EQ(picture.pixels[478 * 256 + 255], 0xFFFFFFFF);  // 0x70 reads as 0x30
    EXPECT_EQ(picture.pixels[479 * 256 + 255], 0xFFFFFFFF);
    EXPECT_EQ(picture.infoText, "FPS:60.0");
  });

  int presented = 0;
  video.SetPresentedHandler([&] { ++presented; });
  video.SetScanlines(false, 75);
  video.SetEmphasis(7, true);
  EXPECT_TRUE(video.PaletteChanged());
  video.SetInfoText("");
  video.RenderFrame();
  video.PresentFrame();
  EXPECT_EQ(presented, 1);
  video.WithFrontPicture([](const Picture& picture) {
    ASSERT_EQ(picture.height, 240);
    EXPECT_EQ(picture.pixels[0], BuildColorTables(DefaultNesPalette(), 75).grey[7][0x00]);
    EXPECT_EQ(picture.infoText, "");
  });
}

TEST(VideoOutput, WeatherAndPaletteFiles) {
  qgu::testing::TempFolder folder;
  NesPalette rain{};
  rain[0] = {1, 2, 3};
  CVideoOutput video;
  video.SetDisplayPalette(&rain);
  EXPECT_EQ(video.DisplayPalette()[0], (RgbColor{1, 2, 3}));
  video.SetDisplayPalette(nullptr);
  EXPECT_EQ(video.DisplayPalette(), DefaultNesPalette());

  std::string bytes(192, '\0');
  bytes[0] = 'A';
  qgu::testing::WriteBytes(folder / "ok.pal", bytes);
  qgu::testing::WriteBytes(folder / "short.pal", bytes.substr(0, 191));
  EXPECT_FALSE(video.LoadPaletteFile(folder / "short.pal").ok());
  EXPECT_FALSE(video.LoadPaletteFile(folder.path()).ok());  // a folder
  EXPECT_EQ(video.DisplayPalette(), DefaultNesPalette());
  ASSERT_TRUE(video.LoadPaletteFile(folder / "ok.pal").ok());
  EXPECT_EQ(video.DisplayPalette()[0], (RgbColor{'A', 0, 0}));
  video.SetDisplayPalette(&rain);
  video.SetDisplayPalette(nullptr);  // back to the file's colours
  EXPECT_EQ(video.DisplayPalette()[0], (RgbColor{'A', 0, 0}));
}

}  // namespace
}  // namespace qgu::host
