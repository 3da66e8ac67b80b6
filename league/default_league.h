#pragma once
// The league a first start gets: when the working folder has no leagues
// folder, or one without any league, "qgu_lge/Quozi League" is made with its
// config.lge and the 28 teams of the cartridge image the program carries.
//
// The league is built in a folder of its own beside its final place and
// renamed into place only when every file is whole and on disk, so a start
// that is killed, loses power or fills the disk leaves no half-built league;
// the next start removes what it left and builds anew. Starts at the same
// time take turns, so they end with one whole league.

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
// Fails, saying why and leaving no league, when the leagues folder cannot be
// listed or made, when the image's teams are not whole (see CheckTeamsWhole)
// or when a file cannot be written.
Result<DefaultLeagueOutcome> EnsureDefaultLeague(const std::filesystem::path& base,
                                                 std::span<const uint8_t> cartridgeImage);

}  // namespace qgu::league
