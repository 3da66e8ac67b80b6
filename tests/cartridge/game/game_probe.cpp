// qgu-game-probe: boots the cartridge like the game driver and plays a game,
// printing what the contract bytes do and saving screenshots on the way.
// A tool for looking at the game, not a test.
//
//   qgu-game-probe [--pair N] [--control HEX] [--quarter MIN] [--frames N]
//                  [--delay FRAMES] [--shot FRAME:FILE.png]... [--every N:DIR]
//                  [--hold FRAME-FRAME:PAD:BUTTONS]... [--log]

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/controller_ports.h"
#include "core/apu/sound_unit.h"
#include "core/cpu/cpu.h"
#include "core/cpu/disassembler.h"
#include "host/nes_palette.h"
#include "host/screenshot.h"
#include "tests/cartridge/game/cartridge_session.h"
#include "tests/cartridge/game/stats_block.h"
#include "tests/support/test_rom_runner.h"

using qgu::cartridge::testing::CartridgeSession;
namespace cartmem = qgu::driver::cartmem;

namespace {

struct Shot {
  int frame;
  std::string file;
};

struct Hold {
  int first, last, pad;
  uint16_t buttons;
};

void Save(CartridgeSession& session, const std::string& file) {
  const auto result =
      qgu::host::WriteScreenshotFile(file, session.Machine().RenderBuffer(), qgu::host::DefaultNesPalette());
  if (!result) std::fprintf(stderr, "screenshot %s failed: %s\n", file.c_str(), result.error.c_str());
}

// 8-bit mono at 22050 Hz, the sound unit's default output.
void WriteWav(const std::string& file, const std::vector<uint8_t>& samples) {
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return;
  auto word = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>((v >> (8 * i)) & 0xFF), out);
  };
  const uint32_t size = static_cast<uint32_t>(samples.size());
  std::fputs("RIFF", out);
  word(36 + size, 4);
  std::fputs("WAVEfmt ", out);
  word(16, 4);
  word(1, 2);
  word(1, 2);
  word(22050, 4);
  word(22050, 4);
  word(1, 2);
  word(8, 2);
  std::fputs("data", out);
  word(size, 4);
  std::fwrite(samples.data(), 1, samples.size(), out);
  std::fclose(out);
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

}  // namespace

