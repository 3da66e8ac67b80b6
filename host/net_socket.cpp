#include "host/net_socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstring>
#include <thread>

namespace qgu::host {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCheckEveryMs = 100;

int MsUntil(Clock::time_point until) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
  return static_cast<int>(std::clamp<int64_t>(left, 0, kCheckEveryMs));
}

// One try at an address within the time: the connected socket, or -1 with
// error saying why (ETIMEDOUT: no answer).
int TryConnect(const addrinfo& address, Clock::time_point until, const std::function<bool()>& cancelled,
               int& error) {
  const int data = ::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, address.ai_protocol);
  if (data < 0) {
    error = errno;
    return -1;
  }
  // Not blocking in connect: a host that never answers would hold the caller for the system's minutes.
  error = ::connect(data, address.ai_addr, address.ai_addrlen) == 0 ? 0 : errno;
  if (error == EINPROGRESS) {
    error = ETIMEDOUT;
    do {
      pollfd writable{data, POLLOUT, 0};
      if (::poll(&writable, 1, MsUntil(until)) <= 0) continue;
      socklen_t length = sizeof error;
      if (::getsockopt(data, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
      break;
    } while (Clock::now() < until && !(cancelled && cancelled()));
  }
  if (error != 0) {
    ::close(data);
    return -1;
  }
  ::fcntl(data, F_SETFL, ::fcntl(data, F_GETFL, 0) & ~O_NONBLOCK);
  return data;
}

// "15 seconds", "1.5 seconds", "1 second".
std::string Seconds(int milliseconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", std::max(milliseconds, 100) / 100 / 10.0);
  return std::string(text) + (std::string(text) == "1" ? " second" : " seconds");
}

std::string WhyUnreached(int error) {
  if (error == ECONNREFUSED) return "nobody listens there";
  if (error == ETIMEDOUT) return "no answer";
  return std::strerror(error);
}

}  // namespace

league::Result<int> ConnectStream(const std::string& host, uint16_t port, int timeoutMs,
                                  const std::function<bool()>& cancelled) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || found == nullptr) {
    return league::Fail("unknown host \"" + host + "\"");
  }
  const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int data = -1;
  int error = ETIMEDOUT;
  while (data < 0 && Clock::now() < until && !(cancelled && cancelled())) {
    for (addrinfo* a = found; a != nullptr && data < 0; a = a->ai_next) {
      int attempt = 0;
      data = TryConnect(*a, until, cancelled, attempt);
      // "Nobody listens there" says more than the last try's running out of time.
      if (attempt != ETIMEDOUT || error == ETIMEDOUT) error = attempt;
    }
    if (data < 0) std::this_thread::sleep_for(std::chrono::milliseconds(MsUntil(until)));
  }
  ::freeaddrinfo(found);
  if (data >= 0) return data;
  const std::string where = host + ":" + std::to_string(port);
  if (cancelled && cancelled()) return league::Fail("stopped before " + where + " answered");
  return league::Fail("cannot reach " + where + " in " + Seconds(timeoutMs) + ": " + WhyUnreached(error));
}

bool ReadWhole(int socket, std::span<uint8_t> bytes, int timeoutMs, const std::function<bool()>& cancelled) {
  size_t done = 0;
  const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (done < bytes.size()) {
    if (cancelled && cancelled()) return false;
    if (timeoutMs >= 0 && Clock::now() >= until) return false;
    pollfd waiting{socket, POLLIN, 0};
    if (::poll(&waiting, 1, kCheckEveryMs) <= 0) continue;
    const ssize_t got = ::recv(socket, bytes.data() + done, bytes.size() - done, MSG_DONTWAIT);
    if (got <= 0) {
      if (got < 0 && SocketWouldBlock(errno)) continue;
      return false;
    }
    done += static_cast<size_t>(got);
  }
  return true;
}

bool WriteWhole(int socket, std::span<const uint8_t> bytes, int timeoutMs) {
  size_t done = 0;
  const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (done < bytes.size()) {
    const ssize_t sent = ::send(socket, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent >= 0) {
      done += static_cast<size_t>(sent);
      continue;
    }
    if (!SocketWouldBlock(errno)) return false;
    if (Clock::now() >= until) {
      errno = ETIMEDOUT;
      return false;
    }
    pollfd writable{socket, POLLOUT, 0};
    ::poll(&writable, 1, MsUntil(until));
  }
  return true;
}

bool SocketWouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

void SetNonBlocking(int socket) {
  ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL, 0) | O_NONBLOCK);
  const int one = 1;
  ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

std::string PeerAddress(int socket) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  char host[NI_MAXHOST] = "?";
  char port[NI_MAXSERV] = "?";
  if (::getpeername(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    ::getnameinfo(reinterpret_cast<sockaddr*>(&address), length, host, sizeof host, port, sizeof port,
                  NI_NUMERICHOST | NI_NUMERICSERV);
  }
  return std::string(host) + " port " + port;
}

void CloseStream(int& socket) {
  if (socket >= 0) {
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
  }
  socket = -1;
}

}  // namespace qgu::host
