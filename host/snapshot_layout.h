#pragma once
// Whether another machine's snapshot fits this machine: the same file header
// and the same blocks (ids, versions, sizes) in the same order, and the same
// kinds of memory behind each bank of the memory map. Only then is it worth
// handing to the snapshot reader; the bytes inside the blocks are the other
// machine's state.

#include <cstdint>
#include <span>
#include <string>

namespace qgu::host {

// Empty when theirs is laid out as mine (this machine's own snapshot); else what differs.
std::string SnapshotLayoutDifference(std::span<const uint8_t> mine, std::span<const uint8_t> theirs);

}  // namespace qgu::host
