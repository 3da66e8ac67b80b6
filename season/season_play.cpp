#include "season/season_play.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "base/file_read.h"
#include "driver/game_manager.h"
#include "driver/headless_game.h"
#include "driver/play_calling.h"
#include "driver/random_source.h"
#include "season/season_files.h"

namespace qgu::season {
namespace fs = std::filesystem;

namespace {

bool InScope(const ScheduledGame& game, bool playoff, PlayScope scope, int week, int gameId) {
  switch (scope) {
    case PlayScope::kWeek: return game.week == week;
    case PlayScope::kRegular: return !playoff;
    case PlayScope::kPlayoffs: return playoff;
    case PlayScope::kAll: return true;
    case PlayScope::kOneGame: return game.id == gameId;
  }
  return false;
}

bool Played(const Season& season, int id) {
  return std::any_of(season.games.begin(), season.games.end(), [id](const GameRecord& g) { return g.id == id; });
}

GameRecord RecordOf(const PlayedGame& played, const ScheduledGame& game) {
  GameRecord record;
  record.id = game.id;
  record.week = game.week;
  record.home = game.home;
  record.away = game.away;
  record.homeScore = played.homeScore;
  record.awayScore = played.awayScore;
  record.homeStats = played.homeStats;
  record.awayStats = played.awayStats;
  record.seed = played.job.seed;
  record.homeHash = played.homeHash;
  record.awayHash = played.awayHash;
  return record;
}

std::string ResultLine(const Season& season, const GameRecord& game) {
  const auto& teams = season.definition.teams;
  return "week " + std::to_string(game.week) + ": " + teams[game.home].abbreviation + " " +
         std::to_string(game.homeScore) + " - " + teams[game.away].abbreviation + " " + std::to_string(game.awayScore);
}

// The playoff games still to come, counted from the bracket's shape.
int PlayoffGamesLeft(const Season& season) {
  if (season.definition.playoffTeams < 2) return 0;
  int played = 0;
  for (const GameRecord& game : season.games) played += game.id > kPlayoffGameBase ? 1 : 0;
  return season.definition.playoffTeams - 1 - played;
}

// Why a game could not start, naming the definition's line when a team file is gone.
std::string WhyNotPlayed(const Season& season, const ScheduledGame& game, const std::string& error) {
  for (const int team : {game.home, game.away}) {
    std::error_code missing;
    if (fs::exists(TeamPath(season, team), missing)) continue;
    const fs::path definition = season.folder / kDefinitionFileName;
    base::Result<std::string> text = base::ReadFileText(definition, 16 << 20);
    const std::string needle = "\"file\": " + json::Quote(season.definition.teams[team].file);
    const size_t at = text ? text.value().find(needle) : std::string::npos;
    std::string where = definition.string();
    if (at != std::string::npos) {
      where += ", line " + std::to_string(1 + std::count(text.value().begin(), text.value().begin() + at, '\n'));
    }
    return "the team file " + TeamPath(season, team).string() + " (" + where + ") has gone from the league";
  }
  return error;
}

}  // namespace

base::Result<PlayedGame> PlayOneGame(std::span<const uint8_t> image, const GameJob& job) {
  PlayedGame played;
  played.job = job;
  base::Result<std::string> homeHash = HashOfFile(job.homeFile);
  if (!homeHash) return base::Fail(homeHash.error());
  base::Result<std::string> awayHash = HashOfFile(job.awayFile);
  if (!awayHash) return base::Fail(awayHash.error());
  played.homeHash = homeHash.value();
  played.awayHash = awayHash.value();

  driver::CGameManager manager(image, std::make_unique<driver::CSeededRandom>(job.seed));
  manager.SetHomePath(job.homeFile.string());
  manager.SetAwayPath(job.awayFile.string());
  manager.SetQuarterLength(job.quarterMinutes);
  manager.SetControls(driver::kControlCom, driver::kControlCom);
  if (!manager.PrepareGame()) return base::Fail(manager.PrepareError());
  const driver::HeadlessGameResult result = driver::PlayHeadlessGame(manager, {});
  if (result.outcome != driver::HeadlessOutcome::kFinished || !result.summary) return base::Fail(result.error);
  played.homeScore = ScoreOf(result.summary->homeScore);
  played.awayScore = ScoreOf(result.summary->awayScore);
  played.homeStats = result.summary->homeStats;
  played.awayStats = result.summary->awayStats;
  return played;
}

std::string ResultFileText(const PlayedGame& game) {
  json::Value line = json::Value::Object();
  line.Set("game", game.job.id);
  line.Set("week", game.job.week);
  line.Set("home", game.job.homeFile.filename().string());
  line.Set("away", game.job.awayFile.filename().string());
  line.Set("home_score", game.homeScore);
  line.Set("away_score", game.awayScore);
  line.Set("seed", game.job.seed);
  line.Set("home_hash", game.homeHash);
  line.Set("away_hash", game.awayHash);
  line.Set("home_stats", game.homeStats);
  line.Set("away_stats", game.awayStats);
  return json::Write(line) + "\n";
}

GameJob JobFor(const Season& season, const ScheduledGame& game) {
  return {game.id, game.week, TeamPath(season, game.home), TeamPath(season, game.away),
          season.definition.quarterMinutes, GameSeed(season.definition.seed, game.id)};
}

Pending PendingGames(const Season& season, PlayScope scope, int week, int gameId, bool simUser) {
  Pending pending;
  auto consider = [&](const ScheduledGame& game, bool playoff) {
    if (!InScope(game, playoff, scope, week, gameId) || Played(season, game.id)) return;
    const auto& teams = season.definition.teams;
    if (!simUser && (teams[game.home].user || teams[game.away].user)) {
      ++pending.leftForUser;
      return;
    }
    pending.games.push_back(game);
  };
  for (const ScheduledGame& game : season.definition.schedule) consider(game, false);
  for (const ScheduledGame& game : KnownPlayoffGames(season)) consider(game, true);
  return pending;
}

void RunParallel(int count, int jobs, const std::atomic<bool>* cancel, const std::function<void(int)>& work) {
  std::atomic<int> next{0};
  auto worker = [&]() {
    while (cancel == nullptr || !cancel->load()) {
      const int index = next.fetch_add(1);
      if (index >= count) return;
      work(index);
    }
  };
  const int threads = std::clamp(jobs, 1, std::max(count, 1));
  std::vector<std::thread> pool;
  for (int i = 1; i < threads; ++i) pool.emplace_back(worker);
  worker();
  for (std::thread& thread : pool) thread.join();
}

Result<PlayOutcome> PlaySeason(const fs::path& leagueFolder, std::string_view name, const PlayRequest& request) {
  base::Result<CSeasonLock> lock = CSeasonLock::Take(SeasonFolder(leagueFolder, name));
  if (!lock) return base::Fail(lock.error());
  base::Result<Season> opened = OpenSeason(leagueFolder, name);
  if (!opened) return base::Fail(opened.error());
  Season season = std::move(opened).value();
  base::Result<CJournalWriter> writer = CJournalWriter::Open(season.folder);
  if (!writer) return base::Fail(writer.error());

  PlayOutcome outcome;
  std::mutex mutex;  // the journal, the season in memory, the outcome and the progress
  const auto started = std::chrono::steady_clock::now();
  std::vector<int> failed;
  PlayProgress progress;
  {
    const Pending pending = PendingGames(season, request.scope, request.week, request.gameId, request.simUser);
    const bool playoffsToCome = request.scope == PlayScope::kAll || request.scope == PlayScope::kPlayoffs;
    const int knownPlayoffs = static_cast<int>(std::count_if(pending.games.begin(), pending.games.end(),
                                                             [](const ScheduledGame& g) { return g.id > kPlayoffGameBase; }));
    progress.total = static_cast<int>(pending.games.size()) +
                     (playoffsToCome ? std::max(0, PlayoffGamesLeft(season) - knownPlayoffs) : 0);
  }
  std::optional<std::string> writeError;
  while (true) {
    Pending pending = PendingGames(season, request.scope, request.week, request.gameId, request.simUser);
    outcome.leftForUser = pending.leftForUser;
    std::erase_if(pending.games, [&](const ScheduledGame& g) {
      return std::find(failed.begin(), failed.end(), g.id) != failed.end();
    });
    if (pending.games.empty() || writeError || (request.cancel != nullptr && request.cancel->load())) break;
    std::vector<GameJob> jobs;
    for (const ScheduledGame& game : pending.games) jobs.push_back(JobFor(season, game));
    RunParallel(static_cast<int>(jobs.size()), request.jobs, request.cancel, [&](int i) {
      base::Result<PlayedGame> played = PlayOneGame(request.image, jobs[static_cast<size_t>(i)]);
      std::lock_guard<std::mutex> hold(mutex);
      const ScheduledGame& game = pending.games[static_cast<size_t>(i)];
      if (!played) {
        failed.push_back(game.id);
        outcome.problems.push_back("game " + std::to_string(game.id) + " (week " + std::to_string(game.week) +
                                   ") was not played: " + WhyNotPlayed(season, game, played.error()));
        return;
      }
      if (writeError) return;
      const GameRecord record = RecordOf(played.value(), game);
      if (base::Status appended = AppendGame(season, writer.value(), record); !appended) {
        writeError = appended.error();
        return;
      }
      ++outcome.played;
      ++progress.done;
      progress.total = std::max(progress.total, progress.done);
      const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      progress.secondsLeft = elapsed / progress.done * (progress.total - progress.done);
      progress.last = ResultLine(season, record);
      if (request.progress) request.progress(progress);
    });
  }
  if (writeError) return base::Fail(*writeError);
  outcome.cancelled = request.cancel != nullptr && request.cancel->load();
  if (request.scope == PlayScope::kPlayoffs && season.definition.playoffTeams >= 2 && KnownPlayoffGames(season).empty()) {
    outcome.problems.push_back("the playoffs begin when the regular season is over");
  }
  return outcome;
}

int ScoreOf(const std::string& text) {
  int score = 0;
  for (const char ch : text) {
    if (ch < '0' || ch > '9') break;
    score = score * 10 + (ch - '0');
  }
  return score;
}

}  // namespace qgu::season
