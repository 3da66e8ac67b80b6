#pragma once
// A dynasty: a league that lives for years. It owns a copy of the league it
// began from (the original is never changed): <leagues>/<NAME>/ holds the
// copy's team files and config.lge like any league, its seasons (one a year,
// named by the year, in seasons/ as every season), and dynasty/ beside them:
//
//   dynasty.json         the definition, written once
//   journal.jsonl        one line a step done, synced: {"year": Y, "step": S}
//   players/Y.json       the players (ids, ages, roster slots) as year Y starts
//   years/Y/<step>.json  the decisions of year Y's offseason steps
//   history/Y/*.dat      year Y's rosters as they played, read-only
//
// A year is its season, then the offseason: development, retirements,
// rookies, draft, rosters (dynasty/offseason.h), then the next year's season
// is made. Each step's file is written whole before its journal line, and
// each step is a pure function of what came before, so a run killed at any
// moment loses at most the games in play or the step under way and the next
// run goes on from there; the same seed gives the same dynasty byte for byte.
// A dynasty without offseason (Multi Season) plays its seasons back to back
// with the rosters unchanged.
//
// Plain C++ (no Qt): the command line and the window both build on it.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "dynasty/offseason.h"
#include "dynasty/players.h"

namespace qgu::dynasty {

inline constexpr std::string_view kDynastyFolderName = "dynasty";
inline constexpr std::string_view kDynastyFileName = "dynasty.json";

// The steps of a year, in order; the journal names them so.
inline constexpr std::string_view kStepSeasonMade = "season made";
inline constexpr std::string_view kStepSeasonPlayed = "season played";
inline constexpr std::string_view kStepHistory = "history";
inline constexpr std::string_view kStepDevelopment = "development";
inline constexpr std::string_view kStepRetirements = "retirements";
inline constexpr std::string_view kStepRookies = "rookies";
inline constexpr std::string_view kStepDraft = "draft";
inline constexpr std::string_view kStepRosters = "rosters";

struct DynastyDefinition {
  std::string name;          // the dynasty's league folder name
  std::string sourceLeague;  // the league it began from
  uint32_t seed = 0;
  int firstYear = 1;
  int gamesPerTeam = 0;  // 0: the season library's default
  int quarterMinutes = 5;
  int playoffTeams = -1;  // -1: the season library's default
  std::string divisionsText;
  std::vector<std::string> userTeams;  // team file names
  bool offseason = true;               // false: Multi Season, rosters unchanged
  Level founding;                      // the league's level when it began
};

struct DynastyRequest {
  std::string name;
  std::string sourceLeague;
  std::vector<std::string> userTeams;  // file names or abbreviations
  std::optional<uint32_t> seed;        // default: the time
  std::optional<int> gamesPerTeam;
  int quarterMinutes = 5;
  std::optional<int> playoffTeams;
  std::string divisionsText;
  int firstYear = 1;
  bool offseason = true;
};

// Where the dynasty stands.
struct DynastyState {
  int year = 0;             // the year under way
  std::string lastStep;     // its last step done
  bool seasonPlayed = false;
  bool waitingForPick = false;  // a person's team is on the clock in the draft
  std::string waitingTeam;
};

struct Dynasty {
  std::filesystem::path folder;  // the dynasty's league folder
  DynastyDefinition definition;
  std::set<std::pair<int, std::string>> done;  // (year, step) in the journal
  DynastyState state;

  std::filesystem::path StateFolder() const { return folder / kDynastyFolderName; }
  bool Done(int year, std::string_view step) const { return done.count({year, std::string(step)}) > 0; }
  std::string SeasonName(int year) const { return std::to_string(year); }
};

// Copies the league into <leagues>/<name>, gives every player an id and an
// age, and makes the first year's season. Refuses a taken or bad name, a
// league that cannot be read, an unknown user team; nothing is left behind.
base::Result<Dynasty> CreateDynasty(const std::filesystem::path& leaguesFolder, const DynastyRequest& request);

// Reads the definition and the journal; damaged files give an error naming
// the file and line.
base::Result<Dynasty> OpenDynasty(const std::filesystem::path& leaguesFolder, std::string_view name);

// The dynasties that began from a league (or every one, for an empty name), by name.
base::Result<std::vector<std::string>> ListDynasties(const std::filesystem::path& leaguesFolder,
                                                     std::string_view sourceLeague);

// The registry as year Y starts.
base::Result<Registry> RegistryOf(const Dynasty& dynasty, int year);
// The rosters of year Y as they played (the history once kept, else the league's files).
base::Result<Rosters> RostersOf(const Dynasty& dynasty, int year);

struct AdvanceRequest {
  std::span<const uint8_t> image;  // the cartridge image for the games
  int years = 1;                   // whole years to finish (the one under way counts)
  int jobs = 1;
  bool simUser = false;            // play a person's games COM
  bool computerPicks = false;      // the computer picks for a person's team too
  bool offseasonOnly = false;      // do not play games: only the steps after a finished season
  std::function<void(const std::string& line)> progress;
  const std::atomic<bool>* cancel = nullptr;
};

struct AdvanceOutcome {
  int yearsFinished = 0;
  int gamesPlayed = 0;
  int leftForUser = 0;              // games a person plays, not played
  bool waitingForPick = false;      // the draft waits for a person's pick
  std::vector<std::string> problems;
  bool cancelled = false;
};

// Plays the season under way, then its offseason, then the next years, until
// `years` years are finished, a person's game or pick is needed, or a game
// cannot be played. Another run at work on the dynasty is refused.
base::Result<AdvanceOutcome> Advance(const std::filesystem::path& leaguesFolder, std::string_view name,
                                     const AdvanceRequest& request);

// A year's draft as it stands (after the rookie class is made); the year
// under way unless another is named.
struct DraftView {
  int year = 0;
  Draft draft;
  RookieClass rookies;
  Rosters rosters;  // as the draft sees them (development and retirements applied)
};
base::Result<DraftView> DraftOf(const Dynasty& dynasty, std::optional<int> year = std::nullopt);

// What a year's offseason did, as far as it has gone: the rosters as the
// year played them, each step's decisions (empty where the step is not done),
// and the draft as it stands.
struct OffseasonView {
  int year = 0;
  Rosters before;  // the year's rosters as played
  std::optional<Development> development;
  std::optional<Retirements> retirements;
  std::optional<RookieClass> rookies;
  std::optional<Draft> draft;
};
base::Result<OffseasonView> OffseasonOf(const Dynasty& dynasty, int year);

// A person's pick for the team on the clock (rookie id; 0: the computer's
// choice for it; kPassed: no pick this turn). The next Advance goes on with
// the draft to the next person's turn or its end.
base::Status MakePick(const std::filesystem::path& leaguesFolder, std::string_view name, int rookie);

}  // namespace qgu::dynasty
