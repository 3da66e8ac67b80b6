// The sound output: the ring's geometry for each accepted format, refused
// formats, the block after the play cursor, and the device's stream on SDL2's
// dummy driver (no sound device needed).

#include <gtest/gtest.h>

#include <cstdlib>

#include "host/direct_sound.h"
#include "host/sound_ring.h"

namespace qgu::host {
namespace {

TEST(SoundOutput, GeometryOfEachFormat) {
  const struct {
    int rate, bits, n;
    size_t block, blocks, total;
  } cases[] = {
      {22050, 8, 2, 735, 20, 14700},
      {22050, 8, 1, 735, 20, 14700},  // BufferSize 1 acts as 2
      {22050, 8, 4, 1470, 40, 58800},
      {11025, 8, 2, 367, 20, 7340},    // 367.5 bytes: whole samples only
      {11025, 16, 3, 1102, 30, 33060},  // 1102.5 rounded down to a multiple of 2
      {48000, 16, 2, 3200, 20, 64000},
  };
  for (const auto& c : cases) {
    const SoundGeometry g = ComputeSoundGeometry(c.rate, c.bits, c.n);
    EXPECT_EQ(g.blockSize, c.block) << c.rate << "/" << c.bits << "/" << c.n;
    EXPECT_EQ(g.blockCount, c.blocks);
    EXPECT_EQ(g.totalBytes, c.total);
  }
  CDirectSound sound;
  for (const auto& [rate, bits] : {std::pair{22050, 12}, {32000, 8}, {44100, 24}, {0, 8}}) {
    EXPECT_FALSE(sound.SetSampleFormat(rate, bits));
  }
  EXPECT_EQ(sound.Geometry().rate, 22050);
  EXPECT_EQ(sound.Geometry().bits, 8);
  for (int rate : {11025, 22050, 44100, 48000}) {
    for (int bits : {8, 16}) EXPECT_TRUE(IsAcceptedSampleFormat(rate, bits));
  }
  ASSERT_TRUE(sound.SetSampleFormat(44100, 16));
  EXPECT_FALSE(sound.SetSampleFormat(44100, 12));
  EXPECT_EQ(sound.Geometry().bits, 16);
}

TEST(SoundOutput, TheBlockAfterTheCursorAndMissedBlocks) {
  CSoundRing ring(ComputeSoundGeometry(22050, 8, 2));  // 20 blocks of 735
  size_t offset = 0, size = 0;
  ASSERT_TRUE(ring.NextFreeBlock(0, offset, size));
  EXPECT_EQ(offset, 735u);
  EXPECT_EQ(size, 735u);
  EXPECT_FALSE(ring.NextFreeBlock(734, offset, size));  // still inside block 0
  ASSERT_TRUE(ring.NextFreeBlock(735, offset, size));
  EXPECT_EQ(offset, 2 * 735u);
  EXPECT_EQ(ring.BlocksMissed(), 0);
  ASSERT_TRUE(ring.NextFreeBlock(4 * 735 + 10, offset, size));  // blocks 2 and 3 went by unseen
  EXPECT_EQ(ring.BlocksMissed(), 2);
  ASSERT_TRUE(ring.NextFreeBlock(19 * 735, offset, size));  // the last block: the next is block 0
  EXPECT_EQ(offset, 0u);
  EXPECT_EQ(ring.BlocksMissed(), 2 + 14);
  ASSERT_TRUE(ring.NextFreeBlock(0, offset, size));  // round the ring, one block on
  EXPECT_EQ(ring.BlocksMissed(), 2 + 14);
}

TEST(SoundOutput, StreamOnTheDummyDriver) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  CDirectSound sound;
  EXPECT_EQ(sound.CreateStreamBuffer().error(), "CDirectSound:DirectSound object uninitialized.");
  ASSERT_TRUE(sound.Initialize().ok());
  sound.SetBufferSize(2);
  ASSERT_TRUE(sound.CreateStreamBuffer().ok());
  size_t offset = 0, size = 0;
  EXPECT_FALSE(sound.NextFreeBlock(offset, size));  // not playing yet
  sound.StartStream();
  EXPECT_TRUE(sound.Playing());
  ASSERT_TRUE(sound.NextFreeBlock(offset, size));
  uint8_t* block = sound.Lock(offset, size);
  ASSERT_NE(block, nullptr);
  std::fill(block, block + size, uint8_t{0x90});
  sound.Unlock();
  EXPECT_EQ(sound.Lock(offset + 20 * size, size), nullptr);  // past the ring
  sound.PauseStream();
  sound.ResumeStream();
  sound.StopStream();
  EXPECT_FALSE(sound.Playing());
  sound.StopStream();
  sound.Release();
}

}  // namespace
}  // namespace qgu::host
