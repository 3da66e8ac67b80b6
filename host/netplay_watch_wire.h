#pragma once
// What a watcher and the host say to each other. The host greets every
// connection alike (host/netplay_greeting.h); a watcher answers with 40
// bytes of its own (a host without watchers refuses them as a stranger's,
// and a player's answer never looks like them), then its nickname. When the
// game begins the host sends it the game as it sends a joining side (the
// two team records and its nickname), the joining side's nickname, then a
// stream of 8-byte packets: the frame input both players use, numbered by
// frame; now and then the machine's state hash after a frame; and at the
// end why the stream ends. A watcher that comes after the first frame is sent
// the game, then the game under way (host/netplay_watch_join.h) in place of
// the first packet, or a refusal (in place of the game, or of the game under
// way). A watcher sends nothing after its nickname.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/netplay_greeting.h"
#include "league/result.h"

namespace qgu::host {

inline constexpr size_t kWatcherAnswerBytes = kGreetingBytes;
inline constexpr size_t kWatchPacketBytes = 8;
inline constexpr size_t kWatchMagicBytes = 8;
inline constexpr size_t kMaxRefusalBytes = 200;
inline constexpr uint32_t kWatchFrameMask = 0xFFFFFF;  // frame numbers go modulo 2^24

// Whether the bytes so far can be, or are, a watcher's answer (its first 8 bytes).
bool MayBeWatcherAnswer(std::span<const uint8_t> received);
bool IsWatcherAnswer(std::span<const uint8_t> received);
std::array<uint8_t, kWatcherAnswerBytes> EncodeWatcherAnswer();
// The whole answer: empty when well formed, else why not.
std::string CheckWatcherAnswer(std::span<const uint8_t> answer);

// The refusal that comes in place of the game's offer.
std::vector<uint8_t> EncodeWatchRefusal(const std::string& reason);
bool IsWatchRefusal(std::span<const uint8_t> magic);  // the first kWatchMagicBytes
std::string DecodeWatchRefusalText(std::span<const uint8_t> text);

enum class WatchPacketKind : uint8_t { kInput = 'I', kStateHash = 'H', kEnd = 'E', kJoin = 'S' };
enum class WatchEnd : uint32_t { kHostEnded = 1, kPlayersParted = 2, kFellBehind = 3 };

struct WatchPacket {
  WatchPacketKind kind = WatchPacketKind::kInput;
  uint32_t frame = 0;  // 24 bits
  uint32_t value = 0;  // the frame input, 32 bits of the state hash, the WatchEnd, or the bytes that follow
};

std::array<uint8_t, kWatchPacketBytes> EncodeWatchPacket(const WatchPacket& packet);
// Nothing for an unknown kind or end.
std::optional<WatchPacket> DecodeWatchPacket(std::span<const uint8_t> bytes);
uint32_t FoldStateHash(uint64_t hash);
std::string WatchEndText(WatchEnd end);

}  // namespace qgu::host
