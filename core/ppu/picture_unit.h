#pragma once
// CPictureUnit: the console's picture processor at scanline granularity.
// Registers, latches, palettes and sprite RAM live in the machine's memory
// block; this class renders one line of palette values per call.

#include <cstdint>

#include "core/render_buffer.h"

namespace qgu::core {

class CMachine;
struct CMemoryMap;

class CPictureUnit {
 public:
  // The render method in which the unit itself runs CPU time tile by tile.
  static constexpr int kTileRenderMethod = 4;

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
  bool Sprite0Possible(int line) const;
  void VBlankStart();
  void VBlankEnd();
  uint8_t IsRenderingOn() const;  // $2001 & 0x18

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

  CMachine& machine_;
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
};

}  // namespace qgu::core
