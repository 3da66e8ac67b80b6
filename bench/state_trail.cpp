// qgu-state-trail: prints a trail of the emulated machine's state, to compare
// two builds that must behave the same (a speed-up against the build before
// it). Every public test program and the football cartridge run in every
// render method, with and without pseudo-random buttons, two frames in three
// drawn; every 60 frames a line gives the state hash, the CPU's registers, the
// cycle counts and a hash of the visible pixels of all drawn frames so far.
// Every 300 frames a state is kept, a few frames run and the state restored,
// as rollback games do. --game runs headless games and gives the state hash
// every 600 frames and the box score. --no-skip runs idle loops instead of
// counting them through (the same trail is expected).
//
//   qgu-state-trail [--frames N] [--testroms DIR] [--methods 01234] [--no-skip]
//   qgu-state-trail --game SEED[,SEED...] [--quarter MINUTES] [--no-skip]
//
//   OLD/bench/qgu-state-trail > old.txt; build/bench/qgu-state-trail > new.txt; cmp old.txt new.txt
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cartridge/builder/embedded_image.h"
#include "core/cpu/cpu.h"
#include "core/machine.h"
#include "core/render_buffer.h"
#include "core/snapshot.h"
#include "tools/game_run.h"
#include "tools/rom_runner.h"

namespace {

using qgu::core::CMachine;

constexpr int kLineEvery = 60;
constexpr int kGameLineEvery = 600;
constexpr int kRollbackEvery = 300;  // frames between a kept state's return
constexpr int kRollbackFrames = 7;   // frames run before going back

struct Options {
  int frames = 600;
  int footballFrames = 3000;
  std::string testroms = QGU_TESTROMS;
  std::string methods = "01234";
  bool skipIdleLoops = true;
  std::vector<uint32_t> gameSeeds;
  int quarterMinutes = 1;
};

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr,
               "qgu-state-trail: %s\n"
               "usage: qgu-state-trail [--frames N] [--testroms DIR] [--methods 01234] [--no-skip]\n"
               "       qgu-state-trail --game SEED[,SEED...] [--quarter MINUTES] [--no-skip]\n",
               message.c_str());
  std::exit(2);
}

int ParseCount(const std::string& text, const char* what) {
  try {
    size_t used = 0;
    const long value = std::stol(text, &used);
    if (used == text.size() && value > 0 && value < 1'000'000'000) return static_cast<int>(value);
  } catch (const std::exception&) {
  }
  Fail(std::string("bad ") + what + ": \"" + text + "\"");
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) Fail(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--frames") {
      options.frames = ParseCount(value(), "frame count");
      options.footballFrames = std::max(options.footballFrames, options.frames);
    } else if (arg == "--testroms") {
      options.testroms = value();
    } else if (arg == "--methods") {
      options.methods = value();
      if (options.methods.empty() || options.methods.find_first_not_of("01234") != std::string::npos) {
        Fail("--methods takes digits 0-4");
      }
    } else if (arg == "--no-skip") {
      options.skipIdleLoops = false;
    } else if (arg == "--game") {
      std::stringstream seeds(value());
      for (std::string seed; std::getline(seeds, seed, ',');) options.gameSeeds.push_back(ParseCount(seed, "seed"));
    } else if (arg == "--quarter") {
      options.quarterMinutes = ParseCount(value(), "quarter length");
    } else {
      Fail("unknown option " + arg);
    }
  }
  return options;
}

uint64_t Fnv1a(const void* data, size_t size, uint64_t hash = 0xcbf29ce484222325ull) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ull;
  return hash;
}

// The snapshot's bytes and the CPU's counters the snapshot leaves out.
uint64_t StateHash(CMachine& machine) {
  qgu::core::MachineState state;
  machine.SaveState(state);
  const qgu::core::CCpu::Registers cpu = machine.Cpu().GetRegisters();
  uint64_t hash = Fnv1a(state.bytes.data(), state.bytes.size());
  hash = Fnv1a(&cpu.totalCycles, sizeof cpu.totalCycles, hash);
  hash = Fnv1a(&cpu.pendingInterrupts, sizeof cpu.pendingInterrupts, hash);
  return Fnv1a(&cpu.dmaStall, sizeof cpu.dmaStall, hash);
}

uint64_t VisiblePixelsHash(CMachine& machine, uint64_t hash) {
  const uint8_t* buffer = machine.RenderBuffer();
  for (int line = 0; line < qgu::core::kRenderLines; ++line) {
    hash = Fnv1a(buffer + line * qgu::core::kRenderLineBytes + qgu::core::kRenderFirstPixel, qgu::core::kRenderWidth,
                 hash);
  }
  return hash;
}

