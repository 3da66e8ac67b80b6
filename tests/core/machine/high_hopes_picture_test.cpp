// The MMC3 raster demo, timed for the 50 Hz console, on this 60 Hz machine:
// unpatched it stays black; with a JMP over the start of its vertical-blank
// NOP slide (in a copy held in memory) its first part plays. docs/conformance.md
// tells why. QGU_SAVE_PICTURES=DIR saves the pictures shown there.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/machine.h"
#include "tests/support/test_rom_runner.h"

#ifdef QGU_HAVE_HOST
#include <filesystem>

#include "host/nes_palette.h"
#include "host/screenshot.h"
#endif

namespace qgu::core {
namespace {

// The slide: 16 KB bank 4 at $8048, 3,722 NOPs into the per-line loop at
// $8ED2. JMP $8A75 over its first NOPs cuts the wait from 7,444 cycles to
// 2,237, so the loop's first scroll write lands in line 0 as on the 50 Hz console.
constexpr size_t kHeaderBytes = 16;
constexpr size_t kBankBytes = 0x4000;
constexpr size_t kSlideBank = 4;
constexpr uint16_t kSlideStart = 0x8048;
constexpr uint16_t kLoopStart = 0x8ED2;
constexpr uint16_t kJumpTarget = 0x8A75;
constexpr std::array<uint8_t, 3> kPatch = {0x4C, kJumpTarget & 0xFF, kJumpTarget >> 8};

// The demo's music row ($0701): it moves only when the NMI handler gets
// through the raster routine to the music player.
constexpr uint16_t kMusicRow = 0x0701;

size_t FileOffset(uint16_t address) { return kHeaderBytes + kSlideBank * kBankBytes + (address - 0x8000); }

std::vector<uint8_t> DemoImage() {
  std::vector<uint8_t> image = testsupport::ReadBinaryFile(testsupport::TestRomPath("demos/high-hopes.nes"));
  if (image.size() <= FileOffset(kLoopStart)) throw std::runtime_error("demos/high-hopes.nes is too short");
  return image;
}

std::vector<uint8_t> PatchedDemoImage() {
  std::vector<uint8_t> image = DemoImage();
  std::copy(kPatch.begin(), kPatch.end(), image.begin() + static_cast<std::ptrdiff_t>(FileOffset(kSlideStart)));
  return image;
}

// The visible 256 x 240 palette values of the current picture.
using Picture = std::array<uint8_t, kRenderWidth * kRenderLines>;

Picture TakePicture(CMachine& machine) {
  Picture picture{};
  for (int line = 0; line < kRenderLines; ++line) {
    std::memcpy(picture.data() + line * kRenderWidth, machine.RenderBuffer() + line * kRenderLineBytes + kRenderFirstPixel,
                kRenderWidth);
  }
  return picture;
}

// Line 0 is left out throughout: the frame loop never draws it.
std::string Line(const Picture& picture, int line) {
  return std::string(reinterpret_cast<const char*>(picture.data()) + line * kRenderWidth, kRenderWidth);
}

bool IsBlack(uint8_t value) {
  const int v = value & 0x3F;
  return v == 0x0D || (v & 0x0F) >= 0x0E;
}

bool AllBlack(const Picture& picture) {
  return std::all_of(picture.begin() + kRenderWidth, picture.end(), IsBlack);
}

int DistinctColours(const Picture& picture) {
  const std::set<uint8_t> colours(picture.begin() + kRenderWidth, picture.end());
  return static_cast<int>(colours.size());
}

// Lines that differ from the line above.
int ChangingLines(const Picture& picture) {
  int changes = 0;
  for (int line = 2; line < kRenderLines; ++line) changes += Line(picture, line) != Line(picture, line - 1);
  return changes;
}

// How often the most repeated line with detail in it (more than one colour)
// occurs: a line stretched by per-line scroll writes repeats many times,
// an ordinary picture seldom repeats a detailed line at all.
int MostRepeatedDetailedLine(const Picture& picture) {
  std::map<std::string, int> counts;
  for (int line = 1; line < kRenderLines; ++line) {
    const std::string pixels = Line(picture, line);
    if (pixels.find_first_not_of(pixels[0]) != std::string::npos) ++counts[pixels];
  }
  int most = 0;
  for (const auto& [pixels, count] : counts) most = std::max(most, count);
  return most;
}

// Saves the current picture as <folder>/<name> when QGU_SAVE_PICTURES is set.
void SavePicture([[maybe_unused]] CMachine& machine, [[maybe_unused]] const std::string& name) {
#ifdef QGU_HAVE_HOST
  const char* folder = std::getenv("QGU_SAVE_PICTURES");
  if (folder == nullptr || *folder == '\0') return;
  std::filesystem::create_directories(folder);
  const host::ScreenshotResult saved =
      host::WriteScreenshotFile(std::filesystem::path(folder) / name, machine.RenderBuffer(), host::DefaultNesPalette());
  EXPECT_TRUE(saved.ok) << saved.error;
#endif
}

TEST(HighHopesPicture, UnpatchedDemoStaysBlack) {
  QGU_SKIP_WITHOUT_TESTROMS();
  testsupport::CTestRomRunner rom(DemoImage());
  // From frame 10: the first frames still show the power-up palette.
  for (int frame = 10; frame <= 120; frame += 10) {
    rom.RunFrames(10);
    EXPECT_TRUE(AllBlack(TakePicture(rom.Machine()))) << "frame " << frame;
    EXPECT_EQ(rom.Peek(kMusicRow), 0) << "frame " << frame;
  }
}

TEST(HighHopesPicture, PatchedDemoShowsItsLogoStretch) {
  QGU_SKIP_WITHOUT_TESTROMS();
  testsupport::CTestRomRunner rom(PatchedDemoImage());
  CMachine& machine = rom.Machine();

  // The logo is revealed from its bottom row up; every line above the revealed
  // part repeats the row just above it, in streaks up to the top.
  rom.RunFrames(36);
  const Picture unrolling = TakePicture(machine);
  SavePicture(machine, "high-hopes-unrolling.png");
  EXPECT_FALSE(AllBlack(unrolling));
  EXPECT_GE(DistinctColours(unrolling), 4);
  EXPECT_GE(ChangingLines(unrolling), 20);
  EXPECT_GE(MostRepeatedDetailedLine(unrolling), 60);

  // The whole logo, its top row stretched above it.
  rom.RunFrames(12);
  const Picture logoWhole = TakePicture(machine);
  SavePicture(machine, "high-hopes-logo-whole.png");
  EXPECT_NE(logoWhole, unrolling);
  EXPECT_GE(MostRepeatedDetailedLine(logoWhole), 60);

  // The second shape unrolls the same way above the settled logo.
  rom.RunFrames(20);
  const Picture secondShape = TakePicture(machine);
  SavePicture(machine, "high-hopes-second-shape.png");
  EXPECT_GE(DistinctColours(secondShape), 4);
  EXPECT_GE(MostRepeatedDetailedLine(secondShape), 50);

  // The handler now reaches the music every frame: six frames a row.
  EXPECT_GE(rom.Peek(kMusicRow), 9);
}

}  // namespace
}  // namespace qgu::core
