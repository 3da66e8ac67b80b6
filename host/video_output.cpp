#include "host/video_output.h"

#include <algorithm>
#include <fstream>

namespace qgu::host {
namespace {

struct Emphasis {
  double red, green, blue;
};

// Multipliers of the 8 emphasis rows ($2001 bits 5-7).
constexpr Emphasis kEmphasis[kEmphasisRows] = {
    {1.00, 1.00, 1.00}, {1.00, 0.80, 0.73}, {0.73, 1.00, 0.70}, {0.76, 0.78, 0.58},
    {0.86, 0.80, 1.00}, {0.83, 0.68, 0.85}, {0.67, 0.77, 0.83}, {0.68, 0.68, 0.68},
};

constexpr size_t kPaletteFileBytes = kNesColorCount * 3;

uint32_t Rgb32(int red, int green, int blue) {
  auto cap = [](int c) { return static_cast<uint32_t>(std::clamp(c, 0, 255)); };
  return 0xFF000000u | (cap(red) << 16) | (cap(green) << 8) | cap(blue);
}

}  // namespace

ColorTables BuildColorTables(const NesPalette& palette, int scanlinePercent) {
  ColorTables tables;
  for (int row = 0; row < kEmphasisRows; ++row) {
    const Emphasis& e = kEmphasis[row];
    for (int value = 0; value < kNesColorCount; ++value) {
      const RgbColor& c = palette[static_cast<size_t>(value)];
      const int r = static_cast<int>(c.red * e.red);
      const int g = static_cast<int>(c.green * e.green);
      const int b = static_cast<int>(c.blue * e.blue);
      const int grey = static_cast<int>(0.299 * r + 0.587 * g + 0.114 * b);
      const auto dim = [scanlinePercent](int component) { return component * scanlinePercent / 100; };
      const auto greyDim = static_cast<int>(grey * scanlinePercent * 0.01);
      const auto [ri, vi] = std::pair{static_cast<size_t>(row), static_cast<size_t>(value)};
      tables.color[ri][vi] = Rgb32(r, g, b);
      tables.scanline[ri][vi] = Rgb32(dim(r), dim(g), dim(b));
      tables.grey[ri][vi] = Rgb32(grey, grey, grey);
      tables.greyScanline[ri][vi] = Rgb32(greyDim, greyDim, greyDim);
    }
  }
  return tables;
}

league::Result<NesPalette> ReadPaletteFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return league::Fail(path.string() + " is not a palette file");
  }
  std::ifstream in(path, std::ios::binary);
  std::array<char, kPaletteFileBytes> bytes{};
  if (!in.read(bytes.data(), bytes.size())) {
    return league::Fail(path.string() + " holds fewer than 192 bytes (64 colours)");
  }
  NesPalette palette;
  for (size_t i = 0; i < palette.size(); ++i) {
    palette[i] = {static_cast<uint8_t>(bytes[i * 3]), static_cast<uint8_t>(bytes[i * 3 + 1]),
                  static_cast<uint8_t>(bytes[i * 3 + 2])};
  }
  return palette;
}

CVideoOutput::CVideoOutput() : basePalette_(DefaultNesPalette()), displayPalette_(basePalette_) {
  renderBuffer_.fill(0x3F);
  RebuildTables();
}

void CVideoOutput::RebuildTables() {
  tables_ = BuildColorTables(displayPalette_, scanlinePercent_);
  paletteChanged_ = true;
}

void CVideoOutput::SetEmphasis(int row, bool greyscale) {
  std::lock_guard lock(tablesMutex_);
  row &= kEmphasisRows - 1;
  if (row != emphasisRow_ || greyscale != greyscale_) paletteChanged_ = true;
  emphasisRow_ = row;
  greyscale_ = greyscale;
}

void CVideoOutput::SetScanlines(bool on, int colorPercent) {
  std::lock_guard lock(tablesMutex_);
  scanlineMode_ = on;
  scanlinePercent_ = std::max(colorPercent, 0);
  RebuildTables();
}

void CVideoOutput::SetDisplayPalette(const NesPalette* palette) {
  std::lock_guard lock(tablesMutex_);
  displayPalette_ = palette != nullptr ? *palette : basePalette_;
  RebuildTables();
}

league::Status CVideoOutput::LoadPaletteFile(const std::filesystem::path& path) {
  auto palette = ReadPaletteFile(path);
  if (!palette) return league::Fail(palette.error());
  std::lock_guard lock(tablesMutex_);
  basePalette_ = palette.value();
  displayPalette_ = basePalette_;
  RebuildTables();
  return {};
}

NesPalette CVideoOutput::DisplayPalette() const {
  std::lock_guard lock(tablesMutex_);
  return displayPalette_;
}

void CVideoOutput::RenderFrame() {
  std::lock_guard lock(tablesMutex_);
  const size_t row = static_cast<size_t>(emphasisRow_);
  const auto& colors = greyscale_ ? tables_.grey[row] : tables_.color[row];
  const auto& dimmed = greyscale_ ? tables_.greyScanline[row] : tables_.scanline[row];
  paletteChanged_ = false;

  const int linesPerRow = scanlineMode_ ? 2 : 1;
  back_.width = core::kRenderWidth;
  back_.height = core::kRenderLines * linesPerRow;
  back_.pixels.resize(static_cast<size_t>(back_.width * back_.height));
  uint32_t* out = back_.pixels.data();
  for (int line = 0; line < core::kRenderLines; ++line) {
    const uint8_t* in = renderBuffer_.data() + line * core::kRenderLineBytes + core::kRenderFirstPixel;
    for (int x = 0; x < core::kRenderWidth; ++x) out[x] = colors[in[x] & 0x3F];
    out += core::kRenderWidth;
    if (scanlineMode_) {
      for (int x = 0; x < core::kRenderWidth; ++x) out[x] = dimmed[in[x] & 0x3F];
      out += core::kRenderWidth;
    }
  }
  back_.infoText = infoText_;
}

void CVideoOutput::SetInfoText(std::string_view text) { infoText_ = text; }

void CVideoOutput::PresentFrame() {
  std::lock_guard lock(frontMutex_);
  std::swap(front_, back_);
  if (presented_) presented_();
}

void CVideoOutput::SetPresentedHandler(std::function<void()> handler) {
  std::lock_guard lock(frontMutex_);
  presented_ = std::move(handler);
}

void CVideoOutput::WithFrontPicture(const std::function<void(const Picture&)>& paint) const {
  std::lock_guard lock(frontMutex_);
  paint(front_);
}

}  // namespace qgu::host
