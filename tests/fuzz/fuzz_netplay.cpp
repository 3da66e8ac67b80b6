// The netplay link's receiver: whatever the other side sends, the link either
// keeps giving both sides' input or closes with a reason, and never holds
// more than its ring. The first byte picks the latency and step length, the
// side, whether the other side leaves at the end of its bytes, and whether
// the bytes begin with a greeting: then its first 40 bytes are judged as the
// host judges a joining side's greeting (a partial one waits, anything else
// is refused, a different game is named), and an accepted one sets the link.
// A greeted joining side then judges the host's terms for the link (16
// bytes: a refused one ends the input, an accepted one sets the link's
// latency and step). A greeted side that the other side has left reads the
// game offer (joining) or the nickname (hosting) first. This side offers a
// state hash every 7 frames, so hash-carrying packets are compared with the
// other side's; a mismatch is a resync: a host sends its (stand-in) game, a
// joining side waits for the host's and loads only one of at most
// kMaxResyncBytes that is laid out as its own.

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "host/netplay_link.h"
#include "host/snapshot_layout.h"

namespace {

using namespace qgu::host;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// Time-outs come at once.
class InstantClock final : public IFrameClock {
 public:
  uint32_t NowMs() override { return now; }
  void SleepMs(int milliseconds) override { now += static_cast<uint32_t>(milliseconds) * 5000; }
  uint32_t now = 0;
};

const GameIdentity kGame{0x1111, 0x2222, 5, 0};

// A machine's snapshot as this side has it: a file header, a RAM block and a memory-map block.
std::vector<uint8_t> StandInSnapshot() {
  std::vector<uint8_t> bytes = {'P', 'a', 'r', 'v', 'a', 'l', 'u', 'n', 'e', ' ', 'S', 'T', 0, 0, 0, 2};
  bytes.resize(32, 0);
  for (auto [id, size] : {std::pair{"RAM DATA", 16}, std::pair{"MMU DATA", 68}}) {
    bytes.insert(bytes.end(), id, id + 8);
    const uint8_t header[8] = {0, 0, 0, 1, static_cast<uint8_t>(size), 0, 0, 0};
    bytes.insert(bytes.end(), header, header + 8);
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(i * 7));
  }
  return bytes;
}

ResyncHooks StandInHooks(int& loads) {
  static const std::vector<uint8_t> own = StandInSnapshot();
  ResyncHooks hooks;
  hooks.take = []() -> qgu::league::Result<std::vector<uint8_t>> { return own; };
  hooks.load = [&loads](std::span<const uint8_t> bytes) -> qgu::league::Status {
    Check(bytes.size() <= kMaxResyncBytes);
    if (const std::string differs = SnapshotLayoutDifference(own, bytes); !differs.empty()) {
      return qgu::league::Fail(differs);
    }
    ++loads;
    return {};
  };
  return hooks;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  std::span<const uint8_t> rest(data + 1, size - 1);
  NetGreeting greeting{flags & 7, (flags >> 3) & 3, 0, kGame};
  if (flags & 0x20) {
    const GreetingVerdict verdict = JudgeGreeting(rest.first(std::min(rest.size(), kGreetingBytes)), kGame);
    if (rest.size() < kGreetingBytes) {
      Check(verdict.kind == GreetingVerdict::Kind::kIncomplete || verdict.kind == GreetingVerdict::Kind::kRefused);
      return 0;
    }
    if (verdict.kind != GreetingVerdict::Kind::kAccepted) {
      Check(verdict.kind != GreetingVerdict::Kind::kIncomplete && !verdict.reason.empty());
      return 0;
    }
    Check(verdict.greeting.latency <= kMaxNetLatency && verdict.greeting.stepLength <= kMaxNetLatency);
    Check(DescribeGameDifference(kGame, verdict.greeting.game).empty());
    greeting = verdict.greeting;
    rest = rest.subspan(kGreetingBytes);
    if (!(flags & 0x80)) {
      const auto terms = DecodeTerms(rest.first(std::min(rest.size(), kTermsBytes)));
      if (!terms) {
        Check(!terms.error().empty());
        return 0;
      }
      Check(terms.value().delay.Frames() <= kMaxLinkDelayFrames);
      greeting.latency = terms.value().delay.latency;
      greeting.stepLength = terms.value().delay.stepLength;
      rest = rest.subspan(kTermsBytes);
    }
  }
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) return 0;
  ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
  const ssize_t written = ::write(ends[1], rest.data(), rest.size());
  (void)written;
  InstantClock clock;
  CNetplayLink link(clock);
  link.Adopt(ends[0], (flags & 0x80) != 0, greeting);
  int loads = 0;
  link.SetResyncHooks(StandInHooks(loads));
  if (flags & 0x40) ::close(ends[1]);
  // After a greeting (and once the other side's bytes are all there) comes the
  // game offer to a joining side, or the joining side's nickname to a host.
  if ((flags & 0x60) == 0x60) {
    if (flags & 0x80) {
      const auto nick = link.ReceiveNickName();
      if (nick) Check(!nick.value().empty() && nick.value().size() <= kMaxNickNameBytes);
      if (!nick) return link.Release(), 0;
    } else {
      const auto offer = link.ReceiveOffer();
      if (offer) Check(TeamRecordHash(offer.value().home) == kGame.homeRecordHash);
      if (!offer) return link.Release(), 0;
    }
  }
  for (int frame = 1; frame <= 600 && link.Connected(); ++frame) {
    // The other side takes what this side sends (a full socket is a wait of 10 real seconds).
    uint8_t sink[4096];
    while (!(flags & 0x40) && ::read(ends[1], sink, sizeof sink) > 0) {
    }
    const auto input = link.ExchangeFrameInput(static_cast<uint32_t>(frame));
    Check(input.has_value() == link.Connected());
    Check(link.BufferedBytes() <= static_cast<int>(kNetRingBytes));
    if (frame % 7 == 0) link.OfferStateHash(frame, 0x9E3779B97F4A7C15ull * static_cast<uint64_t>(frame));
  }
  Check(link.Connected() || !link.CloseReason().empty());
  if (!(flags & 0x80)) Check(link.Resyncs() == loads);  // a joining side goes on only from a game it loaded
  link.Release();
  if (!(flags & 0x40)) ::close(ends[1]);
  return 0;
}
