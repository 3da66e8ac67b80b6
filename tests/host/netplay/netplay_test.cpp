// The netplay link over a socket pair: both sides use the same input at the
// same frame, latency frames late; the other side's bytes are untrusted (a
// malformed packet, more than a lockstep side can send, silence, leaving).

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "host/netplay_link.h"

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
  for (const NetGreeting greeting : {NetGreeting{0, 0, 7}, NetGreeting{2, 0, 7}, NetGreeting{1, 1, 7}}) {
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
  const struct {
    std::vector<uint8_t> sent;  // raw bytes from the other side, then it stays silent
    bool leaves;
    const char* reason;
  } cases[] = {
      {{0, 0, 0, 0, 0, 0, 0, 1}, false, "the other side sent a malformed packet"},
      {std::vector<uint8_t>(5 * 8, 0), false, "the other side sent more than the link holds"},  // latency 0: 4 at most
      {{}, false, "the other side did not answer for 10 seconds"},
      {{1, 2, 3}, true, "the other side has left"},
  };
  for (const auto& c : cases) {
    const auto [a, b] = SocketPair();
    FastClock clock;
    CNetplayLink link(clock);
    link.Adopt(a, true, {0, 0, 0});
    ASSERT_EQ(::write(b, c.sent.data(), c.sent.size()), static_cast<ssize_t>(c.sent.size()));
    if (c.leaves) ::close(b);
    std::optional<uint32_t> input;
    for (int f = 0; f < 5 && link.Connected(); ++f) input = link.ExchangeFrameInput(0);
    EXPECT_FALSE(input.has_value());
    EXPECT_FALSE(link.Connected());
    EXPECT_EQ(link.CloseReason(), c.reason);
    EXPECT_LE(clock.now, 10'500u);
    if (!c.leaves) ::close(b);
  }
}

TEST(NetplayLink, Greetings) {
  const NetGreeting greeting{3, 1, 0xDEADBEEF};
  const auto bytes = EncodeGreeting(greeting);
  const auto decoded = DecodeGreeting(bytes);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->latency, 3);
  EXPECT_EQ(decoded->stepLength, 1);
  EXPECT_EQ(decoded->seed, 0xDEADBEEFu);
  for (size_t at : {size_t{0}, size_t{7}, size_t{10}, size_t{11}}) {
    auto bad = bytes;
    bad[at] ^= 0x40;
    EXPECT_FALSE(DecodeGreeting(bad).has_value()) << at;
  }
  auto tooLate = bytes;
  tooLate[8] = kMaxNetLatency + 1;
  EXPECT_FALSE(DecodeGreeting(tooLate).has_value());
  EXPECT_FALSE(DecodeGreeting(std::span(bytes).first(15)).has_value());
}

}  // namespace
}  // namespace qgu::host
