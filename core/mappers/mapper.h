#pragma once
// CMapper: the cartridge's bank-switching hardware. The base gives the
// default behaviour of every operation; one derived class per board.

#include <cstdint>

namespace qgu::core {

class CMachine;

class CMapper {
 public:
  explicit CMapper(CMachine& machine) : machine_(machine) {}
  virtual ~CMapper() = default;

  virtual void Reset() = 0;
  virtual void WriteRom(uint16_t address, uint8_t data);
  virtual uint8_t ReadLowArea(uint16_t address);              // $4100-$7FFF
  virtual void WriteLowArea(uint16_t address, uint8_t data);  // $4100-$7FFF
  virtual uint8_t ReadExPort(uint16_t address);               // $4018-$40FF
  virtual void WriteExPort(uint16_t address, uint8_t data);
  virtual void LineStart(int scanline);
  virtual void FrameEnd();
  virtual void CpuClock(int cycles);
  virtual void PatternAddressLatch(uint16_t address);
  virtual bool HasSaveState() const;
  virtual void SaveState(uint8_t* buffer);        // 256 bytes
  virtual void LoadState(const uint8_t* buffer);  // 256 bytes

  // The CPU calls CpuClock after an instruction only while this is set; a
  // board keeps it set whenever its CpuClock has something to do, so the
  // per-instruction virtual call is skipped for nothing.
  bool WantsCpuClock() const { return wantsCpuClock_; }
  // Set by a board whose $6000-$7FFF is the base's plain memory through the
  // page table (it overrides neither ReadLowArea nor WriteLowArea there): the
  // CPU then reads and writes those pages directly instead of calling.
  bool PlainCartridgeRam() const { return plainCartridgeRam_; }
  // Set by a board that overrides PatternAddressLatch: the picture unit calls
  // it only then, since it would otherwise be a virtual call for nothing on
  // every line.
  bool WantsPatternAddresses() const { return wantsPatternAddresses_; }

 protected:
  CMachine& machine_;
  bool wantsCpuClock_ = false;
  bool plainCartridgeRam_ = false;
  bool wantsPatternAddresses_ = false;
};

}  // namespace qgu::core
