#include "core/cpu/disassembler.h"

#include <cstdint>
#include <cstdio>

#include "core/cpu/cpu.h"
#include "core/machine.h"

namespace qgu::core {

namespace {

enum Mode : uint8_t { kIMP, kACC, kIMM, kZP, kZPX, kZPY, kABS, kABX, kABY, kIND, kINX, kINY, kREL };

struct Opcode {
  const char* name;
  Mode mode;
  bool official;
};

constexpr int kOperandBytes[] = {0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 1, 1, 1};

constexpr Opcode kOpcodes[256] = {
    {"BRK", kIMP, true}, {"ORA", kINX, true}, {"HLT", kIMP, false}, {"SLO", kINX, false},
    {"NOP", kZP, false}, {"ORA", kZP, true}, {"ASL", kZP, true}, {"SLO", kZP, false},
    {"PHP", kIMP, true}, {"ORA", kIMM, true}, {"ASL", kACC, true}, {"ANC", kIMM, false},
    {"NOP", kABS, false}, {"ORA", kABS, true}, {"ASL", kABS, true}, {"SLO", kABS, false},
    {"BPL", kREL, true}, {"ORA", kINY, true}, {"HLT", kIMP, false}, {"SLO", kINY, false},
    {"NOP", kZPX, false}, {"ORA", kZPX, true}, {"ASL", kZPX, true}, {"SLO", kZPX, false},
    {"CLC", kIMP, true}, {"ORA", kABY, true}, {"NOP", kIMP, false}, {"SLO", kABY, false},
    {"NOP", kABX, false}, {"ORA", kABX, true}, {"ASL", kABX, true}, {"SLO", kABX, false},
    {"JSR", kABS, true}, {"AND", kINX, true}, {"HLT", kIMP, false}, {"RLA", kINX, false},
    {"BIT", kZP, true}, {"AND", kZP, true}, {"ROL", kZP, true}, {"RLA", kZP, false},
    {"PLP", kIMP, true}, {"AND", kIMM, true}, {"ROL", kACC, true}, {"ANC", kIMM, false},
    {"BIT", kABS, true}, {"AND", kABS, true}, {"ROL", kABS, true}, {"RLA", kABS, false},
    {"BMI", kREL, true}, {"AND", kINY, true}, {"HLT", kIMP, false}, {"RLA", kINY, false},
    {"NOP", kZPX, false}, {"AND", kZPX, true}, {"ROL", kZPX, true}, {"RLA", kZPX, false},
    {"SEC", kIMP, true}, {"AND", kABY, true}, {"NOP", kIMP, false}, {"RLA", kABY, false},
    {"NOP", kABX, false}, {"AND", kABX, true}, {"ROL", kABX, true}, {"RLA", kABX, false},
    {"RTI", kIMP, true}, {"EOR", kINX, true}, {"HLT", kIMP, false}, {"SRE", kINX, false},
    {"NOP", kZP, false}, {"EOR", kZP, true}, {"LSR", kZP, true}, {"SRE", kZP, false},
    {"PHA", kIMP, true}, {"EOR", kIMM, true}, {"LSR", kACC, true}, {"ALR", kIMM, false},
    {"JMP", kABS, true}, {"EOR", kABS, true}, {"LSR", kABS, true}, {"SRE", kABS, false},
    {"BVC", kREL, true}, {"EOR", kINY, true}, {"HLT", kIMP, false}, {"SRE", kINY, false},
    {"NOP", kZPX, false}, {"EOR", kZPX, true}, {"LSR", kZPX, true}, {"SRE", kZPX, false},
    {"CLI", kIMP, true}, {"EOR", kABY, true}, {"NOP", kIMP, false}, {"SRE", kABY, false},
    {"NOP", kABX, false}, {"EOR", kABX, true}, {"LSR", kABX, true}, {"SRE", kABX, false},
    {"RTS", kIMP, true}, {"ADC", kINX, true}, {"HLT", kIMP, false}, {"RRA", kINX, false},
    {"NOP", kZP, false}, {"ADC", kZP, true}, {"ROR", kZP, true}, {"RRA", kZP, false},
    {"PLA", kIMP, true}, {"ADC", kIMM, true}, {"ROR", kACC, true}, {"ARR", kIMM, false},
    {"JMP", kIND, true}, {"ADC", kABS, true}, {"ROR", kABS, true}, {"RRA", kABS, false},
    {"BVS", kREL, true}, {"ADC", kINY, true}, {"HLT", kIMP, false}, {"RRA", kINY, false},
    {"NOP", kZPX, false}, {"ADC", kZPX, true}, {"ROR", kZPX, true}, {"RRA", kZPX, false},
    {"SEI", kIMP, true}, {"ADC", kABY, true}, {"NOP", kIMP, false}, {"RRA", kABY, false},
    {"NOP", kABX, false}, {"ADC", kABX, true}, {"ROR", kABX, true}, {"RRA", kABX, false},
    {"NOP", kIMM, false}, {"STA", kINX, true}, {"NOP", kIMM, false}, {"SAX", kINX, false},
    {"STY", kZP, true}, {"STA", kZP, true}, {"STX", kZP, true}, {"SAX", kZP, false},
    {"DEY", kIMP, true}, {"NOP", kIMM, false}, {"TXA", kIMP, true}, {"XAA", kIMM, false},
    {"STY", kABS, true}, {"STA", kABS, true}, {"STX", kABS, true}, {"SAX", kABS, false},
    {"BCC", kREL, true}, {"STA", kINY, true}, {"HLT", kIMP, false}, {"SHA", kINY, false},
    {"STY", kZPX, true}, {"STA", kZPX, true}, {"STX", kZPY, true}, {"SAX", kZPY, false},
    {"TYA", kIMP, true}, {"STA", kABY, true}, {"TXS", kIMP, true}, {"TAS", kABY, false},
    {"SHY", kABX, false}, {"STA", kABX, true}, {"SHX", kABY, false}, {"SHA", kABY, false},
    {"LDY", kIMM, true}, {"LDA", kINX, true}, {"LDX", kIMM, true}, {"LAX", kINX, false},
    {"LDY", kZP, true}, {"LDA", kZP, true}, {"LDX", kZP, true}, {"LAX", kZP, false},
    {"TAY", kIMP, true}, {"LDA", kIMM, true}, {"TAX", kIMP, true}, {"LXA", kIMM, false},
    {"LDY", kABS, true}, {"LDA", kABS, true}, {"LDX", kABS, true}, {"LAX", kABS, false},
    {"BCS", kREL, true}, {"LDA", kINY, true}, {"HLT", kIMP, false}, {"LAX", kINY, false},
    {"LDY", kZPX, true}, {"LDA", kZPX, true}, {"LDX", kZPY, true}, {"LAX", kZPY, false},
    {"CLV", kIMP, true}, {"LDA", kABY, true}, {"TSX", kIMP, true}, {"LAS", kABY, false},
    {"LDY", kABX, true}, {"LDA", kABX, true}, {"LDX", kABY, true}, {"LAX", kABY, false},
    {"CPY", kIMM, true}, {"CMP", kINX, true}, {"NOP", kIMM, false}, {"DCP", kINX, false},
    {"CPY", kZP, true}, {"CMP", kZP, true}, {"DEC", kZP, true}, {"DCP", kZP, false},
    {"INY", kIMP, true}, {"CMP", kIMM, true}, {"DEX", kIMP, true}, {"AXS", kIMM, false},
    {"CPY", kABS, true}, {"CMP", kABS, true}, {"DEC", kABS, true}, {"DCP", kABS, false},
    {"BNE", kREL, true}, {"CMP", kINY, true}, {"HLT", kIMP, false}, {"DCP", kINY, false},
    {"NOP", kZPX, false}, {"CMP", kZPX, true}, {"DEC", kZPX, true}, {"DCP", kZPX, false},
    {"CLD", kIMP, true}, {"CMP", kABY, true}, {"NOP", kIMP, false}, {"DCP", kABY, false},
    {"NOP", kABX, false}, {"CMP", kABX, true}, {"DEC", kABX, true}, {"DCP", kABX, false},
    {"CPX", kIMM, true}, {"SBC", kINX, true}, {"NOP", kIMM, false}, {"ISB", kINX, false},
    {"CPX", kZP, true}, {"SBC", kZP, true}, {"INC", kZP, true}, {"ISB", kZP, false},
    {"INX", kIMP, true}, {"SBC", kIMM, true}, {"NOP", kIMP, true}, {"SBC", kIMM, false},
    {"CPX", kABS, true}, {"SBC", kABS, true}, {"INC", kABS, true}, {"ISB", kABS, false},
    {"BEQ", kREL, true}, {"SBC", kINY, true}, {"HLT", kIMP, false}, {"ISB", kINY, false},
    {"NOP", kZPX, false}, {"SBC", kZPX, true}, {"INC", kZPX, true}, {"ISB", kZPX, false},
    {"SED", kIMP, true}, {"SBC", kABY, true}, {"NOP", kIMP, false}, {"ISB", kABY, false},
    {"NOP", kABX, false}, {"SBC", kABX, true}, {"INC", kABX, true}, {"ISB", kABX, false},
};

std::string Format(const char* format, auto... values) {
  char text[64];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

bool IsJump(const Opcode& op) {
  return op.mode == kABS && (op.name[0] == 'J');  // JMP and JSR show no memory value
}

std::string Operand(const CMachine& m, const Opcode& op, uint16_t pc, uint8_t lo, uint8_t hi,
                    const CCpu::Registers& r) {
  const uint16_t word = static_cast<uint16_t>(lo | (hi << 8));
  auto peek = [&](uint16_t address) { return m.PeekByte(address); };
  auto peekZeroWord = [&](uint8_t z) {
    return static_cast<uint16_t>(peek(z) | (peek(static_cast<uint8_t>(z + 1)) << 8));
  };
  switch (op.mode) {
    case kIMP: return "";
    case kACC: return "A";
    case kIMM: return Format("#$%02X", lo);
    case kZP: return Format("$%02X = %02X", lo, peek(lo));
    case kZPX: {
      const uint8_t ea = static_cast<uint8_t>(lo + r.x);
      return Format("$%02X,X @ %02X = %02X", lo, ea, peek(ea));
    }
    case kZPY: {
      const uint8_t ea = static_cast<uint8_t>(lo + r.y);
      return Format("$%02X,Y @ %02X = %02X", lo, ea, peek(ea));
    }
    case kABS:
      if (IsJump(op)) return Format("$%04X", word);
      return Format("$%04X = %02X", word, peek(word));
    case kABX: {
      const uint16_t ea = static_cast<uint16_t>(word + r.x);
      return Format("$%04X,X @ %04X = %02X", word, ea, peek(ea));
    }
    case kABY: {
      const uint16_t ea = static_cast<uint16_t>(word + r.y);
      return Format("$%04X,Y @ %04X = %02X", word, ea, peek(ea));
    }
    case kIND: {
      const uint16_t high = static_cast<uint16_t>((word & 0xFF00) | ((word + 1) & 0xFF));
      return Format("($%04X) = %04X", word, peek(word) | (peek(high) << 8));
    }
    case kINX: {
      const uint8_t z = static_cast<uint8_t>(lo + r.x);
      const uint16_t ea = peekZeroWord(z);
      return Format("($%02X,X) @ %02X = %04X = %02X", lo, z, ea, peek(ea));
    }
    case kINY: {
      const uint16_t base = peekZeroWord(lo);
      const uint16_t ea = static_cast<uint16_t>(base + r.y);
      return Format("($%02X),Y = %04X @ %04X = %02X", lo, base, ea, peek(ea));
    }
    case kREL: return Format("$%04X", static_cast<uint16_t>(pc + 2 + static_cast<int8_t>(lo)));
  }
  return "";
}

}  // namespace

std::string TraceLine(const CMachine& machine) {
  const CCpu::Registers r = machine.Cpu().GetRegisters();
  const uint8_t code = machine.PeekByte(r.pc);
  const Opcode& op = kOpcodes[code];
  const int operandBytes = kOperandBytes[op.mode];
  const uint8_t lo = machine.PeekByte(static_cast<uint16_t>(r.pc + 1));
  const uint8_t hi = machine.PeekByte(static_cast<uint16_t>(r.pc + 2));

  std::string bytes = Format("%02X", code);
  if (operandBytes >= 1) bytes += Format(" %02X", lo);
  if (operandBytes >= 2) bytes += Format(" %02X", hi);
  std::string instruction = op.name;
  const std::string operand = Operand(machine, op, r.pc, lo, hi, r);
  if (!operand.empty()) instruction += " " + operand;

  // The picture unit runs three dots per CPU cycle, 341 dots a line.
  const int64_t dots = int64_t{r.totalCycles} * 3;
  const int line = static_cast<int>((dots / 341) % 262);
  const int dot = static_cast<int>(dots % 341);
  char text[160];
  std::snprintf(text, sizeof text, "%04X  %-8s %c%-31s A:%02X X:%02X Y:%02X P:%02X SP:%02X PPU:%3d,%3d CYC:%u", r.pc,
                bytes.c_str(), op.official ? ' ' : '*', instruction.c_str(), r.a, r.x, r.y, r.p, r.s, line, dot,
                r.totalCycles);
  return text;
}

}  // namespace qgu::core
