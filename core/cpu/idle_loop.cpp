#include "core/cpu/idle_loop.h"

#include "core/cpu/cpu.h"
#include "core/memory_map.h"

namespace qgu::core {

// One pass on paper: the instructions that only read, with the interpreter's
// flags and cycle counts. Anything else ends the pass as not idle.
class CIdleLoop::Pass {
 public:
  Pass(const CMemoryMap& memory, const Registers& start, bool plainCartridgeRam, Page* pages, Byte* bytes)
      : memory_(memory), r_(start), plainCartridgeRam_(plainCartridgeRam), pages_(pages), bytes_(bytes) {}

  // Runs one instruction; false when it is not one an idle loop may hold.
  bool Step();
  const Registers& Now() const { return r_; }
  int Cycles() const { return cycles_; }
  int PageCount() const { return pageCount_; }
  int ByteCount() const { return byteCount_; }

 private:
  void NoteByte(const uint8_t* where) {
    for (int i = 0; i < byteCount_; ++i) {
      if (bytes_[i].where == where) return;
    }
    if (byteCount_ == kMaxReads) {
      ok_ = false;
      return;
    }
    bytes_[byteCount_++] = {where, *where};
  }
  uint8_t Paged(uint16_t address) {
    const int entry = address >> 13;
    const uint8_t* where = memory_.cpuPage[entry] + (address & 0x1FFF);
    int page = 0;
    while (page < pageCount_ && pages_[page].entry != entry) ++page;
    if (page == pageCount_) pages_[pageCount_++] = {entry, memory_.cpuPage[entry]};
    if (memory_.cpuPageType[entry] != kCpuRom) NoteByte(where);
    return *where;
  }
  uint8_t WorkRam(uint16_t offset) {
    NoteByte(memory_.workRam + offset);
    return memory_.workRam[offset];
  }
  uint8_t Fetch() { return Paged(r_.pc++); }
  uint16_t FetchWord() {
    const uint16_t lo = Fetch();
    return static_cast<uint16_t>(lo | (Fetch() << 8));
  }
  uint8_t ZeroPage(uint8_t address) { return WorkRam(address); }
  // RAM and ROM only: the register areas have side effects, and $4100-$7FFF
  // belongs to the board unless it is plain cartridge RAM.
  uint8_t Data(uint16_t address) {
    if (address < 0x2000) return WorkRam(address & 0x7FF);
    if (address >= 0x8000 || (address >= 0x6000 && plainCartridgeRam_)) return Paged(address);
    ok_ = false;
    return 0;
  }
  uint16_t Indexed(uint8_t index, bool pagePenalty) {
    const uint16_t base = FetchWord();
    const uint16_t ea = static_cast<uint16_t>(base + index);
    if (pagePenalty && ((base ^ ea) & 0x100)) ++cycles_;
    return ea;
  }
  uint16_t IndirectX() {
    const uint8_t z = static_cast<uint8_t>(Fetch() + r_.x);
    return static_cast<uint16_t>(ZeroPage(z) | (ZeroPage(static_cast<uint8_t>(z + 1)) << 8));
  }
  uint16_t IndirectY() {
    const uint8_t z = Fetch();
    const uint16_t base = static_cast<uint16_t>(ZeroPage(z) | (ZeroPage(static_cast<uint8_t>(z + 1)) << 8));
    const uint16_t ea = static_cast<uint16_t>(base + r_.y);
    if ((base ^ ea) & 0x100) ++cycles_;
    return ea;
  }
  // The operand of the accumulator group's eight modes (opcode & 0x1F).
  bool GroupOperand(int mode, uint8_t& v) {
    switch (mode) {
      case 0x09: v = Fetch(); cycles_ += 2; return true;
      case 0x05: v = ZeroPage(Fetch()); cycles_ += 3; return true;
      case 0x15: v = ZeroPage(static_cast<uint8_t>(Fetch() + r_.x)); cycles_ += 4; return true;
      case 0x0D: v = Data(FetchWord()); cycles_ += 4; return true;
      case 0x1D: v = Data(Indexed(r_.x, true)); cycles_ += 4; return true;
      case 0x19: v = Data(Indexed(r_.y, true)); cycles_ += 4; return true;
      case 0x01: v = Data(IndirectX()); cycles_ += 6; return true;
      case 0x11: v = Data(IndirectY()); cycles_ += 5; return true;
      default: return false;
    }
  }

