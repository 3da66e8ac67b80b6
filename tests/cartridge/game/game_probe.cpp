// qgu-game-probe: boots the cartridge like the game driver and plays a game,
// printing what the contract bytes do and saving screenshots on the way (the
// playing notes' pictures come from --docs). A tool for looking at the game,
// not a test.
//
//   qgu-game-probe [--pair N] [--control HEX] [--quarter MIN] [--frames N]
//                  [--delay FRAMES] [--levels HOME:AWAY] [--shot FRAME:FILE.png]...
//                  [--docs DIR] [--log]

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/nes_palette.h"
#include "host/screenshot.h"
#include "tests/cartridge/game/cartridge_session.h"
#include "tests/cartridge/game/stats_block.h"

using qgu::cartridge::testing::CartridgeSession;
namespace cartmem = qgu::driver::cartmem;

namespace {

struct Shot {
  int frame;
  std::string file;
};

void Save(CartridgeSession& session, const std::string& file) {
  const auto result =
      qgu::host::WriteScreenshotFile(file, session.Machine().RenderBuffer(), qgu::host::DefaultNesPalette());
  if (!result) std::fprintf(stderr, "screenshot %s failed: %s\n", file.c_str(), result.error.c_str());
}

// The screens of the playing notes, each saved the first time it shows.
struct DocShots {
  int pending[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  bool done[8] = {};
  int plays = 0;
  bool wasRunning = false;
  int lastTotal = 0;
  static constexpr const char* kNames[8] = {"title",      "team-select", "match-up", "play-selection",
                                            "field-play", "touchdown",   "final",    "kickoff"};

  void Arm(int shot, int frame) {
    if (!done[shot] && pending[shot] < 0) pending[shot] = frame;
  }

  void Step(CartridgeSession& s, const std::string& dir) {
    const int f = s.Frame();
    if (s.Peek(cartmem::kTitleMarker) == cartmem::kTitleReady) Arm(0, f + 20);
    if (s.Peek(cartmem::kTeamSelectMarker) == cartmem::kTeamSelectReady) Arm(1, f + 40);
    if (done[1] && s.Peek(cartmem::kTeamSelectMarker) == 0) Arm(2, f + 70);
    const uint8_t h = s.Peek(cartmem::kHomeState), a = s.Peek(cartmem::kAwayState);
    using namespace cartmem;
    if (h == kStateKicking || a == kStateKicking) Arm(7, f + 50);
    if ((h == kStateOffenseChoosing && a == kStateDefenseChoosing) ||
        (h == kStateDefenseChoosing && a == kStateOffenseChoosing)) {
      Arm(3, f + 30);
    }
    const bool running = (h == kStateOffenseRunning && a == kStateDefenseRunning) ||
                         (h == kStateDefenseRunning && a == kStateOffenseRunning);
    if (running && !wasRunning && ++plays == 4) Arm(4, f + 62);
    wasRunning = running;
    const int total = s.Score(0) + s.Score(1);
    if (total - lastTotal >= 6) Arm(5, f + 12);
    lastTotal = total;
    if (s.OnFinalScreen()) Arm(6, f + 20);
    for (int k = 0; k < 8; ++k) {
      if (pending[k] == f) {
        Save(s, dir + "/" + kNames[k] + ".png");
        done[k] = true;
        pending[k] = -1;
      }
    }
  }
};

// Prints the watched contract bytes whenever one of them changes.
struct ByteLog {
  static constexpr uint16_t kWatched[8] = {cartmem::kHomeState,    cartmem::kAwayState,    cartmem::kHomePlay,
                                           cartmem::kAwayPlay,     cartmem::kQuarter,      cartmem::kClockMinutes,
                                           cartmem::kHomeTotalScore, cartmem::kAwayTotalScore};
  uint8_t last[8] = {};

  void Step(const CartridgeSession& s) {
    bool changed = false;
    for (int k = 0; k < 8; ++k) changed |= s.Peek(kWatched[k]) != last[k];
    if (!changed) return;
    for (int k = 0; k < 8; ++k) last[k] = s.Peek(kWatched[k]);
    std::printf("%6d  state %02X %02X  play %02X %02X  period %d  clock %02X:%02X  score %02X-%02X\n", s.Frame(),
                last[0], last[1], last[2], last[3], last[4], last[5], s.Peek(cartmem::kClockSeconds), last[6], last[7]);
  }
};

}  // namespace

int main(int argc, char** argv) {
  int pair = 22, control = 0x22, quarter = 5, frames = 40000, delay = 23;
  int homeLevel = -1, awayLevel = -1;
  bool log = false;
  std::string docsDir;
  std::vector<Shot> shots;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (arg == "--pair") pair = std::atoi(next().c_str());
    else if (arg == "--control") control = std::stoi(next(), nullptr, 16);
    else if (arg == "--quarter") quarter = std::atoi(next().c_str());
    else if (arg == "--frames") frames = std::atoi(next().c_str());
    else if (arg == "--delay") delay = std::atoi(next().c_str());
    else if (arg == "--levels") std::sscanf(next().c_str(), "%d:%d", &homeLevel, &awayLevel);
    else if (arg == "--docs") docsDir = next();
    else if (arg == "--log") log = true;
    else if (arg == "--shot") {
      const std::string v = next();
      const auto colon = v.find(':');
      shots.push_back({std::atoi(v.substr(0, colon).c_str()), v.substr(colon + 1)});
    } else {
      std::fprintf(stderr, "unknown option %s\n", arg.c_str());
      return 2;
    }
  }

  auto image = qgu::cartridge::testing::LoadCartridgeImage();
  // Pair 22 puts the home team in slot 0 and the away team in slot 25.
  if (homeLevel >= 0) qgu::cartridge::testing::SetAllRatings(image, 0, homeLevel);
  if (awayLevel >= 0) qgu::cartridge::testing::SetAllRatings(image, 25, awayLevel);
  CartridgeSession session(image);
  session.SetDrawing(true);
  DocShots docs;
  ByteLog bytes;
  session.SetFrameHook([&] {
    for (const Shot& s : shots) {
      if (s.frame == session.Frame()) Save(session, s.file);
    }
    if (!docsDir.empty()) docs.Step(session, docsDir);
    if (log) bytes.Step(session);
  });
  const auto boot = session.Boot(pair, static_cast<uint8_t>(control), delay);
  std::printf("boot %s at frame %d%s%s\n", boot.ok ? "done" : "failed", session.Frame(),
              boot.ok ? "" : " in stage ", boot.failedStage.c_str());
  if (!boot.ok) return 1;
  const auto game = session.PlayGame(quarter, frames);
  session.RunFrames(60);
  std::printf("game %s after %d frames, %d plays; score home %d away %d\n", game.finished ? "finished" : "unfinished",
              game.frames, game.plays, session.Score(0), session.Score(1));
  for (int side = 0; side < 2; ++side) {
    const auto t = qgu::cartridge::testing::Decode(session.StatsBlock(side));
    std::printf("%s: rush %d-%d td %d, pass %d/%d %d yd td %d int %d, sacks %d, kr %d pr %d, xp %d/%d fg %d/%d, punts %d %d yd\n",
                side ? "away" : "home", t.rushAttempts, t.rushYards, t.rushTouchdowns, t.completions, t.passAttempts,
                t.passYards, t.passTouchdowns, t.interceptionsThrown, t.sacks, t.kickReturns, t.puntReturns,
                t.extraPointsMade, t.extraPointsTried, t.fieldGoalsMade, t.fieldGoalsTried, t.punts, t.puntYards);
  }
  return game.finished ? 0 : 1;
}
