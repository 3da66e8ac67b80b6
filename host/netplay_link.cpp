#include "host/netplay_link.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "host/net_socket.h"

namespace qgu::host {
namespace {

constexpr size_t kHashAt = 4;  // packet bytes 4-7: zero, or the tag and a state hash
constexpr size_t kPollBytes = 64;
constexpr size_t kSnapshotPollBytes = 16384;
constexpr int64_t kResyncShownFrames = 600;  // the read-out tells of a resync for 10 seconds

void PutLittle(std::span<uint8_t> to, uint64_t value, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i) to[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t GetLittle(std::span<const uint8_t> from, size_t bytes) {
  uint64_t value = 0;
  for (size_t i = 0; i < bytes; ++i) value |= uint64_t{from[i]} << (8 * i);
  return value;
}

}  // namespace

void CNetReceiveRing::Clear() {
  read_ = 0;
  count_ = 0;
  checked_ = 0;
  tag_ = 0;
  snapshot_ = {};
  snapshotDue_ = 0;
  snapshotReady_ = false;
}

bool CNetReceiveRing::Append(std::span<const uint8_t> bytes, std::string& reason) {
  size_t at = 0;
  while (at < bytes.size()) {
    if (snapshotDue_ > 0) {
      const size_t taken = std::min(snapshotDue_, bytes.size() - at);
      snapshot_.bytes.insert(snapshot_.bytes.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                             bytes.begin() + static_cast<std::ptrdiff_t>(at + taken));
      at += taken;
      snapshotDue_ -= taken;
      snapshotReady_ = snapshotDue_ == 0;
      continue;
    }
    if (count_ >= kNetRingBytes) {
      reason = "the other side sent more than the link holds";
      return false;
    }
    const uint8_t byte = bytes[at++];
    if (checked_ == kHashAt) {
      tag_ = byte;
      if (byte != 0 && byte != kStateHashTag && byte != kSnapshotTag) {
        reason = "the other side sent a malformed packet";
        return false;
      }
    } else if (checked_ > kHashAt && byte != 0 && tag_ == 0) {
      reason = "the other side sent a malformed packet";
      return false;
    }
    bytes_[(read_ + count_) % kNetRingBytes] = byte;
    ++count_;
    checked_ = (checked_ + 1) % kNetPacketBytes;
    if (checked_ == 0 && tag_ == kSnapshotTag && !TakeAnnouncement(reason)) return false;
  }
  return true;
}

bool CNetReceiveRing::TakeAnnouncement(std::string& reason) {
  // The announcement is no packet of a step: it leaves the ring.
  std::array<uint8_t, kNetPacketBytes> announced{};
  for (size_t i = 0; i < announced.size(); ++i) {
    announced[i] = bytes_[(read_ + count_ - kNetPacketBytes + i) % kNetRingBytes];
  }
  count_ -= kNetPacketBytes;
  tag_ = 0;
  const size_t size = GetLittle(std::span(announced).subspan(kHashAt + 1), 3);
  if (!acceptsSnapshots_) {
    reason = "the joining side sent a game; only the host sends one";
    return false;
  }
  if (snapshotReady_) {
    reason = "the host sent its game twice";
    return false;
  }
  if (size == 0 || size > kMaxResyncBytes) {
    reason = "the host announced a game of " + std::to_string(size) + " bytes, which no machine has";
    return false;
  }
  snapshot_.frame = static_cast<uint32_t>(GetLittle(announced, 4));
  snapshot_.bytes.clear();
  snapshot_.bytes.reserve(size);
  snapshotDue_ = size;
  return true;
}

std::optional<uint32_t> CNetReceiveRing::SnapshotFrame() const {
  if (!snapshotReady_) return std::nullopt;
  return snapshot_.frame;
}

std::optional<ResyncSnapshot> CNetReceiveRing::TakeSnapshot() {
  if (!snapshotReady_) return std::nullopt;
  snapshotReady_ = false;
  return std::exchange(snapshot_, {});
}

std::array<uint8_t, kNetPacketBytes> CNetReceiveRing::Front() const {
  std::array<uint8_t, kNetPacketBytes> packet{};
  for (size_t i = 0; i < packet.size(); ++i) packet[i] = bytes_[(read_ + i) % kNetRingBytes];
  return packet;
}

void CNetReceiveRing::Pop() {
  const size_t taken = std::min(count_, kNetPacketBytes);
  read_ = (read_ + taken) % kNetRingBytes;
  count_ -= taken;
}

uint32_t CombineFrameInput(uint32_t hostInput, uint32_t joinerInput) {
  return (hostInput & 0x00FF00FFu) | ((joinerInput & 0x00FF00FFu) << 8);
}

CNetplayLink::CNetplayLink(IFrameClock& clock) : clock_(clock) {}
CNetplayLink::CNetplayLink() : ownClock_(std::make_unique<CSteadyFrameClock>()), clock_(*ownClock_) {}
CNetplayLink::~CNetplayLink() { Release(); }

bool CNetplayLink::Start() {
  Release();
  enabled_ = true;
  return true;
}

void CNetplayLink::Release() {
  Disconnect();
  enabled_ = false;
}

void CNetplayLink::Disconnect() {
  if (rollback_ && connected_) rollback_->SayGoodbye();
  int socket = socket_.exchange(-1);
  CloseStream(socket);
  connected_ = false;
  synchronised_ = false;
}

void CNetplayLink::Fail(const std::string& reason) {
  const bool wasConnected = connected_;
  if (closeReason_.empty()) closeReason_ = reason;
  Disconnect();
  if (observer_ != nullptr && wasConnected) observer_->LinkClosed(closeReason_);
}

void CNetplayLink::Adopt(int socket, bool isHost, const NetGreeting& greeting) {
  Disconnect();
  enabled_ = true;
  socket_ = socket;
  isHost_ = isHost;
  greeting_ = greeting;
  greeting_.latency = std::clamp(greeting_.latency, 0, kMaxNetLatency);
  greeting_.stepLength = std::clamp(greeting_.stepLength, 0, kMaxNetLatency);
  terms_.delay = {greeting_.latency, greeting_.stepLength};
  terms_.automatic = false;
  closeReason_.clear();
  frames_ = 0;
  pendingHash_.reset();
  received_.Clear();
  received_.AcceptSnapshots(!isHost);
  resyncs_ = 0;
  lastResyncAt_ = -1;
  peerGone_ = false;
  rollback_ = greeting_.mode == NetMode::kRollback ? std::make_unique<CRollbackLink>(*this, clock_) : nullptr;
  SetNonBlocking(socket_);
  connected_ = true;
}

namespace {

constexpr size_t kMaxPendingPeers = 4;
constexpr uint32_t kWaitingShownMs = 250;
constexpr int kListenPollMs = 100;

// A socket listening on the endpoint, or the reason there is none.
league::Result<int> Listen(const NetEndpoint& endpoint) {
  const int one = 1, zero = 0;
  const std::string where = (endpoint.address.empty() ? std::string("port ") : endpoint.address + " port ") +
                            std::to_string(endpoint.port);
  auto bindAndListen = [&](int listener, const sockaddr* address, socklen_t length) {
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    return ::bind(listener, address, length) == 0 && ::listen(listener, 8) == 0;
  };
  if (endpoint.address.empty()) {
    // Every interface, IPv6 and IPv4 alike where the system allows.
    if (int listener = ::socket(AF_INET6, SOCK_STREAM, 0); listener >= 0) {
      ::setsockopt(listener, IPPROTO_IPV6, IPV6_V6ONLY, &zero, sizeof zero);
      sockaddr_in6 address{};
      address.sin6_family = AF_INET6;
      address.sin6_port = htons(endpoint.port);
      address.sin6_addr = in6addr_any;
      if (bindAndListen(listener, reinterpret_cast<sockaddr*>(&address), sizeof address)) return listener;
      ::close(listener);
    }
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener < 0) return league::Fail(std::string("cannot make a socket: ") + std::strerror(errno));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bindAndListen(listener, reinterpret_cast<sockaddr*>(&address), sizeof address)) return listener;
    const std::string why = std::strerror(errno);
    ::close(listener);
    return league::Fail("cannot listen on " + where + ": " + why);
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (::getaddrinfo(endpoint.address.c_str(), std::to_string(endpoint.port).c_str(), &hints, &found) != 0 ||
      found == nullptr) {
    return league::Fail("unknown address \"" + endpoint.address + "\" to listen on");
  }
  std::string why = "no address";
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    const int listener = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (listener < 0) continue;
    if (bindAndListen(listener, a->ai_addr, a->ai_addrlen)) {
      ::freeaddrinfo(found);
      return listener;
    }
    why = std::strerror(errno);
    ::close(listener);
  }
  ::freeaddrinfo(found);
  return league::Fail("cannot listen on " + where + ": " + why);
}

// A connection that has been sent the host's greeting and owes its own.
struct PendingPeer {
  int socket = -1;
  std::string name;
  std::chrono::steady_clock::time_point since;
  std::array<uint8_t, kGreetingBytes> received{};
  size_t count = 0;
};

}  // namespace

