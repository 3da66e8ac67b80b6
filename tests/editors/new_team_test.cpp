// "Create New Team": the checks in their order, the naming rule and the
// written record.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>

#include "editors/new_team_dlg.h"
#include "league/team_record_file.h"
#include "tests/editors/editor_test_support.h"
#include "tests/league/sample_team.h"
#include "tests/support/recorded_messages.h"

namespace qgu::editors {
namespace {

using testing::Click;
using testing::Control;

TEST(NewTeamDlg, ChecksInOrderThenWritesUnderTheNamingRule) {
  testing::TempFolder league;
  testing::WriteTeam(league.path(), "NY0.dat", testing::SampleTeam());
  testing::RecordedMessages messages;
  CNewTeamDlg dialog(league.path());
  dialog.show();
  const auto lastMessage = [&messages] { return messages.Shown().empty() ? "" : messages.Shown().back().text; };

  Click(&dialog, 1);
  EXPECT_EQ(lastMessage(), "City, Nickname, Abbreviation, and formation are required.");
  testing::Type(&dialog, 232, "Gullhaven");
  testing::Type(&dialog, 233, "Herons");
  testing::Type(&dialog, 234, "N.Y.");
  Click(&dialog, 1);
  EXPECT_EQ(lastMessage(), "City, Nickname, Abbreviation, and formation are required.");
  Control<QComboBox>(&dialog, 260)->setCurrentIndex(2);
  testing::Type(&dialog, 234, "..");  // nothing left once the dots go
  Click(&dialog, 1);
  EXPECT_EQ(lastMessage(), "City, Nickname, Abbreviation, and formation are required.");
  testing::Type(&dialog, 234, "N.Y.");
  Click(&dialog, 1);
  EXPECT_EQ(lastMessage(), "You have not set a starting kick returner");
  auto* positions = Control<QListWidget>(&dialog, 277);
  positions->setCurrentRow(12);  // C: cannot return kicks
  EXPECT_FALSE(Control<QWidget>(&dialog, 309)->isEnabled());
  positions->setCurrentRow(4);
  EXPECT_TRUE(Control<QAbstractButton>(&dialog, 400)->isChecked());  // shown Black, as it is written
  Click(&dialog, 309);
  Click(&dialog, 1);
  EXPECT_EQ(lastMessage(), "You have not set a starting punt returner");
  Click(&dialog, 310);
  Click(&dialog, 1);
  EXPECT_EQ(lastMessage(), "QB 1 is missing a first name, last name, or both");
  for (int position = 0; position < league::kPlayerCount; ++position) {
    positions->setCurrentRow(position);
    testing::Type(&dialog, 298, QString("First%1").arg(position));
    if (position != 20) testing::Type(&dialog, 299, QString("Last%1").arg(position));
  }
  Click(&dialog, 1);
  EXPECT_EQ(lastMessage(), "ROLB is missing a first name, last name, or both");
  positions->setCurrentRow(20);
  testing::Type(&dialog, 299, "Last20");
  positions->setCurrentRow(3);
  Click(&dialog, 400 - 1);  // White for RB 2
  messages.Clear();
  Click(&dialog, 1);
  EXPECT_TRUE(messages.Shown().empty());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.CreatedFile(), league.path() / "NY1.dat");
  EXPECT_TRUE(std::filesystem::exists(league.path() / "NY1.bmp"));  // its helmet

  const league::TeamRecord team = league::ReadTeamRecordFile(dialog.CreatedFile()).value();
  const league::TeamHeader& h = team.header;
  EXPECT_EQ(h.city + "|" + h.nickname + "|" + h.abbreviation, "GULLHAVEN|HERONS|NY");
  EXPECT_EQ(std::vector<int>({h.runPlays12, h.runPlays34, h.passPlays12, h.passPlays34}),
            std::vector<int>({0x11, 0x24, 0x27, 0x62}));
  EXPECT_EQ(std::vector<int>({h.formation, h.kickReturner, h.puntReturner, h.primarySkinColour, h.secondarySkinColour}),
            std::vector<int>({4, 4, 4, 0x06, 0x06}));
  EXPECT_EQ(std::vector<int>({h.quoziDefence, h.adaptiveDefence, h.jailbreakDefence, h.jailbreakRunDefence,
                              h.jailbreakPassDefence, h.ratioEnabled, h.passPercent, h.runPercent}),
            std::vector<int>({100, 0, 0, 100, 100, 0, 50, 50}));
  EXPECT_EQ(team.players[29].firstName, "first29");
  EXPECT_EQ(team.players[29].lastName, "LAST29");
  EXPECT_EQ(team.players[29].skin, 0x80);
  EXPECT_EQ(team.players[3].skin, 0);
}

TEST(NewTeamDlg, FailedWriteKeepsTheDialogOpen) {
  testing::TempFolder base;
  std::filesystem::create_directory(base / "league");
  testing::RecordedMessages messages;
  CNewTeamDlg dialog(base / "league");
  dialog.show();
  testing::Type(&dialog, 232, "A");
  testing::Type(&dialog, 233, "B");
  testing::Type(&dialog, 234, "C");
  Control<QComboBox>(&dialog, 260)->setCurrentIndex(0);
  auto* positions = Control<QListWidget>(&dialog, 277);
  for (int position = 0; position < league::kPlayerCount; ++position) {
    positions->setCurrentRow(position);
    testing::Type(&dialog, 298, "X");
    testing::Type(&dialog, 299, "Y");
    if (position == 2) Click(&dialog, 309), Click(&dialog, 310);
  }
  std::filesystem::remove_all(base / "league");
  Click(&dialog, 1);
  ASSERT_EQ(messages.Shown().size(), 1u);
  EXPECT_EQ(messages.Shown()[0].text, "Error Saving data");
  EXPECT_TRUE(dialog.isVisible());
}

}  // namespace
}  // namespace qgu::editors
