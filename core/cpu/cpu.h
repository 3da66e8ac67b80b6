#pragma once
// CCpu: the console's 2A03 (a 6502 without decimal arithmetic), run for a
// requested number of CPU cycles.

#include <cstdint>

namespace qgu::core {

class CMachine;

class CCpu {
 public:
  explicit CCpu(CMachine& machine);
  virtual ~CCpu();

  void Reset();
  // Runs instructions until at least `request` cycles are spent; returns the
  // cycles actually spent (may exceed the request by one instruction plus one
  // interrupt entry).
  int Execute(int request);
  void RaiseNmi();
  void RaiseIrq();  // dropped while the I flag is set
  void AddDmaStall(int cycles);
  int32_t TotalCycles() const;

  // Register set and counters, for snapshots and tests.
  struct Registers {
    uint16_t pc;
    uint8_t a, x, y, s, p;
    uint8_t pendingInterrupts;  // bit 0 NMI, bit 1 IRQ
    int32_t totalCycles;
    int32_t dmaStall;
  };
  Registers GetRegisters() const;
  void SetRegisters(const Registers& registers);

 private:
  CMachine& machine_;
  // The implementation adds its state here.
};

}  // namespace qgu::core
