#pragma once
// Small stream-socket steps for the watchers' side of linked games: connect
// with retries, read or write a whole message within a time, a peer's name.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "league/result.h"

namespace qgu::host {

// Connects to host:port, retrying while nobody listens yet, until timeoutMs
// or cancelled says so; the connected socket.
league::Result<int> ConnectStream(const std::string& host, uint16_t port, int timeoutMs,
                                  const std::function<bool()>& cancelled = {});
// Reads exactly bytes.size() bytes; timeoutMs < 0 waits as long as cancelled
// allows. False on a close, an error, the time or the cancel.
bool ReadWhole(int socket, std::span<uint8_t> bytes, int timeoutMs, const std::function<bool()>& cancelled = {});
bool WriteWhole(int socket, std::span<const uint8_t> bytes);
void SetNonBlocking(int socket);
// "ADDRESS port N" of the other end.
std::string PeerAddress(int socket);
void CloseStream(int& socket);

}  // namespace qgu::host
