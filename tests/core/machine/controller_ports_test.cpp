// Controller ports: the serial protocol, opposite directions, turbo and the
// four-player adapter.
#include <gtest/gtest.h>

#include <memory>

#include "core/controller_ports.h"
#include "tests/core/machine/test_images.h"

namespace qgu::core {
namespace {

using testing::CodeImage;
using testing::MakeMachine;

const std::vector<uint8_t> kSpin = {0x4C, 0x00, 0x80};

uint16_t Host(std::initializer_list<int> buttons) {
  uint16_t mask = 0;
  for (int b : buttons) mask |= uint16_t(1 << b);
  return mask;
}

void Strobe(CControllerPorts& ports) {
  ports.Write(0x4016, 1);
  ports.Write(0x4016, 0);
}

uint32_t ReadBits(CControllerPorts& ports, uint16_t address, int count) {
  uint32_t bits = 0;
  for (int i = 0; i < count; ++i) bits |= uint32_t(ports.Read(address) & 1) << i;
  return bits;
}

MachineSettings TwoPlayers() {
  MachineSettings settings;
  settings.fourPlayer = false;
  return settings;
}

// Two pads, no adapter.
class TwoPlayerPorts : public ::testing::Test {
 protected:
  std::unique_ptr<CMachine> machine_ = MakeMachine(CodeImage(kSpin), TwoPlayers());
  CControllerPorts& ports = machine_->ControllerPorts();
};

TEST_F(TwoPlayerPorts, ButtonsShiftOutInPadByteOrderThenZeros) {
  ports.SetHostButtons(0, Host({kHostA, kHostStart, kHostUp}));
  ports.SetHostButtons(1, Host({kHostB, kHostRight}));
  ports.Sync(false);
  Strobe(ports);
  EXPECT_EQ(ReadBits(ports, 0x4016, 8), uint32_t(kPadA | kPadStart | kPadUp));
  EXPECT_EQ(ReadBits(ports, 0x4017, 8), uint32_t(kPadB | kPadRight));
  EXPECT_EQ(ReadBits(ports, 0x4016, 8), 0u);
  EXPECT_EQ(machine_->ReadIoPort(0x4016) & 0x40, 0x40);
}

TEST_F(TwoPlayerPorts, OppositeDirectionsReadAsNeither) {
  ports.SetHostButtons(0, Host({kHostLeft, kHostRight, kHostUp, kHostDown, kHostB}));
  ports.Sync(false);
  EXPECT_EQ(ports.PadByte(0), kPadB);
}

TEST_F(TwoPlayerPorts, OnlyTheOneToZeroStrobeLatches) {
  ports.SetHostButtons(0, Host({kHostA}));
  ports.Sync(false);
  ports.Write(0x4016, 1);
  ports.Write(0x4016, 1);
  EXPECT_EQ(ReadBits(ports, 0x4016, 8), 0u) << "1 then 1 does not latch";
  ports.Write(0x4016, 0);
  EXPECT_EQ(ReadBits(ports, 0x4016, 8), uint32_t(kPadA));
  ports.Write(0x4016, 0);
  EXPECT_EQ(ReadBits(ports, 0x4016, 8), 0u) << "0 then 0 does not latch";
}

TEST(ControllerPorts, PressARequestForcesAOnEveryPad) {
  auto machine = MakeMachine(CodeImage(kSpin));
  CControllerPorts& ports = machine->ControllerPorts();
  ports.Sync(true);
  EXPECT_EQ(ports.GetFrameInput(), 0x01010101u);
  ports.Sync(false);
  EXPECT_EQ(ports.GetFrameInput(), 0u);
}

TEST(ControllerPorts, TurboFollowsItsPatternPerSpeed) {
  const std::vector<std::vector<int>> patterns = {
      {1, 1, 1, 0, 0, 0, 1, 1}, {1, 1, 0, 0, 1, 1, 0, 0}, {1, 1, 0, 1, 1, 0, 1, 1}, {1, 0, 1, 0, 1, 0, 1, 0}};
  for (int speed = 0; speed < 5; ++speed) {
    MachineSettings settings = TwoPlayers();
    settings.turboSpeed[0] = {speed, speed};
    auto machine = MakeMachine(CodeImage(kSpin), settings);
    CControllerPorts& ports = machine->ControllerPorts();
    ports.SetHostButtons(0, Host({kHostTurboA, kHostTurboB}));
    const auto& expected = patterns[std::min(speed, 3)];
    for (size_t frame = 0; frame < expected.size(); ++frame) {
      ports.Sync(false);
      const uint8_t want = expected[frame] ? (kPadA | kPadB) : 0;
      EXPECT_EQ(ports.PadByte(0), want) << "speed " << speed << " frame " << frame;
    }
    ports.SetHostButtons(0, 0);  // releasing restarts the pattern
    ports.Sync(false);
    ports.SetHostButtons(0, Host({kHostTurboA}));
    ports.Sync(false);
    EXPECT_EQ(ports.PadByte(0), kPadA);
  }
}

TEST(ControllerPorts, FourPlayerAdapterAppendsPadsThreeAndFourAndSignatures) {
  auto machine = MakeMachine(CodeImage(kSpin));  // four-player on by default
  CControllerPorts& ports = machine->ControllerPorts();
  ports.SetHostButtons(0, Host({kHostA}));
  ports.SetHostButtons(1, Host({kHostB}));
  ports.SetHostButtons(2, Host({kHostSelect}));
  ports.SetHostButtons(3, Host({kHostStart}));
  ports.Sync(false);
  Strobe(ports);
  EXPECT_EQ(ReadBits(ports, 0x4016, 8), uint32_t(kPadA));
  EXPECT_EQ(ReadBits(ports, 0x4016, 8), uint32_t(kPadSelect));
  EXPECT_EQ(ReadBits(ports, 0x4016, 8), 0x08u);
  EXPECT_EQ(ReadBits(ports, 0x4017, 8), uint32_t(kPadB));
  EXPECT_EQ(ReadBits(ports, 0x4017, 8), uint32_t(kPadStart));
  EXPECT_EQ(ReadBits(ports, 0x4017, 8), 0x04u);
}

TEST_F(TwoPlayerPorts, FrameInputRoundTripsWithTheMicrophone) {
  ports.SetHostButtons(1, Host({kHostMic}));
  ports.Sync(false);
  EXPECT_EQ(ports.GetFrameInput(), 0x0400u);
  ports.SetFrameInput(0x44332611);
  EXPECT_EQ(ports.PadByte(0), 0x11);
  EXPECT_EQ(ports.PadByte(3), 0x44);
  Strobe(ports);
  EXPECT_EQ(ports.Read(0x4016) & 0x04, 0x04) << "microphone from bit 2 of byte 1";
}

}  // namespace
}  // namespace qgu::core
