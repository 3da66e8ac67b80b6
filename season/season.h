#pragma once
// A league's season: a definition written once (teams with the hash of each
// record, conferences and divisions, the regular schedule, the playoff format,
// the seed, the teams a person plays) and a journal with one line per finished
// game. Standings, leaders and the bracket are always worked out from the
// journal; nothing derived is stored.
//
// On disk: <league folder>/seasons/<name>/season.json and journal.jsonl. The
// journal is appended and synced game by game, so a run killed at any moment
// loses at most the games still being played; a torn last line is dropped
// (kept aside in journal.torn) with a notice.
//
// Plain C++ (no Qt): the command line and the window both build on it.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "driver/game_summary.h"
#include "league/league_folders.h"

namespace qgu::season {

using base::Result;
using base::Status;

using league::kSeasonsFolderName;
inline constexpr std::string_view kDefinitionFileName = "season.json";
inline constexpr std::string_view kJournalFileName = "journal.jsonl";
inline constexpr size_t kMaxSeasonNameLength = 64;
inline constexpr int kMaxGamesPerTeam = 40;
inline constexpr int kDefaultQuarterMinutes = 5;
// Playoff game ids are kPlayoffGameBase + 100 x round + game in the round (1-based).
inline constexpr int kPlayoffGameBase = 10000;
// What the bracket says about a playoff game that ends level.
inline constexpr std::string_view kTiedPlayoffRule =
    "A playoff game that ends level goes to the higher seed.";

// ---------------------------------------------------------------- definition

struct SeasonTeam {
  std::string file;        // file name inside the league folder, e.g. "NY0.dat"
  std::string hash;        // 16 hex digits of the record's bytes at creation
  std::string name;        // "CITY NICKNAME" at creation
  std::string abbreviation;
  std::string conference;  // empty without divisions
  std::string division;    // empty without divisions
  bool user = false;       // a person plays this team
};

struct ScheduledGame {
  int id = 0;    // 1, 2, ... in week order; playoff ids from kPlayoffGameBase
  int week = 0;  // 1-based; playoff rounds follow the last regular week
  int home = 0;  // index into SeasonDefinition::teams
  int away = 0;
};

struct SeasonDefinition {
  std::string league;  // the league's folder name
  std::string name;    // the season's folder name
  uint32_t seed = 0;
  int quarterMinutes = kDefaultQuarterMinutes;
  int gamesPerTeam = 0;
  int regularWeeks = 0;
  int playoffTeams = 0;  // 0: no playoffs
  std::vector<SeasonTeam> teams;
  std::vector<ScheduledGame> schedule;  // the regular season only
};

// What `season create` and the Create Season dialog ask for.
struct SeasonRequest {
  std::string name;
  std::optional<int> gamesPerTeam;   // default: as many as the teams allow, at most 16
  int quarterMinutes = kDefaultQuarterMinutes;
  std::optional<int> playoffTeams;   // default: see DefaultPlayoffTeams
  std::string divisionsText;         // the --divisions file's content; empty: no divisions
  std::vector<std::string> userTeams;  // file names ("NY0.dat") or abbreviations
  std::optional<uint32_t> seed;      // default: the time
};

// Divisions text: one division a line, "CONFERENCE / DIVISION: FILE FILE ..."
// or "DIVISION: FILE ..." (files by name or abbreviation); blank lines and
// lines starting with # are skipped. Without it every team of the league plays.

// Checks a season name: 1-64 characters, no "/", "\", control characters,
// not "." or ".." and not starting with ".". The error says why.
Status CheckSeasonName(std::string_view name);

// P for a league of n teams when none is asked for: 2 for up to 7 teams,
// 4 up to 15, 8 beyond.
int DefaultPlayoffTeams(int teamCount);

// Makes the schedule and writes the season folder and its definition. Refuses
// a taken name, bad divisions, impossible game counts, more playoff teams
// than teams, an unknown user team: the error says why; nothing is left behind.
Result<SeasonDefinition> CreateSeason(const std::filesystem::path& leagueFolder, const SeasonRequest& request);

// The seasons of a league (folders under seasons/ holding a definition), by name.
Result<std::vector<std::string>> ListSeasons(const std::filesystem::path& leagueFolder);

// ---------------------------------------------------------------- journal

// One finished game, as the journal keeps it.
struct GameRecord {
  int id = 0;
  int week = 0;
  int home = 0;  // team indices
  int away = 0;
  int homeScore = 0;
  int awayScore = 0;
  std::string homeStats;  // the team statistics strings the summary shows
  std::string awayStats;
  uint32_t seed = 0;
  std::string homeHash;  // the two team records as played
  std::string awayHash;
};

// An open season: its definition and the journal as read.
struct Season {
  std::filesystem::path leagueFolder;
  std::filesystem::path folder;  // leagueFolder/seasons/name
  SeasonDefinition definition;
  std::vector<GameRecord> games;       // journal order, each game id once
  std::vector<std::string> notices;    // torn last line dropped, duplicates ignored
};

// Reads the definition and the journal. A hand-broken file gives an error
// naming the file, the line and the problem; the files are never changed here.
Result<Season> OpenSeason(const std::filesystem::path& leagueFolder, std::string_view name);

// The game's COM seed: derived from the season seed and the game id only.
uint32_t GameSeed(uint32_t seasonSeed, int gameId);

// ---------------------------------------------------------------- schedule view

struct GameView {
  ScheduledGame game;
  bool playoff = false;
  int round = 0;                       // playoffs: 1 = first round
  std::optional<GameRecord> result;    // played
  bool userGame = false;               // a person plays one side
};

struct WeekView {
  int week = 0;
  bool playoff = false;
  std::string title;  // "Week 3", "Playoffs round 1", "Final"
  std::vector<GameView> games;
};

// Regular weeks, then each playoff round whose pairings are known.
std::vector<WeekView> Schedule(const Season& season);

// The playoff games whose two teams are known (played or not).
std::vector<ScheduledGame> KnownPlayoffGames(const Season& season);

// ---------------------------------------------------------------- standings

struct WinLossTie {
  int wins = 0;
  int losses = 0;
  int ties = 0;
  int Games() const { return wins + losses + ties; }
  double Percentage() const;  // a tie counts half; 0 without games
};

struct StandingRow {
  int team = 0;
  WinLossTie record;
  int pointsFor = 0;
  int pointsAgainst = 0;
  WinLossTie home, away, division, conference;
  std::string streak;    // "W3", "L1", "T1", "" before a game
  std::string lastFive;  // e.g. "WWLTW", oldest first
  // The rule that put this team ahead of the next row when both had the same
  // percentage: "head-to-head", "division record", "conference record",
  // "point difference", "points for", "coin toss"; empty otherwise.
  std::string tieBreakOverNext;
};

struct StandingsGroup {
  std::string conference;  // both empty: the whole league
  std::string division;
  std::vector<StandingRow> rows;  // ranked
};

// Regular season only. One group per division (in definition order), or one
// group for the whole league without divisions.
std::vector<StandingsGroup> Standings(const Season& season);
// All teams ranked by the same rules (the seeding's order).
StandingsGroup LeagueTable(const Season& season);

// ---------------------------------------------------------------- leaders

// A player's season: the summed counters of the team statistics strings,
// keyed by team and roster slot (0-11, 17-29).
struct PlayerSeason {
  int team = 0;
  int rosterSlot = 0;
  std::string name;
  int games = 0;  // games his team played with him listed
  std::vector<int64_t> counters;  // the 27 counter slots
};

struct LeaderRow {
  int team = 0;
  int rosterSlot = 0;
  std::string name;
  std::vector<double> values;  // one per column
};

struct LeaderTable {
  std::string key;    // "passing", "rushing", ...
  std::string title;  // "Passing (at least 5 attempts a team game)"
  std::vector<std::string> columns;
  std::vector<LeaderRow> rows;  // best first, at most 10
};

struct TeamTotals {
  int team = 0;
  int games = 0;
  int pointsFor = 0;
  int pointsAgainst = 0;
  std::vector<int64_t> counters;  // the team's 27 counter slots summed
};

struct Leaders {
  std::vector<LeaderTable> tables;  // passing, rushing, receiving, sacks, interceptions,
                                    // kicking, punting, kick returns, punt returns
  std::vector<TeamTotals> teams;    // in definition order
  std::vector<PlayerSeason> players;  // every listed player, by team then slot
};

// The regular season's games (playoff games do not count).
Leaders SeasonLeaders(const Season& season);

// ---------------------------------------------------------------- bracket

struct PlayoffSeed {
  int seed = 0;  // 1 = best
  int team = 0;
  bool divisionWinner = false;
};

struct BracketGame {
  int id = 0;
  int round = 0;  // 1-based
  std::optional<int> home;  // higher seed at home; empty until known
  std::optional<int> away;
  std::optional<GameRecord> result;
  std::optional<int> winner;
  std::string decidedBy;  // "" or kTiedPlayoffRule when the score was level
};

struct Bracket {
  std::vector<PlayoffSeed> seeds;  // empty until the regular season is over
  int rounds = 0;
  std::vector<int> byes;           // teams that skip round 1
  std::vector<BracketGame> games;  // by round, then slot
  std::optional<int> champion;
  std::string tieRule;             // kTiedPlayoffRule
};

Bracket SeasonBracket(const Season& season);

// ---------------------------------------------------------------- playing

enum class PlayScope { kWeek, kRegular, kPlayoffs, kAll, kOneGame };

struct PlayProgress {
  int done = 0;
  int total = 0;
  double secondsLeft = 0;
  std::string last;  // "week 3: HOME 21 - AWAY 14"
};

struct PlayRequest {
  std::span<const uint8_t> image;  // the cartridge image (the program's own)
  PlayScope scope = PlayScope::kAll;
  int week = 0;     // kWeek
  int gameId = 0;   // kOneGame
  int jobs = 1;     // games at once
  bool simUser = false;  // also play a person's games, COM against COM
  std::function<void(const PlayProgress&)> progress;  // from worker threads, one call at a time
  const std::atomic<bool>* cancel = nullptr;  // no new game starts once set; games under way finish
};

struct PlayOutcome {
  int played = 0;
  int leftForUser = 0;              // games a person plays, not played
  std::vector<std::string> problems;  // games that could not be played, and why
  bool cancelled = false;
};

// Plays the unplayed games in scope, each into the journal as it ends.
// Playoff rounds follow one another as their pairings become known. A season
// that another run is playing at the moment is refused.
Result<PlayOutcome> PlaySeason(const std::filesystem::path& leagueFolder, std::string_view name,
                               const PlayRequest& request);

// What the window needs to play one game itself.
struct GameSetup {
  int id = 0;
  int week = 0;
  std::filesystem::path homeFile;
  std::filesystem::path awayFile;
  int quarterMinutes = 0;
  uint32_t seed = 0;
  bool homeIsUser = false;
  bool awayIsUser = false;
};

// The person's next unplayed game (lowest week, then id) whose teams are known.
std::optional<GameSetup> NextUserGame(const Season& season);
// Any known game by id.
Result<GameSetup> SetupForGame(const Season& season, int gameId);

// Records a game finished elsewhere (the game window, with the summary the
// capture made). Refuses an unknown or already played game id.
Status RecordGame(const std::filesystem::path& leagueFolder, std::string_view name, int gameId,
                  const driver::GameSummary& summary, uint32_t seed);

}  // namespace qgu::season
