#pragma once
// CLeagueDataDlg, "League Data" (dialog 203): the leagues under a base
// folder, to import cartridge teams into (import mode, with "Create New
// League") or to pick one for the team editor (edit mode, titled "Edit
// Teams"). Only folders holding config.lge are leagues here.

#include <QDialog>
#include <filesystem>
#include <string>
#include <vector>

#include "league/cartridge_import.h"
#include "league/cartridge_teams.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace qgu::toolserver {

// What the import mode writes: the chosen cartridge teams.
struct ImportJob {
  const league::CartridgeTeams* teams = nullptr;
  std::vector<int> selection;  // cartridge indices, ascending
  std::filesystem::path image;
  league::TeamWritten written;  // what goes beside each written file
};

class CLeagueDataDlg : public QDialog {
  Q_OBJECT

 public:
  enum class Mode { kImport, kEdit };
  enum ControlId : int {
    kImageLine = 227,
    kFirstHintLine = 228,
    kSecondHintLine = 229,
    kEditCancelButton = 230,
    kLeagueList = 209,
    kActionButton = 1033,  // "Cancel" when importing, "Edit" when editing
    kAddButton = 1035,
    kCreateButton = 1036,
  };

  // job: only for the import mode; it must outlive the dialog.
  CLeagueDataDlg(Mode mode, std::filesystem::path base, const ImportJob* job = nullptr, QWidget* owner = nullptr);

  // Finds or makes the leagues folder first; closes at once (Rejected) when it cannot.
  int exec() override;

  // Edit mode: the chosen league folder (base/qgu_lge/<league>), empty unless "Edit" chose one.
  const std::filesystem::path& ChosenLeague() const { return chosenLeague_; }

 private:
  void BuildUi();
  void ConnectSignals();
  bool SetUp();
  void ListLeagues();
  void CreateNewLeague();
  void AddToSelectedLeague();
  void ChooseForEditing();
  void WriteImport(const std::string& league);
  void Say(const std::string& text, bool information = false);

  Mode mode_;
  std::filesystem::path base_;
  const ImportJob* job_;
  std::filesystem::path leaguesFolder_;
  std::filesystem::path chosenLeague_;

  QListWidget* leagues_ = nullptr;
  QLabel* imageLine_ = nullptr;
  QLabel* firstHint_ = nullptr;
  QLabel* secondHint_ = nullptr;
  QPushButton* create_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* editCancel_ = nullptr;
  QPushButton* action_ = nullptr;
};

}  // namespace qgu::toolserver
