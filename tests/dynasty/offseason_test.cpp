// The offseason's steps on the default league's rosters: development moves
// ratings by age within their range, retirements take the old, the rookie
// class covers every open slot and holds the league's level, and the draft
// picks by need, then value, stopping for a person's team.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "cartridge/builder/embedded_image.h"
#include "dynasty/aging.h"
#include "dynasty/offseason.h"
#include "league/cartridge_teams.h"

namespace qgu::dynasty {
namespace {

Rosters DefaultRosters(int year = 1) {
  Rosters rosters;
  auto extracted = league::ExtractCartridgeTeams(cartridge::EmbeddedCartridgeImage());
  EXPECT_TRUE(extracted.ok());
  int n = 0;
  for (const league::CartridgeTeam& t : extracted.value()) rosters.teams.push_back({"T" + std::to_string(n++) + ".dat", t.record});
  rosters.registry = FoundingRegistry(rosters.teams, year, 77);
  return rosters;
}

const league::PlayerRecord& RecordOf(const Rosters& rosters, const Player& p) {
  return rosters.Team(p.team)->record.players[static_cast<size_t>(p.slot)];
}

TEST(Aging, CurvesRiseThenFallAndKickersRetireLater) {
  for (int age = 18; age < 45; ++age) {
    EXPECT_GE(DevelopmentDrift(age, Kind::kRB), DevelopmentDrift(age + 1, Kind::kRB)) << age;
    EXPECT_LE(RetirementChance(age, Kind::kRB, 0, 8), RetirementChance(age + 1, Kind::kRB, 0, 8)) << age;
  }
  EXPECT_GT(DevelopmentDrift(22, Kind::kQB), 0);
  EXPECT_EQ(DevelopmentDrift(27, Kind::kQB), 0);
  EXPECT_LT(DevelopmentDrift(33, Kind::kQB), 0);
  EXPECT_EQ(RetirementChance(37, Kind::kK, 0, 8), RetirementChance(33, Kind::kQB, 0, 8));
  EXPECT_GT(RetirementChance(33, Kind::kQB, 1.5, 8), RetirementChance(33, Kind::kQB, 0, 8)) << "a decline adds to it";
}

TEST(Offseason, DevelopmentMovesRatingsByAgeAndRetirementsTakeTheOld) {
  Rosters rosters = DefaultRosters();
  // Ages as the founding roster gives them: 21-34, the best near their peak.
  double youngSum = 0, oldSum = 0;
  int young = 0, old = 0;
  const Development development = Develop(rosters, 1, 77);
  ASSERT_EQ(development.changes.size(), 28u * 30u);
  std::map<int, double> fell;
  for (const Development::Change& c : development.changes) fell[c.id] = c.fell;
  for (const Player& p : rosters.registry.players) {
    const int age = 2 - p.born;
    EXPECT_GE(age, 21);
    EXPECT_LE(age, 38);
    if (age <= 23) youngSum -= fell[p.id], ++young;
    if (age >= 31) oldSum -= fell[p.id], ++old;
  }
  ASSERT_GT(young, 20);
  ASSERT_GT(old, 20);
  EXPECT_GT(youngSum / young, 0.3) << "the young improve";
  EXPECT_LT(oldSum / old, -0.3) << "the old decline";
  Apply(rosters, development);
  for (const TeamEntry& team : rosters.teams) {
    for (int slot = 0; slot < league::kPlayerCount; ++slot) {
      for (Rating r : RatingsOf(KindOfSlot(slot))) {
        const int v = team.record.players[static_cast<size_t>(slot)].*r;
        EXPECT_TRUE(v >= 0 && v <= 15) << team.file << " slot " << slot;
      }
    }
  }
  const Retirements retired = Retire(rosters, development, 1, 77);
  double retiredAge = 0, allAge = 0;
  for (int id : retired.ids) retiredAge += 2 - rosters.registry.Find(id)->born;
  for (const Player& p : rosters.registry.players) allAge += 2 - p.born;
  ASSERT_GT(retired.ids.size(), 20u);
  ASSERT_LT(retired.ids.size(), 200u);
  EXPECT_GT(retiredAge / retired.ids.size(), allAge / rosters.registry.players.size() + 3);
  Apply(rosters, retired, 1);
  for (int id : retired.ids) EXPECT_EQ(rosters.registry.Find(id)->leftHow, "retired");
}

TEST(Offseason, TheRookieClassFillsEveryOpenSlotAndTheDraftPicksByNeedThenValue) {
  Rosters rosters = DefaultRosters();
  const Level founding = LevelOf(rosters.teams);
  // Open slots: team 0's starting quarterback retires, team 1 loses its kicker.
  Retirements retired;
  retired.ids = {rosters.registry.OnRoster("T0.dat", 0)->id, rosters.registry.OnRoster("T1.dat", 28)->id};
  Apply(rosters, retired, 1);
  const RookieClass rookies = MakeRookies(rosters, founding, 1, 77);
  std::map<Kind, int> byKind;
  for (const Rookie& r : rookies.rookies) {
    ++byKind[r.kind];
    EXPECT_GE(r.id, rosters.registry.nextId);
    EXPECT_LE(r.record.firstName.size(), 15u);
    EXPECT_LE(r.record.lastName.size(), 15u);
  }
  EXPECT_GE(byKind[Kind::kQB], 1);
  EXPECT_GE(byKind[Kind::kK], 1);

  std::vector<std::string> order;
  for (const TeamEntry& t : rosters.teams) order.push_back(t.file);
  const Draft draft = RunDraft(rosters, rookies, order, {}, {});
  ASSERT_TRUE(draft.Done());
  const auto firstPickOf = [&](const std::string& team) {
    return std::find_if(draft.picks.begin(), draft.picks.end(), [&](const Pick& p) { return p.team == team; });
  };
  const auto kindOf = [&](int id) {
    return std::find_if(rookies.rookies.begin(), rookies.rookies.end(), [&](const Rookie& r) { return r.id == id; })->kind;
  };
  ASSERT_NE(firstPickOf("T0.dat"), draft.picks.end());
  EXPECT_EQ(kindOf(firstPickOf("T0.dat")->rookie), Kind::kQB) << "the open slot first";
  ASSERT_NE(firstPickOf("T1.dat"), draft.picks.end());
  EXPECT_EQ(kindOf(firstPickOf("T1.dat")->rookie), Kind::kK);

  // A person's team stops the draft at its turn; the pick given, it goes on the same way.
  const Draft waiting = RunDraft(rosters, rookies, order, {"T5.dat"}, {});
  ASSERT_FALSE(waiting.Done());
  EXPECT_EQ(*waiting.waitingFor, "T5.dat");
  std::vector<Pick> made = waiting.picks;
  made.push_back({waiting.waitingRound, waiting.waitingPick, "T5.dat", kPassed});
  const Draft after = RunDraft(rosters, rookies, order, {}, made);
  EXPECT_TRUE(after.Done());

  // Next year's rosters: every slot filled, the open ones by rookies, every kind best first.
  const Rosters next = NextRosters(rosters, rookies, draft.picks, 1);
  EXPECT_EQ(next.registry.year, 2);
  for (const TeamEntry& team : next.teams) {
    for (const KindInfo& info : kKinds) {
      double before = 99;
      for (int slot = info.firstSlot; slot <= info.lastSlot; ++slot) {
        const Player* p = next.registry.OnRoster(team.file, slot);
        ASSERT_NE(p, nullptr) << team.file << " slot " << slot;
        const double overall = Overall(RecordOf(next, *p), info.kind);
        EXPECT_LE(overall, before + 1e-9) << team.file << " " << info.name;
        before = overall;
        EXPECT_EQ(RecordOf(next, *p).lastName, p->lastName);
      }
    }
  }
}

TEST(Offseason, RookiesPullTheLeagueBackToItsLevel) {
  Rosters rosters = DefaultRosters();
  const Level founding = LevelOf(rosters.teams);
  // A league two steps weaker at quarterback than it began gets stronger quarterbacks.
  Rosters weak = rosters;
  for (TeamEntry& t : weak.teams) {
    for (int slot = 0; slot <= 1; ++slot) {
      for (Rating r : KeyRatingsOf(Kind::kQB)) t.record.players[static_cast<size_t>(slot)].*r -= 2;
    }
  }
  Retirements retired;
  for (const Player& p : rosters.registry.players) {
    if (p.slot == 1) retired.ids.push_back(p.id);  // every backup quarterback
  }
  Apply(rosters, retired, 1);
  Apply(weak, retired, 1);
  const auto meanQb = [](const RookieClass& c) {
    double sum = 0;
    int n = 0;
    for (const Rookie& r : c.rookies) {
      if (r.kind == Kind::kQB) sum += r.Overall(), ++n;
    }
    return sum / n;
  };
  EXPECT_GT(meanQb(MakeRookies(weak, founding, 1, 77)), meanQb(MakeRookies(rosters, founding, 1, 77)) + 1.5);
}

}  // namespace
}  // namespace qgu::dynasty
