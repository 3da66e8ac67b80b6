#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <sstream>

#include "base/file_read.h"
#include "base/file_write.h"
#include "base/text.h"
#include "league/league_folders.h"
#include "league/team_record.h"
#include "season/schedule.h"
#include "season/season.h"
#include "season/season_files.h"

namespace qgu::season {
namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxDefinitionBytes = 16 << 20;
constexpr size_t kMaxJournalBytes = 256 << 20;
constexpr size_t kMaxDivisionsBytes = 1 << 20;

struct Division {
  std::string conference;
  std::string division;
  std::vector<std::string> members;  // file names or abbreviations as written
  int line = 0;
};

base::Result<std::vector<Division>> ParseDivisions(std::string_view text) {
  std::vector<Division> divisions;
  std::istringstream in{std::string(text)};
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    const std::string_view trimmed = base::Trim(line);
    if (trimmed.empty() || trimmed.front() == '#') continue;
    const size_t colon = trimmed.find(':');
    if (colon == std::string_view::npos) {
      return base::Fail("line " + std::to_string(number) + ": \"DIVISION: TEAM TEAM ...\" expected");
    }
    Division division;
    division.line = number;
    const std::string_view head = trimmed.substr(0, colon);
    const size_t slash = head.find('/');
    division.division = std::string(base::Trim(slash == std::string_view::npos ? head : head.substr(slash + 1)));
    if (slash != std::string_view::npos) division.conference = std::string(base::Trim(head.substr(0, slash)));
    if (division.division.empty()) return base::Fail("line " + std::to_string(number) + ": the division has no name");
    std::istringstream members{std::string(trimmed.substr(colon + 1))};
    std::string member;
    while (members >> member) division.members.push_back(member);
    if (division.members.empty()) return base::Fail("line " + std::to_string(number) + ": the division has no teams");
    divisions.push_back(std::move(division));
  }
  if (divisions.empty()) return base::Fail("no division in it");
  return divisions;
}

// A team by file name (any case) or abbreviation (as the team line has it).
int FindTeam(const std::vector<league::TeamListEntry>& teams, const std::string& text) {
  for (size_t i = 0; i < teams.size(); ++i) {
    if (base::EqualsIgnoringCase(teams[i].path.filename().string(), text)) return static_cast<int>(i);
  }
  int found = -1;
  for (size_t i = 0; i < teams.size(); ++i) {
    if (base::EqualsIgnoringCase(teams[i].header.abbreviation, text)) {
      if (found >= 0) return -2;  // ambiguous
      found = static_cast<int>(i);
    }
  }
  return found;
}

std::string TeamNotFound(const std::string& text, int found) {
  return found == -2 ? "\"" + text + "\" is the abbreviation of more than one team; name its file"
                     : "no team \"" + text + "\" in the league (name a team file or abbreviation)";
}

// The season's teams, with conference and division where given.
base::Result<std::vector<SeasonTeam>> ChooseTeams(const std::vector<league::TeamListEntry>& listed,
                                                  const std::string& divisionsText) {
  std::vector<SeasonTeam> teams;
  auto add = [&](const league::TeamListEntry& entry, const Division* division) {
    SeasonTeam team;
    team.file = entry.path.filename().string();
    team.name = league::TeamDisplayName(entry.header);
    team.abbreviation = entry.header.abbreviation;
    if (division != nullptr) {
      team.conference = division->conference;
      team.division = division->division;
    }
    teams.push_back(std::move(team));
  };
  if (divisionsText.empty()) {
    for (const auto& entry : listed) add(entry, nullptr);
    return teams;
  }
  base::Result<std::vector<Division>> divisions = ParseDivisions(divisionsText);
  if (!divisions) return base::Fail("divisions: " + divisions.error());
  std::vector<bool> taken(listed.size(), false);
  std::map<std::string, int> names;
  for (const Division& division : divisions.value()) {
    if (++names[division.conference + "/" + division.division] > 1) {
      return base::Fail("divisions, line " + std::to_string(division.line) + ": the division \"" + division.division +
                        "\" twice");
    }
    for (const std::string& member : division.members) {
      const int found = FindTeam(listed, member);
      if (found < 0) return base::Fail("divisions, line " + std::to_string(division.line) + ": " + TeamNotFound(member, found));
      if (taken[found]) {
        return base::Fail("divisions, line " + std::to_string(division.line) + ": " + member + " is in two divisions");
      }
      taken[found] = true;
      add(listed[found], &division);
    }
  }
  return teams;
}

std::vector<int> DivisionIndices(const std::vector<SeasonTeam>& teams) {
  std::vector<int> indices;
  std::map<std::string, int> seen;
  bool any = false;
  for (const SeasonTeam& team : teams) {
    any = any || !team.division.empty();
    const std::string key = team.conference + "/" + team.division;
    const auto [it, inserted] = seen.emplace(key, static_cast<int>(seen.size()));
    indices.push_back(it->second);
  }
  if (!any) indices.clear();
  return indices;
}

