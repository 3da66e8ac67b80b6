// The cartridge import through its dialogs (204 Team Import, 203 League Data,
// 205 New League, 206 Duplicate): the files and messages of a new league, of
// duplicates answered Yes and No, of files that are no image of this game and
// of a league whose files cannot be written; and the league dialog's own texts.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <fstream>

#include "cartridge/builder/embedded_image.h"
#include "league/default_league.h"
#include "tests/support/gui_test_support.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/temp_folder.h"
#include "tests/toolserver/modal_script.h"
#include "toolserver/import_helmets.h"
#include "toolserver/league_data_dlg.h"
#include "toolserver/team_import_dlg.h"

namespace qgu::toolserver {
namespace {

namespace fs = std::filesystem;
using frontend::MessageAnswer;
using frontend::MessageIcon;
using testing::ClickButtonText;
using testing::Control;
using testing::ModalScript;

const std::string kSuccess = "Succesfully imported teams from rom.";
const std::string kLoadFailed = "Unable to load rom. Make sure it is not opened by another program";

void Click(QWidget* window, int id) { Control<QAbstractButton>(window, id)->click(); }
void Tick(QWidget* window, int team) { Control<QCheckBox>(window, CTeamImportDlg::kFirstTeamBox + team)->setChecked(true); }
void SelectLeague(QWidget* window, const QString& league) {
  auto* list = Control<QListWidget>(window, CLeagueDataDlg::kLeagueList);
  list->setCurrentItem(list->findItems(league, Qt::MatchExactly).value(0));
}
void NameLeague(QWidget* window, const QString& name) {
  Control<QLineEdit>(window, 1037)->setText(name);
  ClickButtonText(window, "OK");
}

// Everything a test needs: a base folder, the carried cartridge as a file, the
// messages shown and the files the import announced, in order.
struct ImportBench {
  ImportBench() {
    const auto embedded = cartridge::EmbeddedCartridgeImage();
    testing::WriteBytes(image, std::string(embedded.begin(), embedded.end()));
  }
  void Import(const fs::path& file) {
    RunCartridgeImport(nullptr, base.path(), [&](QWidget*) { return std::optional<fs::path>(file); },
                       [&](const fs::path& team, const league::TeamHeader& header) {
                         written.push_back(team.filename().string());
                         return WriteImportHelmet(team, header);
                       });
  }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const frontend::Message& message : messages.Shown()) texts.push_back(message.text);
    return texts;
  }

  testing::TempFolder base;
  testing::TempFolder elsewhere;
  fs::path image = elsewhere / "quozi.nes";
  testing::RecordedMessages messages;
  std::vector<std::string> written;
};

std::map<std::string, std::string> FolderFiles(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) files[entry.path().filename().string()] = testing::ReadBytes(entry.path());
  return files;
}

