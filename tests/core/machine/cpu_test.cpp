// CPU behaviour the public test programs do not reach: interrupts racing,
// DMA stalls across calls, halts, decimal mode and the cycle exceptions.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "core/cpu/cpu.h"
#include "core/ppu/picture_unit.h"
#include "tests/core/machine/test_images.h"

namespace qgu::core {
namespace {

using testing::CodeImage;
using testing::MakeMachine;

constexpr uint8_t NOP = 0xEA;

TEST(CpuInterrupts, NmiWinsOverIrqAndTheIrqWaitsForRti) {
  auto machine = MakeMachine(CodeImage({0x58 /*CLI*/, NOP, NOP, NOP, NOP, NOP}));
  CCpu& cpu = machine->Cpu();
  cpu.Execute(1);  // CLI
  cpu.RaiseNmi();
  cpu.RaiseIrq();
  cpu.Execute(1);  // NMI entry and the handler's first NOP
  EXPECT_EQ(cpu.GetRegisters().pc, 0x9001);
  EXPECT_EQ(cpu.GetRegisters().pendingInterrupts, 0x02) << "the IRQ stays pending behind the I flag";
  cpu.Execute(1);  // second NOP: I is set, IRQ still waits
  EXPECT_EQ(cpu.GetRegisters().pc, 0x9002);
  cpu.Execute(1);  // RTI clears I again
  EXPECT_EQ(cpu.GetRegisters().pc, 0x8001);
  cpu.Execute(1);  // IRQ entry, then the IRQ handler's first NOP
  EXPECT_EQ(cpu.GetRegisters().pc, 0x9101);
  EXPECT_EQ(cpu.GetRegisters().pendingInterrupts, 0);
}

TEST(CpuInterrupts, IrqRaisedWhileMaskedIsLost) {
  auto machine = MakeMachine(CodeImage({0x78 /*SEI*/, NOP, 0x58 /*CLI*/, NOP, NOP}));
  CCpu& cpu = machine->Cpu();
  cpu.Execute(1);
  cpu.RaiseIrq();
  EXPECT_EQ(cpu.GetRegisters().pendingInterrupts, 0);
  cpu.Execute(5);  // NOP, CLI, NOP: no interrupt is taken
  EXPECT_EQ(cpu.GetRegisters().pc, 0x8004);
}

TEST(CpuInterrupts, EntrySpendsSixCyclesAndPushesWithoutBreakFlag) {
  auto machine = MakeMachine(CodeImage({NOP}));
  CCpu& cpu = machine->Cpu();
  cpu.RaiseNmi();
  EXPECT_EQ(cpu.Execute(1), 6 + 2);
  const uint8_t pushedP = machine->PeekByte(0x01FD);
  EXPECT_EQ(pushedP & kFlagB, 0);
  EXPECT_EQ(machine->PeekByte(0x01FE), 0x00);  // return address $8000
  EXPECT_EQ(machine->PeekByte(0x01FF), 0x80);
}

TEST(CpuDmaStall, StallLongerThanTheRequestCarriesOver) {
  auto machine = MakeMachine(CodeImage({NOP, NOP, NOP, NOP}));
  CCpu& cpu = machine->Cpu();
  cpu.AddDmaStall(CCpu::kSpriteDmaStall);
  EXPECT_EQ(cpu.Execute(500), 500);
  EXPECT_EQ(cpu.GetRegisters().pc, 0x8000) << "no instruction runs inside the stall";
  EXPECT_EQ(cpu.GetRegisters().dmaStall, 14);
  // The rest of the stall, then instructions until the request is met.
  EXPECT_EQ(cpu.Execute(20), 14 + 2 + 2 + 2);
  EXPECT_EQ(cpu.GetRegisters().pc, 0x8003);
  EXPECT_EQ(cpu.TotalCycles(), 520);
}

TEST(CpuDmaStall, SpriteDmaWriteAddsTheStall) {
  auto machine = MakeMachine(CodeImage({0xA9, 0x02, 0x8D, 0x14, 0x40, NOP}));  // LDA #2; STA $4014
  CCpu& cpu = machine->Cpu();
  cpu.Execute(6);
  EXPECT_EQ(cpu.GetRegisters().dmaStall, CCpu::kSpriteDmaStall);
  EXPECT_EQ(machine->Memory().cpuRegisterShadow[0x14], 0x02);
}

TEST(CpuHalt, HaltOpcodeRepeatsFourCycleStepsUntilReset) {
  for (uint8_t opcode : {0x02, 0x12, 0x22, 0x32, 0x42, 0x52, 0x62, 0x72, 0x92, 0xB2, 0xD2, 0xF2}) {
    auto machine = MakeMachine(CodeImage({opcode}));
    CCpu& cpu = machine->Cpu();
    EXPECT_EQ(cpu.Execute(1), 4) << int(opcode);
    EXPECT_EQ(cpu.Execute(10), 12);
    EXPECT_EQ(cpu.GetRegisters().pc, 0x8000);
    machine->SoftwareReset();
    EXPECT_EQ(cpu.GetRegisters().pc, 0x8000);
    EXPECT_EQ(cpu.TotalCycles(), 0);
  }
}

// The 2A03 has no decimal arithmetic: with D set, ADC and SBC give binary
// results and flags, while D itself is kept in P and pushed by PHP.
TEST(CpuDecimalMode, AdcAndSbcStayBinaryWithDSet) {
  auto machine = MakeMachine(CodeImage({
      0xF8,              // SED
      0x18,              // CLC
      0xA9, 0x19,        // LDA #$19
      0x69, 0x28,        // ADC #$28: $41 (decimal would give $47)
      0x85, 0x00,        // STA $00
      0x69, 0x7F,        // ADC #$7F: $C0 with V and N set
      0x08,              // PHP
      0x85, 0x01,        // STA $01
      0x38,              // SEC
      0xA9, 0x10,        // LDA #$10
      0xE9, 0x01,        // SBC #$01: $0F (decimal would give $09)
      0x85, 0x02,        // STA $02
  }));
  machine->Cpu().Execute(2 + 2 + 2 + 2 + 3 + 2 + 3 + 3 + 2 + 2 + 2 + 3);
  EXPECT_EQ(machine->PeekByte(0x0000), 0x41);
  EXPECT_EQ(machine->PeekByte(0x0001), 0xC0);
  EXPECT_EQ(machine->PeekByte(0x0002), 0x0F);
  const uint8_t pushed = machine->PeekByte(0x01FF);
  EXPECT_EQ(pushed & (kFlagD | kFlagV | kFlagN | kFlagC), kFlagD | kFlagV | kFlagN) << "binary flags, D kept";
  EXPECT_EQ(machine->Cpu().GetRegisters().p & (kFlagD | kFlagC), kFlagD | kFlagC) << "no borrow";
}

// Cycles of one instruction after a register set-up instruction of 2 cycles.
int CyclesOf(const std::vector<uint8_t>& setupAndInstruction) {
  auto machine = MakeMachine(CodeImage(setupAndInstruction));
  machine->Cpu().Execute(1);
  return machine->Cpu().Execute(1);
}

TEST(CpuCycles, IsbTakesTheReadModifyWriteCounts) {
  // zp, zp,X, abs, abs,X, abs,Y, (zp,X), (zp),Y
  const std::pair<uint8_t, int> modes[] = {{0xE7, 5}, {0xF7, 6}, {0xEF, 6}, {0xFF, 7}, {0xFB, 7}, {0xE3, 8}, {0xF3, 8}};
  for (const auto& [opcode, cycles] : modes) EXPECT_EQ(CyclesOf({NOP, opcode, 0x00, 0x03}), cycles) << int(opcode);
}

TEST(CpuCycles, AbsoluteXNopsPayForPageCrossing) {
  for (uint8_t opcode : {0x1C, 0x3C, 0x5C, 0x7C, 0xDC, 0xFC}) {
    EXPECT_EQ(CyclesOf({0xA2, 0x01, opcode, 0x00, 0x03}), 4) << int(opcode);  // LDX #1; no crossing
    EXPECT_EQ(CyclesOf({0xA2, 0x01, opcode, 0xFF, 0x03}), 5) << int(opcode);  // crossing
  }
}

// The cycle total runs for hours of play: it wraps, and differences taken
// across the wrap (the profiling ports, the sound unit's time stamps) stay right.
TEST(CpuCycles, TotalWrapsAndDifferencesAcrossTheWrapStayRight) {
  // STA $401C; NOP x4; STA $401D; JMP to the start
  const std::vector<uint8_t> code = {0x8D, 0x1C, 0x40, NOP, NOP, NOP, NOP, 0x8D, 0x1D, 0x40, 0x4C, 0x00, 0x80};
  for (uint32_t nearLimit : {0x7FFFFFF8u, 0xFFFFFFF8u}) {
    auto machine = MakeMachine(CodeImage(code));
    CCpu& cpu = machine->Cpu();
    CCpu::Registers r = cpu.GetRegisters();
    r.totalCycles = nearLimit;
    cpu.SetRegisters(r);
    EXPECT_EQ(cpu.Execute(4 + 4 * 2 + 4), 16);
    EXPECT_EQ(cpu.TotalCycles() - nearLimit, 16u) << std::hex << nearLimit;
    EXPECT_EQ(machine->ProfilingCounters().last, 4 * 2) << std::hex << nearLimit;
    for (int frame = 0; frame < 3; ++frame) machine->RunFrame(true);
    EXPECT_EQ(machine->ProfilingCounters().last, 4 * 2) << "after frames past the wrap";
  }
}

// Enabling the NMI during vertical blank runs one more instruction first; that
// instruction may enable it again, and so on down a long chain of writes: the
// nesting stops after one level instead of running out of stack.
TEST(CpuInterrupts, ChainOfNmiEnablingWritesDoesNotNest) {
  constexpr int kWrites = 10000;  // STA $2000, three bytes each, through 32 KB
  std::vector<uint8_t> image = testing::MakeImage({2, 1, 0, 0});
  uint8_t* program = image.data() + 16;
  std::vector<uint8_t> code = {0xA9, 0x80};  // LDA #$80
  for (int i = 0; i < kWrites; ++i) code.insert(code.end(), {0x8D, 0x00, 0x20});
  const uint16_t end = static_cast<uint16_t>(0x8000 + code.size());
  code.insert(code.end(), {0x4C, static_cast<uint8_t>(end), static_cast<uint8_t>(end >> 8)});
  ASSERT_LT(code.size(), 0x7F00u);
  std::copy(code.begin(), code.end(), program);
  const uint8_t vectors[] = {0x00, 0xFF, 0x00, 0x80, 0x00, 0xFF};  // NMI $FF00, reset $8000, IRQ $FF00
  std::copy(std::begin(vectors), std::end(vectors), program + 0x7FFA);
  program[0x7F00] = NOP;
  program[0x7F01] = 0x40;  // RTI

  auto machine = MakeMachine(image);
  machine->PictureUnit().VBlankStart();
  CCpu& cpu = machine->Cpu();
  cpu.Execute(2 + 4);  // LDA, then the first write, which runs the next write within it
  EXPECT_EQ(machine->PictureUnit().State().registers[0], 0x80);
  EXPECT_EQ(cpu.GetRegisters().pendingInterrupts & 0x01, 0x01) << "the NMI is raised once, not lost";
  EXPECT_EQ(cpu.GetRegisters().pc, 0x8000 + 2 + 2 * 3) << "two writes done, not the whole chain";
  cpu.Execute(1);
  EXPECT_EQ(cpu.GetRegisters().pc, 0xFF01) << "the NMI entry, then RTI's fetch";
}

}  // namespace
}  // namespace qgu::core
