#pragma once
// CMainMenuDlg, "Quozi Gridcrown ULTRA" (dialog 130): the tool server's main
// menu. A background picture, looping title music and big picture buttons in
// three sets (main, play, manage) that swap in eight 70 ms steps. Its buttons
// call back into the IQuoziHelper that opened it; choosing a single game
// closes it with the teams and settings.

#include <QDialog>
#include <QImage>
#include <QTimer>
#include <array>
#include <map>

#include "toolserver/com/qghelper_interface.h"
#include "toolserver/helper_tools.h"

class QPushButton;

namespace qgu::toolserver {

class CPictureButton;

inline constexpr std::string_view kHelperErrorMessage = "Error in qghelper.dll";
inline constexpr std::string_view kHelperErrorTitle = "QgUltra";

class CMainMenuDlg : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int {
    kPlay = 1000,
    kSingleSeason = 1001,
    kManage = 1002,
    kMultiSeason = 1003,
    kExit = 1004,
    kDynasty = 1005,
    kSingleGame = 1006,
    kBack = 1008,
    kImportTeams = 1009,
    kEditTeams = 1010,
    kEditLeague = 1011,
    kNewLeague = 1012,
    kMusic = 1015,
    kAbout = 318,
  };
  enum Animation : int { kNoAnimation = 0, kToPlaySet = 1, kToManageSet = 2, kToMainSet = 3 };
  static constexpr int kAnimationStepMs = 70;
  static constexpr int kAnimationSteps = 8;

  explicit CMainMenuDlg(com::IQuoziHelper& helper, QWidget* owner = nullptr);
  ~CMainMenuDlg() override;

  // -1 at start and after "E x i t", 1 after a single game was chosen, 0 after a failed call.
  int Selection() const { return selection_; }
  const GameChoice& Game() const { return game_; }
  bool MusicOn() const { return musicOn_; }
  int RunningAnimation() const { return animation_; }
  int AnimationStep() const { return step_; }
  bool HasBackground() const { return !background_.isNull(); }

  // One step of the running animation, as its clock does every 70 ms.
  void AnimationTick();

  void reject() override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void BuildUi();
  void ConnectSignals();
  CPictureButton* AddMenuButton(int id, const char* caption, bool small, QPoint at);
  void StartAnimation(int animation);
  void Exit();
  void SingleGame();
  void ImportOrEdit(bool import);
  void About();
  void ToggleMusic();
  void StartMusic();
  void StopMusic();
  void CallFailed();

  com::IQuoziHelper& helper_;
  int selection_ = -1;
  GameChoice game_;
  bool musicOn_ = true;
  QImage background_;
  int animation_ = kNoAnimation;
  int step_ = 0;
  QTimer animationClock_;
  std::map<int, QPushButton*> buttons_;
};

}  // namespace qgu::toolserver
