// Opening the team editor on a league of 2,000 teams: every team file's
// header line read, the list filled and sorted, the dialog built (offscreen).
//
//   cmake --build build --target bench_team_editor && build/bench/bench_team_editor
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "editors/edit_team_dlg.h"
#include "frontend/message_box.h"
#include "league/team_record_format.h"

namespace {

namespace fs = std::filesystem;

// 2,000 teams with their 30 players each, in a folder of their own for this run.
class BenchLeague {
 public:
  BenchLeague() : folder_(fs::temp_directory_path() / ("qgu-bench-editor-" + std::to_string(::getpid()))) {
    fs::create_directories(folder_);
    qgu::league::TeamRecord team;
    for (qgu::league::PlayerRecord& player : team.players) {
      player.firstName = "ivo";
      player.lastName = "TRASKELBURN";
    }
    for (int i = 0; i < qgu::editors::kMaxTeams; ++i) {
      team.header.city = "CITY" + std::to_string(i * 7919 % 2000);
      team.header.nickname = "NICKNAME" + std::to_string(i);
      team.header.abbreviation = "T" + std::to_string(i % 1000);
      std::ofstream(folder_ / ("T" + std::to_string(i) + ".dat"), std::ios::binary)
          << qgu::league::FormatTeamRecord(team).value();
    }
  }
  ~BenchLeague() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  const fs::path& Folder() const { return folder_; }

 private:
  fs::path folder_;
};

// A full league shows its "Too many teams" message; here nobody answers it.
class NoMessages : public qgu::frontend::IMessageBoxes {
 public:
  qgu::frontend::MessageAnswer Show(QWidget*, const qgu::frontend::Message&) override {
    return qgu::frontend::MessageAnswer::kOk;
  }
};

const BenchLeague& League() {
  static const BenchLeague league;
  return league;
}

void BM_OpenTeamEditor2000Teams(benchmark::State& state) {
  for (auto _ : state) {
    qgu::editors::CEditTeamDlg dialog(League().Folder());
    benchmark::DoNotOptimize(dialog.TeamCount());
  }
}
BENCHMARK(BM_OpenTeamEditor2000Teams)->Unit(benchmark::kMillisecond)->UseRealTime();

// The part that reads the files: header lines and stamps.
void BM_LoadTeamTable2000Teams(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(qgu::editors::LoadTeamTable(League().Folder()).teams.size());
}
BENCHMARK(BM_LoadTeamTable2000Teams)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  NoMessages noMessages;
  qgu::frontend::SetMessageBoxes(&noMessages);
  League();  // the files are written before anything is timed
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
