#include "league/league_folders.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <set>
#include <system_error>

#include "league/file_io.h"
#include "league/folder_lock.h"
#include "league/league_writer.h"
#include "league/text_case.h"
#include "league/team_record_file.h"
#include "league/text_lines.h"

namespace qgu::league {
namespace {

namespace fs = std::filesystem;

// Numbered names tried before giving up ("NAME 1" ... "NAME 9999").
constexpr long kMaxLeagueNumber = 9999;
// Failures other than "name taken" (read-only disk, name too long, ...) tried
// before giving up: such a failure rarely goes away with another number.
constexpr int kMaxOtherCreateFailures = 3;

bool IsDirectory(const fs::directory_entry& entry) {
  std::error_code error;
  return entry.is_directory(error);
}

bool IsRegularFile(const fs::directory_entry& entry) {
  std::error_code error;
  return entry.is_regular_file(error);
}

// Entries of a folder sorted by name, or an error naming the folder.
Result<std::vector<fs::directory_entry>> SortedEntries(const fs::path& folder) {
  std::error_code error;
  fs::directory_iterator iterator(folder, error);
  if (error) return Fail("Unable to read folder " + folder.string() + ": " + error.message());
  std::vector<fs::directory_entry> entries;
  for (; iterator != fs::directory_iterator(); iterator.increment(error)) {
    if (error) break;
    entries.push_back(*iterator);
  }
  if (error) return Fail("Unable to read folder " + folder.string() + ": " + error.message());
  std::sort(entries.begin(), entries.end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
    return a.path().filename().string() < b.path().filename().string();
  });
  return entries;
}

bool HoldsLeagueMarker(const fs::path& folder) {
  std::error_code error;
  if (fs::is_regular_file(folder / kLeagueMarkerName, error)) return true;
  Result<std::vector<fs::directory_entry>> entries = SortedEntries(folder);
  if (!entries) return false;
  return std::any_of(entries.value().begin(), entries.value().end(), [](const fs::directory_entry& entry) {
    return EqualsIgnoringCase(entry.path().filename().string(), kLeagueMarkerName) && IsRegularFile(entry);
  });
}

Status CheckLeagueName(std::string_view name) {
  if (name.empty()) return Fail("Please enter a name for the new league.");
  // "." and ".." are the leagues folder and its parent, never a league.
  if (name == "." || name == "..") return Fail("\"" + std::string(name) + "\" cannot name a league.");
  for (char c : name) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      return Fail("A league name cannot hold \"/\", \"\\\" or control characters.");
    }
  }
  return {};
}

std::string NumberedName(std::string_view name, long number) {
  if (number == 0) return std::string(name);
  return std::string(name) + " " + std::to_string(number);
}

std::string CreateFailed(const std::string& why) { return std::string(kCreateLeagueFailedMessage) + "\n" + why; }

// Renames a whole league folder in as "NAME", or "NAME 1", "NAME 2", ... when
// that name is taken; a taken name is never replaced.
Result<NewLeague> MoveInNumbered(const fs::path& leaguesFolder, const fs::path& built, std::string_view name) {
  std::set<std::string> taken;
  if (Result<std::vector<fs::directory_entry>> entries = SortedEntries(leaguesFolder)) {
    for (const fs::directory_entry& entry : entries.value()) {
      taken.insert(LowerCase(entry.path().filename().string()));
    }
  }
  int otherFailures = 0;
  std::string lastError;
  for (long number = 0; number <= kMaxLeagueNumber; ++number) {
    const std::string candidate = NumberedName(name, number);
    if (taken.count(LowerCase(candidate)) != 0) continue;
    const fs::path folder = leaguesFolder / candidate;
    Result<bool> moved = base::RenameNoReplace(built, folder);
    if (moved && moved.value()) return NewLeague{candidate, folder};
    if (moved) continue;
    lastError = moved.error();
    if (++otherFailures >= kMaxOtherCreateFailures) break;
  }
  if (lastError.empty()) lastError = "every name from \"" + std::string(name) + "\" to \"" +
                                     NumberedName(name, kMaxLeagueNumber) + "\" is taken";
  return Fail(CreateFailed(lastError));
}

