#include "dynasty/offseason.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "dynasty/aging.h"
#include "dynasty/json_fields.h"
#include "dynasty/names.h"
#include "dynasty/random_stream.h"

namespace qgu::dynasty {
namespace {

namespace json = season::json;
using namespace fields;
using league::PlayerRecord;

constexpr double kRookieGap = 1.5;      // steps a rookie starts below the founding mean
constexpr double kLevelPull = 3.0;      // how hard the rookie class pulls the league back to its level
constexpr double kLevelPullLimit = 4.0;
constexpr double kUpgradeMargin = 0.5;  // steps a rookie must be better to take a rostered player's slot

int Clamp(int v) { return std::clamp(v, 0, league::kMaxRatingStep); }

std::vector<int> RatingValues(const PlayerRecord& record, Kind kind) {
  std::vector<int> values;
  for (Rating r : RatingsOf(kind)) values.push_back(record.*r);
  return values;
}

std::set<std::string> TakenNames(const Rosters& rosters) {
  std::set<std::string> taken;
  for (const Player& p : rosters.registry.players) taken.insert(p.firstName + " " + p.lastName);
  for (const TeamEntry& t : rosters.teams) {
    for (const PlayerRecord& p : t.record.players) taken.insert(p.firstName + " " + p.lastName);
  }
  return taken;
}

// Jersey ranges a kind of player wears, most usual first.
std::vector<std::pair<int, int>> JerseyRanges(Kind kind) {
  switch (kind) {
    case Kind::kQB:
    case Kind::kK:
    case Kind::kP: return {{1, 19}};
    case Kind::kRB: return {{20, 49}};
    case Kind::kWR: return {{80, 89}, {10, 19}};
    case Kind::kTE: return {{80, 89}, {40, 49}};
    case Kind::kOL: return {{60, 79}, {50, 59}};
    case Kind::kDL: return {{90, 99}, {60, 79}};
    case Kind::kLB: return {{50, 59}, {90, 99}};
    case Kind::kCB:
    case Kind::kS: return {{20, 49}};
  }
  return {{1, 99}};
}

// Packed decimal, as team records keep jerseys (12 is 0x12).
int PackedJersey(int number) { return (number / 10) * 16 + number % 10; }

int FreeJersey(const TeamEntry& team, Kind kind) {
  std::set<int> used;
  for (const PlayerRecord& p : team.record.players) used.insert(p.jersey);
  for (const auto& [from, to] : JerseyRanges(kind)) {
    for (int n = from; n <= to; ++n) {
      if (!used.count(PackedJersey(n))) return PackedJersey(n);
    }
  }
  for (int n = 0; n <= 99; ++n) {
    if (!used.count(PackedJersey(n))) return PackedJersey(n);
  }
  return 0;
}

}  // namespace

TeamEntry* Rosters::Team(std::string_view file) {
  for (TeamEntry& t : teams) {
    if (t.file == file) return &t;
  }
  return nullptr;
}

const TeamEntry* Rosters::Team(std::string_view file) const { return const_cast<Rosters*>(this)->Team(file); }

// ---------------------------------------------------------------- level

Level LevelOf(const std::vector<TeamEntry>& teams) {
  Level level;
  std::array<int, kKindCount> counts{};
  for (const TeamEntry& team : teams) {
    for (int slot = 0; slot < league::kPlayerCount; ++slot) {
      const Kind kind = KindOfSlot(slot);
      const auto k = static_cast<size_t>(kind);
      const PlayerRecord& p = team.record.players[static_cast<size_t>(slot)];
      const std::span<const Rating> ratings = RatingsOf(kind);
      for (size_t r = 0; r < ratings.size(); ++r) level.means[k][r] += p.*ratings[r];
      level.overall[k] += Overall(p, kind);
      ++counts[k];
    }
  }
  for (size_t k = 0; k < kKindCount; ++k) {
    if (counts[k] == 0) continue;
    for (double& m : level.means[k]) m /= counts[k];
    level.overall[k] /= counts[k];
  }
  return level;
}

json::Value LevelJson(const Level& level) {
  json::Value out = json::Value::Object();
  for (const KindInfo& info : kKinds) {
    const auto k = static_cast<size_t>(info.kind);
    std::vector<int> hundredths;
    for (size_t r = 0; r < RatingsOf(info.kind).size(); ++r) {
      hundredths.push_back(static_cast<int>(std::lround(level.means[k][r] * 100)));
    }
    json::Value kind = json::Value::Object();
    kind.Set("means", NumberArray(hundredths));
    kind.Set("overall", static_cast<int>(std::lround(level.overall[k] * 100)));
    out.Set(std::string(info.name), std::move(kind));
  }
  return out;
}

Level LevelFromJson(const json::Value& value) {
  Level level;
  for (const KindInfo& info : kKinds) {
    const json::Value* kind = value.IsObject() ? value.Find(info.name) : nullptr;
    if (!kind) continue;
    const auto k = static_cast<size_t>(info.kind);
    const std::vector<int> means = Numbers(*kind, "means");
    for (size_t r = 0; r < means.size() && r < level.means[k].size(); ++r) level.means[k][r] = means[r] / 100.0;
    level.overall[k] = Number(*kind, "overall") / 100.0;
  }
  return level;
}

// ---------------------------------------------------------------- development

Development Develop(const Rosters& rosters, int year, uint32_t seed) {
  CRandomStream random = CRandomStream::For(seed, year, "development");
  Development development;
  for (const Player& p : rosters.registry.players) {
    if (p.left) continue;
    const TeamEntry* team = rosters.Team(p.team);
    if (!team) continue;
    const Kind kind = KindOfSlot(p.slot);
    const PlayerRecord& record = team->record.players[static_cast<size_t>(p.slot)];
    // Next season's age: what the coming year makes of him.
    const double drift = DevelopmentDrift(year + 1 - p.born, kind);
    Development::Change change{p.id, {}, 0};
    PlayerRecord after = record;
    for (Rating r : RatingsOf(kind)) {
      int step = random.RoundRandomly(drift);
      if (random.Below(10) == 0) step += random.Below(2) ? 1 : -1;
      after.*r = Clamp(record.*r + step);
      change.ratings.push_back(after.*r);
    }
    change.fell = Overall(record, kind) - Overall(after, kind);
    development.changes.push_back(std::move(change));
  }
  return development;
}

void Apply(Rosters& rosters, const Development& development) {
  for (const Development::Change& change : development.changes) {
    const Player* p = rosters.registry.Find(change.id);
    if (!p || p->left) continue;
    TeamEntry* team = rosters.Team(p->team);
    if (!team) continue;
    PlayerRecord& record = team->record.players[static_cast<size_t>(p->slot)];
    const std::span<const Rating> ratings = RatingsOf(KindOfSlot(p->slot));
    for (size_t r = 0; r < ratings.size() && r < change.ratings.size(); ++r) record.*ratings[r] = Clamp(change.ratings[r]);
  }
}

// ---------------------------------------------------------------- retirements

Retirements Retire(const Rosters& rosters, const Development& development, int year, uint32_t seed) {
  CRandomStream random = CRandomStream::For(seed, year, "retirements");
  std::map<int, double> fell;
  for (const Development::Change& c : development.changes) fell[c.id] = c.fell;
  Retirements retirements;
  for (const Player& p : rosters.registry.players) {
    if (p.left) continue;
    const TeamEntry* team = rosters.Team(p.team);
    if (!team) continue;
    const Kind kind = KindOfSlot(p.slot);
    const double overall = Overall(team->record.players[static_cast<size_t>(p.slot)], kind);
    if (random.PerMille(RetirementChance(year + 1 - p.born, kind, fell[p.id], overall))) {
      retirements.ids.push_back(p.id);
    }
  }
  return retirements;
}

void Apply(Rosters& rosters, const Retirements& retirements, int year) {
  for (int id : retirements.ids) {
    Player* p = rosters.registry.Find(id);
    if (!p || p->left) continue;
    p->left = year;
    p->leftHow = "retired";
  }
}

std::array<int, kKindCount> OpenSlots(const Rosters& rosters, std::string_view team) {
  std::array<int, kKindCount> open{};
  for (int slot = 0; slot < league::kPlayerCount; ++slot) {
    if (!rosters.registry.OnRoster(team, slot)) ++open[static_cast<size_t>(KindOfSlot(slot))];
  }
  return open;
}

// ---------------------------------------------------------------- rookies

RookieClass MakeRookies(const Rosters& rosters, const Level& founding, int year, uint32_t seed) {
  CRandomStream random = CRandomStream::For(seed, year, "rookies");
  CNameMaker names(TakenNames(rosters));
  std::array<int, kKindCount> open{};
  for (const TeamEntry& t : rosters.teams) {
    const std::array<int, kKindCount> o = OpenSlots(rosters, t.file);
    for (size_t k = 0; k < kKindCount; ++k) open[k] += o[k];
  }
  const Level now = LevelOf(rosters.teams);
  RookieClass rookies;
  int id = rosters.registry.nextId;
  for (const KindInfo& info : kKinds) {
    const auto k = static_cast<size_t>(info.kind);
    const double pull = std::clamp((founding.overall[k] - now.overall[k]) * kLevelPull, -kLevelPullLimit, kLevelPullLimit);
    const int count = open[k] + open[k] / 2 + 2;
    for (int n = 0; n < count; ++n) {
      Rookie rookie;
      rookie.id = id++;
      rookie.kind = info.kind;
      rookie.born = year + 1 - (21 + random.Below(3));
      auto [first, last] = names.Make(random);
      rookie.record.firstName = first;
      rookie.record.lastName = last;
      rookie.record.skin = random.Below(2) ? 0x80 : 0;
      const std::span<const Rating> ratings = RatingsOf(info.kind);
      for (size_t r = 0; r < ratings.size(); ++r) {
        const double mean = founding.means[k][r] - kRookieGap + pull;
        rookie.record.*ratings[r] = Clamp(random.RoundRandomly(mean) + random.Wobble(3));
      }
      rookies.rookies.push_back(std::move(rookie));
    }
  }
  return rookies;
}

// ---------------------------------------------------------------- draft

namespace {

struct DraftTeam {
  std::array<int, kKindCount> open{};
  // Overall of each rostered player of a kind, for the weakest one.
  std::array<std::vector<double>, kKindCount> overall;
};

DraftTeam DraftTeamOf(const Rosters& rosters, const std::string& file) {
  DraftTeam t;
  t.open = OpenSlots(rosters, file);
  const TeamEntry* team = rosters.Team(file);
  for (int slot = 0; slot < league::kPlayerCount && team; ++slot) {
    if (!rosters.registry.OnRoster(file, slot)) continue;
    const Kind kind = KindOfSlot(slot);
    t.overall[static_cast<size_t>(kind)].push_back(Overall(team->record.players[static_cast<size_t>(slot)], kind));
  }
  return t;
}

// How much the rookie is worth to the team: a need first, then an upgrade.
double ValueOf(const DraftTeam& team, const Rookie& rookie) {
  const auto k = static_cast<size_t>(rookie.kind);
  if (team.open[k] > 0) return 1000 + rookie.Overall();
  if (team.overall[k].empty()) return -1;
  const double weakest = *std::min_element(team.overall[k].begin(), team.overall[k].end());
  return rookie.Overall() - weakest - kUpgradeMargin;
}

// The rookie taken: an open slot filled, or the weakest player replaced.
void TakeRookie(DraftTeam& team, const Rookie& rookie) {
  const auto k = static_cast<size_t>(rookie.kind);
  if (team.open[k] > 0) {
    --team.open[k];
  } else if (!team.overall[k].empty()) {
    *std::min_element(team.overall[k].begin(), team.overall[k].end()) = rookie.Overall();
    return;
  }
  team.overall[k].push_back(rookie.Overall());
}

}  // namespace

Draft RunDraft(const Rosters& rosters, const RookieClass& rookies, std::vector<std::string> order,
               const std::set<std::string>& people, std::vector<Pick> made) {
  Draft draft;
  draft.order = std::move(order);
  std::map<std::string, DraftTeam> teams;
  for (const std::string& file : draft.order) teams[file] = DraftTeamOf(rosters, file);
  std::set<int> taken;
  const auto rookieById = [&rookies](int id) -> const Rookie* {
    for (const Rookie& r : rookies.rookies) {
      if (r.id == id) return &r;
    }
    return nullptr;
  };
  size_t next = 0;  // the next of the picks made to take over
  int overall = 0;
  for (int round = 1; round <= kMaxDraftRounds; ++round) {
    bool anyPick = false;
    for (const std::string& file : draft.order) {
      ++overall;
      DraftTeam& team = teams[file];
      if (next < made.size() && made[next].overall == overall) {
        if (const Rookie* r = rookieById(made[next].rookie)) {
          TakeRookie(team, *r);
          taken.insert(r->id);
          anyPick = true;
        }
        draft.picks.push_back(made[next]);  // a person's pass (rookie kPassed) is kept too
        ++next;
        continue;
      }
      if (taken.size() == rookies.rookies.size()) break;
      if (people.count(file)) {
        draft.waitingFor = file;
        draft.waitingRound = round;
        draft.waitingPick = overall;
        return draft;
      }
      const Rookie* best = nullptr;
      double bestValue = 0;
      for (const Rookie& r : rookies.rookies) {
        if (taken.count(r.id)) continue;
        const double value = ValueOf(team, r);
        if (value > bestValue) {
          bestValue = value;
          best = &r;
        }
      }
      if (!best) continue;  // a pass
      TakeRookie(team, *best);
      taken.insert(best->id);
      draft.picks.push_back({round, overall, file, best->id});
      anyPick = true;
    }
    if (!anyPick || taken.size() == rookies.rookies.size()) break;
  }
  return draft;
}

base::Status CheckPick(const Draft& draft, const RookieClass& rookies, int rookie) {
  if (!draft.waitingFor) return base::Fail("no team is waiting for a person's pick");
  if (rookie == kPassed) return {};
  bool known = false;
  for (const Rookie& r : rookies.rookies) known = known || r.id == rookie;
  if (!known) return base::Fail("there is no rookie " + std::to_string(rookie) + " in this year's class");
  for (const Pick& p : draft.picks) {
    if (p.rookie == rookie) return base::Fail("rookie " + std::to_string(rookie) + " was taken by " + p.team);
  }
  return {};
}

// ---------------------------------------------------------------- rosters

namespace {

// Puts a rookie on the team in a slot of his kind: an open one, else the
// weakest player's, who is released.
void SeatRookie(Rosters& rosters, TeamEntry& team, const Rookie& rookie, const Pick* pick, int year) {
  const KindInfo& info = InfoOf(rookie.kind);
  int slot = -1;
  double weakest = 1e9;
  for (int s = info.firstSlot; s <= info.lastSlot; ++s) {
    const Player* on = rosters.registry.OnRoster(team.file, s);
    if (!on) {
      slot = s;
      break;
    }
    const double o = Overall(team.record.players[static_cast<size_t>(s)], rookie.kind);
    if (o < weakest) {
      weakest = o;
      slot = s;
    }
  }
  if (slot < 0) return;
  if (const Player* on = rosters.registry.OnRoster(team.file, slot)) {
    Player* leaving = rosters.registry.Find(on->id);
    leaving->left = year;
    leaving->leftHow = "released";
  }
  PlayerRecord record = rookie.record;
  record.jersey = FreeJersey(team, rookie.kind);
  team.record.players[static_cast<size_t>(slot)] = record;
  Player p;
  p.id = rookie.id;
  p.firstName = record.firstName;
  p.lastName = record.lastName;
  p.born = rookie.born;
  p.team = team.file;
  p.slot = slot;
  p.joined = year + 1;
  if (pick) {
    p.draftYear = year;
    p.draftRound = pick->round;
    p.draftPick = pick->overall;
    p.draftTeam = pick->team;
  }
  rosters.registry.players.push_back(std::move(p));
  rosters.registry.nextId = std::max(rosters.registry.nextId, rookie.id + 1);
}

// Every kind's players in order of quality, the best in the kind's first slot.
void OrderDepth(Rosters& rosters, TeamEntry& team) {
  for (const KindInfo& info : kKinds) {
    struct Entry {
      PlayerRecord record;
      int id;
      double overall;
    };
    std::vector<Entry> entries;
    for (int s = info.firstSlot; s <= info.lastSlot; ++s) {
      const Player* on = rosters.registry.OnRoster(team.file, s);
      if (!on) continue;
      entries.push_back({team.record.players[static_cast<size_t>(s)], on->id,
                         Overall(team.record.players[static_cast<size_t>(s)], info.kind)});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.overall > b.overall; });
    int s = info.firstSlot;
    for (const Entry& e : entries) {
      team.record.players[static_cast<size_t>(s)] = e.record;
      rosters.registry.Find(e.id)->slot = s;
      ++s;
    }
  }
}

}  // namespace

