#include "apps/season_command.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/data_home.h"
#include "base/file_read.h"
#include "base/file_write.h"
#include "cartridge/builder/embedded_image.h"
#include "league/league_folders.h"
#include "season/season.h"
#include "season/season_play.h"
#include "season/season_text.h"

namespace qgu::apps {
namespace {

namespace fs = std::filesystem;
using namespace qgu::season;

constexpr const char* kUsage =
    "usage: qgu2 season create LEAGUE NAME [--games G] [--quarter N] [--divisions FILE]\n"
    "                          [--playoff-teams P] [--user TEAM]... [--seed S]\n"
    "       qgu2 season play LEAGUE NAME [--week W | --regular | --playoffs | --all] [--jobs J]\n"
    "                        [--sim-user] [--quiet]\n"
    "       qgu2 season table|leaders|schedule|bracket LEAGUE NAME [--json]\n"
    "       qgu2 season report LEAGUE NAME --html FILE\n"
    "       qgu2 season list LEAGUE\n"
    "       qgu2 season jobs LEAGUE NAME [--results DIR] [--program PATH]\n"
    "       qgu2 season game --game ID --week W --home FILE --away FILE --quarter N --seed S --out FILE\n"
    "       qgu2 season record LEAGUE NAME RESULT...\n"
    "       qgu2 season odds LEAGUE NAME --runs N [--jobs J]\n"
    "  LEAGUE is a league's folder name under qgu_lge here; the season lives in qgu_lge/LEAGUE/seasons/NAME.\n"
    "  --games G        games per team (default: one meeting each, division rivals twice, at most 16)\n"
    "  --quarter N      quarter length of every game, 1-99 minutes (default 5)\n"
    "  --divisions FILE one division a line: \"CONFERENCE / DIVISION: TEAM TEAM ...\" (teams by file\n"
    "                   name or abbreviation); only the teams named play\n"
    "  --playoff-teams  P teams seeded into single elimination, 0 for none (default 2, 4 or 8 by size)\n"
    "  --user TEAM      a team a person plays: its games are left for the window\n"
    "  --jobs J         games at once (default: the number of cores)\n"
    "  --sim-user       play the person's games too, COM against COM\n"
    "  jobs prints one command per game that can be played now; record takes their result files in\n";

// Where the command started: files named on the command line are found from
// there, even when the program works in the user's data folder.
fs::path startFolder;

fs::path FromStart(const std::string& path) { return fs::path(path).is_absolute() ? fs::path(path) : startFolder / path; }

struct UsageError {
  std::string message;
};
struct Failure {
  std::string message;
};

int DefaultJobs() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

int64_t WholeNumber(const std::string& option, const std::string& text, int64_t low, int64_t high) {
  bool digits = !text.empty() && text.size() <= 18;
  int64_t value = 0;
  for (const char ch : text) {
    if (ch < '0' || ch > '9') digits = false;
    else value = value * 10 + (ch - '0');
  }
  if (!digits || value < low || value > high) {
    throw UsageError{option + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                     ", not \"" + text + "\""};
  }
  return value;
}

// Arguments after the subcommand: positional ones and --options.
class CArguments {
 public:
  CArguments(int argc, char** argv, int first) {
    for (int i = first; i < argc; ++i) items_.emplace_back(argv[i]);
    used_.assign(items_.size(), false);
  }
  // The next positional argument, or a usage error naming it.
  std::string Positional(const std::string& what) {
    for (size_t i = 0; i < items_.size(); ++i) {
      if (!used_[i] && !items_[i].starts_with("--")) {
        used_[i] = true;
        return items_[i];
      }
      if (!used_[i] && items_[i].starts_with("--")) break;
    }
    throw UsageError{"the " + what + " is missing"};
  }
  std::vector<std::string> Rest() {
    std::vector<std::string> rest;
    for (size_t i = 0; i < items_.size(); ++i) {
      if (!used_[i] && !items_[i].starts_with("--")) {
        used_[i] = true;
        rest.push_back(items_[i]);
      }
    }
    return rest;
  }
  bool Flag(const std::string& name) {
    bool found = false;
    for (size_t i = 0; i < items_.size(); ++i) {
      if (!used_[i] && items_[i] == name) found = used_[i] = true;
    }
    return found;
  }
  // All values of an option (--user A --user B, or --user A B).
  std::vector<std::string> Values(const std::string& name) {
    std::vector<std::string> values;
    for (size_t i = 0; i < items_.size(); ++i) {
      if (used_[i] || items_[i] != name) continue;
      used_[i] = true;
      if (i + 1 >= items_.size() || items_[i + 1].starts_with("--")) throw UsageError{name + " needs a value"};
      used_[++i] = true;
      values.push_back(items_[i]);
    }
    return values;
  }
  std::optional<std::string> Value(const std::string& name) {
    std::vector<std::string> values = Values(name);
    if (values.size() > 1) throw UsageError{name + " given twice"};
    return values.empty() ? std::nullopt : std::optional(values.front());
  }
  std::optional<int64_t> Number(const std::string& name, int64_t low, int64_t high) {
    const std::optional<std::string> text = Value(name);
    if (!text) return std::nullopt;
    return WholeNumber(name, *text, low, high);
  }
  void Finish() {
    for (size_t i = 0; i < items_.size(); ++i) {
      if (!used_[i]) throw UsageError{"unknown argument \"" + items_[i] + "\""};
    }
  }

