// The dynasty's files: creating it, reading its definition and journal, and
// the players and rosters of a year.
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <fstream>

#include "base/file_read.h"
#include "base/file_write.h"
#include "dynasty/dynasty.h"
#include "dynasty/dynasty_files.h"
#include "dynasty/json_fields.h"
#include "league/folder_lock.h"
#include "league/league_writer.h"
#include "league/league_folders.h"
#include "league/team_record_file.h"
#include "season/season.h"
#include "season/season_files.h"

namespace qgu::dynasty {
namespace {

namespace fs = std::filesystem;
namespace json = season::json;
using namespace fields;

constexpr size_t kMaxStateFileBytes = 64 << 20;
constexpr int kDefinitionFormat = 1;

json::Value DefinitionJson(const DynastyDefinition& d) {
  json::Value out = json::Value::Object();
  out.Set("format", kDefinitionFormat);
  out.Set("name", d.name);
  out.Set("league", d.sourceLeague);
  out.Set("seed", d.seed);
  out.Set("first_year", d.firstYear);
  out.Set("games", d.gamesPerTeam);
  out.Set("quarter", d.quarterMinutes);
  out.Set("playoff_teams", d.playoffTeams);
  out.Set("divisions", d.divisionsText);
  json::Value users = json::Value::Array();
  for (const std::string& u : d.userTeams) users.Push(u);
  out.Set("users", std::move(users));
  out.Set("offseason", d.offseason);
  out.Set("founding_level", LevelJson(d.founding));
  return out;
}

base::Result<DynastyDefinition> DefinitionFromJson(const json::Value& v) {
  if (!v.IsObject()) return base::Fail("not a JSON object");
  if (Number(v, "format") != kDefinitionFormat) return base::Fail("an unknown format");
  DynastyDefinition d;
  d.name = Text(v, "name");
  d.sourceLeague = Text(v, "league");
  const json::Value* seed = v.Find("seed");
  d.seed = seed && seed->IsNumber() ? static_cast<uint32_t>(seed->AsNumber()) : 0;
  d.firstYear = Number(v, "first_year", 1);
  d.gamesPerTeam = Number(v, "games");
  d.quarterMinutes = Number(v, "quarter", 5);
  d.playoffTeams = Number(v, "playoff_teams", -1);
  d.divisionsText = Text(v, "divisions");
  if (const json::Value* users = v.Find("users"); users && users->IsArray()) {
    for (const json::Value& u : users->Items()) {
      if (u.IsString()) d.userTeams.push_back(u.AsString());
    }
  }
  const json::Value* offseason = v.Find("offseason");
  d.offseason = !offseason || !offseason->IsBool() || offseason->AsBool();
  if (const json::Value* level = v.Find("founding_level")) d.founding = LevelFromJson(*level);
  if (d.name.empty() || d.quarterMinutes < 1 || d.quarterMinutes > 99) return base::Fail("no name or a bad quarter length");
  return d;
}

base::Result<json::Value> ReadJsonFile(const fs::path& path) {
  base::Result<std::string> text = base::ReadFileText(path, kMaxStateFileBytes);
  if (!text) return base::Fail(text.error());
  base::Result<json::Value> value = json::Parse(text.value());
  if (!value) return base::Fail(path.string() + ": " + value.error());
  return value;
}

// The league's teams, whole: a file that does not read is named.
base::Result<std::vector<TeamEntry>> ReadTeams(const fs::path& folder) {
  base::Result<league::TeamListing> listing = league::ListTeams(folder);
  if (!listing) return base::Fail(listing.error());
  if (!listing.value().skipped.empty()) return base::Fail(listing.value().skipped.front());
  std::vector<TeamEntry> teams;
  for (const league::TeamListEntry& entry : listing.value().teams) {
    base::Result<league::TeamRecord> record = league::ReadTeamRecordFile(entry.path);
    if (!record) return base::Fail(entry.path.string() + ": " + record.error());
    teams.push_back({entry.path.filename().string(), record.value()});
  }
  if (teams.size() < 2) return base::Fail("the league " + folder.string() + " has fewer than two teams");
  return teams;
}

base::Status CopyFile(const fs::path& from, const fs::path& to) {
  base::Result<std::string> bytes = base::ReadFileText(from, kMaxStateFileBytes);
  if (!bytes) return base::Fail(bytes.error());
  base::Result<bool> made = base::CreateNewFile(to, bytes.value());
  if (!made) return base::Fail(made.error());
  if (!made.value()) return base::Fail(to.string() + " is there already");
  return {};
}

// The user teams as file names: by file name or abbreviation.
base::Result<std::vector<std::string>> UserFiles(const std::vector<TeamEntry>& teams,
                                                 const std::vector<std::string>& asked) {
  std::vector<std::string> files;
  for (const std::string& a : asked) {
    const auto it = std::find_if(teams.begin(), teams.end(), [&](const TeamEntry& t) {
      return t.file == a || t.record.header.abbreviation == a;
    });
    if (it == teams.end()) return base::Fail("no team \"" + a + "\" in the league");
    files.push_back(it->file);
  }
  return files;
}

}  // namespace

fs::path RegistryPath(const Dynasty& dynasty, int year) {
  return dynasty.StateFolder() / "players" / (std::to_string(year) + ".json");
}

fs::path StepPath(const Dynasty& dynasty, int year, std::string_view step) {
  return dynasty.StateFolder() / "years" / std::to_string(year) / (std::string(step) + ".json");
}

fs::path HistoryFolder(const Dynasty& dynasty, int year) {
  return dynasty.StateFolder() / "history" / std::to_string(year);
}

base::Status WriteStateFile(const fs::path& path, const json::Value& value) {
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  if (error) return base::Fail("cannot make the folder " + path.parent_path().string() + ": " + error.message());
  return base::ReplaceFile(path, json::WritePretty(value) + "\n");
}

base::Result<json::Value> ReadStateFile(const fs::path& path) { return ReadJsonFile(path); }

base::Status JournalStep(Dynasty& dynasty, int year, std::string_view step) {
  base::Result<season::CJournalWriter> writer = season::CJournalWriter::Open(dynasty.StateFolder());
  if (!writer) return base::Fail(writer.error());
  json::Value line = json::Value::Object();
  line.Set("year", year);
  line.Set("step", std::string(step));
  base::Status appended = writer.value().Append(json::Write(line));
  if (!appended) return appended;
  dynasty.done.insert({year, std::string(step)});
  return {};
}

base::Status WriteRosters(const Dynasty& dynasty, const Rosters& rosters) {
  base::Result<league::LeagueWriter> writer = league::LeagueWriter::Open(dynasty.folder);
  if (!writer) return base::Fail(writer.error());
  for (const TeamEntry& team : rosters.teams) {
    const league::TeamLineForm form = team.record.header.fieldCount <= 16 ? league::TeamLineForm::kImport
                                                                          : league::TeamLineForm::kFull;
    base::Result<std::string> text = league::FormatTeamRecord(team.record, form);
    if (!text) return base::Fail(team.file + ": " + text.error());
    base::Status written = writer.value().Rewrite(dynasty.folder / team.file, text.value());
    if (!written) return written;
  }
  return {};
}

base::Result<Dynasty> CreateDynasty(const fs::path& leaguesFolder, const DynastyRequest& request) {
  if (base::Status name = season::CheckSeasonName(request.name); !name) return base::Fail("the dynasty's " + name.error());
  const fs::path source = leaguesFolder / request.sourceLeague;
  base::Result<std::vector<TeamEntry>> teams = ReadTeams(source);
  if (!teams) return base::Fail(teams.error());
  base::Result<std::vector<std::string>> users = UserFiles(teams.value(), request.userTeams);
  if (!users) return base::Fail(users.error());

  Dynasty dynasty;
  DynastyDefinition& d = dynasty.definition;
  d.name = request.name;
  d.sourceLeague = request.sourceLeague;
  d.seed = request.seed.value_or(static_cast<uint32_t>(std::time(nullptr)));
  d.firstYear = request.firstYear;
  d.gamesPerTeam = request.gamesPerTeam.value_or(0);
  d.quarterMinutes = request.quarterMinutes;
  d.playoffTeams = request.playoffTeams.value_or(-1);
  d.divisionsText = request.divisionsText;
  d.userTeams = users.value();
  d.offseason = request.offseason;
  d.founding = LevelOf(teams.value());

  base::Result<league::FolderLock> lock = league::FolderLock::Take(leaguesFolder);
  if (!lock) return base::Fail(lock.error());
  league::RemoveUnfinishedLeagueBuilds(leaguesFolder);
  const fs::path place = leaguesFolder / request.name;
  std::error_code error;
  if (fs::exists(fs::symlink_status(place, error))) return base::Fail("the name \"" + request.name + "\" is taken");
  const fs::path build = leaguesFolder / (std::string(league::kLeagueBuildPrefix) + "dynasty-" + request.name);
  fs::remove_all(build, error);
  const auto built = [&]() -> base::Status {
    fs::create_directories(build / kDynastyFolderName, error);
    if (error) return base::Fail("cannot make " + build.string() + ": " + error.message());
    base::Result<bool> marker = base::CreateNewFile(build / league::kLeagueMarkerName, request.name + "\r\r\n");
    if (!marker || !marker.value()) return base::Fail(std::string(league::kCreateLeagueFailedMessage));
    for (const TeamEntry& team : teams.value()) {
      if (base::Status copied = CopyFile(source / team.file, build / team.file); !copied) return copied;
      const fs::path picture = league::PicturePathFor(source / team.file);
      if (fs::is_regular_file(picture, error)) {
        if (base::Status copied = CopyFile(picture, build / picture.filename()); !copied) return copied;
      }
    }
    Dynasty inBuild = dynasty;
    inBuild.folder = build;
    if (base::Status written = WriteStateFile(build / kDynastyFolderName / kDynastyFileName, DefinitionJson(d));
        !written) {
      return written;
    }
    const Registry registry = FoundingRegistry(teams.value(), d.firstYear, d.seed);
    return WriteStateFile(RegistryPath(inBuild, d.firstYear), RegistryJson(registry));
  }();
  if (!built) {
    fs::remove_all(build, error);
    return base::Fail(built.error());
  }
  base::Result<bool> renamed = base::RenameNoReplace(build, place);
  if (!renamed || !renamed.value()) {
    fs::remove_all(build, error);
    return base::Fail(renamed ? "the name \"" + request.name + "\" is taken" : renamed.error());
  }
  dynasty.folder = place;
  base::Status season = MakeSeason(dynasty, d.firstYear);
  if (!season) {
    fs::remove_all(place, error);
    return base::Fail(season.error());
  }
  dynasty.state.year = d.firstYear;
  dynasty.state.lastStep = std::string(kStepSeasonMade);
  return dynasty;
}

base::Status MakeSeason(Dynasty& dynasty, int year) {
  const DynastyDefinition& d = dynasty.definition;
  season::SeasonRequest request;
  request.name = dynasty.SeasonName(year);
  if (d.gamesPerTeam > 0) request.gamesPerTeam = d.gamesPerTeam;
  request.quarterMinutes = d.quarterMinutes;
  if (d.playoffTeams >= 0) request.playoffTeams = d.playoffTeams;
  request.divisionsText = d.divisionsText;
  request.userTeams = d.userTeams;
  request.seed = season::GameSeed(d.seed, 100000 + year);
  base::Result<season::SeasonDefinition> made = season::CreateSeason(dynasty.folder, request);
  if (!made) {
    // Made already by a run cut short before its journal line: take it as it is.
    base::Result<season::Season> there = season::OpenSeason(dynasty.folder, request.name);
    if (!there || there.value().definition.seed != *request.seed) return base::Fail(made.error());
  }
  return JournalStep(dynasty, year, kStepSeasonMade);
}

base::Result<Dynasty> OpenDynasty(const fs::path& leaguesFolder, std::string_view name) {
  Dynasty dynasty;
  dynasty.folder = leaguesFolder / std::string(name);
  const fs::path definitionPath = dynasty.StateFolder() / kDynastyFileName;
  std::error_code error;
  if (!fs::is_regular_file(definitionPath, error)) {
    return base::Fail("no dynasty \"" + std::string(name) + "\" here (" + definitionPath.string() + " is missing)");
  }
  base::Result<json::Value> definition = ReadJsonFile(definitionPath);
  if (!definition) return base::Fail(definition.error());
  base::Result<DynastyDefinition> d = DefinitionFromJson(definition.value());
  if (!d) return base::Fail(definitionPath.string() + ": " + d.error());
  dynasty.definition = d.value();

  const fs::path journalPath = dynasty.StateFolder() / season::kJournalFileName;
  base::Result<std::string> journal = base::ReadFileText(journalPath, kMaxStateFileBytes);
  if (!journal) return base::Fail(journal.error());
  size_t start = 0;
  int lineNumber = 0;
  while (start < journal.value().size()) {
    size_t end = journal.value().find('\n', start);
    if (end == std::string::npos) break;  // a torn last line: the step it names is done again
    ++lineNumber;
    const std::string_view line(journal.value().data() + start, end - start);
    start = end + 1;
    base::Result<json::Value> step = json::Parse(line, lineNumber);
    if (!step || !step.value().IsObject()) {
      return base::Fail(journalPath.string() + ", line " + std::to_string(lineNumber) + ": a damaged line");
    }
    const int year = Number(step.value(), "year");
    const std::string what = Text(step.value(), "step");
    if (year < dynasty.definition.firstYear || what.empty()) {
      return base::Fail(journalPath.string() + ", line " + std::to_string(lineNumber) + ": a damaged line");
    }
    dynasty.done.insert({year, what});
    if (year >= dynasty.state.year) {
      dynasty.state.year = year;
      dynasty.state.lastStep = what;
    }
  }
  if (dynasty.done.empty()) return base::Fail(journalPath.string() + " holds no step: the dynasty was not made whole");
  dynasty.state.seasonPlayed = dynasty.Done(dynasty.state.year, kStepSeasonPlayed);
  if (dynasty.state.seasonPlayed && !dynasty.Done(dynasty.state.year, kStepDraft)) {
    if (base::Result<json::Value> draft = ReadJsonFile(StepPath(dynasty, dynasty.state.year, kStepDraft))) {
      if (const json::Value* waiting = draft.value().Find("waiting_for"); waiting && waiting->IsString()) {
        dynasty.state.waitingForPick = true;
        dynasty.state.waitingTeam = waiting->AsString();
      }
    }
  }
  return dynasty;
}

base::Result<std::vector<std::string>> ListDynasties(const fs::path& leaguesFolder, std::string_view sourceLeague) {
  base::Result<std::vector<std::string>> leagues = league::ListLeagues(leaguesFolder, league::LeagueFilter::kAllFolders);
  if (!leagues) return base::Fail(leagues.error());
  std::vector<std::string> names;
  for (const std::string& name : leagues.value()) {
    base::Result<Dynasty> d = OpenDynasty(leaguesFolder, name);
    if (d && (sourceLeague.empty() || d.value().definition.sourceLeague == sourceLeague)) names.push_back(name);
  }
  return names;
}

base::Result<Registry> RegistryOf(const Dynasty& dynasty, int year) {
  const fs::path path = RegistryPath(dynasty, year);
  base::Result<json::Value> value = ReadJsonFile(path);
  if (!value) return base::Fail(value.error());
  base::Result<Registry> registry = RegistryFromJson(value.value());
  if (!registry) return base::Fail(path.string() + ": " + registry.error());
  if (registry.value().year != year) return base::Fail(path.string() + ": the players of another year");
  return registry;
}

base::Result<Rosters> RostersOf(const Dynasty& dynasty, int year) {
  base::Result<Registry> registry = RegistryOf(dynasty, year);
  if (!registry) return base::Fail(registry.error());
  const fs::path history = HistoryFolder(dynasty, year);
  std::error_code error;
  base::Result<std::vector<TeamEntry>> teams = ReadTeams(fs::is_directory(history, error) ? history : dynasty.folder);
  if (!teams) return base::Fail(teams.error());
  return Rosters{teams.value(), registry.value()};
}

base::Status KeepHistory(const Dynasty& dynasty, int year) {
  const fs::path history = HistoryFolder(dynasty, year);
  std::error_code error;
  if (fs::is_directory(history, error)) return {};
  base::Result<std::vector<TeamEntry>> teams = ReadTeams(dynasty.folder);
  if (!teams) return base::Fail(teams.error());
  const fs::path build = history.parent_path() / ("." + std::to_string(year) + ".building");
  fs::remove_all(build, error);
  fs::create_directories(build, error);
  if (error) return base::Fail("cannot make " + build.string() + ": " + error.message());
  for (const TeamEntry& team : teams.value()) {
    if (base::Status copied = CopyFile(dynasty.folder / team.file, build / team.file); !copied) return copied;
    ::chmod((build / team.file).c_str(), 0444);
  }
  base::Result<bool> renamed = base::RenameNoReplace(build, history);
  if (!renamed) return base::Fail(renamed.error());
  return {};
}

}  // namespace qgu::dynasty
