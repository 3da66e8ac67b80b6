#pragma once
// CPictureUnit: the console's picture processor at scanline granularity.
// Registers, latches, palettes and sprite RAM live in the machine's memory
// block; this class renders one line of palette values per call.

#include <cstdint>

#include "core/machine.h"
#include "core/machine_settings.h"
#include "core/mappers/mapper.h"
#include "core/render_buffer.h"

namespace qgu::core {

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

  // Line operations called by the machine's frame loop, once or more a line:
  // inline, as they mostly find nothing to do.
  void SetRenderLine(int line) { scanline_ = line; }
  void FrameStart();
  void LineNext();
  void LineStart();
  void RenderLine(int line, bool noSpriteLimit, bool clipLeft);
  // A line of a frame that is not drawn: the flags and latches RenderLine
  // would leave, no pixels. Lines where sprite 0 can hit go to FlagLine, the
  // others to what DummyLine does. Not for the tile render method.
  void UndrawnLine(int line, bool clipLeft);
  void DummyLine(int line);
  // A line of a frame that is not drawn where sprite 0 can hit: the flags and
  // latches RenderLine would leave (sprite-0 hit, overflow, v), no pixels.
  // Not for the tile render method, whose drawing runs CPU time.
  void FlagLine(int line, bool clipLeft);
  bool Sprite0Possible(int line) const;
  void VBlankStart() { state_.registers[kStatusRegister] |= kVerticalBlankFlag; }
  void VBlankEnd() { state_.registers[kStatusRegister] &= 0x3F; }
  // Background or sprites shown ($2001).
  uint8_t IsRenderingOn() const { return state_.registers[kMaskRegister] & kRenderingOnBits; }
  bool NmiEnabled() const { return (state_.registers[kControlRegister] & 0x80) != 0; }

  PictureUnitState& State() { return state_; }
  const PictureUnitState& State() const { return state_; }
  // Sprite RAM was written other than through the unit (a snapshot, a test):
  // the unit's count of sprites per line is made anew.
  void SpriteRamChanged() { spriteLinesKnown_ = false; }

 private:
  static constexpr int kTilesPerLine = 33;  // 32 and the one a fine scroll reveals
  static constexpr int kMaskBytes = 34;  // 32 for the screen, the rest padding
  static constexpr int kControlRegister = 0;
  static constexpr int kMaskRegister = 1;
  static constexpr int kStatusRegister = 2;
  static constexpr uint8_t kVerticalBlankFlag = 0x80;
  static constexpr uint8_t kSpriteOverflowFlag = 0x20;
  static constexpr uint8_t kSprite0HitFlag = 0x40;
  static constexpr uint8_t kShowBackgroundBit = 0x08;  // $2001
  static constexpr uint8_t kShowSpritesBit = 0x10;
  static constexpr uint8_t kRenderingOnBits = 0x18;
  // What the sprites make of each visible line, besides their pixels.
  enum SpriteLineFlag : uint8_t { kManySprites = 0x01, kSprite0OnLine = 0x02, kAnySprite = 0x04 };

  CMemoryMap& Memory() const;
  void WritePalette(uint16_t address, uint8_t data);
  void WriteVideoMemory(uint8_t data);
  uint8_t ReadVideoMemory();
  void StepAddress();
  void TakeFineScroll() {
    shift_ = state_.fineX;
    fineY_ = (state_.v >> 12) & 7;
  }
  void LatchPatternAddress(uint16_t address);
  template <bool kTileMode>
  void DrawBackground(uint8_t* line);
  void ClearBackground(uint8_t* line);
  void DrawSprites(int line, bool noSpriteLimit, bool clipLeft, uint8_t* pixels);
  int SpriteHeight() const { return (state_.registers[kControlRegister] & 0x20) ? 16 : 8; }
  uint8_t SpriteLineFlags(int line) {
    if (!spriteLinesKnown_ || spriteLinesHeight_ != SpriteHeight()) CountSpriteLines();
    return spriteLineFlags_[line];
  }
  void CountSpriteLines();
  uint8_t BackgroundTileMask(uint16_t v) const;

