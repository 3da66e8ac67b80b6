#include "core/snapshot.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <span>
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
#include "core/ppu/picture_unit.h"

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
constexpr int kBatteryBytes = 8192;
constexpr uint16_t kMmuVersion = 0x0200;
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
uint16_t Get16(const uint8_t* at) { return uint16_t(at[0] | (at[1] << 8)); }
uint32_t Get32(const uint8_t* at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | at[i];
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

// Appends a snapshot's header and blocks to a byte buffer.
class Writer {
 public:
  explicit Writer(std::vector<uint8_t>& out) : out_(out) {}

  void Bytes(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), bytes, bytes + size);
  }
  // The block's header with its size left open; returns where its body starts.
  size_t BeginBlock(const char (&id)[9], uint16_t version) {
    uint8_t header[kBlockHeaderBytes] = {};
    std::memcpy(header, id, 8);
    Put16(header + 10, version);
    Bytes(header, sizeof header);
    return out_.size();
  }
  void EndBlock(size_t bodyAt) { Put32(out_.data() + bodyAt - 4, static_cast<uint32_t>(out_.size() - bodyAt)); }

 private:
  std::vector<uint8_t>& out_;
};

// ---- One field list per block ----
//
// Each block's body is described once, as a walk over its fields in file
// order; saving walks it with a FieldWriter, loading with a FieldReader, so
// the two directions cannot disagree on a field's place or width.

// Appends each field, little-endian.
class FieldWriter {
 public:
  explicit FieldWriter(std::vector<uint8_t>& body) : body_(body) {}
  template <typename Stored, typename T>
  void As(T& value) {
    const uint64_t v = static_cast<uint64_t>(static_cast<Stored>(value));
    for (size_t i = 0; i < sizeof(Stored); ++i) body_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  template <typename T>
  void Number(T& value) { As<T>(value); }
  void Flag(bool& value) { body_.push_back(value ? 0xFF : 0x00); }
  void Bytes(uint8_t* data, size_t size) { body_.insert(body_.end(), data, data + size); }
  void Skip(size_t size) { body_.insert(body_.end(), size, 0); }
  size_t Position() const { return body_.size(); }

 private:
  std::vector<uint8_t>& body_;
};

// Takes each field from a block body, failing when the body is shorter than
// its content (padding at its end may be missing).
class FieldReader {
 public:
  explicit FieldReader(std::span<const uint8_t> body) : body_(body) {}
  template <typename Stored, typename T>
  void As(T& value) {
    const uint8_t* at = Take(sizeof(Stored));
    uint64_t v = 0;
    for (size_t i = sizeof(Stored); i-- > 0;) v = (v << 8) | at[i];
    value = static_cast<T>(static_cast<Stored>(v));
  }
  template <typename T>
  void Number(T& value) { As<T>(value); }
  void Flag(bool& value) { value = *Take(1) != 0; }
  void Bytes(uint8_t* data, size_t size) { std::memcpy(data, Take(size), size); }
  void Skip(size_t size) { at_ += std::min(size, body_.size() - at_); }

