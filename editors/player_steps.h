#pragma once
// The player attribute area shared by the player editor and the new-team
// dialog: which ratings a position shows, and the "-"/"+" steps of ratings
// and jersey numbers. Plain data and functions over league::PlayerRecord.

#include <array>
#include <string>
#include <string_view>

#include "league/team_record.h"

namespace qgu::editors {

inline constexpr int kRatingRows = 4;

struct RatingRow {
  std::string_view label;  // empty: the row is hidden
  int league::PlayerRecord::*field = nullptr;
};

using RatingColumn = std::array<RatingRow, kRatingRows>;

// First column: every position's four physical ratings.
const RatingColumn& FirstRatingColumn();

// Second column: the ratings of the position's group (rows not used are hidden).
const RatingColumn& SecondRatingColumn(int playerIndex);

// "-" (delta -1) or "+" (delta +1) on a row; the value stays within 0..15.
// Returns false when the row is not used by the position (nothing changes).
bool StepRating(league::PlayerRecord& player, int playerIndex, int column, int row, int delta);

// The jersey step on the shown text "# %x": the number after "#" read as
// decimal, moved by delta within 0..99, stored packed (tens x 16 + units).
int SteppedJersey(std::string_view shownText, int delta);

// Skin radios: "Black" stores 0x80, "White" 0; 0x80 or more shows as Black.
inline constexpr int kBlackSkin = 0x80;
inline constexpr int kWhiteSkin = 0;
inline bool ShowsBlack(int skin) { return skin >= league::kDarkSkinThreshold; }

// The player list's text: first name, blank, last name.
std::string PlayerListText(const league::PlayerRecord& player);

}  // namespace qgu::editors
