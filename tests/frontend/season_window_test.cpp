// The season dialogs and the season window on the offscreen platform, by
// control id: the create dialog's refusals (it stays open, nothing is
// written), a sim cancelled part way that keeps every finished game and then
// plays on to a champion, the tabs showing what the season library derives
// from the journal, a played game's box score, and a person's game in the
// game window going into the journal from the summary's capture.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <algorithm>
#include <memory>
#include <set>

#include "cartridge/builder/embedded_image.h"
#include "frontend/window/game_session.h"
#include "frontend/window/qgu_dlg.h"
#include "frontend/window/season_create_dlg.h"
#include "frontend/window/season_select_dlg.h"
#include "frontend/window/season_tabs.h"
#include "frontend/window/season_wnd.h"
#include "frontend/window/summary_dlg.h"
#include "league/default_league.h"
#include "season/season.h"
#include "tests/support/gui_test_support.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/temp_folder.h"

namespace qgu::frontend {
namespace {

namespace fs = std::filesystem;
using testing::Control;
using testing::ProcessUntil;
using testing::WhenModal;

constexpr const char* kLeague = "Small";

class SeasonWindowTest : public ::testing::Test {
 protected:
  // A league of four of the default league's teams.
  void SetUp() override {
    ASSERT_TRUE(league::EnsureDefaultLeague(folder_.path(), cartridge::EmbeddedCartridgeImage()));
    const fs::path from = folder_ / "qgu_lge" / "Quozi League";
    fs::create_directories(LeagueFolder());
    qgu::testing::WriteBytes(LeagueFolder() / "config.lge", "Small\r\r\n");
    for (const char* team : {"AMBE0.dat", "ASHC0.dat", "BRIS0.dat", "CALD0.dat"}) {
      fs::copy_file(from / team, LeagueFolder() / team);
    }
  }
  fs::path LeagueFolder() const { return folder_ / "qgu_lge" / kLeague; }

  // Fills the create dialog: one-minute quarters, two playoff teams.
  static void Fill(CSeasonCreateDlg& dlg, const QString& name, const QString& playoffs = "2") {
    Control<QComboBox>(&dlg, CSeasonCreateDlg::kLeagueList)->setCurrentText(kLeague);
    Control<QLineEdit>(&dlg, CSeasonCreateDlg::kNameEdit)->setText(name);
    Control<QLineEdit>(&dlg, CSeasonCreateDlg::kQuarterEdit)->setText("1");
    Control<QLineEdit>(&dlg, CSeasonCreateDlg::kPlayoffTeamsEdit)->setText(playoffs);
    Control<QLineEdit>(&dlg, CSeasonCreateDlg::kSeedEdit)->setText("7");
  }
  static void Click(QWidget* window, int id) { Control<QPushButton>(window, id)->click(); }

  void CreateSeason(const std::string& name, bool userTeam) {
    season::SeasonRequest request;
    request.name = name;
    request.quarterMinutes = 1;
    request.playoffTeams = 2;
    request.seed = 7;
    if (userTeam) request.userTeams = {"AMBE0.dat"};
    ASSERT_TRUE(season::CreateSeason(LeagueFolder(), request));
  }

