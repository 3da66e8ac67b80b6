// qghelper: the tool server's command-line host. A COM-shaped client: it
// registers the module, creates QuoziHelper from its ProgID through the
// registry file, calls one operation and prints what comes back. When the
// main menu hands back a single game it starts qgu2 with that game.
//
// The scriptable import (import-rom with --image) runs the same import
// without any dialog and without the module.

#include <unistd.h>

#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "base/data_home.h"
#include "base/file_read.h"
#include "base/text.h"
#include "league/cartridge_import.h"
#include "league/league_folders.h"
#include "qgu_version.h"
#include "toolserver/com/com_client.h"
#include "toolserver/com/qghelper_interface.h"
#include "toolserver/com/server_registration.h"
#include "toolserver/game_report_json.h"
#include "toolserver/import_helmets.h"

namespace {

namespace fs = std::filesystem;
using namespace qgu::com;

constexpr const char* kUsage =
    "usage: qghelper COMMAND ...\n"
    "  register | unregister        add or remove the module in the registry file\n"
    "  main                         the main menu; a chosen single game starts qgu2\n"
    "  select-teams                 the single game dialog\n"
    "  import-rom DIR               import teams of a cartridge image into a league of DIR/qgu_lge\n"
    "  import-rom DIR --image FILE --league NAME [--teams all|0,3,7] [--duplicates replace|keep]\n"
    "                               the same without dialogs (the league is made when missing)\n"
    "  edit-teams DIR               pick a league of DIR/qgu_lge and edit its teams\n"
    "  about                        the about box\n"
    "  report HOME_STATS AWAY_STATS HOME_SCORE AWAY_SCORE\n"
    "  report --json FILE           the report of a game saved by qgu2 --headless --json (- reads stdin)\n"
    "  --version | --help           the release, or this text\n"
    "DIR is the folder that holds qgu_lge/ (the leagues folder itself is taken too).\n"
    "Before the command, --data-home works in the user's data folder ($XDG_DATA_HOME/qgu,\n"
    "~/.local/share/qgu), where qgu2 started from the desktop keeps its leagues.\n"
    "The registry file is $XDG_CONFIG_HOME/qgu/registry.ini (~/.config/qgu/registry.ini).\n";

struct UsageError {
  std::string message;
};
struct Failure {
  std::string message;
};

fs::path OwnFolder() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path(".") : self.parent_path();
}

// ---- the module and its object ----

// Beside the host in the build tree, in the library folder once installed; QGHELPER_MODULE names another.
fs::path ModuleFile() {
  if (const char* module = std::getenv("QGHELPER_MODULE"); module != nullptr && *module != '\0') return module;
  const fs::path beside = OwnFolder() / "libqghelper.so";
  const fs::path installed = (OwnFolder() / QGU_MODULE_FROM_BINDIR / "libqghelper.so").lexically_normal();
  std::error_code error;
  return fs::exists(beside, error) || !fs::exists(installed, error) ? beside : installed;
}

int ChangeRegistration(bool add) {
  auto module = ComModule::Load(ModuleFile());
  if (!module) throw Failure{module.error()};
  const HRESULT result = add ? module.value()->DllRegisterServer() : module.value()->DllUnregisterServer();
  if (Failed(result)) {
    // The module answers only with a code: the reason, when it is the file itself, is read here.
    const auto registry = RegistryFile::Load(RegistryFile::DefaultPath());
    if (!registry) throw Failure{registry.error()};
    throw Failure{"the registry file " + RegistryFile::DefaultPath().string() + " could not be written"};
  }
  std::cout << (add ? "registered " : "unregistered ") << ModuleFile().string() << " in "
            << RegistryFile::DefaultPath().string() << "\n";
  return 0;
}

void RequireDisplay() {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM")) {
    throw Failure{"this command shows a window and there is no display (DISPLAY is not set)"};
  }
}

// A new user's first command, or one after the registered copy was removed:
// the registry names no module that is there, so this qghelper registers its
// own (said on standard error; standard output carries the results).
void RegisterOwnModuleWhenNeeded() {
  const fs::path path = RegistryFile::DefaultPath();
  const auto registry = RegistryFile::Load(path);
  if (!registry) return;  // the creation below says why
  const auto server = FindInprocServer(registry.value(), kProgId);
  std::error_code error;
  if (server && fs::exists(server.value().module, error)) return;
  const fs::path own = ModuleFile();
  if (!fs::exists(own, error)) {
    if (server) {
      throw Failure{"the registry file " + path.string() + " names the module " + server.value().module.string() +
                    ", which is not there (was the package removed?), and no module was found beside qghelper"};
    }
    return;
  }
  auto module = ComModule::Load(own);
  if (!module || Failed(module.value()->DllRegisterServer())) return;
  std::cerr << "qghelper: registered " << own.string() << " in " << path.string()
            << (server ? " in place of the missing " + server.value().module.string() : std::string()) << "\n";
}