int main(int argc, char** argv) {
  int pair = 22;
  int control = 0x22;
  int quarter = 5;
  int frames = 40000;
  int delay = 23;
  bool log = false;
  int ntFrame = -1;
  int pcFrom = -1;
  std::string wavFile;
  std::string docsDir;
  DocShots docs;
  int tapPad = -1, tapEvery = 0;
  bool booted = false;
  std::vector<uint8_t> samples;
  int peekFrame = -1, peekAddress = 0, peekCount = 0;
  int homeLevel = -1, awayLevel = -1;
  int traceFrame = -1;
  int traceCount = 0;
  int every = 0;
  std::string everyDir;
  std::vector<Shot> shots;
  std::vector<Hold> holds;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (arg == "--pair") pair = std::atoi(next().c_str());
    else if (arg == "--control") control = std::stoi(next(), nullptr, 16);
    else if (arg == "--quarter") quarter = std::atoi(next().c_str());
    else if (arg == "--frames") frames = std::atoi(next().c_str());
    else if (arg == "--delay") delay = std::atoi(next().c_str());
    else if (arg == "--log") log = true;
    else if (arg == "--nt") ntFrame = std::atoi(next().c_str());
    else if (arg == "--pc") pcFrom = std::atoi(next().c_str());
    else if (arg == "--wav") wavFile = next();
    else if (arg == "--docs") docsDir = next();
    else if (arg == "--tap") std::sscanf(next().c_str(), "%d:%d", &tapPad, &tapEvery);
    else if (arg == "--peek") std::sscanf(next().c_str(), "%d:%x:%d", &peekFrame, &peekAddress, &peekCount);
    else if (arg == "--levels") std::sscanf(next().c_str(), "%d:%d", &homeLevel, &awayLevel);
    else if (arg == "--trace") {
      const std::string v = next();
      std::sscanf(v.c_str(), "%d:%d", &traceFrame, &traceCount);
    }
    else if (arg == "--shot") {
      const std::string v = next();
      const auto colon = v.find(':');
      shots.push_back({std::atoi(v.substr(0, colon).c_str()), v.substr(colon + 1)});
    } else if (arg == "--every") {
      const std::string v = next();
      const auto colon = v.find(':');
      every = std::atoi(v.substr(0, colon).c_str());
      everyDir = v.substr(colon + 1);
      std::filesystem::create_directories(everyDir);
    } else if (arg == "--hold") {
      const std::string v = next();
      Hold h{};
      std::sscanf(v.c_str(), "%d-%d:%d", &h.first, &h.last, &h.pad);
      h.buttons = static_cast<uint16_t>(qgu::testsupport::ParseButtons(v.substr(v.rfind(':') + 1)));
      holds.push_back(h);
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
  uint8_t last[8] = {};
  const uint16_t watched[8] = {cartmem::kHomeState, cartmem::kAwayState, cartmem::kHomePlay, cartmem::kAwayPlay,
                               cartmem::kQuarter, cartmem::kClockMinutes, cartmem::kHomeTotalScore,
                               cartmem::kAwayTotalScore};
  session.SetFrameHook([&] {
    const int f = session.Frame();
    for (const Shot& s : shots) {
      if (s.frame == f) Save(session, s.file);
    }
    if (pcFrom >= 0 && f >= pcFrom && f < pcFrom + 8) {
      const auto r = session.Machine().Cpu().GetRegisters();
      std::printf("frame %d pc %04X a %02X x %02X y %02X s %02X bank8 %d\n", f, r.pc, r.a, r.x, r.y, r.s,
                  session.Machine().Memory().cpuPageNumber[4]);
    }
    if (f == traceFrame) {
      for (int n = 0; n < traceCount; ++n) {
        std::puts(qgu::core::TraceLine(session.Machine()).c_str());
        session.Machine().Cpu().Execute(1);
      }
      std::exit(0);
    }
    if (f == peekFrame) {
      std::printf("frame %d $%04X:", f, peekAddress);
      for (int k = 0; k < peekCount; ++k) std::printf(" %02X", session.Peek(static_cast<uint16_t>(peekAddress + k)));
      std::printf("\n");
    }
    if (!wavFile.empty()) {
      uint8_t block[368];
      session.Machine().SoundUnit().Process(block, sizeof block);
      samples.insert(samples.end(), block, block + sizeof block);
    }
    if (!docsDir.empty()) docs.Step(session, docsDir);
    if (f == ntFrame) {
      const uint8_t* nt = session.Machine().Memory().nameTableRam;
      for (int row = 0; row < 30; ++row) {
        std::printf("%2d ", row);
        for (int col = 0; col < 32; ++col) std::printf("%02X", nt[row * 32 + col]);
        std::printf("\n");
      }
    }
    if (every > 0 && f % every == 0) {
      char name[64];
      std::snprintf(name, sizeof name, "/f%06d.png", f);
      Save(session, everyDir + name);
    }
    for (int p = 0; p < 2; ++p) {
      uint16_t b = 0;
      for (const Hold& h : holds) {
        if (h.pad == p && f >= h.first && f <= h.last) b |= h.buttons;
      }
      if (booted && p == tapPad && tapEvery > 0 && f % tapEvery == 0) b |= 1 << qgu::core::kHostA;
      session.Hold(p, b);
    }
    if (log) {
      bool changed = false;
      for (int k = 0; k < 8; ++k) changed |= session.Peek(watched[k]) != last[k];
      if (changed) {
        for (int k = 0; k < 8; ++k) last[k] = session.Peek(watched[k]);
        std::printf("%6d  state %02X %02X  play %02X %02X  period %d  clock %02X:%02X  score %02X-%02X\n", f,
                    last[0], last[1], last[2], last[3], last[4], last[5], session.Peek(cartmem::kClockSeconds),
                    last[6], last[7]);
      }
    }
  });
  const auto boot = session.Boot(pair, static_cast<uint8_t>(control), delay);
  booted = true;
  std::printf("boot %s at frame %d%s%s\n", boot.ok ? "done" : "failed", session.Frame(),
              boot.ok ? "" : " in stage ", boot.failedStage.c_str());
  if (!boot.ok) return 1;
  const auto game = session.PlayGame(quarter, frames);
  session.RunFrames(60);
  std::printf("game %s after %d frames, %d plays; score home %d away %d\n", game.finished ? "finished" : "unfinished",
              game.frames, game.plays, session.Score(0), session.Score(1));
  if (!wavFile.empty()) WriteWav(wavFile, samples);
  for (int side = 0; side < 2; ++side) {
    const auto t = qgu::cartridge::testing::Decode(session.StatsBlock(side));
    std::printf("%s: rush %d-%d td %d, pass %d/%d %d yd td %d int %d, sacks %d, kr %d pr %d, xp %d/%d fg %d/%d, punts %d %d yd\n",
                side ? "away" : "home", t.rushAttempts, t.rushYards, t.rushTouchdowns, t.completions, t.passAttempts,
                t.passYards, t.passTouchdowns, t.interceptionsThrown, t.sacks, t.kickReturns, t.puntReturns,
                t.extraPointsMade, t.extraPointsTried, t.fieldGoalsMade, t.fieldGoalsTried, t.punts, t.puntYards);
  }
  return game.finished ? 0 : 1;
}
