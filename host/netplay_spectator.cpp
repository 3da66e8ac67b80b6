#include "host/netplay_spectator.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "host/net_socket.h"

namespace qgu::host {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kGreetingTimeoutMs = 10000;
constexpr int kEndingMs = 2000;
constexpr int kIdlePollMs = 100;
constexpr size_t kMaxConnections = kMaxWatchers + 4;  // watchers and connections still greeting
constexpr size_t kCompactAfterBytes = 64 * 1024;

bool Transient(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

int64_t MillisecondsSince(Clock::time_point then) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - then).count();
}

}  // namespace

struct CSpectatorHost::Watcher {
  // kJoining: sent the game, waiting for the game under way.
  enum class Stage { kAnswering, kNaming, kWaiting, kJoining, kWatching, kEnding, kGone };
  int socket = -1;
  std::string address;
  std::string nick;
  Stage stage = Stage::kAnswering;
  std::vector<uint8_t> received;  // the answer, then the nickname
  Clock::time_point since = Clock::now();
  std::vector<uint8_t> out;  // queued: the game message up to headEnd, then packets
  size_t sent = 0;
  size_t headEnd = 0;
  Clock::time_point lastProgress = Clock::now();

  std::string Label() const { return nick.empty() ? "the connection from " + address : "the watcher " + nick; }
  bool Pending() const { return sent < out.size(); }
  size_t QueuedPackets() const { return (out.size() - std::max(sent, headEnd)) / kWatchPacketBytes; }
};

CSpectatorHost::CSpectatorHost(const NetGreeting& greeting, std::function<void(const std::string&)> notice)
    : hello_(EncodeGreeting(greeting)), game_(greeting.game), notice_(std::move(notice)) {
  wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  thread_ = std::thread([this] { Serve(); });
}

