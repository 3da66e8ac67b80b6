// qgu-realism: plays a season of COM-against-COM games over a league and
// prints its figures beside football's (season/realism.h). The games run on
// the emulated cartridge, as `season play` runs them, or with --simulate in
// the football simulator (the same rules without the screens, for tuning).
//
//   qgu-realism [--league FOLDER] [--games-per-team G] [--quarter N] [--seed S] [--seasons K]
//               [--jobs J] [--simulate] [--markdown]
//
// Without --league the default league is made from the embedded cartridge in
// a scratch folder. The schedule is a season's (every team G games, home and
// away balanced), its seeds the season's rule of seed and game number;
// --seasons K plays K such seasons (seeds S, S+1, ...) and sums them.

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "cartridge/builder/embedded_image.h"
#include "cartridge/simulator/football_simulator.h"
#include "driver/game_manager.h"
#include "driver/headless_game.h"
#include "league/default_league.h"
#include "league/league_folders.h"
#include "league/team_record_file.h"
#include "league/team_strength.h"
#include "season/realism.h"
#include "season/schedule.h"
#include "season/season.h"
#include "season/season_play.h"

namespace fs = std::filesystem;
using namespace qgu;

namespace {

struct Options {
  fs::path league;
  int gamesPerTeam = 16;
  int quarter = 5;
  uint32_t seed = 7;
  int seasons = 1;
  int jobs = 2;
  bool simulate = false;
  bool markdown = false;
};

struct Team {
  fs::path file;
  league::TeamRecord record;
  double strength = 0;
};

int Usage() {
  std::fprintf(stderr,
               "usage: qgu-realism [--league FOLDER] [--games-per-team G] [--quarter N] [--seed S] [--seasons K]\n"
               "                   [--jobs J] [--simulate] [--markdown]\n");
  return 2;
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--simulate") {
      o.simulate = true;
    } else if (a == "--markdown") {
      o.markdown = true;
    } else if (a == "--league" && hasValue) {
      o.league = argv[++i];
    } else if (a == "--games-per-team" && hasValue) {
      o.gamesPerTeam = std::atoi(argv[++i]);
    } else if (a == "--quarter" && hasValue) {
      o.quarter = std::atoi(argv[++i]);
    } else if (a == "--seed" && hasValue) {
      o.seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (a == "--seasons" && hasValue) {
      o.seasons = std::atoi(argv[++i]);
    } else if (a == "--jobs" && hasValue) {
      o.jobs = std::atoi(argv[++i]);
    } else {
      return false;
    }
  }
  return o.gamesPerTeam > 0 && o.quarter >= 1 && o.quarter <= 99 && o.jobs >= 1 && o.seasons >= 1;
}

bool LoadTeams(const fs::path& leagueFolder, std::vector<Team>& teams) {
  base::Result<league::TeamListing> listing = league::ListTeams(leagueFolder);
  if (!listing) {
    std::fprintf(stderr, "qgu-realism: %s\n", listing.error().c_str());
    return false;
  }
  for (const league::TeamListEntry& entry : listing.value().teams) {
    base::Result<league::TeamRecord> record = league::ReadTeamRecordFile(entry.path);
    if (!record) {
      std::fprintf(stderr, "qgu-realism: %s\n", record.error().c_str());
      return false;
    }
    teams.push_back({entry.path, record.value(), league::StrengthOf(record.value()).Total()});
  }
  return teams.size() >= 2;
}

season::SideFigures Side(const Team& team, int points, std::span<const uint8_t> block,
                         std::span<const uint8_t> extras) {
  season::SideFigures side;
  side.points = points;
  side.totals = season::SummedCounters(block);
  side.fumblesLost = extras[QGU_EXTRA_FUMBLES_LOST];
  side.longPlays = extras[QGU_EXTRA_LONG_PLAYS];
  side.firstDowns = extras[QGU_EXTRA_FIRST_DOWNS];
  side.thirdDowns = extras[QGU_EXTRA_THIRD_DOWNS];
  side.thirdDownsMade = extras[QGU_EXTRA_THIRD_DOWNS_MADE];
  side.fourthDowns = extras[QGU_EXTRA_FOURTH_DOWNS];
  side.fourthDownsMade = extras[QGU_EXTRA_FOURTH_DOWNS_MADE];
  side.strength = team.strength;
  return side;
}

bool Simulate(const Team& home, const Team& away, const Options& o, uint32_t seed, season::GameFigures& figures) {
  const cartridge::SimulatedGame g = cartridge::SimulateGame(home.record, away.record, seed, o.quarter);
  figures.home = Side(home, g.score[0], g.stats[0], g.extras[0]);
  figures.away = Side(away, g.score[1], g.stats[1], g.extras[1]);
  return true;
}

