#pragma once
// The readable team file (teams.txt): 28 teams with names, colours, playbook
// and 30 players each. Parsing checks everything a single line can break;
// the byte budgets that span teams are checked when the image is laid out.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "league/cartridge_layout.h"
#include "league/team_record.h"

namespace qgu::cartridge {

inline constexpr size_t kMaxTeamNameLength = 16;   // city and nickname in a team record
inline constexpr uint8_t kDarkSkin = 0x80;

// Position tags in roster order, as the team file writes them.
inline constexpr std::array<std::string_view, league::kPlayerCount> kPositionTags = {
    "QB1", "QB2", "RB1", "RB2", "RB3", "RB4", "WR1", "WR2", "WR3", "WR4",
    "TE1", "TE2", "C",   "LG",  "RG",  "LT",  "RT",  "RE",  "NT",  "LE",
    "ROLB", "RILB", "LILB", "LOLB", "RCB", "LCB", "FS", "SS", "K", "P"};

struct SourcePlayer {
  int jersey = 0;  // decimal 0..99
  std::string firstName;
  std::string lastName;
  uint8_t skin = 0;                       // 0 or kDarkSkin
  std::array<uint8_t, 4> common{};        // running speed, rushing power, maximum power, hitting power
  std::vector<uint8_t> extra;             // the group's ratings, in the file's order
};

struct SourceTeam {
  int number = 0;
  std::string city;
  std::string nickname;
  std::string abbreviation;
  int formation = 0;
  std::array<uint8_t, 6> colours{};  // primary pants/helmet, skin, jersey; secondary the same
  std::array<uint8_t, 4> runs{};
  std::array<uint8_t, 4> passes{};
  std::array<SourcePlayer, league::kPlayerCount> players{};
};

struct TeamSourceResult {
  std::vector<SourceTeam> teams;
  std::vector<std::string> errors;  // "file:line: what is wrong"; empty on success
};

// Parses the team file text; sourceName prefixes every error.
TeamSourceResult ParseTeamSource(std::string_view text, std::string_view sourceName);

// As team records, which is how the cartridge's encoding takes them.
league::PlayerRecord RecordOf(const SourcePlayer& player, int rosterIndex);
league::TeamRecord RecordOf(const SourceTeam& team);

// Bytes of a player's name entry: jersey byte, first name, last name.
inline size_t EntryLength(const SourcePlayer& player) {
  return 1 + player.firstName.size() + player.lastName.size();
}

}  // namespace qgu::cartridge