  CMachine& machine_;
  PictureUnitState state_;
  int fineY_ = 0;  // fine y of v for the line being drawn
  int shift_ = 0;  // fine x of the line being drawn
  bool runningInstructionBeforeNmi_ = false;  // inside the $2000 write's extra instruction
  uint8_t* screen_ = nullptr;
  int scanline_ = 0;  // the line RenderLine draws into
  // Opaque background pixels of the last drawn line, one bit a pixel, 8 screen
  // columns a byte (bit 7 leftmost); sprites test priority and hits on it.
  uint8_t backgroundMask_[kMaskBytes] = {};
  // Drawn into when no screen is attached, so flags still come out right.
  uint8_t spareLine_[kRenderLineBytes] = {};
  // SpriteLineFlag bits of each visible line, made from sprite RAM when first
  // needed after it or the sprite height changed.
  uint8_t spriteLineFlags_[kRenderLines] = {};
  // The sprites starting above the last visible line, in sprite RAM order:
  // the only ones a line can show. Made with the flags.
  uint8_t onScreenSprite_[64] = {};
  int onScreenSprites_ = 0;
  bool spriteLinesKnown_ = false;
  int spriteLinesHeight_ = 0;
};

inline void CPictureUnit::LatchPatternAddress(uint16_t address) {
  CMapper& mapper = machine_.Mapper();
  if (mapper.WantsPatternAddresses()) mapper.PatternAddressLatch(address);
}

inline void CPictureUnit::FrameStart() {
  if (!(state_.registers[kMaskRegister] & kRenderingOnBits)) return;
  state_.v = state_.t;
  TakeFineScroll();
}

inline void CPictureUnit::LineStart() {
  if (!(state_.registers[kMaskRegister] & kRenderingOnBits)) return;
  state_.v = static_cast<uint16_t>((state_.v & ~0x41F) | (state_.t & 0x41F));
  TakeFineScroll();
  LatchPatternAddress(static_cast<uint16_t>(0x2000 + (state_.v & 0xFFF)));
}

// Fine y, then coarse y, as the end of a drawn line moves v.
inline void CPictureUnit::LineNext() {
  if (!(state_.registers[kMaskRegister] & kRenderingOnBits)) return;
  uint16_t v = state_.v;
  if ((v & 0x7000) < 0x7000) {
    v = static_cast<uint16_t>(v + 0x1000);
  } else {
    v &= 0x8FFF;
    const int coarseY = v & 0x3E0;
    if (coarseY == 0x3A0) {
      v = static_cast<uint16_t>((v ^ 0x800) & ~0x3E0);  // row 29: next name table down
    } else if (coarseY < 0x3E0) {
      v = static_cast<uint16_t>(v + 0x20);
    } else {
      v &= ~0x3E0;  // rows 30 and 31 hold attributes: wrap within the table
    }
  }
  state_.v = v;
  fineY_ = (v >> 12) & 7;
}

inline void CPictureUnit::UndrawnLine(int line, bool clipLeft) {
  const uint8_t mask = state_.registers[kMaskRegister];
  uint8_t& status = state_.registers[kStatusRegister];
  if (!(mask & kShowSpritesBit) || line < 0 || line >= kRenderLines) {
    status &= ~kSpriteOverflowFlag;
    return;
  }
  const uint8_t flags = SpriteLineFlags(line);
  if ((flags & kSprite0OnLine) && (mask & kShowBackgroundBit) && !(status & kSprite0HitFlag)) {
    FlagLine(line, clipLeft);
    return;
  }
  status = static_cast<uint8_t>((status & ~kSpriteOverflowFlag) | ((flags & kManySprites) ? kSpriteOverflowFlag : 0));
}

}  // namespace qgu::core
