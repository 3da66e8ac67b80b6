// A whole regular season played headless, as `qgu2 season play` plays it:
// the wall time against one game alone, then the time to work out standings,
// leaders, bracket and the report from the journal, and the season's size on
// disk. Not a Google Benchmark: one season takes minutes. See docs/performance.md.
//
//   bench_season [--teams N] [--games G] [--quarter Q] [--jobs J]
//   (defaults: 28 teams of the default league, 16 games, 5-minute quarters, 2 jobs)

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "cartridge/builder/embedded_image.h"
#include "league/default_league.h"
#include "league/league_folders.h"
#include "season/season.h"
#include "season/season_play.h"
#include "season/season_text.h"

namespace fs = std::filesystem;
using namespace qgu::season;
using Clock = std::chrono::steady_clock;

namespace {

// CPU seconds of every thread of the process so far: on a shared machine the
// wall time says how loaded it was, the CPU time what the games cost.
double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "bench_season: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  int teams = 28, games = 16, quarter = 5, jobs = 2;
  for (int i = 1; i + 1 < argc; i += 2) {
    const int value = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--teams") == 0) teams = value;
    else if (std::strcmp(argv[i], "--games") == 0) games = value;
    else if (std::strcmp(argv[i], "--quarter") == 0) quarter = value;
    else if (std::strcmp(argv[i], "--jobs") == 0) jobs = value;
    else return Fail(std::string("unknown argument ") + argv[i]);
  }
  const auto image = qgu::cartridge::EmbeddedCartridgeImage();
  char pattern[] = "/tmp/bench-season-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return Fail("no scratch folder");
  const fs::path base = pattern;
  auto made = qgu::league::EnsureDefaultLeague(base, image);
  if (!made) return Fail(made.error());
  const fs::path leagues = base / "qgu_lge";
  const fs::path source = leagues / qgu::league::ListLeagues(leagues, qgu::league::LeagueFilter::kAllFolders).value().front();
  const fs::path league = leagues / "Bench";
  fs::create_directories(league);
  auto listing = qgu::league::ListTeams(source);
  for (int t = 0; t < teams && t < static_cast<int>(listing.value().teams.size()); ++t) {
    fs::copy_file(listing.value().teams[t].path, league / listing.value().teams[t].path.filename());
  }
  SeasonRequest request;
  request.name = "Bench";
  request.gamesPerTeam = games;
  request.quarterMinutes = quarter;
  request.playoffTeams = std::min(8, teams);
  request.seed = 2026;
  auto created = CreateSeason(league, request);
  if (!created) return Fail(created.error());
  const int regular = static_cast<int>(created.value().schedule.size());
  std::printf("load before: %s\n", LoadAverage().c_str());
  std::printf("season: %d teams, %d games a team, %d games in %d weeks, %d-minute quarters, %d jobs\n", teams, games,
              regular, created.value().regularWeeks, quarter, jobs);

  Season season = OpenSeason(league, "Bench").value();
  auto start = Clock::now();
  double cpu = CpuSeconds();
  auto single = PlayOneGame(image, JobFor(season, season.definition.schedule.front()));
  if (!single) return Fail(single.error());
  const double oneGame = Seconds(start);
  const double oneGameCpu = CpuSeconds() - cpu;
  std::printf("one game alone: %.2f s wall, %.2f s CPU\n", oneGame, oneGameCpu);

  PlayRequest play;
  play.image = image;
  play.scope = PlayScope::kRegular;
  play.jobs = jobs;
  int reported = 0;
  play.progress = [&reported](const PlayProgress& progress) {
    if (progress.done - reported >= 28 || progress.done == progress.total) {
      reported = progress.done;
      std::fprintf(stderr, "bench_season: %d of %d games\n", progress.done, progress.total);
    }
  };
  start = Clock::now();
  cpu = CpuSeconds();
  auto outcome = PlaySeason(league, "Bench", play);
  if (!outcome) return Fail(outcome.error());
  const double seasonTime = Seconds(start);
  const double seasonCpu = CpuSeconds() - cpu;
  std::printf("season: %.1f s wall for %d games = %.1f single games (aim: at most %.0f)\n", seasonTime,
              outcome.value().played, seasonTime / oneGame, regular / static_cast<double>(jobs));
  std::printf("season CPU: %.1f s = %.1f single games' CPU; the cores were busy %.0f%% of the wall time\n", seasonCpu,
              seasonCpu / oneGameCpu, 100.0 * seasonCpu / (seasonTime * jobs));
  std::printf("load after: %s\n", LoadAverage().c_str());

  // Derived tables, best of five, from a season read afresh.
  double readBest = 1e9, tablesBest = 1e9, reportBest = 1e9;
  for (int run = 0; run < 5; ++run) {
    start = Clock::now();
    season = OpenSeason(league, "Bench").value();
    readBest = std::min(readBest, Seconds(start));
    start = Clock::now();
    const auto standings = Standings(season);
    const auto leaders = SeasonLeaders(season);
    const auto bracket = SeasonBracket(season);
    tablesBest = std::min(tablesBest, Seconds(start));
    start = Clock::now();
    const std::string html = ReportHtml(season);
    reportBest = std::min(reportBest, Seconds(start));
    if (standings.empty() || leaders.tables.empty() || bracket.seeds.empty() || html.empty()) return Fail("empty tables");
  }
  std::printf("read the season: %.1f ms; standings, leaders and bracket: %.1f ms; report: %.1f ms\n", readBest * 1e3,
              tablesBest * 1e3, reportBest * 1e3);
  uintmax_t bytes = 0;
  for (const auto& entry : fs::directory_iterator(season.folder)) bytes += entry.is_regular_file() ? entry.file_size() : 0;
  std::printf("season files: %.2f MB (%ju bytes)\n", static_cast<double>(bytes) / (1024 * 1024), bytes);
  fs::remove_all(base);
  return 0;
}
