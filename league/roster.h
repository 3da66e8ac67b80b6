#pragma once
// The fixed roster of every team: 30 positions in file order, the position
// groups that decide which ratings a player uses, the 16-step rating scale and
// the packed-decimal jersey numbers.

#include <array>
#include <string>
#include <string_view>

namespace qgu::league {

inline constexpr int kPlayerCount = 30;

// Player index 0..29 = the player's line in the team record file.
inline constexpr std::array<std::string_view, kPlayerCount> PositionNames = {
    "QB 1", "QB 2", "RB 1", "RB 2", "RB 3", "RB 4", "WR 1", "WR 2", "WR 3", "WR 4",
    "TE 1", "TE 2", "C",    "LG",   "RG",   "LT",   "RT",   "RE",   "NT",   "LE",
    "ROLB", "RILB", "LILB", "LOLB", "RCB",  "LCB",  "FS",   "SS",   "K",    "P"};

// Rating step 0..15 as shown to the user.
inline constexpr std::array<std::string_view, 16> RatingScale = {
    "6", "13", "19", "25", "31", "38", "44", "50", "56", "63", "69", "75", "81", "88", "94", "100"};

inline constexpr int kMaxRatingStep = 15;

enum class PositionGroup { Quarterback, BackOrReceiver, OffensiveLine, Defence, Kicking };

struct PositionRange {
  PositionGroup group;
  int first;  // player index, inclusive
  int last;   // player index, inclusive
};

// The kicker (28) and the punter (29) share one group: same ratings, same record shape.
inline constexpr std::array<PositionRange, 5> PositionGroups = {{
    {PositionGroup::Quarterback, 0, 1},
    {PositionGroup::BackOrReceiver, 2, 11},
    {PositionGroup::OffensiveLine, 12, 16},
    {PositionGroup::Defence, 17, 27},
    {PositionGroup::Kicking, 28, 29},
}};

inline constexpr int kKickerIndex = 28;
inline constexpr int kPunterIndex = 29;

// Group of player index 0..29 (indexes outside that range count as kicking).
constexpr PositionGroup GroupOfPosition(int playerIndex) {
  for (const PositionRange& range : PositionGroups) {
    if (playerIndex >= range.first && playerIndex <= range.last) return range.group;
  }
  return PositionGroup::Kicking;
}

// Only backs and receivers may return kicks and punts.
constexpr bool CanReturnKicks(int playerIndex) {
  return GroupOfPosition(playerIndex) == PositionGroup::BackOrReceiver;
}

// Shown text of a rating step; steps outside 0..15 are clamped.
constexpr std::string_view RatingText(int step) {
  if (step < 0) step = 0;
  if (step > kMaxRatingStep) step = kMaxRatingStep;
  return RatingScale[static_cast<size_t>(step)];
}

// Jerseys are stored in packed decimal: jersey 12 is the byte 0x12 (18).
// Jerseys outside 0..99 are clamped.
constexpr int PackJersey(int jersey) {
  if (jersey < 0) jersey = 0;
  if (jersey > 99) jersey = 99;
  return jersey / 10 * 16 + jersey % 10;
}
constexpr int UnpackJersey(int packed) { return (packed >> 4 & 0x0F) * 10 + (packed & 0x0F); }

// The editors' "# %x" of the stored value: 18 shows as "# 12".
std::string JerseyText(int packed);

}  // namespace qgu::league
