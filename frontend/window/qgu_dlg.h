#pragma once
// CQguDlg, "Quozi Gridcrown ULTRA" (dialog 102, menu 129): the game window.
// During a game's boot it shows the helmet control (1004) with the two
// helmets and the driver's status line, then the emulator's picture with the
// frame-rate read-out. Its menu starts, pauses, resumes and stops games and
// opens the other dialogs; it owns the host devices and the CGameManager.
//
// The window cannot be closed from its title bar, with Alt+F4 or Escape:
// File -> Exit ends it (emitting Exited), and only while no game runs.

#include <QDialog>
#include <QPointer>
#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "driver/game_manager.h"
#include "driver/game_summary.h"
#include "driver/weather_palettes.h"
#include "frontend/window/host_runtime.h"
#include "frontend/window/link_game.h"
#include "frontend/window/main_menu.h"
#include "host/frame_clock.h"
#include "host/emulator_thread.h"
#include "host/netplay_link.h"
#include "host/rollback_link.h"
#include "host/netplay_spectator.h"
#include "host/netplay_watch_late.h"
#include "host/netplay_watch_link.h"

class QStackedLayout;

namespace qgu::host {
class CVideoWidget;
}

namespace qgu::frontend {

class CBigHelmetCtrl;
class CGameSession;
class CDynastyWnd;
class CSeasonWnd;
class CWindowDriverUi;

inline constexpr const char* kMainWindowTitle = "Quozi Gridcrown ULTRA";
inline constexpr const char* kStartupTitle = "Quozi Gridcrown Ultra";
inline constexpr const char* kProgramTitle = "QgUltra";

// A game asked for from outside the menu (the command line).
struct GameRequest {
  std::string home;
  std::string away;
  int quarterMinutes = 5;
  int p1 = driver::kControlMan;
  int p2 = driver::kControlCom;
  driver::Weather weather = driver::Weather::kClear;
  // A season game: handed the summary the capture made (before it is shown),
  // and told when the game has stopped, summary or not.
  std::function<void(const driver::GameSummary&)> summarized;
  std::function<void()> ended;
};

struct WindowOptions {
  std::filesystem::path configFile = host::kAppConfigFile;
  std::filesystem::path base = ".";  // holds "qgu_lge"
  std::span<const uint8_t> image;    // the carried cartridge
  std::optional<uint32_t> seed;      // of the play calling; the time by default
  // The emulator thread's clock for each game (tests: unpaced); null: real
  // time, with the boot unpaced.
  std::function<std::unique_ptr<host::IFrameClock>()> makeClock;
  // After a game's summary: print the box score to standard output, close
  // the summary after this long and then end the program.
  bool exitAfterGame = false;
  int summaryMs = 1500;
  // Told of every game's summary before it is shown (linked games too).
  std::function<void(const driver::GameSummary&)> summaryShown;
};

class CQguDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kHelmetControl = 1004;

  explicit CQguDlg(WindowOptions options, QWidget* parent = nullptr);
  ~CQguDlg() override;

  // The host runtime, as at start-up; false after "Error initializing QGUltra !".
  bool Initialized() const { return initialized_; }

  // Menu commands (also the menu's actions).
  void OnCommand(int command);
  bool SelectGame();
  bool StartSingleGame();
  bool StartEmulation();
  // File -> PLAY -> Host / Join Linked Game (link_game.cpp); false when no game started.
  bool HostLinkedGame();
  bool JoinLinkedGame();
  // File -> PLAY -> Watch Linked Game (qgu_dlg_watch.cpp).
  bool WatchLinkedGame();
  // The other side's nickname while a linked game runs; empty otherwise.
  const std::string& LinkedPeer() const { return linkPeer_; }
  void StopGame();
  // File -> Exit: stops a game, saves the settings and ends the window. A
  // settings file that cannot be written is said in a message box, or only
  // on standard error when quietly (ended by a signal).
  void Exit(bool quietly = false);

  // Starts the requested game at once; false (the reason in the status line)
  // when nothing started.
  bool StartRequestedGame(const GameRequest& request);

  // Select Season and Create Season; the season window that either opened.
  void SelectSeason();
  void CreateSeason();
  void OpenSeasonWindow(const std::string& league, const std::string& name);
  CSeasonWnd* SeasonWindow() const;
  // Dynasty and Multi Season (a dynasty without offseason); the dynasty window that opened.
  void OpenDynasty(bool multiSeason);
  CDynastyWnd* DynastyWindow() const;

