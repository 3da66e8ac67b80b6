#pragma once
// The machine's whole state as one number, to compare two runs that should
// be the same: its snapshot (without the picture) and the CPU's counters.

#include <cstdint>

#include "core/machine.h"

namespace qgu::tools {

// 64-bit FNV-1a of the snapshot file's bytes, the CPU's cycle total, pending
// interrupts and DMA stall. Writes the snapshot to a file of its own in the
// temporary folder; throws std::runtime_error when it cannot.
uint64_t MachineStateHash(core::CMachine& machine);

}  // namespace qgu::tools
