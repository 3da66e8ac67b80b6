// The netplay link over a socket pair: both sides use the same input at the
// same frame, latency frames late; the other side's bytes are untrusted (a
// malformed packet, more than a lockstep side can send, silence, leaving);
// the state hashes are compared. Over loopback: hosting outlives connections
// that do not greet, and two sides playing different games do not link.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "host/netplay_link.h"
#include "tests/support/free_port.h"

namespace qgu::host {
namespace {

class FastClock final : public IFrameClock {
 public:
  uint32_t NowMs() override { return now; }
  void SleepMs(int milliseconds) override { now += static_cast<uint32_t>(milliseconds) * 500; }
  uint32_t now = 0;
};

std::pair<int, int> SocketPair() {
  int ends[2] = {-1, -1};
  EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
  return {ends[0], ends[1]};
}

TEST(NetplayLink, BothSidesUseTheSameInputLatencyStepsLate) {
  for (const NetGreeting greeting : {NetGreeting{0, 0, 7, {}}, NetGreeting{2, 0, 7, {}}, NetGreeting{1, 1, 7, {}}}) {
    const auto [a, b] = SocketPair();
    CNetplayLink host, joiner;
    host.Adopt(a, true, greeting);
    joiner.Adopt(b, false, greeting);
    constexpr int kFrames = 60;
    std::vector<uint32_t> hostSeen(kFrames), joinerSeen(kFrames);
    std::thread other([&] {
      for (int f = 0; f < kFrames; ++f) joinerSeen[f] = joiner.ExchangeFrameInput(0x00300000u | (f & 0xFF)).value_or(~0u);
    });
    for (int f = 0; f < kFrames; ++f) hostSeen[f] = host.ExchangeFrameInput(0x00100000u | (0x80 + f)).value_or(~0u);
    other.join();
    EXPECT_EQ(hostSeen, joinerSeen) << host.CloseReason() << " | " << joiner.CloseReason();
    // A packet is sent every step (step length + 1 frames) and used latency + 1 packets later.
    const int frames = greeting.stepLength + 1;
    for (int f = 0; f < kFrames; ++f) {
      const int step = f / frames - (greeting.latency + 1);
      const uint32_t want = step < 0 ? 0 : CombineFrameInput(0x00100000u | (0x80 + step * frames), 0x00300000u | (step * frames));
      EXPECT_EQ(hostSeen[f], want) << "frame " << f << " latency " << greeting.latency;
    }
    EXPECT_TRUE(host.Connected());
    EXPECT_EQ(host.SharedSeed(), 7u);
  }
  EXPECT_EQ(CombineFrameInput(0x44332211, 0x88776655), 0x77335511u);
}

TEST(NetplayLink, TheOtherSidesFaultsEndTheLinkWithAReason) {
  const std::vector<uint8_t> sync(8, 0);
  auto then = [](std::vector<uint8_t> bytes, std::initializer_list<uint8_t> more) {
    bytes.insert(bytes.end(), more);
    return bytes;
  };
  const struct {
    std::vector<uint8_t> sent;  // raw bytes from the other side, then it stays silent
    bool leaves;
    const char* reason;
    bool host = true;
  } cases[] = {
      {{0, 0, 0, 0, 0, 0, 0, 1}, false, "the other side sent a malformed packet"},
      {{0, 0, 0, 0, 'X', 0, 0, 0}, false, "the other side sent a malformed packet"},
      {std::vector<uint8_t>(5 * 8, 0), false, "the other side sent more than the link holds"},  // latency 0: 4 at most
      {{}, false, "the other side did not answer for 10 seconds"},
      {{1, 2, 3}, true, "the other side has left"},
      // Games for a resync: only from the host, of a size a machine has, asked for, whole.
      {{0, 0, 0, 0, 'S', 16, 0, 0}, false, "the joining side sent a game; only the host sends one"},
      {then(sync, {0, 0, 0, 0, 'S', 0xFF, 0xFF, 0xFF}), false,
       "the host announced a game of 16777215 bytes, which no machine has", false},
      {then(sync, {0, 0, 0, 0, 'S', 4, 0, 0, 1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0}), false, "the host sent its game unasked",
       false},
      {then(sync, {0, 0, 0, 0, 'S', 4, 0, 0, 1, 2, 3, 4, 0, 0, 0, 0, 'S', 4, 0, 0, 1, 2, 3, 4}), false,
       "the host sent its game twice", false},
      {then(sync, {0, 0, 0, 0, 'S', 100, 0, 0, 1, 2, 3}), true, "the other side has left", false},  // in the middle of it
  };
  for (const auto& c : cases) {
    const auto [a, b] = SocketPair();
    FastClock clock;
    CNetplayLink link(clock);
    link.Adopt(a, c.host, {0, 0, 0, {}});
    ASSERT_EQ(::write(b, c.sent.data(), c.sent.size()), static_cast<ssize_t>(c.sent.size()));
    if (c.leaves) ::close(b);
    std::optional<uint32_t> input;
    for (int f = 0; f < 5 && link.Connected(); ++f) input = link.ExchangeFrameInput(0);
    EXPECT_FALSE(input.has_value());
    EXPECT_FALSE(link.Connected());
    EXPECT_EQ(link.CloseReason(), c.reason) << (c.host ? "host" : "joining side");
    EXPECT_LE(clock.now, 10'500u);
    if (!c.leaves) ::close(b);
  }
}

TEST(NetplayLink, Greetings) {
  const NetGreeting greeting{3, 1, 0xDEADBEEF, {0x0102030405060708ull, 0xF1F2F3F4F5F6F7F8ull, 12, 2}};
  const auto bytes = EncodeGreeting(greeting);
  const auto decoded = DecodeGreeting(bytes);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->latency, 3);
  EXPECT_EQ(decoded->stepLength, 1);
  EXPECT_EQ(decoded->seed, 0xDEADBEEFu);
  EXPECT_EQ(decoded->game.homeRecordHash, greeting.game.homeRecordHash);
  EXPECT_EQ(decoded->game.awayRecordHash, greeting.game.awayRecordHash);
  EXPECT_EQ(decoded->game.quarterMinutes, 12);
  EXPECT_EQ(decoded->game.weather, 2);
  for (size_t at : {size_t{0}, size_t{7}, size_t{10}, size_t{11}, size_t{18}, size_t{23}}) {
    auto bad = bytes;
    bad[at] ^= 0x40;
    EXPECT_FALSE(DecodeGreeting(bad).has_value()) << at;
  }
  auto tooLate = bytes;
  tooLate[8] = kMaxNetLatency + 1;
  EXPECT_FALSE(DecodeGreeting(tooLate).has_value());
  auto noWeather = bytes;
  noWeather[17] = 3;
  EXPECT_FALSE(DecodeGreeting(noWeather).has_value());
  EXPECT_FALSE(DecodeGreeting(std::span(bytes).first(kGreetingBytes - 1)).has_value());

  // What differs is said from this side's view; a partial greeting waits, a stranger is refused at once.
  GameIdentity other = greeting.game;
  other.awayRecordHash ^= 1;
  other.quarterMinutes = 2;
  other.weather = 0;
  EXPECT_EQ(DescribeGameDifference(greeting.game, other),
            "the away team's record differs; quarters of 2 minutes there, of 12 minutes here; weather clear there, snow here");
  EXPECT_EQ(DescribeGameDifference(greeting.game, greeting.game), "");
  EXPECT_EQ(JudgeGreeting(std::span(bytes).first(20), greeting.game).kind, GreetingVerdict::Kind::kIncomplete);
  const std::string http = "GET / HTTP/1.0\r\n";
  EXPECT_EQ(JudgeGreeting(std::span(reinterpret_cast<const uint8_t*>(http.data()), 3), greeting.game).kind,
            GreetingVerdict::Kind::kRefused);
  EXPECT_EQ(JudgeGreeting(bytes, greeting.game).kind, GreetingVerdict::Kind::kAccepted);
  EXPECT_EQ(JudgeGreeting(bytes, other).kind, GreetingVerdict::Kind::kDifferentGame);
}

TEST(NetplayLink, TheInputDelayIsHalfTheRoundTripAndAFrameAndTheTermsAreChecked) {
  const struct {
    int roundTripMs;
    LinkDelay delay;
  } chosen[] = {
      {-1, {2, 0}},  {0, {2, 0}},   {33, {2, 0}},  {34, {3, 0}},  {50, {3, 0}},
      {100, {4, 0}}, {233, {8, 0}}, {234, {4, 1}}, {1000, {8, 1}}, {INT32_MAX, {8, 1}},
  };
  for (const auto& c : chosen) EXPECT_EQ(ChooseLinkDelay(c.roundTripMs), c.delay) << c.roundTripMs << " ms";
  EXPECT_EQ(DelayForFrames(0).Frames(), 1);
  EXPECT_EQ(DelayForFrames(11), (LinkDelay{5, 1}));  // 12: two frames a packet past 9
  EXPECT_EQ(DelayForFrames(99).Frames(), kMaxLinkDelayFrames);
  EXPECT_EQ(SettleTerms(5, 300).delay, (LinkDelay{4, 0}));
  EXPECT_FALSE(SettleTerms(5, 300).automatic);

  const LinkTerms terms{{4, 1}, 270, true};
  const auto bytes = EncodeTerms(terms);
  const auto decoded = DecodeTerms(bytes);
  ASSERT_TRUE(decoded) << decoded.error();
  EXPECT_EQ(decoded.value().delay, terms.delay);
  EXPECT_EQ(decoded.value().roundTripMs, 270);
  EXPECT_TRUE(decoded.value().automatic);
  for (auto [at, value] : {std::pair{0, 'X'}, {8, 9}, {9, 3}, {12, 2}, {13, 1}, {15, 1}}) {
    auto bad = bytes;
    bad[static_cast<size_t>(at)] = static_cast<uint8_t>(value);
    EXPECT_FALSE(DecodeTerms(bad)) << at;
  }
  EXPECT_FALSE(DecodeTerms(std::span(bytes).first(kTermsBytes - 1)));
}

TEST(NetplayLink, StateHashesAreComparedAndTheFirstMismatchEndsTheLinkOnBothSides) {
  for (const NetGreeting greeting : {NetGreeting{0, 0, 7, {}}, NetGreeting{2, 1, 7, {}}}) {
    const auto [a, b] = SocketPair();
    CNetplayLink host, joiner;
    host.Adopt(a, true, greeting);
    joiner.Adopt(b, false, greeting);
    // Equal states every 10 frames until frame 40; at frame 40 the joiner's differs.
    auto play = [](CNetplayLink& link, bool differs) {
      int frames = 0;
      for (int64_t f = 1; f <= 100 && link.ExchangeFrameInput(0).has_value(); ++f) {
        ++frames;
        if (f % 10 == 0) link.OfferStateHash(f, 0x1234567890ull * static_cast<uint64_t>(f) + (differs && f >= 40 ? 1 : 0));
      }
      return frames;
    };
    auto joined = std::async(std::launch::async, [&] { return play(joiner, true); });
    const int hostFrames = play(host, false);
    const int joinerFrames = joined.get();
    EXPECT_EQ(hostFrames, joinerFrames);
    EXPECT_LT(hostFrames, 40 + 3 * (greeting.latency + 2) * (greeting.stepLength + 1)) << "reported late";
    EXPECT_EQ(host.CloseReason(), "the two machines' states differ after frame 40 (a desync)");
    EXPECT_EQ(joiner.CloseReason(), host.CloseReason());
  }
  // A side that never sends hashes (zeros in bytes 4-7) is never compared.
  const auto [a, b] = SocketPair();
  CNetplayLink host, plain;
  host.Adopt(a, true, {});
  plain.Adopt(b, false, {});
  std::thread other([&] {
    for (int f = 0; f < 60; ++f) plain.ExchangeFrameInput(0);
  });
  for (int64_t f = 1; f <= 60; ++f) {
    EXPECT_TRUE(host.ExchangeFrameInput(0).has_value()) << host.CloseReason();
    host.OfferStateHash(f, static_cast<uint64_t>(f));
  }
  other.join();
  EXPECT_TRUE(host.Connected() && plain.Connected());
}

TEST(NetplayLink, TheHostSendsItsTeamsAndBothSidesTheirNames) {
  league::TeamRecord home, away;
  home.header.city = "AMBERLEE";
  home.header.nickname = "VOLES";
  home.header.abbreviation = "AMB";
  away.header.city = "ASHCOMBE";
  away.header.nickname = "PIKEMEN";
  away.header.abbreviation = "ASH";
  away.players[3].firstName = "jo";
  const GameIdentity game{TeamRecordHash(home), TeamRecordHash(away), 1, 0, 0x00};
  const auto [a, b] = SocketPair();
  CNetplayLink host, joiner;
  host.Adopt(a, true, {0, 0, 1, game});
  joiner.Adopt(b, false, {0, 0, 1, game});
  ASSERT_TRUE(host.SendOffer({home, away, "Ann\x01 of the\tnorth with a name far too long to keep"}));
  const auto offer = joiner.ReceiveOffer();
  ASSERT_TRUE(offer) << offer.error();
  EXPECT_EQ(offer.value().home, home);
  EXPECT_EQ(offer.value().away, away);
  EXPECT_EQ(offer.value().nickName, "Ann of thenorth with a name far");
  ASSERT_TRUE(joiner.SendNickName("  "));
  const auto named = host.ReceiveNickName();
  ASSERT_TRUE(named);
  EXPECT_EQ(named.value(), "NoName");

  // Other teams than the greeting named, a header promising more than a record, nothing at all.
  auto message = EncodeOffer({home, home, "x"}).value();
  EXPECT_EQ(DecodeOffer(message, game).error(), "the host sent other teams than its greeting named");
  message[11] = 0x7F;
  EXPECT_EQ(OfferBodyBytes(message).error(), "the host's game is larger than any team record");
  message = EncodeOffer({home, away, "x"}).value();
  message[kOfferHeaderBytes + 12] = '\n';  // the team line loses its abbreviation
  EXPECT_NE(DecodeOffer(message, game).error().find("the host's home team is not a team record"), std::string::npos);
  FastClock clock;
  const auto [c, d] = SocketPair();
  CNetplayLink silent(clock);
  silent.Adopt(c, false, {});
  ::close(d);
  EXPECT_EQ(silent.ReceiveOffer().error(), "the host did not send the game");
}

TEST(NetplayLink, AWaitIsShownAndAStopFromAnotherThreadEndsItAtOnce) {
  const auto [a, b] = SocketPair();
  FastClock clock;
  CNetplayLink link(clock);
  link.Adopt(a, true, {1, 0, 0, {}});
  link.SetPeerName("Ann");
  EXPECT_EQ(link.StatusText(false), "Ann  delay 2 frames");
  EXPECT_EQ(link.StatusText(true), "waiting for Ann");
  int shown = 0;
  link.SetWaitingHandler([&] { ++shown; });
  EXPECT_FALSE(link.ExchangeFrameInput(0).has_value());  // silence: 10 s on the fast clock
  EXPECT_GE(shown, 15);  // every quarter second waited (the fast clock takes half a second a step)
  ::close(b);

  const auto [c, d] = SocketPair();
  CNetplayLink waiting;  // on the real clock
  waiting.Adopt(c, true, {});
  const auto started = std::chrono::steady_clock::now();
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    waiting.Interrupt();
  });
  EXPECT_FALSE(waiting.ExchangeFrameInput(0).has_value());
  stopper.join();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
  ::close(d);
}

