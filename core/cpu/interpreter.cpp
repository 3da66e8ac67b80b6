// CCpu's interpreter: one function, threaded. Every handler ends with its own
// copy of the step to the next instruction (count the cycles, clock the
// mapper if it asks, fetch, jump through the handler table), so the
// processor's branch predictor sees one jump per handler instead of one
// shared jump for all of them.
#include <cstdint>

#include "core/cpu/cpu.h"
#include "core/machine.h"
#include "core/mappers/mapper.h"
#include "core/memory_map.h"

namespace qgu::core {

namespace {
constexpr uint16_t kNmiVector = 0xFFFA;
constexpr uint16_t kIrqVector = 0xFFFE;
constexpr int kHaltCycles = 4;

// The bits of the interpreter's one test after every instruction.
constexpr uint8_t kClockMapper = 0x01;
constexpr uint8_t kAttention = 0x02;
constexpr uint8_t kAfterRound = 0x04;  // the instruction in hand came after a stall or an interrupt entry

// A byte through the CPU page table (opcodes, operands, ROM and plain RAM).
inline uint8_t PageByte(const CMemoryMap& memory, uint16_t address) {
  return memory.cpuPage[address >> 13][address & 0x1FFF];
}
}  // namespace

uint8_t CCpu::BusRead(uint16_t address) { return machine_.CpuRead(address); }
void CCpu::BusWrite(uint16_t address, uint8_t data) { machine_.CpuWrite(address, data); }

uint8_t CCpu::Checks() const {
  return static_cast<uint8_t>((mapper_->WantsCpuClock() ? kClockMapper : 0) |
                              (pending_ != 0 || dmaStall_ != 0 ? kAttention : 0));
}

// Registers, the cycle total and what needs attention between instructions
// (a DMA stall, a pending interrupt, the mapper's clock) live in locals while
// it runs and are written back before anything outside can look at them (bus
// calls, the mapper's clock). A picture-unit write may run one more
// instruction re-entrantly, so the locals are reloaded after every bus call;
// that instruction's cycles are not part of this request.
//
// The helpers are macros, not lambdas: a lambda capturing the locals by
// reference takes their addresses, and the compiler then keeps the registers
// of the 6502 in memory instead of in machine registers.
int CCpu::Interpret(int request) {
  const uint32_t start = total_;
  // The cycle total is stop - left: left counts down to the end of the request.
  uint32_t stop = start + static_cast<uint32_t>(request);
  int left = request;
  CMemoryMap& memory = *memory_;
  // Console RAM and the stack as offsets from the memory block, not pointers of their own.
  uint8_t (&ram)[sizeof memory.workRam] = memory.workRam;
  const bool plainCartridgeRam = plainCartridgeRam_;
  const bool skipIdleLoops = skipIdleLoops_;
  uint16_t pc = 0;
  uint8_t a = 0, x = 0, y = 0, s = 0, p = 0;
  // N and Z are kept as the value they come from, made into flags only when P
  // is pushed or written back: Z when its low byte is 0, N when bit 7 or 8 is
  // set (bit 8 carries BIT's N, whose Z comes from another value). P's own N
  // and Z bits are stale meanwhile.
  unsigned nz = 0;
  // Tested once after every instruction: the mapper wants its clock
  // (kClockMapper) or a DMA stall or interrupt is pending (kAttention).
  uint8_t checks = 0;
  int cycles = 0;  // of the instruction just run, for the mapper's clock
  int pre = 0;     // a DMA stall and an interrupt entry before the instruction in hand

#define QGU_STATUS() \
  static_cast<uint8_t>((p & 0x7D) | ((nz & 0x180) ? kFlagN : 0) | ((nz & 0xFF) ? 0 : kFlagZ))
#define QGU_TAKE_STATUS(value)                                                        \
  do {                                                                                \
    p = (value);                                                                      \
    nz = ((p & kFlagZ) ? 0u : 1u) | ((p & kFlagN) << 1);                              \
  } while (false)
#define QGU_SAVE() \
  (pc_ = pc, a_ = a, x_ = x, y_ = y, s_ = s, p_ = QGU_STATUS(), total_ = stop - static_cast<uint32_t>(left))
  // Instructions run: the registers leave the idle loop's steps (a nested
  // request of a register write may have counted passes of one).
#define QGU_LOAD()                                 \
  do {                                             \
    if (idleStep_ >= 0) SettleIdleRegisters();     \
    pc = pc_; a = a_; x = x_; y = y_; s = s_;      \
    QGU_TAKE_STATUS(p_);                           \
    stop = total_ + static_cast<uint32_t>(left);   \
    checks = static_cast<uint8_t>(Checks() | (checks & kAfterRound)); \
  } while (false)
  QGU_LOAD();

#define QGU_FETCH() PageByte(memory, pc++)
#define QGU_READ(address)                                                                     \
  ({                                                                                          \
    const uint16_t ea_ = (address);                                                           \
    uint8_t v_;                                                                               \
    if (ea_ < 0x2000) {                                                                       \
      v_ = ram[ea_ & 0x7FF];                                                                  \
    } else if (ea_ >= 0x6000 && (ea_ >= 0x8000 || plainCartridgeRam)) {                       \
      v_ = PageByte(memory, ea_);                                                             \
    } else {                                                                                  \
      QGU_SAVE();                                                                             \
      v_ = BusRead(ea_);                                                                      \
      QGU_LOAD();                                                                             \
    }                                                                                         \
    v_;                                                                                       \
  })
#define QGU_WRITE(address, value)                             \
  do {                                                        \
    const uint16_t ea_ = (address);                           \
    const uint8_t v_ = (value);                               \
    if (ea_ < 0x2000) {                                       \
      ram[ea_ & 0x7FF] = v_;                                  \
    } else if (ea_ >= 0x6000 && ea_ < 0x8000 && plainCartridgeRam) { \
      memory.cpuPage[3][ea_ & 0x1FFF] = v_;                   \
    } else {                                                  \
      QGU_SAVE();                                             \
      BusWrite(ea_, v_);                                      \
      QGU_LOAD();                                             \
    }                                                         \
  } while (false)
// The mapper's IRQ looks at the I flag.
#define QGU_CLOCK_MAPPER()                       \
  do {                                           \
    QGU_SAVE();                                  \
    mapper_->CpuClock(cycles);                   \
    checks = Checks();                           \
  } while (false)
#define QGU_END_ROUND()                             \
  do {                                              \
    stop += static_cast<uint32_t>(pre);             \
    cycles += pre;                                  \
    checks &= static_cast<uint8_t>(~kAfterRound);   \
  } while (false)
#define QGU_PUSH(value) (ram[0x100 + s--] = (value))
#define QGU_POP() (ram[0x100 + ++s])
#define QGU_SET_ZN(value) (nz = static_cast<uint8_t>(value))

  // Addressing modes.
#define QGU_ABSOLUTE()                        \
  ({                                          \
    const uint16_t lo_ = QGU_FETCH();         \
    static_cast<uint16_t>(lo_ | (QGU_FETCH() << 8)); \
  })
#define QGU_INDEXED(index) static_cast<uint16_t>(QGU_ABSOLUTE() + (index))
  // The modes that take a cycle more when the index crosses a page count it in `extra`.
#define QGU_INDEXED_PAGED(index, extra)                              \
  ({                                                                 \
    const uint16_t base_ = QGU_ABSOLUTE();                           \
    const uint16_t at_ = static_cast<uint16_t>(base_ + (index));     \
    extra += ((base_ ^ at_) >> 8) & 1;                               \
    at_;                                                             \
  })
#define QGU_INDIRECT_X()                                                              \
  ({                                                                                  \
    const uint8_t z_ = static_cast<uint8_t>(QGU_FETCH() + x);                         \
    static_cast<uint16_t>(ram[z_] | (ram[static_cast<uint8_t>(z_ + 1)] << 8));        \
  })
#define QGU_INDIRECT_BASE()                                                                      \
  ({                                                                                             \
    const uint8_t z_ = QGU_FETCH();                                                              \
    static_cast<uint16_t>(ram[z_] | (ram[static_cast<uint8_t>(z_ + 1)] << 8));                   \
  })
#define QGU_INDIRECT_Y() static_cast<uint16_t>(QGU_INDIRECT_BASE() + y)
#define QGU_INDIRECT_Y_PAGED(extra)                                                              \
  ({                                                                                             \
    const uint16_t base_ = QGU_INDIRECT_BASE();                                                  \
    const uint16_t at_ = static_cast<uint16_t>(base_ + y);                                       \
    extra += ((base_ ^ at_) >> 8) & 1;                                                           \
    at_;                                                                                         \
  })
#define QGU_ZERO_X() static_cast<uint8_t>(QGU_FETCH() + x)
#define QGU_ZERO_Y() static_cast<uint8_t>(QGU_FETCH() + y)

  // Operations.
#define QGU_ADC(value)                                       \
  do {                                                       \
    const uint8_t m_ = (value);                              \
    const unsigned sum_ = a + m_ + (p & kFlagC);             \
    p &= static_cast<uint8_t>(~(kFlagC | kFlagV));           \
    p |= static_cast<uint8_t>(sum_ >> 8);                    \
    if (~(a ^ m_) & (a ^ sum_) & 0x80) p |= kFlagV;          \
    a = static_cast<uint8_t>(sum_);                          \
    QGU_SET_ZN(a);                                           \
  } while (false)
#define QGU_SBC(value) QGU_ADC(static_cast<uint8_t>((value) ^ 0xFF))
#define QGU_COMPARE(reg, value)                                            \
  do {                                                                     \
    const uint8_t m_ = (value);                                            \
    p = static_cast<uint8_t>((p & ~kFlagC) | ((reg) >= m_ ? kFlagC : 0));  \
    QGU_SET_ZN(static_cast<uint8_t>((reg) - m_));                          \
  } while (false)
#define QGU_BIT(value)                                                             \
  do {                                                                             \
    const uint8_t m_ = (value);                                                    \
    p = static_cast<uint8_t>((p & ~kFlagV) | (m_ & kFlagV));                       \
    nz = (a & m_) | ((m_ & kFlagN) << 1);                                          \
  } while (false)
#define QGU_ASL(value)                                          \
  ({                                                            \
    const uint8_t m_ = (value);                                 \
    p = static_cast<uint8_t>((p & ~kFlagC) | (m_ >> 7));        \
    const uint8_t r_ = static_cast<uint8_t>(m_ << 1);           \
    QGU_SET_ZN(r_);                                             \
    r_;                                                         \
  })
#define QGU_LSR(value)                                          \
  ({                                                            \
    const uint8_t m_ = (value);                                 \
    p = static_cast<uint8_t>((p & ~kFlagC) | (m_ & 1));         \
    const uint8_t r_ = static_cast<uint8_t>(m_ >> 1);           \
    QGU_SET_ZN(r_);                                             \
    r_;                                                         \
  })
#define QGU_ROL(value)                                             \
  ({                                                               \
    const uint8_t m_ = (value);                                    \
    const uint8_t carry_ = p & kFlagC;                             \
    p = static_cast<uint8_t>((p & ~kFlagC) | (m_ >> 7));           \
    const uint8_t r_ = static_cast<uint8_t>((m_ << 1) | carry_);   \
    QGU_SET_ZN(r_);                                                \
    r_;                                                            \
  })
#define QGU_ROR(value)                                               \
  ({                                                                 \
    const uint8_t m_ = (value);                                      \
    const uint8_t carry_ = static_cast<uint8_t>((p & kFlagC) << 7);  \
    p = static_cast<uint8_t>((p & ~kFlagC) | (m_ & 1));              \
    const uint8_t r_ = static_cast<uint8_t>((m_ >> 1) | carry_);     \
    QGU_SET_ZN(r_);                                                  \
    r_;                                                              \
  })
#define QGU_INC(value)                                   \
  ({                                                     \
    const uint8_t r_ = static_cast<uint8_t>((value) + 1); \
    QGU_SET_ZN(r_);                                      \
    r_;                                                  \
  })
#define QGU_DEC(value)                                   \
  ({                                                     \
    const uint8_t r_ = static_cast<uint8_t>((value) - 1); \
    QGU_SET_ZN(r_);                                      \
    r_;                                                  \
  })
#define QGU_INTERRUPT(vector)                                                                      \
  do {                                                                                             \
    QGU_PUSH(static_cast<uint8_t>(pc >> 8));                                                       \
    QGU_PUSH(static_cast<uint8_t>(pc));                                                            \
    QGU_PUSH(static_cast<uint8_t>(QGU_STATUS() & ~kFlagB));                                        \
    p |= kFlagI;                                                                                   \
    pc = static_cast<uint16_t>(PageByte(memory, (vector)) | (PageByte(memory, (vector) + 1) << 8)); \
    pre += kInterruptCycles;                                                                       \
  } while (false)
  // PLP and RTI: the break flag is not a register bit, bit 5 always reads 1.
#define QGU_PULL_STATUS() QGU_TAKE_STATUS(static_cast<uint8_t>((QGU_POP() & ~kFlagB) | kFlagR))
  // SHA/SHX/SHY/TAS: the value is ANDed with the operand's high byte + 1.
#define QGU_SH_STORE(baseAddress, index, value)                                        \
  do {                                                                                 \
    const uint16_t base_ = (baseAddress);                                              \
    uint16_t at_ = static_cast<uint16_t>(base_ + (index));                             \
    const uint8_t r_ = static_cast<uint8_t>((value) & ((base_ >> 8) + 1));             \
    if ((base_ ^ at_) & 0x100) at_ = static_cast<uint16_t>((at_ & 0xFF) | (r_ << 8));  \
    QGU_WRITE(at_, r_);                                                                \
  } while (false)

  // The handlers, by opcode; names are the mnemonic and the addressing mode.
  static const void* const kHandlers[256] = {
#define QGU_ROW(h0, h1, h2, h3, h4, h5, h6, h7, h8, h9, hA, hB, hC, hD, hE, hF) \
  &&h0, &&h1, &&h2, &&h3, &&h4, &&h5, &&h6, &&h7, &&h8, &&h9, &&hA, &&hB, &&hC, &&hD, &&hE, &&hF,
      QGU_ROW(BRK, ORA_izx, HLT, SLO_izx, NOP_zp, ORA_zp, ASL_zp, SLO_zp,
              PHP, ORA_imm, ASL_acc, ANC, NOP_abs, ORA_abs, ASL_abs, SLO_abs)
      QGU_ROW(BPL, ORA_izy, HLT, SLO_izy, NOP_zpx, ORA_zpx, ASL_zpx, SLO_zpx,
              CLC, ORA_aby, NOP, SLO_aby, NOP_abx, ORA_abx, ASL_abx, SLO_abx)
      QGU_ROW(JSR, AND_izx, HLT, RLA_izx, BIT_zp, AND_zp, ROL_zp, RLA_zp,
              PLP, AND_imm, ROL_acc, ANC, BIT_abs, AND_abs, ROL_abs, RLA_abs)
      QGU_ROW(BMI, AND_izy, HLT, RLA_izy, NOP_zpx, AND_zpx, ROL_zpx, RLA_zpx,
              SEC, AND_aby, NOP, RLA_aby, NOP_abx, AND_abx, ROL_abx, RLA_abx)
      QGU_ROW(RTI, EOR_izx, HLT, SRE_izx, NOP_zp, EOR_zp, LSR_zp, SRE_zp,
              PHA, EOR_imm, LSR_acc, ALR, JMP_abs, EOR_abs, LSR_abs, SRE_abs)
      QGU_ROW(BVC, EOR_izy, HLT, SRE_izy, NOP_zpx, EOR_zpx, LSR_zpx, SRE_zpx,
              CLI, EOR_aby, NOP, SRE_aby, NOP_abx, EOR_abx, LSR_abx, SRE_abx)
      QGU_ROW(RTS, ADC_izx, HLT, RRA_izx, NOP_zp, ADC_zp, ROR_zp, RRA_zp,
              PLA, ADC_imm, ROR_acc, ARR, JMP_ind, ADC_abs, ROR_abs, RRA_abs)
      QGU_ROW(BVS, ADC_izy, HLT, RRA_izy, NOP_zpx, ADC_zpx, ROR_zpx, RRA_zpx,
              SEI, ADC_aby, NOP, RRA_aby, NOP_abx, ADC_abx, ROR_abx, RRA_abx)
      QGU_ROW(NOP_imm, STA_izx, NOP_imm, SAX_izx, STY_zp, STA_zp, STX_zp, SAX_zp,
              DEY, NOP_imm, TXA, XAA, STY_abs, STA_abs, STX_abs, SAX_abs)
      QGU_ROW(BCC, STA_izy, HLT, SHA_izy, STY_zpx, STA_zpx, STX_zpy, SAX_zpy,
              TYA, STA_aby, TXS, TAS, SHY, STA_abx, SHX, SHA_aby)
      QGU_ROW(LDY_imm, LDA_izx, LDX_imm, LAX_izx, LDY_zp, LDA_zp, LDX_zp, LAX_zp,
              TAY, LDA_imm, TAX, LXA, LDY_abs, LDA_abs, LDX_abs, LAX_abs)
      QGU_ROW(BCS, LDA_izy, HLT, LAX_izy, LDY_zpx, LDA_zpx, LDX_zpy, LAX_zpy,
              CLV, LDA_aby, TSX, LAS, LDY_abx, LDA_abx, LDX_aby, LAX_aby)
      QGU_ROW(CPY_imm, CMP_izx, NOP_imm, DCP_izx, CPY_zp, CMP_zp, DEC_zp, DCP_zp,
              INY, CMP_imm, DEX, AXS, CPY_abs, CMP_abs, DEC_abs, DCP_abs)
      QGU_ROW(BNE, CMP_izy, HLT, DCP_izy, NOP_zpx, CMP_zpx, DEC_zpx, DCP_zpx,
              CLD, CMP_aby, NOP, DCP_aby, NOP_abx, CMP_abx, DEC_abx, DCP_abx)
      QGU_ROW(CPX_imm, SBC_izx, NOP_imm, ISB_izx, CPX_zp, SBC_zp, INC_zp, ISB_zp,
              INX, SBC_imm, NOP, SBC_imm, CPX_abs, SBC_abs, INC_abs, ISB_abs)
      QGU_ROW(BEQ, SBC_izy, HLT, ISB_izy, NOP_zpx, SBC_zpx, INC_zpx, ISB_zpx,
              SED, SBC_aby, NOP, ISB_aby, NOP_abx, SBC_abx, INC_abx, ISB_abx)
#undef QGU_ROW
  };

// The end of every handler: count the instruction, clock the mapper, and
// go on to the next one unless the request is spent or something needs
// attention first.
#define QGU_NEXT(count)                 \
  {                                     \
    left -= (count);                    \
    if (checks) {                       \
      cycles = (count);                 \
      goto checked;                     \
    }                                   \
    if (left <= 0) goto done;           \
    goto* kHandlers[QGU_FETCH()];       \
  }

// Eight addressing modes of the accumulator group (ORA AND EOR ADC LDA CMP SBC).
#define QGU_READ_GROUP(name, OP)                                                  \
  name##_imm: { const uint8_t v = QGU_FETCH(); OP; QGU_NEXT(2) }                      \
  name##_zp: { const uint8_t v = ram[QGU_FETCH()]; OP; QGU_NEXT(3) }                  \
  name##_zpx: { const uint8_t v = ram[QGU_ZERO_X()]; OP; QGU_NEXT(4) }                 \
  name##_abs: { const uint8_t v = QGU_READ(QGU_ABSOLUTE()); OP; QGU_NEXT(4) }             \
  name##_abx: { int extra = 0; const uint8_t v = QGU_READ(QGU_INDEXED_PAGED(x, extra)); OP; QGU_NEXT(4 + extra) } \
  name##_aby: { int extra = 0; const uint8_t v = QGU_READ(QGU_INDEXED_PAGED(y, extra)); OP; QGU_NEXT(4 + extra) } \
  name##_izx: { const uint8_t v = QGU_READ(QGU_INDIRECT_X()); OP; QGU_NEXT(6) }            \
  name##_izy: { int extra = 0; const uint8_t v = QGU_READ(QGU_INDIRECT_Y_PAGED(extra)); OP; QGU_NEXT(5 + extra) }

// Read-modify-write: ASL ROL LSR ROR DEC INC.
#define QGU_RMW_GROUP(name, FN)                                                                     \
  name##_zp: { const uint8_t ea = QGU_FETCH(); ram[ea] = FN(ram[ea]); QGU_NEXT(5) }                     \
  name##_zpx: { const uint8_t ea = QGU_ZERO_X(); ram[ea] = FN(ram[ea]); QGU_NEXT(6) }                    \
  name##_abs: { const uint16_t ea = QGU_ABSOLUTE(); QGU_WRITE(ea, FN(QGU_READ(ea))); QGU_NEXT(6) }              \
  name##_abx: { const uint16_t ea = QGU_INDEXED(x); QGU_WRITE(ea, FN(QGU_READ(ea))); QGU_NEXT(7) }

// Unofficial read-modify-write then accumulator operation: SLO RLA SRE RRA DCP ISB.
#define QGU_COMBO_GROUP(name, FN, OP)                                                                         \
  name##_zp: { const uint8_t ea = QGU_FETCH(); const uint8_t v = FN(ram[ea]); ram[ea] = v; OP; QGU_NEXT(5) }      \
  name##_zpx: { const uint8_t ea = QGU_ZERO_X(); const uint8_t v = FN(ram[ea]); ram[ea] = v; OP; QGU_NEXT(6) }     \
  name##_abs: { const uint16_t ea = QGU_ABSOLUTE(); const uint8_t v = FN(QGU_READ(ea)); QGU_WRITE(ea, v); OP; QGU_NEXT(6) } \
  name##_abx: { const uint16_t ea = QGU_INDEXED(x); const uint8_t v = FN(QGU_READ(ea)); QGU_WRITE(ea, v); OP; QGU_NEXT(7) } \
  name##_aby: { const uint16_t ea = QGU_INDEXED(y); const uint8_t v = FN(QGU_READ(ea)); QGU_WRITE(ea, v); OP; QGU_NEXT(7) } \
  name##_izx: { const uint16_t ea = QGU_INDIRECT_X(); const uint8_t v = FN(QGU_READ(ea)); QGU_WRITE(ea, v); OP; QGU_NEXT(8) } \
  name##_izy: { const uint16_t ea = QGU_INDIRECT_Y(); const uint8_t v = FN(QGU_READ(ea)); QGU_WRITE(ea, v); OP; QGU_NEXT(8) }

// A taken branch back a short way may close an idle loop.
#define QGU_BRANCH(condition)                                                  \
  {                                                                            \
    const int8_t offset = static_cast<int8_t>(QGU_FETCH());                    \
    if (condition) {                                                           \
      const uint16_t target = static_cast<uint16_t>(pc + offset);              \
      const int taken = ((target ^ pc) & 0x100) ? 4 : 3;                       \
      pc = target;                                                             \
      if (offset < 0 && offset >= -CIdleLoop::kMaxLoopBytes) {                 \
        left -= taken;                                                         \
        cycles = taken;                                                        \
        goto looped_back;                                                      \
      }                                                                        \
      QGU_NEXT(taken)                                                          \
    }                                                                          \
    QGU_NEXT(2)                                                                \
  }

  goto round;

  QGU_READ_GROUP(ORA, a |= v; QGU_SET_ZN(a))
  QGU_READ_GROUP(AND, a &= v; QGU_SET_ZN(a))
  QGU_READ_GROUP(EOR, a ^= v; QGU_SET_ZN(a))
  QGU_READ_GROUP(ADC, QGU_ADC(v))
  QGU_READ_GROUP(LDA, a = v; QGU_SET_ZN(a))
  QGU_READ_GROUP(CMP, QGU_COMPARE(a, v))
  QGU_READ_GROUP(SBC, QGU_SBC(v))

  QGU_RMW_GROUP(ASL, QGU_ASL)
  QGU_RMW_GROUP(ROL, QGU_ROL)
  QGU_RMW_GROUP(LSR, QGU_LSR)
  QGU_RMW_GROUP(ROR, QGU_ROR)
  QGU_RMW_GROUP(DEC, QGU_DEC)
  QGU_RMW_GROUP(INC, QGU_INC)
ASL_acc: a = QGU_ASL(a); QGU_NEXT(2)
ROL_acc: a = QGU_ROL(a); QGU_NEXT(2)
LSR_acc: a = QGU_LSR(a); QGU_NEXT(2)
ROR_acc: a = QGU_ROR(a); QGU_NEXT(2)

  QGU_COMBO_GROUP(SLO, QGU_ASL, a |= v; QGU_SET_ZN(a))
  QGU_COMBO_GROUP(RLA, QGU_ROL, a &= v; QGU_SET_ZN(a))
  QGU_COMBO_GROUP(SRE, QGU_LSR, a ^= v; QGU_SET_ZN(a))
  QGU_COMBO_GROUP(RRA, QGU_ROR, QGU_ADC(v))
  QGU_COMBO_GROUP(DCP, QGU_DEC, QGU_COMPARE(a, v))
  QGU_COMBO_GROUP(ISB, QGU_INC, QGU_SBC(v))

  // Stores.
STA_zp: ram[QGU_FETCH()] = a; QGU_NEXT(3)
STA_zpx: ram[QGU_ZERO_X()] = a; QGU_NEXT(4)
STA_abs: QGU_WRITE(QGU_ABSOLUTE(), a); QGU_NEXT(4)
STA_abx: QGU_WRITE(QGU_INDEXED(x), a); QGU_NEXT(5)
STA_aby: QGU_WRITE(QGU_INDEXED(y), a); QGU_NEXT(5)
STA_izx: QGU_WRITE(QGU_INDIRECT_X(), a); QGU_NEXT(6)
STA_izy: QGU_WRITE(QGU_INDIRECT_Y(), a); QGU_NEXT(6)
STX_zp: ram[QGU_FETCH()] = x; QGU_NEXT(3)
STX_zpy: ram[QGU_ZERO_Y()] = x; QGU_NEXT(4)
STX_abs: QGU_WRITE(QGU_ABSOLUTE(), x); QGU_NEXT(4)
STY_zp: ram[QGU_FETCH()] = y; QGU_NEXT(3)
STY_zpx: ram[QGU_ZERO_X()] = y; QGU_NEXT(4)
STY_abs: QGU_WRITE(QGU_ABSOLUTE(), y); QGU_NEXT(4)
SAX_zp: ram[QGU_FETCH()] = a & x; QGU_NEXT(3)
SAX_zpy: ram[QGU_ZERO_Y()] = a & x; QGU_NEXT(4)
SAX_abs: QGU_WRITE(QGU_ABSOLUTE(), a & x); QGU_NEXT(4)
SAX_izx: QGU_WRITE(QGU_INDIRECT_X(), a & x); QGU_NEXT(6)

  // Loads of X and Y, and LAX.
LDX_imm: x = QGU_FETCH(); QGU_SET_ZN(x); QGU_NEXT(2)
LDX_zp: x = ram[QGU_FETCH()]; QGU_SET_ZN(x); QGU_NEXT(3)
LDX_zpy: x = ram[QGU_ZERO_Y()]; QGU_SET_ZN(x); QGU_NEXT(4)
LDX_abs: x = QGU_READ(QGU_ABSOLUTE()); QGU_SET_ZN(x); QGU_NEXT(4)
LDX_aby: {
  int extra = 0;
  x = QGU_READ(QGU_INDEXED_PAGED(y, extra));
  QGU_SET_ZN(x);
  QGU_NEXT(4 + extra)
}
LDY_imm: y = QGU_FETCH(); QGU_SET_ZN(y); QGU_NEXT(2)
LDY_zp: y = ram[QGU_FETCH()]; QGU_SET_ZN(y); QGU_NEXT(3)
LDY_zpx: y = ram[QGU_ZERO_X()]; QGU_SET_ZN(y); QGU_NEXT(4)
LDY_abs: y = QGU_READ(QGU_ABSOLUTE()); QGU_SET_ZN(y); QGU_NEXT(4)
LDY_abx: {
  int extra = 0;
  y = QGU_READ(QGU_INDEXED_PAGED(x, extra));
  QGU_SET_ZN(y);
  QGU_NEXT(4 + extra)
}
LAX_zp: a = x = ram[QGU_FETCH()]; QGU_SET_ZN(a); QGU_NEXT(3)
LAX_zpy: a = x = ram[QGU_ZERO_Y()]; QGU_SET_ZN(a); QGU_NEXT(4)
LAX_abs: a = x = QGU_READ(QGU_ABSOLUTE()); QGU_SET_ZN(a); QGU_NEXT(4)
LAX_aby: {
  int extra = 0;
  a = x = QGU_READ(QGU_INDEXED_PAGED(y, extra));
  QGU_SET_ZN(a);
  QGU_NEXT(4 + extra)
}
LAX_izx: a = x = QGU_READ(QGU_INDIRECT_X()); QGU_SET_ZN(a); QGU_NEXT(6)
LAX_izy: {
  int extra = 0;
  a = x = QGU_READ(QGU_INDIRECT_Y_PAGED(extra));
  QGU_SET_ZN(a);
  QGU_NEXT(5 + extra)
}

  // Compares and BIT.
CPX_imm: QGU_COMPARE(x, QGU_FETCH()); QGU_NEXT(2)
CPX_zp: QGU_COMPARE(x, ram[QGU_FETCH()]); QGU_NEXT(3)
CPX_abs: QGU_COMPARE(x, QGU_READ(QGU_ABSOLUTE())); QGU_NEXT(4)
CPY_imm: QGU_COMPARE(y, QGU_FETCH()); QGU_NEXT(2)
CPY_zp: QGU_COMPARE(y, ram[QGU_FETCH()]); QGU_NEXT(3)
CPY_abs: QGU_COMPARE(y, QGU_READ(QGU_ABSOLUTE())); QGU_NEXT(4)
BIT_zp: QGU_BIT(ram[QGU_FETCH()]); QGU_NEXT(3)
BIT_abs: QGU_BIT(QGU_READ(QGU_ABSOLUTE())); QGU_NEXT(4)

  // Branches.
BPL: QGU_BRANCH(!(nz & 0x180))
BMI: QGU_BRANCH(nz & 0x180)
BVC: QGU_BRANCH(!(p & kFlagV))
BVS: QGU_BRANCH(p & kFlagV)
BCC: QGU_BRANCH(!(p & kFlagC))
BCS: QGU_BRANCH(p & kFlagC)
BNE: QGU_BRANCH(nz & 0xFF)
BEQ: QGU_BRANCH(!(nz & 0xFF))

  // Jumps, calls, returns.
JMP_abs: {
  const uint16_t at = static_cast<uint16_t>(pc - 1);
  pc = QGU_ABSOLUTE();
  if (static_cast<uint16_t>(at - pc) <= CIdleLoop::kMaxLoopBytes) {
    left -= 3;
    cycles = 3;
    goto looped_back;
  }
  QGU_NEXT(3)
}
JMP_ind: {
  const uint16_t pointer = QGU_ABSOLUTE();
  // The pointer's high byte is fetched without carrying into its page.
  const uint8_t lo = QGU_READ(pointer);
  const uint8_t hi = QGU_READ(static_cast<uint16_t>((pointer & 0xFF00) | ((pointer + 1) & 0xFF)));
  pc = static_cast<uint16_t>(lo | (hi << 8));
  QGU_NEXT(5)
}
JSR: {
  const uint8_t lo = QGU_FETCH();
  QGU_PUSH(static_cast<uint8_t>(pc >> 8));
  QGU_PUSH(static_cast<uint8_t>(pc));
  const uint8_t hi = QGU_FETCH();
  pc = static_cast<uint16_t>(lo | (hi << 8));
  QGU_NEXT(6)
}
RTS: {
  const uint8_t lo = QGU_POP();
  pc = static_cast<uint16_t>((lo | (QGU_POP() << 8)) + 1);
  QGU_NEXT(6)
}
RTI: {
  QGU_PULL_STATUS();
  const uint8_t lo = QGU_POP();
  pc = static_cast<uint16_t>(lo | (QGU_POP() << 8));
  QGU_NEXT(6)
}
BRK: {
  ++pc;  // the padding byte
  QGU_PUSH(static_cast<uint8_t>(pc >> 8));
  QGU_PUSH(static_cast<uint8_t>(pc));
  QGU_PUSH(QGU_STATUS() | kFlagB);
  p |= kFlagI;
  const uint8_t lo = QGU_READ(kIrqVector);
  pc = static_cast<uint16_t>(lo | (QGU_READ(kIrqVector + 1) << 8));
  QGU_NEXT(7)
}

  // Stack.
PHA: QGU_PUSH(a); QGU_NEXT(3)
PHP: QGU_PUSH(QGU_STATUS() | kFlagB | kFlagR); QGU_NEXT(3)
PLA: a = QGU_POP(); QGU_SET_ZN(a); QGU_NEXT(4)
PLP: QGU_PULL_STATUS(); QGU_NEXT(4)

  // Flags, transfers, counters.
CLC: p &= static_cast<uint8_t>(~kFlagC); QGU_NEXT(2)
SEC: p |= kFlagC; QGU_NEXT(2)
CLI: p &= static_cast<uint8_t>(~kFlagI); QGU_NEXT(2)
SEI: p |= kFlagI; QGU_NEXT(2)
CLV: p &= static_cast<uint8_t>(~kFlagV); QGU_NEXT(2)
CLD: p &= static_cast<uint8_t>(~kFlagD); QGU_NEXT(2)
SED: p |= kFlagD; QGU_NEXT(2)
TAX: x = a; QGU_SET_ZN(x); QGU_NEXT(2)
TAY: y = a; QGU_SET_ZN(y); QGU_NEXT(2)
TXA: a = x; QGU_SET_ZN(a); QGU_NEXT(2)
TYA: a = y; QGU_SET_ZN(a); QGU_NEXT(2)
TSX: x = s; QGU_SET_ZN(x); QGU_NEXT(2)
TXS: s = x; QGU_NEXT(2)
INX: QGU_SET_ZN(++x); QGU_NEXT(2)
INY: QGU_SET_ZN(++y); QGU_NEXT(2)
DEX: QGU_SET_ZN(--x); QGU_NEXT(2)
DEY: QGU_SET_ZN(--y); QGU_NEXT(2)

  // Unofficial immediates.
ANC: {
  a &= QGU_FETCH();
  QGU_SET_ZN(a);
  p = static_cast<uint8_t>((p & ~kFlagC) | (a >> 7));
  QGU_NEXT(2)
}
ALR: a = QGU_LSR(a & QGU_FETCH()); QGU_NEXT(2)
ARR: {
  a = static_cast<uint8_t>(((a & QGU_FETCH()) >> 1) | ((p & kFlagC) << 7));
  QGU_SET_ZN(a);
  p &= static_cast<uint8_t>(~(kFlagC | kFlagV));
  p |= (a >> 6) & kFlagC;
  if (((a >> 6) ^ (a >> 5)) & 1) p |= kFlagV;
  QGU_NEXT(2)
}
XAA: a = static_cast<uint8_t>((a | 0xEE) & x & QGU_FETCH()); QGU_SET_ZN(a); QGU_NEXT(2)
LXA: a = x = static_cast<uint8_t>((a | 0xEE) & QGU_FETCH()); QGU_SET_ZN(a); QGU_NEXT(2)
AXS: {
  const uint8_t v = QGU_FETCH();
  const uint8_t ax = a & x;
  p = static_cast<uint8_t>((p & ~kFlagC) | (ax >= v ? kFlagC : 0));
  x = static_cast<uint8_t>(ax - v);
  QGU_SET_ZN(x);
  QGU_NEXT(2)
}

  // Unofficial stores that AND with the target's high byte + 1.
SHA_izy: {
  const uint8_t z = QGU_FETCH();
  const uint16_t base = static_cast<uint16_t>(ram[z] | (ram[static_cast<uint8_t>(z + 1)] << 8));
  QGU_SH_STORE(base, y, a & x);
  QGU_NEXT(6)
}
SHA_aby: QGU_SH_STORE(QGU_ABSOLUTE(), y, a & x); QGU_NEXT(5)
TAS: s = a & x; QGU_SH_STORE(QGU_ABSOLUTE(), y, s); QGU_NEXT(5)
SHY: QGU_SH_STORE(QGU_ABSOLUTE(), x, y); QGU_NEXT(5)
SHX: QGU_SH_STORE(QGU_ABSOLUTE(), y, x); QGU_NEXT(5)
LAS: {
  int extra = 0;
  a = x = s = static_cast<uint8_t>(s & QGU_READ(QGU_INDEXED_PAGED(y, extra)));
  QGU_SET_ZN(a);
  QGU_NEXT(4 + extra)
}

  // NOPs: operand bytes are consumed, never read as data. Those of the
  // abs,X mode pay for a page crossing as the processor does.
NOP: QGU_NEXT(2)
NOP_imm: ++pc; QGU_NEXT(2)
NOP_zp: ++pc; QGU_NEXT(3)
NOP_zpx: ++pc; QGU_NEXT(4)
NOP_abs: pc = static_cast<uint16_t>(pc + 2); QGU_NEXT(4)
NOP_abx: {
  int extra = 0;
  QGU_INDEXED_PAGED(x, extra);
  QGU_NEXT(4 + extra)
}

  // Halt: stays on the opcode until reset.
HLT: --pc; QGU_NEXT(kHaltCycles)

looped_back:
  if (checks & kAfterRound) QGU_END_ROUND();
  if (checks & kClockMapper) QGU_CLOCK_MAPPER();
  if (left <= 0) goto done;
  if (skipIdleLoops) {
    // A loop lately found busy is passed by at once.
    RejectedLoop& rejected = rejected_[pc % kRejectedLoops];
    if (rejected.head == pc && rejected.wait > 0 && idleLoop_.Head() != pc) {
      --rejected.wait;
    } else {
      QGU_SAVE();
      if (SkipIdleLoop(left, true, CIdleLoop::KeyOf(pc_, a_, x_, y_, s_, p_)) != 0) {
        return static_cast<int>(total_ - start);
      }
    }
  }
  if (checks & kAttention) goto round;
  goto* kHandlers[QGU_FETCH()];

  // After an instruction when the mapper wants its clock, something is
  // pending or a stall or interrupt entry came before it.
checked:
  if (checks & kAfterRound) QGU_END_ROUND();
  if (checks & kClockMapper) QGU_CLOCK_MAPPER();
  if (left <= 0) goto done;
  if (checks & kAttention) goto round;
  goto* kHandlers[QGU_FETCH()];

  // The start of an instruction when a DMA stall or an interrupt is pending.
round:
  pre = 0;
  if (dmaStall_ != 0) {
    if (left <= dmaStall_) {
      const int stall = left;
      dmaStall_ -= stall;
      left = 0;
      QGU_SAVE();
      if (mapper_->WantsCpuClock()) mapper_->CpuClock(stall);
      return static_cast<int>(total_ - start);
    }
    pre = dmaStall_;
    dmaStall_ = 0;
  }
  if (pending_ & kPendingNmi) {
    QGU_INTERRUPT(kNmiVector);
    pending_ &= static_cast<uint8_t>(~kPendingNmi);
  } else if ((pending_ & kPendingIrq) && !(p & kFlagI)) {
    QGU_INTERRUPT(kIrqVector);
    pending_ &= static_cast<uint8_t>(~kPendingIrq);
  }
  // The stall and the entry count after the instruction, as its own cycles
  // do: until then the total stays where it was (stop moves with left).
  left -= pre;
  stop -= static_cast<uint32_t>(pre);
  checks = static_cast<uint8_t>(Checks() | (pre != 0 ? kAfterRound : 0));
  goto* kHandlers[QGU_FETCH()];

done:
  QGU_SAVE();
  return static_cast<int>(total_ - start);

#undef QGU_END_ROUND
#undef QGU_INDEXED_PAGED
#undef QGU_INDIRECT_BASE
#undef QGU_INDIRECT_Y_PAGED
#undef QGU_NEXT
#undef QGU_READ_GROUP
#undef QGU_RMW_GROUP
#undef QGU_COMBO_GROUP
#undef QGU_BRANCH
#undef QGU_SAVE
#undef QGU_LOAD
#undef QGU_FETCH
#undef QGU_READ
#undef QGU_WRITE
#undef QGU_CLOCK_MAPPER
#undef QGU_PUSH
#undef QGU_POP
#undef QGU_SET_ZN
#undef QGU_STATUS
#undef QGU_TAKE_STATUS
#undef QGU_ABSOLUTE
#undef QGU_INDEXED
#undef QGU_INDIRECT_X
#undef QGU_INDIRECT_Y
#undef QGU_ZERO_X
#undef QGU_ZERO_Y
#undef QGU_ADC
#undef QGU_SBC
#undef QGU_COMPARE
#undef QGU_BIT
#undef QGU_ASL
#undef QGU_LSR
#undef QGU_ROL
#undef QGU_ROR
#undef QGU_INC
#undef QGU_DEC
#undef QGU_INTERRUPT
#undef QGU_PULL_STATUS
#undef QGU_SH_STORE
}

}  // namespace qgu::core
