// The summary dialog shows the box score of the two statistics strings it is
// given: team names and scores by control id, the table line by line.

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "driver/box_score.h"
#include "driver/team_stats.h"
#include "frontend/window/summary_dlg.h"
#include "tests/support/gui_test_support.h"

namespace qgu::frontend {
namespace {

using testing::Control;

void SetPassing(driver::StatLine& line, int cmp, int att, int yds, int td, int ints) {
  line.counters[driver::kStatCompletions] = cmp;
  line.counters[driver::kStatPassAttempts] = att;
  line.counters[driver::kStatPassYards] = yds;
  line.counters[driver::kStatPassTouchdowns] = td;
  line.counters[driver::kStatInterceptionsThrown] = ints;
}

std::string HomeStats() {
  driver::TeamStatLines lines;
  for (auto& line : lines) line.team = "GRIFFINS";
  lines[0].name = "NAME";
  SetPassing(lines[0], 10, 20, 150, 1, 1);
  lines[1].name = "joeSMITH";
  SetPassing(lines[1], 20, 20, 400, 4, 0);
  // The writer keeps names to 18 characters; a string from elsewhere may hold
  // 20, which moves that line's columns four places right.
  std::string text = driver::FormatTeamStats(lines);
  return text.replace(text.find("|NAME|"), 6, "|bartholomewWINTERSON|");
}

TEST(SummaryDlgTest, ShowsBothTeamsScoresAndTables) {
  const driver::GameSummary summary{HomeStats(), "", "24", "7"};
  CSummaryDlg dialog(nullptr, summary);
  EXPECT_EQ(dialog.windowTitle(), "Summary");
  EXPECT_EQ(Control<QLabel>(&dialog, CSummaryDlg::kHomeTeamName)->text(), "GRIFFINS");
  EXPECT_EQ(Control<QLabel>(&dialog, CSummaryDlg::kAwayTeamName)->text(), "");
  EXPECT_EQ(Control<QLabel>(&dialog, CSummaryDlg::kHomeScore)->text(), "24");
  EXPECT_EQ(Control<QLabel>(&dialog, CSummaryDlg::kAwayScore)->text(), "7");
  EXPECT_TRUE(QFontInfo(Control<QListWidget>(&dialog, CSummaryDlg::kStatisticsList)->font()).fixedPitch());

  const QStringList lines = dialog.TableLines();
  ASSERT_GE(lines.size(), 6);
  EXPECT_EQ(lines[0], "GRIFFINS OFFENSE");
  EXPECT_EQ(lines[4], "bartholomewWINTERSON    10    20   150   1   1  70.8");
  EXPECT_EQ(lines[5], "joeSMITH            20    20   400   4   0 158.3");
  // An empty statistics string still lists the starter, the kicker and the punter, all zero.
  EXPECT_TRUE(lines.contains(" OFFENSE"));
  EXPECT_TRUE(lines.contains("                     0     0     0   0   0   0.0"));
  EXPECT_TRUE(lines.contains("                     0   0.0"));

  QStringList expected;
  for (const auto& [stats, score] : {std::pair{summary.homeStats, summary.homeScore}, {summary.awayStats, summary.awayScore}}) {
    for (const std::string& line : driver::TeamTableLines(driver::MakeTeamBoxScore(driver::ParseTeamStats(stats), score))) {
      expected << QString::fromStdString(line);
    }
  }
  EXPECT_EQ(lines, expected);

  dialog.show();
  Control<QPushButton>(&dialog, CSummaryDlg::kDoneButton)->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace qgu::frontend