using testing::FreePort;

int ConnectTo(uint16_t port) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  for (int tries = 0; tries < 200; ++tries) {
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return s;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ADD_FAILURE() << "nobody listens on " << port;
  return s;
}

TEST(NetplayLink, HostingOutlivesConnectionsThatDoNotGreetAndRefusesAnotherGame) {
  const GameIdentity game{11, 22, 1, 0};
  const uint16_t port = FreePort();
  std::mutex mutex;
  std::vector<std::string> notices;
  HostOptions options;
  options.timeoutMs = 30000;
  options.delayFrames = 2;  // the host's user's choice holds on both sides
  options.notice = [&](const std::string& line) {
    std::lock_guard lock(mutex);
    notices.push_back(line);
  };
  CNetplayLink host;
  auto hosted = std::async(std::launch::async, [&] { return host.Host({"127.0.0.1", port}, {1, 0, 99, game}, options); });
  // A port scan, a stranger speaking another protocol, one that stays silent (and is dropped with the rest).
  ::close(ConnectTo(port));
  const int stranger = ConnectTo(port);
  const std::string http = "GET / HTTP/1.0\r\n\r\n";
  ASSERT_EQ(::write(stranger, http.data(), http.size()), static_cast<ssize_t>(http.size()));
  const int silent = ConnectTo(port);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  CNetplayLink joiner;
  const auto joined = joiner.Join("localhost", port, game, 5000);
  ASSERT_TRUE(joined) << joined.error();
  const auto result = hosted.get();
  ASSERT_TRUE(result) << result.error();
  EXPECT_EQ(joiner.SharedSeed(), 99u);
  EXPECT_EQ(joiner.Greeting().latency, 1);
  EXPECT_EQ(host.Greeting().latency, 1);
  EXPECT_EQ(joiner.Terms(), host.Terms());
  EXPECT_FALSE(joiner.Terms().automatic);
  EXPECT_GE(joiner.RoundTripMs(), 0);
  auto other = std::async(std::launch::async, [&] { return joiner.ExchangeFrameInput(0x02).value_or(~0u); });
  EXPECT_EQ(host.ExchangeFrameInput(0x01).value_or(~0u), 0u);  // latency 1: the sync packet first
  EXPECT_EQ(other.get(), 0u);
  ::close(stranger);
  ::close(silent);
  {
    std::lock_guard lock(mutex);
    ASSERT_EQ(notices.size(), 2u);
    const std::string both = notices[0] + "\n" + notices[1];
    EXPECT_NE(both.find("dropped the connection from 127.0.0.1 port "), std::string::npos) << both;
    EXPECT_NE(both.find(": it left without a greeting"), std::string::npos) << both;
    EXPECT_NE(both.find(": it is not a Quozi Gridcrown link of this version"), std::string::npos) << both;
  }

  // Automatic: from the round trip the host measured, the same on both sides.
  const uint16_t automatic = FreePort();
  CNetplayLink host4, joiner4;
  HostOptions chosen;
  chosen.timeoutMs = 30000;
  auto hosted4 = std::async(std::launch::async, [&] { return host4.Host({"127.0.0.1", automatic}, {5, 0, 1, game}, chosen); });
  ASSERT_TRUE(joiner4.Join("127.0.0.1", automatic, game, 5000));
  ASSERT_TRUE(hosted4.get());
  EXPECT_TRUE(host4.Terms().automatic);
  EXPECT_EQ(host4.Terms().delay, ChooseLinkDelay(host4.RoundTripMs()));
  EXPECT_EQ(joiner4.Terms(), host4.Terms());
  EXPECT_EQ(joiner4.Greeting().latency, host4.Greeting().latency);
  EXPECT_EQ(joiner4.StatusText(false).find("NoName"), std::string::npos);
  EXPECT_NE(joiner4.StatusText(false).find(" frames (auto)"), std::string::npos) << joiner4.StatusText(false);

  // A joiner with 2-minute quarters: both sides say what differs, and neither links.
  const uint16_t second = FreePort();
  CNetplayLink host2, joiner2;
  auto hosted2 = std::async(std::launch::async, [&] { return host2.Host({"", second}, {0, 0, 5, game}, options); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto joined2 = joiner2.Join("127.0.0.1", second, GameIdentity{11, 22, 2, 0}, 5000);
  const auto result2 = hosted2.get();
  ASSERT_FALSE(joined2);
  ASSERT_FALSE(result2);
  EXPECT_EQ(joined2.error(), "the other side plays a different game: quarters of 1 minute there, of 2 minutes here");
  EXPECT_EQ(result2.error(), "the other side plays a different game: quarters of 2 minutes there, of 1 minute here");
  EXPECT_FALSE(host2.Connected() || joiner2.Connected());

  // Stopped while nobody comes.
  std::atomic<bool> stop{false};
  HostOptions stoppable;
  stoppable.stopped = [&] { return stop.load(); };
  CNetplayLink host3;
  auto hosted3 = std::async(std::launch::async, [&] { return host3.Host({"127.0.0.1", FreePort()}, {}, stoppable); });
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  stop = true;
  const auto result3 = hosted3.get();
  ASSERT_FALSE(result3);
  EXPECT_EQ(result3.error(), "hosting was stopped before anybody joined");

  // A join stopped while nobody listens ends within a try, not at its time-out.
  CNetplayLink joiner3;
  std::atomic<bool> stopJoin{false};
  const auto asked = std::chrono::steady_clock::now();
  auto joined3 = std::async(std::launch::async, [&] {
    return joiner3.Join("127.0.0.1", FreePort(), std::nullopt, 60000, [&] { return stopJoin.load(); });
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  stopJoin = true;
  const auto result4 = joined3.get();
  ASSERT_FALSE(result4);
  EXPECT_EQ(result4.error(), "joining was stopped before the host answered");
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5));
}

// A listener whose queue is full: the system drops further calls unanswered,
// as with a host behind a firewall or an address nobody has.
class SilentHost {
 public:
  SilentHost() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 0);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    // Calls nobody accepts, until one goes unanswered.
    for (int i = 0; i < 8; ++i) {
      const int call = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      ::connect(call, reinterpret_cast<sockaddr*>(&address), sizeof address);
      calls_.push_back(call);
      pollfd writable{call, POLLOUT, 0};
      if (::poll(&writable, 1, 300) == 0) break;
    }
  }
  ~SilentHost() {
    for (const int call : calls_) ::close(call);
    ::close(listener_);
  }
  uint16_t port = 0;

 private:
  int listener_ = -1;
  std::vector<int> calls_;
};

