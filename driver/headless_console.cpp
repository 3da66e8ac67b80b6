#include "driver/headless_console.h"

namespace qgu::driver {

CHeadlessConsole::CHeadlessConsole(IGameMachine& machine, int64_t frameBudget)
    : machine_(machine), frameBudget_(frameBudget) {}

void CHeadlessConsole::Sleep(int milliseconds) {
  for (int64_t i = FramesForMilliseconds(milliseconds); i > 0; --i) RunOneFrame();
}

void CHeadlessConsole::RunOneFrame() {
  if (frames_ >= frameBudget_) {
    budgetExhausted_ = true;
    throw GameStopped{};
  }
  machine_.RunFrame(pressPending_);
  pressPending_ = false;
  ++frames_;
  if (frameObserver_) frameObserver_(frames_, machine_.Memory());
}

}  // namespace qgu::driver
