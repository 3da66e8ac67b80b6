#include "host/screenshot.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <system_error>

#include <png.h>

#include "base/file_write.h"
#include "base/text.h"

namespace qgu::host {
namespace {

constexpr std::size_t kBmpHeaderBytes = 14 + 40;
constexpr std::size_t kBmpColorTableEntries = 256;
constexpr std::size_t kBmpPixelOffset = kBmpHeaderBytes + kBmpColorTableEntries * 4;

void PutLe16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutLe32(std::vector<uint8_t>& out, uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}

const uint8_t* VisibleRow(const uint8_t* renderBuffer, int row) {
  return renderBuffer + row * kRenderBufferLineBytes + kRenderBufferFirstPixel;
}

bool EndsWithPng(const std::filesystem::path& path) { return base::EndsWithIgnoringCase(path.string(), ".png"); }

std::string WithForwardSlashes(std::string_view path) {
  std::string text(path);
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const uint8_t* renderBuffer, const NesPalette& palette) {
  std::vector<uint8_t> out;
  out.reserve(kScreenshotBmpBytes);
  out.push_back('B');
  out.push_back('M');
  PutLe32(out, static_cast<uint32_t>(kScreenshotBmpBytes));
  PutLe32(out, 0);  // two reserved words
  PutLe32(out, static_cast<uint32_t>(kBmpPixelOffset));
  PutLe32(out, 40);
  PutLe32(out, kScreenWidth);
  PutLe32(out, kScreenHeight);  // positive height: bottom row first
  PutLe16(out, 1);
  PutLe16(out, 8);
  for (int field = 0; field < 3; ++field) PutLe32(out, 0);  // no compression, image size, x resolution
  PutLe32(out, 0);                                          // y resolution
  PutLe32(out, static_cast<uint32_t>(kBmpColorTableEntries));
  PutLe32(out, 0);
  // Render values are six bits; the upper entries repeat the palette so a
  // stray high bit still shows the intended colour.
  for (std::size_t i = 0; i < kBmpColorTableEntries; ++i) {
    const RgbColor color = palette[i % kNesColorCount];
    out.insert(out.end(), {color.blue, color.green, color.red, 0});
  }
  for (int row = kScreenHeight - 1; row >= 0; --row) {
    const uint8_t* pixels = VisibleRow(renderBuffer, row);
    out.insert(out.end(), pixels, pixels + kScreenWidth);
  }
  return out;
}

std::vector<uint8_t> EncodePng(const uint8_t* renderBuffer, const NesPalette& palette) {
  // 8-bit indexed colour with the 64 palette entries; libpng does the encoding.
  std::vector<uint8_t> pixels(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
  for (int row = 0; row < kScreenHeight; ++row) {
    const uint8_t* visible = VisibleRow(renderBuffer, row);
    for (int x = 0; x < kScreenWidth; ++x) pixels[static_cast<std::size_t>(row) * kScreenWidth + x] = visible[x] & 0x3F;
  }
  std::vector<uint8_t> colors;
  for (const RgbColor& color : palette) colors.insert(colors.end(), {color.red, color.green, color.blue});

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = kScreenWidth;
  image.height = kScreenHeight;
  image.format = PNG_FORMAT_RGB_COLORMAP;
  image.colormap_entries = kNesColorCount;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(image, size, 0, pixels.data(), 0, colors.data())) {
    throw std::runtime_error(std::string("PNG encoding failed: ") + image.message);
  }
  std::vector<uint8_t> out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, colors.data())) {
    throw std::runtime_error(std::string("PNG encoding failed: ") + image.message);
  }
  out.resize(size);
  return out;
}

ScreenshotResult WriteScreenshotFile(const std::filesystem::path& path, const uint8_t* renderBuffer,
                                     const NesPalette& palette) {
  ScreenshotResult result;
  result.path = path;
  if (renderBuffer == nullptr) {
    result.error = "no picture to save";
    return result;
  }
  std::vector<uint8_t> bytes;
  try {
    bytes = EndsWithPng(path) ? EncodePng(renderBuffer, palette) : EncodeBmp(renderBuffer, palette);
  } catch (const std::exception& error) {
    result.error = error.what();
    return result;
  }
  // Through a temporary file: a failed write leaves whatever the path names as it was.
  const base::Status written =
      base::ReplaceFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  result.ok = written.ok();
  if (!result.ok) result.error = written.error();
  return result;
}

LocalTimeStamp CurrentLocalTime() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto sinceEpoch = now.time_since_epoch();
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch) -
                      std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch);
  std::tm local{};
  localtime_r(&seconds, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,        local.tm_hour,
          local.tm_min,         local.tm_sec,     static_cast<int>(millis.count())};
}

std::string ScreenshotFileName(std::string_view cartridgeName, const LocalTimeStamp& time) {
  // A separator in the name would place the file in another folder.
  std::string name(cartridgeName);
  std::replace(name.begin(), name.end(), '/', '_');
  std::replace(name.begin(), name.end(), '\\', '_');
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, " %04d%02d%02d%02d%02d%02d%01d.bmp", time.year, time.month, time.day,
                time.hour, time.minute, time.second, (time.millisecond / 100) % 10);
  return name + stamp;
}

std::filesystem::path MakeAbsolute(std::string_view path, const std::filesystem::path& base) {
  const std::filesystem::path given(WithForwardSlashes(path));
  if (given.is_absolute()) return given;
  return (base / given).lexically_normal();
}

std::filesystem::path JoinPath(const std::filesystem::path& folderPath, std::string_view fileName,
                               std::string_view extension) {
  const std::string folder = folderPath.string();
  const std::size_t lastSeparator = folder.find_last_of('/');
  std::string joined = lastSeparator == std::string::npos ? std::string() : folder.substr(0, lastSeparator + 1);
  joined.append(fileName);
  joined.append(extension);
  return joined;
}

ScreenshotResult TakeScreenshot(const ScreenshotPlace& place, const LocalTimeStamp& time,
                                const uint8_t* renderBuffer, const NesPalette& palette) {
  const std::string fileName = ScreenshotFileName(place.cartridgeName, time);
  std::filesystem::path folder = place.imagePath;  // the join keeps only its folder
  if (place.snapshotPathUse) {
    std::string configured = MakeAbsolute(place.snapshotPath, place.currentDirectory).string();
    // The setting names a folder even when written without a final separator.
    if (configured.empty() || configured.back() != '/') configured.push_back('/');
    folder = configured;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error && !std::filesystem::is_directory(folder)) {
      ScreenshotResult result;
      result.path = folder;
      result.error = "cannot create folder " + folder.string() + ": " + error.message();
      return result;
    }
  }
  return WriteScreenshotFile(JoinPath(folder, fileName), renderBuffer, palette);
}

}  // namespace qgu::host
