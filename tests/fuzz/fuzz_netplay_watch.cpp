// Watchers' messages, both ways. The first byte's low bit picks the side:
// 0, the watcher's link is fed the bytes as the host's (greeting, offer or
// refusal, the player's name, the game under way or a refusal in place of the
// first packet, then the stream of packets) and either watches frames
// numbered in order or closes with a reason; 1, the host's watcher
// intake is fed them as a watcher's answer and name (and whatever follows)
// while a game is begun and played on, and it never takes more than a
// watcher's greeting. The second byte sets where a well-formed greeting and
// offer go in front of the bytes, so the fuzzer reaches the stream quickly.

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "host/netplay_spectator.h"
#include "host/netplay_watch_link.h"

namespace {

using namespace qgu::host;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

class InstantClock final : public IFrameClock {
 public:
  uint32_t NowMs() override { return now; }
  void SleepMs(int milliseconds) override { now += static_cast<uint32_t>(milliseconds) * 5000; }
  uint32_t now = 0;
};

qgu::league::TeamRecord Team(const char* city) {
  qgu::league::TeamRecord team;
  team.header.city = city;
  team.header.nickname = "FUZZ";
  team.header.abbreviation = "FZ";
  return team;
}

void WatchStream(uint8_t prefix, std::span<const uint8_t> bytes) {
  const auto home = Team("HOME"), away = Team("AWAY");
  const NetGreeting greeting{0, 0, 5, {TeamRecordHash(home), TeamRecordHash(away), 1, 0, 0}};
  std::vector<uint8_t> sent;
  if (prefix & 1) {
    const auto hello = EncodeGreeting(greeting);
    sent.insert(sent.end(), hello.begin(), hello.end());
  }
  if (prefix & 2) {
    const auto offer = EncodeOffer({home, away, "host"}).value();
    const auto name = EncodeNickName("player");
    sent.insert(sent.end(), offer.begin(), offer.end());
    sent.insert(sent.end(), name.begin(), name.end());
  }
  sent.insert(sent.end(), bytes.begin(), bytes.end());
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) return;
  ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
  [[maybe_unused]] const ssize_t written = ::write(ends[1], sent.data(), sent.size());
  ::shutdown(ends[1], SHUT_WR);
  InstantClock clock;
  CWatchLink link(clock);
  const auto watched = link.WatchOn(ends[0], "fuzz");
  if (watched) {
    Check(link.Connected() && watched.value().playerNickName.size() <= kMaxNickNameBytes);
    const auto& joined = watched.value().joined;
    Check(!joined || (joined->frame >= 1 && joined->frame <= kMaxWatchJoinFrame && !joined->machine.empty() &&
                      joined->machine.size() <= kMaxWatchJoinMachineBytes &&
                      joined->playCalling.draws <= kMaxPlayCallingDraws));
    int64_t frames = joined ? joined->frame : 0;
    while (link.ExchangeFrameInput(0)) {
      ++frames;
      Check(link.Frames() == frames);
      if (frames % 3 == 0) link.OfferStateHash(frames, static_cast<uint64_t>(frames));
    }
    Check(!link.Connected() && !link.CloseReason().empty());
  }
  ::close(ends[1]);
}

void TakeWatcher(std::span<const uint8_t> bytes) {
  const NetGreeting greeting{0, 0, 5, {1, 2, 1, 0, 0}};
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) return;
  ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
  [[maybe_unused]] const ssize_t written = ::write(ends[1], bytes.data(), bytes.size());
  {
    CSpectatorHost spectators(greeting);
    // As hosting hands it over: what came with the greeting's read, the rest on the socket.
    const size_t early = bytes.size() % (kWatcherAnswerBytes + 1);
    std::vector<uint8_t> first(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(early, bytes.size())));
    spectators.TakeConnection(ends[0], "fuzz", first);
    spectators.Begin({Team("HOME"), Team("AWAY"), "host"}, "player");
    for (int64_t frame = 1; frame <= 50; ++frame) spectators.FrameInput(frame, static_cast<uint32_t>(frame));
    Check(spectators.Watching() <= 1);
  }
  ::close(ends[1]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::span<const uint8_t> rest(data + 2, size - 2);
  if (data[0] & 1) {
    TakeWatcher(rest);
  } else {
    WatchStream(data[1], rest);
  }
  return 0;
}
