// The netplay link's receiver: whatever the other side sends (the first byte
// picks the latency and step length), the link either keeps giving both
// sides' input or closes with a reason, and never holds more than its ring.

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "host/netplay_link.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) return 0;
  ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
  const ssize_t written = ::write(ends[1], data + 1, size - 1);
  (void)written;
  InstantClock clock;
  CNetplayLink link(clock);
  link.Adopt(ends[0], (data[0] & 0x80) != 0, {data[0] & 7, (data[0] >> 3) & 3, 0});
  if (data[0] & 0x40) ::close(ends[1]);
  for (int frame = 0; frame < 600 && link.Connected(); ++frame) {
    const auto input = link.ExchangeFrameInput(static_cast<uint32_t>(frame));
    Check(input.has_value() == link.Connected());
    Check(link.BufferedBytes() <= static_cast<int>(kNetRingBytes));
  }
  Check(link.Connected() || !link.CloseReason().empty());
  link.Release();
  if (!(data[0] & 0x40)) ::close(ends[1]);
  return 0;
}
