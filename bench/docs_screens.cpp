// docs_screens: draws the pictures of docs/editors and docs/toolserver. Every
// window of the tool server and the editors is opened offscreen on a fresh
// copy of the default league, put into the state a picture shows, and grabbed.
// The report shows a real headless game between two of the league's teams.
//
//   cmake --build build --target docs_screens && build/bench/docs_screens docs
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "bench/idle_helper.h"
#include "cartridge/builder/embedded_image.h"
#include "driver/game_manager.h"
#include "driver/headless_game.h"
#include "editors/change_play_dlg.h"
#include "editors/edit_colors_dlg.h"
#include "editors/edit_player_dlg.h"
#include "editors/edit_team_dlg.h"
#include "editors/new_team_dlg.h"
#include "editors/play_pictures.h"
#include "editors/play_table.h"
#include "frontend/about_dlg.h"
#include "league/cartridge_teams.h"
#include "league/default_league.h"
#include "league/team_record_file.h"
#include "toolserver/duplicate_dlg.h"
#include "toolserver/eog_report_dlg.h"
#include "toolserver/helper_about_dlg.h"
#include "toolserver/league_data_dlg.h"
#include "toolserver/main_menu_dlg.h"
#include "toolserver/new_league_dlg.h"
#include "toolserver/team_import_dlg.h"

namespace {

namespace fs = std::filesystem;

// Lets timers, animations and painting run for a while.
void Wait(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

template <typename T>
T* Find(const QWidget* window, int id) {
  T* control = window->findChild<T*>(QString::number(id));
  if (control == nullptr) {
    std::cerr << "docs_screens: no control " << id << " in " << window->windowTitle().toStdString() << "\n";
    std::exit(1);
  }
  return control;
}

void Click(const QWidget* window, int id) { Find<QAbstractButton>(window, id)->click(); }

void Type(const QWidget* window, int id, const QString& text) {
  auto* edit = Find<QLineEdit>(window, id);
  edit->setText(text);
  emit edit->textEdited(text);
}

class Pictures {
 public:
  explicit Pictures(fs::path out) : out_(std::move(out)) {}

  void Save(QWidget* window, const std::string& name) {
    Wait(150);
    const fs::path file = out_ / name;
    fs::create_directories(file.parent_path());
    if (!window->grab().save(QString::fromStdString(file.string()), "PNG")) {
      std::cerr << "docs_screens: unable to write " << file << "\n";
      std::exit(1);
    }
    std::cout << file.string() << "  (" << window->windowTitle().toStdString() << ")\n";
  }

  // A picture drawn here rather than grabbed from a window.
  void SaveImage(const QImage& image, const std::string& name, const std::string& what) {
    const fs::path file = out_ / name;
    fs::create_directories(file.parent_path());
    if (!image.save(QString::fromStdString(file.string()), "PNG")) {
      std::cerr << "docs_screens: unable to write " << file << "\n";
      std::exit(1);
    }
    std::cout << file.string() << "  (" << what << ")\n";
  }

  // For dialogs that set themselves up in exec(): `act` runs once the dialog
  // is open and must close it.
  void WhileOpen(QDialog& dialog, std::function<void(QDialog&)> act) {
    QTimer::singleShot(100, &dialog, [&dialog, act] { act(dialog); });
    dialog.exec();
  }

 private:
  fs::path out_;
};

std::vector<fs::path> LeagueTeams(const fs::path& folder) {
  std::vector<fs::path> teams;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".dat") teams.push_back(entry.path());
  }
  std::sort(teams.begin(), teams.end());
  return teams;
}

// All 64 play pictures at twice their size, a slot to a row (run slots 1..4,
// then pass slots 1..4), each with its picture id, on a dark ground with the
// key colour left out as the buttons leave it out.
void PlayContactSheet(Pictures& pictures) {
  constexpr int kScale = 2, kCellWidth = 50 * kScale + 8, kCellHeight = 74 * kScale + 20;
  QImage sheet(8 * kCellWidth + 8, 8 * kCellHeight + 8, QImage::Format_RGB32);
  sheet.fill(QColor(0x30, 0x30, 0x30));
  QPainter painter(&sheet);
  painter.setPen(Qt::white);
  int row = 0;
  for (qgu::editors::PlayKind kind : {qgu::editors::PlayKind::kRun, qgu::editors::PlayKind::kPass}) {
    const auto& table = qgu::editors::PlayTable(kind);
    for (size_t index = 0; index < table.size(); ++index) {
      const int column = static_cast<int>(index % 8);
      const QPoint at(8 + column * kCellWidth, 8 + (row + static_cast<int>(index / 8)) * kCellHeight);
      QImage picture = qgu::editors::PlayPicture(table[index].pictureId).convertToFormat(QImage::Format_ARGB32);
      for (int y = 0; y < picture.height(); ++y) {  // the key colour drawn as the button would: not at all
        for (int x = 0; x < picture.width(); ++x) {
          if ((picture.pixel(x, y) & 0xFFFFFF) == qgu::editors::kPlayPictureKeyColour) picture.setPixel(x, y, 0);
        }
      }
      painter.drawImage(QRect(at, picture.size() * kScale), picture);
      painter.drawText(QRect(at.x(), at.y() + 74 * kScale, 50 * kScale, 18), Qt::AlignCenter,
                       QString::number(table[index].pictureId));
    }
    row += 4;
  }
  painter.end();
  pictures.SaveImage(sheet, "editors/play-pictures.png", "the 64 play pictures");
}

