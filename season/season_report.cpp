// The season's web page: one file a league can put on its site as it is.

#include <cstdio>

#include "driver/box_score.h"
#include "season/season_text.h"

namespace qgu::season {
namespace {

std::string Escape(std::string_view text) {
  std::string out;
  for (const char ch : text) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += ch;
    }
  }
  return out;
}

const std::string& NameOf(const Season& season, int team) { return season.definition.teams[static_cast<size_t>(team)].name; }

std::string Cell(const std::string& text, const char* tag = "td") {
  return std::string("<") + tag + ">" + Escape(text) + "</" + tag + ">";
}

constexpr const char* kStyle = R"(
body{font-family:Verdana,Arial,sans-serif;margin:0;background:#f4f1ea;color:#1d1d1d}
header{background:#4a526b;color:#fff;padding:18px 28px}
header h1{margin:0;font-size:26px;letter-spacing:1px}
header p{margin:4px 0 0;font-size:13px;opacity:.85}
nav{background:#2f3547;padding:6px 28px}
nav a{color:#ffd75e;margin-right:18px;font-size:13px;text-decoration:none}
main{padding:10px 28px 40px}
h2{border-bottom:3px solid #4a526b;padding-bottom:4px;margin-top:30px}
h3{margin:18px 0 6px;font-size:15px}
table{border-collapse:collapse;margin:4px 0 12px;font-size:13px;background:#fff}
th{background:#c0c0c0;text-align:left;padding:3px 8px}
td{padding:3px 8px;border-top:1px solid #e2ddd2}
tr:nth-child(even) td{background:#f7f7f7}
td.n,th.n{text-align:right}
.why{color:#7c0f0c;font-size:12px}
.champion{font-size:18px;background:#ffd75e;display:inline-block;padding:6px 14px;border-radius:4px}
details{margin:2px 0 2px 12px}
summary{cursor:pointer}
pre{background:#fff;border:1px solid #ddd;padding:8px;font-size:12px;overflow-x:auto}
.week{display:inline-block;vertical-align:top;margin-right:22px}
)";

std::string StandingsSection(const Season& season) {
  std::string out = "<h2 id=\"standings\">Standings</h2>\n";
  for (const StandingsGroup& group : Standings(season)) {
    out += "<h3>" +
           Escape(group.division.empty() ? "League"
                                         : (group.conference.empty() ? "" : group.conference + " / ") + group.division) +
           "</h3>\n<table><tr><th>#</th><th>Team</th><th class=n>W</th><th class=n>L</th><th class=n>T</th>"
           "<th class=n>PCT</th><th class=n>PF</th><th class=n>PA</th><th class=n>DIFF</th><th>Home</th><th>Away</th>"
           "<th>Div</th><th>Conf</th><th>Streak</th><th>Last 5</th><th>Tie-break</th></tr>\n";
    int rank = 0;
    for (const StandingRow& row : group.rows) {
      char pct[16];
      std::snprintf(pct, sizeof pct, "%.3f", row.record.Percentage());
      out += "<tr><td class=n>" + std::to_string(++rank) + "</td>" + Cell(NameOf(season, row.team)) + "<td class=n>" +
             std::to_string(row.record.wins) + "</td><td class=n>" + std::to_string(row.record.losses) +
             "</td><td class=n>" + std::to_string(row.record.ties) + "</td><td class=n>" + pct + "</td><td class=n>" +
             std::to_string(row.pointsFor) + "</td><td class=n>" + std::to_string(row.pointsAgainst) +
             "</td><td class=n>" + std::to_string(row.pointsFor - row.pointsAgainst) + "</td>" +
             Cell(RecordText(row.home)) + Cell(RecordText(row.away)) + Cell(RecordText(row.division)) +
             Cell(RecordText(row.conference)) + Cell(row.streak) + Cell(row.lastFive) + "<td class=why>" +
             (row.tieBreakOverNext.empty() ? "" : "ahead of the next by " + Escape(row.tieBreakOverNext)) + "</td></tr>\n";
    }
    out += "</table>\n";
  }
  return out;
}

std::string ResultsSection(const Season& season) {
  std::string out = "<h2 id=\"results\">Results</h2>\n";
  for (const WeekView& week : Schedule(season)) {
    out += "<h3>" + Escape(week.title) + "</h3>\n";
    for (const GameView& view : week.games) {
      const std::string home = NameOf(season, view.game.home);
      const std::string away = NameOf(season, view.game.away);
      if (!view.result) {
        out += "<details><summary>" + Escape(home) + " against " + Escape(away) + ": to be played</summary></details>\n";
        continue;
      }
      const driver::GameSummary summary{view.result->homeStats, view.result->awayStats,
                                        std::to_string(view.result->homeScore), std::to_string(view.result->awayScore)};
      out += "<details><summary>" + Escape(home) + " " + std::to_string(view.result->homeScore) + ", " + Escape(away) +
             " " + std::to_string(view.result->awayScore) + "</summary><pre>" + Escape(driver::BoxScoreText(summary)) +
             "</pre></details>\n";
    }
  }
  return out;
}

std::string LeadersSection(const Season& season) {
  const Leaders leaders = SeasonLeaders(season);
  std::string out = "<h2 id=\"leaders\">Leaders</h2>\n";
  for (const LeaderTable& table : leaders.tables) {
    out += "<div class=week><h3>" + Escape(table.title) + "</h3><table><tr><th>Player</th><th>Team</th>";
    for (const std::string& column : table.columns) out += "<th class=n>" + Escape(column) + "</th>";
    out += "</tr>\n";
    for (const LeaderRow& row : table.rows) {
      out += "<tr>" + Cell(row.name) + Cell(season.definition.teams[static_cast<size_t>(row.team)].abbreviation);
      for (size_t c = 0; c < row.values.size(); ++c) {
        char value[32];
        const bool fraction = table.columns[c] == "AVG" || table.columns[c] == "RATING";
        std::snprintf(value, sizeof value, fraction ? "%.1f" : "%.0f", row.values[c]);
        out += std::string("<td class=n>") + value + "</td>";
      }
      out += "</tr>\n";
    }
    out += "</table></div>\n";
  }
  return out;
}

std::string BracketSection(const Season& season) {
  std::string out = "<h2 id=\"playoffs\">Playoffs</h2>\n";
  if (season.definition.playoffTeams < 2) return out + "<p>No playoffs in this season.</p>\n";
  const Bracket bracket = SeasonBracket(season);
  if (bracket.seeds.empty()) out += "<p>Seeds are known when the regular season is over.</p>\n";
  if (!bracket.seeds.empty()) {
    out += "<table><tr><th>Seed</th><th>Team</th><th></th></tr>\n";
    for (const PlayoffSeed& seed : bracket.seeds) {
      out += "<tr><td class=n>" + std::to_string(seed.seed) + "</td>" + Cell(NameOf(season, seed.team)) +
             Cell(seed.divisionWinner ? "division winner" : "") + "</tr>\n";
    }
    out += "</table>\n";
  }
  for (int round = 1; round <= bracket.rounds; ++round) {
    out += "<div class=week><h3>" + std::string(round == bracket.rounds ? "Final" : "Round " + std::to_string(round)) +
           "</h3><table>\n";
    for (const BracketGame& game : bracket.games) {
      if (game.round != round) continue;
      auto side = [&](const std::optional<int>& team, int score) {
        if (!team) return std::string("<tr><td>(to come)</td><td></td></tr>");
        const bool won = game.winner && *game.winner == *team;
        return "<tr><td>" + std::string(won ? "<b>" : "") + Escape(NameOf(season, *team)) + (won ? "</b>" : "") +
               "</td><td class=n>" + (game.result ? std::to_string(score) : "") + "</td></tr>";
      };
      out += side(game.home, game.result ? game.result->homeScore : 0) +
             side(game.away, game.result ? game.result->awayScore : 0) + "\n";
      if (!game.decidedBy.empty()) out += "<tr><td class=why colspan=2>level: the higher seed goes through</td></tr>\n";
      out += "<tr><td colspan=2></td></tr>\n";
    }
    out += "</table></div>\n";
  }
  if (!bracket.byes.empty()) {
    out += "<p>Byes in round 1: ";
    for (size_t i = 0; i < bracket.byes.size(); ++i) out += (i > 0 ? ", " : "") + Escape(NameOf(season, bracket.byes[i]));
    out += "</p>\n";
  }
  if (bracket.champion) out += "<p class=champion>Champion: " + Escape(NameOf(season, *bracket.champion)) + "</p>\n";
  out += "<p class=why>" + Escape(bracket.tieRule) + "</p>\n";
  return out;
}

}  // namespace

std::string ReportHtml(const Season& season) {
  const SeasonDefinition& definition = season.definition;
  std::string out = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>" +
                    Escape(definition.league + ": " + definition.name) + "</title>\n<style>" + kStyle +
                    "</style></head>\n<body>\n<header><h1>" + Escape(definition.league) + " &mdash; " +
                    Escape(definition.name) + "</h1><p>" + std::to_string(definition.teams.size()) + " teams, " +
                    std::to_string(definition.gamesPerTeam) + " games each, " +
                    std::to_string(definition.quarterMinutes) + "-minute quarters, " +
                    std::to_string(season.games.size()) + " games played</p></header>\n"
                    "<nav><a href=\"#standings\">Standings</a><a href=\"#results\">Results</a>"
                    "<a href=\"#leaders\">Leaders</a><a href=\"#playoffs\">Playoffs</a></nav>\n<main>\n";
  out += StandingsSection(season);
  out += BracketSection(season);
  out += LeadersSection(season);
  out += ResultsSection(season);
  out += "</main></body></html>\n";
  return out;
}

}  // namespace qgu::season