Result<std::optional<fs::path>> LocateLeaguesFolder(const fs::path& base) {
  Result<std::vector<fs::directory_entry>> entries = SortedEntries(base);
  if (!entries) return Fail(entries.error());
  std::optional<fs::path> found;
  for (const fs::directory_entry& entry : entries.value()) {
    const std::string name = entry.path().filename().string();
    if (!EqualsIgnoringCase(name, kLeaguesFolderName) || !IsDirectory(entry)) continue;
    if (name == kLeaguesFolderName) return std::optional<fs::path>(entry.path());
    if (!found) found = entry.path();
  }
  return found;
}

}  // namespace

std::optional<fs::path> FindLeaguesFolder(const fs::path& base) {
  Result<std::optional<fs::path>> found = LocateLeaguesFolder(base);
  return found ? found.value() : std::nullopt;
}

Result<fs::path> FindOrCreateLeaguesFolder(const fs::path& base) {
  Result<std::optional<fs::path>> found = LocateLeaguesFolder(base);
  if (!found) return Fail(found.error());
  if (found.value()) return *found.value();
  const fs::path folder = base / kLeaguesFolderName;
  std::error_code error;
  fs::create_directory(folder, error);
  if (error || !fs::is_directory(folder, error)) {
    return Fail("Unable to create the leagues folder " + folder.string() +
                (error ? ": " + error.message() : std::string()));
  }
  return folder;
}

Result<std::vector<std::string>> ListLeagues(const fs::path& leaguesFolder, LeagueFilter filter) {
  Result<std::vector<fs::directory_entry>> entries = SortedEntries(leaguesFolder);
  if (!entries) return Fail(entries.error());
  std::vector<std::string> leagues;
  for (const fs::directory_entry& entry : entries.value()) {
    if (!IsDirectory(entry) || entry.path().filename().string().starts_with(kLeagueBuildPrefix)) continue;
    if (filter == LeagueFilter::kMarkedOnly && !HoldsLeagueMarker(entry.path())) continue;
    leagues.push_back(entry.path().filename().string());
  }
  return leagues;
}

void RemoveUnfinishedLeagueBuilds(const fs::path& leaguesFolder) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(leaguesFolder, error)) {
    std::error_code ignored;
    if (entry.path().filename().string().starts_with(kLeagueBuildPrefix) && entry.is_directory(ignored)) {
      fs::remove_all(entry.path(), ignored);
    }
  }
}