base::Status WriteDefinition(const fs::path& folder, const SeasonDefinition& definition) {
  base::Result<bool> written = base::CreateNewFile(folder / kDefinitionFileName, json::WritePretty(DefinitionJson(definition)));
  if (!written) return base::Fail(written.error());
  base::Result<bool> journal = base::CreateNewFile(folder / kJournalFileName, "");
  if (!journal) return base::Fail(journal.error());
  return base::SyncFolder(folder);
}

// Reads the journal: each line one game. A last line without its line end is
// torn (a run stopped while writing it) and dropped with a notice; any other
// bad line is an error, and nothing is changed.
base::Status ReadJournal(Season& season) {
  const fs::path path = season.folder / kJournalFileName;
  std::error_code missing;
  if (!fs::exists(path, missing)) return {};
  base::Result<std::string> text = base::ReadFileText(path, kMaxJournalBytes);
  if (!text) return base::Fail(text.error());
  std::string_view rest = text.value();
  int line = 0;
  while (!rest.empty()) {
    ++line;
    const size_t end = rest.find('\n');
    if (end == std::string_view::npos) {
      season.notices.push_back(path.string() + ", line " + std::to_string(line) +
                               ": a torn last line (a run stopped while writing it) is dropped; its game will be played again");
      break;
    }
    const std::string_view content = base::Trim(rest.substr(0, end));
    rest.remove_prefix(end + 1);
    if (content.empty()) continue;
    base::Result<json::Value> value = json::Parse(content, line);
    if (!value) return base::Fail(path.string() + ", " + value.error());
    base::Result<GameRecord> game = GameFromJson(season.definition, value.value());
    if (!game) return base::Fail(path.string() + ", line " + std::to_string(line) + ": " + game.error());
    const bool known = std::any_of(season.games.begin(), season.games.end(),
                                   [&](const GameRecord& g) { return g.id == game.value().id; });
    if (known) {
      season.notices.push_back(path.string() + ", line " + std::to_string(line) + ": game " +
                               std::to_string(game.value().id) + " is recorded again; the first record counts");
      continue;
    }
    season.games.push_back(std::move(game).value());
  }
  return {};
}

}  // namespace

Status CheckSeasonName(std::string_view name) {
  if (name.empty()) return base::Fail("a season needs a name");
  if (name.size() > kMaxSeasonNameLength) {
    return base::Fail("a season name has at most " + std::to_string(kMaxSeasonNameLength) + " characters, not " +
                      std::to_string(name.size()));
  }
  if (name == "." || name == "..") return base::Fail("\"" + std::string(name) + "\" cannot name a season");
  if (name.front() == '.') return base::Fail("a season name cannot start with \".\"");
  if (base::Trim(name) != name) return base::Fail("a season name cannot start or end with a blank");
  for (const char ch : name) {
    if (ch == '/' || ch == '\\') return base::Fail("a season name cannot hold \"/\" or \"\\\"");
    if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) return base::Fail("a season name cannot hold control characters");
  }
  return {};
}

int DefaultPlayoffTeams(int teamCount) {
  if (teamCount < 2) return 0;
  if (teamCount < 8) return 2;
  if (teamCount < 16) return 4;
  return 8;
}

uint32_t GameSeed(uint32_t seasonSeed, int gameId) {
  // splitmix64 of the two together: neighbouring ids get unrelated seeds.
  uint64_t z = (static_cast<uint64_t>(seasonSeed) << 32 | static_cast<uint32_t>(gameId)) + 0x9e3779b97f4a7c15ULL;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  z ^= z >> 31;
  return static_cast<uint32_t>(z);
}

