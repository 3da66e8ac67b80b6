#pragma once
// The six team slots a league team can replace in the cartridge image: the
// first teams of the cartridge layout's fixed-point groups, two for each
// formation.

#include <array>
#include <cstddef>

#include "league/cartridge_layout.h"
#include "league/team_record.h"

namespace qgu::driver {

// One replaceable team: its team number and where its texts start.
struct TeamSlot {
  int formation;
  int team;
  size_t cityText;
  size_t nicknameText;
  size_t firstPlayerText;
};

inline constexpr bool IsFormation(int formation) {
  return formation >= league::kProSet && formation <= league::kFourReceiverSet;
}

namespace detail {
// The slots are the first teams of the cartridge's fixed-point groups.
constexpr TeamSlot SlotOfGroup(int formation, size_t group) {
  const cartridge::TeamGroup& g = cartridge::kTeamGroups[group];
  return {formation, g.firstTeam, g.cityStart, g.nicknameStart, g.entryStart};
}
}  // namespace detail

// [formation - 2][0 first slot, 1 second slot]: teams 0/25, 14/17, 7/20.
inline constexpr std::array<std::array<TeamSlot, 2>, 3> kTeamSlots = {{
    {{detail::SlotOfGroup(league::kProSet, 0), detail::SlotOfGroup(league::kProSet, 5)}},
    {{detail::SlotOfGroup(league::kSingleBackSet, 2), detail::SlotOfGroup(league::kSingleBackSet, 3)}},
    {{detail::SlotOfGroup(league::kFourReceiverSet, 1), detail::SlotOfGroup(league::kFourReceiverSet, 4)}},
}};

// The slot of a formation (2-4); second = the other team has the same formation.
inline constexpr const TeamSlot& SlotFor(int formation, bool second) {
  return kTeamSlots[static_cast<size_t>(formation - league::kProSet)][second ? 1 : 0];
}

// Every slot's team plays its slot's formation in the cartridge.
static_assert([] {
  for (const auto& formation : kTeamSlots) {
    for (const TeamSlot& slot : formation) {
      if (cartridge::FormationOfTeam(slot.team) != slot.formation) return false;
    }
  }
  return kTeamSlots[0][0].team == 0 && kTeamSlots[0][1].team == 25 && kTeamSlots[1][0].team == 14 &&
         kTeamSlots[1][1].team == 17 && kTeamSlots[2][0].team == 7 && kTeamSlots[2][1].team == 20;
}());

}  // namespace qgu::driver
