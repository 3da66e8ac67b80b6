#include "core/mappers/mapper.h"

#include "core/machine.h"

namespace qgu::core {

void CMapper::WriteRom(uint16_t, uint8_t) {}

uint8_t CMapper::ReadLowArea(uint16_t address) {
  if (address >= 0x6000) return machine_.Memory().cpuPage[address >> 13][address & 0x1FFF];
  return static_cast<uint8_t>(address >> 8);  // open bus: the high address byte
}

void CMapper::WriteLowArea(uint16_t address, uint8_t data) {
  if (address >= 0x6000) machine_.Memory().cpuPage[address >> 13][address & 0x1FFF] = data;
}

uint8_t CMapper::ReadExPort(uint16_t) { return 0; }
void CMapper::WriteExPort(uint16_t, uint8_t) {}
void CMapper::LineStart(int) {}
void CMapper::FrameEnd() {}
void CMapper::CpuClock(int) {}
void CMapper::PatternAddressLatch(uint16_t) {}
bool CMapper::HasSaveState() const { return false; }
void CMapper::SaveState(uint8_t*) {}
void CMapper::LoadState(const uint8_t*) {}

}  // namespace qgu::core
