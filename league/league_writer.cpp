#include "league/league_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <system_error>

#include "base/file_write.h"
#include "league/team_record_file.h"
#include "league/text_case.h"

namespace qgu::league {
namespace {

namespace fs = std::filesystem;

// Far more teams than any league holds; stops a runaway search.
constexpr long kMaxFileNumber = 1'000'000;

// Only the writes of a league folder's own files are leftovers of ours.
bool IsLeftoverName(const std::string& name) {
  std::string written;
  if (!base::IsTemporaryName(name, &written)) return false;
  return EndsWithIgnoringCase(written, kTeamFileExtension) || EndsWithIgnoringCase(written, ".bmp") ||
         EqualsIgnoringCase(written, kLeagueMarkerName);
}

// Leftovers of writes cut short; only call with the folder's lock held.
std::vector<std::string> RemoveLeftoversLocked(const fs::path& folder) {
  std::vector<std::string> removed;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    std::error_code ignored;
    if (!IsLeftoverName(entry.path().filename().string()) || !entry.is_regular_file(ignored)) continue;
    if (fs::remove(entry.path(), ignored)) {
      removed.push_back("removed " + entry.path().string() + ", left by a write that was cut short");
    }
  }
  return removed;
}

Result<std::set<std::string>> LowerCaseNamesIn(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  if (error) return Fail("Unable to read league folder " + folder.string() + ": " + error.message());
  for (const fs::directory_entry& entry : entries) names.insert(LowerCase(entry.path().filename().string()));
  return names;
}

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

// Removes a picture that goes with a team that is gone or moved; a failure is reported.
void RemovePicture(const fs::path& teamFile, std::vector<std::string>& failures) {
  std::error_code error;
  fs::remove(PicturePathFor(teamFile), error);
  if (error) failures.push_back("Unable to remove " + PicturePathFor(teamFile).string() + ": " + error.message());
}

void WritePicture(const TeamPicture& picture, const fs::path& teamFile, const TeamHeader& team,
                  std::vector<std::string>& failures) {
  if (!picture) return;
  if (Status written = picture(teamFile, team); !written) failures.push_back(written.error());
}

}  // namespace

fs::path PicturePathFor(const fs::path& teamFile) {
  fs::path picture = teamFile;
  picture.replace_extension(".bmp");
  return picture;
}

fs::path FolderOf(const fs::path& file) {
  const fs::path folder = file.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

Result<LeagueWriter> LeagueWriter::Open(const fs::path& leagueFolder) {
  Result<FolderLock> lock = FolderLock::Take(leagueFolder);
  if (!lock) return Fail(lock.error());
  LeagueWriter writer(leagueFolder, std::move(lock).value());
  writer.removed_ = RemoveLeftoversLocked(leagueFolder);
  return writer;
}

Result<TeamListing> LeagueWriter::ListTeams() const { return league::ListTeams(folder_); }

Result<std::string> LeagueWriter::LowestFreeName(std::string_view stem, const std::string& own) const {
  Result<std::set<std::string>> taken = LowerCaseNamesIn(folder_);
  if (!taken) return Fail(taken.error());
  taken.value().erase(LowerCase(own));
  for (long number = 0; number < kMaxFileNumber; ++number) {
    std::string name = TeamFileName(stem, number);
    if (taken.value().count(LowerCase(name)) == 0) return name;
  }
  return Fail("No free file name for a team in " + folder_.string());
}

Result<PlacedTeam> LeagueWriter::CreateTeam(std::string_view content, const TeamHeader& team,
                                            const TeamPicture& picture) {
  Result<std::set<std::string>> taken = LowerCaseNamesIn(folder_);
  if (!taken) return Fail(taken.error());
  const std::string stem = TeamFileStem(team.abbreviation);
  for (long number = 0; number < kMaxFileNumber; ++number) {
    const std::string name = TeamFileName(stem, number);
    const fs::path path = folder_ / name;
    if (taken.value().count(LowerCase(name)) != 0 || Exists(path)) continue;
    PlacedTeam placed{path, {}};
    // The picture first: a team is never seen without it, or with a stale one.
    WritePicture(picture, path, team, placed.failures);
    Result<bool> created = base::CreateNewFile(path, content);
    if (created && created.value()) return placed;
    if (picture) {
      std::vector<std::string> ignored;
      RemovePicture(path, ignored);
    }
    if (!created) return Fail(created.error());
  }
  return Fail("No free file name for the team " + TeamDisplayName(team) + " in " + folder_.string());
}

Result<PlacedTeam> LeagueWriter::ReplaceTeam(const std::vector<fs::path>& old, std::string_view content,
                                             const TeamHeader& team, const TeamPicture& picture) {
  if (old.empty()) return CreateTeam(content, team, picture);
  PlacedTeam placed{old.front(), {}};
  if (Status replaced = base::ReplaceFile(placed.path, content); !replaced) return Fail(replaced.error());
  for (size_t i = 1; i < old.size(); ++i) {
    std::error_code error;
    fs::remove(old[i], error);
    if (error) {
      placed.failures.push_back("Unable to remove " + old[i].string() + ": " + error.message());
    } else {
      RemovePicture(old[i], placed.failures);
    }
  }
  MoveToLowestFreeName(placed, team);
  // Last, at the team's final name: until then the team shows its own old picture.
  WritePicture(picture, placed.path, team, placed.failures);
  return placed;
}

// The picture moves first and comes back when the team cannot follow it; a
// picture left at the free name belongs to no team and is replaced.
void LeagueWriter::MoveToLowestFreeName(PlacedTeam& placed, const TeamHeader& team) {
  Result<std::string> name = LowestFreeName(TeamFileStem(team.abbreviation), placed.path.filename().string());
  if (!name || LowerCase(name.value()) == LowerCase(placed.path.filename().string())) return;
  const fs::path target = folder_ / name.value();
  const fs::path picture = PicturePathFor(placed.path);
  const bool hasPicture = Exists(picture);
  if (hasPicture) {
    if (std::rename(picture.c_str(), PicturePathFor(target).c_str()) != 0) return;
  } else {
    RemovePicture(target, placed.failures);
  }
  Result<bool> moved = base::RenameNoReplace(placed.path, target);
  if (moved && moved.value()) {
    placed.path = target;
    return;
  }
  if (hasPicture) (void)std::rename(PicturePathFor(target).c_str(), picture.c_str());
}

Status LeagueWriter::Rewrite(const fs::path& file, std::string_view content) {
  return base::ReplaceFile(file, content);
}

std::vector<std::string> RemoveLeftovers(const fs::path& leagueFolder) {
  Result<std::optional<FolderLock>> lock = FolderLock::TryTake(leagueFolder);
  if (!lock || !lock.value()) return {};
  return RemoveLeftoversLocked(leagueFolder);
}

}  // namespace qgu::league
