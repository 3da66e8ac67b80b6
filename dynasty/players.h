#pragma once
// The dynasty's players beyond what a team record holds: an id kept across
// years and teams, a year of birth, where he plays, how he came (founding
// roster or a draft pick) and when he left. One registry a year: the players
// as that year's season starts, in dynasty/players/YEAR.json.

#include <cstdint>
#include <string>
#include <vector>

#include "base/result.h"
#include "league/team_record.h"
#include "season/json.h"

namespace qgu::dynasty {

struct Player {
  int id = 0;
  std::string firstName;
  std::string lastName;
  int born = 0;            // age in year Y: Y - born
  std::string team;        // team file name while on a roster, "" after he left
  int slot = -1;           // roster index 0..29 on that team
  int joined = 0;          // his first year
  int left = 0;            // the year after which he left; 0 while he plays
  std::string leftHow;     // "retired" or "released"
  int draftYear = 0;       // 0: on a founding roster
  int draftRound = 0;
  int draftPick = 0;       // overall
  std::string draftTeam;
};

struct Registry {
  int year = 0;  // the season these rosters play
  int nextId = 1;
  std::vector<Player> players;  // ascending ids, those who left included

  const Player* OnRoster(std::string_view team, int slot) const;
  Player* Find(int id);
  const Player* Find(int id) const;
};

// A league team by its file name.
struct TeamEntry {
  std::string file;
  league::TeamRecord record;
};

season::json::Value RegistryJson(const Registry& registry);
base::Result<Registry> RegistryFromJson(const season::json::Value& value);

// The founding year's registry: every rostered player of the teams (in file
// order, then roster order) with an age from his position and how good he is
// against his kind's mean: the best near their peak, the weakest young.
Registry FoundingRegistry(const std::vector<TeamEntry>& teams, int firstYear, uint32_t seed);

}  // namespace qgu::dynasty
