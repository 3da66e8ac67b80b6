#pragma once
// Team record files on disk: reading, creating under the naming rule, and
// rewriting through a temporary file.
//
// Naming rule: "<league folder>/<abbreviation without dots><n>.dat" with the
// smallest n from 0 upward whose name is free, so the first team "N.Y." is
// NY0.dat and the next NY1.dat. A name counts as taken when any file of the
// folder has it without regard to case, so folders stay valid when copied to
// a case-insensitive file system.

#include <filesystem>
#include <string>
#include <string_view>

#include "league/result.h"
#include "league/team_record.h"
#include "league/team_record_format.h"

namespace qgu::league {

// No team record file comes near this size (31 lines of at most 1024 bytes).
inline constexpr size_t kMaxTeamRecordFileBytes = 1 << 20;

// The whole file: team line and 30 players. Errors start with the file's
// path. Only a regular file of at most kMaxTeamRecordFileBytes is read.
Result<TeamRecord> ReadTeamRecordFile(const std::filesystem::path& path);

// Only the team line, as the team lists read it.
Result<TeamHeader> ReadTeamLineFile(const std::filesystem::path& path);

// The file name stem of a team: its abbreviation with every "." removed.
// Characters that cannot stand in a file name here or on Windows (path
// separators, control characters, :*?"<>|) become "_", so a hand-edited
// abbreviation can never point outside the league folder.
std::string TeamFileStem(std::string_view abbreviation);

// "<stem><n>.dat".
std::string TeamFileName(std::string_view stem, long number);

// Writes a new team record file into a league folder under the naming rule and
// returns its path. A failed write leaves no file behind.
Result<std::filesystem::path> CreateTeamRecordFile(const std::filesystem::path& leagueFolder,
                                                   const TeamRecord& record,
                                                   TeamLineForm form = TeamLineForm::kFull);

// Replaces an existing team record file with the whole record (24-field team
// line) through "<path>.tmp". On failure the old file stays as it was.
Status RewriteTeamRecordFile(const std::filesystem::path& path, const TeamRecord& record);

// Replaces only the team line (24 fields) and copies the player lines of the
// existing file unchanged, as the team editor saves. Same guarantees.
Status RewriteTeamLine(const std::filesystem::path& path, const TeamHeader& header);

}  // namespace qgu::league
