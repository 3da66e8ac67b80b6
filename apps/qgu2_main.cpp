// qgu2: the game program. Every start makes sure there is a league to choose
// teams from. Without --headless it opens the game window (and with --home
// and --away starts that game at once); --headless plays one whole game
// without a window and prints its box score.
//
//   qgu2 [--cartridge FILE] [--home FILE --away FILE] [--quarter N]
//        [--p1 MAN|COA|COM] [--p2 MAN|COA|COM] [--weather clear|rain|snow]
//        [--seed N] [--exit-after-game] [--frame-report FILE] [--box-score FILE]
//   qgu2 [--cartridge FILE] --headless [--home FILE --away FILE] [--quarter N]
//        [--p1 COM] [--p2 COM] [--weather clear|rain|snow]
//        [--seed N] [--json] [--quiet] [--max-frames N]
//        [--net-host [ADDRESS:]PORT [--net-delay FRAMES] | --net-join HOST:PORT | --net-watch HOST:PORT]
//        [--net-mode lockstep|rollback]
//   qgu2 --write-icon FILE.png [--icon-size N]
//   qgu2 --version
//   qgu2 season ...   (seasons: qgu2 season --help)
//   qgu2 dynasty ...  (dynasties: qgu2 dynasty --help)

#include <QBuffer>
#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "apps/dynasty_command.h"
#include "apps/season_command.h"
#include "base/data_home.h"
#include "base/file_read.h"
#include "base/file_write.h"
#include "frontend/window/link_game.h"
#include "frontend/window/printed_messages.h"
#include "frontend/window/program_icon.h"
#include "frontend/window/qgu_app.h"
#include "frontend/window/qgu_dlg.h"
#include "cartridge/builder/embedded_image.h"
#include "driver/box_score.h"
#include "driver/game_manager.h"
#include "driver/game_setup.h"
#include "driver/headless_game.h"
#include "driver/play_calling.h"
#include "driver/random_source.h"
#include "host/linked_game.h"
#include "host/netplay_spectator.h"
#include "host/netplay_watch_link.h"
#include "league/cartridge_layout.h"
#include "league/cartridge_teams.h"
#include "league/default_league.h"
#include "league/league_folders.h"
#include "league/team_record.h"
#include "qgu_version.h"

