#include "host/netplay_watch_wire.h"

#include <algorithm>

namespace qgu::host {
namespace {

constexpr std::array<uint8_t, kWatchMagicBytes> kAnswerMagic = {'Q', 'G', 'U', 'W', 'A', 'T', 'C', '1'};
constexpr std::array<uint8_t, kWatchMagicBytes> kRefusalMagic = {'Q', 'G', 'U', 'N', 'O', 'W', 'A', '1'};

bool StartsWith(std::span<const uint8_t> bytes, const std::array<uint8_t, kWatchMagicBytes>& magic) {
  const size_t checked = std::min(bytes.size(), magic.size());
  return std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(checked), magic.begin());
}

}  // namespace

bool MayBeWatcherAnswer(std::span<const uint8_t> received) { return StartsWith(received, kAnswerMagic); }

bool IsWatcherAnswer(std::span<const uint8_t> received) {
  return received.size() >= kWatchMagicBytes && StartsWith(received, kAnswerMagic);
}

std::array<uint8_t, kWatcherAnswerBytes> EncodeWatcherAnswer() {
  std::array<uint8_t, kWatcherAnswerBytes> bytes{};
  std::copy(kAnswerMagic.begin(), kAnswerMagic.end(), bytes.begin());
  return bytes;
}

std::string CheckWatcherAnswer(std::span<const uint8_t> answer) {
  if (answer.size() != kWatcherAnswerBytes || !IsWatcherAnswer(answer)) return "its answer is not a watcher's";
  if (!std::all_of(answer.begin() + kWatchMagicBytes, answer.end(), [](uint8_t b) { return b == 0; })) {
    return "its watcher's answer is malformed";
  }
  return {};
}

std::vector<uint8_t> EncodeWatchRefusal(const std::string& reason) {
  std::vector<uint8_t> bytes(kRefusalMagic.begin(), kRefusalMagic.end());
  const std::string text = reason.substr(0, kMaxRefusalBytes);
  bytes.push_back(static_cast<uint8_t>(text.size()));
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}

bool IsWatchRefusal(std::span<const uint8_t> magic) {
  return magic.size() >= kWatchMagicBytes && StartsWith(magic, kRefusalMagic);
}

std::string DecodeWatchRefusalText(std::span<const uint8_t> text) {
  std::string clean;
  for (uint8_t ch : text.first(std::min(text.size(), kMaxRefusalBytes))) {
    if (ch >= 0x20 && ch < 0x7F) clean += static_cast<char>(ch);
  }
  return clean.empty() ? std::string("no reason given") : clean;
}

std::array<uint8_t, kWatchPacketBytes> EncodeWatchPacket(const WatchPacket& packet) {
  std::array<uint8_t, kWatchPacketBytes> bytes{};
  bytes[0] = static_cast<uint8_t>(packet.kind);
  for (size_t i = 0; i < 3; ++i) bytes[1 + i] = static_cast<uint8_t>(packet.frame >> (8 * i));
  for (size_t i = 0; i < 4; ++i) bytes[4 + i] = static_cast<uint8_t>(packet.value >> (8 * i));
  return bytes;
}

std::optional<WatchPacket> DecodeWatchPacket(std::span<const uint8_t> bytes) {
  if (bytes.size() < kWatchPacketBytes) return {};
  WatchPacket packet;
  packet.kind = static_cast<WatchPacketKind>(bytes[0]);
  for (size_t i = 0; i < 3; ++i) packet.frame |= uint32_t{bytes[1 + i]} << (8 * i);
  for (size_t i = 0; i < 4; ++i) packet.value |= uint32_t{bytes[4 + i]} << (8 * i);
  switch (packet.kind) {
    case WatchPacketKind::kInput:
    case WatchPacketKind::kStateHash:
    case WatchPacketKind::kJoin:
      return packet;
    case WatchPacketKind::kEnd:
      if (packet.value >= 1 && packet.value <= 3) return packet;
      return {};
  }
  return {};
}

uint32_t FoldStateHash(uint64_t hash) { return static_cast<uint32_t>(hash ^ (hash >> 32)); }

std::string WatchEndText(WatchEnd end) {
  switch (end) {
    case WatchEnd::kHostEnded: return "the host's game has ended";
    case WatchEnd::kPlayersParted: return "the link between the two players has closed";
    case WatchEnd::kFellBehind: return "the host dropped this side: it fell too far behind the game";
  }
  return "the host ended the watch";
}

}  // namespace qgu::host
