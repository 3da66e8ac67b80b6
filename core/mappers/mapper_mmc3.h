#pragma once
// CMapperMmc3 (mapper 4): 8 KB program banks, 1/2 KB character banks,
// switchable mirroring and a scanline counter that raises the IRQ.

#include <cstdint>

#include "core/mappers/mapper.h"

namespace qgu::core {

class CMapperMmc3 : public CMapper {
 public:
  static constexpr int kMapperNumber = 4;
  static constexpr int kStateBytes = 22;

  explicit CMapperMmc3(CMachine& machine) : CMapper(machine) { plainCartridgeRam_ = true; }

  void Reset() override;
  void WriteRom(uint16_t address, uint8_t data) override;
  void LineStart(int scanline) override;
  void CpuClock(int cycles) override;
  bool HasSaveState() const override { return true; }
  void SaveState(uint8_t* buffer) override;
  void LoadState(const uint8_t* buffer) override;

  // The scanline counter, for tests.
  struct IrqState {
    uint8_t enable, counter, latch, request, preset, presetAtVblank;
  };
  IrqState Irq() const { return irq_; }

 private:
  void SetProgramBanks();
  void SetCharacterBanks();
  void SyncClockWanted();  // CpuClock only matters while an IRQ is requested

  uint8_t reg_[8] = {};
  uint8_t prg0_ = 0, prg1_ = 1;
  uint8_t chr01_ = 0, chr23_ = 2, chr4_ = 4, chr5_ = 5, chr6_ = 6, chr7_ = 7;
  IrqState irq_{};
};

}  // namespace qgu::core