HelperObject CreateHelper() {
  RequireDisplay();
  RegisterOwnModuleWhenNeeded();
  auto object = CreateQuoziHelper(kProgId);
  if (!object && !RegistryFile::Load(RegistryFile::DefaultPath())) throw Failure{object.error()};
  if (!object) throw Failure{object.error() + " (run \"qghelper register\" first)"};
  return std::move(object).value();
}

void Check(HRESULT result, const char* operation) {
  if (Failed(result)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
    throw Failure{std::string(operation) + " failed with " + code};
  }
}

std::string Taken(const HelperObject& object, BSTR text) { return ModuleText(object.module, text).Utf8Text(); }

// ---- operations ----

constexpr const char* kControlNames[] = {"MAN", "COA", "COM"};
constexpr const char* kWeatherNames[] = {"clear", "rain", "snow"};

const char* Named(const char* const* names, int value) { return value >= 0 && value <= 2 ? names[value] : "?"; }

int SelectTeams() {
  HelperObject object = CreateHelper();
  BSTR team1 = nullptr, team2 = nullptr;
  int32_t quarter = 0, home = 0, away = 0, weather = 0;
  Check(object.helper->SelectTeams(&team1, &team2, &quarter, &home, &away, &weather), "SelectTeams");
  std::cout << "team1=" << Taken(object, team1) << "\nteam2=" << Taken(object, team2) << "\nqtrlen=" << quarter
            << "\nhomecontrol=" << home << "\nawaycontrol=" << away << "\nweather=" << weather << "\n";
  return 0;
}

[[noreturn]] void StartGame(const std::string& home, const std::string& away, int quarter, int p1, int p2,
                            int weather) {
  // Beside the host in the build tree, in <prefix>/games once installed, else on the PATH.
  fs::path game = OwnFolder() / "qgu2";
  if (!fs::exists(game)) game = (OwnFolder() / QGU_GAME_FROM_BINDIR / "qgu2").lexically_normal();
  if (!fs::exists(game)) game = "qgu2";
  const std::vector<std::string> arguments = {game.string(), "--home", home, "--away", away,
                                              "--quarter", std::to_string(quarter), "--p1", Named(kControlNames, p1),
                                              "--p2", Named(kControlNames, p2), "--weather",
                                              Named(kWeatherNames, weather)};
  std::cout << "starting";
  for (const std::string& argument : arguments) std::cout << " " << argument;
  std::cout << std::endl;
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  ::execvp(argv[0], argv.data());
  throw Failure{"unable to start " + game.string()};
}

int ShowMain() {
  std::optional<HelperObject> object = CreateHelper();
  int32_t selection = 0, quarter = 5, home = 0, away = 2, weather = 0;
  BSTR homeTeam = nullptr, awayTeam = nullptr;
  Check(object->helper->ShowMain(&selection, &homeTeam, &awayTeam, &quarter, &home, &away, &weather), "ShowMain");
  std::cout << "selection=" << selection << "\n";
  if (selection != 1) return 0;
  const std::string homePath = Taken(*object, homeTeam);
  const std::string awayPath = Taken(*object, awayTeam);
  std::cout << "home=" << homePath << "\naway=" << awayPath << "\nqtrlen=" << quarter << "\nhomecontrol=" << home
            << "\nawaycontrol=" << away << "\nweather=" << weather << "\n";
  object.reset();
  StartGame(homePath, awayPath, quarter, home, away, weather);
}

// ---- DIR: the folder that holds qgu_lge/ ----

// The leagues folder itself is taken as meant: its parent holds it, and no
// qgu_lge is ever made inside a qgu_lge.
fs::path LeaguesBase(const std::string& dir) {
  fs::path whole = fs::absolute(dir).lexically_normal();
  if (!whole.has_filename()) whole = whole.parent_path();
  const bool leaguesFolderItself =
      qgu::base::EqualsIgnoringCase(whole.filename().string(), qgu::league::kLeaguesFolderName);
  if (leaguesFolderItself && !qgu::league::FindLeaguesFolder(whole)) return whole.parent_path();
  return dir;
}