// Joining a host that never answers ends at the join's time, saying so, and
// a stop (the dialog's Cancel) ends it at once; a port nobody listens on is
// tried until the time and named as such.
TEST(NetplayLink, JoiningAHostThatNeverAnswersEndsAtItsTimeOrAtAStop) {
  SilentHost silent;
  const std::string where = "127.0.0.1:" + std::to_string(silent.port);
  CNetplayLink joiner;
  auto asked = std::chrono::steady_clock::now();
  const auto joined = joiner.Join("127.0.0.1", silent.port, std::nullopt, 1500);
  auto took = std::chrono::steady_clock::now() - asked;
  ASSERT_FALSE(joined);
  EXPECT_EQ(joined.error(), "cannot reach " + where + " in 1.5 seconds: no answer");
  EXPECT_GE(took, std::chrono::milliseconds(1400));
  EXPECT_LT(took, std::chrono::seconds(3));

  std::atomic<bool> stop{false};
  auto stopped = std::async(std::launch::async, [&] {
    return joiner.Join("127.0.0.1", silent.port, std::nullopt, 60000, [&] { return stop.load(); });
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  asked = std::chrono::steady_clock::now();
  stop = true;
  const auto result = stopped.get();
  took = std::chrono::steady_clock::now() - asked;
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error(), "joining was stopped before the host answered");
  EXPECT_LT(took, std::chrono::seconds(1));

  const uint16_t nobody = FreePort();
  const auto refused = joiner.Join("127.0.0.1", nobody, std::nullopt, 300);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), "cannot reach 127.0.0.1:" + std::to_string(nobody) + " in 0.3 seconds: nobody listens there");
}

}  // namespace
}  // namespace qgu::host
