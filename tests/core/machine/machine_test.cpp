// The machine: frame timing, the bus and its ports, resets, construction.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "core/cartridge.h"
#include "core/cpu/cpu.h"
#include "core/mappers/mapper_nrom.h"
#include "core/ppu/picture_unit.h"
#include "tests/core/machine/test_images.h"

namespace qgu::core {
namespace {

using testing::CodeImage;
using testing::MakeImage;
using testing::MakeMachine;

const std::vector<uint8_t> kSpin = {0x4C, 0x00, 0x80};  // JMP $8000

// Records how far the CPU is from the schedule whenever a line event comes.
class CScheduleProbe : public CMapperNrom {
 public:
  using CMapperNrom::CMapperNrom;
  void LineStart(int) override {
    const int64_t due = int64_t(machine_.ScheduledCycles() / 12);
    const int64_t ahead = int64_t(machine_.ExecutedCycles()) - due;
    minAhead = std::min(minAhead, ahead);
    maxAhead = std::max(maxAhead, ahead);
    ++lines;
  }
  int64_t minAhead = 1 << 30, maxAhead = -(1 << 30);
  int lines = 0;
};

TEST(MachineTiming, EveryRenderMethodSchedulesExactlyOneFrame) {
  for (int method = 0; method <= 4; ++method) {
    auto machine = MakeMachine(CodeImage(kSpin));
    machine->SetRenderMethod(method);
    for (int frame = 1; frame <= 3; ++frame) {
      machine->RunFrame(frame != 2);
      EXPECT_EQ(machine->ScheduledCycles(), uint64_t(frame) * 357368) << "method " << method;
    }
    EXPECT_EQ(machine->CurrentScanline(), 262);
  }
}

TEST(MachineTiming, ExecutedCountStaysWithinOneInstructionOfTheSchedule) {
  CScheduleProbe* probe = nullptr;
  MapperFactory factory = [&](int, CMachine& m) -> std::unique_ptr<CMapper> {
    auto mapper = std::make_unique<CScheduleProbe>(m);
    probe = mapper.get();
    return mapper;
  };
  // SEI, then LDA $0300,X (4 cycles), NOP and JMP: instructions of different lengths.
  CMachine machine(CodeImage({0x78, 0xBD, 0x00, 0x03, 0xEA, 0x4C, 0x01, 0x80}), {}, factory);
  for (int method = 0; method <= 4; ++method) {
    machine.SetRenderMethod(method);
    for (int frame = 0; frame < 4; ++frame) machine.RunFrame(true);
  }
  ASSERT_GT(probe->lines, 262 * 4 * 5 - 1);
  EXPECT_GE(probe->minAhead, 0);
  EXPECT_LT(probe->maxAhead, 4) << "less than the longest instruction of the program";
}

TEST(MachineTiming, NmiIsRaisedAtLine241OnlyWhenEnabled) {
  for (bool enabled : {false, true}) {
    auto machine = MakeMachine(CodeImage(kSpin));
    machine->PictureUnit().State().registers[0] = enabled ? 0x80 : 0x00;
    machine->RunFrame(true);
    // The NMI entry pushes the spin loop's return address.
    EXPECT_EQ(machine->PeekByte(0x01FF), enabled ? 0x80 : 0x00);
  }
}

TEST(MachineBus, RamMirrorsAndSpareAndCartridgePages) {
  auto machine = MakeMachine(CodeImage(kSpin));
  machine->CpuWrite(0x0801, 0x5A);
  EXPECT_EQ(machine->CpuRead(0x0001), 0x5A);
  EXPECT_EQ(machine->CpuRead(0x1801), 0x5A);
  EXPECT_EQ(machine->CpuRead(0x4100), 0x41) << "unmapped low area reads the high address byte";
  machine->CpuWrite(0x6123, 0x77);
  EXPECT_EQ(machine->CpuRead(0x6123), 0x77);
  EXPECT_EQ(machine->PeekByte(0x6123), 0x77);
  EXPECT_EQ(machine->CpuRead(0x4014), 0x14);
  machine->PokeByte(0x8000, 0x12);
  EXPECT_EQ(machine->PeekByte(0x8000), 0x4C) << "ROM is not writable from outside";
}

TEST(MachineBus, ProfilingPortsMeasureCpuCycles) {
  // STA $401C; NOP; NOP; STA $401D
  auto machine = MakeMachine(CodeImage({0x8D, 0x1C, 0x40, 0xEA, 0xEA, 0x8D, 0x1D, 0x40, 0x4C, 0x08, 0x80}));
  machine->Cpu().Execute(4 + 2 + 2 + 4);
  const auto& counters = machine->ProfilingCounters();
  EXPECT_EQ(counters.count, 1);
  EXPECT_EQ(counters.last, 4 + 2 + 2 - 4);
  EXPECT_EQ(counters.total, counters.last);
}

TEST(MachineReset, CartridgeRamIsKeptOnlyWithBattery) {
  for (bool battery : {false, true}) {
    auto image = CodeImage(kSpin);
    if (battery) image[6] |= 0x02;
    auto machine = MakeMachine(image);
    machine->PokeByte(0x6000, 0x42);
    machine->HardwareReset();
    EXPECT_EQ(machine->PeekByte(0x6000), battery ? 0x42 : 0xFF);
    EXPECT_EQ(machine->Memory().frameCounter, 0xC0);
  }
}

TEST(MachineReset, TrainerLandsAt7000) {
  auto image = MakeImage({1, 1, 0x04, 0});
  for (int i = 0; i < 512; ++i) image[16 + i] = uint8_t(i * 3);
  auto machine = MakeMachine(image);
  EXPECT_EQ(machine->PeekByte(0x7000), 0);
  EXPECT_EQ(machine->PeekByte(0x7001), 3);
  EXPECT_EQ(machine->PeekByte(0x71FF), uint8_t(511 * 3));
}

TEST(MachineConstruction, ProductFactoryRefusesEveryBoardButMmc3) {
  EXPECT_THROW(CMachine machine(MakeImage({1, 1, 0, 0})), MachineError);
  EXPECT_NO_THROW(CMachine machine(MakeImage({2, 1, 0x40, 0})));
  EXPECT_THAT([] { CMachine machine(MakeImage({2, 1, 0x10, 0})); },
              ::testing::ThrowsMessage<MachineError>(::testing::HasSubstr("mapper 1")));
}

TEST(MachineConstruction, GameOptionsAreAppliedAfterTheReset) {
  GameOptionLoader loader = [](uint32_t id, GameOptions& options) {
    EXPECT_EQ(id, 0u);
    options.renderMethod = 1;
    options.irqType = 0;
    options.frameIrq = 0;
  };
  CMachine machine(MakeImage({2, 1, 0x40, 0}), {}, ProductMapperFactory(), loader);
  EXPECT_EQ(machine.RenderMethod(), 1);
  EXPECT_EQ(machine.IrqType(), 0);
  EXPECT_FALSE(machine.FrameIrqEnabled());
}

TEST(MachineSoundFile, PictureUnitWritesAreIgnoredAndSnapshotsDoNothing) {
  std::vector<uint8_t> image(0x8080, 0);
  std::memcpy(image.data(), "NESM\x1A", 5);
  MapperFactory anyBoard = [](int, CMachine& m) -> std::unique_ptr<CMapper> {
    return std::make_unique<CMapperNrom>(m);
  };
  CMachine machine(image, {}, anyBoard);
  EXPECT_TRUE(machine.Cartridge().IsSoundFile());
  machine.CpuWrite(0x2000, 0x80);
  EXPECT_EQ(machine.PictureUnit().State().registers[0], 0);
  EXPECT_NO_THROW(machine.SaveSnapshot("/nonexistent-folder/x.sta"));
  EXPECT_NO_THROW(machine.LoadSnapshot("/nonexistent-folder/x.sta"));
}

}  // namespace
}  // namespace qgu::core
