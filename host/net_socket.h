#pragma once
// Small stream-socket steps of linked games, for the players' link and the
// watchers' alike: connect with retries and a time limit, read or
// write a whole message within a time, a peer's name.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "league/result.h"

namespace qgu::host {

// Connects to host:port, retrying while nobody listens yet, until timeoutMs
// or cancelled says so; a host that never answers is given up at the time
// too. The connected socket, blocking.
league::Result<int> ConnectStream(const std::string& host, uint16_t port, int timeoutMs,
                                  const std::function<bool()>& cancelled = {});
// Reads exactly bytes.size() bytes; timeoutMs < 0 waits as long as cancelled
// allows. False on a close, an error, the time or the cancel.
bool ReadWhole(int socket, std::span<uint8_t> bytes, int timeoutMs, const std::function<bool()>& cancelled = {});
// False on an error (errno says which), or with errno ETIMEDOUT when the
// other end took nothing for timeoutMs.
bool WriteWhole(int socket, std::span<const uint8_t> bytes, int timeoutMs = 10000);
// A failed call that may be tried again (EAGAIN, EWOULDBLOCK, EINTR).
bool SocketWouldBlock(int error);
void SetNonBlocking(int socket);
// "ADDRESS port N" of the other end.
std::string PeerAddress(int socket);
void CloseStream(int& socket);

}  // namespace qgu::host
