// The tool server's two speed goals: importing all 28 teams of a cartridge
// image into a new league (load, checks, extraction, the league's folder and
// config.lge, 28 team files and their helmet pictures), and the main menu
// window opened and drawn once (picture, button plates, music started).
//
//   cmake --build build --target bench_toolserver && build/bench/bench_toolserver
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "bench/idle_helper.h"
#include "cartridge/builder/embedded_image.h"
#include "league/cartridge_import.h"
#include "toolserver/import_helmets.h"
#include "toolserver/main_menu_dlg.h"
#include "frontend/picture_button/wave_player.h"

namespace {

namespace fs = std::filesystem;

class Scratch {
 public:
  Scratch() : base_(fs::temp_directory_path() / ("qgu-bench-toolserver-" + std::to_string(::getpid()))) {
    fs::create_directories(base_);
    const auto image = qgu::cartridge::EmbeddedCartridgeImage();
    std::ofstream(image_, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                   static_cast<std::streamsize>(image.size()));
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(base_, ignored);
  }
  const fs::path& base() const { return base_; }
  const fs::path& image() const { return image_; }

 private:
  fs::path base_;
  fs::path image_ = base_ / "quozi.nes";
};

void BM_ImportAllTeamsIntoANewLeague(benchmark::State& state) {
  Scratch scratch;
  int run = 0;
  for (auto _ : state) {
    qgu::league::ScriptedImport request;
    request.base = scratch.base() / std::to_string(run++);
    request.image = scratch.image();
    request.league = "Bench League";
    request.written = qgu::toolserver::WriteImportHelmet;
    auto outcome = qgu::league::RunScriptedImport(request);
    if (!outcome || outcome.value().report.written.size() != 28) state.SkipWithError("the import failed");
    state.PauseTiming();
    std::error_code ignored;
    fs::remove_all(request.base, ignored);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ImportAllTeamsIntoANewLeague)->Unit(benchmark::kMillisecond);

void BM_MainMenuOpenedAndDrawn(benchmark::State& state) {
  qgu::bench::SilentWaves silent;
  qgu::bench::IdleHelper helper;
  qgu::toolserver::SetWavePlayer(&silent);
  for (auto _ : state) {
    qgu::toolserver::CMainMenuDlg menu(helper);
    menu.show();
    const QPixmap drawn = menu.grab();
    benchmark::DoNotOptimize(drawn.cacheKey());
    menu.hide();
  }
  qgu::toolserver::SetWavePlayer(nullptr);
}
BENCHMARK(BM_MainMenuOpenedAndDrawn)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
