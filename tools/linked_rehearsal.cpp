#include "tools/linked_rehearsal.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <future>
#include <optional>
#include <stdexcept>

#include "core/controller_ports.h"
#include "driver/box_score.h"
#include "driver/play_calling.h"
#include "host/linked_game.h"

namespace qgu::tools {

using Clock = std::chrono::steady_clock;

uint16_t RehearsedButtons(int64_t frame) {
  if (frame < kRehearsalPadsFrom) return 0;
  static constexpr int kDirections[] = {core::kHostUp, core::kHostDown, core::kHostLeft, core::kHostRight};
  const uint64_t stretch = static_cast<uint64_t>(frame / 23);
  const uint64_t mix = (stretch * 0x9E3779B97F4A7C15ull) >> 40;
  uint16_t buttons = 0;
  if ((mix & 3) != 0) buttons |= static_cast<uint16_t>(1u << kDirections[(mix >> 2) & 3]);
  if (frame % 23 < 4 && (mix & 0x30) != 0) {
    buttons |= static_cast<uint16_t>(1u << ((mix & 0x40) != 0 ? core::kHostA : core::kHostB));
  }
  return buttons;
}

CDelayingRelay::CDelayingRelay(int a, int b, std::chrono::milliseconds delay) : ends_{a, b}, delay_(delay) {
  thread_ = std::thread([this] { Run(); });
}

CDelayingRelay::~CDelayingRelay() {
  stop_ = true;
  thread_.join();
  for (int end : ends_) ::close(end);
}

void CDelayingRelay::Run() {
  struct Chunk {
    Clock::time_point due;
    std::vector<uint8_t> bytes;
  };
  std::array<std::deque<Chunk>, 2> queued;  // from end 0, from end 1
  std::array<bool, 2> open = {true, true};
  while (!stop_ && (open[0] || open[1] || !queued[0].empty() || !queued[1].empty())) {
    // Wakes for the next byte to come or the next chunk due, at most 20 ms apart (for the stop).
    int waitMs = 20;
    for (const auto& queue : queued) {
      if (queue.empty()) continue;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(queue.front().due - Clock::now());
      waitMs = std::clamp(static_cast<int>(left.count()), 0, waitMs);
    }
    pollfd readable[2] = {{ends_[0], static_cast<short>(open[0] ? POLLIN : 0), 0},
                          {ends_[1], static_cast<short>(open[1] ? POLLIN : 0), 0}};
    ::poll(readable, 2, waitMs);
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

std::unique_ptr<driver::CGameManager> RehearsalGame(const CTemporaryLeague& league) {
  auto manager = league.PrepareComGame(kRehearsalSeed, 1);
  manager->SetControls(driver::kControlMan, driver::kControlCom);
  if (!manager->PrepareGame()) throw std::runtime_error("the game could not be prepared");
  return manager;
}

namespace {

RehearsedSide PlaySide(driver::CGameManager& manager, host::CNetplayLink& link, host::IInputSource* pads, bool realTime,
                       int64_t maxFrames) {
  RehearsedSide played;
  host::LinkedGameOptions options;
  options.input = pads;
  options.realTime = realTime;
  options.maxFrames = maxFrames;
  options.stateHash = [&](int64_t frame, uint64_t hash) { played.hashes.emplace_back(frame, hash); };
  const host::LinkedGameResult result = host::PlayLinkedGame(manager, link, options);
  if (result.summary) played.boxScore = driver::BoxScoreText(*result.summary);
  played.linkClosed = result.linkClosed;
  played.error = result.error;
  played.frames = result.frames;
  if (const host::CRollbackLink* rollback = link.Rollback()) played.counters = rollback->Counters();
  return played;
}

}  // namespace

std::pair<RehearsedSide, RehearsedSide> PlayRehearsal(const CTemporaryLeague& league, host::CNetplayLink& host,
                                                      host::CNetplayLink& joiner, bool realTime, int64_t maxFrames) {
  const int delay = host.Rollback() != nullptr ? host::kRollbackInputDelay : kRehearsalLatency + 1;
  auto hostGame = RehearsalGame(league);
  auto joinerGame = RehearsalGame(league);
  CRehearsedPads pads(delay);
  auto joined = std::async(std::launch::async,
                           [&] { return PlaySide(*joinerGame, joiner, nullptr, realTime, maxFrames); });
  RehearsedSide hosted = PlaySide(*hostGame, host, &pads, realTime, maxFrames);
  return {std::move(hosted), joined.get()};
}

std::pair<RehearsedSide, RehearsedSide> PlayRehearsalOverSocketPair(const CTemporaryLeague& league, host::NetMode mode,
                                                                    std::chrono::milliseconds oneWay, bool realTime,
                                                                    int64_t maxFrames) {
  int ends[2], relayed[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, relayed) != 0) {
    throw std::runtime_error("no socket pair");
  }
  std::optional<CDelayingRelay> relay;
  if (oneWay.count() >= 0) {
    relay.emplace(ends[1], relayed[0], oneWay);
  } else {
    ::close(relayed[0]);
    ::close(relayed[1]);
  }
  const host::NetGreeting greeting{kRehearsalLatency, 0, kRehearsalSeed, {}, mode};
  host::CNetplayLink host, joiner;
  host.Adopt(ends[0], true, greeting);
  joiner.Adopt(relay ? relayed[1] : ends[1], false, greeting);
  return PlayRehearsal(league, host, joiner, realTime, maxFrames);
}

}  // namespace qgu::tools
