#include "season/realism.h"

#include <algorithm>
#include <cstdio>

namespace qgu::season {
namespace {

using namespace league::stat_layout;

struct Tally {
  double sideGames = 0, games = 0;
  std::vector<int> points;
  double pointsSum = 0;
  int shutouts = 0, ties = 0, scorelessGames = 0;
  int decided = 0, homeWins = 0, favouriteDecided = 0, favouriteWins = 0;
  double scrimmage = 0, passes = 0, completions = 0, passYards = 0, rushes = 0, rushYards = 0;
  double sacks = 0, punts = 0, fieldGoals = 0, interceptions = 0;
  double fumbles = 0, fumbleSides = 0, longPlays = 0, longPlaySides = 0, longPlayScrimmage = 0;
  double downSides = 0, firstDowns = 0, thirdDowns = 0, thirdDownsMade = 0, fourthDowns = 0, fourthDownsMade = 0;
  double fieldGoalsMade = 0, extraPoints = 0, extraPointsMade = 0, puntYards = 0;
  double kickReturns = 0, kickReturnYards = 0, touchdowns = 0;
};

void AddSide(Tally& t, const SideFigures& side, const SideFigures& other) {
  const auto& s = side.totals;
  const double scrimmage = s[kStatPassAttempts] + s[kStatRushAttempts] + other.totals[kStatSacks];
  t.sideGames += 1;
  t.points.push_back(side.points);
  t.pointsSum += side.points;
  t.shutouts += side.points == 0;
  t.scrimmage += scrimmage;
  t.passes += s[kStatPassAttempts];
  t.completions += s[kStatCompletions];
  t.passYards += s[kStatPassYards];
  t.rushes += s[kStatRushAttempts];
  t.rushYards += s[kStatRushYards];
  t.sacks += other.totals[kStatSacks];
  t.punts += s[kStatPunts];
  t.fieldGoals += s[kStatFieldGoalsAttempted];
  t.interceptions += s[kStatInterceptionsThrown];
  if (side.fumblesLost >= 0) {
    t.fumbles += side.fumblesLost;
    t.fumbleSides += 1;
  }
  t.fieldGoalsMade += s[kStatFieldGoalsMade];
  t.extraPoints += s[kStatExtraPointsAttempted];
  t.extraPointsMade += s[kStatExtraPointsMade];
  t.puntYards += s[kStatPuntYards];
  t.kickReturns += s[kStatKickReturns];
  t.kickReturnYards += s[kStatKickReturnYards];
  t.touchdowns += s[kStatPassTouchdowns] + s[kStatRushTouchdowns] + s[kStatKickReturnTouchdowns] +
                  s[kStatPuntReturnTouchdowns] + s[kStatInterceptionTouchdowns];
  if (side.firstDowns >= 0) {
    t.downSides += 1;
    t.firstDowns += side.firstDowns;
    t.thirdDowns += side.thirdDowns;
    t.thirdDownsMade += side.thirdDownsMade;
    t.fourthDowns += side.fourthDowns;
    t.fourthDownsMade += side.fourthDownsMade;
  }
  if (side.longPlays >= 0) {
    t.longPlays += side.longPlays;
    t.longPlaySides += 1;
    t.longPlayScrimmage += scrimmage;
  }
}

double Ratio(double a, double b) { return b > 0 ? a / b : 0; }

double Median(std::vector<int> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

std::array<int32_t, league::kStatCounterCount> Sum(const league::TeamStatLines& lines) {
  std::array<int32_t, league::kStatCounterCount> sum{};
  for (const league::StatLine& line : lines) {
    for (size_t i = 0; i < sum.size(); ++i) sum[i] += line.counters[i];
  }
  return sum;
}

}  // namespace

std::array<int32_t, league::kStatCounterCount> SummedCounters(std::string_view teamStats) {
  return Sum(league::ParseTeamStats(teamStats).lines);
}

std::array<int32_t, league::kStatCounterCount> SummedCounters(std::span<const uint8_t> block) {
  return Sum(league::DecodeStatLines({}, league::RawStatsString(block)));
}

std::vector<RealismRow> RealismTable(std::span<const GameFigures> games) {
  Tally t;
  for (const GameFigures& g : games) {
    AddSide(t, g.home, g.away);
    AddSide(t, g.away, g.home);
    t.games += 1;
    const int margin = g.home.points - g.away.points;
    t.ties += margin == 0;
    t.scorelessGames += g.home.points == 0 && g.away.points == 0;
    if (margin == 0) continue;
    ++t.decided;
    t.homeWins += margin > 0;
    if (g.home.strength != g.away.strength) {
      ++t.favouriteDecided;
      t.favouriteWins += (g.home.strength > g.away.strength) == (margin > 0);
    }
  }
  const double n = t.sideGames;
  auto row = [](std::string what, double low, double high, double value, bool percent = false, bool known = true) {
    return RealismRow{std::move(what), low, high, value, known, percent};
  };
  auto read = [](std::string what, double value, bool percent = false, bool known = true) {
    return RealismRow{std::move(what), 0, 0, value, known, percent, false};
  };
  const bool downs = t.downSides > 0;
  return {
      row("points, mean", 17, 30, Ratio(t.pointsSum, n)),
      row("points, median", 14, -1, Median(t.points)),
      row("team-games with 0 points", 0, 6, 100 * Ratio(t.shutouts, n), true),
      row("ties after overtime (of games)", 0, 2, 100 * Ratio(t.ties, t.games), true),
      row("0-0 games (of games)", 0, 0.5, 100 * Ratio(t.scorelessGames, t.games), true),
      row("home side wins (of decided games)", 52, 60, 100 * Ratio(t.homeWins, t.decided), true),
      row("scrimmage plays", 32, 50, Ratio(t.scrimmage, n)),
      row("pass attempts", 14, 30, Ratio(t.passes, n)),
      row("completion %", 50, 66, 100 * Ratio(t.completions, t.passes), true),
      row("yards per pass attempt", 5.5, 8.5, Ratio(t.passYards, t.passes)),
      row("yards per rush", 3.8, 5.2, Ratio(t.rushYards, t.rushes)),
      row("plays of 20 yards or more (of scrimmage plays)", 3, 9, 100 * Ratio(t.longPlays, t.longPlayScrimmage), true,
          t.longPlaySides > 0),
      row("turnovers (interceptions + lost fumbles)", 0.8, 2.5,
          Ratio(t.interceptions, n) + Ratio(t.fumbles, t.fumbleSides), false, t.fumbleSides > 0),
      row("sacks", 1, 3.5, Ratio(t.sacks, n)),
      row("punts", 1.5, 5, Ratio(t.punts, n)),
      row("field goal attempts", 0.7, 2.5, Ratio(t.fieldGoals, n)),
      row("favourite by ratings wins (of decided games)", 60, 75, 100 * Ratio(t.favouriteWins, t.favouriteDecided),
          true, t.favouriteDecided > 0),
      read("touchdowns", Ratio(t.touchdowns, n)),
      read("first downs", Ratio(t.firstDowns, t.downSides), false, downs),
      read("third downs made", 100 * Ratio(t.thirdDownsMade, t.thirdDowns), true, downs),
      read("fourth downs tried", Ratio(t.fourthDowns, t.downSides), false, downs),
      read("fourth downs made", 100 * Ratio(t.fourthDownsMade, t.fourthDowns), true, downs),
      read("field goals made", 100 * Ratio(t.fieldGoalsMade, t.fieldGoals), true),
      read("extra points made", 100 * Ratio(t.extraPointsMade, t.extraPoints), true),
      read("yards per punt", Ratio(t.puntYards, t.punts)),
      read("yards per kick return", Ratio(t.kickReturnYards, t.kickReturns)),
  };
}

std::string FormatRealismTable(std::span<const RealismRow> rows, bool markdown) {
  auto value = [](const RealismRow& r) {
    char text[32] = "-";
    if (r.known) std::snprintf(text, sizeof text, "%.*f%s", r.percent ? 1 : 2, r.value, r.percent ? "%" : "");
    return std::string(text);
  };
  auto range = [](const RealismRow& r) {
    char text[32];
    const char* unit = r.percent ? "%" : "";
    if (r.high < 0) {
      std::snprintf(text, sizeof text, "at least %g%s", r.low, unit);
    } else if (r.low == 0) {
      std::snprintf(text, sizeof text, "at most %g%s", r.high, unit);
    } else {
      std::snprintf(text, sizeof text, "%g-%g%s", r.low, r.high, unit);
    }
    return std::string(text);
  };
  std::string out;
  char line[160];
  if (markdown) {
    out += "| per team-game | range | figure | |\n|---|---|---|---|\n";
    for (const RealismRow& r : rows) {
      const char* verdict = !r.ranged ? "" : !r.known ? "not recorded" : r.Inside() ? "ok" : "OUT";
      out += "| " + r.what + " | " + (r.ranged ? range(r) : "") + " | " + value(r) + " | " + verdict + " |\n";
    }
    return out;
  }
  std::snprintf(line, sizeof line, "%-48s %-13s %9s\n", "per team-game", "range", "figure");
  out += line;
  bool reading = false;
  for (const RealismRow& r : rows) {
    if (!r.ranged && !reading) {
      out += "\nfor reading\n";
      reading = true;
    }
    const char* verdict = !r.ranged ? "" : !r.known ? "  not recorded" : r.Inside() ? "  ok" : "  OUT";
    std::snprintf(line, sizeof line, "%-48s %-13s %9s%s\n", r.what.c_str(), r.ranged ? range(r).c_str() : "",
                  value(r).c_str(), verdict);
    out += line;
  }
  return out;
}

}  // namespace qgu::season