league::Status CNetplayLink::Host(const NetEndpoint& endpoint, const NetGreeting& greeting,
                                  const HostOptions& options) {
  auto listening = Listen(endpoint);
  if (!listening) return league::Fail(listening.error());
  const int listener = listening.value();
  std::vector<PendingPeer> pending;
  auto drop = [&](size_t index, const std::string& why) {
    if (options.notice) options.notice("dropped the connection from " + pending[index].name + ": " + why);
    ::close(pending[index].socket);
    pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(index));
  };
  auto closeAll = [&] {
    ::close(listener);
    for (PendingPeer& peer : pending) ::close(peer.socket);
  };
  const auto hello = EncodeGreeting(greeting);
  const auto started = std::chrono::steady_clock::now();
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    if (options.stopped && options.stopped()) {
      closeAll();
      return league::Fail("hosting was stopped before anybody joined");
    }
    if (options.timeoutMs >= 0 && now - started >= std::chrono::milliseconds(options.timeoutMs)) {
      closeAll();
      return league::Fail("nobody joined on port " + std::to_string(endpoint.port));
    }
    for (size_t i = pending.size(); i-- > 0;) {
      if (now - pending[i].since >= std::chrono::milliseconds(kNetTimeoutMs)) drop(i, "no greeting within 10 seconds");
    }
    std::vector<pollfd> waiting{{listener, POLLIN, 0}};
    for (const PendingPeer& peer : pending) waiting.push_back({peer.socket, POLLIN, 0});
    if (::poll(waiting.data(), waiting.size(), kListenPollMs) <= 0) continue;

    for (size_t i = pending.size(); i-- > 0;) {
      if (waiting[i + 1].revents == 0) continue;
      PendingPeer& peer = pending[i];
      const ssize_t got = ::recv(peer.socket, peer.received.data() + peer.count, kGreetingBytes - peer.count, MSG_DONTWAIT);
      if (got <= 0) {
        if (got < 0 && SocketWouldBlock(errno)) continue;
        const bool left = got == 0 || errno == ECONNRESET;
        drop(i, left ? std::string("it left without a greeting") : std::string("receiving failed: ") + std::strerror(errno));
        continue;
      }
      peer.count += static_cast<size_t>(got);
      if (options.watchers != nullptr) {
        const auto answer = std::span(peer.received).first(peer.count);
        const auto watcher = options.watchers->Recognise(answer);
        if (watcher == IWatcherIntake::Answer::kYes) {
          options.watchers->TakeConnection(peer.socket, peer.name, answer);
          pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
        }
        if (watcher != IWatcherIntake::Answer::kNo) continue;
      }
      const GreetingVerdict verdict = JudgeGreeting(std::span(peer.received).first(peer.count), greeting.game);
      if (verdict.kind == GreetingVerdict::Kind::kIncomplete) continue;
      if (verdict.kind == GreetingVerdict::Kind::kRefused) {
        drop(i, verdict.reason);
        continue;
      }
      const int data = peer.socket;
      const auto since = peer.since;
      pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
      if (options.watchers != nullptr && verdict.kind == GreetingVerdict::Kind::kAccepted) {
        // Watchers go on coming; the connections still greeting may be watchers.
        for (PendingPeer& other : pending) {
          options.watchers->TakeConnection(other.socket, other.name, std::span(other.received).first(other.count));
        }
        options.watchers->TakeListener(listener);
      } else {
        closeAll();
      }
      if (verdict.kind == GreetingVerdict::Kind::kDifferentGame) {
        ::close(data);
        return league::Fail(verdict.reason);
      }
      if (verdict.greeting.mode != greeting.mode) {
        ::close(data);
        return league::Fail(std::string("the other side asked for a ") + NetModeName(verdict.greeting.mode) +
                            " game; this side hosts a " + NetModeName(greeting.mode) + " one");
      }
      const int roundTripMs = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since).count());
      const LinkTerms terms = SettleTerms(options.delayFrames, roundTripMs);
      if (!WriteWhole(data, EncodeTerms(terms))) {
        ::close(data);
        return league::Fail("the joining side left during the greeting");
      }
      NetGreeting settled = greeting;
      settled.latency = terms.delay.latency;
      settled.stepLength = terms.delay.stepLength;
      Adopt(data, true, settled);
      terms_ = terms;
      roundTripMs_ = roundTripMs;
      return {};
    }
    if (waiting[0].revents != 0) {
      const int data = ::accept(listener, nullptr, nullptr);
      if (data < 0) continue;
      pending.push_back({data, PeerAddress(data), std::chrono::steady_clock::now(), {}, 0});
      if (!WriteWhole(data, hello)) {
        drop(pending.size() - 1, "it left without a greeting");
        continue;
      }
      if (pending.size() > kMaxPendingPeers) drop(0, "too many connections waiting to greet");
    }
  }
}