void EditorPictures(Pictures& pictures, const fs::path& league) {
  PlayContactSheet(pictures);
  const fs::path team = LeagueTeams(league).front();
  const qgu::league::TeamRecord record = qgu::league::ReadTeamRecordFile(team).value();
  {
    qgu::editors::CEditTeamDlg editor(league);
    Find<QComboBox>(&editor, 231)->setCurrentIndex(3);
    editor.show();
    pictures.Save(&editor, "editors/team-editor-browse.png");
    Click(&editor, 259);
    Find<QCheckBox>(&editor, 319)->click();
    pictures.Save(&editor, "editors/team-editor-edit.png");
    Click(&editor, 3);
  }
  {
    qgu::editors::CChangePlayDlg plays(1, qgu::editors::PlayKind::kRun, 7);
    plays.show();
    pictures.Save(&plays, "editors/change-play-run-2.png");
  }
  {
    qgu::editors::CChangePlayDlg plays(3, qgu::editors::PlayKind::kPass, 2);
    plays.show();
    pictures.Save(&plays, "editors/change-play-pass-4.png");
  }
  {
    const qgu::league::TeamHeader& h = record.header;
    qgu::editors::CEditColorsDlg colours({h.primaryPantsColour, h.primaryJerseyColour, h.secondaryPantsColour,
                                          h.secondaryJerseyColour, h.primarySkinColour, h.secondarySkinColour});
    colours.show();
    pictures.Save(&colours, "editors/edit-colors.png");
  }
  {
    qgu::editors::CEditColorsDlg white({0x30, 0x30, 0x0F, 0x30, 0x16, 0x0F});
    white.show();
    pictures.Save(&white, "editors/edit-colors-white-uniform.png");
  }
  for (const auto& [row, name] : {std::pair{0, "editors/player-editor-quarterback.png"},
                                  std::pair{13, "editors/player-editor-lineman.png"}}) {
    qgu::editors::CEditPlayerDlg players(team, record.header.kickReturner, record.header.puntReturner);
    Find<QListWidget>(&players, qgu::editors::CEditPlayerDlg::kPositionListId)->setCurrentRow(row);
    players.show();
    Click(&players, qgu::editors::CEditPlayerDlg::kEditId);
    pictures.Save(&players, name);
    Click(&players, qgu::editors::CEditPlayerDlg::kCancelId);
  }
  {
    qgu::editors::CNewTeamDlg created(league);
    Type(&created, 232, "GLASSWATER");
    Type(&created, 233, "HERONS");
    Type(&created, 234, "G.W.");
    Find<QComboBox>(&created, 260)->setCurrentIndex(0);
    Find<QListWidget>(&created, 277)->setCurrentRow(6);
    Type(&created, 298, "ada");
    Type(&created, 299, "WREN");
    created.show();
    pictures.Save(&created, "editors/new-team.png");
  }
}

void MainMenuPictures(Pictures& pictures) {
  qgu::bench::IdleHelper helper;
  qgu::toolserver::CMainMenuDlg menu(helper);
  menu.show();
  pictures.Save(&menu, "toolserver/main-menu-main.png");
  Click(&menu, 1000);  // P L A Y
  Wait(900);
  pictures.Save(&menu, "toolserver/main-menu-play.png");
  Click(&menu, 1008);  // B a c k
  Wait(900);
  Click(&menu, 1002);  // M A N A G E
  Wait(900);
  pictures.Save(&menu, "toolserver/main-menu-manage.png");
  Click(&menu, 1015);  // music off
  menu.hide();
}

