#pragma once
// Linked games rehearsed in one process, for the rollback tests and the
// rollback benchmark: a person at the host's controller 1 played by a script,
// a relay that holds every byte back (a slow network on loopback), and a
// whole linked game of both sides with their state hashes and box scores.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "driver/game_manager.h"
#include "host/netplay_link.h"
#include "host/runtime_devices.h"
#include "tools/game_run.h"

namespace qgu::tools {

inline constexpr uint32_t kRehearsalSeed = 21;
inline constexpr int64_t kRehearsalPadsFrom = 3000;  // well after the driver hands the input over

// The host buttons a person presses at controller 1 at a frame after the
// kickoff: a direction held for a while, now and then A or B, never Start.
uint16_t RehearsedButtons(int64_t frame);

// The pads used at frame m are RehearsedButtons(m) in either mode, whatever
// the mode's delay between reading and using.
class CRehearsedPads final : public host::IInputSource {
 public:
  explicit CRehearsedPads(int delay) : delay_(delay) {}
  void Poll() override {}
  void PollForFrame(int64_t frame) override { pads_ = {RehearsedButtons(frame + delay_), 0, 0, 0}; }
  std::array<uint16_t, 4> PadButtons() const override { return pads_; }

 private:
  int delay_;
  std::array<uint16_t, 4> pads_{};
};

// Passes bytes between two sockets, each held back by the delay; owns both.
class CDelayingRelay {
 public:
  CDelayingRelay(int a, int b, std::chrono::milliseconds delay);
  ~CDelayingRelay();
  CDelayingRelay(const CDelayingRelay&) = delete;
  CDelayingRelay& operator=(const CDelayingRelay&) = delete;

 private:
  void Run();
  std::array<int, 2> ends_;
  std::chrono::milliseconds delay_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct RehearsedSide {
  std::vector<std::pair<int64_t, uint64_t>> hashes;  // every 60 frames
  std::string boxScore;
  std::string linkClosed;
  std::string error;
  host::RollbackCounters counters;
  int64_t frames = 0;
};

// The home side MAN (the host's scripted pads), the away side COM, 1-minute quarters.
std::unique_ptr<driver::CGameManager> RehearsalGame(const CTemporaryLeague& league);

// Both sides of a game over two linked ends (the host's pads scripted).
// maxFrames 0: to the summary. realTime: 60 frames a second.
std::pair<RehearsedSide, RehearsedSide> PlayRehearsal(const CTemporaryLeague& league, host::CNetplayLink& host,
                                                      host::CNetplayLink& joiner, bool realTime, int64_t maxFrames = 0);

// The same over a socket pair, through a relay holding each byte back
// oneWay (0: a relay passing bytes on at once; negative: no relay).
std::pair<RehearsedSide, RehearsedSide> PlayRehearsalOverSocketPair(const CTemporaryLeague& league, host::NetMode mode,
                                                                    std::chrono::milliseconds oneWay, bool realTime,
                                                                    int64_t maxFrames = 0);

// Packets of delay of the lockstep rehearsal.
inline constexpr int kRehearsalLatency = 1;

}  // namespace qgu::tools