// The dialogs work on leagues that are there: a DIR holding none is told,
// rather than shown an empty list.
void RequireLeagues(const std::string& dir, const fs::path& base, bool importing) {
  std::error_code error;
  if (!fs::is_directory(base, error)) throw Failure{dir + " is not a folder"};
  const auto leagues = qgu::league::FindLeaguesFolder(base);
  const std::string hint = "give the folder that holds qgu_lge/, such as " + qgu::base::UserDataFolder().string();
  if (!leagues) throw Failure{dir + " holds no leagues (it has no qgu_lge folder): " + hint};
  if (importing) return;  // the import's dialog can make the first league
  const auto names = qgu::league::ListLeagues(*leagues, qgu::league::LeagueFilter::kMarkedOnly);
  if (!names) throw Failure{names.error()};
  if (names.value().empty()) {
    throw Failure{leagues->string() + " holds no leagues yet: qghelper import-rom makes one, as does qgu2's first start"};
  }
}

int FolderOperation(const std::string& dir, bool import) {
  const fs::path base = LeaguesBase(dir);
  RequireLeagues(dir, base, import);
  HelperObject object = CreateHelper();
  ModuleText text(object.module, fs::absolute(base).string());
  Check(import ? object.helper->ImportRom(text.get()) : object.helper->EditTeams(text.get()),
        import ? "ImportRom" : "EditTeams");
  return 0;
}

int ShowAbout() {
  HelperObject object = CreateHelper();
  Check(object.helper->ShowAbout(), "ShowAbout");
  return 0;
}

int ShowReport(const std::string& homeStats, const std::string& awayStats, const std::string& homeScore,
               const std::string& awayScore) {
  HelperObject object = CreateHelper();
  ModuleText home(object.module, homeStats), away(object.module, awayStats);
  ModuleText homePoints(object.module, homeScore), awayPoints(object.module, awayScore);
  Check(object.helper->DisplayEOGStats(home.get(), away.get(), homePoints.get(), awayPoints.get()), "DisplayEOGStats");
  return 0;
}

// The statistics strings and scores of qgu2 --headless --json output.
int ShowReportOfGame(const std::string& file) {
  using qgu::toolserver::kMaxGameReportJsonBytes;
  auto bytes = file == "-" ? qgu::base::ReadStandardInput(kMaxGameReportJsonBytes)
                           : qgu::base::ReadFileText(file, kMaxGameReportJsonBytes);
  if (!bytes) throw Failure{bytes.error()};
  const auto game = qgu::toolserver::ReadGameReportJson(bytes.value());
  if (!game) throw Failure{file + " holds " + game.error()};
  const qgu::toolserver::GameReportTexts& texts = game.value();
  return ShowReport(texts.homeStats, texts.awayStats, texts.homeScore, texts.awayScore);
}

// ---- the scriptable import ----