 private:
  std::vector<std::string> items_;
  std::vector<bool> used_;
};

fs::path LeagueFolder(const std::string& league) {
  if (league.empty() || league == "." || league == ".." || league.find('/') != std::string::npos) {
    throw Failure{"\"" + league + "\" is not a league name (a folder name under qgu_lge)"};
  }
  const std::optional<fs::path> leagues = league::FindLeaguesFolder(".");
  if (!leagues) throw Failure{"no leagues folder \"qgu_lge\" here"};
  const fs::path folder = *leagues / league;
  std::error_code error;
  if (!fs::is_directory(folder, error)) throw Failure{"no league \"" + league + "\" in " + leagues->string()};
  return folder;
}

void Write(const std::string& text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    throw Failure{std::string("cannot write to standard output: ") + (errno ? std::strerror(errno) : "write error")};
  }
}

Season Open(const fs::path& league, const std::string& name) {
  Result<Season> season = OpenSeason(league, name);
  if (!season) throw Failure{season.error()};
  for (const std::string& notice : season.value().notices) std::cerr << "qgu2: " << notice << "\n";
  return std::move(season).value();
}

std::string Clock(double seconds) {
  const int whole = static_cast<int>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d", whole / 60, whole % 60);
  return text;
}

int Create(CArguments& args) {
  const std::string leagueName = args.Positional("league");
  const std::string name = args.Positional("season name");
  SeasonRequest request;
  request.name = name;
  if (auto games = args.Number("--games", 0, 100000)) request.gamesPerTeam = static_cast<int>(*games);
  if (auto quarter = args.Number("--quarter", 1, 99)) request.quarterMinutes = static_cast<int>(*quarter);
  if (auto playoffs = args.Number("--playoff-teams", 0, 1000)) request.playoffTeams = static_cast<int>(*playoffs);
  if (auto seed = args.Number("--seed", 0, UINT32_MAX)) request.seed = static_cast<uint32_t>(*seed);
  request.userTeams = args.Values("--user");
  const std::optional<std::string> divisions = args.Value("--divisions");
  args.Finish();
  if (divisions) {
    Result<std::string> text = base::ReadFileText(FromStart(*divisions), 1 << 20);
    if (!text) throw Failure{text.error()};
    request.divisionsText = text.value();
  }
  const fs::path league = LeagueFolder(leagueName);
  Result<SeasonDefinition> created = CreateSeason(league, request);
  if (!created) throw Failure{created.error()};
  const Season season = Open(league, name);
  std::cerr << "qgu2: season \"" << name << "\" of " << leagueName << ": " << season.definition.teams.size()
            << " teams, " << season.definition.gamesPerTeam << " games each in " << season.definition.regularWeeks
            << " weeks, seed " << season.definition.seed << "\n";
  Write(ScheduleText(season));
  return 0;
}

int Play(CArguments& args) {
  const std::string leagueName = args.Positional("league");
  const std::string name = args.Positional("season name");
  PlayRequest request;
  int scopes = 0;
  if (auto week = args.Number("--week", 1, 10000)) {
    request.scope = PlayScope::kWeek;
    request.week = static_cast<int>(*week);
    ++scopes;
  }
  if (args.Flag("--regular")) request.scope = PlayScope::kRegular, ++scopes;
  if (args.Flag("--playoffs")) request.scope = PlayScope::kPlayoffs, ++scopes;
  if (args.Flag("--all")) request.scope = PlayScope::kAll, ++scopes;
  if (scopes > 1) throw UsageError{"--week, --regular, --playoffs and --all exclude each other"};
  request.jobs = static_cast<int>(args.Number("--jobs", 1, 256).value_or(DefaultJobs()));
  request.simUser = args.Flag("--sim-user");
  const bool quiet = args.Flag("--quiet");
  args.Finish();
  const std::span<const uint8_t> image = cartridge::EmbeddedCartridgeImage();
  request.image = image;
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  request.progress = [quiet, terminal](const PlayProgress& progress) {
    if (quiet) return;
    std::cerr << (terminal ? "\r\033[K" : "") << "qgu2: " << progress.done << " of " << progress.total
              << " games, " << Clock(progress.secondsLeft) << " left; " << progress.last << (terminal ? "" : "\n")
              << std::flush;
  };
  const fs::path league = LeagueFolder(leagueName);
  Open(league, name);  // the notices, once
  Result<PlayOutcome> outcome = PlaySeason(league, name, request);
  if (terminal && !quiet) std::cerr << "\n";
  if (!outcome) throw Failure{outcome.error()};
  for (const std::string& problem : outcome.value().problems) std::cerr << "qgu2: " << problem << "\n";
  std::cerr << "qgu2: " << outcome.value().played << " games played";
  if (outcome.value().leftForUser > 0) {
    std::cerr << "; " << outcome.value().leftForUser << " games of a person's team left for the window (or --sim-user)";
  }
  std::cerr << "\n";
  const bool failedGames = std::any_of(outcome.value().problems.begin(), outcome.value().problems.end(),
                                       [](const std::string& p) { return p.starts_with("game "); });
  return failedGames ? 1 : 0;
}

int Show(const std::string& what, CArguments& args) {
  const std::string leagueName = args.Positional("league");
  const std::string name = args.Positional("season name");
  const bool json = args.Flag("--json");
  args.Finish();
  const Season season = Open(LeagueFolder(leagueName), name);
  if (what == "table") Write(json ? StandingsJson(season) : StandingsText(season));
  if (what == "leaders") Write(json ? LeadersJson(season) : LeadersText(season));
  if (what == "schedule") Write(json ? ScheduleJson(season) : ScheduleText(season));
  if (what == "bracket") Write(json ? BracketJson(season) : BracketText(season));
  return 0;
}

int Report(CArguments& args) {
  const std::string leagueName = args.Positional("league");
  const std::string name = args.Positional("season name");
  const std::optional<std::string> html = args.Value("--html");
  args.Finish();
  if (!html) throw UsageError{"report needs --html FILE"};
  const Season season = Open(LeagueFolder(leagueName), name);
  if (Status written = base::ReplaceFile(FromStart(*html), ReportHtml(season)); !written) throw Failure{written.error()};
  return 0;
}

int List(CArguments& args) {
  const std::string leagueName = args.Positional("league");
  args.Finish();
  Result<std::vector<std::string>> names = ListSeasons(LeagueFolder(leagueName));
  if (!names) throw Failure{names.error()};
  std::string out;
  for (const std::string& name : names.value()) out += name + "\n";
  Write(out);
  return 0;
}

std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (const char ch : text) out += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
  return out + "'";
}

