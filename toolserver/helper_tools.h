#pragma once
// The six league tools behind the IQuoziHelper operations, on the Qt side.
// Each runs its dialog modally on the calling thread and returns when it has
// closed. The COM object (toolserver/module) turns its calls into these.

#include <filesystem>
#include <string>
#include <string_view>

#include "toolserver/com/qghelper_interface.h"

namespace qgu::toolserver {

// What the single game dialog hands back; both paths empty: no game.
struct GameChoice {
  std::string home;
  std::string away;
  int quarterLength = 5;
  int homeControl = 0;
  int awayControl = 2;
  int weather = 0;
};

struct MainMenuOutcome {
  int selection = -1;  // -1 "E x i t", 1 a single game, 0 a failed call
  GameChoice game;     // filled when selection is 1
};

class HelperTools {
 public:
  GameChoice SelectTeams();
  void DisplayEogStats(std::string_view homeStats, std::string_view awayStats, std::string_view homeScore,
                       std::string_view awayScore);
  void ImportRom(const std::filesystem::path& currentDir);
  void EditTeams(const std::filesystem::path& currentDir);
  void ShowAbout();
  // The main menu calls back into the interface that runs it.
  MainMenuOutcome ShowMain(com::IQuoziHelper& callback);

 private:
  std::filesystem::path editBase_;  // the base directory EditTeams was last given
};

}  // namespace qgu::toolserver
