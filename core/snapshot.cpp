#include "core/snapshot.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/file_read.h"
#include "core/apu/sound_unit.h"
#include "core/cartridge.h"
#include "core/controller_ports.h"
#include "core/cpu/cpu.h"
#include "core/machine.h"
#include "core/mappers/mapper.h"

namespace qgu::core {

namespace {

constexpr char kMagic[12] = {'P', 'a', 'r', 'v', 'a', 'l', 'u', 'n', 'e', ' ', 'S', 'T'};
constexpr uint16_t kFileVersion = 0x0200;
constexpr int kFileHeaderBytes = 32;
constexpr int kOldFileHeaderBytes = 16;
constexpr int kBlockHeaderBytes = 16;

constexpr uint16_t kRegVersion = 0x0210;
constexpr uint16_t kRegVersionFrameCounter = 0x0200;  // byte 8 is the $4017 value
constexpr int kRegBytes = 96;
constexpr int32_t kMaxDmaStall = 0xFFFF;
// CPU cycles the executed count may stand from the scheduled one: two frames.
constexpr int64_t kMaxDrift = 2 * 29781;
constexpr uint16_t kRamVersion = 0x0100;
constexpr int kRamBytes = 2048 + 16 + 16 + 256;
constexpr int kBatteryBytes = 8192;
constexpr uint16_t kMmuVersion = 0x0200;
constexpr int kMmuFixedBytes = 68;
constexpr int kPageBytes = 8192;
constexpr int kGranuleBytes = 4096;
constexpr uint16_t kMmcVersion = 0x0100;
constexpr int kMmcBytes = 256;
constexpr uint16_t kCtrVersion = 0x0100;
constexpr int kCtrBytes = 32;
// The largest snapshot is under 100 KB; nothing near this size is one.
constexpr size_t kMaxSnapshotFileBytes = 1 << 20;

// Little-endian field access over a byte buffer.
void Put16(uint8_t* at, uint16_t v) { at[0] = uint8_t(v); at[1] = uint8_t(v >> 8); }
void Put32(uint8_t* at, uint32_t v) { for (int i = 0; i < 4; ++i) at[i] = uint8_t(v >> (8 * i)); }
void Put64(uint8_t* at, uint64_t v) { for (int i = 0; i < 8; ++i) at[i] = uint8_t(v >> (8 * i)); }
uint16_t Get16(const uint8_t* at) { return uint16_t(at[0] | (at[1] << 8)); }
uint32_t Get32(const uint8_t* at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | at[i];
  return v;
}
uint64_t Get64(const uint8_t* at) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | at[i];
  return v;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File Open(const std::string& path, const char* mode) {
  File file(std::fopen(path.c_str(), mode));
  if (!file) throw SnapshotError("cannot open snapshot file " + path);
  return file;
}

// ---- Saving ----

class Writer {
 public:
  Writer(std::FILE* file, const std::string& path) : file_(file), path_(path) {}

  void Bytes(const void* data, size_t size) {
    if (size != 0 && std::fwrite(data, 1, size, file_) != size) {
      throw SnapshotError("short write to snapshot file " + path_);
    }
  }
  void Block(const char (&id)[9], uint16_t version, const std::vector<uint8_t>& body) {
    uint8_t header[kBlockHeaderBytes] = {};
    std::memcpy(header, id, 8);
    Put16(header + 10, version);
    Put32(header + 12, static_cast<uint32_t>(body.size()));
    Bytes(header, sizeof header);
    Bytes(body.data(), body.size());
  }

