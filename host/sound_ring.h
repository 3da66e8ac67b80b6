#pragma once
// The sound stream's ring: its geometry from the sample format and
// "BufferSize", and the block the emulator thread fills next as the play
// cursor moves through it.

#include <cstddef>
#include <cstdint>

namespace qgu::host {

// The (rate, bits) pairs the sound output accepts: 11,025, 22,050, 44,100 and
// 48,000 Hz at 8 or 16 bits.
bool IsAcceptedSampleFormat(int rate, int bits);

struct SoundGeometry {
  int rate = 22050;
  int bits = 8;
  int bufferSize = 2;      // n, at least 2
  size_t blockAlign = 1;   // bytes per sample
  size_t blockSize = 0;    // n sixtieths of a second, whole samples
  size_t blockCount = 0;   // 10 x n
  size_t totalBytes = 0;
};

SoundGeometry ComputeSoundGeometry(int rate, int bits, int bufferSize);

class CSoundRing {
 public:
  explicit CSoundRing(const SoundGeometry& geometry) : geometry_(geometry) {}

  const SoundGeometry& Geometry() const { return geometry_; }
  // Forgets the last block handed out (the cursor is back at 0).
  void Rewind() { lastBlock_ = -1; }
  // When the cursor has moved into a new block: the block after it. A move of
  // more than one block since the last look counts the blocks passed by.
  bool NextFreeBlock(size_t cursor, size_t& offset, size_t& size);
  int64_t BlocksMissed() const { return missed_; }

 private:
  SoundGeometry geometry_;
  int64_t lastBlock_ = -1;
  int64_t missed_ = 0;
};

}  // namespace qgu::host
