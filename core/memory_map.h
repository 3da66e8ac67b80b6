#pragma once
// The console's whole memory in one block: page tables for the CPU and the
// picture unit, every RAM, the I/O register shadows and the bank-setting
// operations every mapper uses. The parts' own registers live with each part.

#include <cstdint>

namespace qgu::core {

enum PageType : uint8_t {
  kCpuRom = 0x00,
  kCpuRam = 0xFF,
  kPpuCharacterRom = 0x00,
  kPpuCharacterRam = 0x01,
  kPpuNameTableRam = 0x80,
};

enum Mirroring : int {
  kMirrorHorizontal = 0,
  kMirrorVertical = 1,
  kMirrorFourScreen = 2,
  kMirrorSingleLow = 3,
  kMirrorSingleHigh = 4,
};

struct CMemoryMap {
  // CPU address space in 8 pages of 8 KB (page = address >> 13).
  uint8_t* cpuPage[8] = {};
  uint8_t cpuPageType[8] = {};
  int32_t cpuPageNumber[8] = {};

  // Picture unit space in 12 pages of 1 KB: 0-7 patterns, 8-11 name tables.
  uint8_t* ppuPage[12] = {};
  uint8_t ppuPageType[12] = {};
  int32_t ppuPageNumber[12] = {};
  uint8_t characterRamUsed[8] = {};  // per 4 KB granule, 0xFF once mapped

  uint8_t workRam[8192] = {};  // only the first 2 KB are addressed
  uint8_t cartridgeRam[131072] = {};
  uint8_t sparePage[8192] = {};
  uint8_t characterRam[32768] = {};
  uint8_t nameTableRam[4096] = {};
  uint8_t spriteRam[256] = {};
  uint8_t backgroundPalette[16] = {};
  uint8_t spritePalette[16] = {};

  uint8_t cpuRegisterShadow[24] = {};  // last values written to $4000-$4017
  uint8_t frameCounter = 0xC0;         // last value written to $4017

  // Owned by the cartridge; the page tables point into them.
  uint8_t* programRom = nullptr;
  uint8_t* characterRom = nullptr;
  // 1 until a cartridge is attached, so bank arithmetic never divides by zero.
  int32_t program8kCount = 1, program16kCount = 1, program32kCount = 1;
  int32_t character1kCount = 1, character2kCount = 1, character4kCount = 1, character8kCount = 1;

  void SetProgram8k(int page, int bank);
  void SetProgramBanks(int b4, int b5, int b6, int b7);
  void SetCharacter1k(int page, int bank);
  void SetCharacter8k(int bank);
  void SetCharacterRam1k(int page, int bank);
  void SetNameTable1k(int page, int bank);
  void SetMirroring(int mode);
};

}  // namespace qgu::core
