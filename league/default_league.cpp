#include "league/default_league.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <system_error>
#include <vector>

#include "base/file_write.h"
#include "league/cartridge_teams.h"
#include "league/league_folders.h"
#include "league/text_lines.h"

namespace qgu::league {
namespace {

namespace fs = std::filesystem;

// Names tried when a file (not a league) already has the league's name.
constexpr int kMaxLeagueNames = 100;

// Only one start at a time looks at and builds the default league: an
// advisory lock on the leagues folder itself, released when the holder ends,
// however it ends. While it is held, any build folder is a leftover.
class LeaguesFolderLock {
 public:
  static Result<LeaguesFolderLock> Take(const fs::path& leagues) {
    const int fd = ::open(leagues.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Fail("Unable to open the leagues folder " + leagues.string() + ": " + std::strerror(errno));
    while (::flock(fd, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      return Fail("Unable to lock the leagues folder " + leagues.string() + ": " + std::strerror(error));
    }
    return LeaguesFolderLock(fd);
  }
  LeaguesFolderLock(LeaguesFolderLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  LeaguesFolderLock& operator=(LeaguesFolderLock&&) = delete;
  ~LeaguesFolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }

 private:
  explicit LeaguesFolderLock(int fd) : fd_(fd) {}
  int fd_;
};

bool IsBuildFolder(const fs::path& path) { return path.filename().string().starts_with(kLeagueBuildPrefix); }

// Folders of builds that were cut short (killed, power lost, disk full).
void RemoveUnfinishedBuilds(const fs::path& leagues) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(leagues, error)) {
    std::error_code ignored;
    if (IsBuildFolder(entry.path()) && entry.is_directory(ignored)) fs::remove_all(entry.path(), ignored);
  }
}

Result<bool> HasAnyLeague(const fs::path& leagues) {
  // Any sub-folder counts: the single game dialog lists folders without config.lge too.
  Result<std::vector<std::string>> names = ListLeagues(leagues, LeagueFilter::kAllFolders);
  if (!names) return Fail(names.error());
  return !names.value().empty();
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
  for (int number = 0; number < kMaxLeagueNames; ++number) {
    const std::string name =
        std::string(kDefaultLeagueName) + (number == 0 ? std::string() : " " + std::to_string(number));
    if (::rename(built.c_str(), (leagues / name).c_str()) == 0) {
      (void)base::SyncFolder(leagues);
      return name;
    }
    // Something that is not a league has the name: try the next one.
    if (errno != EEXIST && errno != ENOTEMPTY && errno != ENOTDIR && errno != EISDIR) break;
  }
  const std::string why = std::strerror(errno);
  std::error_code ignored;
  fs::remove_all(built, ignored);
  return Fail("Unable to move the new league into " + leagues.string() + ": " + why);
}

}  // namespace

Result<DefaultLeagueOutcome> EnsureDefaultLeague(const fs::path& base, std::span<const uint8_t> cartridgeImage) {
  Result<fs::path> leagues = FindOrCreateLeaguesFolder(base);
  if (!leagues) return Fail(leagues.error());
  Result<LeaguesFolderLock> lock = LeaguesFolderLock::Take(leagues.value());
  if (!lock) return Fail(lock.error());
  RemoveUnfinishedBuilds(leagues.value());
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
  outcome.message = "Created the league \"" + name.value() + "\" in " + leagues.value().string() + " with the " +
                    std::to_string(outcome.teamCount) + " teams of the cartridge.";
  return outcome;
}

}  // namespace qgu::league
