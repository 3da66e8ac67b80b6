#pragma once
// CMachine: the whole console. Owns every component and the memory block,
// routes the CPU bus and runs one video frame at a time as a fixed sequence of
// scanlines in which CPU time, picture-unit work and mapper line events are
// interleaved.

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

#include "core/machine_settings.h"
#include "core/memory_map.h"
#include "core/mappers/mapper_factory.h"
#include "core/render_buffer.h"

namespace qgu::core {

class CCpu;
class CPictureUnit;
class CSoundUnit;
class CCartridge;
class CMapper;
class CControllerPorts;
struct MachineState;

// Machine construction failed: bad image or a mapper this system does not have.
class MachineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// NTSC timing; all scanline quantities in master-clock cycles (12 per CPU cycle).
struct MachineTiming {
  float masterClock;
  float cpuClock;
  int linesPerFrame;
  int lineCycles;       // L
  int drawCycles;       // H
  int blankCycles;      // B
  int lineEndCycles;    // E
  int frameCycles;
  int frameIrqCycles;
  int frameRate;
  float framePeriodMs;
};

inline constexpr MachineTiming kNtscTiming = {
    21477270.0f, 1789772.5f, 262, 1364, 1024, 340, 4, 357368, 29830, 60, 16.666666f};

// PostCommand's commands.
enum MachineCommand : int {
  kCommandHardwareReset = 1,
  kCommandSoftwareReset = 2,
  kCommandToggleMute = 3,  // param: the sound channel
};

class CMachine {
 public:
  // image: an iNES image (any length up to 0x60010 bytes; shorter images are
  // padded). Throws MachineError when the image or its mapper is refused.
  explicit CMachine(std::span<const uint8_t> image, const MachineSettings& settings = {},
                    const MapperFactory& mappers = ProductMapperFactory(),
                    const GameOptionLoader& loadGameOptions = {});
  virtual ~CMachine();
  CMachine(const CMachine&) = delete;
  CMachine& operator=(const CMachine&) = delete;

  void HardwareReset();
  void SoftwareReset();
  // Returns 1 for the resets, the channel's new flag for kCommandToggleMute.
  int PostCommand(int command, int param);

  // Runs one frame. draw = false skips drawing but still renders lines on
  // which sprite 0 can hit.
  void RunFrame(bool draw);

  // The CPU bus.
  uint8_t CpuRead(uint16_t address);
  void CpuWrite(uint16_t address, uint8_t data);
  uint8_t ReadIoPort(uint16_t address);
  void WriteIoPort(uint16_t address, uint8_t data);

  // The only ways CPU time is spent.
  void RunCpu(int masterCycles);
  void RunCpuBeforeNmi(int cpuCycles);

  // Snapshot files; throw std::runtime_error on failure (earlier blocks stay applied).
  void SaveSnapshot(const std::string& path);
  void LoadSnapshot(const std::string& path);
  // The same state in memory, fast, for rollback netplay: RestoreState goes
  // back to the moment of SaveState exactly (the sound already heard stays).
  void SaveState(MachineState& state);
  void RestoreState(const MachineState& state);

  // One byte of console memory as the 6502 sees it through the CPU page table
  // (console RAM, cartridge RAM, ROM). Used by the game driver and tests; no
  // side effects on registers.
  uint8_t PeekByte(uint16_t address) const;
  void PokeByte(uint16_t address, uint8_t data);

  CMemoryMap& Memory() { return *memory_; }
  const CMemoryMap& Memory() const { return *memory_; }
  CCpu& Cpu() { return *cpu_; }
  const CCpu& Cpu() const { return *cpu_; }
  CPictureUnit& PictureUnit() { return *pictureUnit_; }
  CSoundUnit& SoundUnit() { return *soundUnit_; }
  CCartridge& Cartridge() { return *cartridge_; }
  CMapper& Mapper() { return *mapper_; }
  CControllerPorts& ControllerPorts() { return *controllerPorts_; }
  const MachineSettings& Settings() const { return settings_; }
  static const MachineTiming& Timing() { return kNtscTiming; }

  int CurrentScanline() const { return currentScanline_; }
  int RenderMethod() const { return renderMethod_; }
  void SetRenderMethod(int method) { renderMethod_ = method; }
  int IrqType() const { return irqType_; }
  void SetIrqType(int type) { irqType_ = type; }
  bool FrameIrqEnabled() const { return frameIrq_ != 0; }
  int VideoMode() const { return videoMode_; }

  // The render buffer the picture unit draws into; the machine has its own
  // until the host attaches another (of kRenderBufferBytes).
  uint8_t* RenderBuffer() { return renderBuffer_; }
  void AttachRenderBuffer(uint8_t* buffer);

  // Stored by the game start for the game driver before the first frame.
  int32_t FormationPairValue() const { return formationPairValue_; }
  void SetFormationPairValue(int32_t value) { formationPairValue_ = value; }
  uint8_t ControlByte() const { return controlByte_; }
  void SetControlByte(uint8_t value) { controlByte_ = value; }

  uint64_t ScheduledCycles() const { return scheduledCycles_; }
  uint64_t ExecutedCycles() const { return executedCycles_; }
  // Snapshots restore the two counts.
  void SetCycleCounts(uint64_t scheduled, uint64_t executed) {
    scheduledCycles_ = scheduled;
    executedCycles_ = executed;
  }

  // The profiling ports $401C-$401F: a program brackets code with writes and
  // reads the cycle counts back through a debugger or a test. The counts wrap
  // as the CPU's cycle total does.
  struct Profiling {
    uint32_t start = 0;
    int32_t last = 0;
    int32_t total = 0;
    int32_t count = 0;
    uint32_t start2 = 0;
    int32_t elapsed = 0;
  };
  const Profiling& ProfilingCounters() const { return profiling_; }

  int BatteryRamSize() const { return batteryRamSize_; }
  void SetVideoMode(int mode);

 private:
  void DrawLine(int line, bool draw);
  void RunFrameLine(int method, int line, bool draw);
  void RunFrameTileLine(int line, bool draw);
  void RunVblankLine(int method, int line);
  void ApplyCartridgeMemory();

  // The implementation adds what it needs below; the public interface above is
  // what the other components and the host use.
  std::unique_ptr<CMemoryMap> memory_;
  MachineSettings settings_;
  std::unique_ptr<CCpu> cpu_;
  std::unique_ptr<CPictureUnit> pictureUnit_;
  std::unique_ptr<CSoundUnit> soundUnit_;
  std::unique_ptr<CControllerPorts> controllerPorts_;
  std::unique_ptr<CCartridge> cartridge_;
  std::unique_ptr<CMapper> mapper_;

  int32_t formationPairValue_ = 0;
  uint8_t controlByte_ = 0;

  GameOptions defaultOptions_;
  GameOptions loadedOptions_;
  int frameIrq_ = 1;
  int currentScanline_ = 0;
  Profiling profiling_;
  int batteryRamSize_ = 8192;
  int irqType_ = 0;
  int videoMode_ = 0;
  int renderMethod_ = kRenderSplitLineDrawFirst;
  uint64_t scheduledCycles_ = 0;
  uint64_t executedCycles_ = 0;

  std::unique_ptr<uint8_t[]> ownRenderBuffer_;
  uint8_t* renderBuffer_ = nullptr;
};

}  // namespace qgu::core
