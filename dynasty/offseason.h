#pragma once
// The offseason after a year's season, in the order it runs: development
// (every rating moves by age), retirements, the rookie class, the draft, and
// the next year's rosters. Each step is a pure function of the rosters as the
// steps before left them, the year and the dynasty's seed, and its decisions
// travel as JSON (dynasty/years/YEAR/<step>.json), so a step cut short is
// worked out again the same way.

#include <array>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "dynasty/players.h"
#include "dynasty/positions.h"
#include "season/json.h"

namespace qgu::dynasty {

// The league's teams and players as they stand at some point of the offseason.
struct Rosters {
  std::vector<TeamEntry> teams;  // by file name
  Registry registry;
  TeamEntry* Team(std::string_view file);
  const TeamEntry* Team(std::string_view file) const;
};

// The mean of each rating over the players of each kind (the ratings in
// RatingsOf order): what rookies are drawn around; and of their Overall, the
// ratings the kind is judged by: the level the league is held to.
struct Level {
  std::array<std::array<double, 8>, kKindCount> means{};
  std::array<double, kKindCount> overall{};
};
Level LevelOf(const std::vector<TeamEntry>& teams);
season::json::Value LevelJson(const Level& level);
Level LevelFromJson(const season::json::Value& value);

// ---------------------------------------------------------------- 1. development

struct Development {
  struct Change {
    int id = 0;
    std::vector<int> ratings;  // new values, RatingsOf(kind) order
    double fell = 0;           // overall lost (negative: gained)
  };
  std::vector<Change> changes;  // every rostered player, ascending ids
};
Development Develop(const Rosters& rosters, int year, uint32_t seed);
void Apply(Rosters& rosters, const Development& development);

// ---------------------------------------------------------------- 2. retirements

struct Retirements {
  std::vector<int> ids;  // ascending
};
Retirements Retire(const Rosters& rosters, const Development& development, int year, uint32_t seed);
void Apply(Rosters& rosters, const Retirements& retirements, int year);

// The roster slots nobody fills, by kind.
std::array<int, kKindCount> OpenSlots(const Rosters& rosters, std::string_view team);

// ---------------------------------------------------------------- 3. rookies

struct Rookie {
  int id = 0;  // the player id he keeps if drafted
  Kind kind = Kind::kQB;
  league::PlayerRecord record;  // names, jersey 0, ratings
  int born = 0;
  double Overall() const { return dynasty::Overall(record, kind); }
};
struct RookieClass {
  std::vector<Rookie> rookies;  // ascending ids
};
// Enough rookies of every kind for the open slots and more to choose from,
// their ratings drawn around the founding level a few steps below it, and
// moved towards it as far as the league has drifted from it.
RookieClass MakeRookies(const Rosters& rosters, const Level& founding, int year, uint32_t seed);

// ---------------------------------------------------------------- 4. draft

inline constexpr int kPassed = -1;  // a person's turn given up

struct Pick {
  int round = 0;
  int overall = 0;  // 1-based
  std::string team;
  int rookie = 0;   // rookie id, or kPassed
};

struct Draft {
  std::vector<std::string> order;  // one round, first pick first
  std::vector<Pick> picks;
  std::optional<std::string> waitingFor;  // a person's team is on the clock
  int waitingRound = 0;                   // with the round and overall number of its pick
  int waitingPick = 0;
  bool Done() const { return !waitingFor; }
};

inline constexpr int kMaxDraftRounds = 6;

// Computer teams pick by need, then value: a rookie of a kind with an open
// slot first, the best of those; otherwise the rookie who most improves on the
// team's weakest player of his kind, when he does by half a step. A team
// passes when nobody helps it; the draft ends after a round of passes, when the
// class is gone, or after kMaxDraftRounds. A team in `people` is not picked
// for: the draft stops at its turn (waitingFor) until a pick is given.
Draft RunDraft(const Rosters& rosters, const RookieClass& rookies, std::vector<std::string> order,
               const std::set<std::string>& people, std::vector<Pick> made);

// A person's pick for the team on the clock; refused (with why) when the
// rookie is unknown or taken. kPassed is always allowed.
base::Status CheckPick(const Draft& draft, const RookieClass& rookies, int rookie);

// ---------------------------------------------------------------- 5. rosters

// Next year's rosters: each pick takes an open slot of his kind or the weakest
// player's (who is released); slots still open are filled from the rookies
// nobody picked; every kind's players stand in order of quality, the best in
// the first slot; rookies get a free jersey number. Ratings stay 0..15.
Rosters NextRosters(Rosters rosters, const RookieClass& rookies, const std::vector<Pick>& picks, int year);

// ---------------------------------------------------------------- JSON

season::json::Value DevelopmentJson(const Development& development);
base::Result<Development> DevelopmentFromJson(const season::json::Value& value);
season::json::Value RetirementsJson(const Retirements& retirements);
base::Result<Retirements> RetirementsFromJson(const season::json::Value& value);
season::json::Value RookiesJson(const RookieClass& rookies);
base::Result<RookieClass> RookiesFromJson(const season::json::Value& value);
season::json::Value DraftJson(const Draft& draft);
base::Result<Draft> DraftFromJson(const season::json::Value& value);

}  // namespace qgu::dynasty