Rosters NextRosters(Rosters rosters, const RookieClass& rookies, const std::vector<Pick>& picks, int year) {
  std::set<int> drafted;
  for (const Pick& pick : picks) {
    for (const Rookie& r : rookies.rookies) {
      if (r.id != pick.rookie) continue;
      if (TeamEntry* team = rosters.Team(pick.team)) SeatRookie(rosters, *team, r, &pick, year);
      drafted.insert(r.id);
    }
  }
  // Slots still open: the best rookies nobody drafted sign.
  for (TeamEntry& team : rosters.teams) {
    const std::array<int, kKindCount> open = OpenSlots(rosters, team.file);
    for (const KindInfo& info : kKinds) {
      for (int n = 0; n < open[static_cast<size_t>(info.kind)]; ++n) {
        const Rookie* best = nullptr;
        for (const Rookie& r : rookies.rookies) {
          if (r.kind != info.kind || drafted.count(r.id)) continue;
          if (!best || r.Overall() > best->Overall()) best = &r;
        }
        if (!best) break;
        SeatRookie(rosters, team, *best, nullptr, year);
        drafted.insert(best->id);
      }
    }
  }
  std::sort(rosters.registry.players.begin(), rosters.registry.players.end(),
            [](const Player& a, const Player& b) { return a.id < b.id; });
  for (TeamEntry& team : rosters.teams) OrderDepth(rosters, team);
  rosters.registry.year = year + 1;
  return rosters;
}

