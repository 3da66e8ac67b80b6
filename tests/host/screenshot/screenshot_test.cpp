#include "host/screenshot.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_folder.h"

#include <png.h>

namespace qgu::host {
namespace {

namespace fs = std::filesystem;
using qgu::testing::ReadBytes;

uint32_t Le32(const std::vector<uint8_t>& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}
uint32_t Le16(const std::vector<uint8_t>& bytes, std::size_t at) { return bytes[at] | bytes[at + 1] << 8; }

// Every visible pixel gets a value from its row and column; the margins hold
// a marker that must never reach a file.
std::vector<uint8_t> PatternedBuffer() {
  std::vector<uint8_t> buffer(kRenderBufferSize, 0xEE);
  for (int row = 0; row < kScreenHeight; ++row)
    for (int x = 0; x < kScreenWidth; ++x)
      buffer[row * kRenderBufferLineBytes + kRenderBufferFirstPixel + x] = static_cast<uint8_t>((row + x * 3) & 0x3F);
  return buffer;
}

uint8_t Visible(const std::vector<uint8_t>& buffer, int row, int x) {
  return buffer[row * kRenderBufferLineBytes + kRenderBufferFirstPixel + x];
}

TEST(BmpTest, HeadersDescribeA256By240EightBitPicture) {
  const std::vector<uint8_t> buffer = PatternedBuffer();
  const std::vector<uint8_t> bmp = EncodeBmp(buffer.data(), DefaultNesPalette());
  ASSERT_EQ(bmp.size(), kScreenshotBmpBytes);
  EXPECT_EQ(std::string(bmp.begin(), bmp.begin() + 2), "BM");
  EXPECT_EQ(Le16(bmp, 26), 1u) << "planes";
  EXPECT_EQ(Le16(bmp, 28), 8u) << "bits per pixel";
  // {offset, value} of the 32-bit fields: sizes, data offset, width, height, colours used.
  const std::pair<std::size_t, uint32_t> fields[] = {{2, 62518}, {6, 0},  {10, 1078}, {14, 40}, {18, 256}, {22, 240},
                                                     {30, 0},     {34, 0}, {38, 0},     {42, 0},  {46, 256}, {50, 0}};
  for (const auto& [at, value] : fields) EXPECT_EQ(Le32(bmp, at), value) << at;
}

TEST(BmpTest, ColourTableIsBlueGreenRedFromThePaletteByTheLowSixBits) {
  NesPalette palette{};
  palette[0x01] = {0x10, 0x20, 0x30};
  palette[0x3F] = {0xAA, 0xBB, 0xCC};
  EXPECT_EQ(NesColor(palette, 0x40 | 0x01), palette[0x01]) << "only the low six bits count";
  const std::vector<uint8_t> buffer(kRenderBufferSize, 0);
  const std::vector<uint8_t> bmp = EncodeBmp(buffer.data(), palette);
  const std::size_t table = 54;
  EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + table + 4, bmp.begin() + table + 8),
            (std::vector<uint8_t>{0x30, 0x20, 0x10, 0}));
  EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + table + 0x3F * 4, bmp.begin() + table + 0x40 * 4),
            (std::vector<uint8_t>{0xCC, 0xBB, 0xAA, 0}));
}

TEST(BmpTest, RowsRunBottomFirstAndSkipTheMargins) {
  const std::vector<uint8_t> buffer = PatternedBuffer();
  const std::vector<uint8_t> bmp = EncodeBmp(buffer.data(), DefaultNesPalette());
  for (int row : {0, 1, 120, 239}) {
    for (int x : {0, 7, 8, 255}) {
      const std::size_t at = 1078 + static_cast<std::size_t>(239 - row) * 256 + x;
      EXPECT_EQ(bmp[at], Visible(buffer, row, x)) << "row " << row << " x " << x;
    }
  }
  for (std::size_t at = 1078; at < bmp.size(); ++at) ASSERT_NE(bmp[at], 0xEE) << at;
}

// The file read back with libpng: indexed pixels and the 64 palette entries.
struct DecodedPng {
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> colors;
};

