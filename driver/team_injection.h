#pragma once
// Writing one league team into one team slot of the working cartridge image:
// names, abbreviation, uniform colours, playbook, the 30 players' names,
// numbers and ratings, and the team's play-calling percentages.

#include <cstdint>
#include <span>
#include <string>

#include "driver/play_calling.h"
#include "driver/team_record_lines.h"
#include "driver/team_slots.h"

namespace qgu::driver {


// Header field 13 as a decimal number; 2 when the file cannot be opened or
// its team line has fewer than 14 fields.
int ReadFormation(const std::string& path);

enum class InjectResult {
  kDone,
  kCannotOpen,
  kShortRoster,  // fewer than 30 player lines: nothing was written
};

// Reads the record file and writes it into the slot; fills profile from
// header fields 16-23 (fields the line lacks keep the profile's values).
InjectResult InjectTeam(std::span<uint8_t> image, const std::string& path, const TeamSlot& slot,
                        PlayCallingProfile& profile);

// The same for lines already read. Writes outside the image are dropped; a
// city or nickname longer than a record field holds in memory
// (league::kMaxTextFieldLength) is cut.
InjectResult InjectTeamLines(std::span<uint8_t> image, const TeamRecordLines& lines, const TeamSlot& slot,
                             PlayCallingProfile& profile);

}  // namespace qgu::driver
