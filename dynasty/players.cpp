#include "dynasty/players.h"

#include <algorithm>
#include <map>

#include "dynasty/json_fields.h"
#include "dynasty/positions.h"
#include "dynasty/random_stream.h"

namespace qgu::dynasty {
namespace {

namespace json = season::json;
using namespace fields;

}  // namespace

const Player* Registry::OnRoster(std::string_view team, int slot) const {
  for (const Player& p : players) {
    if (p.left == 0 && p.slot == slot && p.team == team) return &p;
  }
  return nullptr;
}

Player* Registry::Find(int id) {
  auto it = std::lower_bound(players.begin(), players.end(), id, [](const Player& p, int v) { return p.id < v; });
  return it != players.end() && it->id == id ? &*it : nullptr;
}

const Player* Registry::Find(int id) const { return const_cast<Registry*>(this)->Find(id); }

json::Value RegistryJson(const Registry& registry) {
  json::Value out = json::Value::Object();
  out.Set("year", registry.year);
  out.Set("next_id", registry.nextId);
  json::Value players = json::Value::Array();
  for (const Player& p : registry.players) {
    json::Value line = json::Value::Object();
    line.Set("id", p.id);
    line.Set("first", p.firstName);
    line.Set("last", p.lastName);
    line.Set("born", p.born);
    line.Set("team", p.team);
    line.Set("slot", p.slot);
    line.Set("joined", p.joined);
    if (p.left) {
      line.Set("left", p.left);
      line.Set("left_how", p.leftHow);
    }
    if (p.draftYear) {
      line.Set("draft_year", p.draftYear);
      line.Set("draft_round", p.draftRound);
      line.Set("draft_pick", p.draftPick);
      line.Set("draft_team", p.draftTeam);
    }
    players.Push(std::move(line));
  }
  out.Set("players", std::move(players));
  return out;
}

base::Result<Registry> RegistryFromJson(const json::Value& value) {
  if (!value.IsObject()) return base::Fail("the players file is not a JSON object");
  Registry registry;
  registry.year = Number(value, "year");
  registry.nextId = Number(value, "next_id");
  const json::Value* players = value.Find("players");
  if (!players || !players->IsArray()) return base::Fail("the players file has no \"players\" list");
  int last = 0;
  for (const json::Value& line : players->Items()) {
    Player p;
    p.id = Number(line, "id");
    p.firstName = Text(line, "first");
    p.lastName = Text(line, "last");
    p.born = Number(line, "born");
    p.team = Text(line, "team");
    p.slot = Number(line, "slot");
    p.joined = Number(line, "joined");
    p.left = Number(line, "left");
    p.leftHow = Text(line, "left_how");
    p.draftYear = Number(line, "draft_year");
    p.draftRound = Number(line, "draft_round");
    p.draftPick = Number(line, "draft_pick");
    p.draftTeam = Text(line, "draft_team");
    if (p.id <= last) return base::Fail("player " + std::to_string(p.id) + " is out of order or twice");
    if (p.left == 0 && (p.slot < 0 || p.slot >= league::kPlayerCount || p.team.empty())) {
      return base::Fail("player " + std::to_string(p.id) + " has no roster slot");
    }
    last = p.id;
    registry.players.push_back(std::move(p));
  }
  if (registry.nextId <= last) return base::Fail("the next player id is not above every player's");
  return registry;
}

Registry FoundingRegistry(const std::vector<TeamEntry>& teams, int firstYear, uint32_t seed) {
  // Each kind's mean over the league, to place every player against.
  std::map<Kind, std::pair<double, int>> sums;
  for (const TeamEntry& team : teams) {
    for (int slot = 0; slot < league::kPlayerCount; ++slot) {
      auto& [sum, count] = sums[KindOfSlot(slot)];
      sum += Overall(team.record.players[static_cast<size_t>(slot)], KindOfSlot(slot));
      ++count;
    }
  }
  CRandomStream random = CRandomStream::For(seed, firstYear, "ages");
  Registry registry;
  registry.year = firstYear;
  for (const TeamEntry& team : teams) {
    for (int slot = 0; slot < league::kPlayerCount; ++slot) {
      const Kind kind = KindOfSlot(slot);
      const league::PlayerRecord& record = team.record.players[static_cast<size_t>(slot)];
      const auto& [sum, count] = sums[kind];
      const double above = Overall(record, kind) - sum / count;
      const bool kicker = kind == Kind::kK || kind == Kind::kP;
      const int age = std::clamp(22 + random.Below(10) + random.RoundRandomly(above * 0.7) + (kicker ? 3 : 0), 21,
                                 kicker ? 38 : 34);
      Player p;
      p.id = registry.nextId++;
      p.firstName = record.firstName;
      p.lastName = record.lastName;
      p.born = firstYear - age;
      p.team = team.file;
      p.slot = slot;
      p.joined = firstYear;
      registry.players.push_back(std::move(p));
    }
  }
  return registry;
}

}  // namespace qgu::dynasty