bool Emulate(const Team& home, const Team& away, const Options& o, uint32_t seed, season::GameFigures& figures) {
  driver::CGameManager manager(cartridge::EmbeddedCartridgeImage(), std::make_unique<driver::CSeededRandom>(seed));
  manager.SetHomePath(home.file.string());
  manager.SetAwayPath(away.file.string());
  manager.SetQuarterLength(o.quarter);
  manager.SetControls(driver::kControlCom, driver::kControlCom);
  if (!manager.PrepareGame()) {
    std::fprintf(stderr, "qgu-realism: %s\n", manager.PrepareError().c_str());
    return false;
  }
  uint8_t blocks[2][QGU_STATS_BLOCK_BYTES];
  uint8_t extras[2][QGU_EXTRA_BLOCK_BYTES];
  driver::HeadlessGameOptions options;
  options.finished = [&](const driver::IConsoleMemory& memory) {
    for (int i = 0; i < QGU_STATS_BLOCK_BYTES; ++i) {
      blocks[0][i] = memory.Read(static_cast<uint16_t>(QGU_HOME_STATS_BLOCK + i));
      blocks[1][i] = memory.Read(static_cast<uint16_t>(QGU_AWAY_STATS_BLOCK + i));
    }
    for (int i = 0; i < QGU_EXTRA_BLOCK_BYTES; ++i) {
      extras[0][i] = memory.Read(static_cast<uint16_t>(QGU_HOME_EXTRA_BLOCK + i));
      extras[1][i] = memory.Read(static_cast<uint16_t>(QGU_AWAY_EXTRA_BLOCK + i));
    }
  };
  const driver::HeadlessGameResult result = driver::PlayHeadlessGame(manager, options);
  if (result.outcome != driver::HeadlessOutcome::kFinished || !result.summary) {
    std::fprintf(stderr, "qgu-realism: %s against %s: %s\n", home.file.filename().c_str(),
                 away.file.filename().c_str(), result.error.c_str());
    return false;
  }
  figures.home = Side(home, season::ScoreOf(result.summary->homeScore), blocks[0], extras[0]);
  figures.away = Side(away, season::ScoreOf(result.summary->awayScore), blocks[1], extras[1]);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) return Usage();
  fs::path scratch;
  if (o.league.empty()) {
    scratch = fs::temp_directory_path() / ("qgu-realism-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    base::Result<league::DefaultLeagueOutcome> made =
        league::EnsureDefaultLeague(scratch, cartridge::EmbeddedCartridgeImage());
    if (!made) {
      std::fprintf(stderr, "qgu-realism: %s\n", made.error().c_str());
      return 1;
    }
    o.league = made.value().folder;
  }
  std::vector<Team> teams;
  const bool loaded = LoadTeams(o.league, teams);
  if (!loaded) {
    if (!scratch.empty()) fs::remove_all(scratch);
    return 1;
  }
  struct Game {
    season::ScheduledGame scheduled;
    uint32_t seed;
  };
  std::vector<Game> games;
  for (int k = 0; k < o.seasons; ++k) {
    const uint32_t seasonSeed = o.seed + static_cast<uint32_t>(k);
    base::Result<std::vector<season::ScheduledGame>> schedule =
        season::MakeSchedule({static_cast<int>(teams.size()), {}, o.gamesPerTeam, seasonSeed});
    if (!schedule) {
      std::fprintf(stderr, "qgu-realism: %s\n", schedule.error().c_str());
      return 1;
    }
    for (const season::ScheduledGame& g : schedule.value()) games.push_back({g, season::GameSeed(seasonSeed, g.id)});
  }
  std::vector<season::GameFigures> figures(games.size());
  std::atomic<bool> failed{false};
  std::atomic<int> done{0};
  std::mutex progress;
  auto play = [&](int i) {
    const season::ScheduledGame& g = games[static_cast<size_t>(i)].scheduled;
    const uint32_t seed = games[static_cast<size_t>(i)].seed;
    const bool ok = o.simulate ? Simulate(teams[g.home], teams[g.away], o, seed, figures[i])
                               : Emulate(teams[g.home], teams[g.away], o, seed, figures[i]);
    if (!ok) failed = true;
    const int n = ++done;
    if (!o.simulate && (n % 20 == 0 || n == static_cast<int>(games.size()))) {
      std::lock_guard<std::mutex> lock(progress);
      std::fprintf(stderr, "qgu-realism: %d of %zu games\n", n, games.size());
    }
  };
  // The simulator keeps its game in globals: one game at a time.
  season::RunParallel(static_cast<int>(games.size()), o.simulate ? 1 : o.jobs, &failed, play);
  if (!scratch.empty()) fs::remove_all(scratch);
  if (failed) return 1;

  const std::vector<season::RealismRow> rows = season::RealismTable(figures);
  std::printf("%zu games, %zu teams, %d-minute quarters, seed %u%s, %s\n\n", games.size(), teams.size(), o.quarter,
              o.seed, o.seasons > 1 ? (" and on, " + std::to_string(o.seasons) + " seasons").c_str() : "",
              o.simulate ? "football simulator" : "emulated cartridge");
  std::fputs(season::FormatRealismTable(rows, o.markdown).c_str(), stdout);
  int outside = 0;
  for (const season::RealismRow& r : rows) outside += r.known && !r.Inside();
  return outside == 0 ? 0 : 3;
}
