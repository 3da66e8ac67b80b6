#pragma once
// A machine stand-in for sound-unit tests: settable CPU time and memory, and an
// I/O port that hands $4018 writes back to the unit as the machine does.

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/apu/sound_bus.h"
#include "core/apu/sound_unit.h"

namespace qgu::core::testing {

using RegisterWrites = std::vector<std::pair<uint16_t, uint8_t>>;

// Register writes in order, to a sound unit or its channels.
template <class Registers>
void WriteRegisters(Registers& registers, const RegisterWrites& writes) {
  for (const auto& [address, data] : writes) registers.Write(address, data);
}

class FakeSoundBus : public SoundBus {
 public:
  const MachineSettings& Settings() const override { return settings; }
  uint32_t CpuTotalCycles() const override { return cycles; }
  uint8_t CpuRead(uint16_t address) override {
    reads.push_back(address);
    return memory[address];
  }
  void WriteIoPort(uint16_t address, uint8_t data) override {
    portWrites.push_back(data);
    if (unit != nullptr) unit->Write(address, data);
  }
  bool FrameIrqEnabled() const override { return frameIrq; }

  MachineSettings settings;
  uint32_t cycles = 0;
  bool frameIrq = true;
  std::array<uint8_t, 0x10000> memory{};
  std::vector<uint16_t> reads;
  std::vector<uint8_t> portWrites;  // values written to $4018
  CSoundUnit* unit = nullptr;
};

// A sound unit on a fake bus, with the CPU-side loop a machine would run.
struct SoundRig {
  explicit SoundRig(int rate = 44100, int bits = 16) : unit(bus) {
    bus.settings.samplingRate = rate;
    bus.settings.samplingBits = bits;
    bus.unit = &unit;
    unit.Reset();
  }

  // CPU time passing as Execute does it: the unit is synchronised first.
  int RunCpu(int cycles) {
    const int irq = unit.Sync(cycles);
    bus.cycles += cycles;
    return irq;
  }
  void RunCpuInSlices(int cycles, int slice = 113) {
    for (; cycles > 0; cycles -= slice) RunCpu(cycles < slice ? cycles : slice);
  }

  std::vector<int16_t> Render16(int samples) {
    std::vector<int16_t> out(samples);
    unit.Process(reinterpret_cast<uint8_t*>(out.data()), samples * 2);
    return out;
  }
  std::vector<uint8_t> Render8(int samples) {
    std::vector<uint8_t> out(samples);
    unit.Process(out.data(), samples);
    return out;
  }

  // Rectangle 1 at a constant volume of 15 with a 50% duty, long length.
  void StartRectangle(int period) {
    WriteRegisters(unit, {{0x4015, 0x01}, {0x4000, 0xBF}, {0x4001, 0x08}, {0x4002, static_cast<uint8_t>(period & 0xFF)},
                          {0x4003, static_cast<uint8_t>(0x08 | (period >> 8))}});
  }

  FakeSoundBus bus;
  CSoundUnit unit;
};

}  // namespace qgu::core::testing
