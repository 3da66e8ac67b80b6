// Idle-loop skipping: a machine that counts passes through a waiting loop
// ends every frame exactly as one that runs them, and it does count them.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/apu/sound_unit.h"
#include "core/cpu/cpu.h"
#include "core/cpu/idle_loop.h"
#include "core/ppu/picture_unit.h"
#include "tests/core/machine/test_images.h"

namespace qgu::core {
namespace {

using testing::CodeImage;
using testing::MakeMachine;
using testing::Place;

// Everything a skipped pass could get wrong, as text that shows where.
std::string State(CMachine& machine) {
  const CCpu::Registers r = machine.Cpu().GetRegisters();
  const PictureUnitState& ppu = machine.PictureUnit().State();
  const CSoundUnit::FrameSequencerState sequencer = machine.SoundUnit().GetFrameSequencer();
  char text[256];
  std::snprintf(text, sizeof text,
                "pc %04X a %02X x %02X y %02X s %02X p %02X pending %d cycles %u stall %d executed %llu "
                "ppu %02X %02X v %04X sequencer %d %d ram ",
                r.pc, r.a, r.x, r.y, r.s, r.p, r.pendingInterrupts, r.totalCycles, r.dmaStall,
                static_cast<unsigned long long>(machine.ExecutedCycles()), ppu.registers[0], ppu.registers[2], ppu.v,
                sequencer.step, sequencer.cycleCount);
  std::string state = text;
  const uint8_t* ram = machine.Memory().workRam;
  uint64_t hash = 1469598103934665603ull;
  for (int i = 0; i < 2048; ++i) hash = (hash ^ ram[i]) * 1099511628211ull;
  return state + std::to_string(hash);
}

MachineSettings Skipping(bool on) {
  MachineSettings settings;
  settings.skipIdleLoops = on;
  return settings;
}

// The same image on two machines, one counting idle passes and one running them.
struct SideBySide {
  explicit SideBySide(const std::vector<uint8_t>& image)
      : skipping(MakeMachine(image, Skipping(true))), running(MakeMachine(image, Skipping(false))) {}

  // Runs both; the first frame where they part, or -1.
  int FirstDifference(int frames, const std::function<void(CMachine&, int)>& beforeFrame = {}) {
    for (int frame = 0; frame < frames; ++frame) {
      for (CMachine* machine : {skipping.get(), running.get()}) {
        if (beforeFrame) beforeFrame(*machine, frame);
        machine->RunFrame(frame % 3 == 0);
      }
      if (State(*skipping) != State(*running)) {
        difference = State(*skipping) + "\n" + State(*running);
        return frame;
      }
    }
    return -1;
  }

  std::unique_ptr<CMachine> skipping, running;
  std::string difference;
};

// The NMI counts frames at $10; the program waits for the count to move, as
// a game's frame wait does, and counts its own rounds at $11.
const std::vector<uint8_t> kFrameWait = {
    0x78, 0xA2, 0xFF, 0x9A,        // SEI; LDX #$FF; TXS
    0xA9, 0x80, 0x8D, 0x00, 0x20,  // LDA #$80; STA $2000 (NMI on)
    0xA5, 0x10,                    // $8009: LDA $10
    0xC5, 0x10,                    // $800B: CMP $10
    0xF0, 0xFC,                    //        BEQ $800B
    0xE6, 0x11,                    // INC $11
    0x4C, 0x09, 0x80,              // JMP $8009
};

std::vector<uint8_t> FrameWaitImage() {
  std::vector<uint8_t> image = CodeImage(kFrameWait);
  Place(image, 0x9000, {0xE6, 0x10, 0x40});  // NMI: INC $10; RTI
  return image;
}

TEST(IdleLoop, AFrameWaitIsCountedAndEndsAsRunningIt) {
  SideBySide machines(FrameWaitImage());
  EXPECT_EQ(machines.FirstDifference(120), -1) << machines.difference;
  EXPECT_EQ(machines.running->Cpu().IdleCyclesSkipped(), 0u);
  // Nearly all of every frame is the wait.
  const uint64_t frameCycles = 120ull * CMachine::Timing().frameCycles / 12;
  EXPECT_GT(machines.skipping->Cpu().IdleCyclesSkipped(), frameCycles * 9 / 10);
  EXPECT_EQ(machines.skipping->PeekByte(0x11), 120);
}

TEST(IdleLoop, ABytePokedFromOutsideEndsTheWait) {
  // The driver writes console RAM between frames: the loop sees it at once.
  SideBySide machines(FrameWaitImage());
  auto poke = [](CMachine& machine, int frame) {
    if (frame % 7 == 3) machine.PokeByte(0x10, static_cast<uint8_t>(machine.PeekByte(0x10) + 0x40));
  };
  EXPECT_EQ(machines.FirstDifference(60, poke), -1) << machines.difference;
  EXPECT_GT(machines.skipping->PeekByte(0x11), machines.skipping->PeekByte(0x10) & 0x3F);
}

TEST(IdleLoop, LoopsThatWriteOrReadRegistersAreRun) {
  // LDA $2002 / BPL: a register with side effects. STA $20 / JMP: a write.
  for (const std::vector<uint8_t>& code : {std::vector<uint8_t>{0xAD, 0x02, 0x20, 0x10, 0xFB, 0x4C, 0x00, 0x80},
                                           std::vector<uint8_t>{0x85, 0x20, 0x4C, 0x00, 0x80}}) {
    auto machine = MakeMachine(CodeImage(code));
    for (int frame = 0; frame < 10; ++frame) machine->RunFrame(false);
    EXPECT_EQ(machine->Cpu().IdleCyclesSkipped(), 0u);
  }
}

// Random loops: a body of instructions an idle loop may hold (and a few it
// may not), closed by a branch or jump back to its head, with NMIs and the
// sound unit's frame IRQ coming in and changing what the body reads.
class RandomLoop {
 public:
  explicit RandomLoop(uint32_t seed) : random_(seed) {}

