// Rollback games. A whole game of 1-minute quarters, the home side played by
// scripted human-like pads, linked in lockstep over a socket pair and in
// rollback through a relay that holds every byte back a little (so each side
// runs ahead on guesses and goes back often): both sides of both modes see
// the same machine state every 60 frames and the same box score. The same
// game with a round trip of 100 ms (netem in a network namespace of the
// test's own, or a relay delaying 50 ms each way; rollback_delay.sh sets it
// up) at 60 frames a second: the local input takes effect within 2 frames,
// the frames rarely wait, and the game equals the lockstep one. And the
// machine's state in memory: a snapshot file's bytes exactly, and going back
// to it and running the same frames again gives the same frames.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <future>
#include <iterator>
#include <thread>
#include <vector>

#include "core/controller_ports.h"
#include "core/machine.h"
#include "core/snapshot.h"
#include "driver/box_score.h"
#include "driver/play_calling.h"
#include "host/linked_game.h"
#include "host/netplay_link.h"
#include "tools/game_run.h"

namespace qgu::host {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kSeed = 21;
constexpr int kLockstepLatency = 1;
constexpr int64_t kPadsFrom = 3000;  // well after the driver hands the input over

// A person at controller 1 after the kickoff: a direction held for a while,
// now and then A or B for a few frames, never Start.
uint16_t HumanButtons(int64_t frame) {
  if (frame < kPadsFrom) return 0;
  const uint64_t stretch = static_cast<uint64_t>(frame / 23);
  const uint64_t mix = (stretch * 0x9E3779B97F4A7C15ull) >> 40;
  uint16_t buttons = 0;
  static constexpr int kDirections[] = {core::kHostUp, core::kHostDown, core::kHostLeft, core::kHostRight};
  if ((mix & 3) != 0) buttons |= static_cast<uint16_t>(1u << kDirections[(mix >> 2) & 3]);
  if (frame % 23 < 4 && (mix & 0x30) != 0) buttons |= static_cast<uint16_t>(1u << ((mix & 0x40) ? core::kHostA : core::kHostB));
  return buttons;
}

// Scripted pads: the input used at frame m is HumanButtons(m) in either mode,
// whatever the mode's delay between reading and using.
class CScriptedPads final : public IInputSource {
 public:
  explicit CScriptedPads(int delay) : delay_(delay) {}
  void Poll() override {}
  void PollForFrame(int64_t frame) override { pads_ = {HumanButtons(frame + delay_), 0, 0, 0}; }
  std::array<uint16_t, 4> PadButtons() const override { return pads_; }

 private:
  int delay_;
  std::array<uint16_t, 4> pads_{};
};

// Passes bytes between two sockets, each held back by the delay.
class CDelayingRelay {
 public:
  CDelayingRelay(int a, int b, std::chrono::milliseconds delay) : ends_{a, b}, delay_(delay) {
    thread_ = std::thread([this] { Run(); });
  }
  ~CDelayingRelay() {
    stop_ = true;
    thread_.join();
    for (int end : ends_) ::close(end);
  }

 private:
  struct Chunk {
    Clock::time_point due;
    std::vector<uint8_t> bytes;
  };
  void Run() {
    std::array<std::deque<Chunk>, 2> queued;  // towards end 1, towards end 0
    std::array<bool, 2> open = {true, true};
    while (!stop_ && (open[0] || open[1] || !queued[0].empty() || !queued[1].empty())) {
      pollfd readable[2] = {{ends_[0], POLLIN, 0}, {ends_[1], POLLIN, 0}};
      ::poll(readable, 2, 1);
      for (int from = 0; from < 2; ++from) {
        if (!open[from] || (readable[from].revents & (POLLIN | POLLHUP)) == 0) continue;
        std::vector<uint8_t> bytes(4096);
        const ssize_t got = ::recv(ends_[from], bytes.data(), bytes.size(), MSG_DONTWAIT);
        if (got <= 0) {
          open[from] = false;
          continue;
        }
        bytes.resize(static_cast<size_t>(got));
        queued[from].push_back({Clock::now() + delay_, std::move(bytes)});
      }
      for (int from = 0; from < 2; ++from) {
        while (!queued[from].empty() && queued[from].front().due <= Clock::now()) {
          const auto& bytes = queued[from].front().bytes;
          if (::send(ends_[1 - from], bytes.data(), bytes.size(), MSG_NOSIGNAL) < 0) open[1 - from] = false;
          queued[from].pop_front();
        }
        if (!open[from] && queued[from].empty()) ::shutdown(ends_[1 - from], SHUT_WR);
      }
    }
  }

