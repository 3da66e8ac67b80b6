// Snapshot files: block layout, round trips that resume exactly, and the
// behaviour on unknown blocks, cut files and foreign files.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/apu/sound_unit.h"
#include "core/controller_ports.h"
#include "core/cpu/cpu.h"
#include "core/ppu/picture_unit.h"
#include "core/snapshot.h"
#include "tests/core/machine/snapshot_file.h"
#include "tests/core/machine/test_images.h"

namespace qgu::core {
namespace {

using testing::MakeImage;
using testing::MakeMachine;
using testing::SnapshotFile;

TEST_F(SnapshotFile, BlocksAndSizesForMmc3WithCharacterRom) {
  auto machine = MakeMachine(MakeImage({2, 1, 0x40, 0}));
  machine->SaveSnapshot(path_);
  const auto bytes = Bytes();
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 12), "Parvalune ST");
  EXPECT_EQ(bytes[14] | bytes[15] << 8, 0x0200);
  const std::vector<std::pair<std::string, uint32_t>> expected = {
      {"REG DATA", 96}, {"RAM DATA", 2336}, {"MMU DATA", 68 + 8192 + 4096}, {"MMC DATA", 256}, {"CTR DATA", 32}};
  EXPECT_EQ(Blocks(), expected) << "no character-RAM granules with character ROM";
}

TEST_F(SnapshotFile, BatteryAndCharacterRamGrowTheBlocks) {
  auto machine = MakeMachine(MakeImage({1, 0, 0x02, 0}));  // NROM, battery, character RAM
  machine->SaveSnapshot(path_);
  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 4u) << "NROM saves no mapper block";
  EXPECT_EQ(blocks[1].second, 2336u + 8192);
  EXPECT_EQ(blocks[2].second, 68u + 8192 + 4096 + 2 * 4096);
}

// File offsets: the 32-byte header, then blocks of a 16-byte head and a body.
constexpr size_t kRegBody = 32 + 16;
constexpr size_t kRamEnd = kRegBody + 96 + 16 + 2336;
constexpr size_t kMmuBody = kRamEnd + 16;

// An MMC3 machine with $0010 = $99, saved; `saved_` holds the file.
class SavedSnapshot : public SnapshotFile {
 protected:
  void SetUp() override {
    machine_->PokeByte(0x0010, 0x99);
    machine_->SaveSnapshot(path_);
    saved_ = Bytes();
    machine_->PokeByte(0x0010, 0);
  }
  // Writes `bytes` and loads them; false when the load fails.
  bool Load(const std::vector<uint8_t>& bytes) {
    Write(bytes);
    try {
      machine_->LoadSnapshot(path_);
      return true;
    } catch (const SnapshotError&) {
      return false;
    }
  }

  std::unique_ptr<CMachine> machine_ = MakeMachine(MakeImage({2, 1, 0x40, 0}));
  std::vector<uint8_t> saved_;
};

TEST_F(SavedSnapshot, UnknownBlockEndsTheLoadWithSuccess) {
  auto bytes = saved_;
  // A foreign block between RAM DATA and MMU DATA.
  const std::vector<uint8_t> foreign = {'D', 'I', 'S', 'K', 'D', 'A', 'T', 'A', 0, 0, 0, 1, 4, 0, 0, 0, 1, 2, 3, 4};
  bytes.insert(bytes.begin() + kRamEnd, foreign.begin(), foreign.end());
  machine_->CpuWrite(0x8000, 0x06);
  machine_->CpuWrite(0x8001, 1);  // bank 1 at $8000; the file's MMU says bank 0
  EXPECT_TRUE(Load(bytes));
  EXPECT_EQ(machine_->PeekByte(0x0010), 0x99) << "blocks before it are applied";
  EXPECT_EQ(machine_->PeekByte(0x8000), 1) << "blocks after it are not";
}

TEST_F(SavedSnapshot, FileCutInsideABlockFailsWithEarlierBlocksApplied) {
  auto bytes = saved_;
  bytes.resize(kMmuBody + 100);
  EXPECT_FALSE(Load(bytes));
  EXPECT_EQ(machine_->PeekByte(0x0010), 0x99);
}

TEST_F(SavedSnapshot, WrongMagicFailsAndTinyFilesChangeNothing) {
  auto bytes = saved_;
  bytes[0] = 'Q';
  EXPECT_FALSE(Load(bytes));
  EXPECT_TRUE(Load({'P', 'a', 'r'}));
  EXPECT_EQ(machine_->PeekByte(0x0010), 0);
  EXPECT_THROW(machine_->LoadSnapshot(path_ + ".missing"), SnapshotError);
  EXPECT_THROW(machine_->SaveSnapshot("/nonexistent-folder/x.sta"), SnapshotError);
}

TEST_F(SavedSnapshot, Version0100HeaderLoads) {
  auto bytes = saved_;
  // The older header is 16 bytes long.
  bytes.erase(bytes.begin() + 16, bytes.begin() + 32);
  bytes[14] = 0x00;
  bytes[15] = 0x01;
  EXPECT_TRUE(Load(bytes));
  EXPECT_EQ(machine_->PeekByte(0x0010), 0x99);
}