  void SetZn(uint8_t v) { r_.p = static_cast<uint8_t>((r_.p & 0x7D) | (v == 0 ? kFlagZ : (v & kFlagN))); }
  void Adc(uint8_t v) {
    const unsigned sum = r_.a + v + (r_.p & kFlagC);
    r_.p &= static_cast<uint8_t>(~(kFlagC | kFlagV));
    r_.p |= static_cast<uint8_t>(sum >> 8);
    if (~(r_.a ^ v) & (r_.a ^ sum) & 0x80) r_.p |= kFlagV;
    r_.a = static_cast<uint8_t>(sum);
    SetZn(r_.a);
  }
  void Compare(uint8_t reg, uint8_t v) {
    r_.p = static_cast<uint8_t>((r_.p & ~kFlagC) | (reg >= v ? kFlagC : 0));
    SetZn(static_cast<uint8_t>(reg - v));
  }
  void Branch(bool taken) {
    const int8_t offset = static_cast<int8_t>(Fetch());
    cycles_ += 2;
    if (taken) {
      const uint16_t target = static_cast<uint16_t>(r_.pc + offset);
      cycles_ += ((target ^ r_.pc) & 0x100) ? 2 : 1;
      r_.pc = target;
    }
  }
  bool Group(uint8_t opcode);
  bool LoadOrCompare(uint8_t opcode);
  bool Implied(uint8_t opcode);

