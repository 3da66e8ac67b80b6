#include "league/default_league.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <system_error>
#include <vector>

#include "base/file_write.h"
#include "league/cartridge_teams.h"
#include "league/folder_lock.h"
#include "league/league_folders.h"
#include "league/text_lines.h"

namespace qgu::league {
namespace {

namespace fs = std::filesystem;

// Names tried when a file (not a league) already has the league's name.
constexpr int kMaxLeagueNames = 100;

bool IsEmptyFolder(const fs::path& folder) {
  std::error_code error;
  return fs::is_empty(folder, error) && !error;
}

Result<bool> HasAnyLeague(const fs::path& leagues) {
  // Any sub-folder counts (the single game dialog lists folders without
  // config.lge too) but an empty one: that holds no team, and is what a
  // league creation cut short used to leave.
  Result<std::vector<std::string>> names = ListLeagues(leagues, LeagueFilter::kAllFolders);
  if (!names) return Fail(names.error());
  return std::any_of(names.value().begin(), names.value().end(),
                     [&leagues](const std::string& name) { return !IsEmptyFolder(leagues / name); });
}

// The whole league in a folder of its own beside its final place.
Result<fs::path> BuildLeague(const fs::path& leagues, const CartridgeTeams& teams) {
  std::string pattern = (leagues / (std::string(kLeagueBuildPrefix) + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    return Fail("Unable to create a folder in " + leagues.string() + ": " + std::strerror(errno));
  }
  const fs::path folder = pattern;
  const auto failed = [&folder](const std::string& why) -> Result<fs::path> {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return Fail(why);
  };
  Result<bool> marker =
      base::CreateNewFile(folder / kLeagueMarkerName, std::string(kDefaultLeagueName) + kWindowsTextLineEnd);
  if (!marker) return failed(marker.error());
  std::vector<int> all(cartridge::kTeamCount);
  std::iota(all.begin(), all.end(), 0);
  // A fresh folder holds no team to duplicate; never overwrite if one appears.
  Result<ImportReport> report =
      WriteCartridgeTeams(folder, teams, all, [](const TeamHeader&, const TeamListEntry&) { return false; });
  if (!report) return failed(report.error());
  if (!report.value().failures.empty()) return failed(report.value().failures.front());
  if (report.value().written.size() != cartridge::kTeamCount) {
    return failed("only " + std::to_string(report.value().written.size()) + " teams could be written");
  }
  if (Status synced = base::SyncFolder(folder); !synced) return failed(synced.error());
  return folder;
}

// Renames the finished league into place: all of it appears at once.
Result<std::string> MoveIntoPlace(const fs::path& built, const fs::path& leagues) {
  std::string why = "every name is taken";
  for (int number = 0; number < kMaxLeagueNames; ++number) {
    const std::string name =
        std::string(kDefaultLeagueName) + (number == 0 ? std::string() : " " + std::to_string(number));
    Result<bool> moved = base::RenameNoReplace(built, leagues / name);
    if (moved && moved.value()) {
      (void)base::SyncFolder(leagues);
      return name;
    }
    // Something has the name (an empty folder, a file): try the next one.
    if (!moved) {
      why = moved.error();
      break;
    }
  }
  std::error_code ignored;
  fs::remove_all(built, ignored);
  return Fail("Unable to move the new league into " + leagues.string() + ": " + why);
}

}  // namespace

Result<DefaultLeagueOutcome> EnsureDefaultLeague(const fs::path& base, std::span<const uint8_t> cartridgeImage) {
  Result<fs::path> leagues = FindOrCreateLeaguesFolder(base);
  if (!leagues) return Fail(leagues.error());
  // One start at a time looks at and builds the default league.
  Result<FolderLock> lock = FolderLock::Take(leagues.value());
  if (!lock) return Fail(lock.error());
  RemoveUnfinishedLeagueBuilds(leagues.value());
  Result<bool> hasLeague = HasAnyLeague(leagues.value());
  if (!hasLeague) return Fail(hasLeague.error());
  if (hasLeague.value()) return DefaultLeagueOutcome{};

  const std::string failure = "Unable to make the league \"" + std::string(kDefaultLeagueName) + "\": ";
  Result<CartridgeTeams> teams = ExtractCartridgeTeams(cartridgeImage);
  if (!teams) return Fail(failure + teams.error());
  if (Status whole = CheckTeamsWhole(teams.value()); !whole) return Fail(failure + whole.error());
  Result<fs::path> built = BuildLeague(leagues.value(), teams.value());
  if (!built) return Fail(failure + built.error());
  Result<std::string> name = MoveIntoPlace(built.value(), leagues.value());
  if (!name) return Fail(failure + name.error());

  DefaultLeagueOutcome outcome;
  outcome.created = true;
  outcome.folder = leagues.value() / name.value();
  outcome.teamCount = cartridge::kTeamCount;
  // The whole path: a start moved into the data folder would otherwise say "./qgu_lge".
  std::error_code unknown;
  const std::filesystem::path whole = std::filesystem::absolute(leagues.value(), unknown).lexically_normal();
  outcome.message = "Created the league \"" + name.value() + "\" in " + (unknown ? leagues.value() : whole).string() +
                    " with the " + std::to_string(outcome.teamCount) + " teams of the cartridge.";
  return outcome;
}

}  // namespace qgu::league
