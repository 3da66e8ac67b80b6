#include "host/netplay_watch_link.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "host/net_socket.h"

namespace qgu::host {
namespace {

constexpr int kMessageTimeoutMs = 10000;
constexpr uint32_t kWaitingShownMs = 250;

// What follows a refusal's magic.
std::string RefusalText(int socket) {
  std::array<uint8_t, 1> length{};
  std::vector<uint8_t> text;
  if (ReadWhole(socket, length, kMessageTimeoutMs)) {
    text.resize(length[0]);
    if (!ReadWhole(socket, text, kMessageTimeoutMs)) text.clear();
  }
  return DecodeWatchRefusalText(text);
}

}  // namespace

CWatchLink::CWatchLink(IFrameClock& clock) : clock_(clock) {}
CWatchLink::CWatchLink() : ownClock_(std::make_unique<CSteadyFrameClock>()), clock_(*ownClock_) {}
CWatchLink::~CWatchLink() { Disconnect(); }

void CWatchLink::Disconnect() {
  int socket = socket_.exchange(-1);
  CloseStream(socket);
  connected_ = false;
}

void CWatchLink::Fail(const std::string& reason) {
  if (closeReason_.empty()) closeReason_ = reason;
  Disconnect();
}

void CWatchLink::Interrupt() {
  const int socket = socket_;
  if (socket >= 0) ::shutdown(socket, SHUT_RDWR);
}

league::Result<WatchedGame> CWatchLink::Watch(const std::string& host, uint16_t port, const std::string& nickName,
                                              const std::function<bool()>& cancelled, int connectTimeoutMs) {
  auto connected = ConnectStream(host, port, connectTimeoutMs, cancelled);
  if (!connected) return league::Fail(connected.error());
  return WatchOn(connected.value(), nickName, cancelled);
}

league::Result<WatchedGame> CWatchLink::WatchOn(int socket, const std::string& nickName,
                                                const std::function<bool()>& cancelled) {
  Disconnect();
  closeReason_.clear();
  frames_ = 0;
  ownHash_.reset();
  inStart_ = inEnd_ = 0;
  auto fail = [&](const std::string& why) -> league::Result<WatchedGame> {
    ::close(socket);
    return league::Fail(why);
  };
  std::array<uint8_t, kGreetingBytes> hello{};
  if (!ReadWhole(socket, hello, kMessageTimeoutMs, cancelled)) return fail("the host sent no greeting");
  const auto greeting = DecodeGreeting(hello);
  if (!greeting) return fail("the host's greeting was refused: " + JudgeGreeting(hello, {}).reason);
  const auto answer = EncodeWatcherAnswer();
  const auto name = EncodeNickName(nickName);
  if (!WriteWhole(socket, answer) || !WriteWhole(socket, name)) return fail("the host left during the greeting");

  // The game comes when both players are there; until then the host is waited for.
  std::vector<uint8_t> message(kWatchMagicBytes);
  if (!ReadWhole(socket, message, -1, cancelled)) {
    if (cancelled && cancelled()) return fail("the watch was cancelled");
    return fail("the host closed the connection before the game began (a host that takes no watchers?)");
  }
  if (IsWatchRefusal(message)) return fail("the host refused this watcher: " + RefusalText(socket));
  message.resize(kOfferHeaderBytes);
  if (!ReadWhole(socket, std::span(message).subspan(kWatchMagicBytes), kMessageTimeoutMs)) {
    return fail("the host did not send the game");
  }
  const auto body = OfferBodyBytes(message);
  if (!body) return fail(body.error());
  message.resize(kOfferHeaderBytes + body.value());
  if (!ReadWhole(socket, std::span(message).subspan(kOfferHeaderBytes), kMessageTimeoutMs)) {
    return fail("the host's game came incomplete");
  }
  auto offer = DecodeOffer(message, greeting->game);
  if (!offer) return fail(offer.error());
  std::array<uint8_t, kNickHeaderBytes> header{};
  if (!ReadWhole(socket, header, kMessageTimeoutMs)) return fail("the host did not name the other player");
  const auto length = NickNameBytes(header);
  if (!length) return fail("the host did not name the other player");
  std::vector<uint8_t> player(length.value());
  if (!ReadWhole(socket, player, kMessageTimeoutMs)) return fail("the host did not name the other player");

  WatchedGame watched{*greeting, std::move(offer).value(), DecodeNickName(player), std::nullopt};
  if (auto first = ReadFirstPacket(socket, watched, cancelled); !first) return fail(first.error());
  hostName_ = watched.game.nickName;
  playerName_ = watched.playerNickName;
  SetNonBlocking(socket);
  socket_ = socket;
  connected_ = true;
  return watched;
}

league::Status CWatchLink::ReadFirstPacket(int socket, WatchedGame& watched, const std::function<bool()>& cancelled) {
  std::array<uint8_t, kWatchPacketBytes> first{};
  if (!ReadWhole(socket, first, kWatchJoinWaitMs, cancelled)) {
    if (cancelled && cancelled()) return league::Fail("the watch was cancelled");
    return league::Fail("the host sent no frame of its game (it left, or sent nothing for " +
                        std::to_string(kWatchJoinWaitMs / 1000) + " seconds)");
  }
  if (IsWatchRefusal(first)) return league::Fail("the host refused this watcher: " + RefusalText(socket));
  const auto packet = DecodeWatchPacket(first);
  if (packet && packet->kind == WatchPacketKind::kEnd) {
    return league::Fail(WatchEndText(static_cast<WatchEnd>(packet->value)) + " before this watcher saw a frame");
  }
  if (!packet || packet->kind != WatchPacketKind::kJoin) {
    // The first frame's: read as the stream's.
    std::copy(first.begin(), first.end(), in_.begin());
    inEnd_ = first.size();
    return {};
  }
  const auto size = WatchJoinBodyBytes(*packet);
  if (!size) return league::Fail(size.error());
  std::vector<uint8_t> body(size.value());
  if (!ReadWhole(socket, body, kMessageTimeoutMs, cancelled)) return league::Fail("the host's game under way came incomplete");
  auto join = DecodeWatchJoin(*packet, body);
  if (!join) return league::Fail(join.error());
  watched.joined = std::move(join).value();
  frames_ = watched.joined->frame;
  return {};
}

bool CWatchLink::NextPacket(WatchPacket& packet) {
  const uint32_t started = clock_.NowMs();
  uint32_t lastWaitingTick = 0;
  while (inEnd_ - inStart_ < kWatchPacketBytes) {
    if (inStart_ > 0) {
      std::copy(in_.begin() + static_cast<std::ptrdiff_t>(inStart_), in_.begin() + static_cast<std::ptrdiff_t>(inEnd_),
                in_.begin());
      inEnd_ -= inStart_;
      inStart_ = 0;
    }
    const int socket = socket_;
    if (socket < 0) {
      Fail("the watch was stopped");
      return false;
    }
    const ssize_t got = ::recv(socket, in_.data() + inEnd_, in_.size() - inEnd_, MSG_DONTWAIT);
    if (got > 0) {
      inEnd_ += static_cast<size_t>(got);
      continue;
    }
    if (got == 0) {
      Fail("the host has left");
      return false;
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      Fail(std::string("receiving failed: ") + std::strerror(errno));
      return false;
    }
    const uint32_t waited = clock_.NowMs() - started;
    if (waited >= static_cast<uint32_t>(kWatchSilenceMs)) {
      Fail("the host sent nothing for " + std::to_string(kWatchSilenceMs / 1000) + " seconds");
      return false;
    }
    if (waitingHandler_ && waited >= kWaitingShownMs && waited / kWaitingShownMs != lastWaitingTick) {
      lastWaitingTick = waited / kWaitingShownMs;
      waitingHandler_();
    }
    clock_.SleepMs(1);
  }
  const auto decoded = DecodeWatchPacket(std::span(in_).subspan(inStart_, kWatchPacketBytes));
  inStart_ += kWatchPacketBytes;
  if (!decoded) {
    Fail("the host sent a malformed watch packet");
    return false;
  }
  packet = *decoded;
  return true;
}

bool CWatchLink::CompareStateHash(const WatchPacket& theirs) {
  // Compared only where both sides hashed the same frame.
  if (!ownHash_ || (static_cast<uint32_t>(ownHash_->first) & kWatchFrameMask) != theirs.frame) return true;
  if (ownHash_->second == theirs.value) return true;
  Fail("this machine's state differs from the host's after frame " + std::to_string(ownHash_->first));
  return false;
}

std::optional<uint32_t> CWatchLink::ExchangeFrameInput(uint32_t) {
  if (!connected_) return {};
  const int64_t frame = frames_ + 1;
  for (;;) {
    WatchPacket packet;
    if (!NextPacket(packet)) return {};
    switch (packet.kind) {
      case WatchPacketKind::kStateHash:
        if (!CompareStateHash(packet)) return {};
        continue;
      case WatchPacketKind::kEnd:
        Fail(WatchEndText(static_cast<WatchEnd>(packet.value)));
        return {};
      case WatchPacketKind::kJoin:
        Fail("the host sent a game under way in the middle of its stream");
        return {};
      case WatchPacketKind::kInput:
        if (packet.frame != (static_cast<uint32_t>(frame) & kWatchFrameMask)) {
          Fail("the host's stream went from frame " + std::to_string(frame - 1) + " to " + std::to_string(packet.frame));
          return {};
        }
        frames_ = frame;
        return packet.value;
    }
  }
}

void CWatchLink::OfferStateHash(int64_t frame, uint64_t hash) { ownHash_ = std::pair{frame, FoldStateHash(hash)}; }

std::string CWatchLink::StatusText(bool waiting) const {
  if (waiting) return "waiting for " + hostName_;
  return "watching " + hostName_ + " v " + playerName_;
}

}  // namespace qgu::host
