// "Edit Team": listing, browse and edit mode, the linked steps, the play and
// colour slots, and saves that keep what the user did not change.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>

#include "editors/edit_team_dlg.h"
#include "editors/nes_colors.h"
#include "editors/percent_steps.h"
#include "editors/picture_slots.h"
#include "editors/up_down.h"
#include "frontend/helmet_picture.h"
#include "league/team_record_file.h"
#include "tests/editors/editor_test_support.h"
#include "tests/league/sample_team.h"
#include "tests/support/recorded_messages.h"

namespace qgu::editors {
namespace {

namespace fs = std::filesystem;
using frontend::MessageAnswer;
using testing::Click;
using testing::Control;
using testing::Shown;

constexpr int kEdit = 259, kCancel = 3;

class TeamEditorTest : public ::testing::Test {
 protected:
  // Opens the editor on the league (of one team) and shows the team.
  std::unique_ptr<CEditTeamDlg> Open() {
    auto dialog = std::make_unique<CEditTeamDlg>(league_.path());
    Control<QComboBox>(dialog.get(), 231)->setCurrentIndex(0);
    dialog->show();
    return dialog;
  }

  void Step(const QWidget* dialog, int upDown, int delta, int times = 1) {
    for (int i = 0; i < times; ++i) Control<CUpDown>(dialog, upDown)->Step(delta);
  }

