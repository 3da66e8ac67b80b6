#pragma once
// The roster's 30 slots by kind of player (quarterbacks, backs, receivers,
// tight ends, linemen, ...): a rookie is drafted as a kind and takes a slot
// of it. Each kind is judged by the ratings the game's rules use for it.

#include <array>
#include <span>
#include <string_view>

#include "league/team_record.h"

namespace qgu::dynasty {

enum class Kind { kQB, kRB, kWR, kTE, kOL, kDL, kLB, kCB, kS, kK, kP };
inline constexpr int kKindCount = 11;

struct KindInfo {
  Kind kind;
  std::string_view name;  // "QB", "RB", ...
  int firstSlot;          // roster indices first..last
  int lastSlot;
};

inline constexpr std::array<KindInfo, kKindCount> kKinds = {{
    {Kind::kQB, "QB", 0, 1},
    {Kind::kRB, "RB", 2, 5},
    {Kind::kWR, "WR", 6, 9},
    {Kind::kTE, "TE", 10, 11},
    {Kind::kOL, "OL", 12, 16},
    {Kind::kDL, "DL", 17, 19},
    {Kind::kLB, "LB", 20, 23},
    {Kind::kCB, "CB", 24, 25},
    {Kind::kS, "S", 26, 27},
    {Kind::kK, "K", 28, 28},
    {Kind::kP, "P", 29, 29},
}};

const KindInfo& InfoOf(Kind kind);
Kind KindOfSlot(int slot);

using Rating = int league::PlayerRecord::*;

// Every rating a player of the kind has (the four all have, then his group's).
std::span<const Rating> RatingsOf(Kind kind);
// The ones the game's rules judge the kind by.
std::span<const Rating> KeyRatingsOf(Kind kind);

// The mean of the key ratings, in steps.
double Overall(const league::PlayerRecord& player, Kind kind);

}  // namespace qgu::dynasty