league::Status CNetplayLink::SendOffer(const NetGameOffer& offer) {
  const auto bytes = EncodeOffer(offer);
  if (!bytes) return league::Fail(bytes.error());
  if (socket_ < 0 || !WriteWhole(socket_, bytes.value())) return league::Fail("the joining side left before the game was sent");
  return {};
}

league::Result<std::string> CNetplayLink::ReceiveNickName() {
  std::array<uint8_t, kNickHeaderBytes> header{};
  if (socket_ < 0 || !ReadWhole(socket_, header, kNetTimeoutMs)) return league::Fail("the joining side did not say its name");
  const auto length = NickNameBytes(header);
  if (!length) return league::Fail(length.error());
  std::vector<uint8_t> body(length.value());
  if (!ReadWhole(socket_, body, kNetTimeoutMs)) return league::Fail("the joining side did not say its name");
  return DecodeNickName(body);
}

league::Result<NetGameOffer> CNetplayLink::ReceiveOffer() {
  std::vector<uint8_t> message(kOfferHeaderBytes);
  if (socket_ < 0 || !ReadWhole(socket_, message, kNetTimeoutMs)) return league::Fail("the host did not send the game");
  const auto body = OfferBodyBytes(message);
  if (!body) return league::Fail(body.error());
  message.resize(kOfferHeaderBytes + body.value());
  if (!ReadWhole(socket_, std::span(message).subspan(kOfferHeaderBytes), kNetTimeoutMs)) {
    return league::Fail("the host's game came incomplete");
  }
  return DecodeOffer(message, greeting_.game);
}

