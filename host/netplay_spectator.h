#pragma once
// The watchers of a hosted linked game. CSpectatorHost stands beside the
// host's link: hosting hands it the connections that answer as watchers
// (HostOptions::watchers) and, once a side has joined, the listening socket,
// so it goes on taking watchers (at most kMaxWatchers at a time). It sees
// the frame input the link gives both players (CNetplayLink::SetObserver)
// and sends it on to each watcher from a thread of its own through a
// bounded queue, so a slow or vanished watcher never holds the game: one
// that falls kMaxWatchLagPackets behind, or takes nothing for
// kWatcherStallMs while its packets wait, is dropped and told why.
//
// Watchers that join before the game's first frame (while the host waits for
// the other player, or until both have said their names) replay the game from
// the prepared image with the same seed, and their game driver with it. A
// later one needs the machine's and the driver's state as well: once the host
// takes late watchers (TakeLateWatchers, by host/netplay_watch_late.h) it is
// sent the game and waits, sent nothing more, until the game under way is
// offered at a frame boundary (OfferGameUnderWay); the frames after it follow.
// Without that it is told that it came too late, and goes.
//
// Use: make it with the host's greeting, pass it to Host, then Begin with
// the game once the other player has named itself, SetObserver(this) on the
// link, play; Finish (or the destructor) ends every watcher's stream.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/netplay_greeting.h"
#include "host/netplay_watch_wire.h"
#include "host/netplay_watchers.h"

namespace qgu::host {

inline constexpr size_t kMaxWatchers = 4;
inline constexpr size_t kMaxWatchLagPackets = size_t{1} << 16;
inline constexpr int kWatcherStallMs = 20000;

class CSpectatorHost final : public IWatcherIntake, public ILinkObserver {
 public:
  // notice: who watches, who was dropped and why (on this object's thread).
  CSpectatorHost(const NetGreeting& greeting, std::function<void(const std::string& line)> notice = {});
  ~CSpectatorHost() override;
  CSpectatorHost(const CSpectatorHost&) = delete;
  CSpectatorHost& operator=(const CSpectatorHost&) = delete;

  // The game is set: the watchers waiting get it, and so do those that come
  // before the first frame.
  void Begin(const NetGameOffer& game, const std::string& playerNickName);
  // Ends every watcher's stream saying why, after what is queued (at most a
  // couple of seconds), and takes no more watchers.
  void Finish(WatchEnd why);
  // Watchers that have been sent the game and still watch.
  size_t Watching() const;
  // Watchers may come after the first frame (see above).
  void TakeLateWatchers();
  // Whether a late watcher waits for the game under way (cheap: asked each frame).
  bool LateWatcherWaiting() const { return lateWaiting_; }
  // The game under way at a frame boundary (EncodeWatchJoin's bytes) for every
  // late watcher waiting, which watches on from there; taken: for the notice.
  void OfferGameUnderWay(int64_t frame, std::vector<uint8_t> message, const std::string& taken);
  // No game under way can be sent: waiting watchers and later ones are refused saying why.
  void RefuseLateWatchers(const std::string& reason);

  // IWatcherIntake
  Answer Recognise(std::span<const uint8_t> received) const override;
  void TakeConnection(int socket, const std::string& name, std::span<const uint8_t> received) override;
  void TakeListener(int listener) override;
  // ILinkObserver
  void FrameInput(int64_t frame, uint32_t input) override;
  void StateHash(int64_t frame, uint64_t hash) override;
  void LinkClosed(const std::string& reason) override;

 private:
  struct Watcher;
  void Serve();
  void Wake();
  void Accept();
  void Receive(Watcher& watcher);
  void Advance(Watcher& watcher);
  static size_t Wanted(const Watcher& watcher);
  void AfterGreeting(Watcher& watcher);
  void SendGame(Watcher& watcher);
  void SendGameUnderWay(Watcher& watcher);
  void Refuse(Watcher& watcher, const std::string& reason);
  void Flush(Watcher& watcher);
  void Publish(const WatchPacket& packet);
  void EndStream(Watcher& watcher, WatchEnd why);
  void Drop(Watcher& watcher, const std::string& why);
  void Tell(const std::string& line);

  const std::array<uint8_t, kGreetingBytes> hello_;
  const GameIdentity game_;
  std::function<void(const std::string&)> notice_;
  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<Watcher>> watchers_;
  int listener_ = -1;
  int wake_ = -1;  // an event the thread polls beside the sockets
  std::vector<std::string> notices_;  // told on the thread, outside the lock
  std::vector<uint8_t> gameMessage_;  // the offer and the player's name, once set
  bool begun_ = false;     // the first frame has gone
  bool finished_ = false;
  std::string lateRefusal_ = "the game has begun; watchers join before its first frame";  // empty: they join
  std::atomic<bool> lateWaiting_{false};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace qgu::host