// Buttons that change every few frames, the same sequence in every build.
class CButtonSequence {
 public:
  uint16_t Next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    if (--hold_ <= 0) {
      hold_ = 1 + static_cast<int>((state_ >> 40) % 12);
      buttons_ = static_cast<uint16_t>((state_ >> 20) & 0x33F);  // pad, A, B, select, start
    }
    return buttons_;
  }

 private:
  uint64_t state_ = 0x9E3779B97F4A7C15ull;
  int hold_ = 0;
  uint16_t buttons_ = 0;
};

void TrailImage(const std::string& name, const std::vector<uint8_t>& image, int frames, const Options& options) {
  for (const char methodDigit : options.methods) {
    const int method = methodDigit - '0';
    for (const bool pressing : {false, true}) {
      qgu::core::MachineSettings settings;
      settings.skipIdleLoops = options.skipIdleLoops;
      auto chooseMethod = [method](uint32_t, qgu::core::GameOptions& game) { game.renderMethod = method; };
      std::unique_ptr<qgu::tools::CRomRunner> runner;
      try {
        runner = std::make_unique<qgu::tools::CRomRunner>(image, settings, chooseMethod);
      } catch (const std::exception& e) {
        std::printf("%s: not run: %s\n", name.c_str(), e.what());
        return;
      }
      CMachine& machine = runner->Machine();
      CButtonSequence buttons;
      uint16_t held = 0;
      uint64_t pixels = 0xcbf29ce484222325ull;
      qgu::core::MachineState kept;
      for (int frame = 1; frame <= frames; ++frame) {
        const bool draw = frame % 3 != 0;
        if (pressing) held = buttons.Next();
        runner->Hold(0, held);
        runner->RunFrames(1, draw);
        if (draw) pixels = VisiblePixelsHash(machine, pixels);
        if (frame % kRollbackEvery == 0) {
          machine.SaveState(kept);
          runner->Hold(0, 0x0F);
          runner->RunFrames(kRollbackFrames, false);
          machine.RestoreState(kept);
        }
        if (frame % kLineEvery != 0) continue;
        const qgu::core::CCpu::Registers cpu = machine.Cpu().GetRegisters();
        std::printf("%s method %d %s frame %d: state %016llx pc %04X a %02X x %02X y %02X s %02X p %02X"
                    " cycles %llu %llu pixels %016llx\n",
                    name.c_str(), method, pressing ? "pressed" : "idle", frame,
                    static_cast<unsigned long long>(StateHash(machine)), cpu.pc, cpu.a, cpu.x, cpu.y, cpu.s, cpu.p,
                    static_cast<unsigned long long>(machine.ScheduledCycles()),
                    static_cast<unsigned long long>(machine.ExecutedCycles()),
                    static_cast<unsigned long long>(pixels));
      }
      std::fflush(stdout);
    }
  }
}

int TrailImages(const Options& options) {
  std::vector<std::string> paths;
  std::error_code error;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(options.testroms, error)) {
    if (entry.path().extension() == ".nes") paths.push_back(entry.path().string());
  }
  if (error || paths.empty()) Fail("no test programs under " + options.testroms);
  std::sort(paths.begin(), paths.end());
  for (const std::string& path : paths) {
    const std::string name = std::filesystem::relative(path, options.testroms).string();
    TrailImage(name, qgu::tools::ReadBinaryFile(path), options.frames, options);
  }
  const auto football = qgu::cartridge::EmbeddedCartridgeImage();
  TrailImage("football cartridge", std::vector<uint8_t>(football.begin(), football.end()), options.footballFrames,
             options);
  return 0;
}

int TrailGames(const Options& options) {
  qgu::tools::CTemporaryLeague league;
  for (const uint32_t seed : options.gameSeeds) {
    auto manager = league.PrepareComGame(seed, options.quarterMinutes);
    qgu::tools::GameRunOptions run;
    run.settings.skipIdleLoops = options.skipIdleLoops;
    run.afterFrame = [&](int64_t frame, CMachine& machine) {
      if (frame % kGameLineEvery != 0) return;
      std::printf("game %u frame %lld: state %016llx\n", seed, static_cast<long long>(frame),
                  static_cast<unsigned long long>(StateHash(machine)));
    };
    const qgu::tools::GameRunResult result = qgu::tools::RunGame(*manager, run);
    if (!result.summary) {
      std::printf("game %u: no box score after %lld frames: %s\n", seed, static_cast<long long>(result.frames),
                  result.error.c_str());
      continue;
    }
    std::printf("game %u: %lld frames, %s - %s\n%s\n%s\n", seed, static_cast<long long>(result.frames),
                result.summary->homeScore.c_str(), result.summary->awayScore.c_str(),
                result.summary->homeStats.c_str(), result.summary->awayStats.c_str());
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  try {
    return options.gameSeeds.empty() ? TrailImages(options) : TrailGames(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qgu-state-trail: %s\n", e.what());
    return 1;
  }
}
