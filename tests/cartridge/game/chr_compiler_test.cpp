// The art compiler behind the cartridge's character ROM: planar tiles,
// sheets and tall sprites in the right order, shadows, and errors that name
// the broken line.

#include "cartridge/program/tools/chr_compiler.h"

#include <gtest/gtest.h>

#include <string>

namespace qgu::cartridge {
namespace {

const uint8_t* Tile(const ChrCompiler& c, size_t tile) { return &c.Rom()[tile * ChrCompiler::kTileBytes]; }

TEST(ChrCompiler, WritesTwoBitPlanesPerTile) {
  ChrCompiler c;
  ASSERT_TRUE(c.Compile("@map . 0 a 1 b 2 c 3\n"
                        "@tile 5\n"
                        "@sheet 1 1\n"
                        "abc.....\n"
                        "........\n........\n........\n........\n........\n........\n"
                        "c......c\n",
                        "t"))
      << c.Error();
  EXPECT_EQ(c.Rom().size(), ChrCompiler::kChrBytes);
  const uint8_t* t = Tile(c, 5);
  EXPECT_EQ(t[0], 0b10100000);  // low plane: a and c
  EXPECT_EQ(t[8], 0b01100000);  // high plane: b and c
  EXPECT_EQ(t[7], 0b10000001);
  EXPECT_EQ(t[15], 0b10000001);
  EXPECT_EQ(Tile(c, 4)[0], 0);
  EXPECT_EQ(Tile(c, 6)[0], 0);
}

TEST(ChrCompiler, SheetsGoRowByRowAndTallSpritesTopThenFoot) {
  const std::string blank = "........ ........\n";
  std::string sheet = "@map . 0 # 3\n@tile 0\n@sheet 2 2\n";
  sheet += "#....... .#......\n";
  for (int i = 0; i < 7; ++i) sheet += blank;
  sheet += "..#..... ...#....\n";
  for (int i = 0; i < 7; ++i) sheet += blank;
  sheet += "@tall 1\n#.......\n";
  for (int i = 0; i < 7; ++i) sheet += "........\n";
  sheet += ".......#\n";
  for (int i = 0; i < 7; ++i) sheet += "........\n";
  ChrCompiler c;
  ASSERT_TRUE(c.Compile(sheet, "t")) << c.Error();
  // The sheet's four tiles row by row, then the tall sprite's top tile and its foot.
  const uint8_t firstRows[] = {0x80, 0x40, 0x20, 0x10, 0x80, 0x01};
  for (size_t tile = 0; tile < 6; ++tile) EXPECT_EQ(Tile(c, tile)[0], firstRows[tile]) << "tile " << tile;
}

TEST(ChrCompiler, ShadowsFallOnPaperAcrossTileEdgesOfOneSheet) {
  ChrCompiler c;
  std::string sheet = "@map . 1 # 3 + 2\n@shadow 3 1 2\n@tile 0\n@sheet 2 1\n";
  sheet += ".......# .......+\n";  // ink at the right edge of tile 0; a shade pixel already below-right
  sheet += "........ ........\n";
  for (int i = 0; i < 6; ++i) sheet += "........ ........\n";
  ASSERT_TRUE(c.Compile(sheet, "t")) << c.Error();
  // Row 1 of tile 1 starts with the shadow of tile 0's ink: colour 2 = high plane only.
  EXPECT_EQ(Tile(c, 1)[1], 0x7F);
  EXPECT_EQ(Tile(c, 1)[9], 0x80);
  // Paper is colour 1 everywhere else.
  EXPECT_EQ(Tile(c, 0)[1], 0xFF);
  EXPECT_EQ(Tile(c, 1)[2], 0xFF);
}

TEST(ChrCompiler, ErrorsNameTheLine) {
  struct Case {
    const char* source;
    const char* expected;
  };
  const Case cases[] = {
      {"@map . 0\n@sheet 1 1\n.......\n", "t:3: row has 7 pixels, expected 8"},
      {"@map . 0\n@sheet 1 1\n.......x\n", "t:3: pixel 'x' has no @map colour"},
      {"@map . 0\n........\n", "t:2: pixel row outside a sheet"},
      {"@map . 0\n@sheet 1 1\n........\n@tile 0\n", "t:4: directive inside a sheet"},
      {"@map . 0\n@sheet 1 1\n........\n", "t:2: sheet ends early (1 rows)"},
      {"@tile 99999\n", "t:1: bad tile number '99999'"},
      {"@bogus\n", "t:1: unknown directive @bogus"},
      {"@shadow 1 2\n", "t:1: @shadow needs INK PAPER SHADE (0..3) or off"},
  };
  for (const Case& k : cases) {
    ChrCompiler c;
    EXPECT_FALSE(c.Compile(k.source, "t")) << k.source;
    EXPECT_EQ(c.Error(), k.expected);
  }
}

TEST(ChrCompiler, RefusesToDrawATileTwice) {
  std::string sheet = "@map . 0\n@tile 7\n@sheet 1 1\n";
  for (int i = 0; i < 8; ++i) sheet += "........\n";
  ChrCompiler c;
  ASSERT_TRUE(c.Compile(sheet, "a")) << c.Error();
  EXPECT_FALSE(c.Compile(sheet, "b"));
  EXPECT_EQ(c.Error(), "b:3: tile 7 is drawn twice");
}

}  // namespace
}  // namespace qgu::cartridge