league::Status CNetplayLink::SendNickName(const std::string& nickName) {
  if (socket_ < 0 || !WriteWhole(socket_, EncodeNickName(nickName))) return league::Fail("the host left before the game began");
  return {};
}

league::Status CNetplayLink::Join(const std::string& host, uint16_t port, const std::optional<GameIdentity>& game,
                                  int timeoutMs, const std::function<bool()>& stopped) {
  auto connected = ConnectStream(host, port, timeoutMs, stopped);
  if (!connected) {
    return league::Fail(stopped && stopped() ? std::string("joining was stopped before the host answered")
                                             : connected.error());
  }
  const int data = connected.value();
  std::array<uint8_t, kGreetingBytes> hello{};
  if (!ReadWhole(data, hello, kNetTimeoutMs, stopped)) {
    ::close(data);
    return league::Fail("the host sent no greeting");
  }
  const auto named = DecodeGreeting(hello);
  const GameIdentity mine = game ? *game : named ? named->game : GameIdentity{};
  const GreetingVerdict verdict = JudgeGreeting(hello, mine);
  if (verdict.kind == GreetingVerdict::Kind::kRefused) {
    ::close(data);
    return league::Fail("the host's greeting was refused: " + verdict.reason);
  }
  // The host's link and seed, this side's game: the host sees for itself what differs.
  NetGreeting answer = verdict.greeting;
  answer.game = mine;
  if (requiredMode_) answer.mode = *requiredMode_;
  const bool answered = WriteWhole(data, EncodeGreeting(answer));
  if (verdict.kind == GreetingVerdict::Kind::kDifferentGame) {
    ::close(data);
    return league::Fail(verdict.reason);
  }
  if (answer.mode != verdict.greeting.mode) {
    ::close(data);
    return league::Fail(std::string("the host plays a ") + NetModeName(verdict.greeting.mode) +
                        " game; this side asked for " + NetModeName(answer.mode));
  }
  if (!answered) {
    ::close(data);
    return league::Fail("the host left during the greeting");
  }
  // The host settles the link as soon as this side's greeting has come: a round trip.
  const auto answeredAt = std::chrono::steady_clock::now();
  std::array<uint8_t, kTermsBytes> settled{};
  if (!ReadWhole(data, settled, kNetTimeoutMs, stopped)) {
    ::close(data);
    return league::Fail("the host did not settle the link");
  }
  const int roundTripMs = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - answeredAt).count());
  auto terms = DecodeTerms(settled);
  if (!terms) {
    ::close(data);
    return league::Fail(terms.error());
  }
  answer.latency = terms.value().delay.latency;
  answer.stepLength = terms.value().delay.stepLength;
  Adopt(data, false, answer);
  terms_ = terms.value();
  roundTripMs_ = roundTripMs;
  return {};
}