DecodedPng Decode(const std::vector<uint8_t>& png) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  EXPECT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size())) << image.message;
  EXPECT_EQ(image.width, 256u);
  EXPECT_EQ(image.height, 240u);
  EXPECT_EQ(image.colormap_entries, 64u);
  image.format = PNG_FORMAT_RGB_COLORMAP;
  DecodedPng decoded{std::vector<uint8_t>(PNG_IMAGE_SIZE(image)), std::vector<uint8_t>(PNG_IMAGE_COLORMAP_SIZE(image))};
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, decoded.pixels.data(), 0, decoded.colors.data())) << image.message;
  return decoded;
}

TEST(PngTest, DecodesToTheVisiblePixelsWithThePaletteAndMasksHighBits) {
  std::vector<uint8_t> buffer = PatternedBuffer();
  const DecodedPng decoded = Decode(EncodePng(buffer.data(), DefaultNesPalette()));
  ASSERT_EQ(decoded.colors.size(), 64u * 3u);
  for (int i = 0; i < 64; ++i)
    EXPECT_EQ((RgbColor{decoded.colors[3 * i], decoded.colors[3 * i + 1], decoded.colors[3 * i + 2]}),
              DefaultNesPalette()[i]) << i;
  for (int row = 0; row < kScreenHeight; ++row)
    for (int x = 0; x < kScreenWidth; ++x)
      ASSERT_EQ(decoded.pixels[row * 256 + x], Visible(buffer, row, x)) << row << "," << x;

  std::fill(buffer.begin(), buffer.end(), 0xC5);
  EXPECT_EQ(Decode(EncodePng(buffer.data(), DefaultNesPalette())).pixels[0], 0x05);
}

TEST(ScreenshotNameTest, CartridgeNameAndTimeStampToTheTenth) {
  const LocalTimeStamp time{2024, 3, 5, 7, 8, 9, 987};
  EXPECT_EQ(ScreenshotFileName("Gridcrown", time), "Gridcrown 202403050708099.bmp");
  LocalTimeStamp sameTenth = time;
  sameTenth.millisecond = 901;
  EXPECT_EQ(ScreenshotFileName("Gridcrown", sameTenth), ScreenshotFileName("Gridcrown", time));
  sameTenth.millisecond = 42;
  EXPECT_EQ(ScreenshotFileName("", sameTenth), " 202403050708090.bmp");
  EXPECT_EQ(ScreenshotFileName("../up/x", time), ".._up_x 202403050708099.bmp");
}

TEST(ScreenshotPathTest, MakeAbsoluteResolvesAgainstTheBase) {
  EXPECT_EQ(MakeAbsolute(".\\snapshot\\", "/home/coach/work"), fs::path("/home/coach/work/snapshot/"));
  EXPECT_EQ(MakeAbsolute("../shots/./a", "/home/coach/work"), fs::path("/home/coach/shots/a"));
  EXPECT_EQ(MakeAbsolute("/var/shots/../x", "/home/coach"), fs::path("/var/shots/../x"));
}

TEST(ScreenshotPathTest, JoinKeepsTheFolderOfThePath) {
  EXPECT_EQ(JoinPath("/games/field.nes", "shot.bmp"), fs::path("/games/shot.bmp"));
  EXPECT_EQ(JoinPath("/games/shots/", "a", ".sav"), fs::path("/games/shots/a.sav"));
  EXPECT_EQ(JoinPath("field.nes", "a.bmp"), fs::path("a.bmp"));
}

class ScreenshotFileTest : public ::testing::Test {
 protected:
  qgu::testing::TempFolder folder_;
  const fs::path& root_ = folder_.path();
  const std::vector<uint8_t> buffer_ = PatternedBuffer();
};