  qgu::testing::TempFolder folder_;
  qgu::testing::RecordedMessages messages_;
};

TEST_F(SeasonWindowTest, CreateRefusesBadInputWithItsReasonAndStaysOpenThenCreates) {
  CSeasonCreateDlg dlg(nullptr, folder_.path());
  dlg.show();
  // The league's teams are offered for a person to play.
  auto* teams = Control<QListWidget>(&dlg, CSeasonCreateDlg::kUserTeamList);
  Control<QComboBox>(&dlg, CSeasonCreateDlg::kLeagueList)->setCurrentText(kLeague);
  ASSERT_EQ(teams->count(), 4);

  struct Refusal {
    QString name;
    QString playoffs;
    QString quarter;
    QString divisions;
  };
  const std::string missing = folder_.File("no-such-divisions.txt");
  for (const Refusal& bad : {Refusal{"", "2", "1", ""}, Refusal{"..", "2", "1", ""}, Refusal{"a/b", "2", "1", ""},
                             Refusal{QString(300, 'x'), "2", "1", ""}, Refusal{"Too many", "9", "1", ""},
                             Refusal{"No quarter", "2", "0", ""},
                             Refusal{"No file", "2", "1", QString::fromStdString(missing)}}) {
    messages_.Clear();
    Fill(dlg, bad.name, bad.playoffs);
    Control<QLineEdit>(&dlg, CSeasonCreateDlg::kQuarterEdit)->setText(bad.quarter);
    Control<QLineEdit>(&dlg, CSeasonCreateDlg::kDivisionsEdit)->setText(bad.divisions);
    Click(&dlg, CSeasonCreateDlg::kCreateButton);
    ASSERT_EQ(messages_.Shown().size(), 1u) << bad.name.toStdString();
    EXPECT_FALSE(messages_.Shown()[0].text.empty());
    EXPECT_TRUE(dlg.isVisible()) << bad.name.toStdString();
  }
  EXPECT_NE(messages_.Shown()[0].text.find("no-such-divisions.txt"), std::string::npos);
  auto listed = season::ListSeasons(LeagueFolder());
  ASSERT_TRUE(listed);
  EXPECT_TRUE(listed.value().empty());

  // Good input makes the season, with the ticked team a person's.
  messages_.Clear();
  Fill(dlg, "Spring");
  Control<QLineEdit>(&dlg, CSeasonCreateDlg::kDivisionsEdit)->clear();
  teams->item(0)->setCheckState(Qt::Checked);
  Click(&dlg, CSeasonCreateDlg::kCreateButton);
  EXPECT_TRUE(messages_.Shown().empty()) << messages_.Shown()[0].text;
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.SeasonName(), "Spring");
  auto opened = season::OpenSeason(LeagueFolder(), "Spring");
  ASSERT_TRUE(opened) << opened.error();
  EXPECT_EQ(opened.value().definition.quarterMinutes, 1);
  EXPECT_EQ(opened.value().definition.playoffTeams, 2);
  EXPECT_EQ(opened.value().definition.teams[0].user, true);