  const CMemoryMap& memory_;
  Registers r_;
  bool plainCartridgeRam_;
  Page* pages_;
  Byte* bytes_;
  int pageCount_ = 0;
  int byteCount_ = 0;
  int cycles_ = 0;
  bool ok_ = true;
};

// ORA AND EOR ADC LDA CMP SBC in their eight modes.
bool CIdleLoop::Pass::Group(uint8_t opcode) {
  if ((opcode & 0x03) != 0x01 || (opcode & 0xE0) == 0x80) return false;  // the stores
  uint8_t v = 0;
  if (!GroupOperand(opcode & 0x1F, v)) return false;
  switch (opcode & 0xE0) {
    case 0x00: r_.a |= v; SetZn(r_.a); break;
    case 0x20: r_.a &= v; SetZn(r_.a); break;
    case 0x40: r_.a ^= v; SetZn(r_.a); break;
    case 0x60: Adc(v); break;
    case 0xA0: r_.a = v; SetZn(r_.a); break;
    case 0xC0: Compare(r_.a, v); break;
    default: Adc(static_cast<uint8_t>(v ^ 0xFF)); break;
  }
  return true;
}

// LDX LDY LAX, CPX CPY, BIT.
bool CIdleLoop::Pass::LoadOrCompare(uint8_t opcode) {
  switch (opcode) {
    case 0xA2: r_.x = Fetch(); SetZn(r_.x); cycles_ += 2; return true;
    case 0xA6: r_.x = ZeroPage(Fetch()); SetZn(r_.x); cycles_ += 3; return true;
    case 0xB6: r_.x = ZeroPage(static_cast<uint8_t>(Fetch() + r_.y)); SetZn(r_.x); cycles_ += 4; return true;
    case 0xAE: r_.x = Data(FetchWord()); SetZn(r_.x); cycles_ += 4; return true;
    case 0xBE: r_.x = Data(Indexed(r_.y, true)); SetZn(r_.x); cycles_ += 4; return true;
    case 0xA0: r_.y = Fetch(); SetZn(r_.y); cycles_ += 2; return true;
    case 0xA4: r_.y = ZeroPage(Fetch()); SetZn(r_.y); cycles_ += 3; return true;
    case 0xB4: r_.y = ZeroPage(static_cast<uint8_t>(Fetch() + r_.x)); SetZn(r_.y); cycles_ += 4; return true;
    case 0xAC: r_.y = Data(FetchWord()); SetZn(r_.y); cycles_ += 4; return true;
    case 0xBC: r_.y = Data(Indexed(r_.x, true)); SetZn(r_.y); cycles_ += 4; return true;
    case 0xA7: r_.a = r_.x = ZeroPage(Fetch()); SetZn(r_.a); cycles_ += 3; return true;
    case 0xB7: r_.a = r_.x = ZeroPage(static_cast<uint8_t>(Fetch() + r_.y)); SetZn(r_.a); cycles_ += 4; return true;
    case 0xAF: r_.a = r_.x = Data(FetchWord()); SetZn(r_.a); cycles_ += 4; return true;
    case 0xBF: r_.a = r_.x = Data(Indexed(r_.y, true)); SetZn(r_.a); cycles_ += 4; return true;
    case 0xA3: r_.a = r_.x = Data(IndirectX()); SetZn(r_.a); cycles_ += 6; return true;
    case 0xB3: r_.a = r_.x = Data(IndirectY()); SetZn(r_.a); cycles_ += 5; return true;
    case 0xE0: Compare(r_.x, Fetch()); cycles_ += 2; return true;
    case 0xE4: Compare(r_.x, ZeroPage(Fetch())); cycles_ += 3; return true;
    case 0xEC: Compare(r_.x, Data(FetchWord())); cycles_ += 4; return true;
    case 0xC0: Compare(r_.y, Fetch()); cycles_ += 2; return true;
    case 0xC4: Compare(r_.y, ZeroPage(Fetch())); cycles_ += 3; return true;
    case 0xCC: Compare(r_.y, Data(FetchWord())); cycles_ += 4; return true;
    case 0x24:
    case 0x2C: {
      const uint8_t v = opcode == 0x24 ? ZeroPage(Fetch()) : Data(FetchWord());
      r_.p = static_cast<uint8_t>((r_.p & 0x3D) | (v & 0xC0) | ((r_.a & v) ? 0 : kFlagZ));
      cycles_ += opcode == 0x24 ? 3 : 4;
      return true;
    }
    default: return false;
  }
}

// Branches, JMP, transfers, counters, flags (not I), shifts of A, NOPs.
bool CIdleLoop::Pass::Implied(uint8_t opcode) {
  uint8_t& p = r_.p;
  switch (opcode) {
    case 0x10: Branch(!(p & kFlagN)); return true;
    case 0x30: Branch(p & kFlagN); return true;
    case 0x50: Branch(!(p & kFlagV)); return true;
    case 0x70: Branch(p & kFlagV); return true;
    case 0x90: Branch(!(p & kFlagC)); return true;
    case 0xB0: Branch(p & kFlagC); return true;
    case 0xD0: Branch(!(p & kFlagZ)); return true;
    case 0xF0: Branch(p & kFlagZ); return true;
    case 0x4C: r_.pc = FetchWord(); cycles_ += 3; return true;
    case 0xAA: r_.x = r_.a; SetZn(r_.x); break;
    case 0xA8: r_.y = r_.a; SetZn(r_.y); break;
    case 0x8A: r_.a = r_.x; SetZn(r_.a); break;
    case 0x98: r_.a = r_.y; SetZn(r_.a); break;
    case 0xBA: r_.x = r_.s; SetZn(r_.x); break;
    case 0xE8: SetZn(++r_.x); break;
    case 0xC8: SetZn(++r_.y); break;
    case 0xCA: SetZn(--r_.x); break;
    case 0x88: SetZn(--r_.y); break;
    case 0x18: p &= static_cast<uint8_t>(~kFlagC); break;
    case 0x38: p |= kFlagC; break;
    case 0xB8: p &= static_cast<uint8_t>(~kFlagV); break;
    case 0xD8: p &= static_cast<uint8_t>(~kFlagD); break;
    case 0xF8: p |= kFlagD; break;
    case 0x0A: p = static_cast<uint8_t>((p & ~kFlagC) | (r_.a >> 7)); r_.a = static_cast<uint8_t>(r_.a << 1); SetZn(r_.a); break;
    case 0x4A: p = static_cast<uint8_t>((p & ~kFlagC) | (r_.a & 1)); r_.a >>= 1; SetZn(r_.a); break;
    case 0x2A: {
      const uint8_t carry = p & kFlagC;
      p = static_cast<uint8_t>((p & ~kFlagC) | (r_.a >> 7));
      r_.a = static_cast<uint8_t>((r_.a << 1) | carry);
      SetZn(r_.a);
      break;
    }
    case 0x6A: {
      const uint8_t carry = static_cast<uint8_t>((p & kFlagC) << 7);
      p = static_cast<uint8_t>((p & ~kFlagC) | (r_.a & 1));
      r_.a = static_cast<uint8_t>((r_.a >> 1) | carry);
      SetZn(r_.a);
      break;
    }
    case 0xEA: case 0x1A: case 0x3A: case 0x5A: case 0x7A: case 0xDA: case 0xFA: break;
    case 0x80: case 0x82: case 0x89: case 0xC2: case 0xE2: ++r_.pc; break;
    case 0x04: case 0x44: case 0x64: ++r_.pc; cycles_ += 3; return true;
    case 0x14: case 0x34: case 0x54: case 0x74: case 0xD4: case 0xF4: ++r_.pc; cycles_ += 4; return true;
    case 0x0C: r_.pc = static_cast<uint16_t>(r_.pc + 2); cycles_ += 4; return true;
    case 0x1C: case 0x3C: case 0x5C: case 0x7C: case 0xDC: case 0xFC: Indexed(r_.x, true); cycles_ += 4; return true;
    default: return false;
  }
  cycles_ += 2;
  return true;
}

bool CIdleLoop::Pass::Step() {
  const uint8_t opcode = Fetch();
  const bool known = Group(opcode) || LoadOrCompare(opcode) || Implied(opcode);
  return known && ok_;
}

bool CIdleLoop::Find(const CMemoryMap& memory, const Registers& head, bool plainCartridgeRam) {
  steps_ = 0;
  Pass pass(memory, head, plainCartridgeRam, pages_, bytes_);
  Registers states[kMaxSteps];
  int starts[kMaxSteps];
  for (int step = 0; step < kMaxSteps; ++step) {
    states[step] = pass.Now();
    starts[step] = pass.Cycles();
    if (!pass.Step()) return false;
    const Registers& now = pass.Now();
    // The pass stays between the head and the jump back.
    if (static_cast<uint16_t>(now.pc - head.pc) > kMaxLoopBytes) return false;
    if (now.pc != head.pc) continue;
    if (!(now == head)) return false;  // not settled (yet): the registers still move
    for (int i = 0; i <= step; ++i) {
      states_[i] = states[i];
      keys_[i] = states[i].Key();
      startCycle_[i] = starts[i];
    }
    if (pass.Cycles() > kMaxPassCycles) return false;
    steps_ = step + 1;
    passCycles_ = pass.Cycles();
    for (int cycle = 0, next = 0; cycle < passCycles_; ++cycle) {
      while (next < steps_ && startCycle_[next] < cycle) ++next;
      boundaryFrom_[cycle] = static_cast<uint8_t>(next < steps_ ? startCycle_[next] : passCycles_);
      stepFrom_[cycle] = static_cast<uint8_t>(next < steps_ ? next : 0);
    }
    passReciprocal_ = ((uint64_t{1} << 32) + static_cast<uint64_t>(passCycles_) - 1) / static_cast<uint64_t>(passCycles_);
    pageCount_ = pass.PageCount();
    byteCount_ = pass.ByteCount();
    return true;
  }
  return false;
}

int CIdleLoop::StepAt(const CMemoryMap& memory, uint64_t key) const {
  int step = 0;
  while (step < steps_ && keys_[step] != key) ++step;
  if (step == steps_ || !Unchanged(memory)) return -1;
  return step;
}

}  // namespace qgu::core
