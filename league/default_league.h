#pragma once
// The league a first start gets: when the working folder has no leagues
// folder, or one without any league, "qgu_lge/Quozi League" is made with its
// config.lge and the 28 teams of the cartridge image the program carries.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "league/result.h"

namespace qgu::league {

inline constexpr std::string_view kDefaultLeagueName = "Quozi League";

struct DefaultLeagueOutcome {
  bool created = false;          // false: a league was already there, nothing changed
  std::filesystem::path folder;  // the new league's folder when created
  int teamCount = 0;
  std::string message;           // one line saying what was done, when created
};

// Makes the default league from the cartridge image if base has no league.
// A league that cannot be completed is removed again, so the next start
// tries anew; the error then says why.
Result<DefaultLeagueOutcome> EnsureDefaultLeague(const std::filesystem::path& base,
                                                 std::span<const uint8_t> cartridgeImage);

}  // namespace qgu::league
