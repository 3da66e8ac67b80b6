#pragma once
// A game under way, as a watcher that comes after the first frame is sent
// it. Where an early watcher's first packet is the first frame's input, a
// late one's is tagged 'S': the frame the host's machine stands after (24
// bits) and the size of what follows (the packet's value). Then come: the
// frame again (64 bits), the host's game driver as its last look at the game
// left it (the monitor's state, the play calling's draws and histories), and
// the machine's snapshot bytes. The stream goes on from the next frame. Every
// field is bounded and checked here; the snapshot's layout is compared with
// the watcher's own machine before the one snapshot reader loads it
// (CPrivateSnapshot::Load).

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "driver/game_monitor.h"
#include "driver/play_calling.h"
#include "host/netplay_watch_wire.h"
#include "league/result.h"

namespace qgu::host {

struct WatchJoin {
  int64_t frame = 0;  // the machine stands after it; the driver looks at the game next at this frame
  driver::MonitorState monitor;
  driver::PlayCallingState playCalling;
  std::vector<uint8_t> machine;  // the snapshot file's bytes
};

inline constexpr size_t kWatchJoinHeadBytes = 92;
inline constexpr size_t kMaxWatchJoinMachineBytes = 128 * 1024;  // as a resync's, more than any machine's
inline constexpr int64_t kMaxWatchJoinFrame = int64_t{1} << 31;
inline constexpr uint32_t kMaxPlayCallingDraws = 1u << 20;  // a watcher draws them all again
inline constexpr int32_t kMaxPlaysCalled = 1 << 20;

// The 'S' packet and what follows it; fails for a snapshot empty or too large.
league::Result<std::vector<uint8_t>> EncodeWatchJoin(const WatchJoin& join);
// The bytes an 'S' packet announces, or why they are refused.
league::Result<size_t> WatchJoinBodyBytes(const WatchPacket& packet);
league::Result<WatchJoin> DecodeWatchJoin(const WatchPacket& packet, std::span<const uint8_t> body);

}  // namespace qgu::host
