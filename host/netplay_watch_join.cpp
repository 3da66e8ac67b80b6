#include "host/netplay_watch_join.h"

#include <algorithm>
#include <numeric>
#include <string>

namespace qgu::host {
namespace {

constexpr size_t kPossessionAt = 8;
constexpr size_t kFlagsAt = 9;
constexpr size_t kDrawsAt = 12;
constexpr size_t kHistoryAt = 16;
constexpr size_t kHistoryBytes = 36;  // eight plays' counts and their total
constexpr size_t kMachineSizeAt = 88;
constexpr uint8_t kUnknownPossession = 0xFF;
constexpr uint8_t kPlayCallArmed = 1, kClockOverrideArmed = 2, kFinalQuarter = 4;

void Put(std::vector<uint8_t>& out, size_t at, uint64_t value, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t Get(std::span<const uint8_t> in, size_t at, size_t bytes) {
  uint64_t value = 0;
  for (size_t i = 0; i < bytes; ++i) value |= uint64_t{in[at + i]} << (8 * i);
  return value;
}

league::Status CheckHistory(const driver::PlayCallingState& state, size_t side) {
  const auto& counts = state.playCounts[side];
  const bool bounded = std::all_of(counts.begin(), counts.end(), [](int32_t n) { return n >= 0 && n <= kMaxPlaysCalled; });
  const int64_t sum = std::accumulate(counts.begin(), counts.end(), int64_t{0});
  if (!bounded || sum != state.playTotal[side]) {
    return league::Fail(std::string("the ") + (side == 0 ? "home" : "away") + " team's plays called do not add up");
  }
  return {};
}

}  // namespace

league::Result<std::vector<uint8_t>> EncodeWatchJoin(const WatchJoin& join) {
  if (join.machine.empty() || join.machine.size() > kMaxWatchJoinMachineBytes) {
    return league::Fail("the machine's state has " + std::to_string(join.machine.size()) + " bytes, more than a watcher takes");
  }
  if (join.frame < 1 || join.frame > kMaxWatchJoinFrame) return league::Fail("frame " + std::to_string(join.frame) + " cannot be sent");
  const size_t body = kWatchJoinHeadBytes + join.machine.size();
  const auto packet = EncodeWatchPacket({WatchPacketKind::kJoin, static_cast<uint32_t>(join.frame) & kWatchFrameMask,
                                         static_cast<uint32_t>(body)});
  std::vector<uint8_t> out(packet.begin(), packet.end());
  const size_t at = out.size();
  out.resize(at + kWatchJoinHeadBytes);
  Put(out, at, static_cast<uint64_t>(join.frame), 8);
  const driver::MonitorState& monitor = join.monitor;
  out[at + kPossessionAt] = monitor.possession < 0 ? kUnknownPossession : static_cast<uint8_t>(monitor.possession);
  out[at + kFlagsAt] = static_cast<uint8_t>((monitor.playCallArmed ? kPlayCallArmed : 0) |
                                            (monitor.clockOverrideArmed ? kClockOverrideArmed : 0) |
                                            (monitor.finalQuarter ? kFinalQuarter : 0));
  Put(out, at + kDrawsAt, join.playCalling.draws, 4);
  for (size_t side = 0; side < 2; ++side) {
    const size_t history = at + kHistoryAt + side * kHistoryBytes;
    for (size_t play = 0; play < 8; ++play) {
      Put(out, history + 4 * play, static_cast<uint32_t>(join.playCalling.playCounts[side][play]), 4);
    }
    Put(out, history + 32, static_cast<uint32_t>(join.playCalling.playTotal[side]), 4);
  }
  Put(out, at + kMachineSizeAt, join.machine.size(), 4);
  out.insert(out.end(), join.machine.begin(), join.machine.end());
  return out;
}

league::Result<size_t> WatchJoinBodyBytes(const WatchPacket& packet) {
  if (packet.kind != WatchPacketKind::kJoin) return league::Fail("the host sent no game under way");
  if (packet.value <= kWatchJoinHeadBytes || packet.value > kWatchJoinHeadBytes + kMaxWatchJoinMachineBytes) {
    return league::Fail("the host announced a game under way of " + std::to_string(packet.value) +
                        " bytes; a watcher takes " + std::to_string(kWatchJoinHeadBytes + 1) + " to " +
                        std::to_string(kWatchJoinHeadBytes + kMaxWatchJoinMachineBytes));
  }
  return size_t{packet.value};
}

league::Result<WatchJoin> DecodeWatchJoin(const WatchPacket& packet, std::span<const uint8_t> body) {
  const auto expected = WatchJoinBodyBytes(packet);
  if (!expected) return league::Fail(expected.error());
  if (body.size() != expected.value()) return league::Fail("the host's game under way came incomplete");
  WatchJoin join;
  join.frame = static_cast<int64_t>(Get(body, 0, 8) & 0x7FFFFFFFFFFFFFFF);
  if (join.frame < 1 || join.frame > kMaxWatchJoinFrame || (static_cast<uint32_t>(join.frame) & kWatchFrameMask) != packet.frame) {
    return league::Fail("the host's game under way names frame " + std::to_string(join.frame) + " beside frame " +
                        std::to_string(packet.frame));
  }
  const uint8_t possession = body[kPossessionAt];
  const uint8_t flags = body[kFlagsAt];
  if ((possession > 1 && possession != kUnknownPossession) || (flags & ~7) != 0 || Get(body, 10, 2) != 0) {
    return league::Fail("the host's game under way has a malformed driver state");
  }
  join.monitor.possession = possession == kUnknownPossession ? driver::kPossessionUnknown : possession;
  join.monitor.playCallArmed = (flags & kPlayCallArmed) != 0;
  join.monitor.clockOverrideArmed = (flags & kClockOverrideArmed) != 0;
  join.monitor.finalQuarter = (flags & kFinalQuarter) != 0;
  join.playCalling.draws = static_cast<uint32_t>(Get(body, kDrawsAt, 4));
  if (join.playCalling.draws > kMaxPlayCallingDraws) {
    return league::Fail("the host's game under way has drawn " + std::to_string(join.playCalling.draws) +
                        " numbers for its play calling, more than a game draws");
  }
  for (size_t side = 0; side < 2; ++side) {
    const size_t history = kHistoryAt + side * kHistoryBytes;
    for (size_t play = 0; play < 8; ++play) {
      join.playCalling.playCounts[side][play] = static_cast<int32_t>(Get(body, history + 4 * play, 4));
    }
    join.playCalling.playTotal[side] = static_cast<int32_t>(Get(body, history + 32, 4));
    if (auto checked = CheckHistory(join.playCalling, side); !checked) {
      return league::Fail("the host's game under way is malformed: " + checked.error());
    }
  }
  const uint64_t machine = Get(body, kMachineSizeAt, 4);
  if (machine != body.size() - kWatchJoinHeadBytes) {
    return league::Fail("the host's game under way says its machine has " + std::to_string(machine) + " bytes, not " +
                        std::to_string(body.size() - kWatchJoinHeadBytes));
  }
  join.machine.assign(body.begin() + kWatchJoinHeadBytes, body.end());
  return join;
}

}  // namespace qgu::host