int CNetplayLink::PollReceive() {
  if (socket_ < 0) return 0;
  std::array<uint8_t, kSnapshotPollBytes> chunk;  // filled by recv
  // An announced snapshot's bytes are read up to its end, the packets 64 bytes at a time.
  const size_t due = received_.SnapshotBytesDue();
  const size_t room = due > 0 ? std::min(chunk.size(), due) : std::min(kPollBytes, received_.FreeSpace());
  if (room == 0) {
    Fail("the other side sent more than the link holds");
    return 0;
  }
  const ssize_t got = ::recv(socket_, chunk.data(), room, MSG_DONTWAIT);
  if (got < 0) {
    if (SocketWouldBlock(errno)) return 1;
    Fail(std::string("receiving failed: ") + std::strerror(errno));
    return 0;
  }
  if (got == 0) {
    Fail("the other side has left");
    return 0;
  }
  std::string reason;
  if (!received_.Append(std::span(chunk).first(static_cast<size_t>(got)), reason)) {
    Fail(reason);
    return 0;
  }
  // A side in lockstep can be latency + 2 packets ahead of this one besides
  // its latency + 1 first ones, so never more than 2 x latency + 4 wait here.
  if (received_.Buffered() > static_cast<size_t>(2 * greeting_.latency + 4) * kNetPacketBytes) {
    Fail("the other side sent more than the link holds");
    return 0;
  }
  return 1;
}

int CNetplayLink::BufferedBytes() const {
  return enabled_ && connected_ && socket_ >= 0 ? static_cast<int>(received_.Buffered()) : 0;
}

int CNetplayLink::LeadStatus() const {
  if (!connected_) return 0;
  const int buffered = BufferedBytes();
  if (buffered < static_cast<int>(kNetPacketBytes)) return -1;
  return buffered > greeting_.latency * 8 + 16 ? 1 : 0;
}

bool CNetplayLink::SendPacket(std::array<uint8_t, 8> packet) {
  // A side that stops reading but stays connected would keep this one waiting for ever.
  if (!peerGone_ && !WriteWhole(socket_, packet, kNetTimeoutMs)) {
    if (errno != EPIPE && errno != ECONNRESET) {
      Fail(errno == ETIMEDOUT ? std::string("the other side took no packet for 10 seconds")
                              : std::string("sending failed: ") + std::strerror(errno));
      return false;
    }
    // The other side's packets that came before it left are still used (WaitForBytes ends the link after them).
    peerGone_ = true;
  }
  for (size_t i = 0; i < packet.size(); ++i) sendRing_[(sendWrite_ + i) % kNetRingBytes] = packet[i];
  sendWrite_ = (sendWrite_ + packet.size()) % kNetRingBytes;
  return true;
}

bool CNetplayLink::WaitForBytes(size_t bytes) {
  return WaitFor([&] { return received_.Buffered() >= bytes; }, "the other side did not answer for 10 seconds");
}