  CMainMenu& Menu() { return *menu_; }
  driver::CGameManager& Manager() { return manager_; }
  CHostRuntime& Runtime() { return runtime_; }
  CGameSession* Session() { return session_.get(); }
  QString StatusText() const { return statusText_; }
  bool ShowingPicture() const;
  // The summary of the last game, if one was shown.
  const std::optional<driver::GameSummary>& LastSummary() const { return lastSummary_; }
  // Counters of every game's emulator thread so far, and their running time.
  host::RuntimeCounters TotalCounters() const;
  double TotalRunningSeconds() const;
  // From the last game's start (P L A Y) to its kickoff on screen; 0 before one.
  double BootSeconds() const { return bootSeconds_; }
  // From the last game's kickoff on screen to its summary: the pace of play.
  struct PlayPace {
    int64_t frames = 0;
    double seconds = 0.0;
  };
  PlayPace LastPlayPace() const { return playPace_; }
  // The link's read-out as the last linked game's summary showed; empty when not linked.
  const std::string& LastLinkReadout() const { return linkReadout_; }
  // A rollback game's counters as its summary showed; nothing for other games.
  const std::optional<host::RollbackCounters>& LastRollback() const { return rollbackCounters_; }

  // Called by the driver's go-between on this window's thread.
  void ShowDriverStatus(const QString& text);
  void EndBoot();
  void ShowSummary(const driver::GameSummary& summary);
  void ShowDriverMessage(const std::string& title, const std::string& text);
  void CloseDriverInteraction();

  void reject() override;

 signals:
  // File -> Exit finished: the settings are saved and the program may end.
  void Exited();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildUi();
  void InitializeRuntime();
  void PlaceWindow();
  void EnsureLeague();
  void ReportSettingsNotes();
  void ReportSoundAndFirstSteps();
  void AddStatusLine(const QString& line);
  void ToggleSound();
  void SetStatus(const QString& text);
  void ShowHelmets();
  void ApplyWeather(driver::Weather weather);
  void Pause();
  void Resume();
  void Stop();
  void Controller();
  void About();
  void AddToTotals();
  void EndGameHooks();

  driver::CThreadedGame::Options DriverThreads();
  bool StartLinkedGame(uint32_t seed, int weather);
  // A notice of the emulator thread during a linked game: a closed link ends the game.
  void LinkNotice(const std::string& text);
  // A linked game's machine: its state hashes go over the link, and a mismatch is mended from the host's.
  void CheckLinkedState();
  // A host takes watchers that come late; a watcher that came late goes on
  // from the host's game under way (machine, driver, frame). False: nothing to watch.
  bool PrepareLinkedStart(driver::DriverGame& game, int64_t& firstFrame);

  WindowOptions options_;
  CHostRuntime runtime_;
  driver::CGameManager manager_;
  CMainMenu* menu_ = nullptr;
  QStackedLayout* screens_ = nullptr;
  CBigHelmetCtrl* helmets_ = nullptr;
  host::CVideoWidget* picture_ = nullptr;
  std::unique_ptr<CWindowDriverUi> driverUi_;
  std::unique_ptr<CGameSession> session_;
  QPointer<QDialog> summary_;
  QPointer<CSeasonWnd> seasonWindow_;
  QPointer<CDynastyWnd> dynastyWindow_;
  // The hooks of the next game to start and of the game under way.
  std::function<void(const driver::GameSummary&)> nextSummarized_, summarized_;
  std::function<void()> nextEnded_, ended_;
  QString statusText_;
  std::optional<driver::GameSummary> lastSummary_;
  host::RuntimeCounters totals_;
  double totalSeconds_ = 0.0;
  std::chrono::steady_clock::time_point gameStarted_{};
  double bootSeconds_ = 0.0;
  std::chrono::steady_clock::time_point kickoffAt_{};
  int64_t kickoffFrames_ = 0;
  PlayPace playPace_;
  std::string linkReadout_;
  std::optional<host::RollbackCounters> rollbackCounters_;
  std::unique_ptr<host::CSpectatorHost> spectators_;  // of the hosted game's watchers, told by link_
  std::unique_ptr<host::CNetplayLink> link_;  // of the linked game being started or played
  std::unique_ptr<host::CLateWatchers> lateWatchers_;  // the hosted game for watchers that come late
  std::unique_ptr<host::CWatchLink> watchLink_;  // of the linked game being watched
  std::optional<host::WatchJoin> watchJoin_;     // the game under way it came to
  // The link the game being played or watched runs on; null for a game of this side's own.
  host::IFrameInputLink* GameLink() const;
  void EndLinks();
  std::string linkPeer_;
  std::string watchPlayer_;  // the other player of the game watched
  int selectedWeather_ = 0;  // of the last single game dialog
  bool linkBootDone_ = false;
  std::array<CPrivateRecordFile, 2> linkedRecords_;  // the host's teams, on the joining side
  bool initialized_ = false;
  bool exiting_ = false;
};

}  // namespace qgu::frontend
