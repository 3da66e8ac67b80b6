// A snapshot resumes a running game exactly: 300 frames of the MMC3 demo,
// save, 300 more; loading and running the same 300 frames gives the same
// picture, memory and registers, in the same machine or a fresh one.
#include <gtest/gtest.h>

#include "core/cpu/cpu.h"
#include "core/machine.h"
#include "tests/core/machine/snapshot_file.h"
#include "tests/support/test_rom_runner.h"

namespace qgu::core {
namespace {

using testing::SnapshotFile;

uint64_t Hash(const uint8_t* data, size_t size, uint64_t h = 1469598103934665603ull) {
  for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
  return h;
}

uint64_t MachineHash(CMachine& machine) {
  const CMemoryMap& m = machine.Memory();
  // The visible pixels; the margins of a line hold whatever a scroll left there.
  uint64_t h = Hash(nullptr, 0);
  for (int line = 0; line < kRenderLines; ++line) {
    h = Hash(machine.RenderBuffer() + line * kRenderLineBytes + kRenderFirstPixel, kRenderWidth, h);
  }
  h = Hash(m.workRam, 2048, h);
  h = Hash(m.nameTableRam, sizeof m.nameTableRam, h);
  h = Hash(m.spriteRam, sizeof m.spriteRam, h);
  const CCpu::Registers r = machine.Cpu().GetRegisters();
  const uint8_t regs[] = {uint8_t(r.pc), uint8_t(r.pc >> 8), r.a, r.x, r.y, r.s, r.p};
  return Hash(regs, sizeof regs, h);
}

TEST_F(SnapshotFile, LoadingResumesExactlyWhereTheSaveWas) {
  QGU_SKIP_WITHOUT_TESTROMS();
  testsupport::CTestRomRunner rom(testsupport::TestRomPath("demos/high-hopes.nes"));
  CMachine& machine = rom.Machine();
  rom.RunFrames(300);
  machine.SaveSnapshot(path_);
  rom.RunFrames(300);
  const uint64_t first = MachineHash(machine);
  machine.LoadSnapshot(path_);
  rom.RunFrames(300);
  EXPECT_EQ(MachineHash(machine), first);

  // And into a fresh machine.
  testsupport::CTestRomRunner fresh(testsupport::TestRomPath("demos/high-hopes.nes"));
  fresh.Machine().LoadSnapshot(path_);
  fresh.RunFrames(300);
  EXPECT_EQ(MachineHash(fresh.Machine()), first);
}

}  // namespace
}  // namespace qgu::core