CSpectatorHost::~CSpectatorHost() {
  Finish(WatchEnd::kHostEnded);
  const auto started = Clock::now();
  while (MillisecondsSince(started) < kEndingMs + 500) {
    {
      std::lock_guard lock(mutex_);
      if (watchers_.empty()) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  stopping_ = true;
  Wake();
  thread_.join();
  for (auto& watcher : watchers_) CloseStream(watcher->socket);
  CloseStream(listener_);
  if (wake_ >= 0) ::close(wake_);
}

void CSpectatorHost::Wake() {
  const uint64_t one = 1;
  if (wake_ < 0) return;
  [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
}

void CSpectatorHost::Tell(const std::string& line) { notices_.push_back(line); }

IWatcherIntake::Answer CSpectatorHost::Recognise(std::span<const uint8_t> received) const {
  if (IsWatcherAnswer(received)) return Answer::kYes;
  return MayBeWatcherAnswer(received) ? Answer::kUndecided : Answer::kNo;
}

void CSpectatorHost::TakeConnection(int socket, const std::string& name, std::span<const uint8_t> received) {
  std::lock_guard lock(mutex_);
  auto watcher = std::make_unique<Watcher>();
  watcher->socket = socket;
  watcher->address = name;
  watcher->received.assign(received.begin(), received.end());
  SetNonBlocking(socket);
  const size_t open = static_cast<size_t>(std::count_if(watchers_.begin(), watchers_.end(), [](const auto& w) {
    return w->stage != Watcher::Stage::kGone;
  }));
  Watcher& taken = *watchers_.emplace_back(std::move(watcher));
  if (finished_) {
    taken.stage = Watcher::Stage::kGone;
  } else if (open >= kMaxConnections) {
    Drop(taken, "too many watchers and connections");
  } else {
    Advance(taken);
  }
  Wake();
}

void CSpectatorHost::TakeListener(int listener) {
  std::lock_guard lock(mutex_);
  if (finished_) {
    ::close(listener);
    return;
  }
  listener_ = listener;
  Wake();
}

void CSpectatorHost::Begin(const NetGameOffer& game, const std::string& playerNickName) {
  std::lock_guard lock(mutex_);
  auto offer = EncodeOffer(game);
  if (!offer) {
    Tell("watchers cannot be sent the game: " + offer.error());
    finished_ = true;
    for (auto& watcher : watchers_) {
      if (watcher->stage == Watcher::Stage::kWaiting) Refuse(*watcher, "the host cannot send its teams: " + offer.error());
    }
    Wake();
    return;
  }
  gameMessage_ = std::move(offer).value();
  const auto name = EncodeNickName(playerNickName);
  gameMessage_.insert(gameMessage_.end(), name.begin(), name.end());
  for (auto& watcher : watchers_) {
    if (watcher->stage == Watcher::Stage::kWaiting) SendGame(*watcher);
  }
  Wake();
}

void CSpectatorHost::Finish(WatchEnd why) {
  std::lock_guard lock(mutex_);
  if (finished_) return;
  finished_ = true;
  CloseStream(listener_);
  for (auto& watcher : watchers_) {
    switch (watcher->stage) {
      case Watcher::Stage::kJoining:
      case Watcher::Stage::kWatching: EndStream(*watcher, why); break;
      case Watcher::Stage::kWaiting: Refuse(*watcher, "the host stopped before the game began"); break;
      case Watcher::Stage::kAnswering:
      case Watcher::Stage::kNaming: watcher->stage = Watcher::Stage::kGone; break;
      default: break;
    }
  }
  Wake();
}

size_t CSpectatorHost::Watching() const {
  std::lock_guard lock(mutex_);
  return static_cast<size_t>(std::count_if(watchers_.begin(), watchers_.end(), [](const auto& watcher) {
    return watcher->stage == Watcher::Stage::kWatching;
  }));
}

void CSpectatorHost::TakeLateWatchers() {
  std::lock_guard lock(mutex_);
  if (!finished_) lateRefusal_.clear();
}

void CSpectatorHost::OfferGameUnderWay(int64_t frame, std::vector<uint8_t> message, const std::string& taken) {
  std::lock_guard lock(mutex_);
  lateWaiting_ = false;
  for (auto& watcher : watchers_) {
    if (watcher->stage != Watcher::Stage::kJoining) continue;
    // The game under way belongs to the head: the packets after it are the ones counted.
    watcher->out.insert(watcher->out.end(), message.begin(), message.end());
    watcher->headEnd = watcher->out.size();
    watcher->stage = Watcher::Stage::kWatching;
    watcher->lastProgress = Clock::now();
    Tell(watcher->nick + " (" + watcher->address + ") watches the game from frame " + std::to_string(frame) + " (" +
         taken + ")");
  }
  Wake();
}

void CSpectatorHost::RefuseLateWatchers(const std::string& reason) {
  std::lock_guard lock(mutex_);
  lateRefusal_ = reason;
  lateWaiting_ = false;
  for (auto& watcher : watchers_) {
    if (watcher->stage != Watcher::Stage::kJoining) continue;
    // In place of the game under way, after the game.
    Tell("refused " + watcher->Label() + ": " + reason);
    const auto refusal = EncodeWatchRefusal(reason);
    watcher->out.insert(watcher->out.end(), refusal.begin(), refusal.end());
    watcher->headEnd = watcher->out.size();
    watcher->stage = Watcher::Stage::kEnding;
    watcher->since = Clock::now();
  }
  Wake();
}

void CSpectatorHost::FrameInput(int64_t frame, uint32_t input) {
  std::lock_guard lock(mutex_);
  begun_ = true;
  Publish({WatchPacketKind::kInput, static_cast<uint32_t>(frame) & kWatchFrameMask, input});
}

void CSpectatorHost::StateHash(int64_t frame, uint64_t hash) {
  std::lock_guard lock(mutex_);
  Publish({WatchPacketKind::kStateHash, static_cast<uint32_t>(frame) & kWatchFrameMask, FoldStateHash(hash)});
}

void CSpectatorHost::LinkClosed(const std::string&) { Finish(WatchEnd::kPlayersParted); }

void CSpectatorHost::Publish(const WatchPacket& packet) {
  const auto bytes = EncodeWatchPacket(packet);
  bool wake = false;
  for (auto& watcher : watchers_) {
    if (watcher->stage != Watcher::Stage::kWatching) continue;
    if (watcher->QueuedPackets() >= kMaxWatchLagPackets) {
      Tell("dropped " + watcher->Label() + ": it fell " + std::to_string(kMaxWatchLagPackets) + " frames behind");
      EndStream(*watcher, WatchEnd::kFellBehind);
      wake = true;
      continue;
    }
    if (!watcher->Pending()) {
      watcher->lastProgress = Clock::now();
      wake = true;
    }
    watcher->out.insert(watcher->out.end(), bytes.begin(), bytes.end());
  }
  if (wake) Wake();
}

void CSpectatorHost::EndStream(Watcher& watcher, WatchEnd why) {
  // Behind: what is queued is dropped, but a packet partly sent is finished so the end is read as one.
  if (why == WatchEnd::kFellBehind) {
    size_t kept = watcher.headEnd;
    if (watcher.sent > watcher.headEnd) {
      const size_t into = (watcher.sent - watcher.headEnd) % kWatchPacketBytes;
      kept = watcher.sent + (into == 0 ? 0 : kWatchPacketBytes - into);
    }
    watcher.out.resize(std::min(watcher.out.size(), kept));
  }
  const auto end = EncodeWatchPacket({WatchPacketKind::kEnd, 0, static_cast<uint32_t>(why)});
  watcher.out.insert(watcher.out.end(), end.begin(), end.end());
  watcher.stage = Watcher::Stage::kEnding;
  watcher.since = Clock::now();
}

void CSpectatorHost::Drop(Watcher& watcher, const std::string& why) {
  Tell("dropped " + watcher.Label() + ": " + why);
  watcher.stage = Watcher::Stage::kGone;
}

void CSpectatorHost::Refuse(Watcher& watcher, const std::string& reason) {
  Tell("refused " + watcher.Label() + ": " + reason);
  watcher.out = EncodeWatchRefusal(reason);
  watcher.sent = 0;
  watcher.headEnd = watcher.out.size();
  watcher.stage = Watcher::Stage::kEnding;
  watcher.since = Clock::now();
}

void CSpectatorHost::SendGame(Watcher& watcher) {
  watcher.out = gameMessage_;
  watcher.sent = 0;
  watcher.headEnd = watcher.out.size();
  watcher.stage = Watcher::Stage::kWatching;
  watcher.lastProgress = Clock::now();
  Tell(watcher.nick + " (" + watcher.address + ") watches the game");
}

void CSpectatorHost::SendGameUnderWay(Watcher& watcher) {
  watcher.out = gameMessage_;
  watcher.sent = 0;
  watcher.headEnd = watcher.out.size();
  watcher.stage = Watcher::Stage::kJoining;
  lateWaiting_ = true;
  Tell(watcher.nick + " (" + watcher.address + ") joins the game under way");
}

void CSpectatorHost::AfterGreeting(Watcher& watcher) {
  const size_t others = static_cast<size_t>(std::count_if(watchers_.begin(), watchers_.end(), [&](const auto& w) {
    return w.get() != &watcher && (w->stage == Watcher::Stage::kWaiting || w->stage == Watcher::Stage::kJoining ||
                                   w->stage == Watcher::Stage::kWatching);
  }));
  if (others >= kMaxWatchers) {
    Refuse(watcher, "the game has " + std::to_string(kMaxWatchers) + " watchers already");
  } else if (begun_ && !lateRefusal_.empty()) {
    Refuse(watcher, lateRefusal_);
  } else if (begun_) {
    SendGameUnderWay(watcher);
  } else if (!gameMessage_.empty()) {
    SendGame(watcher);
  } else {
    watcher.stage = Watcher::Stage::kWaiting;
    Tell(watcher.nick + " (" + watcher.address + ") waits to watch the game");
  }
}

// The answer and the nickname as far as they have come.
void CSpectatorHost::Advance(Watcher& watcher) {
  const std::span received(watcher.received);
  if (watcher.stage == Watcher::Stage::kAnswering) {
    if (!MayBeWatcherAnswer(received)) {
      const bool player = JudgeGreeting(received, game_).kind != GreetingVerdict::Kind::kRefused;
      Drop(watcher, player ? "the game has both its players already" : "it is not a Quozi Gridcrown watcher");
      return;
    }
    if (received.size() < kWatcherAnswerBytes) return;
    if (const std::string wrong = CheckWatcherAnswer(received.first(kWatcherAnswerBytes)); !wrong.empty()) {
      Drop(watcher, wrong);
      return;
    }
    watcher.stage = Watcher::Stage::kNaming;
  }
  if (watcher.stage != Watcher::Stage::kNaming || received.size() < kWatcherAnswerBytes + kNickHeaderBytes) return;
  const auto length = NickNameBytes(received.subspan(kWatcherAnswerBytes, kNickHeaderBytes));
  if (!length) {
    Drop(watcher, "it did not say its name");
    return;
  }
  const size_t whole = kWatcherAnswerBytes + kNickHeaderBytes + length.value();
  if (received.size() < whole) return;
  if (received.size() > whole) {
    Drop(watcher, "it sent bytes after its greeting (a watcher sends nothing)");
    return;
  }
  watcher.nick = DecodeNickName(received.subspan(kWatcherAnswerBytes + kNickHeaderBytes));
  AfterGreeting(watcher);
}

size_t CSpectatorHost::Wanted(const Watcher& watcher) {
  if (watcher.received.size() < kWatcherAnswerBytes) return kWatcherAnswerBytes - watcher.received.size();
  const size_t header = kWatcherAnswerBytes + kNickHeaderBytes;
  if (watcher.received.size() < header) return header - watcher.received.size();
  const auto length = NickNameBytes(std::span(watcher.received).subspan(kWatcherAnswerBytes, kNickHeaderBytes));
  return length ? header + length.value() - watcher.received.size() : 0;
}

void CSpectatorHost::Receive(Watcher& watcher) {
  std::array<uint8_t, 64> chunk{};
  const bool greeting = watcher.stage == Watcher::Stage::kAnswering || watcher.stage == Watcher::Stage::kNaming;
  // Greeting: no more than the greeting still owes; later any byte at all is wrong.
  const size_t wanted = greeting ? std::clamp<size_t>(Wanted(watcher), 1, chunk.size()) : chunk.size();
  const ssize_t got = ::recv(watcher.socket, chunk.data(), wanted, MSG_DONTWAIT);
  if (got < 0 && Transient(errno)) return;
  if (got <= 0) {
    const bool left = got == 0 || errno == ECONNRESET;
    if (watcher.stage == Watcher::Stage::kEnding || (left && !greeting)) {
      if (watcher.stage != Watcher::Stage::kEnding) Tell(watcher.nick + " stopped watching");
      watcher.stage = Watcher::Stage::kGone;
      return;
    }
    Drop(watcher, left ? std::string("it left without a greeting") : std::string("receiving failed: ") + std::strerror(errno));
    return;
  }
  if (!greeting) {
    Drop(watcher, "it sent bytes after its greeting (a watcher sends nothing)");
    return;
  }
  watcher.received.insert(watcher.received.end(), chunk.begin(), chunk.begin() + got);
  Advance(watcher);
}

void CSpectatorHost::Flush(Watcher& watcher) {
  while (watcher.Pending()) {
    const ssize_t sent = ::send(watcher.socket, watcher.out.data() + watcher.sent, watcher.out.size() - watcher.sent,
                                MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent < 0) {
      if (Transient(errno)) return;
      if (watcher.stage == Watcher::Stage::kEnding) {
        watcher.stage = Watcher::Stage::kGone;
      } else {
        Tell(watcher.nick + " stopped watching");
        watcher.stage = Watcher::Stage::kGone;
      }
      return;
    }
    watcher.sent += static_cast<size_t>(sent);
    watcher.lastProgress = Clock::now();
  }
  if (watcher.Pending()) {
    // Consistently behind a little: the packets that have gone are let go now and then.
    if (watcher.sent >= watcher.headEnd + kCompactAfterBytes) {
      const size_t gone = watcher.headEnd + (watcher.sent - watcher.headEnd) / kWatchPacketBytes * kWatchPacketBytes;
      watcher.out.erase(watcher.out.begin(), watcher.out.begin() + static_cast<std::ptrdiff_t>(gone));
      watcher.sent -= gone;
      watcher.headEnd = 0;
    }
    return;
  }
  if (watcher.stage == Watcher::Stage::kEnding) {
    watcher.stage = Watcher::Stage::kGone;
    return;
  }
  // All sent: the queue starts afresh (the game message is behind it).
  watcher.out.clear();
  watcher.sent = watcher.headEnd = 0;
}

void CSpectatorHost::Accept() {
  const int data = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (data < 0) return;
  const std::string address = PeerAddress(data);
  const size_t open = static_cast<size_t>(std::count_if(watchers_.begin(), watchers_.end(), [](const auto& w) {
    return w->stage != Watcher::Stage::kGone;
  }));
  if (open >= kMaxConnections) {
    Tell("dropped the connection from " + address + ": too many watchers and connections");
    ::close(data);
    return;
  }
  if (::send(data, hello_.data(), hello_.size(), MSG_DONTWAIT | MSG_NOSIGNAL) != static_cast<ssize_t>(hello_.size())) {
    ::close(data);
    return;
  }
  auto watcher = std::make_unique<Watcher>();
  watcher->socket = data;
  watcher->address = address;
  SetNonBlocking(data);
  watchers_.push_back(std::move(watcher));
}

void CSpectatorHost::Serve() {
  std::vector<pollfd> waiting;
  std::vector<Watcher*> polled;
  while (!stopping_) {
    waiting.assign({{wake_, POLLIN, 0}});
    polled.clear();
    bool listening = false;
    {
      std::lock_guard lock(mutex_);
      if (listener_ >= 0) {
        waiting.push_back({listener_, POLLIN, 0});
        listening = true;
      }
      for (auto& watcher : watchers_) {
        waiting.push_back({watcher->socket, static_cast<short>(POLLIN | (watcher->Pending() ? POLLOUT : 0)), 0});
        polled.push_back(watcher.get());
      }
    }
    ::poll(waiting.data(), waiting.size(), kIdlePollMs);
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(wake_, &count, sizeof count);

    std::vector<std::string> notices;
    {
      std::lock_guard lock(mutex_);
      const size_t first = listening ? 2 : 1;
      for (size_t i = 0; i < polled.size(); ++i) {
        Watcher& watcher = *polled[i];
        if (watcher.stage == Watcher::Stage::kGone) continue;
        if ((waiting[first + i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) Receive(watcher);
      }
      for (auto& watcher : watchers_) {
        if (watcher->stage == Watcher::Stage::kGone) continue;
        Flush(*watcher);
        const bool greeting = watcher->stage == Watcher::Stage::kAnswering || watcher->stage == Watcher::Stage::kNaming;
        if (greeting && MillisecondsSince(watcher->since) >= kGreetingTimeoutMs) {
          Drop(*watcher, "no greeting within 10 seconds");
        } else if (watcher->stage == Watcher::Stage::kEnding && MillisecondsSince(watcher->since) >= kEndingMs) {
          watcher->stage = Watcher::Stage::kGone;
        } else if (watcher->stage == Watcher::Stage::kWatching && watcher->Pending() &&
                   MillisecondsSince(watcher->lastProgress) >= kWatcherStallMs) {
          Drop(*watcher, "it took nothing for " + std::to_string(kWatcherStallMs / 1000) + " seconds");
        }
      }
      if (listening && listener_ >= 0 && (waiting[1].revents & POLLIN) != 0) Accept();
      for (auto& watcher : watchers_) {
        if (watcher->stage == Watcher::Stage::kGone) CloseStream(watcher->socket);
      }
      std::erase_if(watchers_, [](const auto& watcher) { return watcher->socket < 0; });
      notices.swap(notices_);
    }
    if (notice_) {
      for (const std::string& line : notices) notice_(line);
    }
  }
}

}  // namespace qgu::host