TEST_F(ScreenshotFileTest, ConfiguredFolderIsCreatedAndRepeatShotsOverwrite) {
  ScreenshotPlace place{"Gridcrown", root_ / "roms" / "field.nes", true, "snap", root_};
  const LocalTimeStamp time{2031, 12, 31, 23, 59, 58, 450};
  const ScreenshotResult first = TakeScreenshot(place, time, buffer_.data(), DefaultNesPalette());
  ASSERT_TRUE(first) << first.error;
  EXPECT_EQ(first.path, root_ / "snap" / "Gridcrown 203112312359584.bmp");

  const std::vector<uint8_t> black(kRenderBufferSize, 0x3F);
  ASSERT_TRUE(TakeScreenshot(place, time, black.data(), DefaultNesPalette()));
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "snap"), fs::directory_iterator()), 1);
  const std::string written = ReadBytes(first.path);
  ASSERT_EQ(written.size(), kScreenshotBmpBytes);
  EXPECT_EQ(written[1078], 0x3F);
}

TEST_F(ScreenshotFileTest, WithoutConfiguredFolderTheImageFolderIsUsed) {
  ScreenshotPlace place{"Gridcrown", root_ / "field.nes", false, "ignored", "/nonexistent"};
  const ScreenshotResult result = TakeScreenshot(place, {2030, 1, 2, 3, 4, 5, 0}, buffer_.data(), DefaultNesPalette());
  ASSERT_TRUE(result) << result.error;
  EXPECT_EQ(result.path.parent_path(), root_);
  EXPECT_FALSE(fs::exists(root_ / "ignored"));
}

TEST_F(ScreenshotFileTest, FailuresAreReportedNotHidden) {
  std::ofstream(root_ / "blocker") << "a file where a folder should be";
  ScreenshotPlace place{"Gridcrown", root_ / "field.nes", true, (root_ / "blocker" / "deeper").string(), root_};
  const ScreenshotResult folderFailure = TakeScreenshot(place, {}, buffer_.data(), DefaultNesPalette());
  EXPECT_FALSE(folderFailure);
  EXPECT_FALSE(folderFailure.error.empty());

  const ScreenshotResult fileFailure =
      WriteScreenshotFile(root_ / "missing" / "x.png", buffer_.data(), DefaultNesPalette());
  EXPECT_FALSE(fileFailure);
  EXPECT_NE(fileFailure.error.find("x.png"), std::string::npos);

  EXPECT_FALSE(WriteScreenshotFile(root_ / "x.bmp", nullptr, DefaultNesPalette()));
}

// A failed write leaves whatever the path names as it was: an older shot, or
// a name for a device, which is never written through nor removed.
TEST_F(ScreenshotFileTest, FailedWriteLeavesWhatThePathNamed) {
  std::ofstream(root_ / "old.bmp") << "an older shot";
  {
    qgu::testing::FileSizeLimit limit(1000);
    EXPECT_FALSE(WriteScreenshotFile(root_ / "old.bmp", buffer_.data(), DefaultNesPalette()));
  }
  EXPECT_EQ(ReadBytes(root_ / "old.bmp"), "an older shot");

  fs::create_symlink("/dev/full", root_ / "device.bmp");
  const ScreenshotResult refused = WriteScreenshotFile(root_ / "device.bmp", buffer_.data(), DefaultNesPalette());
  EXPECT_FALSE(refused);
  EXPECT_NE(refused.error.find("not a regular file"), std::string::npos) << refused.error;
  EXPECT_TRUE(fs::is_symlink(root_ / "device.bmp"));
  EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 2) << "no temporary file left";
}

TEST_F(ScreenshotFileTest, ExtensionChoosesTheFormat) {
  ASSERT_TRUE(WriteScreenshotFile(root_ / "a.PNG", buffer_.data(), DefaultNesPalette()));
  ASSERT_TRUE(WriteScreenshotFile(root_ / "a.bmp", buffer_.data(), DefaultNesPalette()));
  EXPECT_EQ(ReadBytes(root_ / "a.PNG").substr(1, 3), "PNG");
  const std::vector<uint8_t> bmp = EncodeBmp(buffer_.data(), DefaultNesPalette());
  EXPECT_EQ(ReadBytes(root_ / "a.bmp"), std::string(bmp.begin(), bmp.end()));
}

}  // namespace
}  // namespace qgu::host