 private:
  const uint8_t* Take(size_t size) {
    if (size > body_.size() - at_) throw SnapshotError("snapshot block is shorter than its content");
    const uint8_t* p = body_.data() + at_;
    at_ += size;
    return p;
  }
  std::span<const uint8_t> body_;
  size_t at_ = 0;
};

// "REG DATA": the registers of the CPU, the frame sequencer and the picture
// unit, and the machine's two cycle counts.
struct RegisterBlock {
  CCpu::Registers cpu{};
  CSoundUnit::FrameSequencerState sequencer{};
  uint64_t executed = 0;
  uint64_t scheduled = 0;
  PictureUnitState picture{};
};

template <class Fields>
void RegisterFields(Fields& f, RegisterBlock& b) {
  f.Number(b.cpu.pc);
  f.Number(b.cpu.a);
  f.Number(b.cpu.x);
  f.Number(b.cpu.y);
  f.Number(b.cpu.s);
  f.Number(b.cpu.p);
  f.Number(b.cpu.pendingInterrupts);
  f.Number(b.sequencer.last4017);  // version 0x0200: the frame counter byte
  f.Number(b.sequencer.interruptPending);
  f.Number(b.sequencer.step);
  f.Number(b.sequencer.fiveStepMode);
  f.template As<uint32_t>(b.sequencer.cycleCount);
  f.template As<uint32_t>(b.cpu.dmaStall);
  f.Number(b.executed);
  f.Number(b.scheduled);
  f.Skip(64 - 36);
  f.Bytes(b.picture.registers, sizeof b.picture.registers);
  f.Number(b.picture.readBuffer);
  f.Number(b.picture.toggle);
  f.Number(b.picture.t);
  f.Number(b.picture.v);
  f.template As<uint16_t>(b.picture.fineX);
  f.Skip(kRegBytes - 76);
}

// "RAM DATA": console RAM, palettes, sprite RAM and, with battery RAM, the
// first 8 KB of cartridge RAM.
template <class Fields>
void RamFields(Fields& f, CMemoryMap& m, bool battery) {
  f.Bytes(m.workRam, 2048);
  f.Bytes(m.backgroundPalette, sizeof m.backgroundPalette);
  f.Bytes(m.spritePalette, sizeof m.spritePalette);
  f.Bytes(m.spriteRam, sizeof m.spriteRam);
  if (battery) f.Bytes(m.cartridgeRam, kBatteryBytes);
}

// "MMU DATA", fixed part: the page tables' types and bank numbers.
struct MmuTable {
  uint8_t cpuType[8] = {};
  int32_t cpuNumber[8] = {};
  uint8_t ppuType[12] = {};
  int32_t ppuNumber[12] = {};
  uint8_t characterRamUsed[8] = {};
};

template <class Fields>
void MmuTableFields(Fields& f, MmuTable& t) {
  f.Bytes(t.cpuType, sizeof t.cpuType);
  for (int32_t& number : t.cpuNumber) f.template As<int16_t>(number);
  f.Bytes(t.ppuType, sizeof t.ppuType);
  for (int32_t& number : t.ppuNumber) f.template As<int16_t>(number);
  f.Bytes(t.characterRamUsed, sizeof t.characterRamUsed);
}

// Whether CPU page 3-7's 8 KB are in the file (RAM-backed pages are); a
// version 0x0100 body carries page 3 only when its saved type is 0x01.
bool CpuPageInFile(uint16_t version, int page, uint8_t type) {
  if (version < kMmuVersion && page == 3) return type == 0x01;
  return type != kCpuRom;
}

// "MMU DATA", the rest: the RAM behind the pages, name-table RAM and the used
// character-RAM granules, as the table says.
template <class Fields>
void MmuMemoryFields(Fields& f, CMemoryMap& m, const MmuTable& t, uint16_t version) {
  for (int page = 3; page < 8; ++page) {
    if (CpuPageInFile(version, page, t.cpuType[page])) f.Bytes(m.cpuPage[page], kPageBytes);
  }
  f.Bytes(m.nameTableRam, sizeof m.nameTableRam);
  for (int granule = 0; granule < 8; ++granule) {
    if (t.characterRamUsed[granule]) f.Bytes(m.characterRam + granule * kGranuleBytes, kGranuleBytes);
  }
}

// "CTR DATA": the controller shift registers and the strobe.
template <class Fields>
void ControllerFields(Fields& f, CControllerPorts::ShiftState& c) {
  for (uint32_t& shift : c.shift) f.Number(shift);
  f.Flag(c.strobe);
  f.Skip(kCtrBytes - 17);
}

// ---- Saving ----

void RegisterBody(CMachine& machine, FieldWriter& f) {
  RegisterBlock block{machine.Cpu().GetRegisters(), machine.SoundUnit().GetFrameSequencer(),
                      machine.ExecutedCycles(), machine.ScheduledCycles(), machine.PictureUnit().State()};
  RegisterFields(f, block);
}

void RamBody(CMachine& machine, FieldWriter& f) { RamFields(f, machine.Memory(), machine.Cartridge().HasBattery()); }

// Returns where in the body the RAM behind $6000-$7FFF is (0: ROM there).
size_t MmuBody(CMachine& machine, FieldWriter& f) {
  CMemoryMap& m = machine.Memory();
  MmuTable table;
  for (int page = 3; page < 8; ++page) table.cpuType[page] = m.cpuPageType[page];  // 0-2 stay 0
  std::copy(std::begin(m.cpuPageNumber), std::end(m.cpuPageNumber), table.cpuNumber);
  std::copy(std::begin(m.ppuPageType), std::end(m.ppuPageType), table.ppuType);
  std::copy(std::begin(m.ppuPageNumber), std::end(m.ppuPageNumber), table.ppuNumber);
  std::copy(std::begin(m.characterRamUsed), std::end(m.characterRamUsed), table.characterRamUsed);
  MmuTableFields(f, table);
  const size_t pageThreeAt = CpuPageInFile(kMmuVersion, 3, table.cpuType[3]) ? f.Position() : 0;
  MmuMemoryFields(f, m, table, kMmuVersion);
  return pageThreeAt;
}

void ControllerBody(CMachine& machine, FieldWriter& f) {
  CControllerPorts::ShiftState state = machine.ControllerPorts().GetShiftState();
  ControllerFields(f, state);
}

// The whole file into out (emptied first, its room kept).
void WriteSnapshot(CMachine& machine, std::vector<uint8_t>& out, size_t& workRamAt, size_t& pageThreeAt) {
  out.clear();
  Writer w(out);
  FieldWriter f(out);
  uint8_t header[kFileHeaderBytes] = {};
  std::memcpy(header, kMagic, sizeof kMagic);
  Put16(header + 14, kFileVersion);
  Put32(header + 16, machine.Cartridge().ProgramCrc());
  w.Bytes(header, sizeof header);
  size_t body = w.BeginBlock("REG DATA", kRegVersion);
  RegisterBody(machine, f);
  w.EndBlock(body);
  body = workRamAt = w.BeginBlock("RAM DATA", kRamVersion);
  RamBody(machine, f);
  w.EndBlock(body);
  body = w.BeginBlock("MMU DATA", kMmuVersion);
  pageThreeAt = MmuBody(machine, f);
  w.EndBlock(body);
  if (machine.Mapper().HasSaveState()) {
    body = w.BeginBlock("MMC DATA", kMmcVersion);
    out.resize(out.size() + kMmcBytes, 0);
    machine.Mapper().SaveState(out.data() + body);
    w.EndBlock(body);
  }
  body = w.BeginBlock("CTR DATA", kCtrVersion);
  ControllerBody(machine, f);
  w.EndBlock(body);
}

// ---- Loading ----

// Reads a snapshot's bytes in order; `what` names them in messages.
class Reader {
 public:
  Reader(std::span<const uint8_t> bytes, const std::string& what) : bytes_(bytes), what_(what) {}