// ---------------------------------------------------------------- JSON

json::Value DevelopmentJson(const Development& development) {
  json::Value out = json::Value::Object();
  json::Value changes = json::Value::Array();
  for (const Development::Change& c : development.changes) {
    json::Value line = json::Value::Object();
    line.Set("id", c.id);
    line.Set("ratings", NumberArray(c.ratings));
    line.Set("fell", static_cast<int>(std::lround(c.fell * 100)));
    changes.Push(std::move(line));
  }
  out.Set("changes", std::move(changes));
  return out;
}

base::Result<Development> DevelopmentFromJson(const json::Value& value) {
  const json::Value* list = List(value, "changes");
  if (!list) return base::Fail("no \"changes\" list");
  Development development;
  for (const json::Value& line : list->Items()) {
    development.changes.push_back({Number(line, "id"), Numbers(line, "ratings"), Number(line, "fell") / 100.0});
  }
  return development;
}

json::Value RetirementsJson(const Retirements& retirements) {
  json::Value out = json::Value::Object();
  out.Set("retired", NumberArray(retirements.ids));
  return out;
}

base::Result<Retirements> RetirementsFromJson(const json::Value& value) {
  if (!List(value, "retired")) return base::Fail("no \"retired\" list");
  return Retirements{Numbers(value, "retired")};
}