bool CNetplayLink::WaitFor(const std::function<bool()>& ready, const std::string& silence) {
  const uint32_t started = clock_.NowMs();
  uint32_t lastWaitingTick = 0;
  for (;;) {
    // What has come is used before a close is noticed, so both sides see the same last packets.
    if (ready()) return true;
    if (peerGone_) {
      Fail("the other side has left");
      return false;
    }
    if (PollReceive() == 0) return false;
    if (ready()) return true;
    const uint32_t waited = clock_.NowMs() - started;
    if (waited >= static_cast<uint32_t>(kNetTimeoutMs)) {
      Fail(silence);
      return false;
    }
    if (waitingHandler_ && waited >= kWaitingShownMs && waited / kWaitingShownMs != lastWaitingTick) {
      lastWaitingTick = waited / kWaitingShownMs;
      waitingHandler_();
    }
    clock_.SleepMs(1);
  }
}

int CNetplayLink::Synchronise() {
  stepCounter_ = 0;
  sendRead_ = sendWrite_ = 0;
  received_.Clear();
  if (!connected_) return -1;
  for (int i = 0; i <= greeting_.latency; ++i) {
    if (!SendPacket({})) return -1;
  }
  if (!WaitForBytes(static_cast<size_t>(greeting_.latency + 1) * kNetPacketBytes)) return -1;
  synchronised_ = true;
  return 0;
}

void CNetplayLink::Interrupt() {
  const int socket = socket_;
  if (socket >= 0) ::shutdown(socket, SHUT_RDWR);
}

std::string CNetplayLink::StatusText(bool waiting) const {
  if (waiting) return "waiting for " + peerName_;
  const int frames = terms_.delay.Frames();
  std::string text = peerName_ + "  delay " + std::to_string(frames) + (frames == 1 ? " frame" : " frames") +
                     (terms_.automatic ? " (auto)" : "");
  if (rollback_) text = peerName_ + "  delay " + std::to_string(kRollbackInputDelay) + " frame, rollback";
  if (roundTripMs_ >= 0) text += "  " + std::to_string(roundTripMs_) + " ms";
  if (lastResyncAt_ >= 0 && frames_ - lastResyncAt_ < kResyncShownFrames) {
    text += "  out of step: resynced at frame " + std::to_string(lastResyncAt_);
  }
  return text;
}

void CNetplayLink::OfferStateHash(int64_t frame, uint64_t hash) {
  if (observer_ != nullptr && rollback_) observer_->StateHash(frame, hash);
  if (rollback_) return rollback_->OfferStateHash(frame, hash);
  // 24 bits folded from all 64.
  const uint64_t folded = hash ^ (hash >> 24) ^ (hash >> 48);
  pendingHash_ = std::pair{frame, static_cast<uint32_t>(folded & 0xFFFFFF)};
  if (observer_ != nullptr) observer_->StateHash(frame, hash);
}

bool CNetplayLink::HashesAgree(const std::array<uint8_t, 8>& mine, const std::array<uint8_t, 8>& theirs) const {
  if (mine[kHashAt] != kStateHashTag || theirs[kHashAt] != kStateHashTag) return true;
  // A state from before the last resync is gone on both sides.
  if (sentHashFrame_[sendRead_ / kNetPacketBytes] < lastResyncAt_) return true;
  return std::equal(mine.begin() + kHashAt, mine.end(), theirs.begin() + kHashAt);
}

bool CNetplayLink::SendSnapshot(int64_t frame, std::span<const uint8_t> bytes) {
  std::array<uint8_t, kNetPacketBytes> announcement{};
  PutLittle(announcement, static_cast<uint64_t>(frame), 4);
  announcement[kHashAt] = kSnapshotTag;
  PutLittle(std::span(announcement).subspan(kHashAt + 1), bytes.size(), 3);
  if (peerGone_) return true;  // the wait for the next packet ends the link
  if (WriteWhole(socket_, announcement, kNetTimeoutMs) && WriteWhole(socket_, bytes, kNetTimeoutMs)) return true;
  if (errno == EPIPE || errno == ECONNRESET) {
    peerGone_ = true;
    return true;
  }
  Fail(errno == ETIMEDOUT ? std::string("the other side took no part of this side's game for 10 seconds")
                          : std::string("sending this side's game failed: ") + std::strerror(errno));
  return false;
}

