#include "frontend/window/main_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace qgu::frontend {

CMainMenu::CMainMenu(QWidget* window) : QObject(window), bar_(new QMenuBar(window)) {
  bar_->setObjectName("129");
  file_ = bar_->addMenu("&File");
  file_->setObjectName("File");
  QMenu* play = file_->addMenu("PLAY");
  AddCommand(play, "Single Game", kSingleGame);
  AddCommand(play, "Host Linked Game...", kHostLinkedGame);
  AddCommand(play, "Join Linked Game...", kJoinLinkedGame);
  AddCommand(play, "Watch Linked Game...", kWatchLinkedGame);
  QMenu* season = play->addMenu("Single Season");
  AddCommand(season, "Select Season", kSelectSeason);
  AddCommand(season, "Create Season", kCreateSeason);
  AddCommand(play, "Multi Season", kMultiSeason);
  AddCommand(play, "Dynasty", kDynasty);
  QMenu* manage = file_->addMenu("MANAGE");
  manage->menuAction()->setEnabled(false);
  AddCommand(manage, "New League", kNewLeague, false, false);
  AddCommand(manage, "Edit League", kEditLeague, false, false);
  AddCommand(manage, "Import Teams", kImportTeams, false, false);
  AddCommand(manage, "Edit Teams", kEditTeams, false, false);
  file_->addSeparator();
  AddCommand(file_, "Exit", kExit);

  game_ = bar_->addMenu("&Game");
  game_->setObjectName("Game");
  AddCommand(game_, "Pause", kPause);
  AddCommand(game_, "Resume", kResume);
  AddCommand(game_, "Stop", kStop);

  QMenu* options = bar_->addMenu("&Options");
  AddCommand(options, "Controller", kController);
  // Checked while sound is on ("[Sound] Enable").
  AddCommand(options, "Sound", kSound)->setCheckable(true);
  QMenu* help = bar_->addMenu("&Help");
  AddCommand(help, "About", kAbout);

  SetState(MenuState::kIdle);
  // The Game menu's items start enabled; only the menu itself is grayed.
  Action(kResume)->setEnabled(true);
}

QAction* CMainMenu::AddCommand(QMenu* menu, const QString& text, int command, bool enabled, bool handled) {
  QAction* action = menu->addAction(text);
  action->setObjectName(QString::number(command));
  action->setEnabled(enabled);
  if (handled) connect(action, &QAction::triggered, this, [this, command] { emit Command(command); });
  return action;
}

QAction* CMainMenu::Action(int command) const { return bar_->findChild<QAction*>(QString::number(command)); }

void CMainMenu::SetState(MenuState state) {
  state_ = state;
  const bool idle = state == MenuState::kIdle;
  file_->menuAction()->setEnabled(idle);
  game_->menuAction()->setEnabled(!idle);
  if (!idle) {
    Action(kPause)->setEnabled(state == MenuState::kPlaying);
    Action(kResume)->setEnabled(state == MenuState::kPaused);
    Action(kStop)->setEnabled(true);
  }
}

}  // namespace qgu::frontend