int Jobs(CArguments& args) {
  const std::string leagueName = args.Positional("league");
  const std::string name = args.Positional("season name");
  const std::string results = args.Value("--results").value_or("results");
  const std::string program = args.Value("--program").value_or("qgu2");
  args.Finish();
  const Season season = Open(LeagueFolder(leagueName), name);
  std::string out;
  for (const ScheduledGame& game : PendingGames(season, PlayScope::kAll, 0, 0, false).games) {
    const GameJob job = JobFor(season, game);
    out += ShellQuote(program) + " season game --game " + std::to_string(job.id) + " --week " +
           std::to_string(job.week) + " --home " + ShellQuote(job.homeFile.string()) + " --away " +
           ShellQuote(job.awayFile.string()) + " --quarter " + std::to_string(job.quarterMinutes) + " --seed " +
           std::to_string(job.seed) + " --out " + ShellQuote(results + "/game-" + std::to_string(job.id) + ".json") +
           "\n";
  }
  Write(out);
  return 0;
}

int Game(CArguments& args) {
  GameJob job;
  job.id = static_cast<int>(args.Number("--game", 1, 1'000'000).value_or(0));
  job.week = static_cast<int>(args.Number("--week", 1, 10000).value_or(0));
  const std::optional<std::string> home = args.Value("--home");
  const std::optional<std::string> away = args.Value("--away");
  job.quarterMinutes = static_cast<int>(args.Number("--quarter", 1, 99).value_or(kDefaultQuarterMinutes));
  const std::optional<int64_t> seed = args.Number("--seed", 0, UINT32_MAX);
  const std::optional<std::string> out = args.Value("--out");
  args.Finish();
  if (job.id == 0 || job.week == 0 || !home || !away || !seed || !out) {
    throw UsageError{"game needs --game, --week, --home, --away, --seed and --out"};
  }
  job.homeFile = *home;
  job.awayFile = *away;
  job.seed = static_cast<uint32_t>(*seed);
  Result<PlayedGame> played = PlayOneGame(cartridge::EmbeddedCartridgeImage(), job);
  if (!played) throw Failure{"game " + std::to_string(job.id) + ": " + played.error()};
  const fs::path outPath = *out;
  std::error_code ignored;
  if (outPath.has_parent_path()) fs::create_directories(outPath.parent_path(), ignored);
  if (Status written = base::ReplaceFile(outPath, ResultFileText(played.value())); !written) {
    throw Failure{written.error()};
  }
  return 0;
}