 private:
  std::FILE* file_;
  const std::string& path_;
};

std::vector<uint8_t> RegisterBody(CMachine& machine) {
  std::vector<uint8_t> body(kRegBytes, 0);
  const CCpu::Registers r = machine.Cpu().GetRegisters();
  Put16(&body[0], r.pc);
  body[2] = r.a;
  body[3] = r.x;
  body[4] = r.y;
  body[5] = r.s;
  body[6] = r.p;
  body[7] = r.pendingInterrupts;
  const CSoundUnit::FrameSequencerState sequencer = machine.SoundUnit().GetFrameSequencer();
  body[8] = sequencer.last4017;
  body[9] = sequencer.interruptPending;
  body[10] = sequencer.step;
  body[11] = sequencer.fiveStepMode;
  Put32(&body[12], static_cast<uint32_t>(sequencer.cycleCount));
  Put32(&body[16], static_cast<uint32_t>(r.dmaStall));
  Put64(&body[20], machine.ExecutedCycles());
  Put64(&body[28], machine.ScheduledCycles());
  const CMemoryMap& m = machine.Memory();
  std::memcpy(&body[64], m.ppuRegister, 4);
  body[68] = m.ppuReadBuffer;
  body[69] = m.ppuToggle;
  Put16(&body[70], m.ppuT);
  Put16(&body[72], m.ppuV);
  Put16(&body[74], m.ppuFineX);
  return body;
}

std::vector<uint8_t> RamBody(CMachine& machine) {
  const CMemoryMap& m = machine.Memory();
  std::vector<uint8_t> body;
  body.insert(body.end(), m.workRam, m.workRam + 2048);
  body.insert(body.end(), m.backgroundPalette, m.backgroundPalette + 16);
  body.insert(body.end(), m.spritePalette, m.spritePalette + 16);
  body.insert(body.end(), m.spriteRam, m.spriteRam + 256);
  if (machine.Cartridge().HasBattery()) body.insert(body.end(), m.cartridgeRam, m.cartridgeRam + kBatteryBytes);
  return body;
}

std::vector<uint8_t> MmuBody(CMachine& machine) {
  const CMemoryMap& m = machine.Memory();
  std::vector<uint8_t> body(kMmuFixedBytes, 0);
  for (int page = 3; page < 8; ++page) body[page] = m.cpuPageType[page];  // 0-2 stay 0
  for (int page = 0; page < 8; ++page) Put16(&body[8 + 2 * page], static_cast<uint16_t>(m.cpuPageNumber[page]));
  for (int page = 0; page < 12; ++page) {
    body[24 + page] = m.ppuPageType[page];
    Put16(&body[36 + 2 * page], static_cast<uint16_t>(m.ppuPageNumber[page]));
  }
  std::memcpy(&body[60], m.characterRamUsed, 8);
  for (int page = 3; page < 8; ++page) {
    if (m.cpuPageType[page] != 0) body.insert(body.end(), m.cpuPage[page], m.cpuPage[page] + kPageBytes);
  }
  body.insert(body.end(), m.nameTableRam, m.nameTableRam + sizeof m.nameTableRam);
  for (int granule = 0; granule < 8; ++granule) {
    if (m.characterRamUsed[granule]) {
      const uint8_t* from = m.characterRam + granule * kGranuleBytes;
      body.insert(body.end(), from, from + kGranuleBytes);
    }
  }
  return body;
}

std::vector<uint8_t> ControllerBody(CMachine& machine) {
  std::vector<uint8_t> body(kCtrBytes, 0);
  const CControllerPorts::ShiftState state = machine.ControllerPorts().GetShiftState();
  for (int pad = 0; pad < 4; ++pad) Put32(&body[4 * pad], state.shift[pad]);
  body[16] = state.strobe ? 0xFF : 0x00;
  return body;
}

// ---- Loading ----

class Reader {
 public:
  Reader(std::FILE* file, const std::string& path) : file_(file), path_(path) {}

  // Bytes actually read; fewer only at the end of the file.
  size_t Some(void* data, size_t size) { return std::fread(data, 1, size, file_); }
  std::vector<uint8_t> Body(size_t size) {
    std::vector<uint8_t> body(size);
    if (Some(body.data(), size) != size) throw SnapshotError("snapshot file " + path_ + " is cut short");
    return body;
  }

 private:
  std::FILE* file_;
  const std::string& path_;
};

// Walks a block body, failing when the body is shorter than its content.
class BodyCursor {
 public:
  explicit BodyCursor(const std::vector<uint8_t>& body) : body_(body) {}
  const uint8_t* Take(size_t size) {
    if (at_ + size > body_.size()) throw SnapshotError("snapshot block is shorter than its content");
    const uint8_t* p = body_.data() + at_;
    at_ += size;
    return p;
  }

