#pragma once
// The one writer of a league folder. Whoever changes a league's files (the
// import, the new-team dialog, the editors' saves, the default league) opens
// a LeagueWriter for the folder: it holds the folder's lock (FolderLock) for
// as long as it lives, so what it lists is what it writes into, and no two
// writers pick the same free name or remove each other's files.
//
// Every file appears whole: it is written to a temporary name beside its
// place ("<name>.tmp", see base::CreateNewFile) and renamed in; a new name
// never replaces a file that is there. What a write cut short by a kill
// leaves is only such a temporary file, which the next writer (or a listing
// while no writer is at work) removes.
//
// A team's helmet picture lies beside its record file (PicturePathFor) and
// goes where the team goes: a team moved to another name takes its picture
// along, a team removed takes its picture with it.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "league/folder_lock.h"
#include "league/league_folders.h"
#include "league/result.h"
#include "league/team_record.h"
#include "league/team_record_format.h"

namespace qgu::league {

// Writes the picture that goes beside a team record file (at
// PicturePathFor(teamFile)) for the team.
using TeamPicture = std::function<Status(const std::filesystem::path& teamFile, const TeamHeader& team)>;

// "<folder>/<stem>.bmp" for "<folder>/<stem>.dat".
std::filesystem::path PicturePathFor(const std::filesystem::path& teamFile);

// The folder a file lies in ("." for a bare file name).
std::filesystem::path FolderOf(const std::filesystem::path& file);

struct PlacedTeam {
  std::filesystem::path path;
  std::vector<std::string> failures;  // what could not be written or removed beside the team
};

class LeagueWriter {
 public:
  // Waits for the folder's lock, then removes leftovers of cut-short writes.
  static Result<LeagueWriter> Open(const std::filesystem::path& leagueFolder);

  const std::filesystem::path& folder() const { return folder_; }
  // Leftovers removed when the writer opened, one message each.
  const std::vector<std::string>& removedLeftovers() const { return removed_; }

  // The league's teams as they are now.
  Result<TeamListing> ListTeams() const;

  // A new team record file with this content under the naming rule, its
  // picture (when given) written first.
  Result<PlacedTeam> CreateTeam(std::string_view content, const TeamHeader& team, const TeamPicture& picture);

  // The team in place of the files `old` (the same team, already there): the
  // first takes the new content in one rename, so the team is never missing
  // nor there twice; the others are removed with their pictures. The team then
  // moves, with its old picture, to the lowest free name of its stem, where
  // its new picture is written last. On an error the old files are left as
  // they were.
  Result<PlacedTeam> ReplaceTeam(const std::vector<std::filesystem::path>& old, std::string_view content,
                                 const TeamHeader& team, const TeamPicture& picture);

  // Replaces an existing file of the folder with this content.
  Status Rewrite(const std::filesystem::path& file, std::string_view content);

 private:
  LeagueWriter(std::filesystem::path folder, FolderLock lock) : folder_(std::move(folder)), lock_(std::move(lock)) {}

  Result<std::string> LowestFreeName(std::string_view stem, const std::string& own) const;
  void MoveToLowestFreeName(PlacedTeam& placed, const TeamHeader& team);

  std::filesystem::path folder_;
  FolderLock lock_;
  std::vector<std::string> removed_;
};

// Removes leftovers of cut-short writes ("<name>.dat.tmp", ".bmp.tmp",
// ".lge.tmp" and their numbered forms) from a league folder when no writer
// is at work there; one message per file removed.
std::vector<std::string> RemoveLeftovers(const std::filesystem::path& leagueFolder);

}  // namespace qgu::league
