#pragma once
// One game of a season played headless, and the pieces the season runs,
// the result files of distributed jobs and the playoff odds share.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "season/season.h"

namespace qgu::season {

// Everything a game is a function of.
struct GameJob {
  int id = 0;
  int week = 0;
  std::filesystem::path homeFile;
  std::filesystem::path awayFile;
  int quarterMinutes = kDefaultQuarterMinutes;
  uint32_t seed = 0;
};

// A finished game before it knows its season: teams as file names.
struct PlayedGame {
  GameJob job;
  int homeScore = 0;
  int awayScore = 0;
  std::string homeStats;
  std::string awayStats;
  std::string homeHash;
  std::string awayHash;
};

// Both sides COM. The error names the team file or what stopped the game.
base::Result<PlayedGame> PlayOneGame(std::span<const uint8_t> image, const GameJob& job);

// A score as the summary spells it ("21"): the leading digits, 0 for none.
int ScoreOf(const std::string& text);

// The result file of a job: one journal line with the team file names.
std::string ResultFileText(const PlayedGame& game);

// The job of a known, unplayed game of an open season.
GameJob JobFor(const Season& season, const ScheduledGame& game);

// Games unplayed in the scope whose teams are known; a person's games apart.
struct Pending {
  std::vector<ScheduledGame> games;
  int leftForUser = 0;
};
Pending PendingGames(const Season& season, PlayScope scope, int week, int gameId, bool simUser);

// Runs work(i) for i in 0..count-1 on `jobs` threads; each index once; no
// new index starts once cancel is set. Returns when all started ones ended.
void RunParallel(int count, int jobs, const std::atomic<bool>* cancel, const std::function<void(int)>& work);

// Takes a result file's game into the season: refused when the game id is not
// a known unplayed game of it, the teams differ, the seed is not the game's,
// or a team record changed since; ok(false) when the game is recorded already.
base::Result<bool> RecordResultText(const std::filesystem::path& leagueFolder, std::string_view name,
                                    std::string_view resultText, const std::string& resultName);

struct TeamOdds {
  int team = 0;
  int playoffs = 0;  // runs in which the team reached the playoffs
  int titles = 0;
};

// Plays the rest of the season `runs` times in memory (nothing is written),
// run r with seeds drawn from the season seed and r, and counts.
base::Result<std::vector<TeamOdds>> PlayoffOdds(const Season& season, std::span<const uint8_t> image, int runs,
                                                int jobs, const std::function<void(int done, int total)>& progress);

}  // namespace qgu::season
