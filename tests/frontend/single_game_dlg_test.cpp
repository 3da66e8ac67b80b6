// The single game dialog driven by its control ids over scratch league folders.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "frontend/single_game_dlg.h"
#include "frontend/up_down_ctrl.h"
#include "tests/support/gui_test_support.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/temp_folder.h"

namespace qgu::frontend {
namespace {

namespace fs = std::filesystem;
using testing::Control;
using Dlg = CSingleGameDlg;

// A team file whose first line is all the dialog reads.
void WriteTeam(const fs::path& league, const std::string& file, const std::string& city, const std::string& nickname) {
  fs::create_directories(league);
  qgu::testing::WriteBytes(league / file, city + "\x01" + nickname + "\x01" + "ABC\x01\r\r\n");
}

class SingleGameDlgTest : public ::testing::Test {
 protected:
  fs::path Leagues() const { return folder_.path() / "qgu_lge"; }

  // Shows the dialog and lets a refused set-up close it.
  void Open(Dlg& dialog) {
    dialog.show();
    QCoreApplication::processEvents();
  }
  void ChooseLeague(Dlg& dialog, int listId, const QString& league) {
    auto* list = Control<QComboBox>(&dialog, listId);
    list->setCurrentIndex(list->findText(league));
  }
  void ChooseTeam(Dlg& dialog, int listId, const QString& team) {
    auto* list = Control<QListWidget>(&dialog, listId);
    const auto found = list->findItems(team, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << team.toStdString();
    list->setCurrentItem(found.front());
  }
  QStringList Teams(Dlg& dialog, int listId) {
    QStringList names;
    auto* list = Control<QListWidget>(&dialog, listId);
    for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
    return names;
  }
  void Click(Dlg& dialog, int id) { Control<QAbstractButton>(&dialog, id)->click(); }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Message& m : messages_.Shown()) {
      EXPECT_EQ(m.title, "QgUltra");
      EXPECT_EQ(m.icon, MessageIcon::kStop);
      texts.push_back(m.text);
    }
    return texts;
  }

  qgu::testing::TempFolder folder_;
  qgu::testing::RecordedMessages messages_;
};

TEST_F(SingleGameDlgTest, RefusedSetUpsSayWhyAndClose) {
  struct Case {
    const char* name;
    std::function<void(const fs::path& base)> make;
    const char* message;
  };
  const Case cases[] = {
      {"no league", [](const fs::path&) {}, "There are no teams available"},
      {"leagues folder cannot be made", [](const fs::path& base) { qgu::testing::WriteBytes(base, "a file"); },
       "Unable to find leagues directory!!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.Clear();
    const fs::path base = folder_.path() / c.name;
    if (std::string(c.name) == "no league") fs::create_directories(base);
    c.make(base);
    Dlg dialog(nullptr, kGameProgramWeatherIds, base);
    Open(dialog);
    EXPECT_EQ(Texts(), std::vector<std::string>{c.message});
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.HomeTeam().empty() && dialog.AwayTeam().empty());
  }
}

TEST_F(SingleGameDlgTest, PlayChecksQuarterLengthThenBothTeams) {
  WriteTeam(Leagues() / "North", "A0.dat", "ASHFORD", "ANTS");
  WriteTeam(Leagues() / "North", "B0.dat", "BRAMBLE", "BEES");
  Dlg dialog(nullptr, kGameProgramWeatherIds, folder_.path());
  Open(dialog);
  auto* quarter = Control<QLineEdit>(&dialog, Dlg::kQuarterLengthEdit);
  EXPECT_EQ(quarter->text(), "5");
  EXPECT_EQ(quarter->maxLength(), 2);

  struct Case {
    const char* quarter;
    bool chooseTeams;
    const char* refusal;  // nullptr: played
  };
  const Case cases[] = {
      {"0", true, "Quarter length must be gretaer than zero."},
      {"", true, "Quarter length must be gretaer than zero."},
      {"1", false, "You must select both HOME and AWAY teams."},
      {"99", false, "You must select both HOME and AWAY teams."},
  };
  ChooseLeague(dialog, Dlg::kHomeLeagueList, "North");
  ChooseLeague(dialog, Dlg::kAwayLeagueList, "North");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("quarter \"") + c.quarter + "\"");
    messages_.Clear();
    quarter->setText(c.quarter);
    Control<QListWidget>(&dialog, Dlg::kHomeTeamList)->setCurrentRow(c.chooseTeams ? 0 : -1);
    Click(dialog, Dlg::kPlayButton);
    EXPECT_EQ(Texts(), std::vector<std::string>{c.refusal});
    EXPECT_TRUE(dialog.isVisible());
  }

  // The same team may play both sides; the paths start with the base folder.
  messages_.Clear();
  quarter->setText("12");
  ChooseTeam(dialog, Dlg::kHomeTeamList, "BRAMBLE BEES");
  ChooseTeam(dialog, Dlg::kAwayTeamList, "BRAMBLE BEES");
  Control<QRadioButton>(&dialog, Dlg::kP1Com)->click();
  Control<QRadioButton>(&dialog, Dlg::kP2Coa)->click();
  Control<QRadioButton>(&dialog, kGameProgramWeatherIds.snow)->click();
  Click(dialog, Dlg::kPlayButton);
  EXPECT_TRUE(messages_.Shown().empty());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const std::string expected = (folder_.path() / "qgu_lge" / "North" / "B0.dat").string();
  EXPECT_EQ(dialog.HomeTeam(), expected);
  EXPECT_EQ(dialog.AwayTeam(), expected);
  EXPECT_EQ(dialog.QuarterLengthText(), "12");
  EXPECT_EQ(dialog.HomeControl(), Dlg::kCom);
  EXPECT_EQ(dialog.AwayControl(), Dlg::kCoa);
  EXPECT_EQ(dialog.WeatherChoice(), Dlg::kSnow);
}