namespace {

Result<fs::path> MakeBuildFolder(const fs::path& leaguesFolder) {
  std::string pattern = (leaguesFolder / (std::string(kLeagueBuildPrefix) + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    return Fail("Unable to create a folder in " + leaguesFolder.string() + ": " + std::strerror(errno));
  }
  return fs::path(pattern);
}

Result<NewLeague> CreateLeagueLocked(const fs::path& leaguesFolder, std::string_view enteredName) {
  const std::string_view name = base::Trim(enteredName);
  if (Status valid = CheckLeagueName(name); !valid) return Fail(valid.error());
  RemoveUnfinishedLeagueBuilds(leaguesFolder);
  Result<fs::path> built = MakeBuildFolder(leaguesFolder);
  if (!built) return Fail(CreateFailed(built.error()));
  const auto failed = [&built](const std::string& why) -> Result<NewLeague> {
    std::error_code ignored;
    fs::remove_all(built.value(), ignored);
    return Fail(why);
  };
  const std::string marker = std::string(name) + kWindowsTextLineEnd;
  Result<bool> written = CreateNewFile(built.value() / kLeagueMarkerName, marker);
  if (!written || !written.value()) return failed(std::string(kCreateLeagueFailedMessage));
  if (Status synced = base::SyncFolder(built.value()); !synced) return failed(CreateFailed(synced.error()));
  Result<NewLeague> league = MoveInNumbered(leaguesFolder, built.value(), name);
  if (!league) return failed(league.error());
  (void)base::SyncFolder(leaguesFolder);
  return league;
}

}  // namespace

Result<NewLeague> CreateLeague(const fs::path& leaguesFolder, std::string_view enteredName) {
  if (Status valid = CheckLeagueName(base::Trim(enteredName)); !valid) return Fail(valid.error());
  Result<FolderLock> lock = FolderLock::Take(leaguesFolder);
  if (!lock) return Fail(CreateFailed(lock.error()));
  return CreateLeagueLocked(leaguesFolder, enteredName);
}

Result<FoundLeague> FindOrCreateLeague(const fs::path& leaguesFolder, std::string_view enteredName) {
  const std::string name(base::Trim(enteredName));
  if (Status valid = CheckLeagueName(name); !valid) return Fail(valid.error());
  Result<FolderLock> lock = FolderLock::Take(leaguesFolder);
  if (!lock) return Fail(lock.error());
  RemoveUnfinishedLeagueBuilds(leaguesFolder);
  const fs::path folder = leaguesFolder / name;
  std::error_code error;
  if (!fs::exists(folder, error)) {
    Result<NewLeague> created = CreateLeagueLocked(leaguesFolder, name);
    if (!created) return Fail(created.error());
    return FoundLeague{created.value().folder, true, {}};
  }
  if (HoldsLeagueMarker(folder)) return FoundLeague{folder, false, {}};
  if (!fs::is_directory(folder, error) || !fs::is_empty(folder, error)) {
    return Fail(folder.string() + " is not a league (it holds no " + std::string(kLeagueMarkerName) + ")");
  }
  // An empty folder is what a league creation cut short used to leave: it becomes the league.
  Result<FolderLock> leagueLock = FolderLock::Take(folder);
  if (!leagueLock) return Fail(leagueLock.error());
  Result<bool> marked = CreateNewFile(folder / kLeagueMarkerName, name + kWindowsTextLineEnd);
  if (!marked || !marked.value()) {
    return Fail(std::string(kCreateLeagueFailedMessage) + (marked ? std::string() : "\n" + marked.error()));
  }
  return FoundLeague{folder, true, "made the empty folder " + folder.string() + " a league"};
}

Result<TeamListing> ListTeams(const fs::path& leagueFolder) {
  TeamListing listing;
  listing.removed = RemoveLeftovers(leagueFolder);
  Result<std::vector<fs::directory_entry>> entries = SortedEntries(leagueFolder);
  if (!entries) return Fail(entries.error());
  for (const fs::directory_entry& entry : entries.value()) {
    if (entry.path().filename() == kSeasonsFolderName) continue;
    if (!EndsWithIgnoringCase(entry.path().filename().string(), kTeamFileExtension)) continue;
    if (!IsRegularFile(entry)) continue;
    Result<TeamHeader> header = ReadTeamLineFile(entry.path());
    if (!header) {
      listing.skipped.push_back(header.error());
      continue;
    }
    listing.teams.push_back(TeamListEntry{entry.path(), std::move(header).value()});
  }
  return listing;
}

bool IsDuplicateTeam(const TeamHeader& incoming, const TeamHeader& existing) {
  return incoming.city == existing.city && incoming.nickname == existing.nickname &&
         incoming.abbreviation == existing.abbreviation;
}

std::vector<TeamListEntry> FindDuplicates(const TeamListing& listing, const TeamHeader& incoming) {
  std::vector<TeamListEntry> duplicates;
  for (const TeamListEntry& entry : listing.teams) {
    if (IsDuplicateTeam(incoming, entry.header)) duplicates.push_back(entry);
  }
  return duplicates;
}

}  // namespace qgu::league
