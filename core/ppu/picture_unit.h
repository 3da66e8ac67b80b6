#pragma once
// CPictureUnit: the console's picture processor at scanline granularity.
// Registers, latches, palettes and sprite RAM live in the machine's memory
// block; this class renders one line of palette values per call.

#include <cstdint>

namespace qgu::core {

class CMachine;

class CPictureUnit {
 public:
  explicit CPictureUnit(CMachine& machine);
  virtual ~CPictureUnit();

  void Reset();
  void SetScreenBuffer(uint8_t* buffer);  // 240 lines of 272 bytes

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
  CMachine& machine_;
  // The implementation adds its state here.
};

}  // namespace qgu::core
