#include "tools/rom_runner.h"

#include <cctype>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "base/file_read.h"
#include "core/controller_ports.h"
#include "core/cpu/cpu.h"
#include "core/mappers/mapper_factory.h"

namespace qgu::tools {

namespace {

constexpr std::pair<const char*, int> kButtonNames[] = {
    {"UP", core::kHostUp},       {"DOWN", core::kHostDown},     {"LEFT", core::kHostLeft},
    {"RIGHT", core::kHostRight}, {"A", core::kHostA},           {"B", core::kHostB},
    {"SELECT", core::kHostSelect}, {"START", core::kHostStart},
};

// No image, snapshot or log a runner reads comes near this size.
constexpr size_t kMaxFileBytes = size_t{64} << 20;

// Frames to wait before pressing reset when a program asks for it (>= 100 ms).
constexpr int kResetDelayFrames = 10;

}  // namespace

std::vector<uint8_t> ReadBinaryFile(const std::string& path) {
  base::Result<std::vector<uint8_t>> bytes = base::ReadFileBytes(path, kMaxFileBytes);
  if (!bytes) throw std::runtime_error(bytes.error());
  return std::move(bytes).value();
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

bool HasTestSignature(const core::CMachine& machine) {
  return machine.PeekByte(0x6001) == 0xDE && machine.PeekByte(0x6002) == 0xB0 && machine.PeekByte(0x6003) == 0x61;
}

std::string TestText(const core::CMachine& machine) {
  std::string text;
  for (uint16_t address = 0x6004; address < 0x8000; ++address) {
    const char c = static_cast<char>(machine.PeekByte(address));
    if (c == 0) break;
    text += c;
  }
  return text;
}

void StartAsReferenceTrace(core::CMachine& machine, uint16_t pc) {
  core::CCpu::Registers r = machine.Cpu().GetRegisters();
  r.pc = pc;
  r.a = r.x = r.y = 0;
  r.p = 0x24;
  r.s = 0xFD;
  r.pendingInterrupts = 0;
  r.totalCycles = 7;
  machine.Cpu().SetRegisters(r);
}

CRomRunner::CRomRunner(const std::string& path, const core::MachineSettings& settings,
                               const core::GameOptionLoader& options)
    : CRomRunner(ReadBinaryFile(path), settings, options) {}

CRomRunner::CRomRunner(const std::vector<uint8_t>& image, const core::MachineSettings& settings,
                               const core::GameOptionLoader& options)
    : machine_(std::make_unique<core::CMachine>(image, settings, core::TestProgramMapperFactory(), options)) {}

void CRomRunner::RunFrames(int frames, bool draw) {
  core::CControllerPorts& ports = machine_->ControllerPorts();
  for (int i = 0; i < frames; ++i) {
    for (int pad = 0; pad < 4; ++pad) ports.SetHostButtons(pad, held_[pad]);
    ports.Sync(false);
    machine_->RunFrame(draw);
    ++frames_;
  }
}

void CRomRunner::Hold(int pad, uint16_t hostButtons) { held_[pad & 3] = hostButtons; }

int CRomRunner::Status() const { return Peek(0x6000); }

int CRomRunner::RunUntilDone(int maxFrames) {
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

int CRomRunner::OldResultAfter(int frames, uint16_t address) {
  RunFrames(frames, false);
  return Peek(address);
}

}  // namespace qgu::tools