int Record(CArguments& args) {
  const std::string leagueName = args.Positional("league");
  const std::string name = args.Positional("season name");
  const std::vector<std::string> files = args.Rest();
  args.Finish();
  if (files.empty()) throw UsageError{"record needs result files"};
  const fs::path league = LeagueFolder(leagueName);
  Open(league, name);
  int recorded = 0, known = 0, refused = 0;
  for (const std::string& file : files) {
    Result<std::string> text = base::ReadFileText(FromStart(file), 1 << 20);
    Result<bool> taken = text ? RecordResultText(league, name, text.value(), file) : Result<bool>(base::Fail(text.error()));
    if (!taken) {
      std::cerr << "qgu2: refused: " << taken.error() << "\n";
      ++refused;
    } else if (taken.value()) {
      ++recorded;
    } else {
      ++known;
    }
  }
  std::cerr << "qgu2: " << recorded << " results recorded, " << known << " recorded already, " << refused
            << " refused\n";
  return refused > 0 ? 1 : 0;
}

int Odds(CArguments& args) {
  const std::string leagueName = args.Positional("league");
  const std::string name = args.Positional("season name");
  const std::optional<int64_t> runs = args.Number("--runs", 1, 100000);
  const int jobs = static_cast<int>(args.Number("--jobs", 1, 256).value_or(DefaultJobs()));
  const bool quiet = args.Flag("--quiet");
  args.Finish();
  if (!runs) throw UsageError{"odds needs --runs N"};
  const Season season = Open(LeagueFolder(leagueName), name);
  Result<std::vector<TeamOdds>> odds =
      PlayoffOdds(season, cartridge::EmbeddedCartridgeImage(), static_cast<int>(*runs), jobs, [quiet](int done, int total) {
        if (!quiet) std::cerr << "qgu2: " << done << " of " << total << " games\n";
      });
  if (!odds) throw Failure{odds.error()};
  std::string out = "Team                        PLAYOFFS    TITLE   (" + std::to_string(*runs) + " runs)\n";
  for (const TeamOdds& team : odds.value()) {
    char line[128];
    std::snprintf(line, sizeof line, "%-26s %8.1f%% %7.1f%%\n", season.definition.teams[team.team].name.c_str(),
                  100.0 * team.playoffs / static_cast<double>(*runs), 100.0 * team.titles / static_cast<double>(*runs));
    out += line;
  }
  Write(out);
  return 0;
}

}  // namespace

int RunSeasonCommand(int argc, char** argv) {
  try {
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
      std::fputs(kUsage, argc < 2 ? stderr : stdout);
      return argc < 2 ? 2 : 0;
    }
    const std::string command = argv[1];
    CArguments args(argc, argv, 2);
    // The leagues are where the game program keeps them (a job's paths are relative to that folder too).
    startFolder = fs::current_path();
    if (auto folder = base::EnterDataFolder(false); !folder) throw Failure{folder.error()};
    if (command == "create") return Create(args);
    if (command == "play") return Play(args);
    if (command == "table" || command == "leaders" || command == "schedule" || command == "bracket") {
      return Show(command, args);
    }
    if (command == "report") return Report(args);
    if (command == "list") return List(args);
    if (command == "jobs") return Jobs(args);
    if (command == "game") return Game(args);
    if (command == "record") return Record(args);
    if (command == "odds") return Odds(args);
    throw UsageError{"unknown season command \"" + command + "\""};
  } catch (const UsageError& error) {
    std::cerr << "qgu2: " << error.message << "\n(qgu2 season --help lists the commands)\n";
    return 2;
  } catch (const Failure& failure) {
    std::cerr << "qgu2: " << failure.message << "\n";
    return 1;
  } catch (const std::exception& error) {
    std::cerr << "qgu2: unexpected failure: " << error.what() << "\n";
    return 1;
  }
}

}  // namespace qgu::apps
