// The line renderer: background tiles, sprites, priority, hits, clipping.
#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <utility>

#include "ppu_test_machine.h"

namespace qgu::core::testing {
namespace {

// Tiles of the test pattern table.
enum Tile : int {
  kBlank = 0,
  kSolid1 = 1,      // every pixel colour 1
  kSolid3 = 2,      // every pixel colour 3
  kLeftDot2 = 3,    // leftmost pixel colour 2, rest transparent
  kTopRow1 = 4,     // row 0 colour 1 only
};

constexpr uint8_t kBackdrop = 0x0F;

class PictureRendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 16; ++i) {
      memory_.backgroundPalette[i] = i % 4 == 0 ? kBackdrop : static_cast<uint8_t>(0x20 + i);
      memory_.spritePalette[i] = i % 4 == 0 ? kBackdrop : static_cast<uint8_t>(0x30 + i);
    }
    for (uint16_t table : {0x0000, 0x1000}) {
      for (int row = 0; row < 8; ++row) {
        nes_.SetTileRow(table, kSolid1, row, 0xFF, 0x00);
        nes_.SetTileRow(table, kSolid3, row, 0xFF, 0xFF);
        nes_.SetTileRow(table, kLeftDot2, row, 0x00, 0x80);
      }
      nes_.SetTileRow(table, kTopRow1, 0, 0xFF, 0x00);
    }
    for (int i = 0; i < 64; ++i) nes_.SetSprite(i, 0xF0, kBlank, 0, 0);  // all below the screen
    nes_.Write(0x2001, 0x1E);
  }

  void SetNameTile(int column, int row, int tile, uint16_t table = 0x2000) {
    nes_.Poke(static_cast<uint16_t>(table + row * 32 + column), static_cast<uint8_t>(tile));
  }
  static uint8_t Bg(int attribute, int color) { return static_cast<uint8_t>(0x20 + attribute * 4 + color); }
  static uint8_t Sp(int attribute, int color) { return static_cast<uint8_t>(0x30 + attribute * 4 + color); }
  // Each {x, value} of screen line `line`.
  void ExpectPixels(int line, std::initializer_list<std::pair<int, uint8_t>> pixels) const {
    for (const auto& [x, value] : pixels) EXPECT_EQ(nes_.Pixel(line, x), value) << "line " << line << " x " << x;
  }
  bool Hit() const { return ppu_.registers[2] & 0x40; }
  bool Overflow() const { return ppu_.registers[2] & 0x20; }

  PpuTestMachine nes_;
  CMemoryMap& memory_ = nes_.Memory();
  PictureUnitState& ppu_ = nes_.Ppu().State();
};

// ------------------------------------------------------------------ background