  std::vector<uint8_t> Image() {
    std::vector<uint8_t> code = {0xA2, 0xFF, 0x9A, 0xA9, 0x80, 0x8D, 0x00, 0x20};  // stack, NMI on
    if (Chance(2)) code.push_back(0x58);                                           // CLI: frame IRQs on
    if (Chance(3)) code.insert(code.end(), {0xA9, 0x40, 0x8D, 0x17, 0x40});        // frame IRQ off
    code.insert(code.end(), {0xA2, Byte(4), 0xA0, Byte(4)});                       // small indexes
    const size_t head = code.size();
    const int instructions = 1 + Pick(4);
    for (int i = 0; i < instructions; ++i) AddInstruction(code);
    const uint16_t headAddress = static_cast<uint16_t>(0x8000 + head);
    if (Chance(4)) {
      code.insert(code.end(), {0x4C, static_cast<uint8_t>(headAddress), static_cast<uint8_t>(headAddress >> 8)});
    } else {
      static constexpr uint8_t kBranches[] = {0x10, 0x30, 0x50, 0x70, 0x90, 0xB0, 0xD0, 0xF0};
      code.push_back(kBranches[Pick(8)]);
      code.push_back(static_cast<uint8_t>(head - (code.size() + 1)));
      code.insert(code.end(), {0xE6, 0x13, 0x4C, static_cast<uint8_t>(headAddress),
                               static_cast<uint8_t>(headAddress >> 8)});  // INC $13; JMP head
    }
    std::vector<uint8_t> image = CodeImage(code);
    // NMI: INC $10, and every fourth one INC $0300. IRQ: acknowledge, INC $11.
    Place(image, 0x9000, {0xE6, 0x10, 0xA5, 0x10, 0x29, 0x03, 0xD0, 0x03, 0xEE, 0x00, 0x03, 0x40});
    Place(image, 0x9100, {0x48, 0xA9, 0x00, 0x8D, 0x17, 0x40, 0x68, 0xE6, 0x11, 0x40});
    Place(image, 0xA000, {0x00, 0x01, 0x80, 0xFF, 0x7F, 0x40});
    return image;
  }

 private:
  bool Chance(int oneIn) { return Pick(oneIn) == 0; }
  int Pick(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }
  uint8_t Byte(int below = 256) { return static_cast<uint8_t>(Pick(below)); }
  // A byte the NMI or IRQ moves, or one that stays.
  uint8_t ZeroPage() {
    static constexpr uint8_t kBytes[] = {0x10, 0x11, 0x12, 0x13};
    return kBytes[Pick(4)];
  }

