#pragma once
// Screenshots of the emulated picture: the 8-bit BMP the system saves, a PNG
// for documents and tools, the time-stamped file name and the folder rules.
// All take the picture unit's render buffer (core/render_buffer.h) and a
// 64-colour palette.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/render_buffer.h"
#include "host/nes_palette.h"

namespace qgu::host {

inline constexpr int kScreenWidth = core::kRenderWidth;
inline constexpr int kScreenHeight = core::kRenderLines;
inline constexpr int kRenderBufferLineBytes = core::kRenderLineBytes;
inline constexpr int kRenderBufferFirstPixel = core::kRenderFirstPixel;
inline constexpr std::size_t kRenderBufferSize = core::kRenderBufferBytes;
inline constexpr std::size_t kScreenshotBmpBytes = 62518;

// The picture as files.
std::vector<uint8_t> EncodeBmp(const uint8_t* renderBuffer, const NesPalette& palette);
std::vector<uint8_t> EncodePng(const uint8_t* renderBuffer, const NesPalette& palette);

struct ScreenshotResult {
  bool ok = false;
  std::filesystem::path path;  // the file written (or attempted)
  std::string error;           // why it failed; empty on success
  explicit operator bool() const { return ok; }
};

// Writes a PNG when the path ends in ".png" (any case), else the BMP, through
// a temporary file: a failed write leaves whatever the path names as it was.
ScreenshotResult WriteScreenshotFile(const std::filesystem::path& path, const uint8_t* renderBuffer,
                                     const NesPalette& palette);

struct LocalTimeStamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};
LocalTimeStamp CurrentLocalTime();

// "<cartridge name> YYYYMMDDhhmmssT.bmp", T the tenth of the second: two
// shots within one tenth share a name and the second replaces the first.
std::string ScreenshotFileName(std::string_view cartridgeName, const LocalTimeStamp& time);

// A relative path appended to the base folder and cleaned of "." and ".."
// parts; an absolute path unchanged. Backslashes count as separators so that
// paths from older settings files still work.
std::filesystem::path MakeAbsolute(std::string_view path, const std::filesystem::path& base);

// The directory part of folderPath (up to its last separator) + file name +
// extension; a folder meant as a folder must end with a separator.
std::filesystem::path JoinPath(const std::filesystem::path& folderPath, std::string_view fileName,
                               std::string_view extension = {});

struct ScreenshotPlace {
  std::string cartridgeName;
  std::filesystem::path imagePath;  // the cartridge image file
  bool snapshotPathUse = false;     // "SnapshotPathUse"
  std::string snapshotPath;         // "SnapshotPath", e.g. "./snapshot/"
  std::filesystem::path currentDirectory;
};

// The whole screenshot operation: name, folder (created when the configured
// one is missing) and the BMP file.
ScreenshotResult TakeScreenshot(const ScreenshotPlace& place, const LocalTimeStamp& time,
                                const uint8_t* renderBuffer, const NesPalette& palette);

}  // namespace qgu::host
