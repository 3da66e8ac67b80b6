#include "apps/dynasty_command.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

#include "apps/command_line.h"
#include "base/data_home.h"
#include "base/file_read.h"
#include "base/file_write.h"
#include "cartridge/builder/embedded_image.h"
#include "dynasty/dynasty.h"
#include "dynasty/dynasty_report.h"
#include "dynasty/offseason_text.h"
#include "dynasty/record_book.h"

namespace qgu::apps {
namespace {

namespace fs = std::filesystem;
namespace json = season::json;
using namespace qgu::dynasty;

constexpr const char* kUsage =
    "usage: qgu2 dynasty create LEAGUE NAME [--user TEAM]... [--seed S] [--games G] [--quarter N]\n"
    "                           [--playoff-teams P] [--divisions FILE] [--first-year Y] [--no-offseason]\n"
    "       qgu2 dynasty play LEAGUE NAME [--years N] [--jobs J] [--sim-user] [--quiet]\n"
    "       qgu2 dynasty offseason LEAGUE NAME [--sim-user]\n"
    "       qgu2 dynasty draft LEAGUE NAME [--pick ID | --auto | --pass] [--json]\n"
    "       qgu2 dynasty status|book LEAGUE NAME [--json]\n"
    "       qgu2 dynasty report LEAGUE NAME --html DIR\n"
    "       qgu2 dynasty list [LEAGUE]\n"
    "  A dynasty is a league that lives for years. create copies the league LEAGUE (a folder under\n"
    "  qgu_lge, never changed) into the new league qgu_lge/NAME, gives every player an id and an age and\n"
    "  makes the first year's season (named by the year, so `qgu2 season ... NAME YEAR` works on it, and\n"
    "  season jobs and record too). A year is its season, then the offseason: development (ratings move\n"
    "  by age), retirements, a rookie class, the draft (worst team first; a --user team picks for itself\n"
    "  with `draft --pick`), next year's rosters. Each step is written whole before the next begins: a\n"
    "  run killed at any moment goes on from there, and the same seed gives the same dynasty.\n"
    "  --years N       whole years to finish, the one under way counted (default 1)\n"
    "  --jobs J        games at once (default: the number of cores)\n"
    "  --sim-user      play a person's games COM and let the computer pick for the person's team\n"
    "  --first-year Y  the first season's year (default 1)\n"
    "  --no-offseason  Multi Season: the seasons back to back with the rosters unchanged\n"
    "  --pick ID       draft the rookie with this id for the team on the clock; --auto lets the\n"
    "                  computer choose for it, --pass gives its turn up\n"
    "  play stops where a person is needed: their games are left for the window (or --sim-user), the\n"
    "  draft waits for their pick.\n";

fs::path startFolder;

fs::path FromStart(const std::string& path) { return fs::path(path).is_absolute() ? fs::path(path) : startFolder / path; }

Dynasty OpenChecked(const std::string& league, const std::string& name) {
  base::Result<Dynasty> dynasty = OpenDynasty(LeaguesFolder(), name);
  if (!dynasty) throw Failure{dynasty.error()};
  if (dynasty.value().definition.sourceLeague != league) {
    throw Failure{"the dynasty " + name + " began from the league \"" + dynasty.value().definition.sourceLeague +
                  "\", not \"" + league + "\""};
  }
  return dynasty.value();
}

int Create(CArguments& args) {
  DynastyRequest request;
  request.sourceLeague = args.Positional("league");
  request.name = args.Positional("dynasty name");
  request.userTeams = args.Values("--user");
  if (auto seed = args.Number("--seed", 0, UINT32_MAX)) request.seed = static_cast<uint32_t>(*seed);
  if (auto games = args.Number("--games", 1, 40)) request.gamesPerTeam = static_cast<int>(*games);
  if (auto quarter = args.Number("--quarter", 1, 99)) request.quarterMinutes = static_cast<int>(*quarter);
  if (auto playoffs = args.Number("--playoff-teams", 0, 1000)) request.playoffTeams = static_cast<int>(*playoffs);
  if (auto year = args.Number("--first-year", 1, 9999)) request.firstYear = static_cast<int>(*year);
  request.offseason = !args.Flag("--no-offseason");
  const std::optional<std::string> divisions = args.Value("--divisions");
  args.Finish();
  if (divisions) {
    base::Result<std::string> text = base::ReadFileText(FromStart(*divisions), 1 << 20);
    if (!text) throw Failure{text.error()};
    request.divisionsText = text.value();
  }
  LeagueFolder(request.sourceLeague);
  base::Result<Dynasty> made = CreateDynasty(LeaguesFolder(), request);
  if (!made) throw Failure{made.error()};
  const Dynasty& d = made.value();
  std::cerr << "qgu2: dynasty \"" << d.definition.name << "\" from " << d.definition.sourceLeague << " in "
            << d.folder.string() << ", seed " << d.definition.seed << "; year " << d.definition.firstYear
            << "'s season is made" << (d.definition.offseason ? "" : " (no offseason: Multi Season)") << "\n";
  return 0;
}

int Play(CArguments& args) {
  const std::string league = args.Positional("league");
  const std::string name = args.Positional("dynasty name");
  AdvanceRequest request;
  request.years = static_cast<int>(args.Number("--years", 1, 1000).value_or(1));
  request.jobs = static_cast<int>(args.Number("--jobs", 1, 256).value_or(DefaultJobs()));
  request.simUser = request.computerPicks = args.Flag("--sim-user");
  const bool quiet = args.Flag("--quiet");
  args.Finish();
  OpenChecked(league, name);
  request.image = cartridge::EmbeddedCartridgeImage();
  if (!quiet) request.progress = [](const std::string& line) { std::cerr << "qgu2: " << line << "\n"; };
  base::Result<AdvanceOutcome> outcome = Advance(LeaguesFolder(), name, request);
  if (!outcome) throw Failure{outcome.error()};
  const AdvanceOutcome& o = outcome.value();
  for (const std::string& problem : o.problems) std::cerr << "qgu2: " << problem << "\n";
  std::cerr << "qgu2: " << o.yearsFinished << " years finished, " << o.gamesPlayed << " games played";
  if (o.leftForUser > 0) std::cerr << "; " << o.leftForUser << " games of a person's team left for the window (or --sim-user)";
  if (o.waitingForPick) std::cerr << "; the draft waits for a person's pick (qgu2 dynasty draft)";
  std::cerr << "\n";
  return o.problems.empty() ? 0 : 1;
}

int Offseason(CArguments& args) {
  const std::string league = args.Positional("league");
  const std::string name = args.Positional("dynasty name");
  AdvanceRequest request;
  request.computerPicks = args.Flag("--sim-user");
  request.offseasonOnly = true;
  args.Finish();
  OpenChecked(league, name);
  request.progress = [](const std::string& line) { std::cerr << "qgu2: " << line << "\n"; };
  const int year = OpenChecked(league, name).state.year;
  base::Result<AdvanceOutcome> outcome = Advance(LeaguesFolder(), name, request);
  if (!outcome) throw Failure{outcome.error()};
  if (outcome.value().yearsFinished == 0 && !outcome.value().waitingForPick) {
    std::cerr << "qgu2: the season under way is not finished: nothing to do yet (qgu2 dynasty play)\n";
    return 0;
  }
  const Dynasty d = OpenChecked(league, name);
  base::Result<OffseasonView> view = OffseasonOf(d, year);
  base::Result<RecordBook> book = MakeRecordBook(d);
  if (!view || !book) throw Failure{!view ? view.error() : book.error()};
  WriteOut(OffseasonText(view.value(), book.value()));
  return 0;
}

std::string RookieLine(const Rookie& r, int year) {
  char line[160];
  std::snprintf(line, sizeof line, "  %6d  %-3s %-30s age %2d  overall %4.1f\n", r.id,
                std::string(InfoOf(r.kind).name).c_str(), (r.record.firstName + r.record.lastName).c_str(),
                year + 1 - r.born, r.Overall());
  return line;
}

int DraftCommand(CArguments& args) {
  const std::string league = args.Positional("league");
  const std::string name = args.Positional("dynasty name");
  const std::optional<int64_t> pick = args.Number("--pick", 1, INT32_MAX);
  const bool automatic = args.Flag("--auto");
  const bool pass = args.Flag("--pass");
  const bool asJson = args.Flag("--json");
  args.Finish();
  if ((pick ? 1 : 0) + automatic + pass > 1) throw UsageError{"--pick, --auto and --pass exclude each other"};
  Dynasty dynasty = OpenChecked(league, name);
  if (pick || automatic || pass) {
    const int rookie = pick ? static_cast<int>(*pick) : automatic ? 0 : kPassed;
    if (base::Status made = MakePick(LeaguesFolder(), name, rookie); !made) throw Failure{made.error()};
    std::cerr << "qgu2: the pick is in; `qgu2 dynasty play` goes on with the draft\n";
    dynasty = OpenChecked(league, name);
  }
  base::Result<DraftView> view = DraftOf(dynasty);
  if (!view) throw Failure{view.error()};
  const DraftView& v = view.value();
  if (asJson) {
    json::Value out = DraftJson(v.draft);
    out.Set("year", v.year);
    out.Set("rookies", RookiesJson(v.rookies).Find("rookies") ? *RookiesJson(v.rookies).Find("rookies") : json::Value());
    WriteOut(json::WritePretty(out) + "\n");
    return 0;
  }
  std::string text = "Draft of year " + std::to_string(v.year) + "\n\nPicks\n";
  std::set<int> taken;
  for (const Pick& p : v.draft.picks) {
    taken.insert(p.rookie);
    const auto r = std::find_if(v.rookies.rookies.begin(), v.rookies.rookies.end(),
                                [&](const Rookie& x) { return x.id == p.rookie; });
    char line[200];
    std::snprintf(line, sizeof line, "  round %d, pick %3d  %-12s %s\n", p.round, p.overall, p.team.c_str(),
                  r == v.rookies.rookies.end() ? "passes" : RookieLine(*r, v.year).substr(2).c_str());
    text += line;
  }
  if (v.draft.waitingFor) {
    text += "\n" + *v.draft.waitingFor + " is on the clock (round " + std::to_string(v.draft.waitingRound) +
            ", pick " + std::to_string(v.draft.waitingPick) + "): qgu2 dynasty draft " + league + " " + name +
            " --pick ID\n\nStill there\n";
    for (const Rookie& r : v.rookies.rookies) {
      if (!taken.count(r.id)) text += RookieLine(r, v.year);
    }
  }
  WriteOut(text);
  return 0;
}

int Status(CArguments& args) {
  const std::string league = args.Positional("league");
  const std::string name = args.Positional("dynasty name");
  const bool asJson = args.Flag("--json");
  args.Finish();
  const Dynasty d = OpenChecked(league, name);
  const DynastyState& s = d.state;
  const int years = s.year - d.definition.firstYear;
  const std::string next = s.waitingForPick ? "the draft waits for " + s.waitingTeam + "'s pick"
                           : !s.seasonPlayed ? "year " + std::to_string(s.year) + "'s season"
                                             : "year " + std::to_string(s.year) + "'s offseason, after " + s.lastStep;
  if (asJson) {
    json::Value out = json::Value::Object();
    out.Set("name", d.definition.name);
    out.Set("league", d.definition.sourceLeague);
    out.Set("year", s.year);
    out.Set("years_finished", years);
    out.Set("last_step", s.lastStep);
    out.Set("season_played", s.seasonPlayed);
    out.Set("waiting_for_pick", s.waitingForPick);
    if (s.waitingForPick) out.Set("waiting_team", s.waitingTeam);
    out.Set("offseason", d.definition.offseason);
    WriteOut(json::WritePretty(out) + "\n");
    return 0;
  }
  WriteOut("Dynasty " + d.definition.name + " (from " + d.definition.sourceLeague + "), seed " +
           std::to_string(d.definition.seed) + "\n" + std::to_string(years) + " years finished; under way: " + next +
           "\n");
  return 0;
}

int Book(CArguments& args) {
  const std::string league = args.Positional("league");
  const std::string name = args.Positional("dynasty name");
  const bool asJson = args.Flag("--json");
  args.Finish();
  base::Result<RecordBook> book = MakeRecordBook(OpenChecked(league, name));
  if (!book) throw Failure{book.error()};
  WriteOut(asJson ? json::WritePretty(RecordBookJson(book.value())) + "\n" : RecordBookText(book.value()));
  return 0;
}

int Report(CArguments& args) {
  const std::string league = args.Positional("league");
  const std::string name = args.Positional("dynasty name");
  const std::optional<std::string> html = args.Value("--html");
  args.Finish();
  if (!html) throw UsageError{"report needs --html DIR"};
  base::Result<std::vector<ReportPage>> pages = DynastyReport(OpenChecked(league, name));
  if (!pages) throw Failure{pages.error()};
  const fs::path folder = FromStart(*html);
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) throw Failure{"cannot make the folder " + folder.string() + ": " + error.message()};
  for (const ReportPage& page : pages.value()) {
    if (base::Status written = base::ReplaceFile(folder / page.file, page.html); !written) throw Failure{written.error()};
  }
  std::cerr << "qgu2: " << pages.value().size() << " pages in " << folder.string() << " (index.html first)\n";
  return 0;
}

int List(CArguments& args) {
  const std::vector<std::string> rest = args.Rest();
  args.Finish();
  if (rest.size() > 1) throw UsageError{"list takes at most one league"};
  base::Result<std::vector<std::string>> names = ListDynasties(LeaguesFolder(), rest.empty() ? "" : rest.front());
  if (!names) throw Failure{names.error()};
  std::string text;
  for (const std::string& n : names.value()) text += n + "\n";
  WriteOut(text);
  return 0;
}

}  // namespace

int RunDynastyCommand(int argc, char** argv) {
  try {
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
      std::fputs(kUsage, argc < 2 ? stderr : stdout);
      return argc < 2 ? 2 : 0;
    }
    const std::string command = argv[1];
    CArguments args(argc, argv, 2);
    startFolder = fs::current_path();
    if (auto folder = base::EnterDataFolder(false); !folder) throw Failure{folder.error()};
    if (command == "create") return Create(args);
    if (command == "play") return Play(args);
    if (command == "offseason") return Offseason(args);
    if (command == "draft") return DraftCommand(args);
    if (command == "status") return Status(args);
    if (command == "book") return Book(args);
    if (command == "report") return Report(args);
    if (command == "list") return List(args);
    throw UsageError{"unknown dynasty command \"" + command + "\""};
  } catch (const UsageError& error) {
    std::cerr << "qgu2: " << error.message << "\n(qgu2 dynasty --help lists the commands)\n";
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