  void AddInstruction(std::vector<uint8_t>& code) {
    const uint8_t zp = ZeroPage();
    switch (Pick(16)) {
      case 0: code.insert(code.end(), {0xA5, zp}); break;                // LDA zp
      case 1: code.insert(code.end(), {0xC5, zp}); break;                // CMP zp
      case 2: code.insert(code.end(), {0x29, Byte()}); break;            // AND #
      case 3: code.insert(code.end(), {0x24, zp}); break;                // BIT zp
      case 4: code.insert(code.end(), {0xAD, 0x00, 0x03}); break;        // LDA $0300
      case 5: code.insert(code.end(), {0xBD, 0x00, 0xA0}); break;        // LDA $A000,X
      case 6: code.insert(code.end(), {0xB9, 0xFE, 0x02}); break;        // LDA $02FE,Y (crosses a page)
      case 7: code.insert(code.end(), {0x69, Byte()}); break;            // ADC #
      case 8: code.insert(code.end(), {0xE9, Byte()}); break;            // SBC #
      case 9: code.push_back(Chance(2) ? 0xAA : 0x98); break;            // TAX / TYA
      case 10: code.push_back(Chance(2) ? 0x0A : 0x6A); break;           // ASL A / ROR A
      case 11: code.push_back(Chance(2) ? 0x18 : 0x38); break;           // CLC / SEC
      case 12: code.insert(code.end(), {0xA6, zp}); break;               // LDX zp
      case 13: code.insert(code.end(), {0xE0, Byte(8)}); break;          // CPX #
      case 14: code.push_back(Chance(2) ? 0xE8 : 0xEA); break;           // INX (never settles) / NOP
      default:  // not for an idle loop: a write, a register, the stack
        switch (Pick(3)) {
          case 0: code.insert(code.end(), {0x85, 0x14}); break;          // STA $14
          case 1: code.insert(code.end(), {0xAD, 0x02, 0x20}); break;    // LDA $2002
          default: code.insert(code.end(), {0x48, 0x68}); break;         // PHA; PLA
        }
    }
  }

  std::mt19937 random_;
};

TEST(IdleLoop, RandomLoopsEndEveryFrameAsRunningThem) {
  uint64_t skipped = 0;
  int idle = 0;
  for (uint32_t seed = 1; seed <= 150; ++seed) {
    SideBySide machines(RandomLoop(seed).Image());
    ASSERT_EQ(machines.FirstDifference(24), -1) << "seed " << seed << "\n" << machines.difference;
    skipped += machines.skipping->Cpu().IdleCyclesSkipped();
    idle += machines.skipping->Cpu().IdleCyclesSkipped() > 0;
  }
  // Enough of them wait, or the comparison shows nothing.
  EXPECT_GT(idle, 25);
  EXPECT_GT(skipped, 0u);
}

TEST(IdleLoop, APassEndsWhereTheInterpreterWould) {
  // LDA $10 (3) / BIT $0300 (4) / BEQ back (3): boundaries at 0, 3, 7, 10.
  auto owned = std::make_unique<CMemoryMap>();
  CMemoryMap& memory = *owned;
  uint8_t rom[0x2000] = {};
  const uint8_t code[] = {0xA5, 0x10, 0x2C, 0x00, 0x03, 0xF0, 0xF9};
  std::memcpy(rom, code, sizeof code);
  memory.cpuPage[0] = memory.workRam;
  memory.cpuPage[4] = rom;
  memory.cpuPageType[4] = kCpuRom;
  CIdleLoop loop;
  // A = 0 and Z set, as the pass leaves them.
  ASSERT_TRUE(loop.Find(memory, {0x8000, 0x00, 0, 0, 0xFD, kFlagZ | kFlagR}, false));
  EXPECT_EQ(loop.PassCycles(), 10);
  EXPECT_EQ(loop.Run(0, 1).cycles, 3);
  EXPECT_EQ(loop.Run(0, 3).cycles, 3);
  EXPECT_EQ(loop.Run(0, 4).cycles, 7);
  EXPECT_EQ(loop.Run(0, 11).cycles, 13);
  EXPECT_EQ(loop.Run(0, 11).step, 1);
  EXPECT_EQ(loop.Run(2, 3).cycles, 3);  // from the branch: back at the head
  EXPECT_EQ(loop.Run(2, 3).step, 0);
  // A byte it reads changes: the CPU no longer stands in that loop.
  EXPECT_EQ(loop.StepAt(memory, loop.StateAt(1).Key()), 1);
  memory.workRam[0x300] = 1;
  EXPECT_EQ(loop.StepAt(memory, loop.StateAt(1).Key()), -1);
}

}  // namespace
}  // namespace qgu::core
