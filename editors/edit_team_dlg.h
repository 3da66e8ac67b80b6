#pragma once
// "Edit Team" (dialog 207): every team of one league folder, one header at a
// time, in browse mode and edit mode. SAVE rewrites the shown team's record
// file at once; "Edit Players" and "NEW TEAM" open the player editor and the
// new-team dialog.

#include <QDialog>
#include <filesystem>
#include <optional>
#include <vector>

#include "editors/record_saves.h"
#include "league/team_record.h"

class QComboBox;
class QPushButton;

namespace qgu::editors {

class CTeamHeaderPanel;

inline constexpr int kMaxTeams = 2000;

// One listed team: the header line of its file and the file's stamp when read.
struct TeamRecord {
  league::TeamHeader header;
  std::filesystem::path path;
  std::optional<FileStamp> stamp;
};

// The team files of a league folder (sorted by name), at most kMaxTeams;
// `limitReached` when the folder held that many or more.
struct TeamTable {
  std::vector<TeamRecord> teams;
  bool limitReached = false;
};
TeamTable LoadTeamTable(const std::filesystem::path& leagueFolder);

class CEditTeamDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CEditTeamDlg(std::filesystem::path leagueFolder, QWidget* parent = nullptr);

  // A league without teams ends the dialog at once, as cancelled.
  int exec() override;
  // While editing, Escape and the window's close button do nothing: SAVE or Cancel first.
  void reject() override;

  bool HasTeams() const { return !table_.teams.empty(); }
  int TeamCount() const { return static_cast<int>(table_.teams.size()); }
  bool Editing() const { return editing_; }

  static constexpr int kTeamListId = 231, kEditId = 259, kEditPlayersId = 239, kNewTeamId = 238;
  static constexpr int kCancelId = 3, kExitId = 2;

 private:
  void BuildUi();
  void ConnectSignals();
  void LoadTeams(bool firstTime);
  void SelectTeam(const std::filesystem::path& path, int fallbackIndex);
  void ShowSelected();
  TeamRecord* Selected();
  void SetEditMode(bool editing);
  void MarkChanged();
  void EditOrSave();
  void Save();
  void CancelEdit();
  void EditPlayers();
  void NewTeam();

  std::filesystem::path folder_;
  TeamTable table_;
  league::TeamHeader working_;  // the shown team while editing, returners included
  bool editing_ = false;

  QComboBox* teamList_ = nullptr;
  CTeamHeaderPanel* header_ = nullptr;
  QPushButton* edit_ = nullptr;
  QPushButton* editPlayers_ = nullptr;
  QPushButton* newTeam_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* exit_ = nullptr;
};

}  // namespace qgu::editors
