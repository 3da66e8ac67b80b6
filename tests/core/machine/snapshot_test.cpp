// Snapshot files: block layout, round trips that resume exactly, and the
// behaviour on unknown blocks, cut files and foreign files.
#include <gtest/gtest.h>

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

TEST_F(SnapshotFile, UnknownBlockEndsTheLoadWithSuccess) {
  auto machine = MakeMachine(MakeImage({2, 1, 0x40, 0}));
  machine->PokeByte(0x0010, 0x99);
  machine->SaveSnapshot(path_);
  auto bytes = Bytes();
  // Put a foreign block between RAM DATA and MMU DATA.
  const size_t afterRam = 32 + 16 + 96 + 16 + 2336;
  std::vector<uint8_t> foreign = {'D', 'I', 'S', 'K', 'D', 'A', 'T', 'A', 0, 0, 0, 1, 4, 0, 0, 0, 1, 2, 3, 4};
  bytes.insert(bytes.begin() + afterRam, foreign.begin(), foreign.end());
  Write(bytes);
  machine->PokeByte(0x0010, 0);
  machine->CpuWrite(0x8000, 0x06);
  machine->CpuWrite(0x8001, 1);  // bank 1 at $8000; the file's MMU says bank 0
  EXPECT_NO_THROW(machine->LoadSnapshot(path_));
  EXPECT_EQ(machine->PeekByte(0x0010), 0x99) << "blocks before it are applied";
  EXPECT_EQ(machine->PeekByte(0x8000), 1) << "blocks after it are not";
}

TEST_F(SnapshotFile, FileCutInsideABlockFailsWithEarlierBlocksApplied) {
  auto machine = MakeMachine(MakeImage({2, 1, 0x40, 0}));
  machine->PokeByte(0x0010, 0x99);
  machine->SaveSnapshot(path_);
  auto bytes = Bytes();
  bytes.resize(32 + 16 + 96 + 16 + 2336 + 16 + 100);  // inside MMU DATA
  Write(bytes);
  machine->PokeByte(0x0010, 0);
  EXPECT_THROW(machine->LoadSnapshot(path_), SnapshotError);
  EXPECT_EQ(machine->PeekByte(0x0010), 0x99);
}

TEST_F(SnapshotFile, WrongMagicFailsAndTinyFilesChangeNothing) {
  auto machine = MakeMachine(MakeImage({2, 1, 0x40, 0}));
  machine->SaveSnapshot(path_);
  auto bytes = Bytes();
  bytes[0] = 'Q';
  Write(bytes);
  EXPECT_THROW(machine->LoadSnapshot(path_), SnapshotError);
  Write({'P', 'a', 'r'});
  EXPECT_NO_THROW(machine->LoadSnapshot(path_));
  EXPECT_THROW(machine->LoadSnapshot(path_ + ".missing"), SnapshotError);
  EXPECT_THROW(machine->SaveSnapshot("/nonexistent-folder/x.sta"), SnapshotError);
}

TEST_F(SnapshotFile, Version0100HeaderLoads) {
  auto machine = MakeMachine(MakeImage({2, 1, 0x40, 0}));
  machine->PokeByte(0x0123, 0x5C);
  machine->SaveSnapshot(path_);
  auto bytes = Bytes();
  // The older header is 16 bytes long.
  bytes.erase(bytes.begin() + 16, bytes.begin() + 32);
  bytes[14] = 0x00;
  bytes[15] = 0x01;
  Write(bytes);
  machine->PokeByte(0x0123, 0);
  EXPECT_NO_THROW(machine->LoadSnapshot(path_));
  EXPECT_EQ(machine->PeekByte(0x0123), 0x5C);
}

TEST_F(SnapshotFile, UnknownPictureUnitPageTypeFails) {
  auto machine = MakeMachine(MakeImage({2, 1, 0x40, 0}));
  machine->SaveSnapshot(path_);
  auto bytes = Bytes();
  const size_t mmuBody = 32 + 16 + 96 + 16 + 2336 + 16;
  bytes[mmuBody + 24] = 0x42;  // PPU page 0 type
  Write(bytes);
  EXPECT_THROW(machine->LoadSnapshot(path_), SnapshotError);
}

TEST_F(SnapshotFile, ImpossibleCycleCountsAreRefused) {
  auto machine = MakeMachine(MakeImage({2, 1, 0x40, 0}));
  machine->SaveSnapshot(path_);
  const auto good = Bytes();
  const size_t regBody = 32 + 16;
  auto stall = good;
  stall[regBody + 19] = 0x80;  // negative DMA stall
  Write(stall);
  EXPECT_THROW(machine->LoadSnapshot(path_), SnapshotError);
  auto counts = good;
  counts[regBody + 35] = 0x01;  // scheduled count far beyond the executed one
  Write(counts);
  EXPECT_THROW(machine->LoadSnapshot(path_), SnapshotError);
}

TEST_F(SnapshotFile, ControllerShiftRegistersRoundTrip) {
  auto machine = MakeMachine(MakeImage({2, 1, 0x40, 0}));
  machine->ControllerPorts().SetShiftState({{1, 2, 3, 0x80000}, true});
  machine->SaveSnapshot(path_);
  machine->ControllerPorts().SetShiftState({{0, 0, 0, 0}, false});
  machine->LoadSnapshot(path_);
  const auto state = machine->ControllerPorts().GetShiftState();
  EXPECT_EQ(state.shift[3], 0x80000u);
  EXPECT_TRUE(state.strobe);
}

// Damaged files either load or fail with SnapshotError; they never take the
// machine outside its memory (run under the sanitizers).
TEST_F(SnapshotFile, DamagedFilesFailCleanly) {
  auto machine = MakeMachine(MakeImage({2, 1, 0x40, 0}));
  machine->SaveSnapshot(path_);
  const auto good = Bytes();
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 8); };
  for (int round = 0; round < 300; ++round) {
    auto bytes = good;
    const int flips = 1 + int(next() % 4);
    for (int i = 0; i < flips; ++i) bytes[next() % bytes.size()] = uint8_t(next());
    if (round % 5 == 0) bytes.resize(next() % bytes.size());
    Write(bytes);
    try {
      machine->LoadSnapshot(path_);
    } catch (const SnapshotError&) {
    }
    machine->RunFrame(false);
  }
}

}  // namespace
}  // namespace qgu::core
