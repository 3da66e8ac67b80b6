#pragma once
// CSeasonCreateDlg, "Create Season": a new season for one league. The user
// picks the league, names the season and sets the games per team, the quarter
// length, an optional divisions file, the playoff teams, the teams a person
// plays and the seed. "Create" writes the season; input the season library
// refuses is shown with its reason and the dialog stays open.
//
// Use: construct, exec(); Accepted means a season was made (League() and
// SeasonName() name it).

#include <QDialog>
#include <filesystem>
#include <string>

class QComboBox;
class QLineEdit;
class QListWidget;

namespace qgu::frontend {

class CSeasonCreateDlg : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int {
    kCreateButton = 1,
    kCancelButton = 2,
    kLeagueList = 2401,
    kNameEdit = 2402,
    kGamesEdit = 2403,
    kQuarterEdit = 2404,
    kDivisionsEdit = 2405,
    kDivisionsBrowse = 2406,
    kPlayoffTeamsEdit = 2407,
    kUserTeamList = 2408,
    kSeedEdit = 2409,
  };

  // base: the folder holding "qgu_lge".
  explicit CSeasonCreateDlg(QWidget* owner, std::filesystem::path base);

  const std::string& League() const { return league_; }
  const std::string& SeasonName() const { return name_; }

 private:
  void BuildUi();
  void FillLeagues();
  void FillTeams();
  void BrowseDivisions();
  void Create();
  void Refuse(const std::string& reason);

  std::filesystem::path base_;
  std::filesystem::path leaguesFolder_;
  std::string league_;
  std::string name_;
  QComboBox* leagues_ = nullptr;
  QLineEdit* nameEdit_ = nullptr;
  QLineEdit* gamesEdit_ = nullptr;
  QLineEdit* quarterEdit_ = nullptr;
  QLineEdit* divisionsEdit_ = nullptr;
  QLineEdit* playoffEdit_ = nullptr;
  QListWidget* userTeams_ = nullptr;
  QLineEdit* seedEdit_ = nullptr;
};

}  // namespace qgu::frontend