namespace {

using qgu::driver::kControlCom;
using qgu::league::TeamDisplayName;

constexpr const char* kUsage =
    "usage: qgu2 [--cartridge FILE] [--home FILE --away FILE] [--quarter N]\n"
    "            [--p1 MAN|COA|COM] [--p2 MAN|COA|COM] [--weather clear|rain|snow]\n"
    "            [--seed N] [--exit-after-game] [--frame-report FILE] [--box-score FILE]\n"
    "       qgu2 [--cartridge FILE] --headless [--home FILE --away FILE] [--quarter N]\n"
    "            [--weather clear|rain|snow] [--seed N] [--json] [--quiet] [--max-frames N]\n"
    "            [--net-host [ADDRESS:]PORT [--net-delay FRAMES] | --net-join HOST:PORT |\n"
    "             --net-watch HOST:PORT]\n"
    "            [--net-mode lockstep|rollback]\n"
    "       qgu2 --write-icon FILE.png [--icon-size N]\n"
    "       qgu2 season ...  (a league's seasons: qgu2 season --help)\n"
    "       qgu2 dynasty ... (a league that lives for years: qgu2 dynasty --help)\n"
    "       qgu2 --data-home ... (any of the above, in the user's data folder)\n"
    "       qgu2 --version | --help\n"
    "  (no --headless) the game window; with --home and --away that game starts at once\n"
    "  --exit-after-game  end the program after the game, printing its box score\n"
    "  --frame-report     write the emulator's frame and sound counters as JSON at exit\n"
    "  --box-score        write each game's box score as JSON (as --headless --json prints it)\n"
    "                     when its summary shows, linked games too; qghelper report --json\n"
    "                     shows its report\n"
    "  --write-icon   write the program's icon as a PNG picture (N x N pixels, default 256) and end\n"
    "  --data-home   work in the user's data folder ($XDG_DATA_HOME/qgu, ~/.local/share/qgu):\n"
    "                its leagues (qgu_lge) and settings (qgu.ini); the desktop entry starts so.\n"
    "                Without it qgu2 works in the current folder; an installed qgu2 moves to the\n"
    "                data folder when the current one holds neither qgu_lge nor qgu.ini\n"
    "  --version     print the release and end\n"
    "  --headless    play one game without a window and print its box score\n"
    "  --home/--away team record files (default: the first two teams of the first league)\n"
    "  --quarter N   quarter length in minutes, 1-99 (default 5)\n"
    "  --p1/--p2     who plays the home/away side (window: MAN and COM by default;\n"
    "                headless games need COM, the default there)\n"
    "  --weather     clear (default), rain or snow; it only tints the picture\n"
    "  --seed N      seed of the computer play calling (default: the time); equal seeds, equal games\n"
    "  --json        the box score as JSON\n"
    "  --quiet       no progress on standard error\n"
    "  --max-frames  give up after N frames (default: generous for the quarter length)\n"
    "  --net-host    play linked with another qgu2 that joins on this port; listens on every\n"
    "                interface, or only on ADDRESS when one is given; keeps listening until a\n"
    "                side playing the same game joins (the host's seed is used on both sides);\n"
    "                prints the machine's state hash every 600 frames\n"
    "  --net-delay   the host's input delay in frames, 1-18 (default: chosen from the round trip\n"
    "                measured while the two sides greet)\n"
    "  --net-join    join a linked game at HOST:PORT; both sides must name the same teams,\n"
    "                quarter length and weather\n"
    "  --net-watch   watch a linked game hosted at HOST:PORT: waits for it to begin, takes the\n"
    "                host's teams and plays along, sending nothing; prints what the players print\n"
    "  --net-mode    how the linked sides share the frames: lockstep (the host's default: both\n"
    "                wait for each other's input) or rollback (each runs on with a guess of the\n"
    "                other's input and goes back when it was wrong); the host decides, a joining\n"
    "                side that names the other mode is refused\n";

constexpr int kMaxQuarterMinutes = 99;

struct Options {
  std::optional<std::string> cartridge;
  bool headless = false;
  std::optional<std::string> home;
  std::optional<std::string> away;
  int quarterMinutes = 5;
  std::optional<int> p1;
  std::optional<int> p2;
  std::string weather = "clear";
  std::optional<uint32_t> seed;
  bool json = false;
  bool quiet = false;
  int64_t maxFrames = 0;
  std::optional<qgu::host::NetEndpoint> netHost;
  std::optional<std::pair<std::string, uint16_t>> netJoin;
  std::optional<std::pair<std::string, uint16_t>> netWatch;
  int netDelayFrames = qgu::host::kAutomaticDelay;
  std::optional<qgu::host::NetMode> netMode;
  bool exitAfterGame = false;
  std::optional<std::string> frameReport;
  std::optional<std::string> boxScore;
  std::optional<std::string> writeIcon;
  int iconSize = 256;
  bool dataHome = false;
};

// A usage mistake: the message, then the usage, exit status 2.
struct UsageError {
  std::string message;
};

std::optional<int64_t> ParseWholeNumber(const std::string& text, int64_t low, int64_t high) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  int64_t value = 0;
  for (char ch : text) {
    if (ch < '0' || ch > '9') return std::nullopt;
    value = value * 10 + (ch - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

// "HOST:PORT", "[IPV6]:PORT", or (when the host may be left out) "PORT".
std::optional<std::pair<std::string, uint16_t>> ParseEndpoint(const std::string& text, bool needsHost) {
  const size_t colon = text.rfind(':');
  std::string host = colon == std::string::npos ? std::string() : text.substr(0, colon);
  const auto port = ParseWholeNumber(colon == std::string::npos ? text : text.substr(colon + 1), 1, 65535);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  if (!port || (colon != std::string::npos && host.empty()) || (needsHost && host.empty())) return std::nullopt;
  return std::pair{host, static_cast<uint16_t>(*port)};
}

int ParseMode(const std::string& option, const std::string& text) {
  const int mode = qgu::driver::ParseControlMode(text);
  if (mode < 0) throw UsageError{option + " takes MAN, COA or COM, not \"" + text + "\""};
  return mode;
}

// --help and --version: the text on standard output, or a message and exit 1 when it cannot be written.
[[noreturn]] void PrintAndExit(const char* text, const char* what) {
  std::fputs(text, stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::cerr << "qgu2: cannot write " << what << " to standard output: " << std::strerror(errno) << "\n";
    std::exit(1);
  }
  std::exit(0);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError{arg + " needs a value"};
      return argv[++i];
    };
    auto number = [&](int64_t low, int64_t high) -> int64_t {
      const std::string text = value();
      const auto parsed = ParseWholeNumber(text, low, high);
      if (!parsed) {
        throw UsageError{arg + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                         ", not \"" + text + "\""};
      }
      return *parsed;
    };
    if (arg == "--cartridge") {
      options.cartridge = value();
    } else if (arg == "--headless") {
      options.headless = true;
    } else if (arg == "--home") {
      options.home = value();
    } else if (arg == "--away") {
      options.away = value();
    } else if (arg == "--quarter") {
      options.quarterMinutes = static_cast<int>(number(1, kMaxQuarterMinutes));
    } else if (arg == "--p1") {
      options.p1 = ParseMode(arg, value());
    } else if (arg == "--p2") {
      options.p2 = ParseMode(arg, value());
    } else if (arg == "--weather") {
      options.weather = value();
      if (options.weather != "clear" && options.weather != "rain" && options.weather != "snow") {
        throw UsageError{"--weather takes clear, rain or snow, not \"" + options.weather + "\""};
      }
    } else if (arg == "--seed") {
      options.seed = static_cast<uint32_t>(number(0, UINT32_MAX));
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--max-frames") {
      options.maxFrames = number(1, INT64_C(1'000'000'000));
    } else if (arg == "--net-host") {
      const std::string text = value();
      const auto endpoint = ParseEndpoint(text, false);
      if (!endpoint) throw UsageError{"--net-host takes PORT or ADDRESS:PORT, not \"" + text + "\""};
      options.netHost = qgu::host::NetEndpoint{endpoint->first, endpoint->second};
    } else if (arg == "--net-join") {
      const std::string text = value();
      const auto endpoint = ParseEndpoint(text, true);
      if (!endpoint) throw UsageError{"--net-join takes HOST:PORT, not \"" + text + "\""};
      options.netJoin = *endpoint;
    } else if (arg == "--net-watch") {
      const std::string text = value();
      const auto endpoint = ParseEndpoint(text, true);
      if (!endpoint) throw UsageError{"--net-watch takes HOST:PORT, not \"" + text + "\""};
      options.netWatch = *endpoint;
    } else if (arg == "--net-delay") {
      options.netDelayFrames = static_cast<int>(number(1, qgu::host::kMaxLinkDelayFrames));
    } else if (arg == "--net-mode") {
      const std::string text = value();
      if (text != "lockstep" && text != "rollback") throw UsageError{"--net-mode takes lockstep or rollback, not \"" + text + "\""};
      options.netMode = text == "rollback" ? qgu::host::NetMode::kRollback : qgu::host::NetMode::kLockstep;
    } else if (arg == "--exit-after-game") {
      options.exitAfterGame = true;
    } else if (arg == "--frame-report") {
      options.frameReport = value();
    } else if (arg == "--box-score") {
      options.boxScore = value();
    } else if (arg == "--write-icon") {
      options.writeIcon = value();
    } else if (arg == "--icon-size") {
      options.iconSize = static_cast<int>(number(16, 1024));
    } else if (arg == "--data-home") {
      options.dataHome = true;
    } else if (arg == "--version") {
      PrintAndExit("qgu2 " QGU_VERSION "\n", "the version");
    } else if (arg == "--help" || arg == "-h") {
      PrintAndExit(kUsage, "the usage");
    } else {
      throw UsageError{"unknown argument \"" + arg + "\""};
    }
  }
  if (options.home.has_value() != options.away.has_value()) throw UsageError{"--home and --away go together"};
  if (int{options.netHost.has_value()} + int{options.netJoin.has_value()} + int{options.netWatch.has_value()} > 1) {
    throw UsageError{"--net-host, --net-join and --net-watch exclude each other"};
  }
  if (options.netDelayFrames != qgu::host::kAutomaticDelay && !options.netHost) {
    throw UsageError{"--net-delay is the host's choice: it goes with --net-host"};
  }
  if (options.netMode && !options.netHost && !options.netJoin) throw UsageError{"--net-mode goes with --net-host or --net-join"};
  if (options.exitAfterGame && !options.home && !options.headless) {
    throw UsageError{"--exit-after-game needs the game: --home and --away"};
  }
  return options;
}

struct Failure {
  std::string message;
};

// Files named on the command line stay the files meant when the program has
// moved from the start folder into the user's data folder.
void KeepPathsAcrossMove(Options& options, const std::filesystem::path& start) {
  for (std::optional<std::string>* path :
       {&options.cartridge, &options.home, &options.away, &options.frameReport, &options.boxScore}) {
    if (*path && !path->value().empty()) *path = (start / path->value()).string();
  }
}

// The mapper number in an iNES header: flags 6 high nibble, flags 7 high nibble.
int MapperOf(std::span<const uint8_t> header) { return (header[6] >> 4) | (header[7] & 0xF0); }

// Another image can stand in for the carried one only if it has the same layout.
std::string CheckPlayableImage(const std::string& path, std::span<const uint8_t> image) {
  using qgu::cartridge::kHeader;
  constexpr size_t kMagicBytes = 4;  // "NES" and 0x1A
  if (image.size() < kHeader.size() || !std::equal(kHeader.begin(), kHeader.begin() + kMagicBytes, image.begin())) {
    return path + " is not an iNES cartridge image";
  }
  if (image.size() != qgu::cartridge::kImageBytes) {
    return path + " is " + std::to_string(image.size()) + " bytes; the football cartridge is 393,232 bytes";
  }
  const int mapper = MapperOf(image);
  if (mapper != MapperOf(kHeader)) {
    return path + " uses mapper " + std::to_string(mapper) + "; the football cartridge uses mapper 4";
  }
  if (!qgu::league::CheckCartridgeImage(image)) {
    return path + " does not carry the football cartridge's game check (\"ZEMRATH\" at 0x3C139)";
  }
  return {};
}

std::vector<uint8_t> LoadImage(const Options& options) {
  const std::span<const uint8_t> embedded = qgu::cartridge::EmbeddedCartridgeImage();
  if (!options.cartridge) return {embedded.begin(), embedded.end()};
  auto file = qgu::base::ReadFileBytes(*options.cartridge, qgu::league::kMaxCartridgeFileBytes);
  if (!file) throw Failure{"unable to read the cartridge image: " + file.error()};
  if (const std::string problem = CheckPlayableImage(*options.cartridge, file.value()); !problem.empty()) {
    throw Failure{problem};
  }
  return std::move(file).value();
}

class Progress {
 public:
  explicit Progress(bool quiet) : quiet_(quiet) {}
  void operator()(const std::string& line) const {
    if (!quiet_) std::cerr << "qgu2: " << line << std::endl;
  }

 private:
  bool quiet_;
};

struct Teams {
  std::string home;
  std::string away;
};

// The first two teams of the first league; the default league is made first
// when there is none.
Teams DefaultTeams(std::span<const uint8_t> image, const Progress& progress) {
  auto created = qgu::league::EnsureDefaultLeague(".", image);
  if (!created) throw Failure{created.error()};
  if (created.value().created) progress(created.value().message);

  const auto leaguesFolder = qgu::league::FindLeaguesFolder(".");
  if (!leaguesFolder) throw Failure{"no leagues folder \"qgu_lge\" here"};
  auto leagues = qgu::league::ListLeagues(*leaguesFolder, qgu::league::LeagueFilter::kAllFolders);
  if (!leagues) throw Failure{leagues.error()};
  if (leagues.value().empty()) throw Failure{"no league in " + leaguesFolder->string()};
  const std::filesystem::path league = *leaguesFolder / leagues.value().front();
  auto listing = qgu::league::ListTeams(league);
  if (!listing) throw Failure{listing.error()};
  const auto& teams = listing.value().teams;
  if (teams.size() < 2) {
    const auto& skipped = listing.value().skipped;
    std::string why = "the league " + league.string() + " holds " + std::to_string(teams.size()) +
                      " readable team" + (teams.size() == 1 ? "" : "s") + ", fewer than the two a game needs";
    if (!skipped.empty()) why += "; " + std::to_string(skipped.size()) + " team files were skipped:";
    for (const std::string& reason : skipped) why += "\n  " + reason;
    throw Failure{why + "\nname two teams with --home and --away"};
  }
  return {teams[0].path.string(), teams[1].path.string()};
}

void CheckHeadlessControls(const Options& options) {
  for (const auto& [option, mode] : {std::pair{"--p1", options.p1.value_or(kControlCom)},
                                     std::pair{"--p2", options.p2.value_or(kControlCom)}}) {
    if (mode != kControlCom) {
      throw Failure{std::string(option) + " " + std::string(qgu::driver::ControlModeName(mode)) +
                    " needs a person at a controller; a headless game plays COM sides only"};
    }
  }
}

// Everything or an error: a full disk or a closed pipe is reported, not ignored.
void WriteStandardOutput(const std::string& text) {
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  if (!written || std::fflush(stdout) != 0 || std::ferror(stdout)) {
    throw Failure{std::string("cannot write the box score to standard output: ") +
                  (errno != 0 ? std::strerror(errno) : "write error")};
  }
}

// The play calling's generator, seeded once the link has said with what.
class CLinkSeededRandom final : public qgu::driver::IRandomSource {
 public:
  explicit CLinkSeededRandom(uint32_t seed) : random_(seed) {}
  void Reseed(uint32_t seed) { random_ = qgu::driver::CSeededRandom(seed); }
  uint32_t Next() override { return random_.Next(); }

 private:
  qgu::driver::CSeededRandom random_;
};

int WeatherCode(const std::string& name) { return name == "rain" ? 1 : name == "snow" ? 2 : 0; }

qgu::host::GameIdentity IdentityOf(const qgu::driver::CGameManager& manager, int weather) {
  qgu::host::GameIdentity game;
  game.homeRecordHash = qgu::host::TeamRecordHash(manager.HomeTeam());
  game.awayRecordHash = qgu::host::TeamRecordHash(manager.AwayTeam());
  game.quarterMinutes = manager.QuarterLength();
  game.weather = weather;
  game.controlByte = manager.ControlByte();
  return game;
}

// The other program's link for the prepared game; returns the seed both
// sides play with (the host's). A host takes watchers too.
uint32_t OpenLink(const Options& options, uint32_t seed, const qgu::driver::CGameManager& manager,
                  qgu::host::CNetplayLink& link, std::unique_ptr<qgu::host::CSpectatorHost>& spectators,
                  const Progress& progress) {
  const qgu::host::GameIdentity game = IdentityOf(manager, WeatherCode(options.weather));
  link.Start();
  if (options.netHost) {
    const auto& endpoint = *options.netHost;
    progress("waiting for the other side on " +
             (endpoint.address.empty() ? std::string("every interface") : endpoint.address) + ", port " +
             std::to_string(endpoint.port));
    const qgu::host::NetGreeting greeting{0, 0, seed, game, options.netMode.value_or(qgu::host::NetMode::kLockstep)};
    spectators = std::make_unique<qgu::host::CSpectatorHost>(greeting, progress);
    qgu::host::HostOptions hosting;
    hosting.notice = progress;
    hosting.watchers = spectators.get();
    hosting.delayFrames = options.netDelayFrames;
    if (auto hosted = link.Host(endpoint, greeting, hosting); !hosted) throw Failure{hosted.error()};
    spectators->Begin({manager.HomeTeam(), manager.AwayTeam(), "host"}, "joiner");
    link.SetObserver(spectators.get());
  } else {
    const auto& [host, port] = *options.netJoin;
    progress("joining " + host + ":" + std::to_string(port));
    link.RequireMode(options.netMode);
    if (auto joined = link.Join(host, port, game); !joined) throw Failure{joined.error()};
  }
  if (link.Rollback() != nullptr) {
    progress("linked (rollback); seed " + std::to_string(link.SharedSeed()) + "; input delay " +
             std::to_string(qgu::host::kRollbackInputDelay) + " frame; round trip " +
             std::to_string(link.RoundTripMs()) + " ms");
    return link.SharedSeed();
  }
  const qgu::host::LinkTerms& terms = link.Terms();
  progress("linked; seed " + std::to_string(link.SharedSeed()) + "; input delay " +
           std::to_string(terms.delay.Frames()) + (terms.delay.Frames() == 1 ? " frame" : " frames") +
           (terms.automatic ? " (automatic, " : " (set by the host, ") + "round trip " +
           std::to_string(link.RoundTripMs()) + " ms)");
  return link.SharedSeed();
}

// A linked game: its state hash every 600 frames on standard output, then the
// box score (or where it stopped). A host's watchers may come late; a watcher
// that did goes on from the game under way.
int PlayLinked(const Options& options, qgu::driver::CGameManager& manager, qgu::host::IFrameInputLink& link,
               const Progress& progress, qgu::host::CSpectatorHost* watchers, const qgu::host::WatchJoin* joined) {
  qgu::host::LinkedGameOptions linked;
  linked.maxFrames = options.maxFrames;
  linked.progress = progress;
  linked.watchers = watchers;
  linked.joined = joined;
  linked.stateHash = [](int64_t frame, uint64_t hash) {
    if (frame % 600 != 0) return;
    std::printf("frame %lld state %016llx\n", static_cast<long long>(frame), static_cast<unsigned long long>(hash));
    std::fflush(stdout);
  };
  const qgu::host::LinkedGameResult result = qgu::host::PlayLinkedGame(manager, link, linked);
  if (const qgu::host::CRollbackLink* rollback = link.Rollback()) progress(qgu::host::RollbackSummary(rollback->Counters()));
  // A watcher's stream ends soon after the game, often before its machine has stopped.
  const bool watchedToTheEnd = options.netWatch && result.summary;
  if (!result.linkClosed.empty() && !watchedToTheEnd) {
    progress("the link closed (" + result.linkClosed + "); the game went on alone");
  }
  if (!result.error.empty()) throw Failure{result.error};
  if (result.summary) {
    WriteStandardOutput(options.json ? qgu::driver::BoxScoreJson(*result.summary)
                                     : qgu::driver::BoxScoreText(*result.summary));
  } else {
    WriteStandardOutput("stopped after " + std::to_string(result.frames) + " frames\n");
  }
  return 0;
}

// A linked game watched: the host's teams (kept in memory, out of any league
// here), quarter length, controls, weather and seed; the players' frame input.
int WatchLinked(const Options& options, const std::vector<uint8_t>& image, const Progress& progress) {
  const auto& [host, port] = *options.netWatch;
  progress("watching " + host + ":" + std::to_string(port) + "; waiting for the game to begin");
  qgu::host::CWatchLink link;
  auto watched = link.Watch(host, port, "headless");
  if (!watched) throw Failure{watched.error()};
  const qgu::host::WatchedGame& game = watched.value();
  const qgu::host::GameIdentity& identity = game.greeting.game;
  std::array<qgu::frontend::CPrivateRecordFile, 2> records;
  for (auto [file, record] : {std::pair{&records[0], &game.game.home}, std::pair{&records[1], &game.game.away}}) {
    if (auto kept = file->Write(*record); !kept) throw Failure{kept.error()};
  }
  qgu::driver::CGameManager manager(image, std::make_unique<qgu::driver::CSeededRandom>(game.greeting.seed));
  manager.SetHomePath(records[0].Path());
  manager.SetAwayPath(records[1].Path());
  manager.SetQuarterLength(identity.quarterMinutes);
  manager.SetControls(identity.controlByte >> 4, identity.controlByte & 15);
  if (!manager.PrepareGame()) throw Failure{manager.PrepareError()};
  if (const std::string differs = qgu::host::DescribeGameDifference(IdentityOf(manager, identity.weather), identity);
      !differs.empty()) {
    throw Failure{"the host's game came out different here: " + differs};
  }
  progress("watching " + game.game.nickName + " v " + game.playerNickName + ": " +
           TeamDisplayName(manager.HomeTeam().header) + " (home) against " +
           TeamDisplayName(manager.AwayTeam().header) + " (away), " + std::to_string(identity.quarterMinutes) +
           "-minute quarters, seed " + std::to_string(game.greeting.seed));
  return PlayLinked(options, manager, link, progress, nullptr, game.joined ? &*game.joined : nullptr);
}

int PlayHeadless(const Options& options) {
  const Progress progress(options.quiet);
  CheckHeadlessControls(options);
  const std::vector<uint8_t> image = LoadImage(options);
  if (options.netWatch) return WatchLinked(options, image, progress);
  const Teams teams = options.home ? Teams{*options.home, *options.away} : DefaultTeams(image, progress);

  std::unique_ptr<qgu::host::CSpectatorHost> spectators;  // outlives the link that tells it the frames
  qgu::host::CNetplayLink link;
  uint32_t seed = options.seed.value_or(qgu::driver::TimeSeed());
  auto random = std::make_unique<CLinkSeededRandom>(seed);
  CLinkSeededRandom& playCalling = *random;
  qgu::driver::CGameManager manager(image, std::move(random));
  manager.SetHomePath(teams.home);
  manager.SetAwayPath(teams.away);
  manager.SetQuarterLength(options.quarterMinutes);
  manager.SetControls(kControlCom, kControlCom);
  if (!manager.PrepareGame()) throw Failure{manager.PrepareError()};
  // The link checks the prepared game (the records as read) against the other side's.
  if (options.netHost || options.netJoin) {
    seed = OpenLink(options, seed, manager, link, spectators, progress);
    playCalling.Reseed(seed);
  }

  progress(TeamDisplayName(manager.HomeTeam().header) + " (home) against " +
           TeamDisplayName(manager.AwayTeam().header) + " (away), " +
           std::to_string(options.quarterMinutes) + "-minute quarters, " + options.weather + ", seed " +
           std::to_string(seed));
  const auto started = std::chrono::steady_clock::now();
  if (link.Connected()) return PlayLinked(options, manager, link, progress, spectators.get(), nullptr);
  qgu::driver::HeadlessGameOptions gameOptions;
  gameOptions.frameBudget = options.maxFrames;
  gameOptions.progress = progress;
  const qgu::driver::HeadlessGameResult result = qgu::driver::PlayHeadlessGame(manager, gameOptions);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (result.outcome != qgu::driver::HeadlessOutcome::kFinished) throw Failure{result.error};

  char timing[128];
  std::snprintf(timing, sizeof timing, "final screen after %lld frames in %.1f s (%.0f frames a second)",
                static_cast<long long>(result.frames), seconds, seconds > 0 ? result.frames / seconds : 0.0);
  progress(timing);
  const qgu::driver::GameSummary& summary = *result.summary;
  WriteStandardOutput(options.json ? qgu::driver::BoxScoreJson(summary) : qgu::driver::BoxScoreText(summary));
  return 0;
}

int Fail(const std::string& message) {
  std::cerr << "qgu2: " << message << "\n";
  return 1;
}

// The largest resident set of the process so far, in KiB ("VmHWM"); 0 when unknown.
long PeakResidentKib() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return 0;
  char line[256];
  long kib = 0;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
  }
  std::fclose(status);
  return kib;
}

// A text for inside a JSON string: the other side's nickname is anybody's bytes.
std::string JsonSafe(const std::string& text) {
  std::string safe;
  for (const char ch : text) {
    if (ch == '"' || ch == '\\') safe += '\\';
    if (static_cast<unsigned char>(ch) >= 0x20) safe += ch;
  }
  return safe;
}

std::string FrameReportJson(const qgu::frontend::CQguDlg& dlg) {
  const qgu::host::RuntimeCounters counters = dlg.TotalCounters();
  const double seconds = dlg.TotalRunningSeconds();
  const qgu::frontend::CQguDlg::PlayPace play = dlg.LastPlayPace();
  // Zeros for a game that was not a rollback game.
  const qgu::host::RollbackCounters rollback = dlg.LastRollback().value_or(qgu::host::RollbackCounters{});
  char json[1400];
  std::snprintf(json, sizeof json,
                "{\"seconds\": %.2f, \"frames_emulated\": %lld, \"frames_per_second\": %.2f, "
                "\"frames_drawn\": %lld, \"frames_skipped\": %lld, \"resyncs\": %lld, "
                "\"sound_blocks_written\": %lld, \"sound_blocks_missed\": %lld, \"last_readout\": \"%s\", "
                "\"boot_seconds\": %.2f, \"play_frames\": %lld, \"play_seconds\": %.2f, "
                "\"play_frames_per_second\": %.2f, \"link_frames_held\": %lld, \"link_held_ms\": %lld, "
                "\"link_readout\": \"%s\", \"rollback_frames\": %lld, \"rollbacks\": %lld, "
                "\"rollback_frames_rerun\": %lld, \"rollback_longest\": %d, \"rollback_waits\": %lld, "
                "\"rollback_frames_held\": %lld, \"rollback_input_delay\": %d, \"peak_resident_kib\": %ld}\n",
                seconds, static_cast<long long>(counters.framesEmulated),
                seconds > 0 ? counters.framesEmulated / seconds : 0.0, static_cast<long long>(counters.framesDrawn),
                static_cast<long long>(counters.framesSkipped), static_cast<long long>(counters.resyncs),
                static_cast<long long>(counters.soundBlocksWritten), static_cast<long long>(counters.soundBlocksMissed),
                qgu::host::FpsText(counters.fpsTenths).c_str(), dlg.BootSeconds(), static_cast<long long>(play.frames),
                play.seconds, play.seconds > 0 ? play.frames / play.seconds : 0.0,
                static_cast<long long>(counters.linkFramesHeld), static_cast<long long>(counters.linkHeldMs),
                JsonSafe(dlg.LastLinkReadout()).c_str(), static_cast<long long>(rollback.frames),
                static_cast<long long>(rollback.rollbacks), static_cast<long long>(rollback.framesRerun),
                rollback.longestRollback, static_cast<long long>(rollback.waits),
                static_cast<long long>(rollback.framesHeld), dlg.LastRollback() ? rollback.inputDelay : 0,
                PeakResidentKib());
  return json;
}

// False (and said on standard error) when the content did not reach its file.
bool WriteWholeFile(const std::string& path, const std::string& content, const char* what) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  const bool written = file != nullptr && std::fwrite(content.data(), 1, content.size(), file) == content.size();
  const bool closed = file != nullptr && std::fclose(file) == 0;
  if (written && closed) return true;
  std::cerr << "qgu2: cannot write " << what << " " << path << ": " << std::strerror(errno) << "\n";
  return false;
}

