#pragma once
// CWatchLink: the watcher's side of a hosted linked game
// (host/netplay_spectator.h). Watch meets the host as a watcher and waits
// until the game begins; it brings the host's greeting (the game and the
// seed), the two team records and both players' nicknames. Handed to the
// emulator thread as its link, it gives each frame the input both players
// used at that frame, so a machine started from the same prepared game with
// the same seed (and its game driver started before the first frame) plays
// the same game. A watcher that came after the first frame brings the game
// under way as well (WatchedGame::joined): its machine and driver go on from
// the host's at that frame, and the frames are numbered on from there. The watcher's own controllers count for nothing, and
// nothing is sent to the host after the nickname. The host's state hashes
// are compared with this side's (OfferStateHash): a difference ends the
// watch, naming the frame. The host's stream is untrusted: a malformed or
// misnumbered packet ends the watch with a reason, so does a host silent
// for kWatchSilenceMs.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/frame_clock.h"
#include "host/netplay_greeting.h"
#include "host/netplay_watch_join.h"
#include "host/netplay_watch_wire.h"
#include "host/runtime_devices.h"
#include "league/result.h"

namespace qgu::host {

inline constexpr int kWatchSilenceMs = 15000;  // longer than the players' own 10 s, so they give up first
// A late watcher waits this long for the game under way (the host's boot included).
inline constexpr int kWatchJoinWaitMs = 60000;

struct WatchedGame {
  NetGreeting greeting;  // the host's: its game and seed
  NetGameOffer game;     // the two team records and the host's nickname
  std::string playerNickName;
  std::optional<WatchJoin> joined;  // a game under way: go on from it
};

class CWatchLink final : public IFrameInputLink {
 public:
  explicit CWatchLink(IFrameClock& clock);
  CWatchLink();  // on the steady clock
  ~CWatchLink() override;
  CWatchLink(const CWatchLink&) = delete;
  CWatchLink& operator=(const CWatchLink&) = delete;

  // Connects (retrying until connectTimeoutMs while the host is not yet
  // listening), greets as a watcher and waits for the game as long as
  // cancelled allows.
  league::Result<WatchedGame> Watch(const std::string& host, uint16_t port, const std::string& nickName,
                                    const std::function<bool()>& cancelled = {}, int connectTimeoutMs = 60000);
  // The same over a connected socket that has not yet read the host's greeting.
  league::Result<WatchedGame> WatchOn(int socket, const std::string& nickName, const std::function<bool()>& cancelled = {});

  bool Connected() const override { return connected_; }
  std::optional<uint32_t> ExchangeFrameInput(uint32_t local) override;
  std::string CloseReason() const override { return closeReason_; }
  void Disconnect() override;
  std::string StatusText(bool waiting) const override;
  void SetWaitingHandler(std::function<void()> handler) override { waitingHandler_ = std::move(handler); }
  void Interrupt() override;
  void OfferStateHash(int64_t frame, uint64_t hash) override;
  void Close(const std::string& reason) override { Fail(reason); }
  int64_t Frames() const { return frames_; }

 private:
  // The first packet: the first frame's (kept for ExchangeFrameInput) or the game under way.
  league::Status ReadFirstPacket(int socket, WatchedGame& watched, const std::function<bool()>& cancelled);
  bool NextPacket(WatchPacket& packet);
  bool CompareStateHash(const WatchPacket& theirs);
  void Fail(const std::string& reason);

  std::unique_ptr<IFrameClock> ownClock_;
  IFrameClock& clock_;
  std::atomic<int> socket_{-1};
  std::atomic<bool> connected_{false};
  std::string closeReason_;
  std::string hostName_ = "the host";
  std::string playerName_ = "the other player";
  std::function<void()> waitingHandler_;
  int64_t frames_ = 0;
  std::optional<std::pair<int64_t, uint32_t>> ownHash_;  // frame, folded hash
  std::array<uint8_t, 4096> in_{};
  size_t inStart_ = 0;
  size_t inEnd_ = 0;
};

}  // namespace qgu::host