json::Value RookiesJson(const RookieClass& rookies) {
  json::Value out = json::Value::Object();
  json::Value list = json::Value::Array();
  for (const Rookie& r : rookies.rookies) {
    json::Value line = json::Value::Object();
    line.Set("id", r.id);
    line.Set("kind", std::string(InfoOf(r.kind).name));
    line.Set("first", r.record.firstName);
    line.Set("last", r.record.lastName);
    line.Set("born", r.born);
    line.Set("skin", r.record.skin);
    line.Set("ratings", NumberArray(RatingValues(r.record, r.kind)));
    list.Push(std::move(line));
  }
  out.Set("rookies", std::move(list));
  return out;
}

base::Result<RookieClass> RookiesFromJson(const json::Value& value) {
  const json::Value* list = List(value, "rookies");
  if (!list) return base::Fail("no \"rookies\" list");
  RookieClass rookies;
  for (const json::Value& line : list->Items()) {
    Rookie r;
    r.id = Number(line, "id");
    const std::string kind = Text(line, "kind");
    const auto info = std::find_if(kKinds.begin(), kKinds.end(), [&](const KindInfo& i) { return i.name == kind; });
    if (info == kKinds.end()) return base::Fail("rookie " + std::to_string(r.id) + " has no kind of player");
    r.kind = info->kind;
    r.record.firstName = Text(line, "first");
    r.record.lastName = Text(line, "last");
    r.born = Number(line, "born");
    r.record.skin = Number(line, "skin");
    const std::vector<int> ratings = Numbers(line, "ratings");
    const std::span<const Rating> fields = RatingsOf(r.kind);
    for (size_t i = 0; i < fields.size() && i < ratings.size(); ++i) r.record.*fields[i] = Clamp(ratings[i]);
    rookies.rookies.push_back(std::move(r));
  }
  return rookies;
}

