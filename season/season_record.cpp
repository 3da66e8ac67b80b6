// Games that finish outside a season run: the person's game in the window,
// and the result files of jobs run elsewhere.

#include <algorithm>

#include "season/season_files.h"
#include "season/season_play.h"

namespace qgu::season {
namespace fs = std::filesystem;

namespace {

std::optional<ScheduledGame> KnownGame(const Season& season, int id) {
  if (id >= 1 && id <= static_cast<int>(season.definition.schedule.size())) {
    return season.definition.schedule[static_cast<size_t>(id - 1)];
  }
  for (const ScheduledGame& game : KnownPlayoffGames(season)) {
    if (game.id == id) return game;
  }
  return std::nullopt;
}

bool Recorded(const Season& season, int id) {
  return std::any_of(season.games.begin(), season.games.end(), [id](const GameRecord& g) { return g.id == id; });
}

GameSetup SetupOf(const Season& season, const ScheduledGame& game) {
  const auto& teams = season.definition.teams;
  return {game.id,
          game.week,
          TeamPath(season, game.home),
          TeamPath(season, game.away),
          season.definition.quarterMinutes,
          GameSeed(season.definition.seed, game.id),
          teams[game.home].user,
          teams[game.away].user};
}

// Opens the season for writing one game: lock, season, journal.
struct OpenForRecord {
  CSeasonLock lock;
  Season season;
  CJournalWriter writer;
};

base::Result<std::unique_ptr<OpenForRecord>> OpenToRecord(const fs::path& leagueFolder, std::string_view name) {
  base::Result<CSeasonLock> lock = CSeasonLock::Take(SeasonFolder(leagueFolder, name));
  if (!lock) return base::Fail(lock.error());
  base::Result<Season> season = OpenSeason(leagueFolder, name);
  if (!season) return base::Fail(season.error());
  base::Result<CJournalWriter> writer = CJournalWriter::Open(season.value().folder);
  if (!writer) return base::Fail(writer.error());
  return std::make_unique<OpenForRecord>(
      OpenForRecord{std::move(lock).value(), std::move(season).value(), std::move(writer).value()});
}

}  // namespace

std::optional<GameSetup> NextUserGame(const Season& season) {
  std::optional<GameSetup> next;
  for (const WeekView& week : Schedule(season)) {
    for (const GameView& view : week.games) {
      if (view.userGame && !view.result) return SetupOf(season, view.game);
    }
  }
  return next;
}

Result<GameSetup> SetupForGame(const Season& season, int gameId) {
  const std::optional<ScheduledGame> game = KnownGame(season, gameId);
  if (!game) return base::Fail("game " + std::to_string(gameId) + " is not a known game of this season");
  return SetupOf(season, *game);
}

Status RecordGame(const fs::path& leagueFolder, std::string_view name, int gameId, const driver::GameSummary& summary,
                  uint32_t seed) {
  base::Result<std::unique_ptr<OpenForRecord>> open = OpenToRecord(leagueFolder, name);
  if (!open) return base::Fail(open.error());
  Season& season = open.value()->season;
  const std::optional<ScheduledGame> game = KnownGame(season, gameId);
  if (!game) return base::Fail("game " + std::to_string(gameId) + " is not a known game of this season");
  if (Recorded(season, gameId)) return base::Fail("game " + std::to_string(gameId) + " is already recorded");
  GameRecord record;
  record.id = game->id;
  record.week = game->week;
  record.home = game->home;
  record.away = game->away;
  record.homeScore = ScoreOf(summary.homeScore);
  record.awayScore = ScoreOf(summary.awayScore);
  record.homeStats = summary.homeStats;
  record.awayStats = summary.awayStats;
  record.seed = seed;
  for (auto [team, hash] : {std::pair{game->home, &record.homeHash}, std::pair{game->away, &record.awayHash}}) {
    base::Result<std::string> current = HashOfFile(TeamPath(season, team));
    if (!current) return base::Fail(current.error());
    *hash = current.value();
  }
  return AppendGame(season, open.value()->writer, record);
}

base::Result<bool> RecordResultText(const fs::path& leagueFolder, std::string_view name, std::string_view resultText,
                                    const std::string& resultName) {
  base::Result<std::unique_ptr<OpenForRecord>> open = OpenToRecord(leagueFolder, name);
  if (!open) return base::Fail(open.error());
  Season& season = open.value()->season;
  const std::string_view line = resultText.substr(0, resultText.find('\n'));
  base::Result<json::Value> value = json::Parse(line);
  if (!value) return base::Fail(resultName + ", " + value.error());
  base::Result<GameRecord> game = GameFromJson(season.definition, value.value());
  if (!game) return base::Fail(resultName + ": " + game.error());
  GameRecord& record = game.value();
  if (Recorded(season, record.id)) return false;
  const std::optional<ScheduledGame> known = KnownGame(season, record.id);
  if (!known) return base::Fail(resultName + ": game " + std::to_string(record.id) + " is not a known game of this season yet");
  if (known->home != record.home || known->away != record.away) {
    return base::Fail(resultName + ": game " + std::to_string(record.id) + " is not between these teams");
  }
  if (record.seed != GameSeed(season.definition.seed, record.id)) {
    return base::Fail(resultName + ": the seed " + std::to_string(record.seed) + " is not game " +
                      std::to_string(record.id) + "'s seed");
  }
  for (auto [team, hash] : {std::pair{record.home, record.homeHash}, std::pair{record.away, record.awayHash}}) {
    base::Result<std::string> current = HashOfFile(TeamPath(season, team));
    if (!current) return base::Fail(current.error());
    if (current.value() != hash) {
      return base::Fail(resultName + ": the team " + season.definition.teams[team].file +
                        " is not the record the game was played with (it changed since)");
    }
  }
  record.week = known->week;
  if (base::Status appended = AppendGame(season, open.value()->writer, record); !appended) return base::Fail(appended.error());
  return true;
}

}  // namespace qgu::season