TEST(CartridgeImport, AllTeamsIntoANewLeagueEqualTheDefaultLeagueAndGetHelmets) {
  ImportBench bench;
  ModalScript script;
  std::vector<QString> captions;
  QString imageLine;
  script
      .On("Team Import",
          [&](QWidget* w) {
            for (int t = 0; t < 28; ++t) captions.push_back(Control<QCheckBox>(w, CTeamImportDlg::kFirstTeamBox + t)->text());
            imageLine = Control<QLabel>(w, CTeamImportDlg::kImageLine)->text();
            Click(w, CTeamImportDlg::kCheckAllButton);
            EXPECT_EQ(Control<QPushButton>(w, CTeamImportDlg::kCheckAllButton)->text(), "UNCHECK ALL");
            Click(w, CTeamImportDlg::kNextButton);
          })
      .On("League Data", [](QWidget* w) { Click(w, CLeagueDataDlg::kCreateButton); })
      .On("New League", [](QWidget* w) { NameLeague(w, "  MY LEAGUE  "); });
  bench.Import(bench.image);
  ASSERT_TRUE(script.Finished()) << ::testing::PrintToString(script.Problems());

  const auto teams = league::ExtractCartridgeTeams(cartridge::EmbeddedCartridgeImage());
  ASSERT_TRUE(teams.ok());
  EXPECT_EQ(captions.front().toStdString(), teams.value()[0].record.header.nickname);
  EXPECT_EQ(captions.back().toStdString(), teams.value()[27].record.header.nickname);
  EXPECT_EQ(imageLine.toStdString(), bench.image.string());
  ASSERT_EQ(bench.messages.Shown().size(), 1u);
  EXPECT_EQ(bench.messages.Shown()[0].text, kSuccess);
  EXPECT_EQ(bench.messages.Shown()[0].title, "qgultra");
  EXPECT_EQ(bench.messages.Shown()[0].icon, MessageIcon::kInformation);

  const fs::path league = bench.base / "qgu_lge" / "MY LEAGUE";
  auto imported = FolderFiles(league);
  EXPECT_EQ(imported["config.lge"], "MY LEAGUE\r\r\n");
  int helmets = 0;
  for (auto file = imported.begin(); file != imported.end();) {
    if (fs::path(file->first).extension() == ".bmp") {
      ++helmets;
      EXPECT_EQ(imported.count(fs::path(file->first).replace_extension(".dat").string()), 1u) << file->first;
      file = imported.erase(file);
    } else {
      ++file;
    }
  }
  EXPECT_EQ(helmets, 28);
  EXPECT_EQ(bench.written.size(), 28u);

  testing::TempFolder first;
  ASSERT_TRUE(league::EnsureDefaultLeague(first.path(), cartridge::EmbeddedCartridgeImage()).ok());
  auto defaults = FolderFiles(first / "qgu_lge" / "Quozi League");
  imported.erase("config.lge");
  defaults.erase("config.lge");
  EXPECT_EQ(imported.size(), 28u);
  EXPECT_EQ(imported, defaults);
}

TEST(CartridgeImport, TeamsThreeAndOneGoInCartridgeOrderAndDuplicatesAreAskedPerTeam) {
  ImportBench bench;
  {
    ModalScript script;
    script
        .On("Team Import",
            [](QWidget* w) {
              Tick(w, 3);
              Tick(w, 1);
              Click(w, CTeamImportDlg::kNextButton);
            })
        .On("League Data", [](QWidget* w) { Click(w, CLeagueDataDlg::kCreateButton); })
        .On("New League", [](QWidget* w) { NameLeague(w, "TWO"); });
    bench.Import(bench.image);
    ASSERT_TRUE(script.Finished()) << ::testing::PrintToString(script.Problems());
  }
  const auto teams = league::ExtractCartridgeTeams(cartridge::EmbeddedCartridgeImage()).value();
  const auto fileOf = [&](int team) { return teams[static_cast<size_t>(team)].record.header.abbreviation + "0.dat"; };
  ASSERT_EQ(bench.written, (std::vector<std::string>{fileOf(1), fileOf(3)}));
  const fs::path league = bench.base / "qgu_lge" / "TWO";
  testing::WriteBytes(league / fileOf(3), "kept by the league\x01\r\r\n");
  const std::string third = testing::ReadBytes(league / fileOf(3));
  // A hand-made copy of team 3 under another name: Yes must take it out too.
  fs::copy_file(league / fileOf(1), league / "EXTRA0.dat");

  bench.written.clear();
  bench.messages.Clear();
  ModalScript script;
  std::vector<std::string> questions;
  const auto answer = [&](const char* button) {
    return [&, button](QWidget* w) {
      questions.push_back(Control<QLabel>(w, 1038)->text().toStdString());
      ClickButtonText(w, button);
    };
  };
  script
      .On("Team Import",
          [](QWidget* w) {
            Tick(w, 1);
            Tick(w, 3);
            Click(w, CTeamImportDlg::kNextButton);
          })
      .On("League Data",
          [](QWidget* w) {
            SelectLeague(w, "TWO");
            Click(w, CLeagueDataDlg::kAddButton);
          })
      .On("Duplicate", answer("Yes"))
      .On("Duplicate", answer("Yes"));
  bench.Import(bench.image);
  ASSERT_TRUE(script.Finished()) << ::testing::PrintToString(script.Problems());
  // Team 3's file no longer matches (its line was rewritten), so only team 1 is asked about, once per copy.
  const league::TeamHeader& one = teams[1].record.header;
  const std::string question =
      one.city + " " + one.nickname + " (" + one.abbreviation + ")\nalready exists in this league.\n\nDo you want to overwrite the existing team ?";
  EXPECT_EQ(questions, (std::vector<std::string>{question, question}));
  EXPECT_EQ(bench.MessageTexts(), (std::vector<std::string>{kSuccess}));
  // Team 1 took the lowest free name, its old copies are gone; team 3 came in beside the league's own file.
  EXPECT_EQ(bench.written, (std::vector<std::string>{fileOf(1), teams[3].record.header.abbreviation + "1.dat"}));
  EXPECT_FALSE(fs::exists(league / "EXTRA0.dat"));
  EXPECT_EQ(testing::ReadBytes(league / fileOf(3)), third);

  // "No" writes nothing for the team and keeps the old file as it was.
  const std::string before = testing::ReadBytes(league / fileOf(1));
  ModalScript again;
  again
      .On("Team Import",
          [](QWidget* w) {
            Tick(w, 1);
            Click(w, CTeamImportDlg::kNextButton);
          })
      .On("League Data",
          [](QWidget* w) {
            SelectLeague(w, "TWO");
            Click(w, CLeagueDataDlg::kAddButton);
          })
      .On("Duplicate", [](QWidget* w) {
        EXPECT_TRUE(Control<QPushButton>(w, 2)->isDefault());
        ClickButtonText(w, "No");
      });
  bench.written.clear();
  bench.Import(bench.image);
  ASSERT_TRUE(again.Finished()) << ::testing::PrintToString(again.Problems());
  EXPECT_TRUE(bench.written.empty());
  EXPECT_EQ(testing::ReadBytes(league / fileOf(1)), before);
}

