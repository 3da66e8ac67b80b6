#include "season/season_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/file_read.h"
#include "base/file_write.h"

namespace qgu::season {
namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxHashedFileBytes = 1 << 20;

std::string SystemError(const std::string& what, const fs::path& path) {
  return what + " " + path.string() + ": " + std::strerror(errno);
}

const json::Value* Member(const json::Value& object, std::string_view key) {
  return object.IsObject() ? object.Find(key) : nullptr;
}

// Field readers: each names the missing or mistyped key.
struct CFieldReader {
  const json::Value& object;
  std::string problem;

  int64_t Number(std::string_view key, int64_t low, int64_t high) {
    const json::Value* value = Member(object, key);
    if (value == nullptr || !value->IsNumber()) {
      Note("\"" + std::string(key) + "\" is missing or not a number");
      return low;
    }
    if (value->AsNumber() < low || value->AsNumber() > high) {
      Note("\"" + std::string(key) + "\" is " + std::to_string(value->AsNumber()) + ", outside " +
           std::to_string(low) + " to " + std::to_string(high));
      return low;
    }
    return value->AsNumber();
  }
  std::string Text(std::string_view key) {
    const json::Value* value = Member(object, key);
    if (value == nullptr || !value->IsString()) {
      Note("\"" + std::string(key) + "\" is missing or not a text");
      return {};
    }
    return value->AsString();
  }
  bool Flag(std::string_view key) {
    const json::Value* value = Member(object, key);
    if (value == nullptr) return false;
    if (!value->IsBool()) Note("\"" + std::string(key) + "\" is not true or false");
    return value->IsBool() && value->AsBool();
  }
  void Note(std::string text) {
    if (problem.empty()) problem = std::move(text);
  }
};

int TeamIndexOf(const SeasonDefinition& definition, const std::string& file) {
  for (size_t i = 0; i < definition.teams.size(); ++i) {
    if (definition.teams[i].file == file) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

std::string HashOfText(std::string_view bytes) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char byte : bytes) {
    hash ^= static_cast<unsigned char>(byte);
    hash *= 0x100000001b3ULL;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

base::Result<std::string> HashOfFile(const fs::path& path) {
  base::Result<std::string> text = base::ReadFileText(path, kMaxHashedFileBytes);
  if (!text) return base::Fail(text.error());
  return HashOfText(text.value());
}

fs::path SeasonFolder(const fs::path& leagueFolder, std::string_view name) {
  return leagueFolder / kSeasonsFolderName / std::string(name);
}

fs::path TeamPath(const Season& season, int team) {
  return season.leagueFolder / season.definition.teams.at(static_cast<size_t>(team)).file;
}

json::Value DefinitionJson(const SeasonDefinition& definition) {
  json::Value root = json::Value::Object();
  root.Set("format", kDefinitionFormat);
  root.Set("league", definition.league);
  root.Set("name", definition.name);
  root.Set("seed", definition.seed);
  root.Set("quarter_minutes", definition.quarterMinutes);
  root.Set("games_per_team", definition.gamesPerTeam);
  root.Set("regular_weeks", definition.regularWeeks);
  root.Set("playoff_teams", definition.playoffTeams);
  root.Set("tied_playoff_rule", std::string(kTiedPlayoffRule));
  json::Value teams = json::Value::Array();
  for (const SeasonTeam& team : definition.teams) {
    json::Value item = json::Value::Object();
    item.Set("file", team.file);
    item.Set("hash", team.hash);
    item.Set("name", team.name);
    item.Set("abbreviation", team.abbreviation);
    item.Set("conference", team.conference);
    item.Set("division", team.division);
    item.Set("user", team.user);
    teams.Push(std::move(item));
  }
  root.Set("teams", std::move(teams));
  json::Value schedule = json::Value::Array();
  for (const ScheduledGame& game : definition.schedule) {
    json::Value item = json::Value::Array();
    item.Push(game.id);
    item.Push(game.week);
    item.Push(game.home);
    item.Push(game.away);
    schedule.Push(std::move(item));
  }
  root.Set("schedule", std::move(schedule));
  return root;
}

base::Result<SeasonDefinition> DefinitionFromJson(const json::Value& value) {
  if (!value.IsObject()) return base::Fail("the definition is not a JSON object");
  CFieldReader read{value, {}};
  SeasonDefinition definition;
  if (read.Number("format", 0, 1000) != kDefinitionFormat) read.Note("\"format\" is not 1");
  definition.league = read.Text("league");
  definition.name = read.Text("name");
  definition.seed = static_cast<uint32_t>(read.Number("seed", 0, UINT32_MAX));
  definition.quarterMinutes = static_cast<int>(read.Number("quarter_minutes", 1, 99));
  definition.gamesPerTeam = static_cast<int>(read.Number("games_per_team", 1, kMaxGamesPerTeam));
  definition.regularWeeks = static_cast<int>(read.Number("regular_weeks", 1, 10 * kMaxGamesPerTeam));
  definition.playoffTeams = static_cast<int>(read.Number("playoff_teams", 0, 64));
  if (!read.problem.empty()) return base::Fail(read.problem);
  const json::Value* teams = value.Find("teams");
  if (teams == nullptr || !teams->IsArray() || teams->Items().size() < 2) {
    return base::Fail("\"teams\" is missing or holds fewer than 2 teams");
  }
  for (const json::Value& item : teams->Items()) {
    CFieldReader team{item, {}};
    SeasonTeam entry;
    entry.file = team.Text("file");
    entry.hash = team.Text("hash");
    entry.name = team.Text("name");
    entry.abbreviation = team.Text("abbreviation");
    entry.conference = team.Text("conference");
    entry.division = team.Text("division");
    entry.user = team.Flag("user");
    if (!team.problem.empty()) return base::Fail("team " + std::to_string(definition.teams.size() + 1) + ": " + team.problem);
    if (entry.file.empty() || entry.file.find('/') != std::string::npos || entry.file.starts_with(".")) {
      return base::Fail("team " + std::to_string(definition.teams.size() + 1) + ": \"" + entry.file +
                        "\" is not a team file name");
    }
    definition.teams.push_back(std::move(entry));
  }
  if (definition.playoffTeams > static_cast<int>(definition.teams.size()) || definition.playoffTeams == 1) {
    return base::Fail("\"playoff_teams\" is " + std::to_string(definition.playoffTeams) + " for " +
                      std::to_string(definition.teams.size()) + " teams");
  }
  const json::Value* schedule = value.Find("schedule");
  if (schedule == nullptr || !schedule->IsArray()) return base::Fail("\"schedule\" is missing");
  const auto teamCount = static_cast<int64_t>(definition.teams.size());
  for (const json::Value& item : schedule->Items()) {
    const std::string where = "schedule entry " + std::to_string(definition.schedule.size() + 1);
    if (!item.IsArray() || item.Items().size() != 4) return base::Fail(where + " is not [id, week, home, away]");
    for (const json::Value& field : item.Items()) {
      if (!field.IsNumber()) return base::Fail(where + " holds something that is not a number");
    }
    const ScheduledGame game{static_cast<int>(item.Items()[0].AsNumber()), static_cast<int>(item.Items()[1].AsNumber()),
                             static_cast<int>(item.Items()[2].AsNumber()), static_cast<int>(item.Items()[3].AsNumber())};
    if (game.id != static_cast<int>(definition.schedule.size()) + 1) return base::Fail(where + ": ids must run 1, 2, ...");
    if (game.week < 1 || game.week > definition.regularWeeks) return base::Fail(where + ": week out of range");
    if (game.home < 0 || game.home >= teamCount || game.away < 0 || game.away >= teamCount || game.home == game.away) {
      return base::Fail(where + ": team index out of range");
    }
    definition.schedule.push_back(game);
  }
  return definition;
}

std::string GameLine(const SeasonDefinition& definition, const GameRecord& game) {
  json::Value line = json::Value::Object();
  line.Set("game", game.id);
  line.Set("week", game.week);
  line.Set("home", definition.teams.at(static_cast<size_t>(game.home)).file);
  line.Set("away", definition.teams.at(static_cast<size_t>(game.away)).file);
  line.Set("home_score", game.homeScore);
  line.Set("away_score", game.awayScore);
  line.Set("seed", game.seed);
  line.Set("home_hash", game.homeHash);
  line.Set("away_hash", game.awayHash);
  line.Set("home_stats", game.homeStats);
  line.Set("away_stats", game.awayStats);
  return json::Write(line);
}

bool IsSeasonGameId(const SeasonDefinition& definition, int id) {
  if (id >= 1 && id <= static_cast<int>(definition.schedule.size())) return true;
  if (id <= kPlayoffGameBase || definition.playoffTeams < 2) return false;
  int rounds = 0;
  while ((1 << rounds) < definition.playoffTeams) ++rounds;
  const int round = (id - kPlayoffGameBase) / 100;
  const int slot = (id - kPlayoffGameBase) % 100;
  return round >= 1 && round <= rounds && slot >= 1 && slot <= (1 << (rounds - round));
}

base::Result<GameRecord> GameFromJson(const SeasonDefinition& definition, const json::Value& value) {
  if (!value.IsObject()) return base::Fail("not a JSON object");
  CFieldReader read{value, {}};
  GameRecord game;
  game.id = static_cast<int>(read.Number("game", 1, 1'000'000));
  game.week = static_cast<int>(read.Number("week", 1, 1000));
  const std::string home = read.Text("home");
  const std::string away = read.Text("away");
  game.homeScore = static_cast<int>(read.Number("home_score", 0, 999));
  game.awayScore = static_cast<int>(read.Number("away_score", 0, 999));
  game.seed = static_cast<uint32_t>(read.Number("seed", 0, UINT32_MAX));
  game.homeHash = read.Text("home_hash");
  game.awayHash = read.Text("away_hash");
  game.homeStats = read.Text("home_stats");
  game.awayStats = read.Text("away_stats");
  if (!read.problem.empty()) return base::Fail(read.problem);
  game.home = TeamIndexOf(definition, home);
  game.away = TeamIndexOf(definition, away);
  if (game.home < 0) return base::Fail("the home team \"" + home + "\" is not a team of this season");
  if (game.away < 0) return base::Fail("the away team \"" + away + "\" is not a team of this season");
  if (!IsSeasonGameId(definition, game.id)) {
    return base::Fail("the game id " + std::to_string(game.id) + " is not in the schedule");
  }
  if (game.id <= static_cast<int>(definition.schedule.size())) {
    const ScheduledGame& scheduled = definition.schedule[static_cast<size_t>(game.id - 1)];
    if (scheduled.home != game.home || scheduled.away != game.away) {
      return base::Fail("game " + std::to_string(game.id) + " is " + definition.teams[scheduled.home].file + " against " +
                        definition.teams[scheduled.away].file + " in the schedule, not " + home + " against " + away);
    }
  }
  return game;
}

base::Result<CSeasonLock> CSeasonLock::Take(const fs::path& folder) {
  const fs::path path = folder / kLockFileName;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return base::Fail(SystemError("Unable to open", path));
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return base::Fail("the season " + folder.filename().string() + " is being played by another run at the moment");
  }
  return CSeasonLock(fd);
}

CSeasonLock::~CSeasonLock() {
  if (fd_ >= 0) ::close(fd_);
}

base::Result<CJournalWriter> CJournalWriter::Open(const fs::path& folder) {
  const fs::path path = folder / kJournalFileName;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return base::Fail(SystemError("Unable to open", path));
  CJournalWriter writer(fd);
  const off_t size = ::lseek(fd, 0, SEEK_END);
  if (size < 0) return base::Fail(SystemError("Unable to read", path));
  // Find the end of the last whole line.
  off_t end = size;
  char byte = 0;
  while (end > 0) {
    if (::pread(fd, &byte, 1, end - 1) != 1) return base::Fail(SystemError("Unable to read", path));
    if (byte == '\n') break;
    --end;
  }
  if (end < size) {
    std::string torn(static_cast<size_t>(size - end), '\0');
    if (::pread(fd, torn.data(), torn.size(), end) != static_cast<ssize_t>(torn.size())) {
      return base::Fail(SystemError("Unable to read", path));
    }
    const fs::path tornPath = folder / kTornFileName;
    const int tornFd = ::open(tornPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    torn += '\n';
    const bool kept = tornFd >= 0 && ::write(tornFd, torn.data(), torn.size()) == static_cast<ssize_t>(torn.size()) &&
                      ::fsync(tornFd) == 0;
    if (tornFd >= 0) ::close(tornFd);
    if (!kept) return base::Fail(SystemError("Unable to keep the torn last line in", tornPath));
    if (::ftruncate(fd, end) != 0 || ::fsync(fd) != 0) return base::Fail(SystemError("Unable to cut the torn line off", path));
  }
  if (::lseek(fd, 0, SEEK_END) < 0) return base::Fail(SystemError("Unable to read", path));
  return writer;
}

CJournalWriter::~CJournalWriter() {
  if (fd_ >= 0) ::close(fd_);
}

base::Status CJournalWriter::Append(std::string_view line) {
  std::string text(line);
  text += '\n';
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd_, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return base::Fail(std::string("Unable to write the journal: ") + std::strerror(errno));
    written += static_cast<size_t>(n);
  }
  if (::fsync(fd_) != 0) return base::Fail(std::string("Unable to sync the journal: ") + std::strerror(errno));
  return {};
}

base::Status AppendGame(Season& season, CJournalWriter& writer, const GameRecord& game) {
  for (const GameRecord& recorded : season.games) {
    if (recorded.id == game.id) return base::Fail("game " + std::to_string(game.id) + " is already recorded");
  }
  if (base::Status written = writer.Append(GameLine(season.definition, game)); !written) return written;
  season.games.push_back(game);
  return {};
}

}  // namespace qgu::season
