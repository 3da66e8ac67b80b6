#pragma once
// Where the football cartridge image keeps its team tables (file offsets,
// header included) and the six team slots a league team can replace.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qgu::driver {

// The image: "NES" $1A, 16 program banks of 16 KB, 16 character banks of 8 KB.
inline constexpr size_t kImageBytes = 393'232;
inline constexpr uint8_t kImageProgramBanks = 16;
inline constexpr uint8_t kImageCharacterBanks = 16;
inline constexpr uint8_t kImageFlags6 = 0x42;  // mapper 4, battery RAM

// A byte at file offset f in the first program bank sits at CPU address f + this.
inline constexpr uint16_t kProgramCpuBias = 0x7FF0;

// Per-team tables: offset of team n = base + n * stride.
struct TeamTable {
  size_t base;
  size_t stride;
  size_t Of(int team) const { return base + static_cast<size_t>(team) * stride; }
};

inline constexpr TeamTable kAbbreviations{0x1FD00, 4};
inline constexpr TeamTable kCityPointers{0x1FC50, 2};
inline constexpr TeamTable kNicknamePointers{0x1FC90, 2};
inline constexpr TeamTable kUniformColours{0x2C2E4, 10};
inline constexpr TeamTable kColourCopies{0x342D8, 8};
inline constexpr TeamTable kPlaybooks{0x1D310, 4};
inline constexpr TeamTable kPlayerPointers{0x0048, 60};
inline constexpr TeamTable kPlayerAttributes{0x3010, 117};

inline constexpr size_t kAbbreviationLength = 4;
inline constexpr size_t kUniformColourBytes = 6;
inline constexpr size_t kPlaybookBytes = 4;
inline constexpr size_t kPlayerAttributeBytes = 117;

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

// [formation - 2][0 first slot, 1 second slot]
inline constexpr std::array<std::array<TeamSlot, 2>, 3> kTeamSlots = {{
    {{{2, 0, 0x1FD7C, 0x1FE77, 0x06DA}, {2, 25, 0x1FE58, 0x1FF1F, 0x29F1}}},
    {{{3, 14, 0x1FDF7, 0x1FED4, 0x1A70}, {3, 17, 0x1FE15, 0x1FEE8, 0x1EB1}}},
    {{{4, 7, 0x1FDBA, 0x1FEA2, 0x1086}, {4, 20, 0x1FE29, 0x1FEFD, 0x22EB}}},
}};

inline constexpr bool IsFormation(int formation) {
  return formation >= kFirstFormation && formation <= kLastFormation;
}

// The slot of a formation (2-4); second = the other team has the same formation.
inline constexpr const TeamSlot& SlotFor(int formation, bool second) {
  return kTeamSlots[static_cast<size_t>(formation - kFirstFormation)][second ? 1 : 0];
}

// True when the image has the exact size and header the team tables assume.
bool IsFootballImage(std::span<const uint8_t> image);

}  // namespace qgu::driver