TEST(CartridgeImport, FilesThatAreNoImageOfThisGameAreRefusedWithTwoMessages) {
  ImportBench bench;
  const auto embedded = cartridge::EmbeddedCartridgeImage();
  std::string badPointer(embedded.begin(), embedded.end());
  badPointer[0x10] = badPointer[0x11] = 0;  // team 0's player table "before" the image
  std::string otherGame(embedded.begin(), embedded.end());
  otherGame.replace(0x3C139, 7, "ZEMRATX");
  const struct {
    const char* name;
    std::string bytes;
    std::vector<std::string> messages;
  } cases[] = {
      {"notes.nes", "just some text\n", {"Rom is not valid NES Rom!", kLoadFailed}},
      {"other.nes", otherGame, {"Unable to recognize rom as NES Quozi Gridcrown!", kLoadFailed}},
      {"short.nes", std::string(embedded.begin(), embedded.begin() + 0x3C13F), {"Unable to recognize rom as NES Quozi Gridcrown!", kLoadFailed}},
      {"pointer.nes", badPointer, {"Unable to recognize rom as NES Quozi Gridcrown!", kLoadFailed}},
  };
  for (const auto& c : cases) {
    bench.messages.Clear();
    testing::WriteBytes(bench.elsewhere / c.name, c.bytes);
    bench.Import(bench.elsewhere / c.name);
    EXPECT_EQ(bench.MessageTexts(), c.messages) << c.name;
    for (const frontend::Message& message : bench.messages.Shown()) {
      EXPECT_EQ(message.title, "qgultra");
      EXPECT_EQ(message.icon, MessageIcon::kNone);
    }
  }
  // A file that cannot be read: the described message with the reason on its second line.
  const fs::path missing = bench.elsewhere / "missing.nes";
  bench.messages.Clear();
  bench.Import(missing);
  EXPECT_EQ(bench.MessageTexts(),
            (std::vector<std::string>{std::string(kLoadFailed) + "\nUnable to open " + missing.string() +
                                      ": No such file or directory"}));
  bench.messages.Clear();
  bench.Import(bench.elsewhere.path());
  EXPECT_EQ(bench.MessageTexts(),
            (std::vector<std::string>{std::string(kLoadFailed) + "\n" + bench.elsewhere.path().string() +
                                      " is a folder, not a file"}));
  EXPECT_FALSE(fs::exists(bench.base / "qgu_lge")) << "nothing is written for a refused image";
}

