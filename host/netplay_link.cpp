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

namespace qgu::host {
namespace {

constexpr std::array<uint8_t, 8> kGreetingMagic = {'Q', 'G', 'U', 'N', 'E', 'T', '0', '1'};
constexpr size_t kReservedFrom = 4;  // packet bytes 4-7 are zero
constexpr size_t kPollBytes = 64;

void CloseSocket(int& socket) {
  if (socket >= 0) {
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
  }
  socket = -1;
}

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

void MakeNonBlocking(int socket) {
  ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL, 0) | O_NONBLOCK);
  const int one = 1;
  ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

// Blocking read of exactly bytes.size() within the time-out.
bool ReadExactly(int socket, std::span<uint8_t> bytes, int timeoutMs) {
  size_t done = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (done < bytes.size()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd waiting{socket, POLLIN, 0};
    if (::poll(&waiting, 1, static_cast<int>(left.count())) <= 0) continue;
    const ssize_t got = ::recv(socket, bytes.data() + done, bytes.size() - done, 0);
    if (got <= 0) {
      if (got < 0 && WouldBlock(errno)) continue;
      return false;
    }
    done += static_cast<size_t>(got);
  }
  return true;
}

bool WriteAll(int socket, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t sent = ::send(socket, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (sent < 0) {
      if (WouldBlock(errno)) {
        std::this_thread::yield();
        continue;
      }
      return false;
    }
    done += static_cast<size_t>(sent);
  }
  return true;
}

}  // namespace

void CNetReceiveRing::Clear() {
  read_ = 0;
  count_ = 0;
  checked_ = 0;
}

bool CNetReceiveRing::Append(std::span<const uint8_t> bytes, std::string& reason) {
  if (bytes.size() > FreeSpace()) {
    reason = "the other side sent more than the link holds";
    return false;
  }
  for (uint8_t byte : bytes) {
    if (checked_ >= kReservedFrom && byte != 0) {
      reason = "the other side sent a malformed packet";
      return false;
    }
    bytes_[(read_ + count_) % kNetRingBytes] = byte;
    ++count_;
    checked_ = (checked_ + 1) % kNetPacketBytes;
  }
  return true;
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

std::array<uint8_t, 16> EncodeGreeting(const NetGreeting& greeting) {
  std::array<uint8_t, 16> bytes{};
  std::copy(kGreetingMagic.begin(), kGreetingMagic.end(), bytes.begin());
  bytes[8] = static_cast<uint8_t>(greeting.latency);
  bytes[9] = static_cast<uint8_t>(greeting.stepLength);
  for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(12 + i)] = static_cast<uint8_t>(greeting.seed >> (8 * i));
  return bytes;
}

std::optional<NetGreeting> DecodeGreeting(std::span<const uint8_t> bytes) {
  if (bytes.size() != 16 || !std::equal(kGreetingMagic.begin(), kGreetingMagic.end(), bytes.begin())) return {};
  if (bytes[8] > kMaxNetLatency || bytes[9] > kMaxNetLatency || bytes[10] != 0 || bytes[11] != 0) return {};
  NetGreeting greeting;
  greeting.latency = bytes[8];
  greeting.stepLength = bytes[9];
  for (int i = 0; i < 4; ++i) greeting.seed |= uint32_t{bytes[static_cast<size_t>(12 + i)]} << (8 * i);
  return greeting;
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
  CloseSocket(socket_);
  connected_ = false;
  synchronised_ = false;
}

void CNetplayLink::Fail(const std::string& reason) {
  if (closeReason_.empty()) closeReason_ = reason;
  Disconnect();
}

void CNetplayLink::Adopt(int socket, bool isHost, const NetGreeting& greeting) {
  Disconnect();
  enabled_ = true;
  socket_ = socket;
  isHost_ = isHost;
  greeting_ = greeting;
  greeting_.latency = std::clamp(greeting_.latency, 0, kMaxNetLatency);
  greeting_.stepLength = std::clamp(greeting_.stepLength, 0, kMaxNetLatency);
  closeReason_.clear();
  MakeNonBlocking(socket_);
  connected_ = true;
}