bool CNetplayLink::Resync(int64_t hashedFrame) {
  const int64_t at = frames_;
  if (!resync_.take || !resync_.load) {
    Fail("the two machines' states differ after frame " + std::to_string(hashedFrame) + " (a desync)");
    return false;
  }
  // Both sides go on from the same bytes, read by the same reader.
  std::vector<uint8_t> game;
  if (isHost_) {
    auto taken = resync_.take();
    if (!taken) {
      Fail("out of step, and this side's game cannot be sent: " + taken.error());
      return false;
    }
    game = std::move(taken).value();
    if (game.empty() || game.size() > kMaxResyncBytes) {
      Fail("out of step, and this side's game is " + std::to_string(game.size()) + " bytes, too large to send");
      return false;
    }
    if (!SendSnapshot(at, game)) return false;
  } else {
    std::optional<ResyncSnapshot> sent;
    if (!WaitFor([&] { return (sent = received_.TakeSnapshot()).has_value(); },
                 "out of step, and the host did not send its game within 10 seconds")) {
      return false;
    }
    if (sent->frame != static_cast<uint32_t>(at)) {
      Fail("the host's game came for frame " + std::to_string(sent->frame) + ", not for frame " + std::to_string(at));
      return false;
    }
    game = std::move(sent->bytes);
  }
  if (const auto loaded = resync_.load(game); !loaded) {
    Fail(std::string(isHost_ ? "out of step, and this side cannot go on from its own game: "
                             : "out of step, and the host's game was refused: ") +
         loaded.error());
    return false;
  }
  pendingHash_.reset();  // of the state that was replaced
  lastResyncAt_ = at;
  ++resyncs_;
  if (resync_.happened) {
    resync_.happened(at, "Out of step at frame " + std::to_string(hashedFrame) + ": " +
                             (isHost_ ? peerName_ + " went on from this side's game"
                                      : std::string("went on from the host's game")) +
                             " at frame " + std::to_string(at));
  }
  return true;
}

int CNetplayLink::Exchange(const std::array<uint8_t, 8>& local, std::array<uint8_t, 8>& delayedLocal,
                           std::array<uint8_t, 8>& remote) {
  if (!enabled_ || !connected_ || socket_ < 0) return -1;
  const int before = stepCounter_;
  // The packet in use is compared before this side's next one goes out, so a
  // side that finds a mismatch has not left before the other side finds it too.
  if (!WaitForBytes(kNetPacketBytes)) return -1;
  for (size_t i = 0; i < delayedLocal.size(); ++i) delayedLocal[i] = sendRing_[(sendRead_ + i) % kNetRingBytes];
  remote = received_.Front();
  if (before == 0 && !HashesAgree(delayedLocal, remote) && !Resync(sentHashFrame_[sendRead_ / kNetPacketBytes])) return -1;
  // Only a mismatch asks for the host's game; one whose frame has passed came unasked.
  if (const auto frame = received_.SnapshotFrame(); frame && static_cast<int64_t>(*frame) < frames_) {
    Fail("the host sent its game unasked");
    return -1;
  }
  if (stepCounter_ == 0) {
    std::array<uint8_t, 8> packet = local;
    if (pendingHash_) {
      packet[kHashAt] = kStateHashTag;
      for (size_t i = 1; i < 4; ++i) packet[kHashAt + i] = static_cast<uint8_t>(pendingHash_->second >> (8 * (i - 1)));
      sentHashFrame_[sendWrite_ / kNetPacketBytes] = pendingHash_->first;
      pendingHash_.reset();
    }
    if (!SendPacket(packet)) return -1;
  }
  ++frames_;
  if (++stepCounter_ > greeting_.stepLength) {
    stepCounter_ = 0;
    sendRead_ = (sendRead_ + kNetPacketBytes) % kNetRingBytes;
    received_.Pop();
  }
  return before;
}

std::optional<uint32_t> CNetplayLink::ExchangeFrameInput(uint32_t local) {
  if (!synchronised_ && Synchronise() != 0) return {};
  std::array<uint8_t, 8> packet{};
  for (size_t i = 0; i < 4; ++i) packet[i] = static_cast<uint8_t>(local >> (8 * i));
  std::array<uint8_t, 8> mine{}, theirs{};
  if (Exchange(packet, mine, theirs) < 0) return {};
  auto input = [](const std::array<uint8_t, 8>& p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
  };
  const uint32_t both = isHost_ ? CombineFrameInput(input(mine), input(theirs)) : CombineFrameInput(input(theirs), input(mine));
  if (observer_ != nullptr) observer_->FrameInput(frames_, both);
  return both;
}

}  // namespace qgu::host
