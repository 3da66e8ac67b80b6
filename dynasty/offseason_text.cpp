#include "dynasty/offseason_text.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace qgu::dynasty {
namespace {

struct Move {
  const Player* player;
  double before;
  double after;
};

std::string Name(const Player& p) { return p.firstName + p.lastName; }

std::string TeamName(const Rosters& rosters, const std::string& file) {
  const TeamEntry* t = rosters.Team(file);
  return t ? t->record.header.city + " " + t->record.header.nickname : file;
}

std::string MoveLine(const Rosters& rosters, const Move& m, int year) {
  char line[200];
  std::snprintf(line, sizeof line, "%s (%s, %s, age %d): %.1f -> %.1f", Name(*m.player).c_str(),
                TeamName(rosters, m.player->team).c_str(), std::string(InfoOf(KindOfSlot(m.player->slot)).name).c_str(),
                year + 1 - m.player->born, m.before, m.after);
  return line;
}

}  // namespace

OffseasonLines DescribeOffseason(const OffseasonView& view, const RecordBook& book) {
  OffseasonLines lines;
  const Rosters& r = view.before;
  if (view.development) {
    std::vector<Move> moves;
    for (const Development::Change& c : view.development->changes) {
      const Player* p = r.registry.Find(c.id);
      const TeamEntry* team = p ? r.Team(p->team) : nullptr;
      if (!team) continue;
      const double before = Overall(team->record.players[static_cast<size_t>(p->slot)], KindOfSlot(p->slot));
      moves.push_back({p, before, before - c.fell});
    }
    std::stable_sort(moves.begin(), moves.end(), [](const Move& a, const Move& b) { return a.after - a.before > b.after - b.before; });
    for (size_t i = 0; i < moves.size() && i < 10; ++i) lines.development.push_back("up   " + MoveLine(r, moves[i], view.year));
    for (size_t i = 0; i < moves.size() && i < 10; ++i) {
      lines.development.push_back("down " + MoveLine(r, moves[moves.size() - 1 - i], view.year));
    }
  }
  if (view.retirements) {
    std::map<int, const Career*> careers;
    for (const Career& c : book.careers) careers[c.id] = &c;
    for (int id : view.retirements->ids) {
      const Player* p = r.registry.Find(id);
      if (!p) continue;
      const std::string age = ", age " + std::to_string(view.year + 1 - p->born);
      // Linemen have no statistics: their years and team say their career.
      const std::string years = p->joined == view.year ? "year " + std::to_string(view.year)
                                                       : "years " + std::to_string(p->joined) + "-" + std::to_string(view.year);
      lines.retirements.push_back(careers.count(id) ? CareerLine(*careers[id]) + age
                                                    : Name(*p) + " (" + std::string(InfoOf(KindOfSlot(p->slot)).name) +
                                                          "), " + years + ", " + TeamName(r, p->team) + age);
    }
  }
  if (view.draft && view.rookies) {
    for (const Pick& pick : view.draft->picks) {
      const auto rookie = std::find_if(view.rookies->rookies.begin(), view.rookies->rookies.end(),
                                       [&](const Rookie& x) { return x.id == pick.rookie; });
      char line[200];
      if (rookie == view.rookies->rookies.end()) {
        std::snprintf(line, sizeof line, "round %d, pick %d: %s passes", pick.round, pick.overall,
                      TeamName(r, pick.team).c_str());
      } else {
        std::snprintf(line, sizeof line, "round %d, pick %d: %s take %s (%s, age %d, %.1f)", pick.round, pick.overall,
                      TeamName(r, pick.team).c_str(), (rookie->record.firstName + rookie->record.lastName).c_str(),
                      std::string(InfoOf(rookie->kind).name).c_str(), view.year + 1 - rookie->born, rookie->Overall());
      }
      lines.draft.push_back(line);
    }
    if (view.draft->waitingFor) lines.draft.push_back(TeamName(r, *view.draft->waitingFor) + " is on the clock");
  }
  return lines;
}

std::string OffseasonText(const OffseasonView& view, const RecordBook& book) {
  const OffseasonLines lines = DescribeOffseason(view, book);
  std::string out = "Offseason after year " + std::to_string(view.year) + "\n";
  const auto section = [&out](const char* title, const std::vector<std::string>& items) {
    out += std::string("\n") + title + "\n";
    if (items.empty()) out += "  (not yet)\n";
    for (const std::string& item : items) out += "  " + item + "\n";
  };
  section("Development", lines.development);
  section("Retirements", lines.retirements);
  section("Draft", lines.draft);
  return out;
}

}  // namespace qgu::dynasty
