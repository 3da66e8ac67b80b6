// The rest of a season played many times over in memory.

#include <mutex>

#include "season/season_files.h"
#include "season/season_play.h"

namespace qgu::season {

base::Result<std::vector<TeamOdds>> PlayoffOdds(const Season& season, std::span<const uint8_t> image, int runs,
                                                int jobs, const std::function<void(int, int)>& progress) {
  if (runs < 1) return base::Fail("at least 1 run");
  std::vector<Season> worlds(static_cast<size_t>(runs), season);
  std::vector<TeamOdds> odds(season.definition.teams.size());
  for (size_t t = 0; t < odds.size(); ++t) odds[t].team = static_cast<int>(t);
  int done = 0;
  std::mutex mutex;
  std::string problem;
  while (problem.empty()) {
    struct Task {
      size_t world;
      ScheduledGame game;
      GameJob job;
    };
    std::vector<Task> tasks;
    for (size_t w = 0; w < worlds.size(); ++w) {
      for (const ScheduledGame& game : PendingGames(worlds[w], PlayScope::kAll, 0, 0, true).games) {
        GameJob job = JobFor(worlds[w], game);
        // Run w draws its own games; run-to-run they differ, game by game they repeat.
        job.seed = GameSeed(GameSeed(season.definition.seed, -1 - static_cast<int>(w)), game.id);
        tasks.push_back({w, game, job});
      }
    }
    if (tasks.empty()) break;
    const int total = done + static_cast<int>(tasks.size());
    RunParallel(static_cast<int>(tasks.size()), jobs, nullptr, [&](int i) {
      const Task& task = tasks[static_cast<size_t>(i)];
      base::Result<PlayedGame> played = PlayOneGame(image, task.job);
      std::lock_guard<std::mutex> hold(mutex);
      if (!played) {
        if (problem.empty()) problem = "game " + std::to_string(task.game.id) + ": " + played.error();
        return;
      }
      GameRecord record;
      record.id = task.game.id;
      record.week = task.game.week;
      record.home = task.game.home;
      record.away = task.game.away;
      record.homeScore = played.value().homeScore;
      record.awayScore = played.value().awayScore;
      record.homeStats = played.value().homeStats;
      record.awayStats = played.value().awayStats;
      record.seed = task.job.seed;
      worlds[task.world].games.push_back(std::move(record));
      ++done;
      if (progress) progress(done, total);
    });
  }
  if (!problem.empty()) return base::Fail(problem);
  for (const Season& world : worlds) {
    const Bracket bracket = SeasonBracket(world);
    for (const PlayoffSeed& seed : bracket.seeds) ++odds[static_cast<size_t>(seed.team)].playoffs;
    if (bracket.champion) ++odds[static_cast<size_t>(*bracket.champion)].titles;
  }
  return odds;
}

}  // namespace qgu::season
