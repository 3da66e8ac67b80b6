#pragma once
// CCpu: the console's 2A03 (a 6502 without decimal arithmetic), run for a
// requested number of CPU cycles.

#include <cstdint>

#include "core/cpu/idle_loop.h"

namespace qgu::core {

class CMachine;
class CMapper;
class CSoundUnit;
struct CMemoryMap;

// Status flag bits.
enum CpuFlag : uint8_t {
  kFlagC = 0x01, kFlagZ = 0x02, kFlagI = 0x04, kFlagD = 0x08,
  kFlagB = 0x10, kFlagR = 0x20, kFlagV = 0x40, kFlagN = 0x80,
};

class CCpu {
 public:
  static constexpr int kInterruptCycles = 6;
  static constexpr int kSpriteDmaStall = 514;

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
  // CPU cycles since reset. It wraps after about 40 minutes of play: take
  // differences of it in unsigned arithmetic, never compare it directly.
  uint32_t TotalCycles() const { return total_; }

  // Register set and counters, for snapshots and tests.
  struct Registers {
    uint16_t pc;
    uint8_t a, x, y, s, p;
    uint8_t pendingInterrupts;  // bit 0 NMI, bit 1 IRQ
    uint32_t totalCycles;
    int32_t dmaStall;
  };
  Registers GetRegisters() const;
  void SetRegisters(const Registers& registers);

  // Cycles counted through idle loops instead of run (see CIdleLoop), since
  // the machine was built; the "skipIdleLoops" machine setting turns it off.
  uint64_t IdleCyclesSkipped() const { return idleCyclesSkipped_; }

 private:
  static constexpr uint8_t kPendingNmi = 0x01;
  static constexpr uint8_t kPendingIrq = 0x02;

  // The interpreter proper (interpreter.cpp): Execute once the request is
  // known not to be spent in a known idle loop.
  int Interpret(int request);
  // What the interpreter must look at after an instruction: the mapper's
  // clock, a DMA stall or a pending interrupt (interpreter.cpp).
  uint8_t Checks() const;
  uint8_t BusRead(uint16_t address);
  void BusWrite(uint16_t address, uint8_t data);
  // With the registers saved: spends the whole request in the known idle
  // loop when the CPU stands in it and nothing can interrupt it; returns the
  // cycles spent, 0 when it must run. jumpedBack: the CPU has just jumped
  // back a short way, so it may be at the head of a loop not yet known.
  // registerKey: CIdleLoop::KeyOf the registers.
  int SkipIdleLoop(int request, bool jumpedBack, uint64_t registerKey);
  // Whether nothing can interrupt the idle loop or wake up inside it: no DMA
  // stall, no pending NMI, no IRQ the I flag lets through.
  bool IdleLoopUndisturbed() const;
  // Spends the request in the known idle loop from `step`; returns the cycles.
  // The registers stay as they were: the step stands for them.
  int SpendInIdleLoop(int step, int request);
  // Takes the registers of the idle loop's step the CPU stands at.
  void SettleIdleRegisters();
  // Is the CPU at the head of an idle loop? Loops that are not are left
  // alone for a while, so a busy loop costs little.
  bool LookForIdleLoop();

  CMachine& machine_;
  CSoundUnit* soundUnit_ = nullptr;
  CMapper* mapper_ = nullptr;
  CMemoryMap* memory_ = nullptr;

  uint16_t pc_ = 0;
  uint8_t a_ = 0, p_ = 0x22, x_ = 0, y_ = 0, s_ = 0xFF;
  uint8_t pending_ = 0;
  uint32_t total_ = 0;
  int32_t dmaStall_ = 0;

  bool plainCartridgeRam_ = false;  // the mapper's PlainCartridgeRam
  bool skipIdleLoops_ = true;
  CIdleLoop idleLoop_;
  // The step of the known idle loop the CPU stands at, as the last request
  // spent in it left it; -1 once anything else has run. While it is set, the
  // step's registers are the CPU's (pc_ to p_ are those of an earlier step;
  // s_ and the I flag are the same in every step).
  int idleStep_ = -1;
  uint64_t idleCyclesSkipped_ = 0;
  struct RejectedLoop {
    uint16_t head;
    uint8_t wait;  // jumps back to it before it is looked at again
  };
  static constexpr int kRejectedLoops = 16;
  RejectedLoop rejected_[kRejectedLoops] = {};
};

}  // namespace qgu::core