 private:
  const std::vector<uint8_t>& body_;
  size_t at_ = 0;
};

// Each block's reader: the block's version and its whole body.
using BlockLoader = void (*)(CMachine& machine, uint16_t version, const std::vector<uint8_t>& body);

void LoadRegisters(CMachine& machine, uint16_t version, const std::vector<uint8_t>& body) {
  if (version < 0x0200) {
    // The older 344-byte register layout is not carried forward: its body is
    // consumed and the machine's registers are left as they are.
  } else {
    BodyCursor cursor(body);
    const uint8_t* b = cursor.Take(kRegBytes);
    CCpu::Registers r = machine.Cpu().GetRegisters();
    r.pc = Get16(b);
    r.a = b[2];
    r.x = b[3];
    r.y = b[4];
    r.s = b[5];
    r.p = b[6];
    r.pendingInterrupts = b[7];
    r.dmaStall = static_cast<int32_t>(Get32(b + 16));
    const uint64_t executed = Get64(b + 20);
    const uint64_t scheduled = Get64(b + 28);
    // Counts a running machine cannot reach would stall it for hours.
    if (r.dmaStall < 0 || r.dmaStall > kMaxDmaStall) throw SnapshotError("snapshot has an impossible DMA stall");
    const int64_t drift = static_cast<int64_t>(executed - scheduled / 12);
    if (drift < -kMaxDrift || drift > kMaxDrift) throw SnapshotError("snapshot cycle counts disagree");
    // The CPU's counter runs in step with the machine's executed count.
    r.totalCycles = static_cast<uint32_t>(executed);
    machine.Cpu().SetRegisters(r);
    machine.SetCycleCounts(scheduled, executed);
    if (version == kRegVersionFrameCounter) {
      machine.Memory().frameCounter = b[8];
    } else {
      machine.SoundUnit().SetFrameSequencer({b[8], b[9], b[10], b[11], static_cast<int32_t>(Get32(b + 12))});
    }
    CMemoryMap& m = machine.Memory();
    std::memcpy(m.ppuRegister, b + 64, 4);
    m.ppuReadBuffer = b[68];
    m.ppuToggle = b[69];
    m.ppuT = Get16(b + 70);
    m.ppuV = Get16(b + 72);
    m.ppuFineX = static_cast<uint8_t>(Get16(b + 74) & 7);
  }
  machine.SoundUnit().ClearQueues();
  for (uint16_t address = 0x4010; address <= 0x4013; ++address) machine.WriteIoPort(address, 0);
}

void LoadRam(CMachine& machine, uint16_t, const std::vector<uint8_t>& body) {
  CMemoryMap& m = machine.Memory();
  BodyCursor cursor(body);
  std::memcpy(m.workRam, cursor.Take(2048), 2048);
  std::memcpy(m.backgroundPalette, cursor.Take(16), 16);
  std::memcpy(m.spritePalette, cursor.Take(16), 16);
  std::memcpy(m.spriteRam, cursor.Take(256), 256);
  if (machine.Cartridge().HasBattery()) std::memcpy(m.cartridgeRam, cursor.Take(kBatteryBytes), kBatteryBytes);
}

void LoadMmu(CMachine& machine, uint16_t version, const std::vector<uint8_t>& body) {
  CMemoryMap& m = machine.Memory();
  const bool battery = machine.Cartridge().HasBattery();
  BodyCursor cursor(body);
  const uint8_t* fixed = cursor.Take(kMmuFixedBytes);
  for (int page = 3; page < 8; ++page) {
    const uint8_t type = fixed[page];
    const int number = static_cast<int16_t>(Get16(fixed + 8 + 2 * page));
    const bool fromFile = version < kMmuVersion && page == 3 ? type == 0x01 : type != kCpuRom;
    if (fromFile) {
      // No board of this system puts RAM at $8000-$FFFF: such a file is not ours.
      if (page >= 4) throw SnapshotError("snapshot maps RAM into program space");
      m.cpuPageType[page] = type;
      m.cpuPageNumber[page] = number;
      std::memcpy(m.cpuPage[page], cursor.Take(kPageBytes), kPageBytes);
    } else if (type == kCpuRom && !(version < kMmuVersion && page == 3 && battery)) {
      m.SetProgram8k(page, number);
    }
  }
  std::memcpy(m.nameTableRam, cursor.Take(sizeof m.nameTableRam), sizeof m.nameTableRam);
  for (int granule = 0; granule < 8; ++granule) {
    m.characterRamUsed[granule] = fixed[60 + granule];
    if (fixed[60 + granule]) std::memcpy(m.characterRam + granule * kGranuleBytes, cursor.Take(kGranuleBytes), kGranuleBytes);
  }
  const bool hasCharacterRom = m.characterRom != nullptr;
  for (int page = 0; page < 12; ++page) {
    const int number = static_cast<int16_t>(Get16(fixed + 36 + 2 * page));
    switch (fixed[24 + page]) {
      case kPpuCharacterRom:
        if (!hasCharacterRom) throw SnapshotError("snapshot maps character ROM the cartridge does not have");
        m.SetCharacter1k(page, number);
        break;
      case kPpuCharacterRam: m.SetCharacterRam1k(page, number); break;
      case kPpuNameTableRam: m.SetNameTable1k(page, number); break;
      default: throw SnapshotError("snapshot has an unknown picture-unit page type");
    }
  }
}

void LoadMapper(CMachine& machine, uint16_t, const std::vector<uint8_t>& body) {
  BodyCursor cursor(body);
  machine.Mapper().LoadState(cursor.Take(kMmcBytes));
}

void LoadControllers(CMachine& machine, uint16_t, const std::vector<uint8_t>& body) {
  BodyCursor cursor(body);
  const uint8_t* b = cursor.Take(17);
  CControllerPorts::ShiftState state{};
  for (int pad = 0; pad < 4; ++pad) state.shift[pad] = Get32(b + 4 * pad);
  state.strobe = b[16] != 0;
  machine.ControllerPorts().SetShiftState(state);
}

// The blocks this machine reads; any other id ends the load.
BlockLoader LoaderFor(const std::string& id) {
  static constexpr std::pair<const char*, BlockLoader> kLoaders[] = {
      {"REG DATA", LoadRegisters}, {"RAM DATA", LoadRam},         {"MMU DATA", LoadMmu},
      {"MMC DATA", LoadMapper},    {"CTR DATA", LoadControllers},
  };
  for (const auto& [known, loader] : kLoaders) {
    if (id == known) return loader;
  }
  return nullptr;
}

}  // namespace

void CSnapshot::Save(CMachine& machine, const std::string& path) {
  File file = Open(path, "wb");
  Writer out(file.get(), path);
  uint8_t header[kFileHeaderBytes] = {};
  std::memcpy(header, kMagic, sizeof kMagic);
  Put16(header + 14, kFileVersion);
  Put32(header + 16, machine.Cartridge().ProgramCrc());
  out.Bytes(header, sizeof header);
  out.Block("REG DATA", kRegVersion, RegisterBody(machine));
  out.Block("RAM DATA", kRamVersion, RamBody(machine));
  out.Block("MMU DATA", kMmuVersion, MmuBody(machine));
  if (machine.Mapper().HasSaveState()) {
    std::vector<uint8_t> state(kMmcBytes, 0);
    machine.Mapper().SaveState(state.data());
    out.Block("MMC DATA", kMmcVersion, state);
  }
  out.Block("CTR DATA", kCtrVersion, ControllerBody(machine));
  if (std::fflush(file.get()) != 0) throw SnapshotError("short write to snapshot file " + path);
}

void CSnapshot::Load(CMachine& machine, const std::string& path) {
  // Read whole and bounded first: a folder, a device, a pipe or a huge file is
  // refused before anything is read from it.
  base::Result<std::vector<uint8_t>> bytes = base::ReadFileBytes(path, kMaxSnapshotFileBytes);
  if (!bytes) throw SnapshotError("cannot open snapshot file: " + bytes.error());
  if (bytes.value().empty()) return;  // nothing to load
  File file(fmemopen(bytes.value().data(), bytes.value().size(), "rb"));
  if (!file) throw SnapshotError("cannot open snapshot file " + path);
  Reader in(file.get(), path);
  uint8_t header[kFileHeaderBytes] = {};
  if (in.Some(header, kOldFileHeaderBytes) != kOldFileHeaderBytes) return;  // nothing to load
  if (std::memcmp(header, kMagic, sizeof kMagic) != 0) throw SnapshotError(path + " is not a snapshot file");
  if (Get16(header + 14) >= 0x0200) in.Body(kFileHeaderBytes - kOldFileHeaderBytes);

  for (;;) {
    uint8_t block[kBlockHeaderBytes];
    const size_t got = in.Some(block, sizeof block);
    if (got == 0) return;
    if (got != sizeof block) throw SnapshotError("snapshot file " + path + " is cut short");
    const std::string id(reinterpret_cast<const char*>(block), 8);
    const uint16_t version = Get16(block + 10);
    const uint32_t size = Get32(block + 12);
    const BlockLoader load = LoaderFor(id);
    if (load == nullptr) return;  // a block this machine does not know ends the load
    // No block of this format comes near this size: a corrupt length is refused
    // before any memory is set aside for it.
    if (size > (1u << 20)) throw SnapshotError("snapshot block " + id + " has an impossible size");
    load(machine, version, in.Body(size));
  }
}

}  // namespace qgu::core
