#pragma once
// The record book of a dynasty, worked out from its seasons' journals and its
// players' ids (nothing of it is stored): champions and runners-up by year,
// each year's leaders, career leaders (a player keeps his id across years and
// teams), single-season and single-game records, and every franchise's
// all-time record, titles and playoff appearances. Regular seasons count for
// statistics; the playoffs for titles.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/result.h"
#include "dynasty/dynasty.h"
#include "dynasty/positions.h"
#include "league/team_stats.h"
#include "season/json.h"
#include "season/season.h"

namespace qgu::dynasty {

// A statistic the book keeps leaders and records of.
struct BookCategory {
  std::string_view key;    // "pass_yards"
  std::string_view title;  // "Passing yards"
  int slot;                // the counter slot of the statistics layout
};

inline constexpr std::array<BookCategory, 12> kBookCategories = {{
    {"pass_yards", "Passing yards", league::kStatPassYards},
    {"pass_touchdowns", "Touchdown passes", league::kStatPassTouchdowns},
    {"rush_yards", "Rushing yards", league::kStatRushYards},
    {"rush_touchdowns", "Rushing touchdowns", league::kStatRushTouchdowns},
    {"receptions", "Receptions", league::kStatReceptions},
    {"receiving_yards", "Receiving yards", league::kStatReceivingYards},
    {"receiving_touchdowns", "Touchdown catches", league::kStatReceivingTouchdowns},
    {"sacks", "Sacks", league::kStatSacks},
    {"interceptions", "Interceptions", league::kStatInterceptions},
    {"field_goals", "Field goals", league::kStatFieldGoalsMade},
    {"kick_return_yards", "Kick return yards", league::kStatKickReturnYards},
    {"punts", "Punts", league::kStatPunts},
}};

struct Career {
  int id = 0;
  std::string name;  // "first LAST"
  std::string kind;  // "QB", ...
  int firstYear = 0;
  int lastYear = 0;
  std::vector<std::string> teams;  // team names in the order he played for them
  int games = 0;
  std::array<int64_t, league::kStatCounterCount> counters{};
};

struct BookEntry {
  int value = 0;
  int id = 0;
  std::string name;
  std::string team;
  int year = 0;
  int game = 0;  // single-game records: the game id
};

struct YearInBook {
  int year = 0;
  std::string champion;  // team names; empty while the year is under way
  std::string runnerUp;
  // The year's leader of each category (kBookCategories order).
  std::vector<BookEntry> leaders;
};

struct Franchise {
  std::string file;
  std::string name;
  season::WinLossTie record;  // regular seasons
  int pointsFor = 0, pointsAgainst = 0;
  int titles = 0, finals = 0, playoffs = 0;
};

// The league's level by kind of player in a year (the mean of the ratings
// each kind is judged by), beside where it began.
struct YearLevel {
  int year = 0;
  std::array<double, kKindCount> overall{};
};

struct RecordBook {
  std::vector<YearInBook> years;
  Level founding;
  std::vector<YearLevel> levels;                    // every year with rosters
  std::vector<Career> careers;                      // every player with a listed season, by id
  std::vector<std::vector<BookEntry>> careerLeaders;  // per category, best 10
  std::vector<BookEntry> seasonRecords;             // per category, the best season
  std::vector<BookEntry> gameRecords;               // per category, the best game
  std::vector<Franchise> franchises;                // by file name
};

base::Result<RecordBook> MakeRecordBook(const Dynasty& dynasty);
season::json::Value RecordBookJson(const RecordBook& book);
std::string RecordBookText(const RecordBook& book);

// One line of a career: years, teams and the figures of his kind.
std::string CareerLine(const Career& career);

}  // namespace qgu::dynasty