TEST(CartridgeImport, ALeagueThatCannotTakeTheNewFileLosesNoTeam) {
  ImportBench bench;
  ASSERT_TRUE(league::EnsureDefaultLeague(bench.base.path(), cartridge::EmbeddedCartridgeImage()).ok());
  const fs::path league = bench.base / "qgu_lge" / "Quozi League";
  const auto before = FolderFiles(league);
  ModalScript script;
  script
      .On("Team Import",
          [](QWidget* w) {
            Tick(w, 0);
            Tick(w, 5);
            Click(w, CTeamImportDlg::kNextButton);
          })
      .On("League Data",
          [](QWidget* w) {
            SelectLeague(w, "Quozi League");
            // Every write now fails, as on a full or read-only disk.
            static std::optional<testing::FileSizeLimit> full;
            full.emplace(8);
            Click(w, CLeagueDataDlg::kAddButton);
            full.reset();
          })
      .On("Duplicate", [](QWidget* w) { ClickButtonText(w, "Yes"); })
      .On("Duplicate", [](QWidget* w) { ClickButtonText(w, "Yes"); });
  bench.Import(bench.image);
  ASSERT_TRUE(script.Finished()) << ::testing::PrintToString(script.Problems());
  EXPECT_EQ(FolderFiles(league), before);
  ASSERT_EQ(bench.messages.Shown().size(), 1u);
  EXPECT_EQ(bench.messages.Shown()[0].text.rfind("These teams could not be written into the league:", 0), 0u)
      << bench.messages.Shown()[0].text;
  EXPECT_EQ(bench.messages.Shown()[0].icon, MessageIcon::kExclamation);
}

TEST(LeagueDataDialog, EditModeListsMarkedLeaguesAndAsksBeforeLeavingWithoutOne) {
  testing::TempFolder base;
  fs::create_directories(base / "QGU_LGE" / "unmarked");
  fs::create_directories(base / "QGU_LGE" / "B League");
  testing::WriteBytes(base / "QGU_LGE" / "B League" / "config.lge", "B League\r\r\n");
  testing::RecordedMessages messages;
  messages.Answer(MessageAnswer::kNo);
  messages.Answer(MessageAnswer::kYes);

  CLeagueDataDlg dialog(CLeagueDataDlg::Mode::kEdit, base.path());
  ModalScript script;
  script.On("Edit Teams", [&](QWidget* w) {
    EXPECT_EQ(Control<QLabel>(w, CLeagueDataDlg::kFirstHintLine)->text(), "");
    EXPECT_EQ(Control<QLabel>(w, CLeagueDataDlg::kSecondHintLine)->text(), "Select league to Edit.");
    EXPECT_EQ(Control<QPushButton>(w, CLeagueDataDlg::kActionButton)->text(), "Edit");
    EXPECT_FALSE(Control<QPushButton>(w, CLeagueDataDlg::kCreateButton)->isVisible());
    EXPECT_FALSE(Control<QPushButton>(w, CLeagueDataDlg::kAddButton)->isVisible());
    EXPECT_TRUE(Control<QPushButton>(w, CLeagueDataDlg::kEditCancelButton)->isVisible());
    auto* list = Control<QListWidget>(w, CLeagueDataDlg::kLeagueList);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "B League");
    Click(w, CLeagueDataDlg::kActionButton);  // nothing chosen: "No" stays
    EXPECT_TRUE(w->isVisible());
    Click(w, CLeagueDataDlg::kActionButton);  // "Yes" leaves
  });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  EXPECT_TRUE(script.Finished()) << ::testing::PrintToString(script.Problems());
  EXPECT_TRUE(dialog.ChosenLeague().empty());
  ASSERT_EQ(messages.Shown().size(), 2u);
  EXPECT_EQ(messages.Shown()[0].text, "You did not select a league. Do you want to Exit \"Edit Teams\" ?");
  EXPECT_EQ(messages.Shown()[0].buttons, frontend::MessageButtons::kYesNo);

  CLeagueDataDlg chosen(CLeagueDataDlg::Mode::kEdit, base.path());
  ModalScript pick;
  pick.On("Edit Teams", [](QWidget* w) {
    SelectLeague(w, "B League");
    Click(w, CLeagueDataDlg::kActionButton);
  });
  EXPECT_EQ(chosen.exec(), QDialog::Accepted);
  EXPECT_EQ(chosen.ChosenLeague(), base / "QGU_LGE" / "B League");
}

