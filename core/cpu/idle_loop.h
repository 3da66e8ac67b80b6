#pragma once
// CIdleLoop: a short loop the CPU spins in without effect on anything but
// time. Every instruction of one pass only reads RAM or ROM (no register
// area, no cartridge RAM behind the mapper), writes nothing, pushes and pulls
// nothing, leaves the I flag alone, and the pass comes back to the loop's head
// with the registers it started with. Until an interrupt arrives or a byte it
// read changes, every further pass is the same one, so the CPU can count
// passes instead of running them and end exactly where running them would
// have ended: same registers, same cycle count, same instruction.

#include <cstdint>

#include "core/memory_map.h"

namespace qgu::core {

class CIdleLoop {
 public:
  static constexpr int kMaxSteps = 8;       // instructions in one pass
  static constexpr int kMaxLoopBytes = 32;  // from the head to the jump back
  static constexpr int kMaxReads = 32;      // code and data bytes one pass reads
  // Cycles of one pass at most: 8 instructions of at most 6 cycles each.
  static constexpr int kMaxPassCycles = 64;

  // The registers between two instructions.
  struct Registers {
    uint16_t pc;
    uint8_t a, x, y, s, p;
    friend bool operator==(const Registers&, const Registers&) = default;
    uint64_t Key() const { return KeyOf(pc, a, x, y, s, p); }
  };
  // All the registers in one word, for quick comparison. Made from values in
  // hand, not from a struct just stored, which the processor would have to
  // wait for.
  static uint64_t KeyOf(uint16_t pc, uint8_t a, uint8_t x, uint8_t y, uint8_t s, uint8_t p) {
    return pc | uint64_t{a} << 16 | uint64_t{x} << 24 | uint64_t{y} << 32 | uint64_t{s} << 40 | uint64_t{p} << 48;
  }

  // Where a request of CPU time ends: the cycles it takes and the step whose
  // registers the CPU then has.
  struct Advance {
    int cycles;
    int step;
  };

  // Runs one pass on paper from `head` (the CPU just jumped back there);
  // true when it is an idle loop, which is then kept. False forgets it.
  // plainCartridgeRam: $6000-$7FFF is memory without side effects (the
  // mapper's PlainCartridgeRam), so a loop may read it.
  bool Find(const CMemoryMap& memory, const Registers& head, bool plainCartridgeRam);
  bool Known() const { return steps_ > 0; }
  // Whether pc may be inside the known loop.
  bool Covers(uint16_t pc) const {
    return steps_ > 0 && static_cast<uint16_t>(pc - states_[0].pc) <= kMaxLoopBytes;
  }
  void Forget() { steps_ = 0; }
  uint16_t Head() const { return states_[0].pc; }

  // The step the CPU stands at (its registers are that step's), provided the
  // bytes the pass reads are still the same; -1 otherwise.
  int StepAt(const CMemoryMap& memory, uint64_t key) const;
  // Whether the pages and the bytes the pass reads are still the ones it read.
  bool Unchanged(const CMemoryMap& memory) const {
    for (int i = 0; i < pageCount_; ++i) {
      if (memory.cpuPage[pages_[i].entry] != pages_[i].pointer) return false;
    }
    for (int i = 0; i < byteCount_; ++i) {
      if (*bytes_[i].where != bytes_[i].value) return false;
    }
    return true;
  }
  // Running `request` cycles (> 0) from `step` as the interpreter would:
  // whole instructions until at least the request is spent.
  Advance Run(int step, int request) const {
    // The interpreter stops at the first instruction boundary at least
    // `request` cycles on; boundaries repeat every pass.
    const int target = startCycle_[step] + request;
    // Exact while target < 2^32 / passCycles_, far above any request of a line.
    const int passes = target < (1 << 24) ? static_cast<int>((static_cast<uint64_t>(target) * passReciprocal_) >> 32)
                                          : target / passCycles_;
    const int within = target - passes * passCycles_;
    const int boundary = passes * passCycles_ + boundaryFrom_[within];
    return {boundary - startCycle_[step], stepFrom_[within]};
  }
  const Registers& StateAt(int step) const { return states_[step]; }
  int PassCycles() const { return passCycles_; }

 private:
  class Pass;

  // What the pass read: the page-table entries it went through (a bank
  // switch changes what they point at), and the bytes that can change (RAM;
  // ROM cannot while its page stays).
  struct Page {
    int entry;
    const uint8_t* pointer;
  };
  struct Byte {
    const uint8_t* where;
    uint8_t value;
  };

  Registers states_[kMaxSteps] = {};  // before each instruction of the pass
  uint64_t keys_[kMaxSteps] = {};
  int startCycle_[kMaxSteps] = {};    // cycles from the head to each
  int steps_ = 0;
  int passCycles_ = 0;
  uint64_t passReciprocal_ = 0;  // 2^32 / passCycles_, rounded up: division by multiplying
  // For each cycle c of a pass: the first instruction boundary at or after
  // it (cycles from the head, passCycles_ for the next pass's head) and the
  // step that starts there.
  uint8_t boundaryFrom_[kMaxPassCycles] = {};
  uint8_t stepFrom_[kMaxPassCycles] = {};
  Page pages_[8] = {};
  int pageCount_ = 0;
  Byte bytes_[kMaxReads] = {};
  int byteCount_ = 0;
};

}  // namespace qgu::core