TEST_F(SavedSnapshot, DamagedFieldsAreRefused) {
  struct Damage {
    size_t at;
    uint8_t value;
    const char* what;
  };
  for (const Damage& d : {Damage{kMmuBody + 24, 0x42, "unknown picture-unit page type"},
                          Damage{kRegBody + 19, 0x80, "negative DMA stall"},
                          Damage{kRegBody + 35, 0x01, "scheduled count far beyond the executed one"}}) {
    auto bytes = saved_;
    bytes[d.at] = d.value;
    EXPECT_FALSE(Load(bytes)) << d.what;
  }
}

TEST_F(SavedSnapshot, ControllerShiftRegistersRoundTrip) {
  machine_->ControllerPorts().SetShiftState({{1, 2, 3, 0x80000}, true});
  machine_->SaveSnapshot(path_);
  machine_->ControllerPorts().SetShiftState({{0, 0, 0, 0}, false});
  machine_->LoadSnapshot(path_);
  const auto state = machine_->ControllerPorts().GetShiftState();
  EXPECT_EQ(state.shift[3], 0x80000u);
  EXPECT_TRUE(state.strobe);
}

// Every register field at its place in "REG DATA", and back again on load.
TEST_F(SavedSnapshot, RegisterFieldsSitAtTheirOffsetsAndRoundTrip) {
  CCpu::Registers cpu = machine_->Cpu().GetRegisters();
  cpu.pc = 0xC123;
  cpu.a = 0x11;
  cpu.x = 0x22;
  cpu.y = 0x33;
  cpu.s = 0xE4;
  cpu.p = 0xA5;
  cpu.pendingInterrupts = 0x02;
  cpu.dmaStall = 0x0102;
  machine_->Cpu().SetRegisters(cpu);
  machine_->SoundUnit().SetFrameSequencer({0x80, 0xFF, 3, 1, 0x1234});
  const PictureUnitState picture{{0x90, 0x1E, 0xC0, 0x44}, 1, 0x5A, 0x7BCD, 0x2345, 6};
  machine_->PictureUnit().State() = picture;
  machine_->SaveSnapshot(path_);
  const auto b = Bytes();
  auto at = [&](size_t offset, size_t width) {
    uint64_t v = 0;
    for (size_t i = width; i-- > 0;) v = (v << 8) | b[kRegBody + offset + i];
    return v;
  };
  const std::vector<std::pair<uint64_t, uint64_t>> fields = {
      {at(0, 2), 0xC123}, {at(2, 1), 0x11},  {at(3, 1), 0x22},  {at(4, 1), 0x33},   {at(5, 1), 0xE4},
      {at(6, 1), 0xA5},   {at(7, 1), 0x02},  {at(8, 1), 0x80},  {at(9, 1), 0xFF},   {at(10, 1), 3},
      {at(11, 1), 1},     {at(12, 4), 0x1234}, {at(16, 4), 0x0102}, {at(64, 4), 0x44C01E90}, {at(68, 1), 0x5A},
      {at(69, 1), 1},     {at(70, 2), 0x7BCD}, {at(72, 2), 0x2345}, {at(74, 2), 6},    {at(76, 20), 0}};
  for (size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(fields[i].first, fields[i].second) << "field " << i;

  machine_->HardwareReset();
  machine_->LoadSnapshot(path_);
  const CCpu::Registers loaded = machine_->Cpu().GetRegisters();
  EXPECT_EQ(loaded.pc, 0xC123);
  EXPECT_EQ(loaded.s, 0xE4);
  EXPECT_EQ(loaded.dmaStall, 0x0102);
  EXPECT_EQ(machine_->SoundUnit().GetFrameSequencer().cycleCount, 0x1234);
  const PictureUnitState& back = machine_->PictureUnit().State();
  EXPECT_EQ(std::vector<uint8_t>(back.registers, back.registers + 4), (std::vector<uint8_t>{0x90, 0x1E, 0xC0, 0x44}));
  EXPECT_EQ(back.toggle, 1);
  EXPECT_EQ(back.readBuffer, 0x5A);
  EXPECT_EQ(back.t, 0x7BCD);
  EXPECT_EQ(back.v, 0x2345);
  EXPECT_EQ(back.fineX, 6);
}

// Damaged files either load or fail with SnapshotError; they never take the
// machine outside its memory (run under the sanitizers).
TEST_F(SavedSnapshot, DamagedFilesFailCleanly) {
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 8); };
  for (int round = 0; round < 300; ++round) {
    auto bytes = saved_;
    const int flips = 1 + int(next() % 4);
    for (int i = 0; i < flips; ++i) bytes[next() % bytes.size()] = uint8_t(next());
    if (round % 5 == 0) bytes.resize(next() % bytes.size());
    Load(bytes);
    machine_->RunFrame(false);
  }
}

}  // namespace
}  // namespace qgu::core
