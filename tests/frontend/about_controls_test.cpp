// The about boxes' pictures, stepped by hand instead of by their clocks: the
// text rain's messages and columns, the credits' crawl and stars.

#include <QLabel>
#include <gtest/gtest.h>

#include "frontend/about_dlg.h"
#include "frontend/credits_ctrl.h"
#include "frontend/text_rain_ctrl.h"
#include "tests/support/gui_test_support.h"

namespace qgu::frontend {
namespace {

TEST(TextRainCtrlTest, SpellsEachMessageInTurnThenStartsAgain) {
  CTextRainCtrl rain(nullptr, "ONE, TWO", 1);
  ASSERT_EQ(rain.Messages(), (QStringList{"ONE", "TWO"}));
  for (QChar ch : rain.ShownMessage()) EXPECT_TRUE(CTextRainCtrl::kSymbols.contains(ch));

  QStringList spelled;  // each message as it stands when it is whole
  int lastIndex = -1;
  for (int step = 0; step < 5000 && spelled.size() < 3; ++step) {
    rain.SettleStep();
    rain.FlickerStep();
    if (rain.ShownMessage() == rain.Messages()[rain.MessageIndex()] && rain.MessageIndex() != lastIndex) {
      spelled << rain.ShownMessage();
      lastIndex = rain.MessageIndex();
    }
  }
  EXPECT_EQ(spelled, (QStringList{"ONE", "TWO", "ONE"}));
  EXPECT_EQ(CTextRainCtrl(nullptr).Messages(), QStringList{"What is the Matrix?"});
}

TEST(TextRainCtrlTest, ColumnsFillTheWidthWithRunsOfFiveToFifteen) {
  CTextRainCtrl rain(nullptr, kTextRainMessage, 2);
  rain.resize(300, 200);
  ASSERT_GE(rain.Columns().size(), 10u);
  for (int step = 0; step < 200; ++step) {
    rain.FallStep();
    for (const auto& column : rain.Columns()) {
      ASSERT_GE(column.run.size(), CTextRainCtrl::kShortestRun);
      ASSERT_LE(column.run.size(), CTextRainCtrl::kLongestRun);
      ASSERT_LT(column.headRow - column.run.size(), rain.Rows());
    }
  }
}

TEST(CreditsCtrlTest, SlowDrawingSpeedsTheCrawlButFastDrawingNeverStopsIt) {
  const struct {
    int step;
    int frameMs;
    int expected;
  } cases[] = {{5, 0, 5}, {5, 9, 5}, {5, 50, 5}, {5, 100, 10}, {2, 130, 5}};
  for (const auto& c : cases) {
    EXPECT_EQ(CCreditsCtrl::ScaledScrollStep(c.step, c.frameMs), c.expected) << c.step << " after " << c.frameMs;
  }
}

TEST(CreditsCtrlTest, AboutBoxCrawlsItsLinesAndStartsAgain) {
  CAboutDlg about;
  EXPECT_EQ(about.windowTitle(), "About... Quozi Gridcrown ULTRA");
  ASSERT_EQ(testing::Control<CCreditsCtrl>(&about, CAboutDlg::kCreditsControl), about.Credits());
  const QStringList lines = CAboutDlg::CreditLines();
  ASSERT_EQ(lines.size(), 25);
  EXPECT_EQ(lines.front(), "Quozi Gridcrown ULTRA 0.75b");
  EXPECT_EQ(lines[2], "Programmed by...");
  EXPECT_EQ(lines[12], "Greets to...");
  EXPECT_EQ(lines[23], "and");
  const auto* release = about.findChild<QLabel*>("release");
  ASSERT_NE(release, nullptr);
  EXPECT_TRUE(release->text().startsWith("Release ")) << release->text().toStdString();
  EXPECT_GT(release->text().size(), 9);

  CCreditsCtrl* credits = about.Credits();
  credits->resize(200, 150);
  EXPECT_EQ(credits->ScrollStep(), 5);
  int restarts = 0;
  int previous = credits->ScrollPosition();
  for (int frame = 0; frame < 2000 && restarts < 2; ++frame) {
    credits->DrawFrame();
    if (credits->ScrollPosition() > previous) {
      ++restarts;
      // It starts again below the bottom once the last line has passed the top.
      EXPECT_LE(previous + 24 * credits->LineHeight(), 0);
      EXPECT_EQ(credits->ScrollPosition(), 150 - 5);
    }
    previous = credits->ScrollPosition();
    for (const auto& star : credits->Stars()) ASSERT_TRUE(star.z >= -255 && star.z <= 255) << star.z;
  }
  EXPECT_EQ(restarts, 2);
  EXPECT_EQ(credits->Frame().size(), QSize(200, 150));
}

}  // namespace
}  // namespace qgu::frontend
