#pragma once
// Team record lines to and from their text form (see team_record.h for the
// layout). Pure functions: files are opened in team_record_file.h.

#include <istream>
#include <string>
#include <string_view>

#include "league/result.h"
#include "league/team_record.h"

namespace qgu::league {

enum class TeamLineForm {
  kFull,    // all 24 team fields (editors, new teams)
  kImport,  // the cartridge import's 16 fields: 0..15
};

// The ordinary decimal text-to-long conversion of a field: leading blanks,
// an optional sign and the leading digits; an empty or non-numeric field is 0.
// Values beyond the 32-bit range are clamped, as on the Windows program.
int FieldToNumber(std::string_view field);

// Team line -> header. Missing fields keep their defaults, fieldCount says how
// many were present. Fails when a text field is longer than 63 characters.
Result<TeamHeader> ParseTeamLine(std::string_view line);

// Player line -> player. Missing fields read as 0. Fails on a name longer
// than 63 characters.
Result<PlayerRecord> ParsePlayerLine(std::string_view line);

// A whole file: the team line, then 30 player lines (later lines ignored).
// Fails, with a message naming the line, on what is not a team record: an
// empty input, a line longer than 1023 characters, an overlong text field, a
// team line without its three names (city, nickname, abbreviation), a player
// line with fewer than its 18 fields (a line break inside a field splits a
// line in two), or fewer than 30 player lines.
Result<TeamRecord> ParseTeamRecord(std::istream& in);
Result<TeamRecord> ParseTeamRecordText(std::string_view text);

// Reads only the first line, as the team lists do; the same refusals.
Result<TeamHeader> ParseFirstTeamLine(std::istream& in);

// Each field followed by 0x01, the line ended with CR CR LF. Fails when a text
// would break the layout (0x01, CR or LF in it) or is longer than 63 characters.
Result<std::string> FormatTeamLine(const TeamHeader& header, TeamLineForm form = TeamLineForm::kFull);
Result<std::string> FormatPlayerLine(const PlayerRecord& player);

// The whole file: team line in the given form and the 30 player lines.
Result<std::string> FormatTeamRecord(const TeamRecord& record, TeamLineForm form = TeamLineForm::kFull);

}  // namespace qgu::league
