#include "core/mappers/mapper_mmc3.h"

#include <cstring>

#include "core/cartridge.h"
#include "core/cpu/cpu.h"
#include "core/machine.h"
#include "core/ppu/picture_unit.h"

namespace qgu::core {

namespace {
constexpr uint8_t kOn = 0xFF;
}

void CMapperMmc3::Reset() {
  std::memset(reg_, 0, sizeof reg_);
  prg0_ = 0;
  prg1_ = 1;
  SetProgramBanks();
  chr01_ = 0;
  chr23_ = 2;
  chr4_ = 4;
  chr5_ = 5;
  chr6_ = 6;
  chr7_ = 7;
  SetCharacterBanks();
  irq_ = {0, 0, 0xFF, 0, 0, 0};
  SyncClockWanted();
  machine_.SetIrqType(kIrqAfterInstruction);
}

void CMapperMmc3::SetProgramBanks() {
  CMemoryMap& memory = machine_.Memory();
  const int secondLast = memory.program8kCount - 2;
  const int last = memory.program8kCount - 1;
  if (reg_[0] & 0x40) {
    memory.SetProgramBanks(secondLast, prg1_, prg0_, last);
  } else {
    memory.SetProgramBanks(prg0_, prg1_, secondLast, last);
  }
}

void CMapperMmc3::SetCharacterBanks() {
  CMemoryMap& memory = machine_.Memory();
  const int banks[8] = {chr01_, chr01_ + 1, chr23_, chr23_ + 1, chr4_, chr5_, chr6_, chr7_};
  // Bit 7 swaps the 2 KB half with the 1 KB half.
  const int base = (reg_[0] & 0x80) ? 4 : 0;
  const bool hasRom = !machine_.Cartridge().CharacterRom().empty();
  for (int i = 0; i < 8; ++i) {
    const int page = (base + i) & 7;
    if (hasRom) {
      memory.SetCharacter1k(page, banks[i]);
    } else {
      memory.SetCharacterRam1k(page, banks[i] & 7);
    }
  }
}

void CMapperMmc3::WriteRom(uint16_t address, uint8_t data) {
  switch (address & 0xE001) {
    case 0x8000:
      reg_[0] = data;
      SetProgramBanks();
      SetCharacterBanks();
      break;
    case 0x8001:
      reg_[1] = data;
      switch (reg_[0] & 7) {
        case 0: chr01_ = data & 0xFE; SetCharacterBanks(); break;
        case 1: chr23_ = data & 0xFE; SetCharacterBanks(); break;
        case 2: chr4_ = data; SetCharacterBanks(); break;
        case 3: chr5_ = data; SetCharacterBanks(); break;
        case 4: chr6_ = data; SetCharacterBanks(); break;
        case 5: chr7_ = data; SetCharacterBanks(); break;
        case 6: prg0_ = data; SetProgramBanks(); break;
        case 7: prg1_ = data; SetProgramBanks(); break;
      }
      break;
    case 0xA000:
      reg_[2] = data;
      if (!machine_.Cartridge().IsFourScreen()) {
        machine_.Memory().SetMirroring((data & 1) ? kMirrorHorizontal : kMirrorVertical);
      }
      break;
    case 0xA001:
      reg_[3] = data;
      break;
    case 0xC000:
      reg_[4] = data;
      irq_.latch = data;
      break;
    case 0xC001:
      reg_[5] = data;
      irq_.counter |= 0x80;
      if (machine_.CurrentScanline() >= 240) {
        irq_.presetAtVblank = kOn;
        irq_.preset = 0;
      } else {
        irq_.preset = kOn;
      }
      break;
    case 0xE000:
      reg_[6] = data;
      irq_.enable = 0;
      irq_.request = 0;
      SyncClockWanted();
      break;
    case 0xE001:
      reg_[7] = data;
      irq_.enable = 1;
      irq_.request = 0;
      SyncClockWanted();
      break;
  }
}

void CMapperMmc3::LineStart(int scanline) {
  const bool rendering = machine_.PictureUnit().IsRenderingOn() != 0;
  if (scanline >= 0 && scanline < 240 && rendering) {
    if (irq_.presetAtVblank) {
      irq_.counter = irq_.latch;
      irq_.presetAtVblank = 0;
    }
    if (irq_.preset) {
      irq_.counter = irq_.latch;
      irq_.preset = 0;
    } else if (irq_.counter != 0) {
      --irq_.counter;
    }
    if (irq_.counter == 0) {
      if (irq_.enable) irq_.request = kOn;
      irq_.preset = kOn;
    }
    SyncClockWanted();
  }
  if (irq_.request && machine_.IrqType() == kIrqAtLineStart) machine_.Cpu().RaiseIrq();
}

void CMapperMmc3::CpuClock(int) {
  if (irq_.request && machine_.IrqType() == kIrqAfterInstruction) machine_.Cpu().RaiseIrq();
}

void CMapperMmc3::SaveState(uint8_t* buffer) {
  std::memcpy(buffer, reg_, 8);
  const uint8_t banks[8] = {prg0_, prg1_, chr01_, chr23_, chr4_, chr5_, chr6_, chr7_};
  std::memcpy(buffer + 8, banks, 8);
  const uint8_t irq[6] = {irq_.enable, irq_.counter, irq_.latch, irq_.request, irq_.preset, irq_.presetAtVblank};
  std::memcpy(buffer + 16, irq, 6);
}

void CMapperMmc3::LoadState(const uint8_t* buffer) {
  std::memcpy(reg_, buffer, 8);
  prg0_ = buffer[8];
  prg1_ = buffer[9];
  chr01_ = buffer[10];
  chr23_ = buffer[11];
  chr4_ = buffer[12];
  chr5_ = buffer[13];
  chr6_ = buffer[14];
  chr7_ = buffer[15];
  irq_ = {buffer[16], buffer[17], buffer[18], buffer[19], buffer[20], buffer[21]};
  SyncClockWanted();
}

void CMapperMmc3::SyncClockWanted() { wantsCpuClock_ = irq_.request != 0; }

}  // namespace qgu::core