int ScriptedImport(const std::string& folder, const std::vector<std::string>& options) {
  qgu::league::ScriptedImport request;
  request.base = LeaguesBase(folder);
  for (size_t i = 0; i < options.size(); ++i) {
    const std::string& option = options[i];
    if (i + 1 >= options.size()) throw UsageError{option + " needs a value"};
    const std::string& value = options[++i];
    if (option == "--image") {
      request.image = value;
    } else if (option == "--league") {
      request.league = value;
    } else if (option == "--teams") {
      const auto teams = qgu::league::ParseTeamSelection(value);
      if (!teams) throw UsageError{"--teams takes all or team numbers separated by commas, not \"" + value + "\""};
      request.teams = *teams;
    } else if (option == "--duplicates") {
      if (value != "replace" && value != "keep") throw UsageError{"--duplicates takes replace or keep"};
      request.duplicates = value == "keep" ? qgu::league::DuplicatePolicy::kKeep : qgu::league::DuplicatePolicy::kReplace;
    } else {
      throw UsageError{"unknown option \"" + option + "\""};
    }
  }
  if (request.image.empty() || request.league.empty()) throw UsageError{"import-rom needs --image and --league together"};

  // Helmets are drawn without a window.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int argc = 1;
  char name[] = "qghelper";
  char* argv[] = {name, nullptr};
  QGuiApplication application(argc, argv);
  request.written = qgu::toolserver::WriteImportHelmet;

  auto outcome = qgu::league::RunScriptedImport(request);
  if (!outcome) throw Failure{outcome.error()};
  const auto& report = outcome.value().report;
  if (outcome.value().leagueCreated) std::cout << "created league " << outcome.value().leagueFolder.string() << "\n";
  for (const std::string& note : outcome.value().notes) std::cout << note << "\n";
  for (const std::string& leftover : report.leftovers) std::cout << leftover << "\n";
  for (const fs::path& file : report.written) std::cout << "wrote " << file.string() << "\n";
  for (const fs::path& file : report.replaced) std::cout << "replaced " << file.string() << "\n";
  for (const int team : report.kept) std::cout << "kept the league's own team for cartridge team " << team << "\n";
  for (const std::string& failure : report.failures) std::cerr << "qghelper: " << failure << "\n";
  std::cout.flush();
  if (!std::cout) return 1;
  return report.failures.empty() ? 0 : 1;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) throw UsageError{"no command"};
  const std::string& command = args[0];
  const auto expect = [&](size_t count) {
    if (args.size() != count + 1) throw UsageError{command + " takes " + std::to_string(count) + " argument(s)"};
  };
  if (command == "register" || command == "unregister") {
    expect(0);
    return ChangeRegistration(command == "register");
  }
  if (command == "main") {
    expect(0);
    return ShowMain();
  }
  if (command == "select-teams") {
    expect(0);
    return SelectTeams();
  }
  if (command == "about") {
    expect(0);
    return ShowAbout();
  }
  if (command == "edit-teams") {
    expect(1);
    return FolderOperation(args[1], false);
  }
  if (command == "import-rom") {
    if (args.size() < 2) throw UsageError{"import-rom needs a folder"};
    if (args.size() == 2) return FolderOperation(args[1], true);
    return ScriptedImport(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
  }
  if (command == "report") {
    if (args.size() == 3 && args[1] == "--json") return ShowReportOfGame(args[2]);
    expect(4);
    return ShowReport(args[1], args[2], args[3], args[4]);
  }
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  throw UsageError{"unknown command \"" + command + "\""};
}

// Output that never arrived (a full disk, a closed pipe) is a failure too.
int CheckedOutput(int status) {
  std::cout.flush();
  if (std::cout) return status;
  std::cerr << "qghelper: unable to write to standard output: " << std::strerror(errno) << "\n";
  return 1;
}

}  // namespace

// A leading --data-home moves into the user's data folder (an installed
// qghelper also moves there from a folder without leagues); DIR and the files
// named after --image and --json stay the ones meant.
std::vector<std::string> EnterDataFolder(std::vector<std::string> args) {
  const bool asked = !args.empty() && args[0] == "--data-home";
  if (asked) args.erase(args.begin());
  if (args.empty() || args[0] == "register" || args[0] == "unregister" || args[0] == "--help" || args[0] == "-h" ||
      args[0] == "help") {
    return args;
  }
  std::error_code unknown;
  const fs::path start = fs::current_path(unknown);
  auto folder = qgu::base::EnterDataFolder(asked);
  if (!folder) throw Failure{folder.error()};
  if (folder.value() == start) return args;
  // DIR, too, is the folder named where the command was given.
  if ((args[0] == "import-rom" || args[0] == "edit-teams") && args.size() > 1) args[1] = (start / args[1]).string();
  for (size_t i = 1; i + 1 < args.size(); ++i) {
    if ((args[i] == "--image" || args[i] == "--json") && args[i + 1] != "-") args[i + 1] = (start / args[i + 1]).string();
  }
  return args;
}

int main(int argc, char** argv) {
  try {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
      std::cout << "qghelper " QGU_VERSION "\n" << std::flush;
      if (!std::cout) {
        std::cerr << "qghelper: cannot write to standard output\n";
        return 1;
      }
      return 0;
    }
    return CheckedOutput(Run(EnterDataFolder(std::move(args))));
  } catch (const UsageError& error) {
    std::cerr << "qghelper: " << error.message << "\n" << kUsage;
    return 2;
  } catch (const Failure& failure) {
    std::cerr << "qghelper: " << failure.message << "\n";
    return 1;
  } catch (const std::exception& error) {
    std::cerr << "qghelper: unexpected failure: " << error.what() << "\n";
    return 1;
  }
}
