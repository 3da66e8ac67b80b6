// The game in real time in a window, for measuring: the football cartridge
// with two of its own teams (COM against COM, driven by the game driver) on
// the emulator thread, the picture in a window, sound on SDL2's device, for a
// given time. Prints the runtime counters, the CPU time used and sound
// blocks missed after the first second, and can save a picture of the window.
//
//   xvfb-run -a env SDL_AUDIODRIVER=dummy build/bench/qgu-realtime-window --seconds 600
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "cartridge/builder/embedded_image.h"
#include "core/machine.h"
#include "driver/game_manager.h"
#include "driver/threaded_game.h"
#include "host/direct_input.h"
#include "host/direct_sound.h"
#include "host/emulator_thread.h"
#include "host/key_events.h"
#include "host/machine_console.h"
#include "host/sdl_joysticks.h"
#include "host/video_output.h"
#include "host/video_widget.h"
#include "league/default_league.h"

namespace {

namespace fs = std::filesystem;
using namespace qgu;

struct Options {
  double seconds = 60;
  bool fps = true;
  bool scanlines = false;
  std::string picture;  // saved at the end
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc) {
      options.seconds = std::stod(argv[++i]);
    } else if (arg == "--no-fps") {
      options.fps = false;
    } else if (arg == "--scanlines") {
      options.scanlines = true;
    } else if (arg == "--picture" && i + 1 < argc) {
      options.picture = argv[++i];
    } else {
      std::cerr << "usage: qgu-realtime-window [--seconds S] [--no-fps] [--scanlines] [--picture FILE.png]\n";
      std::exit(2);
    }
  }
  return options;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

class LoggingUi final : public driver::IDriverUi {
 public:
  void StageChanged(driver::DriverStage stage) override {
    std::cerr << "driver: " << driver::StageName(stage) << "\n";
  }
  void ShowStatus(const std::string&) override {}
  void HideStatus() override {}
  void RefreshMainWindow() override {}
  void StopSound() override {}
  void ShowSummary(const driver::GameSummary& summary) override {
    std::cerr << "summary: " << summary.homeScore << " - " << summary.awayScore << "\n";
  }
  void ShowMessage(std::string_view title, std::string_view text) override {
    std::cerr << title << ": " << text << "\n";
  }
};

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  QApplication app(argc, argv);

  const fs::path base = fs::temp_directory_path() / ("qgu-realtime-" + std::to_string(::getpid()));
  fs::create_directories(base);
  auto league = league::EnsureDefaultLeague(base, cartridge::EmbeddedCartridgeImage());
  if (!league) {
    std::cerr << league.error() << "\n";
    return 1;
  }
  driver::CGameManager manager(cartridge::EmbeddedCartridgeImage(), std::make_unique<driver::CSeededRandom>(2024));
  manager.SetHomePath((league.value().folder / "AMBE0.dat").string());
  manager.SetAwayPath((league.value().folder / "ASHC0.dat").string());
  manager.SetControls(driver::kControlCom, driver::kControlCom);
  if (!manager.PrepareGame()) return 1;

  host::CDirectSound sound;
  if (auto status = sound.Initialize(); !status) std::cerr << host::kDeviceErrorTitle << ": " << status.error() << "\n";
  sound.SetBufferSize(4);
  if (auto status = sound.CreateStreamBuffer(); !status) std::cerr << host::kDeviceErrorTitle << ": " << status.error() << "\n";
  core::MachineSettings settings;
  settings.samplingRate = sound.Geometry().rate;
  settings.samplingBits = sound.Geometry().bits;
  core::CMachine machine(manager.WorkingImage(), settings);
  host::CMachineConsole console(machine);

  host::CVideoOutput video;
  video.SetScanlines(options.scanlines, 75);
  host::CDirectInput input;
  input.Initialize(host::MakeSdlJoysticks());
  host::CKeyboardCapture capture(input);
  app.installEventFilter(&capture);

  QWidget window;
  window.setWindowTitle("Quozi Gridcrown ULTRA");
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* picture = new host::CVideoWidget(video, &window);
  layout->addWidget(picture);
  window.resize(512, 480);
  window.show();

  host::CEmulatorThread thread;
  thread.SetDevices({&video, sound.Ready() ? &sound : nullptr, &input, nullptr});
  thread.SetSettings({true, options.fps});
  LoggingUi ui;
  driver::CThreadedGame game(thread, driver::DriverGameFrom(manager), ui);
  game.Start();
  const auto started = std::chrono::steady_clock::now();
  const double cpuAtStart = CpuSeconds();
  if (!thread.Start(console)) return 1;

  host::RuntimeCounters afterFirstSecond;
  QTimer::singleShot(1000, [&] { afterFirstSecond = thread.Counters(); });
  QTimer::singleShot(static_cast<int>(options.seconds * 1000), [&] {
    const host::RuntimeCounters counters = thread.Counters();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double cpu = CpuSeconds() - cpuAtStart;
    if (!options.picture.empty()) picture->grab().save(QString::fromStdString(options.picture));
    thread.Stop();
    game.Stop();
    std::printf(
        "seconds %.1f, frames emulated %lld (%.2f a second), drawn %lld, skipped %lld, resynchronisations %lld\n"
        "sound blocks written %lld, missed %lld (after the first second %lld), last read-out %s\n"
        "CPU time %.1f s = %.1f%% of one core\n",
        wall, static_cast<long long>(counters.framesEmulated), counters.framesEmulated / wall,
        static_cast<long long>(counters.framesDrawn), static_cast<long long>(counters.framesSkipped),
        static_cast<long long>(counters.resyncs), static_cast<long long>(counters.soundBlocksWritten),
        static_cast<long long>(counters.soundBlocksMissed),
        static_cast<long long>(counters.soundBlocksMissed - afterFirstSecond.soundBlocksMissed),
        host::FpsText(counters.fpsTenths).c_str(), cpu, 100.0 * cpu / wall);
    app.quit();
  });
  const int result = app.exec();
  std::error_code ignored;
  fs::remove_all(base, ignored);
  return result;
}
