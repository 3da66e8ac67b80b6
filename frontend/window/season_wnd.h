#pragma once
// CSeasonWnd: one season of a league, beside the game window. Tabs Schedule
// (week by week with results; a double click on a played game shows its box
// score), Standings, Leaders and Playoffs (with the champion); buttons to
// play the person's next game in the game window and to sim a week, the
// regular season or the playoffs on a worker thread with a progress bar and
// Cancel. Every table is read again from the season's files after each game,
// so what it shows is what the journal holds.
//
// Closing the window during a sim cancels it: the games under way finish and
// are kept, then the window goes.

#include <QDialog>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "driver/game_summary.h"
#include "frontend/window/qgu_dlg.h"
#include "season/season.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace qgu::frontend {

class CSeasonSim;
struct SimOutcome;
struct SimProgress;

// Starts a season game in the game window; false when it could not start.
using SeasonGameStarter = std::function<bool(const GameRequest& request)>;

class CSeasonWnd : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int {
    kTabs = 2421,
    kScheduleTree = 2422,
    kStandingsTree = 2423,
    kLeadersTree = 2424,
    kPlayoffsTree = 2425,
    kChampionLabel = 2426,
    kPlayNextButton = 2431,
    kSimWeekButton = 2432,
    kSimRegularButton = 2433,
    kSimPlayoffsButton = 2434,
    kProgressBar = 2435,
    kCancelButton = 2436,
    kStatusLabel = 2437,
    kSimUserCheck = 2438,
  };
  enum Tab : int { kScheduleTab = 0, kStandingsTab, kLeadersTab, kPlayoffsTab };

  // image: the cartridge the sims play on (must outlive the window).
  CSeasonWnd(QWidget* owner, std::filesystem::path leagueFolder, std::string name, std::span<const uint8_t> image,
             SeasonGameStarter startGame);
  ~CSeasonWnd() override;

  // Reads the season's files again and refills every tab; false (the reason
  // in the status line) when the season cannot be read.
  bool Refresh();
  const std::optional<season::Season>& Season() const { return season_; }
  bool Simulating() const;
  bool PlayingGame() const { return pendingGame_ != 0; }
  QString StatusText() const;

  void PlayNextGame();
  void Sim(season::PlayScope scope);
  void CancelSim();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void BuildUi();
  QWidget* BuildButtons();
  void SetStatus(const QString& text);
  void UpdateButtons();
  void ShowBoxScore(QTreeWidgetItem* item);
  void OnProgress(const SimProgress& progress);
  void OnFinished(const SimOutcome& outcome);
  void GameRecorded(int gameId, const season::Status& recorded, const driver::GameSummary& summary);
  int CurrentWeek() const;

  std::filesystem::path leagueFolder_;
  std::string name_;
  std::span<const uint8_t> image_;
  SeasonGameStarter startGame_;
  std::optional<season::Season> season_;
  CSeasonSim* sim_ = nullptr;
  int pendingGame_ = 0;  // the person's game under way in the game window
  bool closing_ = false;
  qint64 lastRefresh_ = 0;

  QTabWidget* tabs_ = nullptr;
  QTreeWidget* schedule_ = nullptr;
  QTreeWidget* standings_ = nullptr;
  QTreeWidget* leaders_ = nullptr;
  QTreeWidget* playoffs_ = nullptr;
  QLabel* champion_ = nullptr;
  QPushButton* playNext_ = nullptr;
  QPushButton* simWeek_ = nullptr;
  QPushButton* simRegular_ = nullptr;
  QPushButton* simPlayoffs_ = nullptr;
  QCheckBox* simUser_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace qgu::frontend