  // The same name again is refused.
  CSeasonCreateDlg again(nullptr, folder_.path());
  again.show();
  Fill(again, "Spring");
  Click(&again, CSeasonCreateDlg::kCreateButton);
  ASSERT_EQ(messages_.Shown().size(), 1u);
  EXPECT_TRUE(again.isVisible());
}

TEST_F(SeasonWindowTest, SimCancelledPartWayKeepsItsGamesThenPlaysOnToTheChampionTheTabsShow) {
  CreateSeason("Autumn", false);
  CSeasonWnd wnd(nullptr, LeagueFolder(), "Autumn", cartridge::EmbeddedCartridgeImage(), nullptr);
  wnd.show();
  ASSERT_TRUE(wnd.Season().has_value()) << wnd.StatusText().toStdString();
  const size_t regularGames = wnd.Season()->definition.schedule.size();
  ASSERT_GE(regularGames, 4u);
  auto* progress = Control<QProgressBar>(&wnd, CSeasonWnd::kProgressBar);
  auto* cancel = Control<QPushButton>(&wnd, CSeasonWnd::kCancelButton);
  EXPECT_FALSE(cancel->isEnabled());

  // Cancel after the first game: the window answered all along, the games
  // under way finish, and every finished game is in the journal once.
  Click(&wnd, CSeasonWnd::kSimRegularButton);
  EXPECT_TRUE(wnd.Simulating());
  EXPECT_TRUE(cancel->isEnabled());
  EXPECT_FALSE(Control<QPushButton>(&wnd, CSeasonWnd::kSimWeekButton)->isEnabled());
  ASSERT_TRUE(ProcessUntil([&] { return progress->value() >= 1; }, 120));
  cancel->click();
  ASSERT_TRUE(ProcessUntil([&] { return !wnd.Simulating(); }, 120));
  auto partial = season::OpenSeason(LeagueFolder(), "Autumn");
  ASSERT_TRUE(partial);
  const size_t kept = partial.value().games.size();
  EXPECT_GE(kept, 1u);
  EXPECT_LT(kept, regularGames);
  EXPECT_TRUE(wnd.StatusText().contains("cancelled")) << wnd.StatusText().toStdString();
  EXPECT_EQ(wnd.Season()->games.size(), kept);

  // The rest of the regular season, then the playoffs.
  Click(&wnd, CSeasonWnd::kSimRegularButton);
  ASSERT_TRUE(ProcessUntil([&] { return !wnd.Simulating(); }, 300));
  Click(&wnd, CSeasonWnd::kSimPlayoffsButton);
  ASSERT_TRUE(ProcessUntil([&] { return !wnd.Simulating(); }, 300));
  const season::Season& played = *wnd.Season();
  std::set<int> ids;
  for (const season::GameRecord& game : played.games) EXPECT_TRUE(ids.insert(game.id).second) << game.id;
  EXPECT_EQ(ids.size(), regularGames + 1);  // two playoff teams: one final

  // Standings: the rows as the library ranks them.
  auto* standings = Control<QTreeWidget>(&wnd, CSeasonWnd::kStandingsTree);
  const std::vector<season::StandingsGroup> groups = season::Standings(played);
  ASSERT_EQ(standings->topLevelItemCount(), static_cast<int>(groups.size()));
  const QTreeWidgetItem* table = standings->topLevelItem(0);
  ASSERT_EQ(table->childCount(), 4);
  for (int row = 0; row < 4; ++row) {
    const season::StandingRow& expected = groups[0].rows[static_cast<size_t>(row)];
    EXPECT_EQ(table->child(row)->text(0), TeamName(played, expected.team));
    EXPECT_EQ(table->child(row)->text(1), QString("%1-%2-%3")
                                              .arg(expected.record.wins)
                                              .arg(expected.record.losses)
                                              .arg(expected.record.ties));
    EXPECT_EQ(table->child(row)->text(3).toInt(), expected.pointsFor);
  }
  // Leaders: the passing table's leader.
  auto* leaders = Control<QTreeWidget>(&wnd, CSeasonWnd::kLeadersTree);
  const season::Leaders expectedLeaders = season::SeasonLeaders(played);
  ASSERT_GE(leaders->topLevelItemCount(), 1);
  ASSERT_FALSE(expectedLeaders.tables[0].rows.empty());
  EXPECT_EQ(leaders->topLevelItem(0)->child(1)->text(0), QString::fromStdString(expectedLeaders.tables[0].rows[0].name));
  // Playoffs: the champion.
  const season::Bracket bracket = season::SeasonBracket(played);
  ASSERT_TRUE(bracket.champion.has_value());
  EXPECT_EQ(Control<QLabel>(&wnd, CSeasonWnd::kChampionLabel)->text(), "Champion: " + TeamName(played, *bracket.champion));

  // A played game's box score on a double click, from the journal's strings.
  auto* schedule = Control<QTreeWidget>(&wnd, CSeasonWnd::kScheduleTree);
  QTreeWidgetItem* first = schedule->topLevelItem(0)->child(0);
  const int firstId = first->data(0, kGameIdRole).toInt();
  QString shownHome;
  WhenModal<CSummaryDlg>([&](CSummaryDlg& summary) {
    shownHome = Control<QLabel>(&summary, CSummaryDlg::kHomeScore)->text();
    summary.accept();
  });
  emit schedule->itemDoubleClicked(first, 0);
  for (const season::GameRecord& game : played.games) {
    if (game.id == firstId) {
      EXPECT_EQ(shownHome, QString::number(game.homeScore));
    }
  }
  EXPECT_TRUE(messages_.Shown().empty()) << messages_.Shown()[0].text;
}

TEST_F(SeasonWindowTest, MenuOpensTheSeasonAndAPersonsGameGoesIntoTheJournalFromItsSummary) {
  CreateSeason("Winter", true);
  WindowOptions options;
  options.configFile = folder_ / "qgu.ini";
  options.base = folder_.path();
  options.image = cartridge::EmbeddedCartridgeImage();
  options.seed = 5;
  options.makeClock = [] { return std::make_unique<host::CUnpacedFrameClock>(); };
  CQguDlg dlg(options);
  dlg.show();

  // Select Season lists the league's seasons and opens the window.
  WhenModal<CSeasonSelectDlg>([](CSeasonSelectDlg& select) {
    Control<QComboBox>(&select, CSeasonSelectDlg::kLeagueList)->setCurrentText(kLeague);
    ASSERT_EQ(Control<QListWidget>(&select, CSeasonSelectDlg::kSeasonList)->count(), 1);
    Control<QPushButton>(&select, CSeasonSelectDlg::kOpenButton)->click();
  });
  dlg.Menu().Action(CMainMenu::kSelectSeason)->trigger();
  CSeasonWnd* wnd = dlg.SeasonWindow();
  ASSERT_NE(wnd, nullptr);
  ASSERT_TRUE(wnd->Season().has_value());
  const std::optional<season::GameSetup> next = season::NextUserGame(*wnd->Season());
  ASSERT_TRUE(next.has_value());

  // Play my next game: the person's side MAN, the other COM, in the game window.
  Click(wnd, CSeasonWnd::kPlayNextButton);
  ASSERT_NE(dlg.Session(), nullptr);
  EXPECT_TRUE(dlg.Session()->Running());
  EXPECT_EQ(dlg.Manager().ControlByte(), next->homeIsUser ? 0x02 : 0x20);
  EXPECT_FALSE(Control<QPushButton>(wnd, CSeasonWnd::kPlayNextButton)->isEnabled());

  // The end of the game hands the summary over: the same capture goes into
  // the journal before the summary shows, even with the season window gone.
  wnd->close();
  QApplication::processEvents();
  const driver::GameSummary summary{"", "", "21", "14"};
  WhenModal<CSummaryDlg>([](CSummaryDlg& shown) { shown.accept(); });
  dlg.ShowSummary(summary);
  auto recorded = season::OpenSeason(LeagueFolder(), "Winter");
  ASSERT_TRUE(recorded) << recorded.error();
  ASSERT_EQ(recorded.value().games.size(), 1u);
  EXPECT_EQ(recorded.value().games[0].id, next->id);
  EXPECT_EQ(recorded.value().games[0].homeScore, 21);
  EXPECT_EQ(recorded.value().games[0].awayScore, 14);
  dlg.Menu().Action(CMainMenu::kStop)->trigger();

  // A single game from the menu afterwards records nothing.
  GameRequest single;
  single.home = (LeagueFolder() / "AMBE0.dat").string();
  single.away = (LeagueFolder() / "ASHC0.dat").string();
  ASSERT_TRUE(dlg.StartRequestedGame(single));
  WhenModal<CSummaryDlg>([](CSummaryDlg& shown) { shown.accept(); });
  dlg.ShowSummary(summary);
  dlg.Menu().Action(CMainMenu::kStop)->trigger();
  EXPECT_EQ(season::OpenSeason(LeagueFolder(), "Winter").value().games.size(), 1u);
}

TEST_F(SeasonWindowTest, ClosingTheSeasonWindowOrExitingDuringASimLosesNothing) {
  CreateSeason("Summer", false);
  WindowOptions options;
  options.configFile = folder_ / "qgu.ini";
  options.base = folder_.path();
  options.image = cartridge::EmbeddedCartridgeImage();
  auto dlg = std::make_unique<CQguDlg>(options);
  dlg->show();
  auto sim = [&] {
    dlg->OpenSeasonWindow(kLeague, "Summer");
    CSeasonWnd* wnd = dlg->SeasonWindow();
    EXPECT_NE(wnd, nullptr);
    Click(wnd, CSeasonWnd::kSimRegularButton);
    EXPECT_TRUE(wnd->Simulating());
    return wnd;
  };
  auto journal = [&] {
    auto opened = season::OpenSeason(LeagueFolder(), "Summer");
    EXPECT_TRUE(opened) << opened.error();
    EXPECT_TRUE(opened.value().notices.empty()) << opened.value().notices[0];
    std::set<int> ids;
    for (const season::GameRecord& game : opened.value().games) EXPECT_TRUE(ids.insert(game.id).second);
    return ids;
  };

  // Closed mid-sim, once a game is in: gone from the screen at once, deleted
  // once the games under way are in the journal. (A close before the first
  // game ends may rightly keep none, so the test waits for one.)
  CSeasonWnd* wnd = sim();
  auto* bar = Control<QProgressBar>(wnd, CSeasonWnd::kProgressBar);
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(ProcessUntil([&] { return bar->value() >= 1; }, 120));
  wnd->close();
  EXPECT_FALSE(wnd->isVisible());
  ASSERT_TRUE(ProcessUntil([&] { return dlg->SeasonWindow() == nullptr; }, 120));
  const std::set<int> afterClose = journal();
  EXPECT_GE(afterClose.size(), 1u);

  // File -> Exit mid-sim, and the program ends: every game that finished is kept.
  sim();
  dlg->Menu().Action(CMainMenu::kExit)->trigger();
  dlg.reset();
  const std::set<int> afterExit = journal();
  EXPECT_TRUE(std::includes(afterExit.begin(), afterExit.end(), afterClose.begin(), afterClose.end()));

  // The next sim plays on from there to the end of the regular season.
  CSeasonWnd again(nullptr, LeagueFolder(), "Summer", cartridge::EmbeddedCartridgeImage(), nullptr);
  Click(&again, CSeasonWnd::kSimRegularButton);
  ASSERT_TRUE(ProcessUntil([&] { return !again.Simulating(); }, 300));
  EXPECT_EQ(journal().size(), again.Season()->definition.schedule.size());
  EXPECT_TRUE(messages_.Shown().empty()) << messages_.Shown()[0].text;
}

}  // namespace
}  // namespace qgu::frontend
