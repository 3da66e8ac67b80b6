#pragma once
// CNetplayLink: controller input between two programs in lockstep over a
// stream socket. Each step both sides send an 8-byte packet (bytes 0-3 the
// frame input; bytes 4-7 zero, or a tag and 24 bits of the machine's state
// hash) and both use the pair of packets sent latency + 1 packets earlier, so
// both machines see the same input at the same frame. A step covers step
// length + 1 frames. When both packets of a step carry a state hash the two
// are compared; both sides find a mismatch at the same frame. With resync
// hooks (SetResyncHooks) the host then sends its machine's snapshot (an
// announcement packet, tag 'S', frame and size, then the snapshot's bytes,
// beside the packets in the stream) and both sides go on from it at that
// frame; without them the mismatch ends the link, naming the frame. A peer
// that sends zeros in bytes 4-7 is never compared. The other side's bytes
// are untrusted: a malformed packet or more bytes than the ring holds ends
// the link with a clear reason; a wait of 10 s for the other side ends it
// too. The program then goes on without the other side.
//
// Before the packets come the greetings (host/netplay_greeting.h): the host
// sends its own first, the joining side answers with its own; each checks
// that the other plays the same game. A connection that does not greet
// properly within 10 s is dropped and the host goes on listening. The host
// then settles the link's delay (LinkTerms: chosen from the round trip it
// measured over the greetings, or fixed by its user) and the joining side
// adopts it.
//
// How the window (or qgu2 --headless) uses it: prepare the game, then
// Host(endpoint, greeting) or Join(host, port, game) (the host's
// play-calling seed comes along: both sides play with SharedSeed()), then
// hand it to the emulator thread (EmulatorDevices::link) and start the game
// driver before the emulator thread, so both drivers act at the same frames;
// OfferStateHash after the frames both sides hash. The host plays pad 1, the
// joining side pad 2, each with its own controller 1.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/frame_clock.h"
#include "host/netplay_greeting.h"
#include "host/netplay_watchers.h"
#include "host/rollback_link.h"
#include "host/runtime_devices.h"
#include "league/result.h"

namespace qgu::host {

inline constexpr size_t kNetPacketBytes = 8;
inline constexpr size_t kNetRingBytes = 256;
inline constexpr int kNetTimeoutMs = 10000;
inline constexpr uint8_t kStateHashTag = 'H';  // packet byte 4 when bytes 5-7 carry a state hash
// Packet byte 4 of an announcement: bytes 0-3 the frame both sides go on from
// (low 32 bits), bytes 5-7 the size of the host's snapshot that follows.
inline constexpr uint8_t kSnapshotTag = 'S';
inline constexpr size_t kMaxResyncBytes = 128 * 1024;  // more than any machine's snapshot

// The host's game as the other side sent it for a resync.
struct ResyncSnapshot {
  uint32_t frame = 0;
  std::vector<uint8_t> bytes;
};

// The received bytes not yet used, as a ring; Append refuses what the ring
// cannot hold and packets whose reserved bytes are not zero. An announced
// snapshot's bytes go beside the ring, bounded by kMaxResyncBytes.
class CNetReceiveRing {
 public:
  void Clear();
  // Only the host sends its game.
  void AcceptSnapshots(bool accept) { acceptsSnapshots_ = accept; }
  // Takes bytes from the other side; false with the reason on a violation.
  bool Append(std::span<const uint8_t> bytes, std::string& reason);
  size_t Buffered() const { return count_; }
  size_t FreeSpace() const { return kNetRingBytes - count_; }
  // The packet at the read position (8 bytes must be buffered).
  std::array<uint8_t, kNetPacketBytes> Front() const;
  void Pop();
  // Bytes of an announced snapshot still to come.
  size_t SnapshotBytesDue() const { return snapshotDue_; }
  // The frame of a whole snapshot that came and was not yet taken.
  std::optional<uint32_t> SnapshotFrame() const;
  std::optional<ResyncSnapshot> TakeSnapshot();