// Names that are not UTF-8 (Latin-1 bytes here) reach the game as the very
// bytes the folder holds, league folder and team file alike.
TEST_F(SingleGameDlgTest, PathsThatAreNotUtf8AreReturnedAsTheirBytes) {
  const std::string league = "Nord\xE9";
  const std::string file = "\xC9T\xC9" "0.dat";
  WriteTeam(Leagues() / league, file, "\xC9TANG", "OIES");
  Dlg dialog(nullptr, kGameProgramWeatherIds, folder_.path());
  Open(dialog);
  for (int list : {Dlg::kHomeLeagueList, Dlg::kAwayLeagueList}) {
    Control<QComboBox>(&dialog, list)->setCurrentIndex(0);
    Control<QListWidget>(&dialog, list == Dlg::kHomeLeagueList ? Dlg::kHomeTeamList : Dlg::kAwayTeamList)
        ->setCurrentRow(0);
  }
  Click(dialog, Dlg::kPlayButton);
  EXPECT_TRUE(messages_.Shown().empty());
  const fs::path expected = Leagues() / league / file;
  EXPECT_EQ(dialog.HomeTeam(), expected.string());
  EXPECT_EQ(dialog.AwayTeam(), expected.string());
  EXPECT_TRUE(fs::exists(fs::path(dialog.HomeTeam())));
}

