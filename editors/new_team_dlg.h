#pragma once
// "Create New Team" (dialog 358): a whole new team, header and 30 players,
// written as a new team record file into a league folder under the naming
// rule (abbreviation without dots, then the first free number).

#include <QDialog>
#include <filesystem>

#include "league/team_record.h"

class QListWidget;

namespace qgu::editors {

class CPlayerPanel;
class CTeamHeaderPanel;

// The header and players a new team starts with.
league::TeamRecord NewTeamTemplate();

class CNewTeamDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CNewTeamDlg(std::filesystem::path leagueFolder, QWidget* parent = nullptr);

  // "OK": checks the team and writes it; the dialog stays open on a refusal
  // or a failed write, so nothing typed is lost.
  void accept() override;

  // The written team record file (after OK).
  const std::filesystem::path& CreatedFile() const { return created_; }

  static constexpr int kPositionListId = 277;

 private:
  void BuildUi();
  void FitScreen(int wantedHeight);
  void ConnectSignals();
  void StoreShownNames();
  void SelectPosition(int index);
  bool Refuse(const std::string& message);
  bool CheckTeam();
  bool WriteTeam();

  std::filesystem::path folder_;
  std::filesystem::path created_;
  league::TeamRecord team_;

  CTeamHeaderPanel* header_ = nullptr;
  CPlayerPanel* player_ = nullptr;
  QListWidget* positions_ = nullptr;
};

}  // namespace qgu::editors