void ImportPictures(Pictures& pictures, const fs::path& base, const qgu::league::CartridgeTeams& teams) {
  const fs::path image = base / "quozi.nes";
  {
    qgu::toolserver::CTeamImportDlg import(teams, image, base, nullptr);
    for (int team : {1, 3, 12, 20}) Find<QCheckBox>(&import, 1003 + team)->setChecked(true);
    import.show();
    pictures.Save(&import, "toolserver/team-import.png");
  }
  qgu::toolserver::ImportJob job;
  job.teams = &teams;
  job.selection = {1, 3};
  job.image = image;
  {
    qgu::toolserver::CLeagueDataDlg leagues(qgu::toolserver::CLeagueDataDlg::Mode::kImport, base, &job);
    pictures.WhileOpen(leagues, [&pictures](QDialog& d) {
      pictures.Save(&d, "toolserver/league-data-import.png");
      d.reject();
    });
  }
  {
    qgu::toolserver::CLeagueDataDlg leagues(qgu::toolserver::CLeagueDataDlg::Mode::kEdit, base);
    pictures.WhileOpen(leagues, [&pictures](QDialog& d) {
      Find<QListWidget>(&d, 209)->setCurrentRow(0);
      pictures.Save(&d, "toolserver/league-data-edit.png");
      d.reject();
    });
  }
  {
    qgu::toolserver::CNewLeagueDlg named;
    Find<QLineEdit>(&named, 1037)->setText("COASTAL LEAGUE");
    named.show();
    pictures.Save(&named, "toolserver/new-league.png");
  }
  {
    qgu::toolserver::CDuplicateDlg duplicate(teams[3].record.header);
    duplicate.show();
    pictures.Save(&duplicate, "toolserver/duplicate.png");
  }
}

void ReportPicture(Pictures& pictures, const fs::path& league) {
  const std::vector<fs::path> teams = LeagueTeams(league);
  qgu::driver::CGameManager manager(qgu::cartridge::EmbeddedCartridgeImage(),
                                    std::make_unique<qgu::driver::CSeededRandom>(2024));
  manager.SetHomePath(teams[0].string());
  manager.SetAwayPath(teams[9].string());
  manager.SetQuarterLength(5);
  manager.SetControls(qgu::driver::kControlCom, qgu::driver::kControlCom);
  if (!manager.PrepareGame()) {
    std::cerr << "docs_screens: " << manager.PrepareError() << "\n";
    std::exit(1);
  }
  const qgu::driver::HeadlessGameResult game = qgu::driver::PlayHeadlessGame(manager, {});
  if (!game.summary) {
    std::cerr << "docs_screens: the game ended without a summary: " << game.error << "\n";
    std::exit(1);
  }
  qgu::toolserver::CEogReportDlg report(game.summary->homeStats, game.summary->awayStats, game.summary->homeScore,
                                        game.summary->awayScore);
  report.show();
  pictures.Save(&report, "toolserver/report.png");
}

void AboutPictures(Pictures& pictures) {
  {
    qgu::toolserver::CHelperAboutDlg about;
    about.show();
    Wait(2500);  // the rain fills the box
    pictures.Save(&about, "toolserver/about-qghelper.png");
  }
  {
    qgu::frontend::CAboutDlg about;
    about.show();
    Wait(2500);
    pictures.Save(&about, "toolserver/about-qgu2.png");
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  QApplication application(argc, argv);
  if (argc != 2) {
    std::cerr << "usage: docs_screens DOCS_FOLDER   (writes DOCS_FOLDER/editors/*.png and toolserver/*.png)\n";
    return 2;
  }
  const fs::path out = fs::absolute(argv[1]);
  // A fixed scratch folder, so the paths the import dialogs show are the same on every run.
  const fs::path base = fs::temp_directory_path() / "qgu-docs-screens";
  std::error_code stale;
  fs::remove_all(base, stale);
  fs::create_directories(base);
  fs::current_path(base);
  const auto image = qgu::cartridge::EmbeddedCartridgeImage();
  const auto league = qgu::league::EnsureDefaultLeague(base, image);
  if (!league) {
    std::cerr << "docs_screens: " << league.error() << "\n";
    return 1;
  }
  const auto teams = qgu::league::ExtractCartridgeTeams(image).value();
  qgu::bench::SilentWaves silent;
  qgu::toolserver::SetWavePlayer(&silent);

  Pictures pictures(out);
  EditorPictures(pictures, league.value().folder);
  MainMenuPictures(pictures);
  ImportPictures(pictures, base, teams);
  ReportPicture(pictures, league.value().folder);
  AboutPictures(pictures);

  qgu::toolserver::SetWavePlayer(nullptr);
  fs::current_path(out);
  std::error_code ignored;
  fs::remove_all(base, ignored);
  return 0;
}