Result<SeasonDefinition> CreateSeason(const fs::path& leagueFolder, const SeasonRequest& request) {
  if (Status valid = CheckSeasonName(request.name); !valid) return base::Fail(valid.error());
  if (request.quarterMinutes < 1 || request.quarterMinutes > 99) return base::Fail("the quarter length is 1 to 99 minutes");
  const fs::path folder = SeasonFolder(leagueFolder, request.name);
  std::error_code ignored;
  if (fs::exists(folder, ignored)) return base::Fail("the season \"" + request.name + "\" exists already");

  base::Result<league::TeamListing> listing = league::ListTeams(leagueFolder);
  if (!listing) return base::Fail(listing.error());
  base::Result<std::vector<SeasonTeam>> teams = ChooseTeams(listing.value().teams, request.divisionsText);
  if (!teams) return base::Fail(teams.error());
  if (teams.value().size() < 2) {
    return base::Fail("a season needs at least 2 teams; " + leagueFolder.string() + " holds " +
                      std::to_string(teams.value().size()));
  }
  SeasonDefinition definition;
  definition.league = leagueFolder.filename().string();
  definition.name = request.name;
  definition.seed = request.seed.value_or(static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count()));
  definition.quarterMinutes = request.quarterMinutes;
  definition.teams = std::move(teams).value();
  const int teamCount = static_cast<int>(definition.teams.size());
  for (const std::string& user : request.userTeams) {
    int found = -1;
    for (int i = 0; i < teamCount; ++i) {
      const SeasonTeam& team = definition.teams[i];
      if (base::EqualsIgnoringCase(team.file, user) || base::EqualsIgnoringCase(team.abbreviation, user)) {
        found = found < 0 ? i : -2;
      }
    }
    if (found < 0) return base::Fail(TeamNotFound(user, found == -2 ? -2 : -1) + " of this season");
    definition.teams[found].user = true;
  }
  const std::vector<int> divisions = DivisionIndices(definition.teams);
  definition.gamesPerTeam = request.gamesPerTeam.value_or(DefaultGamesPerTeam(teamCount, divisions));
  if (definition.gamesPerTeam < 1 || definition.gamesPerTeam > kMaxGamesPerTeam) {
    return base::Fail("games per team: 1 to " + std::to_string(kMaxGamesPerTeam) + ", not " +
                      std::to_string(definition.gamesPerTeam));
  }
  definition.playoffTeams = request.playoffTeams.value_or(DefaultPlayoffTeams(teamCount));
  if (definition.playoffTeams > teamCount) {
    return base::Fail(std::to_string(definition.playoffTeams) + " playoff teams, but the season has only " +
                      std::to_string(teamCount) + " teams");
  }
  if (definition.playoffTeams == 1 || definition.playoffTeams < 0) {
    return base::Fail("playoff teams: 0 (no playoffs) or 2 to the number of teams");
  }
  base::Result<std::vector<ScheduledGame>> schedule =
      MakeSchedule({teamCount, divisions, definition.gamesPerTeam, definition.seed});
  if (!schedule) return base::Fail(schedule.error());
  definition.schedule = std::move(schedule).value();
  for (const ScheduledGame& game : definition.schedule) definition.regularWeeks = std::max(definition.regularWeeks, game.week);
  for (SeasonTeam& team : definition.teams) {
    base::Result<std::string> hash = HashOfFile(leagueFolder / team.file);
    if (!hash) return base::Fail(hash.error());
    team.hash = hash.value();
  }

  // Built aside and renamed into place: a season folder always holds a whole definition.
  const fs::path seasons = leagueFolder / kSeasonsFolderName;
  fs::create_directories(seasons, ignored);
  const fs::path building = seasons / (".building-" + std::to_string(::getpid()) + "-" + request.name);
  fs::remove_all(building, ignored);
  std::error_code error;
  if (!fs::create_directory(building, error)) {
    return base::Fail("Unable to create " + building.string() + ": " + error.message());
  }
  if (Status written = WriteDefinition(building, definition); !written) {
    fs::remove_all(building, ignored);
    return base::Fail(written.error());
  }
  // rename() onto an empty folder would succeed, so only a missing name is taken.
  if (fs::exists(folder, ignored) || ::rename(building.c_str(), folder.c_str()) != 0) {
    fs::remove_all(building, ignored);
    return base::Fail("the season \"" + request.name + "\" exists already");
  }
  if (Status synced = base::SyncFolder(seasons); !synced) return base::Fail(synced.error());
  return definition;
}

Result<std::vector<std::string>> ListSeasons(const fs::path& leagueFolder) {
  std::vector<std::string> names;
  const fs::path seasons = leagueFolder / kSeasonsFolderName;
  std::error_code error;
  if (!fs::is_directory(seasons, error)) return names;
  for (const fs::directory_entry& entry : fs::directory_iterator(seasons, error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".") || !entry.is_directory(error)) continue;
    if (fs::is_regular_file(entry.path() / kDefinitionFileName, error)) names.push_back(name);
  }
  if (error) return base::Fail("Unable to list " + seasons.string() + ": " + error.message());
  std::sort(names.begin(), names.end());
  return names;
}

Result<Season> OpenSeason(const fs::path& leagueFolder, std::string_view name) {
  if (Status valid = CheckSeasonName(name); !valid) return base::Fail(valid.error());
  Season season;
  season.leagueFolder = leagueFolder;
  season.folder = SeasonFolder(leagueFolder, name);
  const fs::path path = season.folder / kDefinitionFileName;
  std::error_code error;
  if (!fs::exists(path, error)) {
    return base::Fail("no season \"" + std::string(name) + "\" in " + leagueFolder.string());
  }
  base::Result<std::string> text = base::ReadFileText(path, kMaxDefinitionBytes);
  if (!text) return base::Fail(text.error());
  base::Result<json::Value> value = json::Parse(text.value());
  if (!value) return base::Fail(path.string() + ", " + value.error());
  base::Result<SeasonDefinition> definition = DefinitionFromJson(value.value());
  if (!definition) return base::Fail(path.string() + ": " + definition.error());
  season.definition = std::move(definition).value();
  if (Status read = ReadJournal(season); !read) return base::Fail(read.error());
  return season;
}

}  // namespace qgu::season
