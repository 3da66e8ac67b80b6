#pragma once
// The two doors the host's link (host/netplay_link.h) keeps for watchers of
// its game (host/netplay_spectator.h): hosting hands over the connections
// that answer its greeting as watchers, and once a side has joined the
// listening socket; during the game the link tells what both players use.

#include <cstdint>
#include <span>
#include <string>

namespace qgu::host {

class IWatcherIntake {
 public:
  enum class Answer { kNo, kUndecided, kYes };
  virtual ~IWatcherIntake() = default;
  // What the answer received so far from a greeted connection is.
  virtual Answer Recognise(std::span<const uint8_t> received) const = 0;
  // A greeted connection, from now on owned here, with what it has answered so far.
  virtual void TakeConnection(int socket, const std::string& name, std::span<const uint8_t> received) = 0;
  // Once a side has joined: the listening socket, to go on taking watchers.
  virtual void TakeListener(int listener) = 0;
};

// Called on the link's exchanging thread; each returns at once.
class ILinkObserver {
 public:
  virtual ~ILinkObserver() = default;
  // The frame input both players use at frame (1 for the first).
  virtual void FrameInput(int64_t frame, uint32_t input) = 0;
  virtual void StateHash(int64_t frame, uint64_t hash) = 0;
  virtual void LinkClosed(const std::string& reason) = 0;
};

}  // namespace qgu::host