TEST_F(SingleGameDlgTest, QuitAfterARefusedPlayLeavesNoTeams) {
  WriteTeam(Leagues() / "North", "A0.dat", "ASHFORD", "ANTS");
  Dlg dialog(nullptr, kToolServerWeatherIds, folder_.path());
  Open(dialog);
  EXPECT_NE(Control<QRadioButton>(&dialog, kToolServerWeatherIds.rain), nullptr);
  EXPECT_EQ(dialog.HomeControl(), Dlg::kMan);
  EXPECT_EQ(dialog.AwayControl(), Dlg::kCom);
  ChooseLeague(dialog, Dlg::kHomeLeagueList, "North");
  ChooseTeam(dialog, Dlg::kHomeTeamList, "ASHFORD ANTS");
  Click(dialog, Dlg::kPlayButton);
  EXPECT_EQ(Texts(), std::vector<std::string>{"You must select both HOME and AWAY teams."});
  Click(dialog, Dlg::kQuitButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_TRUE(dialog.HomeTeam().empty());
  EXPECT_TRUE(dialog.AwayTeam().empty());
}

TEST_F(SingleGameDlgTest, ChoosingALeagueRefillsOnlyThatSide) {
  WriteTeam(Leagues() / "North", "A0.dat", "ASHFORD", "ANTS");
  WriteTeam(Leagues() / "North", "Z0.dat", "ZEALAND", "ZEBRAS");
  WriteTeam(Leagues() / "South", "C0.dat", "COVE", "CRABS");
  fs::create_directories(Leagues() / "Empty");
  qgu::testing::WriteBytes(Leagues() / "North" / "notes.txt", "not a team");
  Dlg dialog(nullptr, kGameProgramWeatherIds, folder_.path());
  Open(dialog);
  // Every folder is a league here, with or without config.lge; no team until one is chosen.
  EXPECT_EQ(Control<QComboBox>(&dialog, Dlg::kHomeLeagueList)->count(), 3);
  EXPECT_TRUE(Teams(dialog, Dlg::kHomeTeamList).isEmpty());

  ChooseLeague(dialog, Dlg::kHomeLeagueList, "North");
  ChooseLeague(dialog, Dlg::kAwayLeagueList, "North");
  ChooseTeam(dialog, Dlg::kAwayTeamList, "ZEALAND ZEBRAS");
  EXPECT_EQ(Teams(dialog, Dlg::kHomeTeamList), (QStringList{"ASHFORD ANTS", "ZEALAND ZEBRAS"}));

  ChooseLeague(dialog, Dlg::kHomeLeagueList, "South");
  EXPECT_EQ(Teams(dialog, Dlg::kHomeTeamList), QStringList{"COVE CRABS"});
  EXPECT_EQ(Teams(dialog, Dlg::kAwayTeamList), (QStringList{"ASHFORD ANTS", "ZEALAND ZEBRAS"}));
  EXPECT_EQ(Control<QListWidget>(&dialog, Dlg::kAwayTeamList)->currentItem()->text(), "ZEALAND ZEBRAS");
  EXPECT_TRUE(messages_.Shown().empty());

  // A league without a readable team says so and the dialog stays.
  ChooseLeague(dialog, Dlg::kHomeLeagueList, "Empty");
  EXPECT_EQ(Texts(), std::vector<std::string>{"There are no teams available"});
  EXPECT_TRUE(Teams(dialog, Dlg::kHomeTeamList).isEmpty());
  EXPECT_TRUE(dialog.isVisible());
}

TEST_F(SingleGameDlgTest, UpDownKeepsTheQuarterWithinOneToNinetyNine) {
  WriteTeam(Leagues() / "North", "A0.dat", "ASHFORD", "ANTS");
  Dlg dialog(nullptr, kGameProgramWeatherIds, folder_.path());
  Open(dialog);
  auto* quarter = Control<QLineEdit>(&dialog, Dlg::kQuarterLengthEdit);
  auto* upDown = Control<CUpDownCtrl>(&dialog, Dlg::kQuarterLengthUpDown);
  const struct {
    const char* start;
    int steps;
    const char* after;
  } cases[] = {{"5", 1, "6"}, {"98", 3, "99"}, {"2", -5, "1"}, {"", 1, "1"}, {"", -1, "99"}};
  for (const auto& c : cases) {
    quarter->setText(c.start);
    upDown->StepBy(c.steps);
    EXPECT_EQ(quarter->text(), c.after) << c.start << " by " << c.steps;
  }
  upDown->UpButton()->click();
  EXPECT_EQ(quarter->text(), "99");
  upDown->DownButton()->click();
  EXPECT_EQ(quarter->text(), "98");
}

}  // namespace
}  // namespace qgu::frontend