  // Bytes actually read; fewer only at the end.
  size_t Some(void* data, size_t size) {
    const size_t got = std::min(size, bytes_.size() - at_);
    std::memcpy(data, bytes_.data() + at_, got);
    at_ += got;
    return got;
  }
  std::span<const uint8_t> Body(size_t size) {
    if (size > bytes_.size() - at_) throw SnapshotError(what_ + " is cut short");
    const std::span<const uint8_t> body = bytes_.subspan(at_, size);
    at_ += size;
    return body;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
  const std::string& what_;
};

// Each block's reader: the block's version and its whole body. fromFile: a
// snapshot file, after which the sound unit starts over; the machine's state
// in memory carries the sound unit's own.
using BlockLoader = void (*)(CMachine& machine, uint16_t version, std::span<const uint8_t> body, bool fromFile);

void LoadRegisters(CMachine& machine, uint16_t version, std::span<const uint8_t> body, bool fromFile) {
  if (version < 0x0200) {
    // The older 344-byte register layout is not carried forward: its body is
    // consumed and the machine's registers are left as they are.
  } else {
    RegisterBlock block{machine.Cpu().GetRegisters(), machine.SoundUnit().GetFrameSequencer(), 0, 0,
                        machine.PictureUnit().State()};
    FieldReader f(body);
    RegisterFields(f, block);
    // Counts a running machine cannot reach would stall it for hours.
    if (block.cpu.dmaStall < 0 || block.cpu.dmaStall > kMaxDmaStall) {
      throw SnapshotError("snapshot has an impossible DMA stall");
    }
    const int64_t drift = static_cast<int64_t>(block.executed - block.scheduled / 12);
    if (drift < -kMaxDrift || drift > kMaxDrift) throw SnapshotError("snapshot cycle counts disagree");
    // The CPU's counter runs in step with the machine's executed count.
    block.cpu.totalCycles = static_cast<uint32_t>(block.executed);
    machine.Cpu().SetRegisters(block.cpu);
    machine.SetCycleCounts(block.scheduled, block.executed);
    if (version == kRegVersionFrameCounter) {
      machine.Memory().frameCounter = block.sequencer.last4017;
    } else {
      machine.SoundUnit().SetFrameSequencer(block.sequencer);
    }
    block.picture.fineX &= 7;
    machine.PictureUnit().State() = block.picture;
  }
  if (!fromFile) return;
  machine.SoundUnit().ClearQueues();
  for (uint16_t address = 0x4010; address <= 0x4013; ++address) machine.WriteIoPort(address, 0);
}

void LoadRam(CMachine& machine, uint16_t, std::span<const uint8_t> body, bool) {
  FieldReader f(body);
  RamFields(f, machine.Memory(), machine.Cartridge().HasBattery());
  machine.PictureUnit().SpriteRamChanged();
}

void LoadMmu(CMachine& machine, uint16_t version, std::span<const uint8_t> body, bool) {
  CMemoryMap& m = machine.Memory();
  const bool battery = machine.Cartridge().HasBattery();
  FieldReader f(body);
  MmuTable table;
  MmuTableFields(f, table);
  for (int page = 3; page < 8; ++page) {
    const uint8_t type = table.cpuType[page];
    if (CpuPageInFile(version, page, type)) {
      // No board of this system puts RAM at $8000-$FFFF: such a file is not ours.
      if (page >= 4) throw SnapshotError("snapshot maps RAM into program space");
      m.cpuPageType[page] = type;
      m.cpuPageNumber[page] = table.cpuNumber[page];
    } else if (type == kCpuRom && !(version < kMmuVersion && page == 3 && battery)) {
      m.SetProgram8k(page, table.cpuNumber[page]);
    }
  }
  std::copy(std::begin(table.characterRamUsed), std::end(table.characterRamUsed), m.characterRamUsed);
  MmuMemoryFields(f, m, table, version);
  const bool hasCharacterRom = m.characterRom != nullptr;
  for (int page = 0; page < 12; ++page) {
    const int number = table.ppuNumber[page];
    switch (table.ppuType[page]) {
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

void LoadMapper(CMachine& machine, uint16_t, std::span<const uint8_t> body, bool) {
  if (body.size() < kMmcBytes) throw SnapshotError("snapshot block is shorter than its content");
  machine.Mapper().LoadState(body.data());
}

void LoadControllers(CMachine& machine, uint16_t, std::span<const uint8_t> body, bool) {
  CControllerPorts::ShiftState state{};
  FieldReader f(body);
  ControllerFields(f, state);
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

// Applies the blocks of a snapshot's bytes; `what` names them in messages.
void ReadSnapshot(CMachine& machine, std::span<const uint8_t> bytes, const std::string& name, bool fromFile) {
  const std::string what = fromFile ? "snapshot file " + name : name;
  Reader in(bytes, what);
  uint8_t header[kFileHeaderBytes] = {};
  if (in.Some(header, kOldFileHeaderBytes) != kOldFileHeaderBytes) return;  // nothing to load
  if (std::memcmp(header, kMagic, sizeof kMagic) != 0) throw SnapshotError(name + " is not a snapshot file");
  if (Get16(header + 14) >= 0x0200) in.Body(kFileHeaderBytes - kOldFileHeaderBytes);

  for (;;) {
    uint8_t block[kBlockHeaderBytes];
    const size_t got = in.Some(block, sizeof block);
    if (got == 0) return;
    if (got != sizeof block) throw SnapshotError(what + " is cut short");
    const std::string id(reinterpret_cast<const char*>(block), 8);
    const uint16_t version = Get16(block + 10);
    const uint32_t size = Get32(block + 12);
    const BlockLoader load = LoaderFor(id);
    if (load == nullptr) return;  // a block this machine does not know ends the load
    // No block of this format comes near this size: a corrupt length is refused
    // before any memory is set aside for it.
    if (size > (1u << 20)) throw SnapshotError("snapshot block " + id + " has an impossible size");
    load(machine, version, in.Body(size), fromFile);
  }
}

}  // namespace

void CSnapshot::Save(CMachine& machine, const std::string& path) {
  File file = Open(path, "wb");
  std::vector<uint8_t> bytes;
  size_t workRamAt = 0, pageThreeAt = 0;
  WriteSnapshot(machine, bytes, workRamAt, pageThreeAt);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() || std::fflush(file.get()) != 0) {
    throw SnapshotError("short write to snapshot file " + path);
  }
}

void CSnapshot::Load(CMachine& machine, const std::string& path) {
  // Read whole and bounded first: a folder, a device, a pipe or a huge file is
  // refused before anything is read from it.
  base::Result<std::vector<uint8_t>> bytes = base::ReadFileBytes(path, kMaxSnapshotFileBytes);
  if (!bytes) throw SnapshotError("cannot open snapshot file: " + bytes.error());
  ReadSnapshot(machine, bytes.value(), path, true);
}

void CSnapshot::Take(CMachine& machine, MachineState& state) {
  size_t pageThreeAt = 0;
  WriteSnapshot(machine, state.bytes, state.workRamAt, pageThreeAt);
  state.cartridgeRamAt = pageThreeAt;
  state.soundTiming = machine.SoundUnit().TimingCopy();
}

void CSnapshot::Restore(CMachine& machine, const MachineState& state) {
  ReadSnapshot(machine, state.bytes, "the machine's kept state", false);
  machine.SoundUnit().SetTimingCopy(state.soundTiming);
}

}  // namespace qgu::core
