// Every dialog and message box of both programs opens within a 1024 x 768
// screen (room left for a title bar), even with paths far longer than a
// screen is wide, and such paths are shown with their middle cut out.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/idle_helper.h"
#include "cartridge/builder/embedded_image.h"
#include "editors/change_play_dlg.h"
#include "editors/edit_colors_dlg.h"
#include "editors/edit_player_dlg.h"
#include "editors/edit_team_dlg.h"
#include "editors/new_team_dlg.h"
#include "frontend/about_dlg.h"
#include "frontend/elided_path_label.h"
#include "frontend/message_box.h"
#include "frontend/single_game_dlg.h"
#include "frontend/window/controller_dlg.h"
#include "frontend/window/qgu_dlg.h"
#include "frontend/window/summary_dlg.h"
#include "host/direct_input.h"
#include "league/cartridge_teams.h"
#include "league/default_league.h"
#include "toolserver/duplicate_dlg.h"
#include "toolserver/eog_report_dlg.h"
#include "toolserver/helper_about_dlg.h"
#include "toolserver/league_data_dlg.h"
#include "toolserver/main_menu_dlg.h"
#include "toolserver/new_league_dlg.h"
#include "toolserver/team_import_dlg.h"
#include "tests/support/temp_folder.h"

namespace qgu {
namespace {

namespace fs = std::filesystem;

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kTitleBar = 32;

// A folder name long enough to make any path wider than the screen.
std::string LongName() { return std::string(120, 'w') + " league folder"; }

struct Opened {
  std::string name;
  QSize size;
};

class DialogSizes : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = folder_ / LongName() / LongName();
    fs::create_directories(base_);
    auto league = league::EnsureDefaultLeague(base_, cartridge::EmbeddedCartridgeImage());
    ASSERT_TRUE(league.ok()) << league.error();
    league_ = league.value().folder;
    for (const auto& entry : fs::directory_iterator(league_)) {
      if (entry.path().extension() == ".dat") team_ = entry.path();
    }
    toolserver::SetWavePlayer(&silent_);
  }
  void TearDown() override { toolserver::SetWavePlayer(nullptr); }

  // Shown as a user would see it, then measured.
  void Measure(const std::string& name, QWidget& window) {
    window.show();
    QApplication::processEvents();
    opened_.push_back({name, window.frameGeometry().size()});
    window.hide();
  }
  // For dialogs that set themselves up in exec().
  void MeasureWhileOpen(const std::string& name, QDialog& dialog) {
    QTimer::singleShot(50, &dialog, [&] {
      opened_.push_back({name, dialog.frameGeometry().size()});
      dialog.reject();
    });
    dialog.exec();
  }

  testing::TempFolder folder_;
  fs::path base_;
  fs::path league_;
  fs::path team_;
  bench::SilentWaves silent_;
  std::vector<Opened> opened_;
};

TEST_F(DialogSizes, EveryDialogOfBothProgramsFitsA1024By768Screen) {
  const fs::path image = base_ / (LongName() + ".nes");
  const league::CartridgeTeams teams = league::ExtractCartridgeTeams(cartridge::EmbeddedCartridgeImage()).value();
  {
    frontend::WindowOptions options;
    options.configFile = folder_ / "qgu.ini";
    options.base = base_;
    options.image = cartridge::EmbeddedCartridgeImage();
    frontend::CQguDlg window(options);
    Measure("game window", window);
    host::AppConfig config;
    host::CDirectInput input;
    frontend::CQguControllerDlg controller(config, input);
    Measure("controller", controller);
  }
  {
    frontend::CSingleGameDlg single(nullptr, frontend::kGameProgramWeatherIds, base_);
    MeasureWhileOpen("single game", single);
    frontend::CSummaryDlg summary(nullptr, driver::GameSummary{});
    Measure("summary", summary);
    frontend::CAboutDlg about;
    Measure("qgu2 about", about);
  }
  {
    bench::IdleHelper helper;
    toolserver::CMainMenuDlg menu(helper);
    Measure("main menu", menu);
    toolserver::CTeamImportDlg import(teams, image, base_, nullptr);
    Measure("team import", import);
    toolserver::ImportJob job;
    job.teams = &teams;
    job.selection = {1, 3};
    job.image = image;
    toolserver::CLeagueDataDlg leagues(toolserver::CLeagueDataDlg::Mode::kImport, base_, &job);
    MeasureWhileOpen("league data", leagues);
    toolserver::CLeagueDataDlg edit(toolserver::CLeagueDataDlg::Mode::kEdit, base_);
    MeasureWhileOpen("edit teams", edit);
    toolserver::CNewLeagueDlg named;
    Measure("new league", named);
    toolserver::CDuplicateDlg duplicate(teams[3].record.header);
    Measure("duplicate", duplicate);
    toolserver::CEogReportDlg report("", "", "0", "0");
    Measure("report", report);
    toolserver::CHelperAboutDlg about;
    Measure("qghelper about", about);
  }
  {
    editors::CEditTeamDlg team(league_);
    Measure("team editor", team);
    editors::CChangePlayDlg plays(1, editors::PlayKind::kRun, 7);
    Measure("change play", plays);
    editors::CEditColorsDlg colours({0x30, 0x30, 0x0F, 0x30, 0x16, 0x0F});
    Measure("colours", colours);
    editors::CEditPlayerDlg players(team_, 4, 4);
    Measure("player editor", players);
    editors::CNewTeamDlg created(league_);
    Measure("new team", created);
  }
  {
    // A message naming a long path, as the import's and the settings' do.
    const std::unique_ptr<QMessageBox> box = frontend::MakeMessageBox(
        nullptr, {"qgultra", "Unable to write " + (base_ / LongName()).string() + "/TEAM0.dat"});
    Measure("message", *box);
  }
  ASSERT_EQ(opened_.size(), 19u);
  for (const Opened& window : opened_) {
    EXPECT_LE(window.size.width(), kScreenWidth) << window.name;
    EXPECT_LE(window.size.height(), kScreenHeight - kTitleBar) << window.name;
    EXPECT_GT(window.size.width(), 100) << window.name;
  }
}

TEST_F(DialogSizes, LongPathsAreShownWithTheirMiddleCutOut) {
  const QString path = QString::fromStdString((base_ / "cartridge.nes").string());
  frontend::CElidedPathLabel label(path);
  label.resize(300, label.sizeHint().height());
  const QString shown = label.ShownText();
  EXPECT_EQ(label.text(), path);
  EXPECT_EQ(label.toolTip(), path);
  EXPECT_LT(shown.size(), path.size());
  EXPECT_TRUE(shown.startsWith(path.left(3))) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith("cartridge.nes")) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
  label.resize(5000, label.height());
  EXPECT_EQ(label.ShownText(), path) << "a path that fits is shown whole";
}

}  // namespace
}  // namespace qgu
