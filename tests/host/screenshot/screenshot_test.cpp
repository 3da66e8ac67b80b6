#include "host/screenshot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/support/temp_folder.h"

#ifdef QGU_HAVE_ZLIB
#include <zlib.h>
#endif

namespace qgu::host {
namespace {

namespace fs = std::filesystem;

uint32_t Le32(const std::vector<uint8_t>& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}
uint32_t Le16(const std::vector<uint8_t>& bytes, std::size_t at) { return bytes[at] | bytes[at + 1] << 8; }
uint32_t Be32(const std::vector<uint8_t>& bytes, std::size_t at) {
  return static_cast<uint32_t>(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
}

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

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(NesPaletteTest, FieldColourBlacksAndSixBitValues) {
  const NesPalette& palette = DefaultNesPalette();
  EXPECT_EQ(palette[0x00], (RgbColor{0xD6, 0xB1, 0xA9}));  // the field colour
  for (int black : {0x0D, 0x0E, 0x0F, 0x1D, 0x2E, 0x3F}) EXPECT_EQ(palette[black], RgbColor{}) << black;
  EXPECT_EQ(NesColor(palette, 0x40 | 0x16), palette[0x16]) << "only the low six bits count";
}

TEST(BmpTest, HeadersDescribeA256By240EightBitPicture) {
  const std::vector<uint8_t> buffer = PatternedBuffer();
  const std::vector<uint8_t> bmp = EncodeBmp(buffer.data(), DefaultNesPalette());
  ASSERT_EQ(bmp.size(), kScreenshotBmpBytes);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(Le32(bmp, 2), 62518u);
  EXPECT_EQ(Le32(bmp, 6), 0u);
  EXPECT_EQ(Le32(bmp, 10), 1078u);
  EXPECT_EQ(Le32(bmp, 14), 40u);
  EXPECT_EQ(Le32(bmp, 18), 256u);
  EXPECT_EQ(Le32(bmp, 22), 240u);
  EXPECT_EQ(Le16(bmp, 26), 1u);
  EXPECT_EQ(Le16(bmp, 28), 8u);
  for (std::size_t at : {30u, 34u, 38u, 42u, 50u}) EXPECT_EQ(Le32(bmp, at), 0u) << at;
  EXPECT_EQ(Le32(bmp, 46), 256u);
}

TEST(BmpTest, ColourTableIsBlueGreenRedFromThePalette) {
  NesPalette palette{};
  palette[0x01] = {0x10, 0x20, 0x30};
  palette[0x3F] = {0xAA, 0xBB, 0xCC};
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

TEST(PngTest, ChunksAreWellFormed) {
  const std::vector<uint8_t> buffer = PatternedBuffer();
  const std::vector<uint8_t> png = EncodePng(buffer.data(), DefaultNesPalette());
  const std::vector<uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  ASSERT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
  // IHDR: width, height, depth 8, indexed colour.
  EXPECT_EQ(Be32(png, 8), 13u);
  EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
  EXPECT_EQ(Be32(png, 16), 256u);
  EXPECT_EQ(Be32(png, 20), 240u);
  EXPECT_EQ(png[24], 8);
  EXPECT_EQ(png[25], 3);
  // The file ends with the one IEND chunk every writer produces byte for byte.
  const std::vector<uint8_t> iend = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
  ASSERT_GE(png.size(), iend.size());
  EXPECT_TRUE(std::equal(iend.begin(), iend.end(), png.end() - 12));
}

#ifdef QGU_HAVE_ZLIB
// Walks the chunks, checks each CRC with zlib and returns the inflated image data.
std::vector<uint8_t> InflatedImageData(const std::vector<uint8_t>& png, std::vector<uint8_t>& colors) {
  std::vector<uint8_t> idat;
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = Be32(png, at);
    const std::string type(png.begin() + at + 4, png.begin() + at + 8);
    const uLong crc = crc32(0, png.data() + at + 4, length + 4);
    EXPECT_EQ(Be32(png, at + 8 + length), crc) << type;
    if (type == "IDAT") idat.insert(idat.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
    if (type == "PLTE") colors.assign(png.begin() + at + 8, png.begin() + at + 8 + length);
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  std::vector<uint8_t> raw(240 * 257 + 1);
  uLongf rawSize = raw.size();
  EXPECT_EQ(uncompress(raw.data(), &rawSize, idat.data(), idat.size()), Z_OK);
  raw.resize(rawSize);
  return raw;
}

TEST(PngTest, DecodesToTheVisiblePixelsWithThePalette) {
  const std::vector<uint8_t> buffer = PatternedBuffer();
  const std::vector<uint8_t> png = EncodePng(buffer.data(), DefaultNesPalette());
  std::vector<uint8_t> colors;
  const std::vector<uint8_t> raw = InflatedImageData(png, colors);
  ASSERT_EQ(raw.size(), 240u * 257u);
  ASSERT_EQ(colors.size(), 64u * 3u);
  EXPECT_EQ(colors[0], 0xD6);
  EXPECT_EQ(colors[1], 0xB1);
  EXPECT_EQ(colors[2], 0xA9);
  for (int row = 0; row < kScreenHeight; ++row) {
    ASSERT_EQ(raw[row * 257], 0) << "filter of row " << row;
    for (int x = 0; x < kScreenWidth; ++x)
      ASSERT_EQ(raw[row * 257 + 1 + x], Visible(buffer, row, x)) << row << "," << x;
  }
}

TEST(PngTest, HighBitsAreMaskedToTheSixtyFourColours) {
  std::vector<uint8_t> buffer(kRenderBufferSize, 0xC5);
  std::vector<uint8_t> colors;
  const std::vector<uint8_t> raw = InflatedImageData(EncodePng(buffer.data(), DefaultNesPalette()), colors);
  ASSERT_EQ(raw.size(), 240u * 257u);
  EXPECT_EQ(raw[1], 0x05);
}
#endif

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
};

TEST_F(ScreenshotFileTest, ConfiguredFolderIsCreatedAndRepeatShotsOverwrite) {
  const std::vector<uint8_t> buffer = PatternedBuffer();
  ScreenshotPlace place{"Gridcrown", root_ / "roms" / "field.nes", true, "snap", root_};
  const LocalTimeStamp time{2031, 12, 31, 23, 59, 58, 450};
  const ScreenshotResult first = TakeScreenshot(place, time, buffer.data(), DefaultNesPalette());
  ASSERT_TRUE(first) << first.error;
  EXPECT_EQ(first.path, root_ / "snap" / "Gridcrown 203112312359584.bmp");
  EXPECT_EQ(fs::file_size(first.path), kScreenshotBmpBytes);

  const std::vector<uint8_t> black(kRenderBufferSize, 0x3F);
  ASSERT_TRUE(TakeScreenshot(place, time, black.data(), DefaultNesPalette()));
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "snap"), fs::directory_iterator()), 1);
  const std::vector<uint8_t> written = ReadFile(first.path);
  ASSERT_EQ(written.size(), kScreenshotBmpBytes);
  EXPECT_EQ(written[1078], 0x3F);
}

TEST_F(ScreenshotFileTest, WithoutConfiguredFolderTheImageFolderIsUsed) {
  const std::vector<uint8_t> buffer = PatternedBuffer();
  ScreenshotPlace place{"Gridcrown", root_ / "field.nes", false, "ignored", "/nonexistent"};
  const ScreenshotResult result = TakeScreenshot(place, {2030, 1, 2, 3, 4, 5, 0}, buffer.data(), DefaultNesPalette());
  ASSERT_TRUE(result) << result.error;
  EXPECT_EQ(result.path.parent_path(), root_);
  EXPECT_FALSE(fs::exists(root_ / "ignored"));
}

TEST_F(ScreenshotFileTest, FailuresAreReportedNotHidden) {
  const std::vector<uint8_t> buffer = PatternedBuffer();
  std::ofstream(root_ / "blocker") << "a file where a folder should be";
  ScreenshotPlace place{"Gridcrown", root_ / "field.nes", true, (root_ / "blocker" / "deeper").string(), root_};
  const ScreenshotResult folderFailure = TakeScreenshot(place, {}, buffer.data(), DefaultNesPalette());
  EXPECT_FALSE(folderFailure);
  EXPECT_FALSE(folderFailure.error.empty());

  const ScreenshotResult fileFailure =
      WriteScreenshotFile(root_ / "missing" / "x.png", buffer.data(), DefaultNesPalette());
  EXPECT_FALSE(fileFailure);
  EXPECT_NE(fileFailure.error.find("x.png"), std::string::npos);

  EXPECT_FALSE(WriteScreenshotFile(root_ / "x.bmp", nullptr, DefaultNesPalette()));
}

TEST_F(ScreenshotFileTest, ExtensionChoosesTheFormat) {
  const std::vector<uint8_t> buffer = PatternedBuffer();
  ASSERT_TRUE(WriteScreenshotFile(root_ / "a.PNG", buffer.data(), DefaultNesPalette()));
  ASSERT_TRUE(WriteScreenshotFile(root_ / "a.bmp", buffer.data(), DefaultNesPalette()));
  EXPECT_EQ(ReadFile(root_ / "a.PNG")[1], 'P');
  EXPECT_EQ(ReadFile(root_ / "a.bmp"), EncodeBmp(buffer.data(), DefaultNesPalette()));
}

}  // namespace
}  // namespace qgu::host
