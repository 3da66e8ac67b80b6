#include "host/rollback_session.h"

#include <algorithm>
#include <stdexcept>

#include "host/emulator_thread.h"
#include "host/netplay_link.h"

namespace qgu::host {
namespace {

constexpr uint32_t kAllPadsA = 0x01010101u;  // the driver's press: A on every pad, as the ports make it
constexpr uint32_t kOwnPads = 0x00FF00FFu;   // a side's pads 1 and 3
// Frames this side may run ahead of the other beyond what the other runs
// ahead of it before a frame is held back, and frames the lead must last.
constexpr int kHoldAhead = 3;
constexpr int kHoldEvery = 30;

}  // namespace

// The confirmed frame's memory: read from its kept state while the machine
// stands further on; the first write (or a read outside console and
// cartridge RAM) brings the machine back to that frame.
class CRollbackSession::ObservedMemory final : public driver::IConsoleMemory {
 public:
  explicit ObservedMemory(CRollbackSession& session) : session_(session) {}

  uint8_t Read(uint16_t address) const override {
    CRollbackSession& s = session_;
    if (s.machineAt_ != s.observing_) {
      const core::MachineState& state = s.states_[Slot(s.observing_)];
      if (address < 0x800) return state.bytes[state.workRamAt + address];
      if (address >= 0x6000 && address < 0x8000 && state.cartridgeRamAt != 0) {
        return state.bytes[state.cartridgeRamAt + (address - 0x6000u)];
      }
      s.BringBackObserved();
    }
    return s.console_.Memory().Read(address);
  }
  void Write(uint16_t address, uint8_t value) override {
    session_.BringBackObserved();
    session_.console_.Memory().Write(address, value);
    session_.observedWritten_ = true;
  }

