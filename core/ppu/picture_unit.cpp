// Placeholder until the picture unit is written: registers read as open bus.
#include "core/ppu/picture_unit.h"

namespace qgu::core {

CPictureUnit::CPictureUnit(CMachine& machine) : machine_(machine) {}
CPictureUnit::~CPictureUnit() = default;
void CPictureUnit::Reset() {}
void CPictureUnit::SetScreenBuffer(uint8_t*) {}
uint8_t CPictureUnit::ReadRegister(uint16_t) { return 0; }
void CPictureUnit::WriteRegister(uint16_t, uint8_t) {}
void CPictureUnit::SpriteDma(uint8_t) {}
void CPictureUnit::SetRenderLine(int) {}
void CPictureUnit::FrameStart() {}
void CPictureUnit::LineNext() {}
void CPictureUnit::LineStart() {}
void CPictureUnit::RenderLine(int, bool, bool) {}
void CPictureUnit::DummyLine(int) {}
bool CPictureUnit::Sprite0Possible(int) const { return false; }
void CPictureUnit::VBlankStart() {}
void CPictureUnit::VBlankEnd() {}
uint8_t CPictureUnit::IsRenderingOn() const { return 0; }

}  // namespace qgu::core