  testing::TempFolder league_;
  testing::RecordedMessages messages_;
};

TEST_F(TeamEditorTest, ImportedTeamShowsDefaultsAndPlays) {
  league::TeamRecord team = testing::SampleTeam();
  team.header.runPlays12 = 0x07;  // run slot 2: choice 7
  team.header.passPlays34 = 0x62;
  testing::WriteBytes(league_ / "MPD0.dat", league::FormatTeamRecord(team, league::TeamLineForm::kImport).value());
  auto dialog = Open();
  const std::pair<int, const char*> boxes[] = {{365, "100"}, {366, "0"}, {367, "0"}, {368, "100"},
                                               {369, "100"}, {370, "50"}, {371, "50"}};
  for (auto [id, text] : boxes) EXPECT_EQ(Shown(dialog.get(), id), text) << id;
  EXPECT_FALSE(Control<QCheckBox>(dialog.get(), 319)->isChecked());
  const std::pair<int, int> playSlots[] = {{252, 328}, {257, 303}, {258, 307}};
  for (auto [id, picture] : playSlots) EXPECT_EQ(Control<QWidget>(dialog.get(), id)->property("pictureId"), picture) << id;
  EXPECT_EQ(Control<QWidget>(dialog.get(), 252)->toolTip(), "T Sweep Strong");
  EXPECT_EQ(Control<QWidget>(dialog.get(), 257)->toolTip(), "Pro T Flare C");
  EXPECT_EQ(Control<QWidget>(dialog.get(), 258)->toolTip(), "X Out and Fly");
}

TEST_F(TeamEditorTest, LinkedStepsStopAtTheirEnds) {
  league::TeamRecord team = testing::SampleTeam();
  team.header.quoziDefence = 100, team.header.adaptiveDefence = 0, team.header.jailbreakDefence = 0;
  team.header.runPercent = 98, team.header.passPercent = 2;
  team.header.formation = 7;  // none of the three: no formation shown, and the value stays
  const fs::path path = testing::WriteTeam(league_.path(), "MPD0.dat", team);
  auto dialog = Open();
  Step(dialog.get(), 372, 1);  // browse mode: the up-downs do nothing
  EXPECT_EQ(Shown(dialog.get(), kEdit), "EDIT");
  Click(dialog.get(), kEdit);
  Step(dialog.get(), 363, 1, 3);  // "Run %" up past 100
  EXPECT_EQ(Shown(dialog.get(), 370), "100");
  EXPECT_EQ(Shown(dialog.get(), 371), "0");
  Step(dialog.get(), 372, 1);  // Q = 100 up: nothing
  EXPECT_EQ(Shown(dialog.get(), 365), "100");
  Step(dialog.get(), 359, 1);  // A up takes from Q
  EXPECT_EQ(Shown(dialog.get(), 366), "1");
  EXPECT_EQ(Shown(dialog.get(), 365), "99");
  Step(dialog.get(), 360, -1);  // J down at 0: nothing
  EXPECT_EQ(Shown(dialog.get(), 367), "0");
  EXPECT_EQ(Shown(dialog.get(), kEdit), "SAVE");
  Click(dialog.get(), kEdit);
  const league::TeamHeader saved = league::ReadTeamLineFile(path).value();
  EXPECT_EQ(saved.formation, 7);
  EXPECT_EQ(saved.runPercent, 100);
  EXPECT_EQ(saved.adaptiveDefence, 1);
}

// Three linked values that do not add up to 100 (a file written elsewhere)
// never step a partner below 0 or above 100.
TEST(PercentSteps, PartnersStayWithinTheirRange) {
  TeamPercentages values;
  values.quozi = 50, values.adaptive = 0, values.jailbreak = 0;
  StepPercentage(values, PercentBox::kQuozi, 1);
  EXPECT_EQ(std::tuple(values.quozi, values.adaptive, values.jailbreak), std::tuple(51, 0, 0));
  values.quozi = 100, values.adaptive = 100, values.jailbreak = 100;
  StepPercentage(values, PercentBox::kJailbreak, -1);
  EXPECT_EQ(std::tuple(values.quozi, values.adaptive, values.jailbreak), std::tuple(100, 100, 99));
}

// Odd but readable bytes (a number written "007", LF line ends, fields past
// the 24th, text after the last separator) survive; a step up and back down
// changes no byte; a changed city changes only its own field.
TEST_F(TeamEditorTest, SavesKeepEveryByteNotChanged) {
  const std::string header =
      "MAPLEDALE\x01OTTERS\x01MPD\x01" "007\x01" "6\x01" "18\x01" "42\x01" "22\x01" "15\x01" "17\x01" "36\x01" "39\x01"
      "98\x01" "3\x01" "6\x01" "9\x01" "20\x01" "30\x01" "70\x01" "40\x01" "50\x01" "1\x01" "65\x01" "35\x01"
      "extra\x01" "99\x01" "tail";
  std::string players = league::FormatTeamRecord(testing::SampleTeam()).value();
  players = players.substr(players.find('\n') + 1);
  for (size_t at; (at = players.find("\r\r\n")) != std::string::npos;) players.replace(at, 3, "\n");
  const fs::path path = league_ / "MPD0.dat";
  testing::WriteBytes(path, header + "\n" + players);
  auto dialog = Open();
  Click(dialog.get(), kEdit);
  Step(dialog.get(), 362, 1);
  Step(dialog.get(), 362, -1);
  Click(dialog.get(), kEdit);  // SAVE
  EXPECT_EQ(testing::ReadBytes(path), header + "\n" + players);
  EXPECT_TRUE(messages_.Shown().empty());

  Click(dialog.get(), kEdit);
  testing::Type(dialog.get(), 232, "mapleton");
  Click(dialog.get(), kEdit);
  std::string expected = header;
  expected.replace(0, 9, "MAPLETON");
  EXPECT_EQ(testing::ReadBytes(path), expected + "\n" + players);
  EXPECT_EQ(Control<QComboBox>(dialog.get(), 231)->currentText(), "MAPLETON OTTERS");
}

// A file changed by another program is not overwritten without asking; a
// failed write keeps the old file and the edits.
TEST_F(TeamEditorTest, SaveAsksBeforeReplacingAndKeepsOldFileOnFailure) {
  const fs::path path = testing::WriteTeam(league_.path(), "MPD0.dat", testing::SampleTeam());
  auto dialog = Open();
  Click(dialog.get(), kEdit);
  Step(dialog.get(), 361, 1);
  const std::string theirs = testing::ReadBytes(path) + "appended by another program\r\r\n";
  testing::WriteBytes(path, theirs);
  messages_.Answer(MessageAnswer::kNo);
  Click(dialog.get(), kEdit);
  ASSERT_EQ(messages_.Shown().size(), 1u);
  EXPECT_EQ(messages_.Shown()[0].text,
            "MPD0.dat was changed by another program since it was loaded.\n\nReplace it with your changes?");
  EXPECT_EQ(testing::ReadBytes(path), theirs);
  EXPECT_EQ(Shown(dialog.get(), kEdit), "SAVE");

  {
    testing::FileSizeLimit diskFull(64);  // the new file cannot be written
    messages_.Answer(MessageAnswer::kYes);
    Click(dialog.get(), kEdit);
  }
  EXPECT_EQ(messages_.Shown().back().text, "Error Saving data");
  EXPECT_EQ(testing::ReadBytes(path), theirs);
  EXPECT_TRUE(dialog->Editing());
  EXPECT_EQ(Shown(dialog.get(), 368), "41");

  messages_.Answer(MessageAnswer::kYes);
  Click(dialog.get(), kEdit);
  EXPECT_FALSE(dialog->Editing());
  EXPECT_EQ(league::ReadTeamLineFile(path).value().jailbreakRunDefence, 41);
}

// The skins take the tone chosen for them; the player editor's returners come
// back, and its own save is no change by another program. A helmet picture
// the program drew is drawn anew in the saved colours; the user's own stays.
TEST_F(TeamEditorTest, ColourAndPlayerEditorsFeedTheSave) {
  const fs::path path = testing::WriteTeam(league_.path(), "MPD0.dat", testing::SampleTeam());
  ASSERT_TRUE(frontend::WriteHelmetPicture(path, testing::SampleTeam().header, NesColorToRgb));
  auto dialog = Open();
  Click(dialog.get(), kEdit);
  testing::OnNextModal([](QWidget* colours) {
    auto* primaryJersey = Control<QWidget>(colours, 263);
    primaryJersey->setFocus();
    QTest::keyClick(primaryJersey, Qt::Key_Down);
    Click(colours, 1);
  });
  Click(dialog.get(), 262);
  for (auto [radio, tone] : {std::pair{222, 0x16}, {224, 0x06}, {223, 0x0F}}) {
    testing::OnNextModal([radio](QWidget* colours) {
      Click(colours, radio);
      Click(colours, 1);  // SAVE
    });
    Click(dialog.get(), 266);
    EXPECT_EQ(SwatchColour(Control<PictureButton>(dialog.get(), 266)), NesColorToRgb(tone) & 0xFFFFFF) << radio;
  }
  testing::OnNextModal([](QWidget* players) {
    Control<QListWidget>(players, 277)->setCurrentRow(7);  // WR 2
    Click(players, 259);
    Click(players, 309);
    Click(players, 259);  // SAVE
    Click(players, 2);    // Exit
  });
  Click(dialog.get(), 239);
  Click(dialog.get(), kEdit);  // SAVE: no question
  EXPECT_TRUE(messages_.Shown().empty());
  const league::TeamHeader saved = league::ReadTeamLineFile(path).value();
  EXPECT_EQ(saved.secondarySkinColour, 0x0F);
  EXPECT_EQ(saved.primarySkinColour, testing::SampleTeam().header.primarySkinColour);
  EXPECT_EQ(saved.primaryJerseyColour, testing::SampleTeam().header.primaryJerseyColour + 1);
  EXPECT_EQ(saved.kickReturner, 7);
  EXPECT_EQ(saved.puntReturner, testing::SampleTeam().header.puntReturner);
  const QString helmet = QString::fromStdString(frontend::HelmetPicturePath(path).string());
  EXPECT_EQ(QImage(helmet).convertToFormat(QImage::Format_RGB32),
            frontend::DrawHelmetPicture(saved, NesColorToRgb).convertToFormat(QImage::Format_RGB32));

  QImage own(16, 16, QImage::Format_RGB32);
  own.fill(Qt::red);
  own.save(helmet, "BMP");
  const std::string ownBytes = testing::ReadBytes(helmet.toStdString());
  Click(dialog.get(), kEdit);
  testing::OnNextModal([](QWidget* colours) {
    Click(colours, 222);
    Click(colours, 1);
  });
  Click(dialog.get(), 266);
  Click(dialog.get(), kEdit);
  EXPECT_EQ(league::ReadTeamLineFile(path).value().secondarySkinColour, 0x16);
  EXPECT_EQ(testing::ReadBytes(helmet.toStdString()), ownBytes);
}

// After a save the saved team stays shown, not the next one of the same name.
TEST_F(TeamEditorTest, SaveKeepsTheSavedTeamSelected) {
  const fs::path first = testing::WriteTeam(league_.path(), "MPD0.dat", testing::SampleTeam());
  testing::WriteTeam(league_.path(), "MPD1.dat", testing::SampleTeam());
  auto dialog = Open();
  Click(dialog.get(), kEdit);
  Step(dialog.get(), 361, -1);
  Click(dialog.get(), kEdit);
  EXPECT_EQ(league::ReadTeamLineFile(first).value().jailbreakRunDefence, 39);
  EXPECT_EQ(Control<QComboBox>(dialog.get(), 231)->currentIndex(), 0);
  EXPECT_EQ(Shown(dialog.get(), 368), "39");
}

TEST_F(TeamEditorTest, TwoThousandTeamsAreListedWithOneMessage) {
  const std::string record = league::FormatTeamRecord(testing::SampleTeam()).value();
  for (int i = 0; i < kMaxTeams + 1; ++i) testing::WriteBytes(league_ / ("T" + std::to_string(i) + ".dat"), record);
  CEditTeamDlg dialog(league_.path());
  ASSERT_EQ(messages_.Shown().size(), 1u);
  EXPECT_EQ(messages_.Shown()[0].text, "Too many teams in league (Maximum is 2000)");
  EXPECT_EQ(messages_.Shown()[0].title, "QgUltra");
  EXPECT_EQ(Control<QComboBox>(&dialog, 231)->count(), kMaxTeams);

  fs::remove(league_ / "T0.dat");  // exactly 2000: still the message, all listed
  messages_.Clear();
  CEditTeamDlg exact(league_.path());
  EXPECT_EQ(messages_.Shown().size(), 1u);
  EXPECT_EQ(Control<QComboBox>(&exact, 231)->count(), kMaxTeams);

  testing::TempFolder empty;
  messages_.Clear();
  CEditTeamDlg none(empty.path());
  EXPECT_EQ(none.exec(), QDialog::Rejected);
  ASSERT_EQ(messages_.Shown().size(), 1u);
  EXPECT_EQ(messages_.Shown()[0].text, "There are no teams available");
}

}  // namespace
}  // namespace qgu::editors
