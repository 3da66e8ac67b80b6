#pragma once
// CDynastyWnd: a dynasty, beside the game window. The header says where it
// stands; tabs Year (this year's season, opened in the season window),
// Offseason (who rose and fell, who retired with his career line), Draft (the
// picks as they are made, the rookies still there, and Pick / Auto Pick /
// Pass when a person's team is on the clock) and Record Book (champions,
// career leaders, records, franchises). Play Year plays the year's season and
// its offseason on a worker thread (a person's games are left for the season
// window unless the computer is to play them); Offseason runs only the steps
// after a finished season. Every tab is read again from the dynasty's files
// after each run, so what it shows is what they hold.

#include <QDialog>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "dynasty/dynasty.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace qgu::frontend {

class CSeasonSim;
struct SimOutcome;

// Opens a season of a league in the season window.
using SeasonOpener = std::function<void(const std::string& league, const std::string& season)>;

class CDynastyWnd : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int {
    kHeaderLabel = 2511,
    kTabs = 2512,
    kYearLabel = 2513,
    kSeasonButton = 2514,
    kOffseasonTree = 2515,
    kPicksTree = 2516,
    kRookiesTree = 2517,
    kPickButton = 2518,
    kAutoPickButton = 2519,
    kPassButton = 2520,
    kBookTabs = 2521,
    kChampionsTree = 2522,
    kCareersTree = 2523,
    kRecordsTree = 2524,
    kFranchisesTree = 2525,
    kPlayYearButton = 2531,
    kOffseasonButton = 2532,
    kSimUserCheck = 2533,
    kProgressBar = 2534,
    kCancelButton = 2535,
    kStatusLabel = 2536,
    kOnClockLabel = 2537,
  };
  enum Tab : int { kYearTab = 0, kOffseasonTab, kDraftTab, kBookTab };

  CDynastyWnd(QWidget* owner, std::filesystem::path leaguesFolder, std::string name, std::span<const uint8_t> image,
              SeasonOpener openSeason);
  ~CDynastyWnd() override;

  // Reads the dynasty's files again and refills every tab.
  bool Refresh();
  const std::optional<dynasty::Dynasty>& Dynasty() const { return dynasty_; }
  bool Running() const;
  QString StatusText() const;

  void PlayYear();
  void RunOffseason();
  // The selected rookie of the Rookies list for the team on the clock (0: the computer's choice).
  void PickSelected();
  void Pick(int rookie);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildUi();
  void Advance(bool offseasonOnly);
  void Finished(const SimOutcome& outcome);
  void FillYear();
  void FillOffseason();
  void FillDraft();
  void FillBook();
  void SetStatus(const QString& text);
  void UpdateButtons();

  std::filesystem::path leaguesFolder_;
  std::string name_;
  std::span<const uint8_t> image_;
  SeasonOpener openSeason_;
  std::optional<dynasty::Dynasty> dynasty_;
  std::optional<dynasty::DraftView> draft_;
  CSeasonSim* sim_ = nullptr;

  QLabel* header_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QLabel* yearText_ = nullptr;
  QPushButton* seasonButton_ = nullptr;
  QTreeWidget* offseason_ = nullptr;
  QTreeWidget* picks_ = nullptr;
  QTreeWidget* rookies_ = nullptr;
  QLabel* onClock_ = nullptr;
  QPushButton* pick_ = nullptr;
  QPushButton* autoPick_ = nullptr;
  QPushButton* pass_ = nullptr;
  QTabWidget* bookTabs_ = nullptr;
  QTreeWidget* champions_ = nullptr;
  QTreeWidget* careers_ = nullptr;
  QTreeWidget* records_ = nullptr;
  QTreeWidget* franchises_ = nullptr;
  QPushButton* playYear_ = nullptr;
  QPushButton* offseasonButton_ = nullptr;
  QCheckBox* simUser_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace qgu::frontend
