#include "tests/support/test_rom_runner.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "core/controller_ports.h"
#include "core/mappers/mapper_factory.h"

namespace qgu::testsupport {

namespace {

constexpr std::pair<const char*, int> kButtonNames[] = {
    {"UP", core::kHostUp},       {"DOWN", core::kHostDown},     {"LEFT", core::kHostLeft},
    {"RIGHT", core::kHostRight}, {"A", core::kHostA},           {"B", core::kHostB},
    {"SELECT", core::kHostSelect}, {"START", core::kHostStart},
};

// Frames to wait before pressing reset when a program asks for it (>= 100 ms).
constexpr int kResetDelayFrames = 10;

}  // namespace

std::string TestRomPath(const std::string& relative) { return std::string(QGU_TESTROMS) + "/" + relative; }

std::vector<uint8_t> ReadBinaryFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int ParseButtons(const std::string& text) {
  int mask = 0;
  std::stringstream parts(text);
  std::string name;
  while (std::getline(parts, name, '+')) {
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    bool known = false;
    for (const auto& [buttonName, bit] : kButtonNames) {
      if (name == buttonName) {
        mask |= 1 << bit;
        known = true;
      }
    }
    if (!known) return -1;
  }
  return mask;
}

CTestRomRunner::CTestRomRunner(const std::string& path, const core::MachineSettings& settings)
    : CTestRomRunner(ReadBinaryFile(path), settings) {}

CTestRomRunner::CTestRomRunner(const std::vector<uint8_t>& image, const core::MachineSettings& settings)
    : machine_(std::make_unique<core::CMachine>(image, settings, core::TestProgramMapperFactory())) {}

void CTestRomRunner::RunFrames(int frames, bool draw) {
  core::CControllerPorts& ports = machine_->ControllerPorts();
  for (int i = 0; i < frames; ++i) {
    for (int pad = 0; pad < 4; ++pad) ports.SetHostButtons(pad, held_[pad]);
    ports.Sync(false);
    machine_->RunFrame(draw);
    ++frames_;
  }
}

void CTestRomRunner::Hold(int pad, uint16_t hostButtons) { held_[pad & 3] = hostButtons; }

void CTestRomRunner::Press(uint16_t hostButtons, int frames, int pad) {
  Hold(pad, hostButtons);
  RunFrames(frames);
  Hold(pad, 0);
}

bool CTestRomRunner::HasSignature() const {
  return Peek(0x6001) == 0xDE && Peek(0x6002) == 0xB0 && Peek(0x6003) == 0x61;
}

int CTestRomRunner::Status() const { return Peek(0x6000); }

std::string CTestRomRunner::Text() const {
  std::string text;
  for (uint16_t address = 0x6004; address < 0x8000; ++address) {
    const char c = static_cast<char>(Peek(address));
    if (c == 0) break;
    text += c;
  }
  return text;
}

int CTestRomRunner::RunUntilDone(int maxFrames) {
  while (frames_ < maxFrames) {
    RunFrames(1, false);
    if (!HasSignature()) continue;
    const int status = Status();
    if (status == kNeedsReset) {
      RunFrames(kResetDelayFrames, false);
      machine_->SoftwareReset();
    } else if (status < kRunning) {
      return status;
    }
  }
  return kTimedOut;
}

int CTestRomRunner::OldResultAfter(int frames) {
  RunFrames(frames, false);
  return Peek(kOldResultAddress);
}

int CTestRomRunner::RunUntilNonzero(uint16_t address, int maxFrames) {
  while (frames_ < maxFrames) {
    RunFrames(1, false);
    if (Peek(address) != 0) return Peek(address);
  }
  return kTimedOut;
}

}  // namespace qgu::testsupport
