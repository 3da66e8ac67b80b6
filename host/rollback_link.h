#pragma once
// CRollbackLink: what two programs in a rollback game send each other over
// the link's stream socket once the greetings are done. Each side sends its
// own input for every frame, stamped with the frame it is for, a little ahead
// of that frame; each runs on with a guess of the other side's input and goes
// back when the guess was wrong (host/rollback_session.h).
//
// Every message is 12 bytes:
//   byte 0      kind: 'I' input, 'H' state hash, 'B' goodbye
//   byte 1      'I': how many frames the sender runs ahead of the input it
//               has of this side (signed, at most 64 either way); else 0
//   bytes 2-3   0
//   bytes 4-7   frame, little-endian: 'I' the frame the input is for (1, 2,
//               ... each once, in order); 'H' a frame the sender has played
//               with both sides' input; 'B' the last frame it sent input for
//   bytes 8-11  'I': the sender's pads 1 and 3 (bytes 8 and 10, the others 0);
//               'H': 32 bits of the machine's state hash; 'B': 0
// The other side's bytes are untrusted: an unknown kind, a nonzero reserved
// byte, a frame out of order or further ahead than a side keeping to the
// window can be, or more hashes than it can owe end the link with the reason.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "host/frame_clock.h"

namespace qgu::host {

class CNetplayLink;

inline constexpr size_t kRollbackMessageBytes = 12;
// Frames a side runs on past the last input it has of the other side.
inline constexpr int kRollbackWindow = 8;
// This side's input is used this many frames after it is read.
inline constexpr int kRollbackInputDelay = 1;
// The most the other side may use.
inline constexpr int kMaxRollbackInputDelay = 3;
inline constexpr int kMaxFrameAdvantage = 64;

// What a rollback game did, for the read-out, benchmarks and tests.
struct RollbackCounters {
  int64_t frames = 0;           // frames played linked
  int64_t rollbacks = 0;        // goings-back because the other side's input differed from the guess
  int64_t framesRerun = 0;      // frames run again after them
  int longestRollback = 0;      // frames
  int64_t driverRestores = 0;   // goings-back because the game driver acted at a played frame
  int64_t framesRerunForDriver = 0;
  int64_t waits = 0;            // frames in play that waited for the other side (the window was full)
  int64_t framesHeld = 0;       // frames held back so the other side could catch up
  int inputDelay = kRollbackInputDelay;
};

// "rollback: 10572 frames, input delay 1 frame, 31 rollbacks (88 frames run again, at most 4), ..."
std::string RollbackSummary(const RollbackCounters& counters);

// One message's bytes.
std::array<uint8_t, kRollbackMessageBytes> EncodeRollbackMessage(char kind, int advantage, int64_t frame,
                                                                 uint32_t payload);

class CRollbackLink {
 public:
  // link owns the socket and closes it; this side's failures go through link.Close.
  CRollbackLink(CNetplayLink& link, IFrameClock& clock);

  // This side's input for a frame (frames in order from 1), its pads 1 and 3.
  void SendInput(int64_t frame, uint32_t input, int advantage);
  // Takes what has come without waiting. False once the link has closed:
  // what came before the close has been taken.
  bool Receive();
  // Waits until more of the other side's input has come (calling waiting
  // about four times a second); false when the link closes or the other
  // side has been silent for 10 s.
  bool WaitForInput(const std::function<void()>& waiting);

  // The last frame of the other side's input that has come (0: none yet).
  int64_t RemoteFrames() const { return remoteFrames_; }
  // The other side's input for a frame from shortly before RemoteFrames() on.
  uint32_t RemoteInput(int64_t frame) const;
  int RemoteAdvantage() const { return remoteAdvantage_; }
  int64_t SentFrames() const { return sentFrames_; }
  bool IsHost() const;

  // A frame both sides' input has come for, before it is observed: the
  // input both players use at it (for watchers of the game).
  void FrameConfirmed(int64_t frame, uint32_t bothInputs);
  // After a frame both sides have played: compared with the other side's.
  void OfferStateHash(int64_t frame, uint64_t hash);
  // Before the socket closes: tells the other side and lets its last bytes come.
  void SayGoodbye();

  RollbackCounters Counters() const;
  void SetCounters(const RollbackCounters& counters);

 private:
  static constexpr size_t kKeptInputs = 64;
  static constexpr size_t kKeptHashes = 64;

  void Send(const std::array<uint8_t, kRollbackMessageBytes>& message);
  bool Take(const uint8_t* message);
  bool Malformed(const std::string& reason);
  void Compare();

  CNetplayLink& link_;
  IFrameClock& clock_;
  std::array<uint8_t, kRollbackMessageBytes> partial_{};
  size_t partialBytes_ = 0;
  std::array<uint32_t, kKeptInputs> remote_{};
  int64_t remoteFrames_ = 0;
  int remoteAdvantage_ = 0;
  int64_t sentFrames_ = 0;
  bool peerGone_ = false;   // sending found the other side gone
  bool saidGoodbye_ = false;
  bool heardGoodbye_ = false;
  int64_t lastRemoteHash_ = -1;  // frame 0 is hashed before the first frame
  std::deque<std::pair<int64_t, uint32_t>> ownHashes_;
  std::deque<std::pair<int64_t, uint32_t>> remoteHashes_;
  mutable std::mutex countersMutex_;
  RollbackCounters counters_;
};

}  // namespace qgu::host
