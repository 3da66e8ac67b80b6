// Snapshot files: block layout, round trips that resume exactly, and the
// behaviour on unknown blocks, cut files and foreign files.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/controller_ports.h"
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
