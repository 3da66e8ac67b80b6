// Watchers of a hosted game over socket pairs: each sees every frame the
// players use, the state hashes are compared, and the stream ends saying
// why; the host never waits for a watcher, and one that lags, sends bytes,
// greets wrongly or comes after the first frame is dropped or refused.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "host/netplay_spectator.h"
#include "host/netplay_watch_link.h"

namespace qgu::host {
namespace {

std::pair<int, int> SocketPair() {
  int ends[2] = {-1, -1};
  EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
  return {ends[0], ends[1]};
}

struct Game {
  league::TeamRecord home, away;
  NetGreeting greeting;
  Game() {
    home.header.city = "AMBERLEE";
    home.header.nickname = "VOLES";
    home.header.abbreviation = "AMB";
    away.header.city = "ASHCOMBE";
    away.header.nickname = "PIKEMEN";
    away.header.abbreviation = "ASH";
    greeting = {2, 0, 77, {TeamRecordHash(home), TeamRecordHash(away), 1, 2, 0x22}};
  }
};

// What the host's thread said, waited for.
class Notices {
 public:
  std::function<void(const std::string&)> Sink() {
    return [this](const std::string& line) {
      std::lock_guard lock(mutex_);
      lines_.push_back(line);
    };
  }
  bool WaitFor(const std::string& part) {
    for (int i = 0; i < 500; ++i) {
      {
        std::lock_guard lock(mutex_);
        for (const std::string& line : lines_) {
          if (line.find(part) != std::string::npos) return true;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::lock_guard lock(mutex_);
    for (const std::string& line : lines_) ADD_FAILURE() << "  told: " << line;
    return false;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

// A watcher's connection as hosting hands it over: greeted, nothing answered yet.
int GreetedConnection(CSpectatorHost& spectators, const NetGreeting& greeting) {
  const auto [host, watcher] = SocketPair();
  const auto hello = EncodeGreeting(greeting);
  EXPECT_EQ(::write(host, hello.data(), hello.size()), static_cast<ssize_t>(hello.size()));
  spectators.TakeConnection(host, "pair", {});
  return watcher;
}

TEST(Spectators, WatchersSeeEveryFrameThePlayersUseAndAreToldTheEnd) {
  const Game game;
  Notices notices;
  CSpectatorHost spectators(game.greeting, notices.Sink());
  constexpr int kFrames = 3000;
  // One watcher whose machine agrees with the host's, one whose state goes astray at frame 120.
  std::vector<uint32_t> seen[2];
  std::string ended[2];
  std::thread watchers[2];
  for (int w = 0; w < 2; ++w) {
    const int socket = GreetedConnection(spectators, game.greeting);
    watchers[w] = std::thread([&, w, socket] {
      CWatchLink link;
      const auto watched = link.WatchOn(socket, w == 0 ? "Ann" : "Cy");
      ASSERT_TRUE(watched) << watched.error();
      EXPECT_EQ(watched.value().game.home, game.home);
      EXPECT_EQ(watched.value().game.away, game.away);
      EXPECT_EQ(watched.value().greeting.seed, 77u);
      EXPECT_EQ(watched.value().greeting.game.controlByte, 0x22);
      EXPECT_EQ(link.StatusText(false), "watching Hosting v Bob");
      for (int64_t f = 1;; ++f) {
        const auto input = link.ExchangeFrameInput(0xFFFFFFFF);  // this side's own pads count for nothing
        if (!input) break;
        seen[w].push_back(*input);
        if (f % 60 == 0) link.OfferStateHash(f, static_cast<uint64_t>(f) * (w == 1 && f >= 120 ? 3 : 1));
      }
      ended[w] = link.CloseReason();
    });
  }
  ASSERT_TRUE(notices.WaitFor("Ann (pair) waits to watch the game"));
  ASSERT_TRUE(notices.WaitFor("Cy (pair) waits to watch the game"));
  spectators.Begin({game.home, game.away, "Hosting"}, "Bob");
  for (int64_t f = 1; f <= kFrames; ++f) {
    spectators.FrameInput(f, static_cast<uint32_t>(f * 2654435761u));
    if (f % 60 == 0) spectators.StateHash(f, static_cast<uint64_t>(f));
  }
  spectators.Finish(WatchEnd::kHostEnded);
  for (auto& watcher : watchers) watcher.join();
  ASSERT_EQ(seen[0].size(), static_cast<size_t>(kFrames));
  for (int f = 1; f <= kFrames; ++f) EXPECT_EQ(seen[0][f - 1], static_cast<uint32_t>(f * 2654435761u));
  EXPECT_EQ(ended[0], "the host's game has ended");
  EXPECT_EQ(seen[1].size(), 120u);  // the hash of frame 120 comes before the input of frame 121
  EXPECT_EQ(ended[1], "this machine's state differs from the host's after frame 120");
}

TEST(Spectators, TheHostNeverWaitsAndDropsWatchersThatLagMisbehaveOrComeLate) {
  const Game game;
  Notices notices;
  CSpectatorHost spectators(game.greeting, notices.Sink());
  // A watcher that greets, then reads nothing while the game runs far ahead.
  const int sleeper = GreetedConnection(spectators, game.greeting);
  const auto answer = EncodeWatcherAnswer();
  const auto name = EncodeNickName("Sleepy");
  ASSERT_EQ(::write(sleeper, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
  ASSERT_EQ(::write(sleeper, name.data(), name.size()), static_cast<ssize_t>(name.size()));
  // One that says more than its name, one whose answer is malformed, a second player.
  const int chatty = GreetedConnection(spectators, game.greeting);
  std::vector<uint8_t> bytes(answer.begin(), answer.end());
  const auto chattyName = EncodeNickName("Chatty");
  bytes.insert(bytes.end(), chattyName.begin(), chattyName.end());
  bytes.push_back(0x01);
  ASSERT_EQ(::write(chatty, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  auto malformed = answer;
  malformed[kWatcherAnswerBytes - 1] = 1;
  const int crooked = GreetedConnection(spectators, game.greeting);
  ASSERT_EQ(::write(crooked, malformed.data(), malformed.size()), static_cast<ssize_t>(malformed.size()));
  const auto [hostEnd, player] = SocketPair();
  const auto playerHello = EncodeGreeting(game.greeting);
  spectators.TakeConnection(hostEnd, "second player", std::span(playerHello).first(12));
  EXPECT_TRUE(notices.WaitFor("dropped the watcher Chatty: it sent bytes after its greeting (a watcher sends nothing)"));
  EXPECT_TRUE(notices.WaitFor("dropped the connection from pair: its watcher's answer is malformed"));
  EXPECT_TRUE(notices.WaitFor("dropped the connection from second player: the game has both its players already"));
  ASSERT_TRUE(notices.WaitFor("Sleepy (pair) waits to watch the game"));

  spectators.Begin({game.home, game.away, "Hosting"}, "Bob");
  ASSERT_TRUE(notices.WaitFor("Sleepy (pair) watches the game"));
  constexpr int64_t kFrames = 400000;  // far more than the queue and the socket hold: never a wait for the reader
  for (int64_t f = 1; f <= kFrames; ++f) spectators.FrameInput(f, static_cast<uint32_t>(f));
  EXPECT_TRUE(notices.WaitFor("dropped the watcher Sleepy: it fell 65536 frames behind"));
  EXPECT_EQ(spectators.Watching(), 0u);

  // Waking up, it reads the frames that had reached it (if any) in order, then why it was dropped.
  std::vector<uint8_t> skipped(kGreetingBytes + EncodeOffer({game.home, game.away, "Hosting"}).value().size() + kNickHeaderBytes + 3);
  size_t got = 0;
  while (got < skipped.size()) got += static_cast<size_t>(::read(sleeper, skipped.data() + got, skipped.size() - got));
  int64_t frames = 0;
  std::array<uint8_t, kWatchPacketBytes> packet{};
  std::optional<WatchPacket> decoded;
  for (;;) {
    size_t have = 0;
    while (have < packet.size()) {
      const ssize_t n = ::read(sleeper, packet.data() + have, packet.size() - have);
      ASSERT_GT(n, 0);
      have += static_cast<size_t>(n);
    }
    decoded = DecodeWatchPacket(packet);
    ASSERT_TRUE(decoded);
    if (decoded->kind != WatchPacketKind::kInput) break;
    EXPECT_EQ(decoded->frame, static_cast<uint32_t>(++frames));
  }
  EXPECT_EQ(decoded->kind, WatchPacketKind::kEnd);
  EXPECT_EQ(WatchEndText(static_cast<WatchEnd>(decoded->value)), "the host dropped this side: it fell too far behind the game");
  CWatchLink late;
  const int lateSocket = GreetedConnection(spectators, game.greeting);
  EXPECT_EQ(late.WatchOn(lateSocket, "Tardy").error(),
            "the host refused this watcher: the game has begun; watchers join before its first frame");
  for (int socket : {sleeper, chatty, crooked, player}) ::close(socket);

  // Unknown packet kinds and ends are refused.
  EXPECT_FALSE(DecodeWatchPacket(std::array<uint8_t, 8>{'X', 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(DecodeWatchPacket(std::array<uint8_t, 8>{'E', 0, 0, 0, 9, 0, 0, 0}));
}

}  // namespace
}  // namespace qgu::host
