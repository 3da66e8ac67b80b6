#include "host/snapshot_layout.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qgu::host {
namespace {

constexpr size_t kFileHeaderBytes = 32;
constexpr size_t kBlockHeaderBytes = 16;
constexpr size_t kBlockSizeAt = 12;
constexpr std::array<uint8_t, 8> kMemoryMapBlock = {'M', 'M', 'U', ' ', 'D', 'A', 'T', 'A'};
// In the memory-map block: CPU page types, PPU page types, character-RAM-used flags.
constexpr std::array<std::pair<size_t, size_t>, 3> kMemoryKindsAt = {{{0, 8}, {24, 12}, {60, 8}}};

bool Same(std::span<const uint8_t> a, std::span<const uint8_t> b) { return std::equal(a.begin(), a.end(), b.begin(), b.end()); }

size_t BodySize(std::span<const uint8_t> header) {
  size_t size = 0;
  for (size_t i = 0; i < 4; ++i) size |= size_t{header[kBlockSizeAt + i]} << (8 * i);
  return size;
}

}  // namespace

std::string SnapshotLayoutDifference(std::span<const uint8_t> mine, std::span<const uint8_t> theirs) {
  if (theirs.size() != mine.size()) {
    return "it has " + std::to_string(theirs.size()) + " bytes, this machine's " + std::to_string(mine.size());
  }
  if (mine.size() < kFileHeaderBytes) return "this machine has no snapshot to compare it with";
  if (!Same(mine.first(kFileHeaderBytes), theirs.first(kFileHeaderBytes))) return "its file header differs";
  size_t at = kFileHeaderBytes;
  while (at < mine.size()) {
    if (mine.size() - at < kBlockHeaderBytes) return "this machine's snapshot ends inside a block header";
    const auto header = mine.subspan(at, kBlockHeaderBytes);
    if (!Same(header, theirs.subspan(at, kBlockHeaderBytes))) {
      return "its block at byte " + std::to_string(at) + " is not this machine's " +
             std::string(header.begin(), header.begin() + 8);
    }
    const size_t body = BodySize(header);
    at += kBlockHeaderBytes;
    if (body > mine.size() - at) return "this machine's snapshot ends inside a block";
    if (Same(header.first(kMemoryMapBlock.size()), kMemoryMapBlock)) {
      for (auto [from, length] : kMemoryKindsAt) {
        if (from + length <= body && !Same(mine.subspan(at + from, length), theirs.subspan(at + from, length))) {
          return "its memory map differs from this machine's";
        }
      }
    }
    at += body;
  }
  return {};
}

}  // namespace qgu::host