league::Status CNetplayLink::Host(uint16_t port, const NetGreeting& greeting, int timeoutMs) {
  int listener = ::socket(AF_INET6, SOCK_STREAM, 0);
  bool v6 = listener >= 0;
  if (!v6) listener = ::socket(AF_INET, SOCK_STREAM, 0);
  if (listener < 0) return league::Fail(std::string("cannot make a socket: ") + std::strerror(errno));
  const int one = 1, zero = 0;
  ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  int bound = -1;
  if (v6) {
    ::setsockopt(listener, IPPROTO_IPV6, IPV6_V6ONLY, &zero, sizeof zero);
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(port);
    address.sin6_addr = in6addr_any;
    bound = ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  } else {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    bound = ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  }
  if (bound != 0 || ::listen(listener, 1) != 0) {
    const std::string why = std::strerror(errno);
    ::close(listener);
    return league::Fail("cannot listen on port " + std::to_string(port) + ": " + why);
  }
  pollfd waiting{listener, POLLIN, 0};
  const int ready = ::poll(&waiting, 1, timeoutMs);
  const int data = ready > 0 ? ::accept(listener, nullptr, nullptr) : -1;
  ::close(listener);
  if (data < 0) return league::Fail("nobody joined on port " + std::to_string(port));
  const auto hello = EncodeGreeting(greeting);
  std::array<uint8_t, 16> answer{};
  if (!WriteAll(data, hello) || !ReadExactly(data, answer, kNetTimeoutMs) || !DecodeGreeting(answer)) {
    ::close(data);
    return league::Fail("the joining side did not answer the greeting");
  }
  Adopt(data, true, greeting);
  return {};
}

league::Status CNetplayLink::Join(const std::string& host, uint16_t port, int timeoutMs) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || found == nullptr) {
    return league::Fail("unknown host \"" + host + "\"");
  }
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int data = -1;
  while (data < 0 && std::chrono::steady_clock::now() < until) {
    for (addrinfo* a = found; a != nullptr && data < 0; a = a->ai_next) {
      data = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
      if (data >= 0 && ::connect(data, a->ai_addr, a->ai_addrlen) != 0) {
        ::close(data);
        data = -1;
      }
    }
    if (data < 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ::freeaddrinfo(found);
  if (data < 0) return league::Fail("cannot reach " + host + ":" + std::to_string(port));
  std::array<uint8_t, 16> hello{};
  if (!ReadExactly(data, hello, kNetTimeoutMs)) {
    ::close(data);
    return league::Fail("the host sent no greeting");
  }
  const auto greeting = DecodeGreeting(hello);
  if (!greeting || !WriteAll(data, hello)) {
    ::close(data);
    return league::Fail("the host's greeting is malformed");
  }
  Adopt(data, false, *greeting);
  return {};
}

int CNetplayLink::PollReceive() {
  if (socket_ < 0) return 0;
  std::array<uint8_t, kPollBytes> chunk{};
  const size_t room = std::min(chunk.size(), received_.FreeSpace());
  if (room == 0) {
    Fail("the other side sent more than the link holds");
    return 0;
  }
  const ssize_t got = ::recv(socket_, chunk.data(), room, MSG_DONTWAIT);
  if (got < 0) {
    if (WouldBlock(errno)) return 1;
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

bool CNetplayLink::SendPacket(const std::array<uint8_t, 8>& packet) {
  if (!WriteAll(socket_, packet)) {
    Fail(errno == EPIPE || errno == ECONNRESET ? std::string("the other side has left")
                                               : std::string("sending failed: ") + std::strerror(errno));
    return false;
  }
  for (size_t i = 0; i < packet.size(); ++i) sendRing_[(sendWrite_ + i) % kNetRingBytes] = packet[i];
  sendWrite_ = (sendWrite_ + packet.size()) % kNetRingBytes;
  return true;
}

bool CNetplayLink::WaitForBytes(size_t bytes) {
  const uint32_t started = clock_.NowMs();
  for (;;) {
    if (PollReceive() == 0) return false;
    if (received_.Buffered() >= bytes) return true;
    if (clock_.NowMs() - started >= static_cast<uint32_t>(kNetTimeoutMs)) {
      Fail("the other side did not answer for 10 seconds");
      return false;
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

int CNetplayLink::Exchange(const std::array<uint8_t, 8>& local, std::array<uint8_t, 8>& delayedLocal,
                           std::array<uint8_t, 8>& remote) {
  if (!enabled_ || !connected_ || socket_ < 0) return -1;
  const int before = stepCounter_;
  if (stepCounter_ == 0 && !SendPacket(local)) return -1;
  if (!WaitForBytes(kNetPacketBytes)) return -1;
  for (size_t i = 0; i < delayedLocal.size(); ++i) delayedLocal[i] = sendRing_[(sendRead_ + i) % kNetRingBytes];
  remote = received_.Front();
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
  return isHost_ ? CombineFrameInput(input(mine), input(theirs)) : CombineFrameInput(input(theirs), input(mine));
}

}  // namespace qgu::host