 private:
  bool TakeAnnouncement(std::string& reason);

  std::array<uint8_t, kNetRingBytes> bytes_{};
  size_t read_ = 0;
  size_t count_ = 0;
  size_t checked_ = 0;  // bytes of the current packet already checked
  uint8_t tag_ = 0;      // byte 4 of the current packet
  bool acceptsSnapshots_ = false;
  ResyncSnapshot snapshot_;
  size_t snapshotDue_ = 0;
  bool snapshotReady_ = false;
};

// What a resync needs of the machine; called on the exchanging thread between frames.
struct ResyncHooks {
  // The machine's snapshot (the host's game to send).
  std::function<league::Result<std::vector<uint8_t>>()> take;
  // The machine goes on from these bytes; refused bytes leave it as it was.
  std::function<league::Status(std::span<const uint8_t>)> load;
  // After each resync: the frame both sides went on from, and a line for the user.
  std::function<void(int64_t frame, const std::string& text)> happened;
};

// Where the host listens: an empty address is every interface.
struct NetEndpoint {
  std::string address;
  uint16_t port = 0;
};

struct HostOptions {
  int timeoutMs = -1;               // for anybody to join; -1: until stopped
  std::function<bool()> stopped;    // polled about ten times a second
  std::function<void(const std::string& line)> notice;  // connections dropped meanwhile
  // Connections that answer as watchers go here, and so does the listening
  // socket once a side has joined (host/netplay_spectator.h).
  IWatcherIntake* watchers = nullptr;
  int delayFrames = kAutomaticDelay;  // the input delay; automatic: from the round trip
};

class CNetplayLink final : public IFrameInputLink {
 public:
  explicit CNetplayLink(IFrameClock& clock);
  CNetplayLink();  // on the steady clock
  ~CNetplayLink() override;
  CNetplayLink(const CNetplayLink&) = delete;
  CNetplayLink& operator=(const CNetplayLink&) = delete;

  // The socket layer (nothing to start on this platform): enables the link.
  bool Start();
  void Release();

  // Listens until a side that plays the same game has greeted (connections
  // that do not greet properly are dropped, and listening goes on), the time
  // is out or options.stopped says so. A side playing another game ends it.
  league::Status Host(const NetEndpoint& endpoint, const NetGreeting& greeting, const HostOptions& options = {});
  // Connects (retrying until timeoutMs while the host is not yet listening),
  // reads the host's greeting, answers with this side's game; fails saying
  // what differs when the games differ.
  // Without a game of its own this side takes the host's. stopped, polled
  // between tries, ends the wait for a host that is not yet listening.
  league::Status Join(const std::string& host, uint16_t port, const std::optional<GameIdentity>& game,
                      int timeoutMs = 60000, const std::function<bool()>& stopped = {});
  // Before Join: refuse a host of the other mode (without it the host's is taken).
  void RequireMode(std::optional<NetMode> mode) { requiredMode_ = mode; }
  // After Host: the game the host chose, and the joining side's nickname back.
  league::Status SendOffer(const NetGameOffer& offer);
  league::Result<std::string> ReceiveNickName();
  // After Join: the host's game (its records checked against its greeting), then this side's nickname.
  league::Result<NetGameOffer> ReceiveOffer();
  league::Status SendNickName(const std::string& nickName);
  // Takes an already connected socket (tests use a socket pair).
  void Adopt(int socket, bool isHost, const NetGreeting& greeting);

  bool IsHost() const { return isHost_; }
  const NetGreeting& Greeting() const { return greeting_; }
  uint32_t SharedSeed() const { return greeting_.seed; }