  std::array<int, 2> ends_;
  std::chrono::milliseconds delay_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct SidePlayed {
  std::vector<std::pair<int64_t, uint64_t>> hashes;
  std::string boxScore;
  std::string linkClosed;
  std::string error;
  RollbackCounters counters;
};

SidePlayed PlaySide(driver::CGameManager& manager, CNetplayLink& link, IInputSource* pads, bool realTime) {
  SidePlayed played;
  LinkedGameOptions options;
  options.input = pads;
  options.realTime = realTime;
  options.stateHash = [&](int64_t frame, uint64_t hash) { played.hashes.emplace_back(frame, hash); };
  const LinkedGameResult result = PlayLinkedGame(manager, link, options);
  if (result.summary) played.boxScore = driver::BoxScoreText(*result.summary);
  played.linkClosed = result.linkClosed;
  played.error = result.error;
  if (const CRollbackLink* rollback = link.Rollback()) played.counters = rollback->Counters();
  return played;
}

std::unique_ptr<driver::CGameManager> HumanAgainstComputer(const tools::CTemporaryLeague& league) {
  auto manager = league.PrepareComGame(kSeed, 1);
  manager->SetControls(driver::kControlMan, driver::kControlCom);
  if (!manager->PrepareGame()) throw std::runtime_error("the game could not be prepared");
  return manager;
}

// Host and joining side linked over the two ends; the host's pads are scripted.
std::pair<SidePlayed, SidePlayed> PlayLinked(const tools::CTemporaryLeague& league, CNetplayLink& host,
                                             CNetplayLink& joiner, bool realTime) {
  const int delay = host.Rollback() != nullptr ? kRollbackInputDelay : kLockstepLatency + 1;
  auto hostGame = HumanAgainstComputer(league);
  auto joinerGame = HumanAgainstComputer(league);
  CScriptedPads pads(delay);
  auto joined = std::async(std::launch::async, [&] { return PlaySide(*joinerGame, joiner, nullptr, realTime); });
  SidePlayed hosted = PlaySide(*hostGame, host, &pads, realTime);
  return {std::move(hosted), joined.get()};
}

std::pair<SidePlayed, SidePlayed> PlayOverSocketPair(const tools::CTemporaryLeague& league, NetMode mode,
                                                     std::chrono::milliseconds relayDelay) {
  int ends[2], relayed[2];
  EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
  EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, relayed), 0);
  std::optional<CDelayingRelay> relay;
  if (relayDelay.count() > 0) relay.emplace(ends[1], relayed[0], relayDelay);
  const NetGreeting greeting{kLockstepLatency, 0, kSeed, {}, mode};
  CNetplayLink host, joiner;
  host.Adopt(ends[0], true, greeting);
  joiner.Adopt(relay ? relayed[1] : ends[1], false, greeting);
  if (!relay) ::close(relayed[0]), ::close(relayed[1]);
  return PlayLinked(league, host, joiner, false);
}

void ExpectSameGame(const SidePlayed& played, const SidePlayed& reference, const char* what) {
  EXPECT_EQ(played.linkClosed, "") << what;
  EXPECT_EQ(played.error, "") << what;
  EXPECT_FALSE(played.boxScore.empty()) << what;
  EXPECT_EQ(played.boxScore, reference.boxScore) << what;
  // After the summary each side runs on until it is stopped: a hash more or less there.
  const size_t both = std::min(played.hashes.size(), reference.hashes.size());
  EXPECT_GE(both + 2, std::max(played.hashes.size(), reference.hashes.size())) << what;
  for (size_t i = 0; i < both; ++i) {
    ASSERT_EQ(played.hashes[i], reference.hashes[i]) << what << ": the states part at hash " << i;
  }
}

TEST(Rollback, BothModesPlayTheSameGameForTheSameInput) {
  const tools::CTemporaryLeague league;
  const auto [lockHost, lockJoiner] = PlayOverSocketPair(league, NetMode::kLockstep, std::chrono::milliseconds(0));
  ASSERT_FALSE(lockHost.boxScore.empty()) << lockHost.error << lockHost.linkClosed;
  ExpectSameGame(lockJoiner, lockHost, "lockstep, joining side");
  const auto [rollHost, rollJoiner] = PlayOverSocketPair(league, NetMode::kRollback, std::chrono::milliseconds(2));
  ExpectSameGame(rollHost, lockHost, "rollback, host");
  ExpectSameGame(rollJoiner, lockHost, "rollback, joining side");
  // The joining side guessed the host's pads and went back whenever they changed.
  EXPECT_GT(rollJoiner.counters.rollbacks, 100);
  EXPECT_GT(rollJoiner.counters.framesRerun, rollJoiner.counters.rollbacks);
  EXPECT_LE(rollJoiner.counters.longestRollback, kRollbackWindow + kRollbackInputDelay);
  EXPECT_GT(rollHost.counters.driverRestores, 0);
  std::cout << "host:    " << RollbackSummary(rollHost.counters) << "\njoining: " << RollbackSummary(rollJoiner.counters)
            << "\n";
}

