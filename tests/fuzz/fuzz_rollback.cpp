// A rollback game's receiver: whatever the other side sends after the
// greetings, the link either takes the other side's input in order, never
// further ahead than a side keeping to the window can be, or closes with a
// reason; it never holds more than it keeps. The first byte picks the side,
// whether the other side leaves at the end of its bytes, and how many frames
// this side sends between two looks; this side offers a state hash every 5.

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
  const uint8_t flags = data[0];
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) return 0;
  ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
  const ssize_t written = ::write(ends[1], data + 1, size - 1);
  (void)written;
  if (flags & 0x40) ::close(ends[1]);
  InstantClock clock;
  CNetplayLink link(clock);
  NetGreeting greeting;
  greeting.mode = NetMode::kRollback;
  link.Adopt(ends[0], (flags & 0x80) != 0, greeting);
  CRollbackLink* rollback = link.Rollback();
  Check(rollback != nullptr);
  const int sendsPerLook = 1 + (flags & 7);
  int64_t frame = 0;
  for (int look = 0; look < 200 && link.Connected(); ++look) {
    for (int i = 0; i < sendsPerLook; ++i) {
      ++frame;
      rollback->SendInput(frame, static_cast<uint32_t>(frame) & 0x00FF00FFu, 0);
    }
    if (frame % 5 == 0) rollback->OfferStateHash(frame, 0x9E3779B97F4A7C15ull * static_cast<uint64_t>(frame));
    const bool open = rollback->Receive();
    Check(open == link.Connected());
    Check(rollback->RemoteFrames() <= frame + kRollbackWindow + kMaxRollbackInputDelay);
    Check((rollback->RemoteInput(rollback->RemoteFrames()) & ~0x00FF00FFu) == 0);
    Check(rollback->RemoteAdvantage() >= -kMaxFrameAdvantage && rollback->RemoteAdvantage() <= kMaxFrameAdvantage);
    if (flags & 0x20) rollback->WaitForInput({});
  }
  Check(link.Connected() || !link.CloseReason().empty());
  link.Release();
  if (!(flags & 0x40)) ::close(ends[1]);
  return 0;
}
