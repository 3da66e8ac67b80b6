#pragma once
// League folders: base/qgu_lge/<league>/ holding "config.lge" (the league
// marker) and the league's team record files "*.dat". The leagues folder's
// name and the ".dat" ending are matched without regard to case. Every
// listing is sorted by name in byte order.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "league/result.h"
#include "league/team_record.h"

namespace qgu::league {

inline constexpr std::string_view kLeaguesFolderName = "qgu_lge";
inline constexpr std::string_view kLeagueMarkerName = "config.lge";
inline constexpr std::string_view kTeamFileExtension = ".dat";
// A league's seasons live in this folder inside it; it holds no teams.
inline constexpr std::string_view kSeasonsFolderName = "seasons";

// Messages shown by the league tools.
inline constexpr std::string_view kCreateLeagueFailedMessage = "Error ! unable to create league folder";

// Folders "<leagues folder>/.qgu-building-*" hold a league being built (or
// whose building was cut short); no listing shows them.
inline constexpr std::string_view kLeagueBuildPrefix = ".qgu-building-";

// Removes build folders that a cut-short league creation left. Only with the
// leagues folder's lock held (FolderLock), so no build at work is removed.
void RemoveUnfinishedLeagueBuilds(const std::filesystem::path& leaguesFolder);

// The leagues folder under base, found without regard to case ("qgu_lge"
// itself preferred when several spellings exist), or nothing.
std::optional<std::filesystem::path> FindLeaguesFolder(const std::filesystem::path& base);

// As above, creating base/qgu_lge when none exists. A base folder that
// cannot be listed is an error, never a reason to make another leagues folder.
Result<std::filesystem::path> FindOrCreateLeaguesFolder(const std::filesystem::path& base);

enum class LeagueFilter {
  kAllFolders,  // the single game dialog: every sub-folder
  kMarkedOnly,  // the import and the team editor: folders holding config.lge
};

// Names of the leagues in a leagues folder (build folders left out).
Result<std::vector<std::string>> ListLeagues(const std::filesystem::path& leaguesFolder,
                                            LeagueFilter filter);

struct NewLeague {
  std::string name;  // the folder name: the entered name, or it + " " + n
  std::filesystem::path folder;
};

// Creates a league folder for the name as entered (surrounding blanks
// trimmed): "NAME", or "NAME 1", "NAME 2", ... when that name is taken, with
// its config.lge (the trimmed name + CR CR LF). The league is built in a
// folder of its own (kLeagueBuildPrefix) and renamed in whole, so no league
// ever shows without its marker; leftover build folders of cut-short runs are
// removed. Holds the leagues folder's lock. Refuses an empty name and names
// that hold a path separator or control character. If config.lge cannot be
// written the error is kCreateLeagueFailedMessage and nothing is left.
Result<NewLeague> CreateLeague(const std::filesystem::path& leaguesFolder, std::string_view enteredName);

struct FoundLeague {
  std::filesystem::path folder;
  bool created = false;
  std::string note;  // what was done besides, when anything was
};

// The league of that name (surrounding blanks trimmed), made as CreateLeague
// makes it when there is none; one holder of the leagues folder's lock at a
// time, so imports at once into a new league make one league. An empty
// folder of that name without config.lge (what a cut-short creation left
// before leagues were built whole) becomes the league; any other folder
// without config.lge is refused.
Result<FoundLeague> FindOrCreateLeague(const std::filesystem::path& leaguesFolder, std::string_view enteredName);

struct TeamListEntry {
  std::filesystem::path path;  // the team's identity
  TeamHeader header;           // the team line; defaults where it is short
};

struct TeamListing {
  std::vector<TeamListEntry> teams;   // sorted by file name
  std::vector<std::string> skipped;   // one message per file that could not be read
  std::vector<std::string> removed;   // one message per leftover of a cut-short write removed
};

// The team files of a league folder with their team lines. Files that cannot
// be opened or hold an unreadable team line are skipped (and named in
// `skipped`); a folder that cannot be read is an error. Leftovers of writes
// cut short (see RemoveLeftovers) are removed first when no writer is at work.
Result<TeamListing> ListTeams(const std::filesystem::path& leagueFolder);

// An incoming team duplicates an existing one when city, nickname and
// abbreviation are all equal, case included.
bool IsDuplicateTeam(const TeamHeader& incoming, const TeamHeader& existing);

// The existing teams that the incoming team duplicates, in listing order.
std::vector<TeamListEntry> FindDuplicates(const TeamListing& listing, const TeamHeader& incoming);

}  // namespace qgu::league
