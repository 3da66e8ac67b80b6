#pragma once
// Writing one league team into one team slot of the working cartridge image:
// names, abbreviation, uniform colours, playbook, the 30 players' names,
// numbers and ratings, and the team's play-calling percentages.

#include <cstdint>
#include <span>

#include "driver/play_calling.h"
#include "driver/team_slots.h"
#include "league/team_record.h"

namespace qgu::driver {

// Writes the team into the slot and fills the profile from its percentages.
// Header fields the team's line lacked leave the cartridge's bytes and the
// profile's values as they were. A city or nickname is cut to the 16
// characters the editors allow, so it cannot run into another team's text.
void InjectTeam(std::span<uint8_t> image, const league::TeamRecord& team, const TeamSlot& slot,
                PlayCallingProfile& profile);

}  // namespace qgu::driver
