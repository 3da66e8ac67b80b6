#pragma once
// The raw lines of a team record file as game preparation and the statistics
// decoding read them: the team line and the 30 player lines, each split at
// the 0x01 separators. Interpretation of the fields is left to the caller.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "league/team_record.h"

namespace qgu::driver {

using RecordFields = std::vector<std::string>;

struct TeamRecordLines {
  RecordFields header;
  std::vector<RecordFields> players;  // at most league::kPlayerCount, fewer if the file ends early
};

// Nothing when the file cannot be opened. Lines are read as into a 1024-byte
// buffer: longer lines are cut to league::kMaxLineLength characters.
std::optional<RecordFields> ReadTeamHeader(const std::string& path);
std::optional<TeamRecordLines> ReadTeamRecordLines(const std::string& path);

// The field at index, or empty text when the line has fewer fields.
std::string_view FieldAt(const RecordFields& fields, size_t index);

// A numeric field by the ordinary decimal conversion (empty or non-numeric is 0).
int NumberAt(const RecordFields& fields, size_t index);

}  // namespace qgu::driver