// Run by rollback_delay.sh: QGU_ROLLBACK_DELAY=netem (the loopback of this
// network namespace delays 50 ms each way) or relay.
TEST(Rollback, AHundredMillisecondRoundTripKeepsTheLocalInputWithinTwoFrames) {
  const char* how = std::getenv("QGU_ROLLBACK_DELAY");
  if (how == nullptr) GTEST_SKIP() << "rollback_delay.sh runs this with a delayed loopback";
  const tools::CTemporaryLeague league;
  const auto [reference, unused] = PlayOverSocketPair(league, NetMode::kLockstep, std::chrono::milliseconds(0));

  // Real sockets over loopback, greetings and all.
  const GameIdentity game{1, 2, 1, 0, 0};
  CNetplayLink host, joiner;
  std::optional<CDelayingRelay> relay;
  uint16_t port = 0;
  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  ::close(listener);
  uint16_t joinPort = port;
  int relayEnds[2] = {-1, -1};
  if (std::string(how) == "relay") {
    // The joining side connects to the relay's end, which forwards to the host's port.
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, relayEnds), 0);
  }
  auto hosted = std::async(std::launch::async, [&] {
    HostOptions options;
    options.timeoutMs = 30000;
    return host.Host({"127.0.0.1", port}, {0, 0, kSeed, game, NetMode::kRollback}, options);
  });
  if (relayEnds[0] >= 0) {
    // Connect to the host ourselves and relay it to a socket pair the joining side adopts after the greeting.
    int toHost = -1;
    for (int tries = 0; tries < 200 && toHost < 0; ++tries) {
      toHost = ::socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in at = address;
      at.sin_port = htons(port);
      if (::connect(toHost, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
        ::close(toHost);
        toHost = -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    ASSERT_GE(toHost, 0);
    relay.emplace(toHost, relayEnds[0], std::chrono::milliseconds(50));
    // The joining side's greeting by hand over the relayed end.
    std::array<uint8_t, kGreetingBytes> hello{};
    size_t got = 0;
    while (got < hello.size()) {
      const ssize_t n = ::recv(relayEnds[1], hello.data() + got, hello.size() - got, 0);
      ASSERT_GT(n, 0);
      got += static_cast<size_t>(n);
    }
    const auto greeting = DecodeGreeting(hello);
    ASSERT_TRUE(greeting.has_value());
    const auto answer = EncodeGreeting(*greeting);
    ASSERT_EQ(::send(relayEnds[1], answer.data(), answer.size(), 0), static_cast<ssize_t>(answer.size()));
    std::array<uint8_t, kTermsBytes> terms{};
    for (size_t at = 0; at < terms.size();) {
      const ssize_t n = ::recv(relayEnds[1], terms.data() + at, terms.size() - at, 0);
      ASSERT_GT(n, 0);
      at += static_cast<size_t>(n);
    }
    ASSERT_TRUE(DecodeTerms(terms));
    joiner.Adopt(relayEnds[1], false, *greeting);
  } else {
    const auto joined = joiner.Join("127.0.0.1", joinPort, game, 10000);
    ASSERT_TRUE(joined) << joined.error();
  }
  const auto met = hosted.get();
  ASSERT_TRUE(met) << met.error();
  const auto started = Clock::now();
  const auto [rollHost, rollJoiner] = PlayLinked(league, host, joiner, true);
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  ExpectSameGame(rollHost, reference, "host");
  ExpectSameGame(rollJoiner, reference, "joining side");
  for (const SidePlayed* side : {&rollHost, &rollJoiner}) {
    EXPECT_LE(side->counters.inputDelay, 2);
    // The window holds a round trip of 100 ms: the frames seldom wait for the other side.
    EXPECT_LT(side->counters.waits, side->counters.frames / 100) << RollbackSummary(side->counters);
    EXPECT_LE(side->counters.longestRollback, kRollbackWindow + kRollbackInputDelay);
  }
  std::cout << how << ", " << seconds << " s\nhost:    " << RollbackSummary(rollHost.counters)
            << "\njoining: " << RollbackSummary(rollJoiner.counters) << "\n";
}

// The state in memory is the snapshot file's bytes, and going back to it and
// running the same frames again gives the same frames (with the sound unit's
// timing copy, which the file leaves out, restored too).
TEST(Rollback, GoingBackToAKeptStateAndRunningOnGivesTheSameFrames) {
  const tools::CTemporaryLeague league;
  auto manager = HumanAgainstComputer(league);
  core::CMachine machine(manager->WorkingImage());
  auto runFrames = [&](int64_t from, int count, std::vector<core::MachineState>& states) {
    for (int i = 0; i < count; ++i) {
      machine.ControllerPorts().SetFrameInput(static_cast<uint32_t>(((from + i) / 7 * 37) & 0xFF) * 0x0101u);
      machine.RunFrame(false);
      machine.SaveState(states.emplace_back());
    }
  };
  std::vector<core::MachineState> first, again;
  core::MachineState start;
  for (int i = 0; i < 600; ++i) machine.RunFrame(false);
  machine.SaveState(start);
  runFrames(0, 240, first);
  machine.RestoreState(start);
  runFrames(0, 240, again);
  for (size_t i = 0; i < first.size(); ++i) ASSERT_EQ(first[i].bytes, again[i].bytes) << "frame " << i;

  const std::string path = testing::TempDir() + "/rollback-state.sav";
  machine.SaveSnapshot(path);
  std::ifstream file(path, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  EXPECT_EQ(bytes, again.back().bytes);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace qgu::host