TEST_F(PictureRendererTest, AttributeQuadrantsChooseThePalette) {
  for (int row : {0, 2})
    for (int column : {0, 2}) SetNameTile(column, row, kSolid1);
  nes_.Poke(0x23C0, 0b11'10'01'00);
  nes_.DrawLine(1, 0);
  ExpectPixels(1, {{0, Bg(0, 1)}, {7, Bg(0, 1)}, {8, kBackdrop}, {16, Bg(1, 1)}});
  nes_.DrawLine(2, 16);
  ExpectPixels(2, {{0, Bg(2, 1)}, {16, Bg(3, 1)}});
}

TEST_F(PictureRendererTest, RepeatedTilesAndAttributeChangesBothShowRight) {
  for (int column = 0; column < 32; ++column) SetNameTile(column, 0, kSolid3);
  SetNameTile(5, 0, kLeftDot2);
  nes_.Poke(0x23C1, 0x05);  // columns 4-7 of the top rows take palette 1
  nes_.DrawLine(3, 0);
  for (int x = 0; x < 40; ++x) EXPECT_EQ(nes_.Pixel(3, x), Bg(x < 32 ? 0 : 1, 3)) << x;
  ExpectPixels(3, {{40, Bg(1, 2)}, {41, kBackdrop}, {48, Bg(1, 3)}, {64, Bg(0, 3)}, {255, Bg(0, 3)}});
}

TEST_F(PictureRendererTest, ScrollPicksColumnsAndPatternRows) {
  SetNameTile(1, 0, kLeftDot2);
  nes_.DrawLine(4, 0, 3);  // fine x shifts the whole line
  ExpectPixels(4, {{5, Bg(0, 2)}, {8, kBackdrop}});

  memory_.SetMirroring(kMirrorVertical);  // coarse x wraps into the next name table
  SetNameTile(31, 0, kSolid1);
  SetNameTile(0, 0, kSolid3, 0x2400);
  nes_.DrawLine(5, 0, 31 * 8 + 2);
  ExpectPixels(5, {{0, Bg(0, 1)}, {5, Bg(0, 1)}, {6, Bg(0, 3)}, {13, Bg(0, 3)}, {14, kBackdrop}});

  SetNameTile(0, 1, kTopRow1);  // fine y picks the pattern row
  nes_.DrawLine(6, 8);
  nes_.DrawLine(7, 9);
  ExpectPixels(6, {{0, Bg(0, 1)}});
  ExpectPixels(7, {{0, kBackdrop}});
}

TEST_F(PictureRendererTest, LayersSwitchedOffDrawNothing) {
  SetNameTile(0, 0, kSolid1);
  nes_.Write(0x2001, 0x10);
  nes_.DrawLine(8, 0);
  for (int i = 0; i < kRenderLineBytes; ++i) ASSERT_EQ(nes_.Screen()[8 * kRenderLineBytes + i], kBackdrop) << i;

  nes_.SetSprite(1, 60, kSolid1, 0, 0);
  nes_.Write(0x2001, 0x0E);
  nes_.DrawLine(61, 0);
  EXPECT_EQ(nes_.Pixel(61, 0), Bg(0, 1)) << "the background, no sprite over it";
}

TEST_F(PictureRendererTest, LeftClipHidesTheFirstEightBackgroundPixels) {
  SetNameTile(0, 0, kSolid1);
  SetNameTile(1, 0, kSolid1);
  nes_.Write(0x2001, 0x18);
  nes_.DrawLine(9, 0);
  nes_.DrawLine(10, 0, 0, true, false);  // the "LeftClip" setting off
  nes_.Write(0x2001, 0x1A);
  nes_.DrawLine(11, 0);
  ExpectPixels(9, {{7, kBackdrop}, {8, Bg(0, 1)}});
  ExpectPixels(10, {{0, Bg(0, 1)}});
  ExpectPixels(11, {{0, Bg(0, 1)}});
}

// --------------------------------------------------------------------- sprites

TEST_F(PictureRendererTest, SpritesAppearOneLineBelowTheirY) {
  nes_.SetSprite(5, 10, kSolid1, 2, 20);
  for (int line = 10; line <= 19; ++line) nes_.DrawLine(line, 0);
  ExpectPixels(10, {{20, kBackdrop}});
  ExpectPixels(11, {{20, Sp(2, 1)}, {27, Sp(2, 1)}, {28, kBackdrop}});
  ExpectPixels(18, {{19, kBackdrop}, {20, Sp(2, 1)}});
  ExpectPixels(19, {{20, kBackdrop}});
}

TEST_F(PictureRendererTest, FlipsMirrorThePattern) {
  nes_.SetSprite(1, 20, kLeftDot2, 0x40, 40);
  nes_.SetSprite(2, 20, kTopRow1, 0x80, 60);
  nes_.DrawLine(21, 0);
  nes_.DrawLine(28, 0);
  ExpectPixels(21, {{40, kBackdrop}, {47, Sp(0, 2)}, {60, kBackdrop}});
  ExpectPixels(28, {{60, Sp(0, 1)}});
}

TEST_F(PictureRendererTest, SpritePatternTableFollowsTheControlRegister) {
  nes_.SetTileRow(0x1000, 7, 0, 0x00, 0xFF);  // colour 2 in the upper table only
  nes_.SetSprite(1, 30, 7, 0, 0x80);
  nes_.DrawLine(31, 0);
  EXPECT_EQ(nes_.Pixel(31, 0x80), kBackdrop);
  nes_.Write(0x2000, 0x08);
  nes_.DrawLine(31, 0);
  EXPECT_EQ(nes_.Pixel(31, 0x80), Sp(0, 2));
}

TEST_F(PictureRendererTest, TallSpritesTakeTheirTableFromTileBitZero) {
  nes_.Write(0x2000, 0x28);  // 8x16; the 8x8 table bit must not matter
  nes_.SetTileRow(0x1000, 0x10, 0, 0xFF, 0x00);
  nes_.SetTileRow(0x1000, 0x11, 0, 0x00, 0xFF);
  nes_.SetTileRow(0x1000, 0x11, 7, 0xFF, 0xFF);
  nes_.SetTileRow(0x0000, 0x10, 0, 0xFF, 0xFF);
  nes_.SetSprite(1, 40, 0x11, 0, 0);      // odd: $1000, tiles $10/$11
  nes_.SetSprite(2, 40, 0x10, 0, 16);     // even: $0000
  nes_.SetSprite(3, 40, 0x11, 0x80, 32);  // flipped: row 0 shows row 15
  for (int line : {41, 49, 56, 57}) nes_.DrawLine(line, 0);
  ExpectPixels(41, {{0, Sp(0, 1)}, {16, Sp(0, 3)}, {32, Sp(0, 3)}});
  ExpectPixels(49, {{0, Sp(0, 2)}, {32, kBackdrop}});
  ExpectPixels(56, {{0, Sp(0, 3)}, {32, Sp(0, 1)}});
  ExpectPixels(57, {{0, kBackdrop}});
}

TEST_F(PictureRendererTest, LowerIndexWinsAndBehindSpritesStillClaimPixels) {
  SetNameTile(2, 0, kLeftDot2);              // one opaque background pixel at x = 16
  nes_.SetSprite(1, 50, kSolid1, 0x20, 12);  // behind the background
  nes_.SetSprite(2, 50, kSolid3, 0x01, 16);  // in front, but later
  nes_.DrawLine(51, 0);
  // Sprite 1 claims x = 16 even though the background hides it there.
  ExpectPixels(51, {{12, Sp(0, 1)}, {16, Bg(0, 2)}, {17, Sp(0, 1)}, {19, Sp(0, 1)}, {20, Sp(1, 3)}, {23, Sp(1, 3)}});
}

TEST_F(PictureRendererTest, SpriteLeftClipAndRightEdge) {
  nes_.SetSprite(1, 70, kSolid1, 0, 4);
  nes_.SetSprite(2, 70, kSolid3, 0, 252);
  nes_.Write(0x2001, 0x1A);
  nes_.DrawLine(71, 0);
  ExpectPixels(71, {{7, kBackdrop}, {8, Sp(0, 1)}, {255, Sp(0, 3)}});
  EXPECT_EQ(nes_.Screen()[71 * kRenderLineBytes + kRenderFirstPixel + kRenderWidth], kBackdrop) << "margin untouched";
  nes_.DrawLine(71, 0, 0, true, false);
  EXPECT_EQ(nes_.Pixel(71, 4), Sp(0, 1));
}

TEST_F(PictureRendererTest, LimitOfEightUnlessNoSpriteLimitButOverflowAlwaysAtEight) {
  for (int i = 0; i < 10; ++i) nes_.SetSprite(i, 80, kSolid1, 0, i * 20);
  nes_.DrawLine(81, 0, 0, /*noSpriteLimit=*/true);
  EXPECT_EQ(nes_.Pixel(81, 9 * 20), Sp(0, 1));
  EXPECT_TRUE(Overflow());
  nes_.DrawLine(82, 0, 0, /*noSpriteLimit=*/false);
  ExpectPixels(82, {{7 * 20, Sp(0, 1)}, {8 * 20, kBackdrop}});
  EXPECT_TRUE(Overflow());
  nes_.DrawLine(90, 0);
  EXPECT_FALSE(Overflow()) << "each line starts clear";

  for (int i = 7; i < 10; ++i) nes_.SetSprite(i, 0xF0, kSolid1, 0, 0);
  nes_.DrawLine(81, 0);
  EXPECT_FALSE(Overflow()) << "seven sprites";
}

TEST_F(PictureRendererTest, DummyLineCountsSpritesWithoutDrawing) {
  for (int i = 0; i < 8; ++i) nes_.SetSprite(i, 100, kSolid1, 0, i * 20);
  nes_.Ppu().SetRenderLine(101);
  nes_.Ppu().DummyLine(101);
  EXPECT_TRUE(Overflow());
  EXPECT_EQ(nes_.Pixel(101, 0), 0x3F);
  nes_.Ppu().DummyLine(110);
  EXPECT_FALSE(Overflow());
  nes_.Write(0x2001, 0x08);
  nes_.Ppu().DummyLine(101);
  EXPECT_FALSE(Overflow());
}

// A line of an undrawn frame leaves the flags a drawn one leaves, and where
// sprite 0 can hit (FlagLine) also its v. Random pictures, scrolls, sprite
// sizes, flips, clipping, crowded lines and sprite 0 on or off the line, each
// drawn on one machine and left undrawn on another.
TEST(PictureUndrawnLine, LeavesTheFlagsAndLatchesOfADrawnLine) {
  std::mt19937 random(7);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); };
  int hits = 0, overflows = 0, flagLines = 0;
  for (int round = 0; round < 600; ++round) {
    PpuTestMachine drawn, undrawn;
    const uint32_t seed = random();
    for (PpuTestMachine* nes : {&drawn, &undrawn}) {
      std::mt19937 same(seed);
      auto byte = [&]() { return static_cast<uint8_t>(same()); };
      // Half the pattern bytes empty, so both hits and misses come up.
      for (uint16_t address = 0; address < 0x2000; ++address) nes->Poke(address, (same() % 2 == 0) ? byte() : 0);
      for (uint16_t address = 0x2000; address < 0x3000; ++address) nes->Poke(address, byte());
      for (int i = 0; i < 64; ++i) nes->SetSprite(i, byte(), byte(), byte(), byte());
      nes->Memory().SetMirroring(static_cast<int>(same() % 2));
    }
    const int line = pick(240);
    const uint8_t control = static_cast<uint8_t>(random() & 0x3B);  // pattern tables, sprite size, name table
    const int layers = pick(8);  // mostly both shown, now and then only one
    const uint8_t mask = static_cast<uint8_t>((layers == 0 ? 0x10 : layers == 1 ? 0x08 : 0x18) | (random() & 0x06));
    const uint16_t t = static_cast<uint16_t>(random() & 0x7FFF);
    const uint8_t fineX = static_cast<uint8_t>(random() & 7);
    const bool clipLeft = pick(2) == 0;
    const bool sprite0Away = pick(4) == 0;
    const bool crowded = pick(4) == 0;
    const uint8_t sprite0Y = static_cast<uint8_t>(sprite0Away ? line + pick(200) : std::max(0, line - 1 - pick(8)));
    const int crowdTop = std::max(0, line - 1 - pick(4));
    const int crowd = 6 + pick(4);  // sprites 1 to 6-9 on the line as well
    const uint8_t x = static_cast<uint8_t>(pick(2) == 0 ? pick(16) : pick(256));
    for (PpuTestMachine* nes : {&drawn, &undrawn}) {
      // Sprite 0 on the line (or not), somewhere across it.
      uint8_t* sprites = nes->Memory().spriteRam;
      sprites[0] = sprite0Y;
      sprites[3] = x;
      if (crowded)
        for (int i = 1; i <= crowd; ++i) sprites[4 * i] = static_cast<uint8_t>(crowdTop);
      nes->Ppu().SpriteRamChanged();
      nes->Write(0x2000, control);
      nes->Write(0x2001, mask);
      PictureUnitState& state = nes->Ppu().State();
      state.t = state.v = t;
      state.fineX = fineX;
      nes->Ppu().SetRenderLine(line);
      nes->Ppu().FrameStart();
    }
    const bool flagLine = undrawn.Ppu().Sprite0Possible(line);
    drawn.Ppu().RenderLine(line, true, clipLeft);
    undrawn.Ppu().UndrawnLine(line, clipLeft);
    const PictureUnitState& a = drawn.Ppu().State();
    const PictureUnitState& b = undrawn.Ppu().State();
    ASSERT_EQ(a.registers[2], b.registers[2]) << "round " << round;
    // Elsewhere v is left as it is, which a drawn line only does without background.
    if (flagLine || !(mask & 0x08)) {
      ASSERT_EQ(a.v, b.v) << "round " << round;
    }
    hits += (a.registers[2] & 0x40) != 0;
    overflows += (a.registers[2] & 0x20) != 0;
    flagLines += flagLine;
  }
  EXPECT_GT(hits, 40);
  EXPECT_GT(overflows, 40);
  EXPECT_GT(flagLines, 200);
  EXPECT_LT(flagLines, 550);
}

