#pragma once
// CSingleGameDlg, "Single Game" (dialog 201): where a game is set up. The user
// picks a league and a team for each side, who controls each side, the
// weather and the quarter length. Both programs show it: the game program
// before it starts a game, the tool server for its team selection. It only
// gathers choices and starts nothing.
//
// Use: construct, exec(), then read the results. A game was asked for exactly
// when both team paths are non-empty (exec() then also returns Accepted).

#include <QDialog>
#include <filesystem>
#include <string>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace qgu::frontend {

// The weather buttons' control ids differ between the two programs.
struct WeatherButtonIds {
  int clear;
  int rain;
  int snow;
};
inline constexpr WeatherButtonIds kGameProgramWeatherIds{1005, 1006, 1007};
inline constexpr WeatherButtonIds kToolServerWeatherIds{322, 323, 324};

class CSingleGameDlg : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int {
    kPlayButton = 1,
    kQuitButton = 2,
    kHomeLeagueList = 202,
    kAwayTeamList = 203,
    kAwayLeagueList = 204,
    kHomeTeamList = 205,
    kP1Man = 219,
    kP1Coa = 220,
    kP1Com = 221,
    kP2Man = 222,
    kP2Com = 223,
    kP2Coa = 224,
    kQuarterLengthEdit = 225,
    kQuarterLengthUpDown = 226,
  };
  // Radio indices of the control and weather groups.
  enum ControlMode : int { kMan = 0, kCoa = 1, kCom = 2 };
  enum Weather : int { kClear = 0, kRain = 1, kSnow = 2 };

  // base: the folder holding "qgu_lge" (the current folder, "."); the team
  // paths returned start with it.
  explicit CSingleGameDlg(QWidget* owner = nullptr, WeatherButtonIds weatherIds = kGameProgramWeatherIds,
                          std::filesystem::path base = ".");
  ~CSingleGameDlg() override;

  // Results; the team paths are empty unless "P L A Y" closed the dialog.
  const std::string& HomeTeam() const { return homeTeam_; }
  const std::string& AwayTeam() const { return awayTeam_; }
  const std::string& QuarterLengthText() const { return quarterLength_; }
  int HomeControl() const { return homeControl_; }
  int AwayControl() const { return awayControl_; }
  int WeatherChoice() const { return weather_; }
  bool Played() const { return played_; }

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildUi(WeatherButtonIds weatherIds);
  void ConnectSignals();
  // Lists the leagues; false (after saying why) when there is nothing to choose.
  bool SetUp();
  void FillTeams(QComboBox* leagues, QListWidget* teams);
  void Play();
  void Refuse(const std::string& text);

  std::filesystem::path base_;
  bool setUpDone_ = false;

  QComboBox* homeLeagues_ = nullptr;
  QComboBox* awayLeagues_ = nullptr;
  QListWidget* homeTeams_ = nullptr;
  QListWidget* awayTeams_ = nullptr;
  QButtonGroup* homeControls_ = nullptr;
  QButtonGroup* awayControls_ = nullptr;
  QButtonGroup* weathers_ = nullptr;
  QLineEdit* quarterEdit_ = nullptr;

  std::string homeTeam_;
  std::string awayTeam_;
  std::string quarterLength_ = "5";
  int homeControl_ = kMan;
  int awayControl_ = kCom;
  int weather_ = kClear;
  bool played_ = false;
};

}  // namespace qgu::frontend
