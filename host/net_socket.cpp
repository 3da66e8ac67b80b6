#include "host/net_socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace qgu::host {
namespace {

constexpr int kCheckEveryMs = 100;

bool Transient(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

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
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int data = -1;
  while (data < 0 && std::chrono::steady_clock::now() < until && !(cancelled && cancelled())) {
    for (addrinfo* a = found; a != nullptr && data < 0; a = a->ai_next) {
      data = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
      if (data >= 0 && ::connect(data, a->ai_addr, a->ai_addrlen) != 0) {
        ::close(data);
        data = -1;
      }
    }
    if (data < 0) std::this_thread::sleep_for(std::chrono::milliseconds(kCheckEveryMs));
  }
  ::freeaddrinfo(found);
  if (data < 0) return league::Fail("cannot reach " + host + ":" + std::to_string(port));
  return data;
}

bool ReadWhole(int socket, std::span<uint8_t> bytes, int timeoutMs, const std::function<bool()>& cancelled) {
  size_t done = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (done < bytes.size()) {
    if (cancelled && cancelled()) return false;
    if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= until) return false;
    pollfd waiting{socket, POLLIN, 0};
    if (::poll(&waiting, 1, kCheckEveryMs) <= 0) continue;
    const ssize_t got = ::recv(socket, bytes.data() + done, bytes.size() - done, MSG_DONTWAIT);
    if (got <= 0) {
      if (got < 0 && Transient(errno)) continue;
      return false;
    }
    done += static_cast<size_t>(got);
  }
  return true;
}

bool WriteWhole(int socket, std::span<const uint8_t> bytes) {
  size_t done = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (done < bytes.size()) {
    const ssize_t sent = ::send(socket, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0) {
      if (!Transient(errno) || std::chrono::steady_clock::now() >= until) return false;
      pollfd waiting{socket, POLLOUT, 0};
      ::poll(&waiting, 1, kCheckEveryMs);
      continue;
    }
    done += static_cast<size_t>(sent);
  }
  return true;
}

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
