// Watchers of a hosted game over socket pairs: each sees every frame the
// players use, the state hashes are compared, and the stream ends saying
// why; the host never waits for a watcher, and one that lags, sends bytes,
// greets wrongly or comes after the first frame is dropped or refused. A host
// that takes late watchers sends them the game under way, then the frames
// after it; a host's malformed game under way ends the watch saying why.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <optional>
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

// What a watcher says of a host that sends the game, then these bytes.
std::string WatchFailure(const Game& game, std::span<const uint8_t> stream) {
  const auto [host, watcher] = SocketPair();
  std::vector<uint8_t> sent;
  const auto hello = EncodeGreeting(game.greeting);
  const auto offer = EncodeOffer({game.home, game.away, "Hosting"}).value();
  const auto name = EncodeNickName("Bob");
  for (std::span<const uint8_t> part : {std::span<const uint8_t>(hello), std::span<const uint8_t>(offer),
                                        std::span<const uint8_t>(name), stream}) {
    sent.insert(sent.end(), part.begin(), part.end());
  }
  EXPECT_EQ(::write(host, sent.data(), sent.size()), static_cast<ssize_t>(sent.size()));
  ::shutdown(host, SHUT_WR);
  CWatchLink link;
  const auto watched = link.WatchOn(watcher, "Ann");
  ::close(host);
  return watched ? std::string("watched") : watched.error();
}

TEST(Spectators, ALateWatcherGoesOnFromTheGameUnderWayAndAMalformedOneIsRefused) {
  const Game game;
  Notices notices;
  CSpectatorHost spectators(game.greeting, notices.Sink());
  spectators.TakeLateWatchers();
  spectators.Begin({game.home, game.away, "Hosting"}, "Bob");
  for (int64_t f = 1; f <= 100; ++f) spectators.FrameInput(f, static_cast<uint32_t>(f));

  std::optional<WatchedGame> watched;
  std::vector<uint32_t> seen;
  std::string ended;
  const int socket = GreetedConnection(spectators, game.greeting);
  std::thread late([&, socket] {
    CWatchLink link;
    auto got = link.WatchOn(socket, "Tardy");
    ASSERT_TRUE(got) << got.error();
    watched = std::move(got).value();
    while (const auto input = link.ExchangeFrameInput(0)) seen.push_back(*input);
    ended = link.CloseReason();
  });
  ASSERT_TRUE(notices.WaitFor("Tardy (pair) joins the game under way"));
  // One that says something while it waits is dropped; the game goes on.
  const int rude = GreetedConnection(spectators, game.greeting);
  const auto answer = EncodeWatcherAnswer();
  const auto name = EncodeNickName("Rude");
  ASSERT_EQ(::write(rude, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
  ASSERT_EQ(::write(rude, name.data(), name.size()), static_cast<ssize_t>(name.size()));
  ASSERT_TRUE(notices.WaitFor("Rude (pair) joins the game under way"));
  ASSERT_EQ(::write(rude, "!", 1), 1);
  EXPECT_TRUE(notices.WaitFor("dropped the watcher Rude: it sent bytes after its greeting"));
  for (int64_t f = 101; f <= 110; ++f) spectators.FrameInput(f, static_cast<uint32_t>(f));  // not for the waiting
  EXPECT_TRUE(spectators.LateWatcherWaiting());
  WatchJoin under;
  under.frame = 110;
  under.monitor = {driver::kHomeOnOffense, true, false, true};
  under.playCalling.draws = 7;
  under.playCalling.playCounts[1] = {1, 0, 2, 0, 0, 0, 0, 1};
  under.playCalling.playTotal[1] = 4;
  under.machine.assign(70000, 0xA5);  // more than the socket takes at once
  spectators.OfferGameUnderWay(110, EncodeWatchJoin(under).value(), "given");
  EXPECT_FALSE(spectators.LateWatcherWaiting());
  EXPECT_TRUE(notices.WaitFor("Tardy (pair) watches the game from frame 110 (given)"));
  for (int64_t f = 111; f <= 200; ++f) spectators.FrameInput(f, static_cast<uint32_t>(f));
  // Once no game under way can be sent, the waiting and the later ones are refused saying why.
  CWatchLink slow, later;
  std::string slowError;
  const int slowSocket = GreetedConnection(spectators, game.greeting);
  std::thread slowThread([&] { slowError = slow.WatchOn(slowSocket, "Slow").error(); });
  ASSERT_TRUE(notices.WaitFor("Slow (pair) joins the game under way"));
  spectators.RefuseLateWatchers("the game is over");
  slowThread.join();
  EXPECT_EQ(slowError, "the host refused this watcher: the game is over");
  EXPECT_EQ(later.WatchOn(GreetedConnection(spectators, game.greeting), "Later").error(),
            "the host refused this watcher: the game is over");
  spectators.Finish(WatchEnd::kHostEnded);
  late.join();
  ::close(rude);
  ASSERT_TRUE(watched && watched->joined);
  EXPECT_EQ(watched->joined->frame, 110);
  EXPECT_EQ(watched->joined->monitor, under.monitor);
  EXPECT_EQ(watched->joined->playCalling, under.playCalling);
  EXPECT_EQ(watched->joined->machine, under.machine);
  ASSERT_EQ(seen.size(), 90u);
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], 111 + i);
  EXPECT_EQ(ended, "the host's game has ended");

  // A host's game under way that is too large, malformed or misnumbered ends the watch before it starts.
  auto announced = [&](uint32_t frame, uint32_t bytes) {
    const auto packet = EncodeWatchPacket({WatchPacketKind::kJoin, frame, bytes});
    return std::vector<uint8_t>(packet.begin(), packet.end());
  };
  EXPECT_EQ(WatchFailure(game, announced(5, 10 << 20)),
            "the host announced a game under way of 10485760 bytes; a watcher takes 93 to 131164");
  auto good = EncodeWatchJoin(under).value();
  auto crooked = good;
  crooked[kWatchPacketBytes + 9] = 0x80;  // a flag no driver has
  EXPECT_EQ(WatchFailure(game, crooked), "the host's game under way has a malformed driver state");
  auto uneven = good;
  uneven[kWatchPacketBytes + 16] = 9;  // the home team's first play called, not counted in its total
  EXPECT_EQ(WatchFailure(game, uneven), "the host's game under way is malformed: the home team's plays called do not add up");
  auto misnumbered = good;
  misnumbered[1] = 111;
  EXPECT_EQ(WatchFailure(game, misnumbered), "the host's game under way names frame 110 beside frame 111");
  EXPECT_EQ(WatchFailure(game, std::span(good).first(good.size() - 1)), "the host's game under way came incomplete");
  EXPECT_EQ(WatchFailure(game, good), "watched");
}

}  // namespace
}  // namespace qgu::host