json::Value DraftJson(const Draft& draft) {
  json::Value out = json::Value::Object();
  json::Value order = json::Value::Array();
  for (const std::string& t : draft.order) order.Push(t);
  out.Set("order", std::move(order));
  json::Value picks = json::Value::Array();
  for (const Pick& p : draft.picks) {
    json::Value line = json::Value::Object();
    line.Set("round", p.round);
    line.Set("pick", p.overall);
    line.Set("team", p.team);
    line.Set("rookie", p.rookie);
    picks.Push(std::move(line));
  }
  out.Set("picks", std::move(picks));
  if (draft.waitingFor) {
    out.Set("waiting_for", *draft.waitingFor);
    out.Set("waiting_round", draft.waitingRound);
    out.Set("waiting_pick", draft.waitingPick);
  }
  return out;
}

base::Result<Draft> DraftFromJson(const json::Value& value) {
  const json::Value* order = List(value, "order");
  const json::Value* picks = List(value, "picks");
  if (!order || !picks) return base::Fail("no \"order\" or \"picks\" list");
  Draft draft;
  for (const json::Value& t : order->Items()) draft.order.push_back(t.IsString() ? t.AsString() : std::string());
  for (const json::Value& line : picks->Items()) {
    draft.picks.push_back({Number(line, "round"), Number(line, "pick"), Text(line, "team"), Number(line, "rookie")});
  }
  if (const json::Value* waiting = value.Find("waiting_for"); waiting && waiting->IsString()) {
    draft.waitingFor = waiting->AsString();
    draft.waitingRound = Number(value, "waiting_round");
    draft.waitingPick = Number(value, "waiting_pick");
  }
  return draft;
}

}  // namespace qgu::dynasty
