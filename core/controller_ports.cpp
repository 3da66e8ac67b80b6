#include "core/controller_ports.h"

#include <algorithm>
#include <span>

#include "core/machine.h"

namespace qgu::core {

namespace {

// One entry per frame, 1 = pressed, by turbo speed 0-3.
constexpr uint8_t kTurbo0[] = {1, 1, 1, 0, 0, 0};
constexpr uint8_t kTurbo1[] = {1, 1, 0, 0};
constexpr uint8_t kTurbo2[] = {1, 1, 0};
constexpr uint8_t kTurbo3[] = {1, 0};
constexpr std::span<const uint8_t> kTurboPatterns[4] = {kTurbo0, kTurbo1, kTurbo2, kTurbo3};

constexpr uint8_t kMicrophoneBit = 0x04;

bool Down(uint16_t mask, int button) { return (mask >> button) & 1; }

}  // namespace

CControllerPorts::CControllerPorts(CMachine& machine) : machine_(machine) {}
CControllerPorts::~CControllerPorts() = default;

void CControllerPorts::Reset() {
  shift_[0] = shift_[1] = 0;
  strobe_ = false;
  for (auto& counters : turboCounter_) counters[0] = counters[1] = 0;
}

void CControllerPorts::SetHostButtons(int pad, uint16_t buttonMask) {
  if (pad >= 0 && pad < kPads) hostButtons_[pad] = buttonMask;
}

bool CControllerPorts::TurboStep(int pad, int which, bool held) {
  int& counter = turboCounter_[pad][which];
  if (!held) {
    counter = 0;
    return false;
  }
  const int speed = std::clamp(machine_.Settings().turboSpeed[pad][which], 0, 3);
  const auto pattern = kTurboPatterns[speed];
  if (counter >= static_cast<int>(pattern.size())) counter = 0;
  return pattern[counter++] != 0;
}

uint8_t CControllerPorts::SamplePad(int pad, bool pressA) {
  const uint16_t host = hostButtons_[pad];
  uint8_t byte = 0;
  if (Down(host, kHostUp)) byte |= kPadUp;
  if (Down(host, kHostDown)) byte |= kPadDown;
  if (Down(host, kHostLeft)) byte |= kPadLeft;
  if (Down(host, kHostRight)) byte |= kPadRight;
  // A pad cannot press opposite directions at once.
  if ((byte & (kPadUp | kPadDown)) == (kPadUp | kPadDown)) byte &= ~(kPadUp | kPadDown);
  if ((byte & (kPadLeft | kPadRight)) == (kPadLeft | kPadRight)) byte &= ~(kPadLeft | kPadRight);
  if (Down(host, kHostA) || pressA) byte |= kPadA;
  if (Down(host, kHostB)) byte |= kPadB;
  if (Down(host, kHostSelect)) byte |= kPadSelect;
  if (Down(host, kHostStart)) byte |= kPadStart;

  const bool turboA = Down(host, kHostTurboA);
  const bool turboAOn = TurboStep(pad, 0, turboA);
  if (turboA) byte = turboAOn ? (byte | kPadA) : (byte & ~kPadA);
  const bool turboB = Down(host, kHostTurboB);
  const bool turboBOn = TurboStep(pad, 1, turboB);
  if (turboB) byte = turboBOn ? (byte | kPadB) : (byte & ~kPadB);
  return byte;
}

void CControllerPorts::Sync(bool pressA) {
  for (int pad = 0; pad < kPads; ++pad) pad_[pad] = SamplePad(pad, pressA);
  microphone_ = Down(hostButtons_[1], kHostMic) ? kMicrophoneBit : 0;
}

uint32_t CControllerPorts::GetFrameInput() const {
  return uint32_t{pad_[0]} | (uint32_t{static_cast<uint8_t>(pad_[1] | microphone_)} << 8) |
         (uint32_t{pad_[2]} << 16) | (uint32_t{pad_[3]} << 24);
}

void CControllerPorts::SetFrameInput(uint32_t value) {
  for (int pad = 0; pad < kPads; ++pad) pad_[pad] = static_cast<uint8_t>(value >> (8 * pad));
  microphone_ = static_cast<uint8_t>((value >> 8) & kMicrophoneBit);
}

void CControllerPorts::Latch() {
  if (machine_.Settings().fourPlayer) {
    // The adapter follows pads 1/2 with pads 3/4 and a signature bit.
    shift_[0] = pad_[0] | (uint32_t{pad_[2]} << 8) | 0x80000;
    shift_[1] = pad_[1] | (uint32_t{pad_[3]} << 8) | 0x40000;
  } else {
    shift_[0] = pad_[0];
    shift_[1] = pad_[1];
  }
  shift_[2] = pad_[2];
  shift_[3] = pad_[3];
}

void CControllerPorts::Write(uint16_t address, uint8_t data) {
  if ((address & 0xFF) != 0x16) return;
  if (data & 1) {
    strobe_ = true;
  } else if (strobe_) {
    strobe_ = false;
    Latch();
  }
}

uint8_t CControllerPorts::Read(uint16_t address) {
  if ((address & 0xFF) == 0x16) {
    const uint8_t value = static_cast<uint8_t>((shift_[0] & 1) | ((shift_[2] & 1) << 1) | microphone_);
    shift_[0] >>= 1;
    shift_[2] >>= 1;
    return value;
  }
  const uint8_t value = static_cast<uint8_t>((shift_[1] & 1) | ((shift_[3] & 1) << 1));
  shift_[1] >>= 1;
  shift_[3] >>= 1;
  return value;
}

CControllerPorts::ShiftState CControllerPorts::GetShiftState() const {
  return {{shift_[0], shift_[1], shift_[2], shift_[3]}, strobe_};
}

void CControllerPorts::SetShiftState(const ShiftState& state) {
  std::copy(std::begin(state.shift), std::end(state.shift), shift_);
  strobe_ = state.strobe;
}

}  // namespace qgu::core