bool WriteFrameReport(const std::string& path, const std::string& json) {
  return WriteWholeFile(path, json, "the frame report");
}

qgu::driver::Weather WeatherOf(const std::string& name) {
  if (name == "rain") return qgu::driver::Weather::kRain;
  if (name == "snow") return qgu::driver::Weather::kSnow;
  return qgu::driver::Weather::kClear;
}

int PlayInWindow(const Options& options, int argc, char** argv) {
  const std::vector<uint8_t> image = LoadImage(options);
  qgu::frontend::CQguApp app(argc, argv);
  qgu::frontend::CPrintedMessages printed;
  // Scripted runs have nobody to answer a message box.
  if (options.exitAfterGame) qgu::frontend::SetMessageBoxes(&printed);

  qgu::frontend::WindowOptions window;
  window.image = image;
  window.seed = options.seed;
  window.exitAfterGame = options.exitAfterGame;
  bool boxScoreWritten = true;
  if (options.boxScore) {
    // Whole or not at all, so a script waiting for the file never reads half of it.
    window.summaryShown = [&boxScoreWritten, path = *options.boxScore](const qgu::driver::GameSummary& summary) {
      const qgu::base::Status written = qgu::base::ReplaceFile(path, qgu::driver::BoxScoreJson(summary));
      if (!written) std::cerr << "qgu2: cannot write the box score: " << written.error() << "\n";
      boxScoreWritten = boxScoreWritten && written;
    };
  }
  std::function<bool(qgu::frontend::CQguDlg&)> started;
  if (options.home) {
    qgu::frontend::GameRequest request;
    request.home = *options.home;
    request.away = *options.away;
    request.quarterMinutes = options.quarterMinutes;
    request.p1 = options.p1.value_or(qgu::driver::kControlMan);
    request.p2 = options.p2.value_or(qgu::driver::kControlCom);
    request.weather = WeatherOf(options.weather);
    started = [request, exitAfterGame = options.exitAfterGame](qgu::frontend::CQguDlg& dlg) {
      if (dlg.StartRequestedGame(request)) return true;
      std::cerr << "qgu2: " << dlg.StatusText().toStdString() << "\n";
      return !exitAfterGame;
    };
  }
  bool summaryShown = false;
  bool reportWritten = true;
  auto finished = [&](qgu::frontend::CQguDlg& dlg) {
    summaryShown = dlg.LastSummary().has_value();
    if (options.frameReport) {
      reportWritten = WriteFrameReport(*options.frameReport, FrameReportJson(dlg));
    }
  };
  const int status = app.Run(std::move(window), started, finished);
  if (status == 0 && options.exitAfterGame && !summaryShown) return Fail("the game ended without a box score");
  if (status == 0 && (!reportWritten || !boxScoreWritten)) return 1;
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "season") == 0) return qgu::apps::RunSeasonCommand(argc - 1, argv + 1);
  if (argc >= 2 && std::strcmp(argv[1], "dynasty") == 0) return qgu::apps::RunDynastyCommand(argc - 1, argv + 1);
  Options options;
  try {
    options = ParseOptions(argc, argv);
  } catch (const UsageError& error) {
    std::cerr << "qgu2: " << error.message << "\n(qgu2 --help lists the options)\n";
    return 2;
  }

  try {
    if (options.writeIcon) {
      // Drawn into an image (no display needed) and encoded first, so that a
      // write the file refuses (a full disk) is seen.
      QByteArray png;
      QBuffer buffer(&png);
      if (!buffer.open(QIODevice::WriteOnly) || !qgu::frontend::ProgramIcon(options.iconSize).save(&buffer, "PNG")) {
        return Fail("cannot draw the icon");
      }
      return WriteWholeFile(*options.writeIcon, std::string(png.constData(), png.size()), "the icon") ? 0 : 1;
    }
    std::error_code unknown;
    const std::filesystem::path start = std::filesystem::current_path(unknown);
    auto folder = qgu::base::EnterDataFolder(options.dataHome);
    if (!folder) return Fail(folder.error());
    if (folder.value() != start) KeepPathsAcrossMove(options, start);
    if (options.headless) return PlayHeadless(options);
    return PlayInWindow(options, argc, argv);
  } catch (const Failure& failure) {
    return Fail(failure.message);
  } catch (const std::exception& error) {
    return Fail(std::string("unexpected failure: ") + error.what());
  }
}
