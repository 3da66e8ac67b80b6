// From the editors to the field: a team of the default league is changed
// through the tool server's EditTeams as a person would (names, colours, a
// play, a player's name and rating), then prepared and played headless. The
// prepared image holds exactly the edited team, and the game's statistics
// carry its names.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <map>

#include "cartridge/builder/embedded_image.h"
#include "driver/game_manager.h"
#include "driver/headless_game.h"
#include "driver/team_slots.h"
#include "league/cartridge_teams.h"
#include "league/default_league.h"
#include "league/team_record_file.h"
#include "league/team_record_format.h"
#include "tests/support/gui_test_support.h"
#include "tests/support/temp_folder.h"
#include "tests/toolserver/modal_script.h"
#include "toolserver/com/com_client.h"

namespace qgu::com {
namespace {

namespace fs = std::filesystem;
using testing::Control;
using testing::ModalScript;

void Type(QWidget* window, int id, const QString& text) {
  auto* edit = Control<QLineEdit>(window, id);
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

void Click(QWidget* window, int id) { Control<QAbstractButton>(window, id)->click(); }

// Picks a palette colour as a person does: the list's item chosen.
void ChooseColour(QWidget* colours, int combo, int colour) {
  auto* list = Control<QComboBox>(colours, combo);
  list->setCurrentIndex(colour);
  emit list->activated(colour);
}

// Records compared as the lines they write (all 24 team fields, whatever the
// file they came from held), so a difference reads as a field.
std::string Written(const league::TeamRecord& team) { return league::FormatTeamRecord(team).value(); }

std::map<fs::path, league::TeamRecord> ReadLeague(const fs::path& folder) {
  std::map<fs::path, league::TeamRecord> teams;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".dat") teams[entry.path()] = league::ReadTeamRecordFile(entry.path()).value();
  }
  return teams;
}

TEST(EditAndPlay, TeamEditedThroughEditTeamsIsTheTeamThatPlays) {
  testing::TempFolder work;
  ::setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
  const auto league = league::EnsureDefaultLeague(work.path(), cartridge::EmbeddedCartridgeImage());
  ASSERT_TRUE(league.ok()) << league.error();
  const fs::path folder = league.value().folder;
  const std::map<fs::path, league::TeamRecord> before = ReadLeague(folder);

  auto module = ComModule::Load(QGU_HELPER_MODULE);
  ASSERT_TRUE(module.ok()) << module.error();
  ASSERT_EQ(module.value()->DllRegisterServer(), S_OK);
  auto object = CreateQuoziHelper(kProgId, work / "config" / "qgu" / "registry.ini");
  ASSERT_TRUE(object.ok()) << object.error();

  // The first team of the list; which file it is, the editor knows.
  std::string shownTeam;
  ModalScript script;
  script
      .On("Edit Teams",
          [&](QWidget* w) {
            auto* leagues = Control<QListWidget>(w, 209);
            leagues->setCurrentItem(leagues->findItems(QString::fromStdString(folder.filename().string()),
                                                       Qt::MatchExactly).value(0));
            Click(w, 1033);
          })
      .On(QString::fromStdString("Edit Teams - " + folder.filename().string()),
          [&](QWidget* w) {
            Control<QComboBox>(w, 231)->setCurrentIndex(0);
            shownTeam = Control<QComboBox>(w, 231)->currentText().toStdString();
            Click(w, 259);  // EDIT
            Type(w, 232, "glasswater");
            Type(w, 233, "Herons");
            Type(w, 234, "G.W.");
            Click(w, 261);  // colours
            Click(w, 252);  // run slot 2
            Click(w, 239);  // players
            Click(w, 259);  // SAVE
            Click(w, 2);    // Exit
          })
      .On("Edit Colors",
          [](QWidget* w) {
            ChooseColour(w, 262, 0x2A);  // primary pants and helmet
            ChooseColour(w, 265, 0x15);  // secondary jersey
            Click(w, 1);                 // SAVE
          })
      .On("Change Play",
          [](QWidget* w) {
            Click(w, 275);  // choice 7: "T Sweep Strong"
            Click(w, 1);
          })
      .On("Edit Player", [](QWidget* w) {
        Control<QListWidget>(w, 277)->setCurrentRow(0);  // QB 1
        Click(w, 259);
        Type(w, 298, "Ada");
        Type(w, 299, "wren");
        for (int step = 0; step < 3; ++step) Click(w, 289);  // "Passing Speed:" up
        Click(w, 280);                                       // "Running Speed:" down
        Click(w, 259);                                       // SAVE
        Click(w, 2);                                         // Exit
      });
  ModuleText base(module.value(), work.path().string());
  ASSERT_EQ(object.value().helper->EditTeams(base.get()), S_OK);
  ASSERT_TRUE(script.Finished()) << ::testing::PrintToString(script.Problems());

  // Exactly one file changed, in exactly the edited fields.
  const std::map<fs::path, league::TeamRecord> after = ReadLeague(folder);
  ASSERT_EQ(after.size(), before.size());
  fs::path edited;
  for (const auto& [path, team] : after) {
    if (!(team == before.at(path))) {
      EXPECT_TRUE(edited.empty()) << "a second team changed: " << path;
      edited = path;
    }
  }
  ASSERT_FALSE(edited.empty());
  league::TeamRecord expected = before.at(edited);
  EXPECT_EQ(expected.header.city + " " + expected.header.nickname, shownTeam);
  expected.header.city = "GLASSWATER";
  expected.header.nickname = "HERONS";
  expected.header.abbreviation = "G.W.";
  expected.header.primaryPantsColour = 0x2A;
  expected.header.secondaryJerseyColour = 0x15;
  expected.header.runPlays12 = (expected.header.runPlays12 & 0xF0) | 7;
  league::PlayerRecord& quarterback = expected.players[0];
  quarterback.firstName = "ada";
  quarterback.lastName = "WREN";
  quarterback.passingSpeed = std::min(quarterback.passingSpeed + 3, 15);
  quarterback.runningSpeed = std::max(quarterback.runningSpeed - 1, 0);
  const league::TeamRecord saved = after.at(edited);
  EXPECT_EQ(saved.header.fieldCount, league::kTeamFieldCount) << "a saved team line has every field";
  EXPECT_EQ(Written(saved), Written(expected));

  // The game: the edited team at home against another of the league.
  const fs::path away = edited == after.begin()->first ? std::next(after.begin())->first : after.begin()->first;
  driver::CGameManager manager(cartridge::EmbeddedCartridgeImage(), std::make_unique<driver::CSeededRandom>(13));
  manager.SetHomePath(edited.string());
  manager.SetAwayPath(away.string());
  manager.SetQuarterLength(1);
  manager.SetControls(driver::kControlCom, driver::kControlCom);
  ASSERT_TRUE(manager.PrepareGame()) << manager.PrepareError();
  const auto extracted = league::ExtractCartridgeTeams(manager.WorkingImage());
  ASSERT_TRUE(extracted.ok()) << extracted.error();
  const int slot = driver::SlotFor(saved.header.formation, false).team;
  EXPECT_EQ(Written(extracted.value()[static_cast<size_t>(slot)].record), Written(saved));

  const driver::HeadlessGameResult game = driver::PlayHeadlessGame(manager, {});
  ASSERT_EQ(game.outcome, driver::HeadlessOutcome::kFinished) << game.error << " at " << game.lastStage;
  EXPECT_EQ(game.summary->homeStats.rfind("HERONS|WREN|", 0), 0u) << game.summary->homeStats.substr(0, 40);
}

}  // namespace
}  // namespace qgu::com
