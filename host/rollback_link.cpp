#include "host/rollback_link.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "host/netplay_link.h"

namespace qgu::host {
namespace {

constexpr char kInput = 'I';
constexpr char kHash = 'H';
constexpr char kGoodbye = 'B';
constexpr uint32_t kOwnPads = 0x00FF00FFu;  // pads 1 and 3
constexpr size_t kReceiveMessages = 32;     // read at a time
constexpr uint32_t kWaitingShownMs = 250;
constexpr int kGoodbyeMs = 1000;            // for the other side's last bytes

uint32_t Get32(const uint8_t* at) {
  return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

uint32_t FoldHash(uint64_t hash) { return static_cast<uint32_t>(hash ^ (hash >> 32)); }

}  // namespace

std::array<uint8_t, kRollbackMessageBytes> EncodeRollbackMessage(char kind, int advantage, int64_t frame,
                                                                 uint32_t payload) {
  std::array<uint8_t, kRollbackMessageBytes> message{};
  message[0] = static_cast<uint8_t>(kind);
  message[1] = static_cast<uint8_t>(static_cast<int8_t>(std::clamp(advantage, -kMaxFrameAdvantage, kMaxFrameAdvantage)));
  for (size_t i = 0; i < 4; ++i) {
    message[4 + i] = static_cast<uint8_t>(static_cast<uint64_t>(frame) >> (8 * i));
    message[8 + i] = static_cast<uint8_t>(payload >> (8 * i));
  }
  return message;
}

std::string RollbackSummary(const RollbackCounters& c) {
  return "rollback: " + std::to_string(c.frames) + " frames, input delay " + std::to_string(c.inputDelay) +
         " frame" + (c.inputDelay == 1 ? "" : "s") + ", " + std::to_string(c.rollbacks) + " rollbacks (" +
         std::to_string(c.framesRerun - c.framesRerunForDriver) + " frames run again, at most " +
         std::to_string(c.longestRollback) + "), " + std::to_string(c.driverRestores) + " for the driver (" +
         std::to_string(c.framesRerunForDriver) + " frames), " + std::to_string(c.waits) +
         " frames waited for the other side, " + std::to_string(c.framesHeld) + " held back";
}

CRollbackLink::CRollbackLink(CNetplayLink& link, IFrameClock& clock) : link_(link), clock_(clock) {}

bool CRollbackLink::IsHost() const { return link_.IsHost(); }

void CRollbackLink::SendInput(int64_t frame, uint32_t input, int advantage) {
  sentFrames_ = frame;
  Send(EncodeRollbackMessage(kInput, advantage, frame, input & kOwnPads));
}

// A side that stops reading but stays connected would keep this one waiting
// for ever; a message is sent whole or not at all, so the stream stays framed.
void CRollbackLink::Send(const std::array<uint8_t, kRollbackMessageBytes>& message) {
  const int socket = link_.DataSocket();
  if (peerGone_ || socket < 0) return;
  const uint32_t started = clock_.NowMs();
  size_t done = 0;
  while (done < message.size()) {
    const ssize_t sent = ::send(socket, message.data() + done, message.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent >= 0) {
      done += static_cast<size_t>(sent);
      continue;
    }
    if (errno == EPIPE || errno == ECONNRESET) {
      // What the other side sent before it left is still used; Receive then ends the link.
      peerGone_ = true;
      return;
    }
    if (!WouldBlock(errno)) {
      link_.Close(std::string("sending failed: ") + std::strerror(errno));
      return;
    }
    if (clock_.NowMs() - started >= static_cast<uint32_t>(kNetTimeoutMs)) {
      link_.Close("the other side took nothing for 10 seconds");
      return;
    }
    clock_.SleepMs(1);
  }
}

bool CRollbackLink::Malformed(const std::string& reason) {
  link_.Close(reason);
  return false;
}

bool CRollbackLink::Take(const uint8_t* m) {
  const int64_t frame = Get32(m + 4);
  const uint32_t payload = Get32(m + 8);
  if (m[2] != 0 || m[3] != 0 || heardGoodbye_) return Malformed("the other side sent a malformed message");
  switch (static_cast<char>(m[0])) {
    case kInput: {
      const int advantage = static_cast<int8_t>(m[1]);
      if ((payload & ~kOwnPads) != 0 || advantage < -kMaxFrameAdvantage || advantage > kMaxFrameAdvantage) {
        return Malformed("the other side sent a malformed message");
      }
      if (frame != remoteFrames_ + 1) return Malformed("the other side's input came out of order");
      // It runs at most the window past this side's input, and reads its own a little ahead.
      if (frame > sentFrames_ + kRollbackWindow + kMaxRollbackInputDelay) {
        return Malformed("the other side ran further ahead than the link allows");
      }
      remoteFrames_ = frame;
      remote_[static_cast<size_t>(frame) % kKeptInputs] = payload;
      remoteAdvantage_ = advantage;
      return true;
    }
    case kHash:
      if (m[1] != 0 || frame <= lastRemoteHash_ || frame > remoteFrames_) {
        return Malformed("the other side sent a state hash out of order");
      }
      // A side that hashes no frames (or others) is not compared.
      if (remoteHashes_.size() >= kKeptHashes) remoteHashes_.pop_front();
      lastRemoteHash_ = frame;
      remoteHashes_.emplace_back(frame, payload);
      Compare();
      return link_.Connected();
    case kGoodbye:
      if (m[1] != 0 || payload != 0 || frame != remoteFrames_) return Malformed("the other side sent a malformed message");
      heardGoodbye_ = true;
      return true;
    default:
      return Malformed("the other side sent a malformed message");
  }
}

bool CRollbackLink::Receive() {
  const int socket = link_.DataSocket();
  if (!link_.Connected() || socket < 0) return false;
  std::array<uint8_t, kRollbackMessageBytes * kReceiveMessages> chunk{};
  for (;;) {
    std::copy_n(partial_.begin(), partialBytes_, chunk.begin());
    const ssize_t got = ::recv(socket, chunk.data() + partialBytes_, chunk.size() - partialBytes_, MSG_DONTWAIT);
    if (got < 0 && WouldBlock(errno)) return true;
    if (got <= 0) {
      // Everything that came before has been taken.
      link_.Close(got == 0 || errno == ECONNRESET ? std::string("the other side has left")
                                                  : std::string("receiving failed: ") + std::strerror(errno));
      return false;
    }
    const size_t bytes = partialBytes_ + static_cast<size_t>(got);
    size_t at = 0;
    for (; at + kRollbackMessageBytes <= bytes; at += kRollbackMessageBytes) {
      if (!Take(chunk.data() + at)) return false;
    }
    partialBytes_ = bytes - at;
    std::copy_n(chunk.begin() + static_cast<std::ptrdiff_t>(at), partialBytes_, partial_.begin());
  }
}

bool CRollbackLink::WaitForInput(const std::function<void()>& waiting) {
  const int64_t had = remoteFrames_;
  const uint32_t started = clock_.NowMs();
  uint32_t lastShown = 0;
  for (;;) {
    if (!Receive()) return false;
    if (remoteFrames_ > had) return true;
    if (peerGone_) {
      link_.Close("the other side has left");
      return false;
    }
    const uint32_t waited = clock_.NowMs() - started;
    if (waited >= static_cast<uint32_t>(kNetTimeoutMs)) {
      link_.Close("the other side did not answer for 10 seconds");
      return false;
    }
    if (waiting && waited >= kWaitingShownMs && waited / kWaitingShownMs != lastShown) {
      lastShown = waited / kWaitingShownMs;
      waiting();
    }
    clock_.SleepMs(1);
  }
}

uint32_t CRollbackLink::RemoteInput(int64_t frame) const {
  if (frame <= 0 || frame > remoteFrames_ || remoteFrames_ - frame >= static_cast<int64_t>(kKeptInputs)) return 0;
  return remote_[static_cast<size_t>(frame) % kKeptInputs];
}

void CRollbackLink::FrameConfirmed(int64_t frame, uint32_t bothInputs) {
  if (ILinkObserver* observer = link_.Observer()) observer->FrameInput(frame, bothInputs);
}

void CRollbackLink::OfferStateHash(int64_t frame, uint64_t hash) {
  const uint32_t folded = FoldHash(hash);
  Send(EncodeRollbackMessage(kHash, 0, frame, folded));
  ownHashes_.emplace_back(frame, folded);
  if (ownHashes_.size() > kKeptHashes) ownHashes_.pop_front();
  Compare();
}

// Each hash of the other side's against this side's of the same frame, once both are there.
void CRollbackLink::Compare() {
  while (!remoteHashes_.empty() && !ownHashes_.empty()) {
    const int64_t frame = remoteHashes_.front().first;
    const uint32_t theirs = remoteHashes_.front().second;
    if (frame > ownHashes_.back().first) return;  // this side has not played it yet
    remoteHashes_.pop_front();
    const auto mine = std::find_if(ownHashes_.begin(), ownHashes_.end(), [frame](const auto& own) { return own.first == frame; });
    if (mine != ownHashes_.end() && mine->second != theirs) {
      link_.Close("the two machines' states differ after frame " + std::to_string(frame) + " (a desync)");
      return;
    }
  }
}

void CRollbackLink::SayGoodbye() {
  const int socket = link_.DataSocket();
  if (socket < 0 || saidGoodbye_) return;
  saidGoodbye_ = true;
  if (!peerGone_) {
    const auto message = EncodeRollbackMessage(kGoodbye, 0, sentFrames_, 0);
    ::send(socket, message.data(), message.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  }
  // Closing with the other side's bytes unread would reset the connection
  // and could cost it bytes of this side's it has not read yet.
  ::shutdown(socket, SHUT_WR);
  const uint32_t started = clock_.NowMs();
  std::array<uint8_t, 512> drained{};
  for (;;) {
    pollfd readable{socket, POLLIN, 0};
    if (::poll(&readable, 1, 0) <= 0) {
      if (clock_.NowMs() - started >= static_cast<uint32_t>(kGoodbyeMs)) return;
      clock_.SleepMs(1);
      continue;
    }
    const ssize_t got = ::recv(socket, drained.data(), drained.size(), MSG_DONTWAIT);
    if (got == 0 || (got < 0 && !WouldBlock(errno))) return;
  }
}

RollbackCounters CRollbackLink::Counters() const {
  std::lock_guard lock(countersMutex_);
  return counters_;
}

void CRollbackLink::SetCounters(const RollbackCounters& counters) {
  std::lock_guard lock(countersMutex_);
  counters_ = counters;
}

}  // namespace qgu::host
