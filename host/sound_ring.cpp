#include "host/sound_ring.h"

#include <algorithm>

namespace qgu::host {

bool IsAcceptedSampleFormat(int rate, int bits) {
  const bool rateOk = rate == 11025 || rate == 22050 || rate == 44100 || rate == 48000;
  return rateOk && (bits == 8 || bits == 16);
}

SoundGeometry ComputeSoundGeometry(int rate, int bits, int bufferSize) {
  SoundGeometry g;
  g.rate = rate;
  g.bits = bits;
  g.bufferSize = std::max(bufferSize, 2);
  g.blockAlign = static_cast<size_t>(bits / 8);
  const size_t bytesPerSecond = static_cast<size_t>(rate) * g.blockAlign;
  const size_t raw = static_cast<size_t>(g.bufferSize) * bytesPerSecond / 60;
  g.blockSize = raw - raw % g.blockAlign;
  g.blockCount = static_cast<size_t>(10 * g.bufferSize);
  g.totalBytes = g.blockSize * g.blockCount;
  return g;
}

bool CSoundRing::NextFreeBlock(size_t cursor, size_t& offset, size_t& size) {
  const auto count = static_cast<int64_t>(geometry_.blockCount);
  if (geometry_.blockSize == 0 || count == 0) return false;
  const auto block = static_cast<int64_t>(cursor / geometry_.blockSize) % count;
  if (block == lastBlock_) return false;
  if (lastBlock_ >= 0) missed_ += (block - lastBlock_ + count) % count - 1;
  lastBlock_ = block;
  offset = static_cast<size_t>((block + 1) % count) * geometry_.blockSize;
  size = geometry_.blockSize;
  return true;
}

}  // namespace qgu::host
