#include "core/cpu/cpu.h"

#include "core/apu/sound_unit.h"
#include "core/machine.h"
#include "core/mappers/mapper.h"

// Every helper of the interpreter is inlined: one that is not would force the
// registers it captures out of machine registers into memory.
#define QGU_ALWAYS_INLINE __attribute__((always_inline))

namespace qgu::core {

namespace {
constexpr uint16_t kNmiVector = 0xFFFA;
constexpr uint16_t kResetVector = 0xFFFC;
constexpr uint16_t kIrqVector = 0xFFFE;
constexpr uint8_t kPendingNmi = 0x01;
constexpr uint8_t kPendingIrq = 0x02;
constexpr int kHaltCycles = 4;
// A loop that was not idle is looked at again after this many jumps back.
constexpr uint8_t kRejectedLoopWait = 63;
}  // namespace

CCpu::CCpu(CMachine& machine) : machine_(machine) {}
CCpu::~CCpu() = default;

void CCpu::Reset() {
  soundUnit_ = &machine_.SoundUnit();
  mapper_ = &machine_.Mapper();
  memory_ = &machine_.Memory();
  stack_ = memory_->workRam + 0x100;
  a_ = x_ = y_ = 0;
  s_ = 0xFF;
  p_ = kFlagZ | kFlagR;
  const uint8_t* vectors = memory_->cpuPage[7];
  pc_ = static_cast<uint16_t>(vectors[kResetVector & 0x1FFF] | (vectors[(kResetVector + 1) & 0x1FFF] << 8));
  pending_ = 0;
  total_ = 0;
  dmaStall_ = 0;
  zeroNegative_[0] = kFlagZ;
  for (int n = 1; n < 256; ++n) zeroNegative_[n] = static_cast<uint8_t>(n & kFlagN);
  plainCartridgeRam_ = mapper_->PlainCartridgeRam();
  skipIdleLoops_ = machine_.Settings().skipIdleLoops;
  idleLoop_.Forget();
  for (RejectedLoop& loop : rejected_) loop = {};
}

void CCpu::RaiseNmi() { pending_ |= kPendingNmi; }

void CCpu::RaiseIrq() {
  if (!(p_ & kFlagI)) pending_ |= kPendingIrq;
}

void CCpu::AddDmaStall(int cycles) { dmaStall_ += cycles; }

CCpu::Registers CCpu::GetRegisters() const { return {pc_, a_, x_, y_, s_, p_, pending_, total_, dmaStall_}; }

void CCpu::SetRegisters(const Registers& r) {
  pc_ = r.pc;
  a_ = r.a;
  x_ = r.x;
  y_ = r.y;
  s_ = r.s;
  p_ = r.p;
  pending_ = r.pendingInterrupts;
  total_ = r.totalCycles;
  dmaStall_ = r.dmaStall;
  idleLoop_.Forget();
}

uint8_t CCpu::BusRead(uint16_t address) { return machine_.CpuRead(address); }
void CCpu::BusWrite(uint16_t address, uint8_t data) { machine_.CpuWrite(address, data); }

bool CCpu::LookForIdleLoop() {
  RejectedLoop& rejected = rejected_[pc_ % kRejectedLoops];
  if (rejected.head == pc_ && rejected.wait > 0) {
    --rejected.wait;
    return false;
  }
  if (idleLoop_.Find(*memory_, {pc_, a_, x_, y_, s_, p_}, plainCartridgeRam_)) return true;
  rejected = {pc_, kRejectedLoopWait};
  return false;
}

int CCpu::SkipIdleLoop(int request, bool jumpedBack, uint64_t key) {
  // Whatever would interrupt the loop, or wake up inside it, is left to the
  // interpreter: a DMA stall, a pending NMI, an IRQ the I flag lets through.
  if (dmaStall_ != 0 || (pending_ & kPendingNmi)) return 0;
  const bool masked = (p_ & kFlagI) != 0;
  if (!masked && ((pending_ & kPendingIrq) || mapper_->WantsCpuClock())) return 0;
  int step = idleLoop_.StepAt(*memory_, key);
  if (step < 0 && jumpedBack && LookForIdleLoop()) step = 0;
  if (step < 0) return 0;
  const CIdleLoop::Advance run = idleLoop_.Run(step, request);
  const CIdleLoop::Registers& end = idleLoop_.StateAt(run.step);
  pc_ = end.pc;
  a_ = end.a;
  x_ = end.x;
  y_ = end.y;
  s_ = end.s;
  p_ = end.p;
  total_ += static_cast<uint32_t>(run.cycles);
  idleCyclesSkipped_ += static_cast<uint64_t>(run.cycles);
  // The mapper sees the cycles at once, as it does a DMA stall's.
  if (mapper_->WantsCpuClock()) mapper_->CpuClock(run.cycles);
  return run.cycles;
}

// The interpreter: registers live in locals while it runs and are written back
// before anything outside can look at them (bus calls, the mapper's clock);
// a picture-unit write may run one more instruction re-entrantly, so the
// locals are reloaded after every bus call.
int CCpu::Execute(int request) {
  if (soundUnit_->Sync(request)) RaiseIrq();
  if (request <= 0) return 0;
  if (skipIdleLoops_ && idleLoop_.Covers(pc_)) {
    const uint64_t key = CIdleLoop::KeyOf(pc_, a_, x_, y_, s_, p_);
    if (const int skipped = SkipIdleLoop(request, false, key)) return skipped;
  }

  const uint32_t start = total_;
  CMemoryMap& memory = *memory_;
  uint8_t* const ram = memory.workRam;
  uint8_t* const stack = stack_;
  const uint8_t* const zn = zeroNegative_;
  uint16_t pc = pc_;
  uint8_t a = a_, x = x_, y = y_, s = s_, p = p_;
  int spent = 0;

  auto save = [&]() QGU_ALWAYS_INLINE { pc_ = pc; a_ = a; x_ = x; y_ = y; s_ = s; p_ = p; };
  auto load = [&]() QGU_ALWAYS_INLINE { pc = pc_; a = a_; x = x_; y = y_; s = s_; p = p_; };
  auto fetch = [&]() QGU_ALWAYS_INLINE -> uint8_t {
    const uint8_t v = memory.cpuPage[pc >> 13][pc & 0x1FFF];
    ++pc;
    return v;
  };
  const bool plainCartridgeRam = plainCartridgeRam_;
  auto read = [&](uint16_t ea) QGU_ALWAYS_INLINE -> uint8_t {
    if (ea < 0x2000) return ram[ea & 0x7FF];
    if (ea >= 0x6000 && (ea >= 0x8000 || plainCartridgeRam)) return memory.cpuPage[ea >> 13][ea & 0x1FFF];
    save();
    const uint8_t v = BusRead(ea);
    load();
    return v;
  };
  auto write = [&](uint16_t ea, uint8_t v) QGU_ALWAYS_INLINE {
    if (ea < 0x2000) {
      ram[ea & 0x7FF] = v;
      return;
    }
    if (ea >= 0x6000 && ea < 0x8000 && plainCartridgeRam) {
      memory.cpuPage[3][ea & 0x1FFF] = v;
      return;
    }
    save();
    BusWrite(ea, v);
    load();
  };
  auto push = [&](uint8_t v) QGU_ALWAYS_INLINE { stack[s--] = v; };
  auto pop = [&]() QGU_ALWAYS_INLINE -> uint8_t { return stack[++s]; };
  auto setZn = [&](uint8_t v) QGU_ALWAYS_INLINE { p = static_cast<uint8_t>((p & 0x7D) | zn[v]); };

  // Addressing modes.
  auto absolute = [&]() QGU_ALWAYS_INLINE -> uint16_t {
    const uint16_t lo = fetch();
    return static_cast<uint16_t>(lo | (fetch() << 8));
  };
  auto indexed = [&](uint8_t index, bool pagePenalty) QGU_ALWAYS_INLINE -> uint16_t {
    const uint16_t base = absolute();
    const uint16_t ea = static_cast<uint16_t>(base + index);
    if (pagePenalty && ((base ^ ea) & 0x100)) ++spent;
    return ea;
  };
  auto indirectX = [&]() QGU_ALWAYS_INLINE -> uint16_t {
    const uint8_t z = static_cast<uint8_t>(fetch() + x);
    return static_cast<uint16_t>(ram[z] | (ram[static_cast<uint8_t>(z + 1)] << 8));
  };
  auto indirectY = [&](bool pagePenalty) QGU_ALWAYS_INLINE -> uint16_t {
    const uint8_t z = fetch();
    const uint16_t base = static_cast<uint16_t>(ram[z] | (ram[static_cast<uint8_t>(z + 1)] << 8));
    const uint16_t ea = static_cast<uint16_t>(base + y);
    if (pagePenalty && ((base ^ ea) & 0x100)) ++spent;
    return ea;
  };
  auto zeroX = [&]() QGU_ALWAYS_INLINE -> uint8_t { return static_cast<uint8_t>(fetch() + x); };
  auto zeroY = [&]() QGU_ALWAYS_INLINE -> uint8_t { return static_cast<uint8_t>(fetch() + y); };

  // Operations.
  auto adc = [&](uint8_t v) QGU_ALWAYS_INLINE {
    const unsigned sum = a + v + (p & kFlagC);
    p &= static_cast<uint8_t>(~(kFlagC | kFlagV));
    p |= static_cast<uint8_t>(sum >> 8);
    if (~(a ^ v) & (a ^ sum) & 0x80) p |= kFlagV;
    a = static_cast<uint8_t>(sum);
    setZn(a);
  };
  auto sbc = [&](uint8_t v) QGU_ALWAYS_INLINE { adc(static_cast<uint8_t>(v ^ 0xFF)); };
  auto compare = [&](uint8_t reg, uint8_t v) QGU_ALWAYS_INLINE {
    p = static_cast<uint8_t>((p & ~kFlagC) | (reg >= v ? kFlagC : 0));
    setZn(static_cast<uint8_t>(reg - v));
  };
  auto bit = [&](uint8_t v) QGU_ALWAYS_INLINE {
    p = static_cast<uint8_t>((p & 0x3D) | (v & 0xC0) | ((a & v) ? 0 : kFlagZ));
  };
  auto asl = [&](uint8_t v) QGU_ALWAYS_INLINE -> uint8_t {
    p = static_cast<uint8_t>((p & ~kFlagC) | (v >> 7));
    v = static_cast<uint8_t>(v << 1);
    setZn(v);
    return v;
  };
  auto lsr = [&](uint8_t v) QGU_ALWAYS_INLINE -> uint8_t {
    p = static_cast<uint8_t>((p & ~kFlagC) | (v & 1));
    v >>= 1;
    setZn(v);
    return v;
  };
  auto rol = [&](uint8_t v) QGU_ALWAYS_INLINE -> uint8_t {
    const uint8_t carry = p & kFlagC;
    p = static_cast<uint8_t>((p & ~kFlagC) | (v >> 7));
    v = static_cast<uint8_t>((v << 1) | carry);
    setZn(v);
    return v;
  };
  auto ror = [&](uint8_t v) QGU_ALWAYS_INLINE -> uint8_t {
    const uint8_t carry = static_cast<uint8_t>((p & kFlagC) << 7);
    p = static_cast<uint8_t>((p & ~kFlagC) | (v & 1));
    v = static_cast<uint8_t>((v >> 1) | carry);
    setZn(v);
    return v;
  };
  auto inc = [&](uint8_t v) QGU_ALWAYS_INLINE -> uint8_t {
    ++v;
    setZn(v);
    return v;
  };
  auto dec = [&](uint8_t v) QGU_ALWAYS_INLINE -> uint8_t {
    --v;
    setZn(v);
    return v;
  };
  // True when the branch went back a short way: it may close an idle loop.
  auto branch = [&](bool taken) QGU_ALWAYS_INLINE -> bool {
    const int8_t offset = static_cast<int8_t>(fetch());
    spent += 2;
    if (!taken) return false;
    const uint16_t target = static_cast<uint16_t>(pc + offset);
    spent += ((target ^ pc) & 0x100) ? 2 : 1;
    pc = target;
    return offset < 0 && offset >= -CIdleLoop::kMaxLoopBytes;
  };
  auto finish = [&]() QGU_ALWAYS_INLINE {
    total_ += static_cast<uint32_t>(spent);
    request -= spent;
    if (mapper_->WantsCpuClock()) {
      p_ = p;  // the mapper's IRQ looks at the I flag
      mapper_->CpuClock(spent);
    }
  };
  auto interrupt = [&](uint16_t vector) QGU_ALWAYS_INLINE {
    push(static_cast<uint8_t>(pc >> 8));
    push(static_cast<uint8_t>(pc));
    push(static_cast<uint8_t>(p & ~kFlagB));
    p |= kFlagI;
    const uint8_t* page = memory.cpuPage[7];
    pc = static_cast<uint16_t>(page[vector & 0x1FFF] | (page[(vector + 1) & 0x1FFF] << 8));
    spent += kInterruptCycles;
  };
  // PLP and RTI: the break flag is not a register bit, bit 5 always reads 1.
  auto pullStatus = [&]() QGU_ALWAYS_INLINE { p = static_cast<uint8_t>((pop() & ~kFlagB) | kFlagR); };
  // SHA/SHX/SHY/TAS: the value is ANDed with the operand's high byte + 1.
  auto shStore = [&](uint16_t base, uint8_t index, uint8_t value) QGU_ALWAYS_INLINE {
    uint16_t ea = static_cast<uint16_t>(base + index);
    const uint8_t v = static_cast<uint8_t>(value & ((base >> 8) + 1));
    if ((base ^ ea) & 0x100) ea = static_cast<uint16_t>((ea & 0xFF) | (v << 8));
    write(ea, v);
  };

// Eight addressing modes of the accumulator group (ORA AND EOR ADC LDA CMP SBC).
#define QGU_READ_GROUP(base, OP)                                                          \
  case (base) + 0x09: { const uint8_t v = fetch(); OP; spent += 2; break; }               \
  case (base) + 0x05: { const uint8_t v = ram[fetch()]; OP; spent += 3; break; }          \
  case (base) + 0x15: { const uint8_t v = ram[zeroX()]; OP; spent += 4; break; }          \
  case (base) + 0x0D: { const uint8_t v = read(absolute()); OP; spent += 4; break; }      \
  case (base) + 0x1D: { const uint8_t v = read(indexed(x, true)); OP; spent += 4; break; } \
  case (base) + 0x19: { const uint8_t v = read(indexed(y, true)); OP; spent += 4; break; } \
  case (base) + 0x01: { const uint8_t v = read(indirectX()); OP; spent += 6; break; }     \
  case (base) + 0x11: { const uint8_t v = read(indirectY(true)); OP; spent += 5; break; }

// Read-modify-write: ASL ROL LSR ROR DEC INC.
#define QGU_RMW_GROUP(base, FN)                                                                     \
  case (base) + 0x06: { const uint8_t ea = fetch(); ram[ea] = FN(ram[ea]); spent += 5; break; }     \
  case (base) + 0x16: { const uint8_t ea = zeroX(); ram[ea] = FN(ram[ea]); spent += 6; break; }     \
  case (base) + 0x0E: { const uint16_t ea = absolute(); write(ea, FN(read(ea))); spent += 6; break; } \
  case (base) + 0x1E: { const uint16_t ea = indexed(x, false); write(ea, FN(read(ea))); spent += 7; break; }

// Unofficial read-modify-write then accumulator operation: SLO RLA SRE RRA DCP ISB.
#define QGU_COMBO_GROUP(base, FN, OP)                                                                           \
  case (base) + 0x04: { const uint8_t ea = fetch(); const uint8_t v = FN(ram[ea]); ram[ea] = v; OP; spent += 5; break; } \
  case (base) + 0x14: { const uint8_t ea = zeroX(); const uint8_t v = FN(ram[ea]); ram[ea] = v; OP; spent += 6; break; } \
  case (base) + 0x0C: { const uint16_t ea = absolute(); const uint8_t v = FN(read(ea)); write(ea, v); OP; spent += 6; break; } \
  case (base) + 0x1C: { const uint16_t ea = indexed(x, false); const uint8_t v = FN(read(ea)); write(ea, v); OP; spent += 7; break; } \
  case (base) + 0x18: { const uint16_t ea = indexed(y, false); const uint8_t v = FN(read(ea)); write(ea, v); OP; spent += 7; break; } \
  case (base) + 0x00: { const uint16_t ea = indirectX(); const uint8_t v = FN(read(ea)); write(ea, v); OP; spent += 8; break; } \
  case (base) + 0x10: { const uint16_t ea = indirectY(false); const uint8_t v = FN(read(ea)); write(ea, v); OP; spent += 8; break; }

  while (request > 0) {
    spent = 0;
    if (dmaStall_ != 0) {
      if (request <= dmaStall_) {
        dmaStall_ -= request;
        total_ += static_cast<uint32_t>(request);
        save();
        if (mapper_->WantsCpuClock()) mapper_->CpuClock(request);
        return static_cast<int>(total_ - start);
      }
      spent = dmaStall_;
      dmaStall_ = 0;
    }
    if (pending_) {
      if (pending_ & kPendingNmi) {
        interrupt(kNmiVector);
        pending_ &= static_cast<uint8_t>(~kPendingNmi);
      } else if ((pending_ & kPendingIrq) && !(p & kFlagI)) {
        interrupt(kIrqVector);
        pending_ &= static_cast<uint8_t>(~kPendingIrq);
      }
    }

    switch (fetch()) {
      QGU_READ_GROUP(0x00, a |= v; setZn(a))
      QGU_READ_GROUP(0x20, a &= v; setZn(a))
      QGU_READ_GROUP(0x40, a ^= v; setZn(a))
      QGU_READ_GROUP(0x60, adc(v))
      QGU_READ_GROUP(0xA0, a = v; setZn(a))
      QGU_READ_GROUP(0xC0, compare(a, v))
      QGU_READ_GROUP(0xE0, sbc(v))

      QGU_RMW_GROUP(0x00, asl)
      QGU_RMW_GROUP(0x20, rol)
      QGU_RMW_GROUP(0x40, lsr)
      QGU_RMW_GROUP(0x60, ror)
      QGU_RMW_GROUP(0xC0, dec)
      QGU_RMW_GROUP(0xE0, inc)
      case 0x0A: a = asl(a); spent += 2; break;
      case 0x2A: a = rol(a); spent += 2; break;
      case 0x4A: a = lsr(a); spent += 2; break;
      case 0x6A: a = ror(a); spent += 2; break;

      QGU_COMBO_GROUP(0x03, asl, a |= v; setZn(a))
      QGU_COMBO_GROUP(0x23, rol, a &= v; setZn(a))
      QGU_COMBO_GROUP(0x43, lsr, a ^= v; setZn(a))
      QGU_COMBO_GROUP(0x63, ror, adc(v))
      QGU_COMBO_GROUP(0xC3, dec, compare(a, v))
      QGU_COMBO_GROUP(0xE3, inc, sbc(v))

      // Stores.
      case 0x85: ram[fetch()] = a; spent += 3; break;
      case 0x95: ram[zeroX()] = a; spent += 4; break;
      case 0x8D: write(absolute(), a); spent += 4; break;
      case 0x9D: write(indexed(x, false), a); spent += 5; break;
      case 0x99: write(indexed(y, false), a); spent += 5; break;
      case 0x81: write(indirectX(), a); spent += 6; break;
      case 0x91: write(indirectY(false), a); spent += 6; break;
      case 0x86: ram[fetch()] = x; spent += 3; break;
      case 0x96: ram[zeroY()] = x; spent += 4; break;
      case 0x8E: write(absolute(), x); spent += 4; break;
      case 0x84: ram[fetch()] = y; spent += 3; break;
      case 0x94: ram[zeroX()] = y; spent += 4; break;
      case 0x8C: write(absolute(), y); spent += 4; break;
      case 0x87: ram[fetch()] = a & x; spent += 3; break;
      case 0x97: ram[zeroY()] = a & x; spent += 4; break;
      case 0x8F: write(absolute(), a & x); spent += 4; break;
      case 0x83: write(indirectX(), a & x); spent += 6; break;

      // Loads of X and Y, and LAX.
      case 0xA2: x = fetch(); setZn(x); spent += 2; break;
      case 0xA6: x = ram[fetch()]; setZn(x); spent += 3; break;
      case 0xB6: x = ram[zeroY()]; setZn(x); spent += 4; break;
      case 0xAE: x = read(absolute()); setZn(x); spent += 4; break;
      case 0xBE: x = read(indexed(y, true)); setZn(x); spent += 4; break;
      case 0xA0: y = fetch(); setZn(y); spent += 2; break;
      case 0xA4: y = ram[fetch()]; setZn(y); spent += 3; break;
      case 0xB4: y = ram[zeroX()]; setZn(y); spent += 4; break;
      case 0xAC: y = read(absolute()); setZn(y); spent += 4; break;
      case 0xBC: y = read(indexed(x, true)); setZn(y); spent += 4; break;
      case 0xA7: a = x = ram[fetch()]; setZn(a); spent += 3; break;
      case 0xB7: a = x = ram[zeroY()]; setZn(a); spent += 4; break;
      case 0xAF: a = x = read(absolute()); setZn(a); spent += 4; break;
      case 0xBF: a = x = read(indexed(y, true)); setZn(a); spent += 4; break;
      case 0xA3: a = x = read(indirectX()); setZn(a); spent += 6; break;
      case 0xB3: a = x = read(indirectY(true)); setZn(a); spent += 5; break;

      // Compares and BIT.
      case 0xE0: compare(x, fetch()); spent += 2; break;
      case 0xE4: compare(x, ram[fetch()]); spent += 3; break;
      case 0xEC: compare(x, read(absolute())); spent += 4; break;
      case 0xC0: compare(y, fetch()); spent += 2; break;
      case 0xC4: compare(y, ram[fetch()]); spent += 3; break;
      case 0xCC: compare(y, read(absolute())); spent += 4; break;
      case 0x24: bit(ram[fetch()]); spent += 3; break;
      case 0x2C: bit(read(absolute())); spent += 4; break;

      // Branches.
      case 0x10: if (branch(!(p & kFlagN))) goto looped_back; break;
      case 0x30: if (branch(p & kFlagN)) goto looped_back; break;
      case 0x50: if (branch(!(p & kFlagV))) goto looped_back; break;
      case 0x70: if (branch(p & kFlagV)) goto looped_back; break;
      case 0x90: if (branch(!(p & kFlagC))) goto looped_back; break;
      case 0xB0: if (branch(p & kFlagC)) goto looped_back; break;
      case 0xD0: if (branch(!(p & kFlagZ))) goto looped_back; break;
      case 0xF0: if (branch(p & kFlagZ)) goto looped_back; break;

      // Jumps, calls, returns.
      case 0x4C: {
        const uint16_t at = static_cast<uint16_t>(pc - 1);
        pc = absolute();
        spent += 3;
        if (static_cast<uint16_t>(at - pc) <= CIdleLoop::kMaxLoopBytes) goto looped_back;
        break;
      }
      case 0x6C: {
        const uint16_t pointer = absolute();
        // The pointer's high byte is fetched without carrying into its page.
        const uint8_t lo = read(pointer);
        const uint8_t hi = read(static_cast<uint16_t>((pointer & 0xFF00) | ((pointer + 1) & 0xFF)));
        pc = static_cast<uint16_t>(lo | (hi << 8));
        spent += 5;
        break;
      }
      case 0x20: {
        const uint8_t lo = fetch();
        push(static_cast<uint8_t>(pc >> 8));
        push(static_cast<uint8_t>(pc));
        pc = static_cast<uint16_t>(lo | (fetch() << 8));
        spent += 6;
        break;
      }
      case 0x60: {
        const uint8_t lo = pop();
        pc = static_cast<uint16_t>((lo | (pop() << 8)) + 1);
        spent += 6;
        break;
      }
      case 0x40: {
        pullStatus();
        const uint8_t lo = pop();
        pc = static_cast<uint16_t>(lo | (pop() << 8));
        spent += 6;
        break;
      }
      case 0x00: {
        ++pc;  // the padding byte
        push(static_cast<uint8_t>(pc >> 8));
        push(static_cast<uint8_t>(pc));
        push(p | kFlagB);
        p |= kFlagI;
        const uint8_t lo = read(kIrqVector);
        pc = static_cast<uint16_t>(lo | (read(kIrqVector + 1) << 8));
        spent += 7;
        break;
      }

      // Stack.
      case 0x48: push(a); spent += 3; break;
      case 0x08: push(p | kFlagB | kFlagR); spent += 3; break;
      case 0x68: a = pop(); setZn(a); spent += 4; break;
      case 0x28: pullStatus(); spent += 4; break;

      // Flags, transfers, counters.
      case 0x18: p &= static_cast<uint8_t>(~kFlagC); spent += 2; break;
      case 0x38: p |= kFlagC; spent += 2; break;
      case 0x58: p &= static_cast<uint8_t>(~kFlagI); spent += 2; break;
      case 0x78: p |= kFlagI; spent += 2; break;
      case 0xB8: p &= static_cast<uint8_t>(~kFlagV); spent += 2; break;
      case 0xD8: p &= static_cast<uint8_t>(~kFlagD); spent += 2; break;
      case 0xF8: p |= kFlagD; spent += 2; break;
      case 0xAA: x = a; setZn(x); spent += 2; break;
      case 0xA8: y = a; setZn(y); spent += 2; break;
      case 0x8A: a = x; setZn(a); spent += 2; break;
      case 0x98: a = y; setZn(a); spent += 2; break;
      case 0xBA: x = s; setZn(x); spent += 2; break;
      case 0x9A: s = x; spent += 2; break;
      case 0xE8: setZn(++x); spent += 2; break;
      case 0xC8: setZn(++y); spent += 2; break;
      case 0xCA: setZn(--x); spent += 2; break;
      case 0x88: setZn(--y); spent += 2; break;

      // Unofficial immediates.
      case 0x0B:
      case 0x2B:
        a &= fetch();
        setZn(a);
        p = static_cast<uint8_t>((p & ~kFlagC) | (a >> 7));
        spent += 2;
        break;
      case 0x4B: a = lsr(a & fetch()); spent += 2; break;
      case 0x6B: {
        a = static_cast<uint8_t>(((a & fetch()) >> 1) | ((p & kFlagC) << 7));
        setZn(a);
        p &= static_cast<uint8_t>(~(kFlagC | kFlagV));
        p |= (a >> 6) & kFlagC;
        if (((a >> 6) ^ (a >> 5)) & 1) p |= kFlagV;
        spent += 2;
        break;
      }
      case 0x8B: a = static_cast<uint8_t>((a | 0xEE) & x & fetch()); setZn(a); spent += 2; break;
      case 0xAB: a = x = static_cast<uint8_t>((a | 0xEE) & fetch()); setZn(a); spent += 2; break;
      case 0xCB: {
        const uint8_t v = fetch();
        const uint8_t ax = a & x;
        p = static_cast<uint8_t>((p & ~kFlagC) | (ax >= v ? kFlagC : 0));
        x = static_cast<uint8_t>(ax - v);
        setZn(x);
        spent += 2;
        break;
      }
      case 0xEB: sbc(fetch()); spent += 2; break;

      // Unofficial stores that AND with the target's high byte + 1.
      case 0x93: {
        const uint8_t z = fetch();
        const uint16_t base = static_cast<uint16_t>(ram[z] | (ram[static_cast<uint8_t>(z + 1)] << 8));
        shStore(base, y, a & x);
        spent += 6;
        break;
      }
      case 0x9F: shStore(absolute(), y, a & x); spent += 5; break;
      case 0x9B: s = a & x; shStore(absolute(), y, s); spent += 5; break;
      case 0x9C: shStore(absolute(), x, y); spent += 5; break;
      case 0x9E: shStore(absolute(), y, x); spent += 5; break;
      case 0xBB: {
        a = x = s = static_cast<uint8_t>(s & read(indexed(y, true)));
        setZn(a);
        spent += 4;
        break;
      }

      // NOPs: operand bytes are consumed, never read as data.
      case 0xEA: case 0x1A: case 0x3A: case 0x5A: case 0x7A: case 0xDA: case 0xFA:
        spent += 2;
        break;
      case 0x80: case 0x82: case 0x89: case 0xC2: case 0xE2:
        ++pc;
        spent += 2;
        break;
      case 0x04: case 0x44: case 0x64:
        ++pc;
        spent += 3;
        break;
      case 0x14: case 0x34: case 0x54: case 0x74: case 0xD4: case 0xF4:
        ++pc;
        spent += 4;
        break;
      case 0x0C:
        pc = static_cast<uint16_t>(pc + 2);
        spent += 4;
        break;
      case 0x1C: case 0x3C: case 0x5C: case 0x7C: case 0xDC: case 0xFC:
        indexed(x, true);
        spent += 4;
        break;

      // Halt: stays on the opcode until reset.
      case 0x02: case 0x12: case 0x22: case 0x32: case 0x42: case 0x52:
      case 0x62: case 0x72: case 0x92: case 0xB2: case 0xD2: case 0xF2:
        --pc;
        spent += kHaltCycles;
        break;
    }

    finish();
    continue;

  looped_back:
    finish();
    if (skipIdleLoops_ && request > 0) {
      // A loop lately found busy is passed by at once.
      RejectedLoop& rejected = rejected_[pc % kRejectedLoops];
      if (rejected.head == pc && rejected.wait > 0 && idleLoop_.Head() != pc) {
        --rejected.wait;
        continue;
      }
      save();
      if (SkipIdleLoop(request, true, CIdleLoop::KeyOf(pc, a, x, y, s, p)) != 0) {
        return static_cast<int>(total_ - start);
      }
    }
  }
#undef QGU_READ_GROUP
#undef QGU_RMW_GROUP
#undef QGU_COMBO_GROUP

  save();
  return static_cast<int>(total_ - start);
}

}  // namespace qgu::core
