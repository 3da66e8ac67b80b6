#pragma once
// CPictureUnit: the console's picture processor at scanline granularity.
// Registers, latches, palettes and sprite RAM live in the machine's memory
// block; this class renders one line of palette values per call.

#include <cstdint>

#include "core/machine_settings.h"
#include "core/render_buffer.h"

namespace qgu::core {

class CMachine;
struct CMemoryMap;

// The unit's registers and scroll latches; snapshots save and restore them.
struct PictureUnitState {
  uint8_t registers[4] = {};  // $2000 control, $2001 mask, $2002 status, $2003 sprite address
  uint8_t toggle = 0;         // the $2005/$2006 write toggle
  uint8_t readBuffer = 0;     // the $2007 read buffer
  uint16_t t = 0;             // fine y 12-14, name table 10-11, coarse y 5-9, coarse x 0-4
  uint16_t v = 0;
  uint8_t fineX = 0;          // 0-7
};

class CPictureUnit {
 public:
  // The render method in which the unit itself runs CPU time tile by tile.
  static constexpr int kTileRenderMethod = kRenderTiles;

  explicit CPictureUnit(CMachine& machine);
  virtual ~CPictureUnit();

  void Reset();
  void SetScreenBuffer(uint8_t* buffer);  // kRenderBufferBytes

  uint8_t ReadRegister(uint16_t address);  // $2000-$2007
  void WriteRegister(uint16_t address, uint8_t data);
  void SpriteDma(uint8_t page);

  // Line operations called by the machine's frame loop.
  void SetRenderLine(int line);
  void FrameStart();
  void LineNext();
  void LineStart();
  void RenderLine(int line, bool noSpriteLimit, bool clipLeft);
  void DummyLine(int line);
  // A line of a frame that is not drawn where sprite 0 can hit: the flags and
  // latches RenderLine would leave (sprite-0 hit, overflow, v), no pixels.
  // Not for the tile render method, whose drawing runs CPU time.
  void FlagLine(int line, bool clipLeft);
  bool Sprite0Possible(int line) const;
  void VBlankStart();
  void VBlankEnd();
  uint8_t IsRenderingOn() const { return state_.registers[1] & 0x18; }  // $2001: background or sprites shown
  bool NmiEnabled() const;        // $2000 bit 7

  PictureUnitState& State() { return state_; }
  const PictureUnitState& State() const { return state_; }
  // Sprite RAM was written other than through the unit (a snapshot, a test):
  // the unit's count of sprites per line is made anew.
  void SpriteRamChanged() { spriteLinesKnown_ = false; }

 private:
  static constexpr int kTilesPerLine = 33;  // 32 and the one a fine scroll reveals
  static constexpr int kMaskBytes = 34;  // 32 for the screen, the rest padding

  CMemoryMap& Memory() const;
  void WritePalette(uint16_t address, uint8_t data);
  void WriteVideoMemory(uint8_t data);
  uint8_t ReadVideoMemory();
  void StepAddress();
  void TakeFineScroll();
  template <bool kTileMode>
  void DrawBackground(uint8_t* line);
  void ClearBackground(uint8_t* line);
  void DrawSprites(int line, bool noSpriteLimit, bool clipLeft, uint8_t* pixels);
  int SpriteHeight() const;
  int SpritesOnLine(int line);
  uint8_t BackgroundTileMask(uint16_t v) const;

  CMachine& machine_;
  PictureUnitState state_;
  int fineY_ = 0;  // fine y of v for the line being drawn
  int shift_ = 0;  // fine x of the line being drawn
  bool runningInstructionBeforeNmi_ = false;  // inside the $2000 write's extra instruction
  uint8_t* screen_ = nullptr;
  uint8_t* line_ = nullptr;
  int scanline_ = 0;
  // Opaque background pixels of the last drawn line, one bit a pixel, 8 screen
  // columns a byte (bit 7 leftmost); sprites test priority and hits on it.
  uint8_t backgroundMask_[kMaskBytes] = {};
  // Drawn into when no screen is attached, so flags still come out right.
  uint8_t spareLine_[kRenderLineBytes] = {};
  // Sprites on each visible line (up to 8), made from sprite RAM when first
  // needed after it or the sprite height changed.
  uint8_t spritesOnLine_[kRenderLines] = {};
  bool spriteLinesKnown_ = false;
  int spriteLinesHeight_ = 0;
};

}  // namespace qgu::core
