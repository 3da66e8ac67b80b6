#include "toolserver/helper_tools.h"

#include "editors/team_editor_entry.h"
#include "frontend/single_game_dlg.h"
#include "league/team_record_format.h"
#include "toolserver/eog_report_dlg.h"
#include "toolserver/helper_about_dlg.h"
#include "toolserver/import_helmets.h"
#include "toolserver/league_data_dlg.h"
#include "toolserver/main_menu_dlg.h"
#include "toolserver/team_import_dlg.h"

namespace qgu::toolserver {
namespace {

// An empty folder text means the working folder.
std::filesystem::path BaseFolder(const std::filesystem::path& currentDir) {
  return currentDir.empty() ? std::filesystem::path(".") : currentDir;
}

}  // namespace

GameChoice HelperTools::SelectTeams() {
  frontend::CSingleGameDlg dialog(nullptr, frontend::kToolServerWeatherIds);
  dialog.exec();
  GameChoice game;
  game.home = dialog.HomeTeam();
  game.away = dialog.AwayTeam();
  game.quarterLength = league::FieldToNumber(dialog.QuarterLengthText());
  game.homeControl = dialog.HomeControl();
  game.awayControl = dialog.AwayControl();
  game.weather = dialog.WeatherChoice();
  return game;
}

void HelperTools::DisplayEogStats(std::string_view homeStats, std::string_view awayStats, std::string_view homeScore,
                                  std::string_view awayScore) {
  CEogReportDlg dialog(homeStats, awayStats, std::string(homeScore), std::string(awayScore));
  dialog.exec();
}

void HelperTools::ImportRom(const std::filesystem::path& currentDir) {
  RunCartridgeImport(nullptr, BaseFolder(currentDir), ChooseImageFile, WriteImportHelmet);
}

void HelperTools::EditTeams(const std::filesystem::path& currentDir) {
  editBase_ = BaseFolder(currentDir);
  CLeagueDataDlg leagues(CLeagueDataDlg::Mode::kEdit, editBase_);
  if (leagues.exec() != QDialog::Accepted || leagues.ChosenLeague().empty()) return;
  editors::RunTeamEditor(nullptr, leagues.ChosenLeague());
}

void HelperTools::ShowAbout() {
  CHelperAboutDlg dialog;
  dialog.exec();
}

MainMenuOutcome HelperTools::ShowMain(com::IQuoziHelper& callback) {
  CMainMenuDlg menu(callback);
  menu.exec();
  return MainMenuOutcome{menu.Selection(), menu.Game()};
}

}  // namespace qgu::toolserver
