#pragma once
// The cartridge's team tables as game preparation uses them, and the six team
// slots a league team can replace. Offsets are those of the cartridge layout
// the image builder keeps (file offsets, header included).

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "league/cartridge_layout.h"

namespace qgu::driver {

using cartridge::kImageBytes;
using cartridge::TeamTable;

// A byte at file offset f in the first program bank sits at CPU address f + this.
inline constexpr uint16_t kProgramCpuBias = cartridge::kPlayerPointerBias;

inline constexpr TeamTable kAbbreviations = cartridge::kAbbreviationTexts;
inline constexpr TeamTable kCityPointers = cartridge::kCityPointers;
inline constexpr TeamTable kNicknamePointers = cartridge::kNicknamePointers;
inline constexpr TeamTable kUniformColours = cartridge::kUniformColours;
inline constexpr TeamTable kColourCopies = cartridge::kColourCopies;
inline constexpr TeamTable kPlaybooks = cartridge::kPlaybooks;
inline constexpr TeamTable kPlayerPointers = cartridge::kPlayerPointers;
inline constexpr TeamTable kPlayerAttributes = cartridge::kAttributes;

inline constexpr size_t kAbbreviationLength = cartridge::kAbbreviationLength;
inline constexpr size_t kUniformColourBytes = 6;
inline constexpr size_t kPlaybookBytes = 4;

// One replaceable team: its team number and where its texts start.
struct TeamSlot {
  int formation;
  int team;
  size_t cityText;
  size_t nicknameText;
  size_t firstPlayerText;
};

// Formations: 2 pro set, 3 single-back set, 4 four-receiver set.
inline constexpr int kFirstFormation = 2;
inline constexpr int kLastFormation = 4;
inline constexpr int kDefaultFormation = 2;

namespace detail {
// The slots are the first teams of the cartridge's fixed-point groups.
constexpr TeamSlot SlotOfGroup(int formation, size_t group) {
  const cartridge::TeamGroup& g = cartridge::kTeamGroups[group];
  return {formation, g.firstTeam, g.cityStart, g.nicknameStart, g.entryStart};
}
}  // namespace detail

// [formation - 2][0 first slot, 1 second slot]: teams 0/25, 14/17, 7/20.
inline constexpr std::array<std::array<TeamSlot, 2>, 3> kTeamSlots = {{
    {{detail::SlotOfGroup(2, 0), detail::SlotOfGroup(2, 5)}},
    {{detail::SlotOfGroup(3, 2), detail::SlotOfGroup(3, 3)}},
    {{detail::SlotOfGroup(4, 1), detail::SlotOfGroup(4, 4)}},
}};

inline constexpr bool IsFormation(int formation) {
  return formation >= kFirstFormation && formation <= kLastFormation;
}

// The slot of a formation (2-4); second = the other team has the same formation.
inline constexpr const TeamSlot& SlotFor(int formation, bool second) {
  return kTeamSlots[static_cast<size_t>(formation - kFirstFormation)][second ? 1 : 0];
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

// True when the image has the exact size and header the team tables assume.
bool IsFootballImage(std::span<const uint8_t> image);

}  // namespace qgu::driver