 private:
  CRollbackSession& session_;
};

CRollbackSession::CRollbackSession(CRollbackLink& link, bool isHost, IFrameConsole& console, IInputSource* input,
                                   std::mutex& frameMutex, Hooks hooks)
    : link_(link), isHost_(isHost), console_(console), input_(input), frameMutex_(frameMutex), hooks_(std::move(hooks)) {}

size_t CRollbackSession::Slot(int64_t frame) { return static_cast<size_t>(frame) % kKept; }

void CRollbackSession::Begin() {
  begun_ = true;
  holds_ = hooks_.driverHoldsInput();
  if (hooks_.takePressA()) pressFrame_ = 1;
  if (!console_.SaveState(states_[0])) throw std::runtime_error("this machine cannot keep its state for a rollback game");
  // The frames before this side's first reading have no input of its own.
  for (int64_t frame = 1; frame <= kRollbackInputDelay; ++frame) {
    local_[Slot(frame)] = 0;
    link_.SendInput(frame, 0, 0);
  }
}

CRollbackSession::Step CRollbackSession::RunFrame(bool draw) {
  std::unique_lock lock(frameMutex_);
  if (!begun_) Begin();
  // Once the link has closed, the frames the other side's input came for are
  // still played with it (both sides stop at the same frame that way); then
  // the game goes on without the session.
  if (!linkLost_ && !link_.Receive()) linkLost_ = true;
  TakeRemoteInput();
  if (linkLost_ && present_ >= link_.RemoteFrames()) return End(lock);
  if (!linkLost_ && holds_ && !WaitWhileAhead()) {
    linkLost_ = true;
    TakeRemoteInput();
    if (present_ >= link_.RemoteFrames()) return End(lock);
  }
  if (!linkLost_ && !holds_ && Held()) {
    Publish();
    return Step::kHeld;
  }
  const int64_t frame = present_ + 1;
  ReadLocalInput(frame);
  if (!linkLost_ && !WaitForWindow(lock)) {
    linkLost_ = true;
    TakeRemoteInput();
    if (present_ >= link_.RemoteFrames()) return End(lock);
  }
  if (firstWrong_ != 0) {
    const int back = static_cast<int>(present_ - firstWrong_ + 1);
    Restore(firstWrong_ - 1);
    firstWrong_ = 0;
    ++counters_.rollbacks;
    counters_.longestRollback = std::max(counters_.longestRollback, back);
  }
  Walk(frame, draw, lock);
  ++counters_.frames;
  Publish();
  return Step::kRan;
}

// How much further this side runs ahead of the other side's input than the
// other runs ahead of this side's: twice the frames it plays ahead of the other.
int CRollbackSession::Lead() const {
  return static_cast<int>(present_ - link_.RemoteFrames()) - link_.RemoteAdvantage();
}

// Holds a frame back while this side has led for kHoldEvery frames running,
// so that both go back about as far. In play each hold is a frame this side
// never runs, so a lead that lasts is needed: the other side kept off the
// processor a moment falls behind and catches up undrawn within a pass or two,
// and a frame held meanwhile would leave this side behind for good.
bool CRollbackSession::Held() {
  if (present_ == 0 || Lead() < kHoldAhead) {
    leadFrames_ = 0;
    return false;
  }
  if (++leadFrames_ < kHoldEvery) return false;
  leadFrames_ = 0;
  ++counters_.framesHeld;
  return true;
}

// While the driver holds the input (the boot, which the window runs
// unpaced) the side that leads waits for the other side's input instead:
// frames on the driver's input are never guessed wrong, so running ahead
// there buys nothing, and the lead a side raced to by the kickoff was held
// off in play, a frame at a time, each a frame short of 60 a second. Both
// sides cannot wait at once: each one's lead counts the other's as it was
// sent, and the two add up to 2 at most.
bool CRollbackSession::WaitWhileAhead() {
  while (present_ > 0 && Lead() >= kHoldAhead) {
    if (!link_.WaitForInput(hooks_.waiting)) return false;
    TakeRemoteInput();
  }
  return true;
}

void CRollbackSession::ReadLocalInput(int64_t frame) {
  const int64_t stamp = frame + kRollbackInputDelay;
  if (input_ != nullptr) {
    input_->PollForFrame(frame);
    console_.SetPadButtons(input_->PadButtons());
  } else {
    console_.SetPadButtons({});
  }
  console_.SyncInput(false);
  const uint32_t local = console_.FrameInput() & kOwnPads;
  local_[Slot(stamp)] = local;
  link_.SendInput(stamp, local, static_cast<int>(present_ - link_.RemoteFrames()));
}

// Compares the other side's input that has come with the guesses frames ran on.
void CRollbackSession::TakeRemoteInput() {
  const int64_t known = link_.RemoteFrames();
  for (int64_t frame = checked_ + 1; frame <= std::min(known, present_); ++frame) {
    const size_t slot = Slot(frame);
    // While the driver holds the input the other side's does not reach the pads.
    if (ranHeld_[slot] || link_.RemoteInput(frame) == guessed_[slot]) continue;
    if (firstWrong_ == 0 || frame < firstWrong_) firstWrong_ = frame;
  }
  checked_ = std::max(checked_, known);
}

bool CRollbackSession::WaitForWindow(std::unique_lock<std::mutex>&) {
  if (present_ + 1 - link_.RemoteFrames() <= kRollbackWindow) return true;
  if (!holds_) ++counters_.waits;  // counted in play only, as the held frames
  while (present_ + 1 - link_.RemoteFrames() > kRollbackWindow) {
    if (!link_.WaitForInput(hooks_.waiting)) return false;
    TakeRemoteInput();
  }
  return true;
}

// Runs the machine on to target, observing each frame as soon as it is
// confirmed (and going back when the driver acts).
void CRollbackSession::Walk(int64_t target, bool draw, std::unique_lock<std::mutex>& lock) {
  for (;;) {
    while (confirmed_ < machineAt_ && (linkLost_ || confirmed_ < link_.RemoteFrames())) {
      ObserveConfirmed(confirmed_ + 1, lock);
    }
    if (machineAt_ >= target) break;
    const int64_t next = machineAt_ + 1;
    Run(next, draw && next == target, next <= present_);
  }
  present_ = std::max(present_, target);
}

void CRollbackSession::ObserveConfirmed(int64_t frame, std::unique_lock<std::mutex>& lock) {
  const int64_t before = machineAt_;
  link_.FrameConfirmed(frame, both_[Slot(frame)]);
  observing_ = frame;
  observedWritten_ = false;
  lock.unlock();
  try {
    hooks_.observe(frame);
  } catch (...) {
    lock.lock();
    observing_ = 0;
    throw;
  }
  lock.lock();
  observing_ = 0;
  confirmed_ = frame;
  // What the driver did applies from the next frame on.
  const bool press = hooks_.takePressA();
  if (press) pressFrame_ = frame + 1;
  const bool holds = hooks_.driverHoldsInput();
  const bool changed = press || holds != holds_;
  holds_ = holds;
  if (observedWritten_) {
    console_.SaveState(states_[Slot(frame)]);  // its writes belong to this frame's state now
  } else if (changed && machineAt_ > frame) {
    Restore(frame);
  }
  if (machineAt_ < before) {
    ++counters_.driverRestores;
    counters_.framesRerunForDriver += before - frame;
  }
}

void CRollbackSession::Run(int64_t frame, bool draw, bool rerun) {
  const size_t slot = Slot(frame);
  const bool press = frame == pressFrame_;
  const uint32_t remote = RemoteGuess(frame);
  const uint32_t both = isHost_ ? CombineFrameInput(local_[slot], remote) : CombineFrameInput(remote, local_[slot]);
  const uint32_t input = (press ? kAllPadsA : 0) | (holds_ ? 0 : both);
  both_[slot] = both;
  guessed_[slot] = remote;
  ranHeld_[slot] = holds_;
  console_.SetFrameInput(input);
  if (rerun) {
    console_.SetSoundHeard(false);
    ++counters_.framesRerun;
  }
  try {
    console_.RunFrame(draw);
  } catch (...) {
    console_.SetSoundHeard(true);
    throw;
  }
  console_.SetSoundHeard(true);
  console_.SaveState(states_[slot]);
  machineAt_ = frame;
}

void CRollbackSession::Restore(int64_t frame) {
  if (frame < confirmed_ || present_ - frame >= static_cast<int64_t>(kKept)) {
    throw std::logic_error("a rollback went back to a frame no longer kept");
  }
  console_.RestoreState(states_[Slot(frame)]);
  machineAt_ = frame;
}

void CRollbackSession::BringBackObserved() {
  if (machineAt_ != observing_) Restore(observing_);
}

uint32_t CRollbackSession::RemoteGuess(int64_t frame) const {
  const int64_t known = link_.RemoteFrames();
  return link_.RemoteInput(std::min(frame, known));
}

// The link has closed: what came before counts, and the frames run since are
// observed as played.
CRollbackSession::Step CRollbackSession::End(std::unique_lock<std::mutex>& lock) {
  linkLost_ = true;
  if (firstWrong_ != 0) {
    Restore(firstWrong_ - 1);
    firstWrong_ = 0;
    ++counters_.rollbacks;
  }
  Walk(present_, false, lock);
  active_ = false;
  Publish();
  return Step::kEnded;
}

void CRollbackSession::WithObservedMemory(const std::function<void(driver::IConsoleMemory&)>& step) {
  ObservedMemory memory(*this);
  step(memory);
}

std::optional<uint64_t> CRollbackSession::ObservedStateHash() const {
  if (observing_ == 0) return std::nullopt;
  return HashBytes(states_[Slot(observing_)].bytes);
}

std::optional<std::vector<uint8_t>> CRollbackSession::ObservedState() const {
  if (observing_ == 0) return std::nullopt;
  return states_[Slot(observing_)].bytes;
}

void CRollbackSession::Publish() { link_.SetCounters(counters_); }

}  // namespace qgu::host
