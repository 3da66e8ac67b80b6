// "Edit Player": steps at their ends, returner boxes, names and skins, and
// saves that keep the header and untouched players byte for byte.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QListWidget>

#include "editors/edit_player_dlg.h"
#include "league/field_splitter.h"
#include "league/team_record_file.h"
#include "tests/editors/editor_test_support.h"
#include "tests/league/sample_team.h"
#include "tests/support/recorded_messages.h"

namespace qgu::editors {
namespace {

namespace fs = std::filesystem;
using testing::Click;
using testing::Control;
using testing::Shown;

constexpr int kEdit = 259, kCancel = 3;

class PlayerEditorTest : public ::testing::Test {
 protected:
  PlayerEditorTest() {
    league::TeamRecord team = testing::SampleTeam();
    team.players[0].runningSpeed = 15;
    team.players[0].rushingPower = 0;
    team.players[0].passingSpeed = 15;
    team.players[0].avoidPassBlock = 0;
    team.players[0].jersey = 0x99;
    team.players[1].jersey = 0x00;
    team.players[2].jersey = 0x09;
    path_ = testing::WriteTeam(league_.path(), "MPD0.dat", team);
    dialog_ = std::make_unique<CEditPlayerDlg>(path_, 6, 9);
    dialog_->show();
  }

  void Choose(int position) { Control<QListWidget>(dialog_.get(), 277)->setCurrentRow(position); }
  QWidget* Dialog() const { return dialog_.get(); }
  std::string Line(int number) const {
    const std::string bytes = testing::ReadBytes(path_);
    size_t start = 0;
    for (int i = 1; i < number; ++i) start = bytes.find('\n', start) + 1;
    return bytes.substr(start, bytes.find('\n', start) - start);
  }

  testing::TempFolder league_;
  testing::RecordedMessages messages_;
  fs::path path_;
  std::unique_ptr<CEditPlayerDlg> dialog_;
};

TEST_F(PlayerEditorTest, StepsStopAtTheirEnds) {
  // The position list taking the focus as the dialog opens makes its first
  // row current; that is no choice: nothing is shown and EDIT stays disabled.
  QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(Control<QListWidget>(Dialog(), 277), &focusIn);
  EXPECT_EQ(Control<QListWidget>(Dialog(), 277)->currentRow(), 0);
  EXPECT_EQ(Shown(Dialog(), 308), "");
  EXPECT_FALSE(Control<QWidget>(Dialog(), kEdit)->isEnabled());
  Choose(0);
  const std::string before = testing::ReadBytes(path_);
  Click(Dialog(), kEdit);
  // "+" on 15 and "-" on 0, in both columns, and the jersey at 99.
  for (int id : {281, 282, 289, 294, 279}) Click(Dialog(), id);
  const std::pair<int, const char*> shown[] = {{300, "100"}, {301, "6"}, {304, "100"}, {307, "6"}, {308, "# 99"}};
  for (auto [id, text] : shown) EXPECT_EQ(Shown(Dialog(), id), text) << id;
  Click(Dialog(), kEdit);  // SAVE
  EXPECT_EQ(testing::ReadBytes(path_), before);

  Choose(1);
  Click(Dialog(), kEdit);
  Click(Dialog(), 278);
  EXPECT_EQ(Shown(Dialog(), 308), "# 0");
  Click(Dialog(), kCancel);
  Choose(2);
  Click(Dialog(), kEdit);
  Click(Dialog(), 279);
  EXPECT_EQ(Shown(Dialog(), 308), "# 10");
  Click(Dialog(), kEdit);
  EXPECT_EQ(league::ReadTeamRecordFile(path_).value().players[2].jersey, 0x10);

  Choose(13);  // a lineman: no second column, no returner boxes
  Click(Dialog(), kEdit);
  EXPECT_FALSE(Control<QWidget>(Dialog(), 312)->isVisible());
  EXPECT_FALSE(Control<QWidget>(Dialog(), 288)->isVisible());
  EXPECT_FALSE(Control<QWidget>(Dialog(), 309)->isEnabled());
  EXPECT_TRUE(Control<QWidget>(Dialog(), 281)->isEnabled());
}

TEST_F(PlayerEditorTest, ReturnersNamesAndSkin) {
  const std::string header = Line(1);
  Choose(7);  // WR 2, a dark-skinned player
  Click(Dialog(), kEdit);
  Click(Dialog(), 309);  // kick returner
  Click(Dialog(), 309);  // cleared again: still the kick returner
  testing::Type(Dialog(), 298, "JoE");
  testing::Type(Dialog(), 299, "smith");
  EXPECT_EQ(Shown(Dialog(), 298), "JOE");
  EXPECT_EQ(Shown(Dialog(), 299), "SMITH");
  Click(Dialog(), 399);  // White
  Click(Dialog(), kEdit);
  EXPECT_EQ(dialog_->KickReturner(), 7);
  EXPECT_EQ(dialog_->PuntReturner(), 9);
  const league::TeamRecord saved = league::ReadTeamRecordFile(path_).value();
  EXPECT_EQ(saved.players[7].firstName, "joe");
  EXPECT_EQ(saved.players[7].lastName, "SMITH");
  EXPECT_EQ(saved.players[7].skin, 0);
  EXPECT_EQ(saved.players[6], testing::SampleTeam().players[6]);
  // The header changes only in field 14.
  std::vector<std::string> before = league::SplitFields(header, league::kRecordSeparator);
  before[14] = "7";
  EXPECT_EQ(league::SplitFields(Line(1), league::kRecordSeparator), before);

  Choose(8);
  Click(Dialog(), kEdit);
  Click(Dialog(), 400);  // Black
  Click(Dialog(), kEdit);
  EXPECT_EQ(league::ReadTeamRecordFile(path_).value().players[8].skin, 0x80);
}

TEST_F(PlayerEditorTest, FailedWriteKeepsTheOldFileAndTheEdits) {
  const std::string before = testing::ReadBytes(path_);
  Choose(3);
  Click(Dialog(), kEdit);
  Click(Dialog(), 281);
  {
    testing::FileSizeLimit diskFull(64);  // the new file cannot be written
    Click(Dialog(), kEdit);
  }
  ASSERT_EQ(messages_.Shown().size(), 1u);
  EXPECT_EQ(messages_.Shown()[0].text, "Error Saving data");
  EXPECT_EQ(messages_.Shown()[0].title, "QgUltra");
  EXPECT_EQ(testing::ReadBytes(path_), before);
  EXPECT_EQ(Shown(Dialog(), kEdit), "SAVE");
  dialog_->reject();  // Escape while editing does nothing
  EXPECT_TRUE(dialog_->isVisible());
}

}  // namespace
}  // namespace qgu::editors
