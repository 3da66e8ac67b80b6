// Rollback games at 60 frames a second through a relay that holds every byte
// back (one way, so the round trip is twice it), against the same game in
// lockstep through the relay without delay: per side the frames, rollbacks, frames run again,
// the waits, and the CPU time per frame (this process runs both sides; the
// figure is half of its user + system time over the frames). Not a Google
// Benchmark: it plays in real time; see docs/performance.md.
//
//   qgu-rollback-bench [--frames N] [--one-way MS]... (default 6600 frames: a
//   minute of play after the kickoff; one-way 0, 25 and 50 ms)

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

#include "tools/linked_rehearsal.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Row(const char* mode, int oneWayMs, const qgu::tools::RehearsedSide& side, const char* which, double cpu,
         double wall) {
  const auto& c = side.counters;
  const double minutes = static_cast<double>(side.frames) / 3600.0;
  std::printf("| %s | %d ms | %s | %lld | %.1f | %lld | %d | %lld | %lld | %.3f | %.0f |\n", mode, 2 * oneWayMs, which,
              static_cast<long long>(side.frames), minutes > 0 ? c.rollbacks / minutes : 0.0,
              static_cast<long long>(c.framesRerun), c.longestRollback, static_cast<long long>(c.driverRestores),
              static_cast<long long>(c.waits), side.frames > 0 ? 1000.0 * cpu / 2 / side.frames : 0.0, wall);
}

}  // namespace

int main(int argc, char** argv) {
  int64_t frames = 6600;
  std::vector<int> oneWays;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--frames") == 0) frames = std::atoll(argv[i + 1]);
    if (std::strcmp(argv[i], "--one-way") == 0) oneWays.push_back(std::atoi(argv[i + 1]));
  }
  if (oneWays.empty()) oneWays = {0, 25, 50};
  const qgu::tools::CTemporaryLeague league;
  std::printf("| mode | round trip | side | frames | rollbacks a minute | frames run again | longest | "
              "driver goings-back | frames waited | CPU ms a frame | wall s |\n|---|---|---|---|---|---|---|---|---|---|---|\n");
  auto play = [&](qgu::host::NetMode mode, int oneWayMs) {
    const double cpu = CpuSeconds();
    const auto started = std::chrono::steady_clock::now();
    const auto [host, joiner] = qgu::tools::PlayRehearsalOverSocketPair(league, mode, std::chrono::milliseconds(oneWayMs),
                                                                         true, frames);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double used = CpuSeconds() - cpu;
    const char* name = qgu::host::NetModeName(mode);
    Row(name, oneWayMs, host, "host", used, wall);
    Row(name, oneWayMs, joiner, "joining", used, wall);
    for (const auto* side : {&host, &joiner}) {
      if (!side->linkClosed.empty()) std::printf("(the link closed: %s)\n", side->linkClosed.c_str());
    }
    const size_t both = std::min(host.hashes.size(), joiner.hashes.size());
    for (size_t i = 0; i < both; ++i) {
      if (host.hashes[i] == joiner.hashes[i]) continue;
      std::printf("(the two sides' states differ at frame %lld)\n", static_cast<long long>(host.hashes[i].first));
      break;
    }
    std::fflush(stdout);
  };
  play(qgu::host::NetMode::kLockstep, 0);
  for (int oneWay : oneWays) play(qgu::host::NetMode::kRollback, oneWay);
  return 0;
}