  // The machine's state after a frame both sides hash at; it goes out with
  // the next packet and is compared with the other side's.
  void OfferStateHash(int64_t frame, uint64_t hash) override;
  // Before the first frame: with hooks a mismatch of the state hashes is mended, not the end.
  void SetResyncHooks(ResyncHooks hooks) { resync_ = std::move(hooks); }
  int64_t Resyncs() const { return resyncs_; }
  // Ends the link for a reason of this side's own.
  void Close(const std::string& reason) override { Fail(reason); }
  // Told each frame's input both sides use, the state hashes and the close (watchers).
  void SetObserver(ILinkObserver* observer) { observer_ = observer; }
  ILinkObserver* Observer() const { return observer_; }
  // Frames exchanged so far.
  int64_t Frames() const { return frames_; }

  // The described operations.
  void Disconnect() override;
  int PollReceive();
  int BufferedBytes() const;
  int LeadStatus() const;
  int Synchronise();
  int Exchange(const std::array<uint8_t, 8>& local, std::array<uint8_t, 8>& delayedLocal,
               std::array<uint8_t, 8>& remote);

  // IFrameInputLink: synchronises before the first frame.
  bool Connected() const override { return connected_; }
  std::optional<uint32_t> ExchangeFrameInput(uint32_t local) override;
  std::string CloseReason() const override { return closeReason_; }
  std::string StatusText(bool waiting) const override;
  void SetWaitingHandler(std::function<void()> handler) override { waitingHandler_ = std::move(handler); }
  void Interrupt() override;
  // The other side's nickname, for the read-out.
  void SetPeerName(std::string name) { peerName_ = std::move(name); }
  // Measured during the greetings; -1 before.
  int RoundTripMs() const { return roundTripMs_; }
  // As the host settled them (Host, Join); for a link adopted as it is, its greeting's.
  const LinkTerms& Terms() const { return terms_; }
  // A rollback game's messages (after Host or Join agreed on rollback); null in lockstep.
  CRollbackLink* Rollback() override { return rollback_.get(); }
  int DataSocket() const { return socket_; }

 private:
  bool SendPacket(std::array<uint8_t, 8> packet);
  bool HashesAgree(const std::array<uint8_t, 8>& mine, const std::array<uint8_t, 8>& theirs) const;
  bool WaitForBytes(size_t bytes);
  // Polls until ready() or the other side is silent for 10 s (then silence is the reason).
  bool WaitFor(const std::function<bool()>& ready, const std::string& silence);
  bool Resync(int64_t hashedFrame);
  bool SendSnapshot(int64_t frame, std::span<const uint8_t> bytes);
  void Fail(const std::string& reason);

  std::unique_ptr<IFrameClock> ownClock_;
  IFrameClock& clock_;
  bool enabled_ = false;
  std::atomic<bool> connected_{false};
  bool synchronised_ = false;
  bool isHost_ = false;
  std::atomic<int> socket_{-1};
  NetGreeting greeting_;
  std::string closeReason_;

  int stepCounter_ = 0;
  int64_t frames_ = 0;
  std::string peerName_ = "the other side";
  int roundTripMs_ = -1;
  LinkTerms terms_;
  std::function<void()> waitingHandler_;
  ILinkObserver* observer_ = nullptr;
  bool peerGone_ = false;  // sending found the other side gone
  std::optional<std::pair<int64_t, uint32_t>> pendingHash_;  // frame, 24 bits
  ResyncHooks resync_;
  std::atomic<int64_t> resyncs_{0};
  int64_t lastResyncAt_ = -1;  // hashes taken before it are not compared
  std::array<int64_t, kNetRingBytes / kNetPacketBytes> sentHashFrame_{};
  std::optional<NetMode> requiredMode_;
  std::unique_ptr<CRollbackLink> rollback_;
  std::array<uint8_t, kNetRingBytes> sendRing_{};
  size_t sendRead_ = 0;
  size_t sendWrite_ = 0;
  CNetReceiveRing received_;
};

// The frame input both programs use: pads 1 and 3 from the host's, pads 2
// and 4 from the joining side's pads 1 and 3.
uint32_t CombineFrameInput(uint32_t hostInput, uint32_t joinerInput);

}  // namespace qgu::host