// ---------------------------------------------------------------- sprite 0 hit

TEST_F(PictureRendererTest, OnlySprite0Hits) {
  SetNameTile(2, 0, kLeftDot2);  // opaque background only at x = 16
  nes_.SetSprite(1, 120, kSolid1, 0, 16);
  nes_.DrawLine(121, 0);
  EXPECT_FALSE(Hit());
  nes_.SetSprite(0, 120, kSolid1, 0, 16);
  nes_.DrawLine(121, 0);
  EXPECT_TRUE(Hit());
}

TEST_F(PictureRendererTest, HitFollowsTheFineScroll) {
  SetNameTile(2, 0, kLeftDot2);  // with scroll 3 the opaque pixel is at x = 13
  for (int x : {12, 14, 13}) {
    ppu_.registers[2] = 0;
    nes_.SetSprite(0, 130, kLeftDot2, 0, x);
    nes_.DrawLine(131, 0, 3);
    EXPECT_EQ(Hit(), x == 13) << x;
  }
}

TEST_F(PictureRendererTest, NoHitWithBackgroundOffOrUnderLeftClip) {
  SetNameTile(0, 0, kSolid1);
  nes_.SetSprite(0, 140, kSolid1, 0, 0);
  struct Case {
    uint8_t mask;  // $2001
    bool clipSetting, hit;
  };
  for (const Case& c : {Case{0x16, true, false},    // background off
                        Case{0x18, true, false},    // both halves clipped
                        Case{0x1C, true, false},    // background clipped
                        Case{0x1A, true, false},    // sprite clipped
                        Case{0x18, false, true},    // no clipping when the setting is off
                        Case{0x1E, true, true}}) {
    ppu_.registers[2] = 0;
    nes_.Write(0x2001, c.mask);
    nes_.DrawLine(141, 0, 0, true, c.clipSetting);
    EXPECT_EQ(Hit(), c.hit) << int{c.mask} << " " << c.clipSetting;
  }
}

// ------------------------------------------------------------ tile render mode

TEST_F(PictureRendererTest, TileModeRunsTheLinesCpuTimeWhileDrawing) {
  CMachine& machine = nes_.Machine();
  const uint64_t start = machine.ScheduledCycles();
  nes_.DrawLine(150, 0);
  EXPECT_EQ(machine.ScheduledCycles(), start) << "other methods leave CPU time to the frame loop";
  machine.SetRenderMethod(CPictureUnit::kTileRenderMethod);
  nes_.DrawLine(150, 0);
  EXPECT_EQ(machine.ScheduledCycles(), start + 32 * 32);
  nes_.Write(0x2001, 0x10);
  nes_.DrawLine(151, 0);
  EXPECT_EQ(machine.ScheduledCycles(), start + 2 * 1024);
  EXPECT_GT(machine.ExecutedCycles(), 0u);
}

}  // namespace
}  // namespace qgu::core::testing
