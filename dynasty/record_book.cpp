#include "dynasty/record_book.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "dynasty/positions.h"

namespace qgu::dynasty {
namespace {

namespace json = season::json;
using namespace league::stat_layout;

// The roster slot of a statistics record (the line is not listed).
int SlotOfRecord(int record) { return record < kFirstDefenderRecord ? record : record + 5; }

std::string NameOf(const Player& p) { return p.firstName + p.lastName; }  // as the cartridge shows it

struct YearData {
  int year = 0;
  season::Season season;
  Registry registry;
};

void Better(BookEntry& best, const BookEntry& candidate) {
  if (candidate.value > best.value) best = candidate;
}

void AddGameRecords(const YearData& y, std::vector<BookEntry>& records) {
  for (const season::GameRecord& game : y.season.games) {
    if (game.id >= season::kPlayoffGameBase) continue;
    for (int side = 0; side < 2; ++side) {
      const int team = side == 0 ? game.home : game.away;
      const season::SeasonTeam& t = y.season.definition.teams[static_cast<size_t>(team)];
      const league::TeamStats stats = league::ParseTeamStats(side == 0 ? game.homeStats : game.awayStats);
      for (int record = 0; record < kStatLinesPerTeam; ++record) {
        const Player* p = y.registry.OnRoster(t.file, SlotOfRecord(record));
        if (!p) continue;
        const auto& counters = stats.lines[static_cast<size_t>(record)].counters;
        for (size_t c = 0; c < kBookCategories.size(); ++c) {
          Better(records[c], {counters[static_cast<size_t>(kBookCategories[c].slot)], p->id, NameOf(*p), t.name,
                              y.year, game.id});
        }
      }
    }
  }
}

// The final's loser: the other side of the last round's game.
std::optional<int> RunnerUp(const season::Bracket& bracket) {
  for (const season::BracketGame& g : bracket.games) {
    if (g.round != bracket.rounds || !g.winner || !g.home || !g.away) continue;
    return *g.winner == *g.home ? *g.away : *g.home;
  }
  return std::nullopt;
}

void AddFranchiseYear(const YearData& y, const season::Bracket& bracket, std::map<std::string, Franchise>& franchises) {
  const season::StandingsGroup table = season::LeagueTable(y.season);
  for (const season::StandingRow& row : table.rows) {
    const season::SeasonTeam& t = y.season.definition.teams[static_cast<size_t>(row.team)];
    Franchise& f = franchises[t.file];
    f.file = t.file;
    f.name = t.name;
    f.record.wins += row.record.wins;
    f.record.losses += row.record.losses;
    f.record.ties += row.record.ties;
    f.pointsFor += row.pointsFor;
    f.pointsAgainst += row.pointsAgainst;
  }
  for (const season::PlayoffSeed& seed : bracket.seeds) {
    ++franchises[y.season.definition.teams[static_cast<size_t>(seed.team)].file].playoffs;
  }
  if (bracket.champion) {
    ++franchises[y.season.definition.teams[static_cast<size_t>(*bracket.champion)].file].titles;
    ++franchises[y.season.definition.teams[static_cast<size_t>(*bracket.champion)].file].finals;
    if (const std::optional<int> second = RunnerUp(bracket)) {
      ++franchises[y.season.definition.teams[static_cast<size_t>(*second)].file].finals;
    }
  }
}

json::Value EntryJson(const BookEntry& e) {
  json::Value v = json::Value::Object();
  v.Set("value", e.value);
  v.Set("player", e.id);
  v.Set("name", e.name);
  v.Set("team", e.team);
  if (e.year) v.Set("year", e.year);
  if (e.game) v.Set("game", e.game);
  return v;
}

std::string Figure(const char* label, int64_t value) {
  char text[48];
  std::snprintf(text, sizeof text, "%s %lld", label, static_cast<long long>(value));
  return text;
}

}  // namespace

base::Result<RecordBook> MakeRecordBook(const Dynasty& dynasty) {
  RecordBook book;
  book.founding = dynasty.definition.founding;
  std::map<int, Career> careers;
  std::map<std::string, Franchise> franchises;
  book.seasonRecords.resize(kBookCategories.size());
  book.gameRecords.resize(kBookCategories.size());
  for (int year = dynasty.definition.firstYear; year <= dynasty.state.year; ++year) {
    base::Result<season::Season> s = season::OpenSeason(dynasty.folder, dynasty.SeasonName(year));
    if (!s) return base::Fail(s.error());
    base::Result<Registry> registry = RegistryOf(dynasty, year);
    if (!registry) return base::Fail(registry.error());
    const YearData y{year, s.value(), registry.value()};
    const season::Bracket bracket = season::SeasonBracket(y.season);
    const season::Leaders leaders = season::SeasonLeaders(y.season);

    YearInBook entry;
    entry.year = year;
    if (bracket.champion) {
      entry.champion = y.season.definition.teams[static_cast<size_t>(*bracket.champion)].name;
      if (const std::optional<int> second = RunnerUp(bracket)) {
        entry.runnerUp = y.season.definition.teams[static_cast<size_t>(*second)].name;
      }
    }
    entry.leaders.resize(kBookCategories.size());
    for (const season::PlayerSeason& ps : leaders.players) {
      const season::SeasonTeam& t = y.season.definition.teams[static_cast<size_t>(ps.team)];
      const Player* p = y.registry.OnRoster(t.file, ps.rosterSlot);
      if (!p || ps.games == 0) continue;
      Career& c = careers[p->id];
      c.id = p->id;
      c.name = NameOf(*p);
      c.kind = std::string(InfoOf(KindOfSlot(ps.rosterSlot)).name);
      if (c.firstYear == 0) c.firstYear = year;
      c.lastYear = year;
      if (c.teams.empty() || c.teams.back() != t.name) c.teams.push_back(t.name);
      c.games += ps.games;
      for (size_t i = 0; i < c.counters.size() && i < ps.counters.size(); ++i) c.counters[i] += ps.counters[i];
      for (size_t k = 0; k < kBookCategories.size(); ++k) {
        const BookEntry season{static_cast<int>(ps.counters[static_cast<size_t>(kBookCategories[k].slot)]), p->id,
                               c.name, t.name, year, 0};
        Better(entry.leaders[k], season);
        Better(book.seasonRecords[k], season);
      }
    }
    AddGameRecords(y, book.gameRecords);
    if (base::Result<Rosters> rosters = RostersOf(dynasty, year)) {
      book.levels.push_back({year, LevelOf(rosters.value().teams).overall});
    }
    AddFranchiseYear(y, bracket, franchises);
    book.years.push_back(std::move(entry));
  }
  for (auto& [id, c] : careers) book.careers.push_back(c);
  for (const BookCategory& category : kBookCategories) {
    std::vector<BookEntry> best;
    for (const Career& c : book.careers) {
      const int value = static_cast<int>(c.counters[static_cast<size_t>(category.slot)]);
      if (value > 0) best.push_back({value, c.id, c.name, c.teams.empty() ? "" : c.teams.back(), 0, 0});
    }
    std::stable_sort(best.begin(), best.end(), [](const BookEntry& a, const BookEntry& b) { return a.value > b.value; });
    if (best.size() > 10) best.resize(10);
    book.careerLeaders.push_back(std::move(best));
  }
  for (auto& [file, f] : franchises) book.franchises.push_back(f);
  return book;
}

std::string CareerLine(const Career& c) {
  std::string line = c.name + " (" + c.kind + "), " +
                     (c.firstYear == c.lastYear ? "year " + std::to_string(c.firstYear)
                                                : "years " + std::to_string(c.firstYear) + "-" + std::to_string(c.lastYear)) +
                     ", ";
  for (size_t i = 0; i < c.teams.size(); ++i) line += (i ? ", " : "") + c.teams[i];
  line += ": " + std::to_string(c.games) + (c.games == 1 ? " game" : " games");
  const auto& n = c.counters;
  const auto add = [&line](const std::string& figure) { line += ", " + figure; };
  if (c.kind == "QB") {
    add(Figure("passing yards", n[kStatPassYards]));
    add(Figure("touchdown passes", n[kStatPassTouchdowns]));
  }
  if (n[kStatRushAttempts] > 0) add(Figure("rushing yards", n[kStatRushYards]));
  if (n[kStatReceptions] > 0) add(Figure("receptions", n[kStatReceptions]) + Figure(" for", n[kStatReceivingYards]) + " yards");
  if (n[kStatSacks] > 0) add(Figure("sacks", n[kStatSacks]));
  if (n[kStatInterceptions] > 0) add(Figure("interceptions", n[kStatInterceptions]));
  if (c.kind == "K") add(Figure("field goals", n[kStatFieldGoalsMade]));
  if (c.kind == "P") add(Figure("punts", n[kStatPunts]));
  return line;
}

json::Value RecordBookJson(const RecordBook& book) {
  json::Value out = json::Value::Object();
  json::Value years = json::Value::Array();
  for (const YearInBook& y : book.years) {
    json::Value v = json::Value::Object();
    v.Set("year", y.year);
    v.Set("champion", y.champion);
    v.Set("runner_up", y.runnerUp);
    json::Value leaders = json::Value::Object();
    for (size_t k = 0; k < kBookCategories.size() && k < y.leaders.size(); ++k) {
      leaders.Set(std::string(kBookCategories[k].key), EntryJson(y.leaders[k]));
    }
    v.Set("leaders", std::move(leaders));
    years.Push(std::move(v));
  }
  out.Set("years", std::move(years));
  json::Value careers = json::Value::Object();
  json::Value seasons = json::Value::Object();
  json::Value games = json::Value::Object();
  for (size_t k = 0; k < kBookCategories.size(); ++k) {
    const std::string key(kBookCategories[k].key);
    json::Value list = json::Value::Array();
    for (const BookEntry& e : book.careerLeaders[k]) list.Push(EntryJson(e));
    careers.Set(key, std::move(list));
    seasons.Set(key, EntryJson(book.seasonRecords[k]));
    games.Set(key, EntryJson(book.gameRecords[k]));
  }
  out.Set("career_leaders", std::move(careers));
  out.Set("season_records", std::move(seasons));
  out.Set("game_records", std::move(games));
  json::Value franchises = json::Value::Array();
  for (const Franchise& f : book.franchises) {
    json::Value v = json::Value::Object();
    v.Set("file", f.file);
    v.Set("name", f.name);
    v.Set("wins", f.record.wins);
    v.Set("losses", f.record.losses);
    v.Set("ties", f.record.ties);
    v.Set("points_for", f.pointsFor);
    v.Set("points_against", f.pointsAgainst);
    v.Set("titles", f.titles);
    v.Set("finals", f.finals);
    v.Set("playoffs", f.playoffs);
    franchises.Push(std::move(v));
  }
  out.Set("franchises", std::move(franchises));
  json::Value levels = json::Value::Array();
  for (const YearLevel& level : book.levels) {
    json::Value v = json::Value::Object();
    v.Set("year", level.year);
    for (const KindInfo& info : kKinds) {
      const auto k = static_cast<size_t>(info.kind);
      const double founding = book.founding.overall[k];
      v.Set(std::string(info.name), json::Value::Decimal(founding > 0 ? 100 * (level.overall[k] - founding) / founding : 0, 1));
    }
    levels.Push(std::move(v));
  }
  out.Set("level_against_founding_percent", std::move(levels));
  return out;
}

std::string RecordBookText(const RecordBook& book) {
  std::string out = "Champions\n";
  char line[256];
  for (const YearInBook& y : book.years) {
    std::snprintf(line, sizeof line, "  %-6d %-34s %s\n", y.year, y.champion.empty() ? "(under way)" : y.champion.c_str(),
                  y.runnerUp.empty() ? "" : ("over " + y.runnerUp).c_str());
    out += line;
  }
  out += "\nCareer leaders\n";
  for (size_t k = 0; k < kBookCategories.size(); ++k) {
    out += "  " + std::string(kBookCategories[k].title) + "\n";
    int rank = 0;
    for (const BookEntry& e : book.careerLeaders[k]) {
      if (++rank > 5) break;
      std::snprintf(line, sizeof line, "    %d. %-30s %-30s %7d\n", rank, e.name.c_str(), e.team.c_str(), e.value);
      out += line;
    }
  }
  out += "\nSingle-season records\n";
  for (size_t k = 0; k < kBookCategories.size(); ++k) {
    const BookEntry& e = book.seasonRecords[k];
    std::snprintf(line, sizeof line, "  %-22s %7d  %s, %s, year %d\n", std::string(kBookCategories[k].title).c_str(),
                  e.value, e.name.c_str(), e.team.c_str(), e.year);
    out += line;
  }
  out += "\nSingle-game records\n";
  for (size_t k = 0; k < kBookCategories.size(); ++k) {
    const BookEntry& e = book.gameRecords[k];
    std::snprintf(line, sizeof line, "  %-22s %7d  %s, %s, year %d game %d\n",
                  std::string(kBookCategories[k].title).c_str(), e.value, e.name.c_str(), e.team.c_str(), e.year,
                  e.game);
    out += line;
  }
  out += "\nFranchises                             W     L   T  titles finals playoffs\n";
  for (const Franchise& f : book.franchises) {
    std::snprintf(line, sizeof line, "  %-34s %5d %5d %3d  %6d %6d %8d\n", f.name.c_str(), f.record.wins,
                  f.record.losses, f.record.ties, f.titles, f.finals, f.playoffs);
    out += line;
  }
  out += "\nLeague level by position against where it began (%)\n  year ";
  for (const KindInfo& info : kKinds) {
    std::snprintf(line, sizeof line, "%5s", std::string(info.name).c_str());
    out += line;
  }
  out += "\n";
  for (const YearLevel& level : book.levels) {
    std::snprintf(line, sizeof line, "  %-5d", level.year);
    out += line;
    for (const KindInfo& info : kKinds) {
      const auto k = static_cast<size_t>(info.kind);
      const double founding = book.founding.overall[k];
      std::snprintf(line, sizeof line, "%+5.1f", founding > 0 ? 100 * (level.overall[k] - founding) / founding : 0.0);
      out += line;
    }
    out += "\n";
  }
  return out;
}

}  // namespace qgu::dynasty
