#pragma once
// CVideoOutput: the render buffer the picture unit draws into, the console
// palette and the colour tables made from it (8 emphasis rows, greyscale and
// scanline companions), and the finished pictures: the emulator thread
// converts each drawn frame into a back picture and presents it, which
// swaps it to the front for the window to paint.
//
// How the window uses it: one for the process. Copy "ScanlineMode" and
// "ScanlineColor" in (SetScanlines), load "PaletteFile" when "PaletteUse" is
// set, hand it to the emulator thread (EmulatorDevices::video) and show it in
// a CVideoWidget (host/video_widget.h), which repaints from the front picture
// whenever a frame is presented. The weather choice installs its palette
// with SetDisplayPalette (nullptr restores the console palette).

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/render_buffer.h"
#include "host/nes_palette.h"
#include "host/runtime_devices.h"
#include "league/result.h"

namespace qgu::host {

inline constexpr int kEmphasisRows = 8;

// Every colour of the tables as 0xFFRRGGBB (Qt's RGB32).
struct ColorTables {
  // [row][value]: the emphasised colour, its scanline companion, and the grey
  // level of the emphasised colour with its companion.
  std::array<std::array<uint32_t, kNesColorCount>, kEmphasisRows> color{};
  std::array<std::array<uint32_t, kNesColorCount>, kEmphasisRows> scanline{};
  std::array<std::array<uint32_t, kNesColorCount>, kEmphasisRows> grey{};
  std::array<std::array<uint32_t, kNesColorCount>, kEmphasisRows> greyScanline{};
};

ColorTables BuildColorTables(const NesPalette& palette, int scanlinePercent);

// A palette file: 64 entries of red, green, blue bytes.
league::Result<NesPalette> ReadPaletteFile(const std::filesystem::path& path);

// A finished picture: 256 x 240, or 256 x 480 in scanline mode.
struct Picture {
  int width = core::kRenderWidth;
  int height = core::kRenderLines;
  std::vector<uint32_t> pixels = std::vector<uint32_t>(core::kRenderWidth * core::kRenderLines, 0xFF000000u);
  std::string infoText;
};

class CVideoOutput final : public IVideoSink {
 public:
  CVideoOutput();

  // IVideoSink, called by the emulator thread.
  uint8_t* RenderBuffer() override { return renderBuffer_.data(); }
  void SetEmphasis(int row, bool greyscale) override;
  void RenderFrame() override;
  void PresentFrame() override;
  void SetInfoText(std::string_view text) override;

  // "ScanlineMode" and "ScanlineColor" (percent).
  void SetScanlines(bool on, int colorPercent);
  // The palette the tables come from; nullptr restores the console palette.
  void SetDisplayPalette(const NesPalette* palette);
  // Makes a palette file's colours the console palette.
  league::Status LoadPaletteFile(const std::filesystem::path& path);
  NesPalette DisplayPalette() const;
  bool PaletteChanged() const { return paletteChanged_; }

  // Called on the emulator thread after each present (the window asks for a
  // repaint); set and cleared by the window, never while a present may run.
  void SetPresentedHandler(std::function<void()> handler);
  // Runs paint with the front picture (on the window's thread).
  void WithFrontPicture(const std::function<void(const Picture&)>& paint) const;

 private:
  void RebuildTables();

  std::array<uint8_t, core::kRenderBufferBytes> renderBuffer_{};
  mutable std::mutex tablesMutex_;  // palettes, tables, scanline settings
  NesPalette basePalette_;
  NesPalette displayPalette_;
  int scanlinePercent_ = 75;
  bool scanlineMode_ = false;
  ColorTables tables_;
  int emphasisRow_ = 0;
  bool greyscale_ = false;
  bool paletteChanged_ = false;

  Picture back_;
  std::string infoText_;
  mutable std::mutex frontMutex_;  // front picture and handler
  Picture front_;
  std::function<void()> presented_;
};

}  // namespace qgu::host
