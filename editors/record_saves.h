#pragma once
// Saving edits into an existing team record file so that every byte the
// user did not change stays as it was: a field keeps its old text when its
// value did not change (a number written "07" stays "07", an upper-case
// edit of a mixed-case name that was not retyped keeps the old spelling),
// fields past the 24th and each line's own line end survive, and a line
// without any change is copied whole. A changed team line is written with all
// 24 fields. Files are replaced through "<name>.tmp" by the league's writer
// (league/league_writer.h), which holds the folder's lock while the file is
// read and replaced and removes what a save cut short left; a failed write
// leaves the old file as it was.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "league/result.h"
#include "league/team_record.h"

namespace qgu::editors {

// What a save compares to notice that another program changed the file
// since the editor read it.
struct FileStamp {
  std::uintmax_t size = 0;
  std::filesystem::file_time_type time{};
  bool operator==(const FileStamp&) const = default;
};

// The file's stamp now, or nothing when it cannot be read.
std::optional<FileStamp> StampOf(const std::filesystem::path& path);

// The team editor's save: the team line from `header`, the player lines copied.
league::Status SaveTeamLine(const std::filesystem::path& path, const league::TeamHeader& header);

// The player editor's save: header fields 14 and 15 (kick and punt returner)
// and the 30 player lines; the other header fields stay as the file has them.
league::Status SavePlayers(const std::filesystem::path& path, int kickReturner, int puntReturner,
                           const std::array<league::PlayerRecord, league::kPlayerCount>& players);

}  // namespace qgu::editors
