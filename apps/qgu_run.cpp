// qgu-run: runs a cartridge image headless for a number of frames, with
// scripted button presses, and reports what a test program left in memory,
// the speed of the run and, if asked, a screenshot.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/cpu/cpu.h"
#include "core/cpu/disassembler.h"
#include "core/machine.h"
#include "host/nes_palette.h"
#include "host/screenshot.h"
#include "qgu_version.h"
#include "tools/rom_runner.h"

namespace {

using qgu::core::CMachine;

constexpr const char* kUsage =
    "usage: qgu-run IMAGE --frames N [--press FRAME[-FRAME]:BUTTONS]... [--screenshot FILE]\n"
    "               [--trace] [--pc ADDR]\n"
    "  --press       hold BUTTONS (A B SELECT START UP DOWN LEFT RIGHT, joined by +) on pad 1\n"
    "                during frame FRAME (counted from 0) or frames FRAME-FRAME\n"
    "  --screenshot  save the last frame as a 256x240 BMP, or PNG when FILE ends in .png\n"
    "  --trace       print one line per instruction (CPU only: runs N frames' worth of\n"
    "                cycles instruction by instruction, without the picture unit's frame)\n"
    "  --pc ADDR     start at hex ADDR with the registers of a fresh trace (P=24, SP=FD, 7 cycles)\n"
    "       qgu-run --version | --help\n";

struct Press {
  int first;
  int last;
  uint16_t buttons;
};

struct Options {
  std::string image;
  int frames = -1;
  std::vector<Press> presses;
  std::string screenshot;
  bool trace = false;
  int startPc = -1;
};

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "qgu-run: %s\n%s", message.c_str(), kUsage);
  std::exit(2);
}

// Everything printed reached standard output, or the reason it did not.
bool StandardOutputWritten() {
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  std::fprintf(stderr, "qgu-run: cannot write to standard output: %s\n",
               errno != 0 ? std::strerror(errno) : "write error");
  return false;
}

int ParseNumber(const std::string& text, int base, const char* what) {
  try {
    size_t used = 0;
    const long value = std::stol(text, &used, base);
    if (used != text.size() || value < 0 || value > 0x7FFFFFFF) throw std::invalid_argument(text);
    return static_cast<int>(value);
  } catch (const std::exception&) {
    Fail(std::string("bad ") + what + ": \"" + text + "\"");
  }
}

Press ParsePress(const std::string& text) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) Fail("--press needs FRAME:BUTTONS, got \"" + text + "\"");
  const std::string frames = text.substr(0, colon);
  const size_t dash = frames.find('-');
  Press press{};
  press.first = ParseNumber(frames.substr(0, dash), 10, "frame");
  press.last = dash == std::string::npos ? press.first : ParseNumber(frames.substr(dash + 1), 10, "frame");
  if (press.last < press.first) Fail("frame range runs backwards: \"" + frames + "\"");
  const int buttons = qgu::tools::ParseButtons(text.substr(colon + 1));
  if (buttons <= 0) Fail("unknown buttons: \"" + text.substr(colon + 1) + "\"");
  press.buttons = static_cast<uint16_t>(buttons);
  return press;
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
      options.frames = ParseNumber(value(), 10, "frame count");
    } else if (arg == "--press") {
      options.presses.push_back(ParsePress(value()));
    } else if (arg == "--screenshot") {
      options.screenshot = value();
    } else if (arg == "--trace") {
      options.trace = true;
    } else if (arg == "--pc") {
      options.startPc = ParseNumber(value(), 16, "address");
      if (options.startPc > 0xFFFF) Fail("address beyond $FFFF");
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(StandardOutputWritten() ? 0 : 1);
    } else if (arg == "--version") {
      std::fputs("qgu-run " QGU_VERSION "\n", stdout);
      std::exit(StandardOutputWritten() ? 0 : 1);
    } else if (!arg.empty() && arg[0] == '-') {
      Fail("unknown option " + arg);
    } else if (options.image.empty()) {
      options.image = arg;
    } else {
      Fail("more than one image given");
    }
  }
  if (options.image.empty()) Fail("no image given");
  if (options.frames < 0) Fail("--frames N is required");
  return options;
}

uint16_t ButtonsAt(const Options& options, int frame) {
  uint16_t buttons = 0;
  for (const Press& press : options.presses) {
    if (frame >= press.first && frame <= press.last) buttons |= press.buttons;
  }
  return buttons;
}

// A trace nobody can read is not run on: a failed write ends it.
void RunTraced(CMachine& machine, int frames) {
  const int64_t cycles = int64_t{frames} * CMachine::Timing().frameCycles / 12;
  const uint32_t start = machine.Cpu().TotalCycles();
  while (machine.Cpu().TotalCycles() - start < cycles) {
    if (std::puts(qgu::core::TraceLine(machine).c_str()) == EOF) return;
    machine.Cpu().Execute(1);
  }
}


void RunFrames(qgu::tools::CRomRunner& runner, const Options& options) {
  for (int frame = 0; frame < options.frames; ++frame) {
    runner.Hold(0, ButtonsAt(options, frame));
    runner.RunFrames(1);
  }
}

void ReportTestProgram(const CMachine& machine) {
  if (qgu::tools::HasTestSignature(machine)) {
    std::printf("text at $6004:\n%s\n", qgu::tools::TestText(machine).c_str());
  } else {
    std::printf("no test-program signature at $6001-$6003\n");
  }
  std::printf("status at $6000: $%02X\n", machine.PeekByte(0x6000));
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  std::vector<uint8_t> image;
  try {
    image = qgu::tools::ReadBinaryFile(options.image);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qgu-run: %s\n", e.what());
    return 1;
  }
  std::unique_ptr<qgu::tools::CRomRunner> runner;
  try {
    runner = std::make_unique<qgu::tools::CRomRunner>(image);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qgu-run: %s: %s\n", options.image.c_str(), e.what());
    return 1;
  }
  CMachine& machine = runner->Machine();
  if (options.startPc >= 0) qgu::tools::StartAsReferenceTrace(machine, static_cast<uint16_t>(options.startPc));

  const auto started = std::chrono::steady_clock::now();
  if (options.trace) {
    RunTraced(machine, options.frames);
  } else {
    RunFrames(*runner, options);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  ReportTestProgram(machine);
  std::printf("%d frames in %.3f s (%.0f frames per second)\n", options.frames, seconds,
              seconds > 0 ? options.frames / seconds : 0.0);

  if (!options.screenshot.empty()) {
    const auto result = qgu::host::WriteScreenshotFile(options.screenshot, machine.RenderBuffer(),
                                                       qgu::host::DefaultNesPalette());
    if (!result) {
      std::fprintf(stderr, "qgu-run: screenshot not saved: %s\n", result.error.c_str());
      return 1;
    }
    std::printf("screenshot saved to %s\n", result.path.string().c_str());
  }
  return StandardOutputWritten() ? 0 : 1;
}
