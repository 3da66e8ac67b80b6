#include "season/season_text.h"

#include <cstdio>

#include "league/team_stats.h"
#include "season/json.h"

namespace qgu::season {
namespace {

std::string Format(const char* format, auto... values) {
  char text[512];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

const SeasonTeam& TeamOf(const Season& season, int team) { return season.definition.teams[static_cast<size_t>(team)]; }

std::string GroupTitle(const StandingsGroup& group) {
  if (group.division.empty()) return "League";
  return group.conference.empty() ? group.division : group.conference + " / " + group.division;
}

std::string Pct(double value) {
  std::string text = Format("%.3f", value);
  return text.starts_with("0.") ? text.substr(1) : text;  // ".667", "1.000"
}

std::string ValueText(double value, const std::string& column) {
  const bool fraction = column == "AVG" || column == "RATING";
  return fraction ? Format("%.1f", value) : Format("%.0f", value);
}

json::Value RecordJson(const WinLossTie& record) {
  json::Value value = json::Value::Object();
  value.Set("wins", record.wins);
  value.Set("losses", record.losses);
  value.Set("ties", record.ties);
  return value;
}

json::Value TeamRef(const Season& season, int team) {
  json::Value value = json::Value::Object();
  value.Set("file", TeamOf(season, team).file);
  value.Set("name", TeamOf(season, team).name);
  return value;
}

}  // namespace

std::string RecordText(const WinLossTie& record) {
  return std::to_string(record.wins) + "-" + std::to_string(record.losses) + "-" + std::to_string(record.ties);
}

std::string ScheduleText(const Season& season) {
  std::string out;
  for (const WeekView& week : Schedule(season)) {
    out += week.title + "\n";
    for (const GameView& view : week.games) {
      const SeasonTeam& home = TeamOf(season, view.game.home);
      const SeasonTeam& away = TeamOf(season, view.game.away);
      std::string result = view.result ? Format("%3d - %-3d", view.result->homeScore, view.result->awayScore)
                                       : std::string("   -     ");
      out += Format("  %5d  %-26s %s %-26s%s\n", view.game.id, home.name.c_str(), result.c_str(), away.name.c_str(),
                    view.userGame ? "  (a person plays)" : "");
    }
  }
  return out;
}

std::string ScheduleJson(const Season& season) {
  json::Value weeks = json::Value::Array();
  for (const WeekView& week : Schedule(season)) {
    json::Value item = json::Value::Object();
    item.Set("week", week.week);
    item.Set("title", week.title);
    item.Set("playoff", week.playoff);
    json::Value games = json::Value::Array();
    for (const GameView& view : week.games) {
      json::Value game = json::Value::Object();
      game.Set("game", view.game.id);
      game.Set("home", TeamRef(season, view.game.home));
      game.Set("away", TeamRef(season, view.game.away));
      game.Set("user_game", view.userGame);
      if (view.result) {
        game.Set("home_score", view.result->homeScore);
        game.Set("away_score", view.result->awayScore);
      }
      games.Push(std::move(game));
    }
    item.Set("games", std::move(games));
    weeks.Push(std::move(item));
  }
  json::Value root = json::Value::Object();
  root.Set("season", season.definition.name);
  root.Set("weeks", std::move(weeks));
  return json::WritePretty(root);
}

std::string StandingsText(const Season& season) {
  std::string out;
  for (const StandingsGroup& group : Standings(season)) {
    out += GroupTitle(group) + "\n";
    out += "   # Team                         W   L   T   PCT   PF   PA  DIFF  HOME     AWAY     DIV      CONF     STRK LAST5 TIE-BREAK\n";
    int rank = 0;
    for (const StandingRow& row : group.rows) {
      out += Format("  %2d %-26s %3d %3d %3d %5s %4d %4d %+5d  %-8s %-8s %-8s %-8s %-4s %-5s %s\n", ++rank,
                    TeamOf(season, row.team).name.c_str(), row.record.wins, row.record.losses, row.record.ties,
                    Pct(row.record.Percentage()).c_str(), row.pointsFor, row.pointsAgainst,
                    row.pointsFor - row.pointsAgainst, RecordText(row.home).c_str(), RecordText(row.away).c_str(),
                    RecordText(row.division).c_str(), RecordText(row.conference).c_str(), row.streak.c_str(),
                    row.lastFive.c_str(),
                    row.tieBreakOverNext.empty() ? "" : ("ahead of the next by " + row.tieBreakOverNext).c_str());
    }
    out += "\n";
  }
  return out;
}

std::string StandingsJson(const Season& season) {
  json::Value groups = json::Value::Array();
  for (const StandingsGroup& group : Standings(season)) {
    json::Value item = json::Value::Object();
    item.Set("conference", group.conference);
    item.Set("division", group.division);
    json::Value rows = json::Value::Array();
    for (const StandingRow& row : group.rows) {
      json::Value entry = TeamRef(season, row.team);
      entry.Set("wins", row.record.wins);
      entry.Set("losses", row.record.losses);
      entry.Set("ties", row.record.ties);
      entry.Set("percentage", json::Value::Decimal(row.record.Percentage(), 3));
      entry.Set("points_for", row.pointsFor);
      entry.Set("points_against", row.pointsAgainst);
      entry.Set("difference", row.pointsFor - row.pointsAgainst);
      entry.Set("home", RecordJson(row.home));
      entry.Set("away", RecordJson(row.away));
      entry.Set("division_record", RecordJson(row.division));
      entry.Set("conference_record", RecordJson(row.conference));
      entry.Set("streak", row.streak);
      entry.Set("last_five", row.lastFive);
      entry.Set("tie_break_over_next", row.tieBreakOverNext);
      rows.Push(std::move(entry));
    }
    item.Set("rows", std::move(rows));
    groups.Push(std::move(item));
  }
  json::Value root = json::Value::Object();
  root.Set("season", season.definition.name);
  root.Set("groups", std::move(groups));
  return json::WritePretty(root);
}

std::string LeadersText(const Season& season) {
  const Leaders leaders = SeasonLeaders(season);
  std::string out;
  for (const LeaderTable& table : leaders.tables) {
    out += table.title + "\n";
    std::string header = Format("  %-18s %-5s", "Player", "Team");
    for (const std::string& column : table.columns) header += Format(" %7s", column.c_str());
    out += header + "\n";
    for (const LeaderRow& row : table.rows) {
      std::string line = Format("  %-18s %-5s", row.name.c_str(), TeamOf(season, row.team).abbreviation.c_str());
      for (size_t c = 0; c < row.values.size(); ++c) line += Format(" %7s", ValueText(row.values[c], table.columns[c]).c_str());
      out += line + "\n";
    }
    if (table.rows.empty()) out += "  (nobody yet)\n";
    out += "\n";
  }
  out += "Team totals\n";
  out += Format("  %-26s %3s %5s %5s %6s %6s %4s %4s %4s\n", "Team", "G", "PF", "PA", "PASS", "RUSH", "SCK", "INT", "FGM");
  for (const TeamTotals& team : leaders.teams) {
    using namespace league::stat_layout;
    out += Format("  %-26s %3d %5d %5d %6lld %6lld %4lld %4lld %4lld\n", TeamOf(season, team.team).name.c_str(), team.games,
                  team.pointsFor, team.pointsAgainst, static_cast<long long>(team.counters[kStatPassYards]),
                  static_cast<long long>(team.counters[kStatRushYards]), static_cast<long long>(team.counters[kStatSacks]),
                  static_cast<long long>(team.counters[kStatInterceptions]),
                  static_cast<long long>(team.counters[kStatFieldGoalsMade]));
  }
  return out;
}

std::string LeadersJson(const Season& season) {
  const Leaders leaders = SeasonLeaders(season);
  json::Value root = json::Value::Object();
  root.Set("season", season.definition.name);
  json::Value tables = json::Value::Array();
  for (const LeaderTable& table : leaders.tables) {
    json::Value item = json::Value::Object();
    item.Set("key", table.key);
    item.Set("title", table.title);
    json::Value columns = json::Value::Array();
    for (const std::string& column : table.columns) columns.Push(column);
    item.Set("columns", std::move(columns));
    json::Value rows = json::Value::Array();
    for (const LeaderRow& row : table.rows) {
      json::Value entry = json::Value::Object();
      entry.Set("team", TeamOf(season, row.team).file);
      entry.Set("roster_slot", row.rosterSlot);
      entry.Set("name", row.name);
      json::Value values = json::Value::Array();
      for (size_t c = 0; c < row.values.size(); ++c) values.Push(json::Value::Decimal(row.values[c], table.columns[c] == "AVG" || table.columns[c] == "RATING" ? 1 : 0));
      entry.Set("values", std::move(values));
      rows.Push(std::move(entry));
    }
    item.Set("rows", std::move(rows));
    tables.Push(std::move(item));
  }
  root.Set("tables", std::move(tables));
  json::Value teams = json::Value::Array();
  for (const TeamTotals& team : leaders.teams) {
    json::Value entry = TeamRef(season, team.team);
    entry.Set("games", team.games);
    entry.Set("points_for", team.pointsFor);
    entry.Set("points_against", team.pointsAgainst);
    json::Value counters = json::Value::Array();
    for (const int64_t counter : team.counters) counters.Push(counter);
    entry.Set("counters", std::move(counters));
    teams.Push(std::move(entry));
  }
  root.Set("teams", std::move(teams));
  json::Value players = json::Value::Array();
  for (const PlayerSeason& player : leaders.players) {
    json::Value entry = json::Value::Object();
    entry.Set("team", TeamOf(season, player.team).file);
    entry.Set("roster_slot", player.rosterSlot);
    entry.Set("name", player.name);
    entry.Set("games", player.games);
    json::Value counters = json::Value::Array();
    for (const int64_t counter : player.counters) counters.Push(counter);
    entry.Set("counters", std::move(counters));
    players.Push(std::move(entry));
  }
  root.Set("players", std::move(players));
  return json::WritePretty(root);
}

std::string BracketText(const Season& season) {
  const Bracket bracket = SeasonBracket(season);
  if (season.definition.playoffTeams < 2) return "No playoffs in this season.\n";
  std::string out;
  if (bracket.seeds.empty()) {
    out += "Seeds are known when the regular season is over.\n";
  } else {
    out += "Seeds\n";
    for (const PlayoffSeed& seed : bracket.seeds) {
      out += Format("  %2d %-26s%s\n", seed.seed, TeamOf(season, seed.team).name.c_str(),
                    seed.divisionWinner ? "  division winner" : "");
    }
    for (const int team : bracket.byes) out += "  bye in round 1: " + TeamOf(season, team).name + "\n";
  }
  int round = 0;
  for (const BracketGame& game : bracket.games) {
    if (game.round != round) {
      round = game.round;
      out += round == bracket.rounds ? "Final\n" : "Round " + std::to_string(round) + "\n";
    }
    const std::string home = game.home ? TeamOf(season, *game.home).name : std::string("(to come)");
    const std::string away = game.away ? TeamOf(season, *game.away).name : std::string("(to come)");
    std::string score = game.result ? Format("%3d - %-3d", game.result->homeScore, game.result->awayScore)
                                    : std::string("   -     ");
    out += Format("  %5d  %-26s %s %-26s", game.id, home.c_str(), score.c_str(), away.c_str());
    if (game.winner) out += "  winner " + TeamOf(season, *game.winner).name;
    if (!game.decidedBy.empty()) out += " (level: the higher seed goes through)";
    out += "\n";
  }
  if (bracket.champion) out += "Champion: " + TeamOf(season, *bracket.champion).name + "\n";
  out += std::string(kTiedPlayoffRule) + "\n";
  return out;
}

std::string BracketJson(const Season& season) {
  const Bracket bracket = SeasonBracket(season);
  json::Value root = json::Value::Object();
  root.Set("season", season.definition.name);
  root.Set("playoff_teams", season.definition.playoffTeams);
  root.Set("rounds", bracket.rounds);
  root.Set("tie_rule", bracket.tieRule);
  json::Value seeds = json::Value::Array();
  for (const PlayoffSeed& seed : bracket.seeds) {
    json::Value entry = TeamRef(season, seed.team);
    entry.Set("seed", seed.seed);
    entry.Set("division_winner", seed.divisionWinner);
    seeds.Push(std::move(entry));
  }
  root.Set("seeds", std::move(seeds));
  json::Value byes = json::Value::Array();
  for (const int team : bracket.byes) byes.Push(TeamOf(season, team).file);
  root.Set("byes", std::move(byes));
  json::Value games = json::Value::Array();
  for (const BracketGame& game : bracket.games) {
    json::Value entry = json::Value::Object();
    entry.Set("game", game.id);
    entry.Set("round", game.round);
    entry.Set("home", game.home ? json::Value(TeamOf(season, *game.home).file) : json::Value());
    entry.Set("away", game.away ? json::Value(TeamOf(season, *game.away).file) : json::Value());
    if (game.result) {
      entry.Set("home_score", game.result->homeScore);
      entry.Set("away_score", game.result->awayScore);
    }
    entry.Set("winner", game.winner ? json::Value(TeamOf(season, *game.winner).file) : json::Value());
    entry.Set("decided_by", game.decidedBy);
    games.Push(std::move(entry));
  }
  root.Set("games", std::move(games));
  root.Set("champion", bracket.champion ? json::Value(TeamOf(season, *bracket.champion).file) : json::Value());
  return json::WritePretty(root);
}

}  // namespace qgu::season
