#pragma once
// CMainMenu: menu 129 of the main window. Every command is a QAction whose
// object name is its command id ("136"); the File and Game menus carry the
// names "File" and "Game". The menu shows the window's three states.

#include <QObject>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace qgu::frontend {

enum class MenuState { kIdle, kPlaying, kPaused };

class CMainMenu : public QObject {
  Q_OBJECT

 public:
  enum Command : int {
    kSingleGame = 32774,
    kSelectSeason = 140,
    kCreateSeason = 141,
    kHostLinkedGame = 142,
    kJoinLinkedGame = 143,
    kWatchLinkedGame = 144,
    kMultiSeason = 32776,
    kDynasty = 32777,
    kNewLeague = 32778,
    kEditLeague = 32779,
    kImportTeams = 32780,
    kEditTeams = 32781,
    kExit = 32773,
    kPause = 136,
    kResume = 137,
    kStop = 138,
    kController = 133,
    kSound = 145,
    kAbout = 135,
  };

  explicit CMainMenu(QWidget* window);

  QMenuBar* Bar() const { return bar_; }
  QAction* Action(int command) const;
  QMenu* FileMenu() const { return file_; }
  QMenu* GameMenu() const { return game_; }

  void SetState(MenuState state);
  MenuState State() const { return state_; }

 signals:
  // A command chosen (only commands that have an action are sent).
  void Command(int command);

 private:
  QAction* AddCommand(QMenu* menu, const QString& text, int command, bool enabled = true, bool handled = true);

  QMenuBar* bar_;
  QMenu* file_ = nullptr;
  QMenu* game_ = nullptr;
  MenuState state_ = MenuState::kIdle;
};

}  // namespace qgu::frontend
