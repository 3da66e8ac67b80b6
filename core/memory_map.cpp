#include "core/memory_map.h"

namespace qgu::core {

namespace {

// Bank numbers wrap like address lines that the board does not decode.
int Wrap(int bank, int count) {
  const int r = bank % count;
  return r < 0 ? r + count : r;
}

// Name-table pages 8-11 for each mirroring mode.
constexpr int kMirrorPages[5][4] = {
    {0, 0, 1, 1},  // horizontal
    {0, 1, 0, 1},  // vertical
    {0, 1, 2, 3},  // four-screen
    {0, 0, 0, 0},  // single low
    {1, 1, 1, 1},  // single high
};

}  // namespace

void CMemoryMap::SetProgram8k(int page, int bank) {
  bank = Wrap(bank, program8kCount);
  cpuPage[page] = programRom + bank * 0x2000;
  cpuPageType[page] = kCpuRom;
  cpuPageNumber[page] = bank;
}

void CMemoryMap::SetProgramBanks(int b4, int b5, int b6, int b7) {
  SetProgram8k(4, b4);
  SetProgram8k(5, b5);
  SetProgram8k(6, b6);
  SetProgram8k(7, b7);
}

void CMemoryMap::SetCharacter1k(int page, int bank) {
  bank = Wrap(bank, character1kCount);
  ppuPage[page] = characterRom + bank * 0x400;
  ppuPageType[page] = kPpuCharacterRom;
  ppuPageNumber[page] = bank;
}

void CMemoryMap::SetCharacter8k(int bank) {
  for (int i = 0; i < 8; ++i) SetCharacter1k(i, bank * 8 + i);
}

void CMemoryMap::SetCharacterRam1k(int page, int bank) {
  bank &= 31;
  ppuPage[page] = characterRam + bank * 0x400;
  ppuPageType[page] = kPpuCharacterRam;
  ppuPageNumber[page] = bank;
  characterRamUsed[bank >> 2] = 0xFF;
}

void CMemoryMap::SetNameTable1k(int page, int bank) {
  bank &= 3;
  ppuPage[page] = nameTableRam + bank * 0x400;
  ppuPageType[page] = kPpuNameTableRam;
  ppuPageNumber[page] = bank;
}

void CMemoryMap::SetMirroring(int mode) {
  if (mode < kMirrorHorizontal || mode > kMirrorSingleHigh) mode = kMirrorHorizontal;
  for (int i = 0; i < 4; ++i) SetNameTable1k(8 + i, kMirrorPages[mode][i]);
}

}  // namespace qgu::core
