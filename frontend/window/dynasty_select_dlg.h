#pragma once
// CDynastySelectDlg, "Dynasty" (or "Multi Season"): the dynasties kept here,
// to continue one, and a new one made from a league: its name, the league it
// begins from, the team a person plays (or none), games per team and quarter
// length. Multi Season makes a dynasty without offseason (the rosters stay
// as they are) and lists only those.
//
// Use: construct, exec(); Accepted means DynastyName() is set (and made).

#include <QDialog>
#include <filesystem>
#include <string>

class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace qgu::frontend {

class CDynastySelectDlg : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int {
    kContinueButton = 1,
    kCancelButton = 2,
    kDynastyList = 2501,
    kLeagueList = 2502,
    kNameEdit = 2503,
    kUserTeamList = 2504,
    kGamesSpin = 2505,
    kQuarterSpin = 2506,
    kCreateButton = 2507,
  };

  // base: the folder holding "qgu_lge"; multiSeason: no offseason.
  CDynastySelectDlg(QWidget* owner, std::filesystem::path base, bool multiSeason);

  const std::string& DynastyName() const { return name_; }

 private:
  void FillDynasties();
  void FillTeams();
  void Continue();
  void Create();

  std::filesystem::path leaguesFolder_;
  bool multiSeason_;
  std::string name_;
  QListWidget* dynasties_ = nullptr;
  QComboBox* leagues_ = nullptr;
  QLineEdit* newName_ = nullptr;
  QComboBox* userTeam_ = nullptr;
  QSpinBox* games_ = nullptr;
  QSpinBox* quarter_ = nullptr;
};

}  // namespace qgu::frontend
