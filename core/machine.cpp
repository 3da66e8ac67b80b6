#include "core/machine.h"

#include <cstring>

#include "core/apu/sound_unit.h"
#include "core/cartridge.h"
#include "core/controller_ports.h"
#include "core/cpu/cpu.h"
#include "core/mappers/mapper.h"
#include "core/ppu/picture_unit.h"
#include "core/snapshot.h"

namespace qgu::core {

namespace {

constexpr int kNmiLine = 241;
constexpr int kLastLine = 261;
constexpr int kEarlyNmiCycles = 48;  // CPU cycles run between vertical blank and the NMI
constexpr int kTileSplit = 128;      // method 4: CPU time around the mapper's line event
constexpr int kLineStartPart = 256;  // methods 2-4: CPU time between line event and line start

// Offset of an address within its CPU page; work RAM repeats every 2 KB.
int PageOffset(uint16_t address) { return (address >> 13) == 0 ? (address & 0x7FF) : (address & 0x1FFF); }

}  // namespace

CMachine::CMachine(std::span<const uint8_t> image, const MachineSettings& settings, const MapperFactory& mappers,
                   const GameOptionLoader& loadGameOptions)
    : memory_(std::make_unique<CMemoryMap>()), settings_(settings) {
  cpu_ = std::make_unique<CCpu>(*this);
  pictureUnit_ = std::make_unique<CPictureUnit>(*this);
  soundUnit_ = std::make_unique<CSoundUnit>(*this);
  controllerPorts_ = std::make_unique<CControllerPorts>(*this);
  cartridge_ = std::make_unique<CCartridge>(image);
  mapper_ = mappers ? mappers(cartridge_->MapperNumber(), *this) : nullptr;
  if (!mapper_) {
    throw MachineError("The cartridge uses mapper " + std::to_string(cartridge_->MapperNumber()) +
                       ", which this machine does not have.");
  }
  ownRenderBuffer_ = std::make_unique<uint8_t[]>(kRenderBufferBytes);
  AttachRenderBuffer(ownRenderBuffer_.get());

  HardwareReset();
  defaultOptions_ = {renderMethod_, irqType_, frameIrq_, videoMode_};
  loadedOptions_ = defaultOptions_;
  if (loadGameOptions) loadGameOptions(cartridge_->ProgramCrc(), loadedOptions_);
  renderMethod_ = loadedOptions_.renderMethod;
  irqType_ = loadedOptions_.irqType;
  frameIrq_ = loadedOptions_.frameIrq;
  SetVideoMode(loadedOptions_.videoMode);
}

CMachine::~CMachine() {
  cpu_.reset();
  pictureUnit_.reset();
  soundUnit_.reset();
  controllerPorts_.reset();
  cartridge_.reset();
  mapper_.reset();
}

void CMachine::AttachRenderBuffer(uint8_t* buffer) {
  renderBuffer_ = buffer ? buffer : ownRenderBuffer_.get();
  pictureUnit_->SetScreenBuffer(renderBuffer_);
}

void CMachine::SetVideoMode(int mode) {
  videoMode_ = mode;
  soundUnit_->SetRate();
}

// Points the memory map at the cartridge's ROM and sizes its bank counts.
void CMachine::ApplyCartridgeMemory() {
  CMemoryMap& m = *memory_;
  m.programRom = cartridge_->ProgramData();
  m.characterRom = cartridge_->CharacterData();
  const int program = static_cast<int>(cartridge_->ProgramRom().size());
  const int character = static_cast<int>(cartridge_->CharacterRom().size());
  auto count = [](int bytes, int unit) { return bytes / unit > 0 ? bytes / unit : 1; };
  m.program8kCount = count(program, 0x2000);
  m.program16kCount = count(program, 0x4000);
  m.program32kCount = count(program, 0x8000);
  m.character1kCount = count(character, 0x400);
  m.character2kCount = count(character, 0x800);
  m.character4kCount = count(character, 0x1000);
  m.character8kCount = count(character, 0x2000);
}

void CMachine::HardwareReset() {
  CMemoryMap& m = *memory_;
  std::memset(m.workRam, 0, sizeof m.workRam);
  if (!cartridge_->HasBattery()) std::memset(m.cartridgeRam, 0xFF, sizeof m.cartridgeRam);
  std::memset(m.characterRam, 0, sizeof m.characterRam);
  std::memset(m.nameTableRam, 0, sizeof m.nameTableRam);
  std::memset(m.spriteRam, 0, sizeof m.spriteRam);
  std::memset(m.backgroundPalette, 0, sizeof m.backgroundPalette);
  std::memset(m.spritePalette, 0, sizeof m.spritePalette);
  std::memset(m.cpuRegisterShadow, 0, sizeof m.cpuRegisterShadow);
  pictureUnit_->State() = PictureUnitState{};
  m.frameCounter = 0xC0;
  frameIrq_ = 1;
  profiling_ = {};
  renderMethod_ = kRenderSplitLineDrawFirst;

  // Fixed pages: work RAM, the spare page behind the register areas, cartridge RAM.
  m.cpuPage[0] = m.workRam;
  m.cpuPageType[0] = kCpuRam;
  for (int page = 1; page <= 2; ++page) {
    m.cpuPage[page] = m.sparePage;
    m.cpuPageType[page] = kCpuRom;
    m.cpuPageNumber[page] = 0;
  }
  m.cpuPage[3] = m.cartridgeRam;
  m.cpuPageType[3] = kCpuRam;
  m.cpuPageNumber[3] = 0;

  ApplyCartridgeMemory();
  m.SetProgramBanks(0, 1, m.program8kCount - 2, m.program8kCount - 1);
  if (!cartridge_->CharacterRom().empty()) {
    m.SetCharacter8k(0);
  } else {
    for (int page = 0; page < 8; ++page) m.SetCharacterRam1k(page, page);
  }
  if (cartridge_->IsFourScreen()) {
    m.SetMirroring(kMirrorFourScreen);
  } else {
    m.SetMirroring(cartridge_->IsVerticalMirroring() ? kMirrorVertical : kMirrorHorizontal);
  }

  pictureUnit_->Reset();
  mapper_->Reset();
  if (cartridge_->CarriesTrainer()) {
    std::memcpy(m.cartridgeRam + 0x1000, cartridge_->Trainer().data(), CCartridge::kTrainerBytes);
  }
  controllerPorts_->Reset();
  cpu_->Reset();
  soundUnit_->Reset();
  if (cartridge_->IsSoundFile()) mapper_->Reset();
  scheduledCycles_ = 0;
  executedCycles_ = 0;
}

void CMachine::SoftwareReset() {
  controllerPorts_->Reset();
  cpu_->Reset();
  soundUnit_->Reset();
  if (cartridge_->IsSoundFile()) mapper_->Reset();
  scheduledCycles_ = 0;
  executedCycles_ = 0;
  memory_->frameCounter = 0xC0;
}

int CMachine::PostCommand(int command, int param) {
  switch (command) {
    case kCommandHardwareReset: HardwareReset(); return 1;
    case kCommandSoftwareReset: SoftwareReset(); return 1;
    case kCommandToggleMute: return soundUnit_->ToggleMute(param);
    default: return 0;
  }
}

uint8_t CMachine::PeekByte(uint16_t address) const {
  return memory_->cpuPage[address >> 13][PageOffset(address)];
}

void CMachine::PokeByte(uint16_t address, uint8_t data) {
  // ROM and the register areas are not writable from outside.
  const int page = address >> 13;
  if (memory_->cpuPageType[page] == kCpuRam) memory_->cpuPage[page][PageOffset(address)] = data;
}

uint8_t CMachine::CpuRead(uint16_t address) {
  switch (address >> 13) {
    case 0: return memory_->workRam[address & 0x7FF];
    case 1: return pictureUnit_->ReadRegister(address & 0xE007);
    case 2: return address < 0x4100 ? ReadIoPort(address) : mapper_->ReadLowArea(address);
    case 3: return mapper_->ReadLowArea(address);
    default: return memory_->cpuPage[address >> 13][address & 0x1FFF];
  }
}

void CMachine::CpuWrite(uint16_t address, uint8_t data) {
  switch (address >> 13) {
    case 0: memory_->workRam[address & 0x7FF] = data; break;
    case 1:
      if (!cartridge_->IsSoundFile()) pictureUnit_->WriteRegister(address & 0xE007, data);
      break;
    case 2:
      if (address < 0x4100) {
        WriteIoPort(address, data);
      } else {
        mapper_->WriteLowArea(address, data);
      }
      break;
    case 3: mapper_->WriteLowArea(address, data); break;
    default: mapper_->WriteRom(address, data); break;
  }
}

uint8_t CMachine::ReadIoPort(uint16_t address) {
  const int low = address & 0xFF;
  if (low <= 0x13 || low == 0x15) return soundUnit_->Read(address);
  switch (low) {
    case 0x14: return 0x14;
    case 0x16: return controllerPorts_->Read(address) | 0x40;
    case 0x17: return controllerPorts_->Read(address) | soundUnit_->Read(address);
    default: return mapper_->ReadExPort(address);
  }
}

void CMachine::WriteIoPort(uint16_t address, uint8_t data) {
  const int low = address & 0xFF;
  if (low <= 0x13 || low == 0x15) {
    soundUnit_->Write(address, data);
    memory_->cpuRegisterShadow[low] = data;
    return;
  }
  const uint32_t now = cpu_->TotalCycles();
  // Wrapping sums: a program may bracket code for hours.
  auto wrapped = [](uint32_t value) { return static_cast<int32_t>(value); };
  switch (low) {
    case 0x14:
      pictureUnit_->SpriteDma(data);
      cpu_->AddDmaStall(CCpu::kSpriteDmaStall);
      memory_->cpuRegisterShadow[low] = data;
      break;
    case 0x16:
      controllerPorts_->Write(address, data);
      memory_->cpuRegisterShadow[low] = data;
      break;
    case 0x17:
      memory_->cpuRegisterShadow[low] = data;
      memory_->frameCounter = data;
      controllerPorts_->Write(address, data);
      soundUnit_->Write(address, data);
      break;
    case 0x18: soundUnit_->Write(address, data); break;
    case 0x1C: profiling_.start = now; break;
    case 0x1D:
      profiling_.last = wrapped(now - 4 - profiling_.start);
      profiling_.total = wrapped(static_cast<uint32_t>(profiling_.total) + static_cast<uint32_t>(profiling_.last));
      profiling_.count = wrapped(static_cast<uint32_t>(profiling_.count) + 1);
      break;
    case 0x1E:
      profiling_.count = 0;
      profiling_.total = 0;
      profiling_.start2 = now;
      break;
    case 0x1F: profiling_.elapsed = wrapped(now - 4 - profiling_.start2); break;
    default: mapper_->WriteExPort(address, data); break;
  }
}

void CMachine::RunCpu(int masterCycles) {
  scheduledCycles_ += static_cast<uint64_t>(masterCycles);
  const int64_t due = static_cast<int64_t>(scheduledCycles_ / 12) - static_cast<int64_t>(executedCycles_);
  if (due > 0) executedCycles_ += static_cast<uint64_t>(cpu_->Execute(static_cast<int>(due)));
}

void CMachine::RunCpuBeforeNmi(int cpuCycles) {
  // The schedule moves by master cycles, the CPU by CPU cycles: the line's
  // next RunCpu then runs correspondingly less, so the frame keeps its length.
  scheduledCycles_ += static_cast<uint64_t>(cpuCycles);
  executedCycles_ += static_cast<uint64_t>(cpu_->Execute(cpuCycles));
}

// A frame that is not drawn still needs the flags a drawn line leaves; its
// pixels are not made.
void CMachine::DrawLine(int line, bool draw) {
  if (draw) {
    pictureUnit_->RenderLine(line, settings_.spriteMax, settings_.leftClip);
  } else {
    pictureUnit_->UndrawnLine(line, settings_.leftClip);
  }
}

// Lines 0-239 for render methods 0-3.
void CMachine::RunFrameLine(int method, int line, bool draw) {
  const MachineTiming& t = Timing();
  const bool wholeLine = method == kRenderLineCpuFirst || method == kRenderLineDrawFirst;
  if (line == 0) {
    RunCpu(wholeLine ? t.lineCycles : t.drawCycles);
    pictureUnit_->FrameStart();
    pictureUnit_->LineNext();
    mapper_->LineStart(0);
    if (!wholeLine) RunCpu(kLineStartPart);
    pictureUnit_->LineStart();
    if (!wholeLine) RunCpu(80 + t.lineEndCycles);
    return;
  }
  const bool cpuFirst = method == kRenderLineCpuFirst || method == kRenderSplitLineCpuFirst;
  const int drawPart = wholeLine ? t.lineCycles : t.drawCycles;
  if (cpuFirst) RunCpu(drawPart);
  DrawLine(line, draw);
  if (wholeLine) {
    pictureUnit_->LineNext();
    if (!cpuFirst) RunCpu(drawPart);
    mapper_->LineStart(line);
    pictureUnit_->LineStart();
    return;
  }
  if (!cpuFirst) RunCpu(drawPart);
  pictureUnit_->LineNext();
  mapper_->LineStart(line);
  RunCpu(kLineStartPart);
  pictureUnit_->LineStart();
  RunCpu(80 + t.lineEndCycles);
}

// Lines 0-239 for render method 4, where the picture unit runs CPU time per tile.
void CMachine::RunFrameTileLine(int line, bool draw) {
  const MachineTiming& t = Timing();
  if (line == 0) {
    RunCpu(t.drawCycles);
    pictureUnit_->FrameStart();
  } else if (draw || pictureUnit_->Sprite0Possible(line)) {
    // The renderer spends the line's drawing time itself, tile by tile.
    pictureUnit_->RenderLine(line, settings_.spriteMax, settings_.leftClip);
  } else {
    RunCpu(t.drawCycles);
    pictureUnit_->DummyLine(line);
  }
  pictureUnit_->LineNext();
  RunCpu(kTileSplit);
  mapper_->LineStart(line);
  RunCpu(kTileSplit);
  pictureUnit_->LineStart();
  RunCpu(80 + t.lineEndCycles);
}

// Lines 240-261.
void CMachine::RunVblankLine(int method, int line) {
  const MachineTiming& t = Timing();
  if (line == kRenderLines) mapper_->FrameEnd();
  if (line == kLastLine) pictureUnit_->VBlankEnd();
  int reduce = 0;
  if (line == kNmiLine) {
    pictureUnit_->VBlankStart();
    RunCpuBeforeNmi(kEarlyNmiCycles);
    if (pictureUnit_->NmiEnabled()) cpu_->RaiseNmi();
    reduce = kEarlyNmiCycles;
  }
  if (method == kRenderLineCpuFirst || method == kRenderLineDrawFirst) {
    RunCpu(t.lineCycles - reduce);
    mapper_->LineStart(line);
  } else {
    RunCpu(t.drawCycles - reduce);
    mapper_->LineStart(line);
    RunCpu(t.blankCycles);
  }
}

void CMachine::RunFrame(bool draw) {
  const int method = renderMethod_;
  for (int line = 0; line <= kLastLine; ++line) {
    pictureUnit_->SetRenderLine(line);
    if (line >= kRenderLines) {
      RunVblankLine(method, line);
    } else if (method == kRenderTiles) {
      RunFrameTileLine(line, draw);
    } else {
      RunFrameLine(method, line, draw);
    }
    currentScanline_ = line + 1;
  }
}

void CMachine::SaveSnapshot(const std::string& path) {
  if (cartridge_->IsSoundFile()) return;
  CSnapshot::Save(*this, path);
}

void CMachine::LoadSnapshot(const std::string& path) {
  if (cartridge_->IsSoundFile()) return;
  CSnapshot::Load(*this, path);
}

void CMachine::SaveState(MachineState& state) { CSnapshot::Take(*this, state); }

void CMachine::RestoreState(const MachineState& state) { CSnapshot::Restore(*this, state); }

}  // namespace qgu::core