TEST(LeagueDataDialog, ImportModeRefusalsAndNumberedLeagueNames) {
  ImportBench bench;
  const auto teams = league::ExtractCartridgeTeams(cartridge::EmbeddedCartridgeImage()).value();
  ImportJob job{&teams, {0}, bench.image, nullptr};

  // No league in the list yet: list and "Add To Selected League" are disabled.
  CLeagueDataDlg first(CLeagueDataDlg::Mode::kImport, bench.base.path(), &job);
  ModalScript script;
  script
      .On("League Data",
          [](QWidget* w) {
            EXPECT_FALSE(Control<QListWidget>(w, CLeagueDataDlg::kLeagueList)->isEnabled());
            EXPECT_FALSE(Control<QPushButton>(w, CLeagueDataDlg::kAddButton)->isEnabled());
            EXPECT_FALSE(Control<QPushButton>(w, CLeagueDataDlg::kEditCancelButton)->isVisible());
            Click(w, CLeagueDataDlg::kCreateButton);
          })
      .On("New League", [](QWidget* w) { NameLeague(w, "MY LEAGUE"); });
  first.exec();
  ASSERT_TRUE(script.Finished()) << ::testing::PrintToString(script.Problems());

  CLeagueDataDlg second(CLeagueDataDlg::Mode::kImport, bench.base.path(), &job);
  QString listed;
  ModalScript again;
  again
      .On("League Data",
          [](QWidget* w) {
            Control<QListWidget>(w, CLeagueDataDlg::kLeagueList)->clearSelection();
            Click(w, CLeagueDataDlg::kAddButton);  // nothing selected: refused, stays
            Click(w, CLeagueDataDlg::kCreateButton);
          })
      .On("New League", [&](QWidget* w) { NameLeague(w, "MY LEAGUE"); });
  second.exec();
  ASSERT_TRUE(again.Finished()) << ::testing::PrintToString(again.Problems());
  EXPECT_EQ(bench.MessageTexts(),
            (std::vector<std::string>{kSuccess, "Please Select a League to add the imported teams", kSuccess}));
  EXPECT_TRUE(fs::exists(bench.base / "qgu_lge" / "MY LEAGUE 1" / "config.lge"));
  EXPECT_EQ(FolderFiles(bench.base / "qgu_lge" / "MY LEAGUE 1").size(), 2u);  // config.lge and the team
  bench.messages.Clear();

  // A base where the leagues folder cannot be made.
  testing::WriteBytes(bench.elsewhere / "plain-file", "x");
  CLeagueDataDlg nowhere(CLeagueDataDlg::Mode::kImport, bench.elsewhere / "plain-file", &job);
  EXPECT_EQ(nowhere.exec(), QDialog::Rejected);
  EXPECT_EQ(bench.MessageTexts(), (std::vector<std::string>{"Unable to find qgu_lge directory!! aborting import !!"}));

  // "NEXT >>" with nothing ticked stays on dialog 204.
  bench.messages.Clear();
  CTeamImportDlg pickNone(teams, bench.image, bench.base.path(), nullptr);
  ModalScript none;
  none.On("Team Import", [](QWidget* w) {
    Click(w, CTeamImportDlg::kNextButton);
    EXPECT_TRUE(w->isVisible());
    Click(w, CTeamImportDlg::kCancelButton);
  });
  EXPECT_EQ(pickNone.exec(), QDialog::Rejected);
  EXPECT_EQ(bench.MessageTexts(), (std::vector<std::string>{"There are no teams selected to import"}));
}

}  // namespace
}  // namespace qgu::toolserver
