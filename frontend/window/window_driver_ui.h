#pragma once
// CWindowDriverUi: the game driver's view of the main window. The driver
// calls it from its own thread; everything it shows is handed to the window's
// thread with a queued call and never waited for, except the summary and the
// driver's messages, which CThreadedGame already brings to the window's thread
// (see driver/threaded_game.h).

#include <QPointer>

#include "driver/driver_host.h"

namespace qgu::frontend {

class CQguDlg;

class CWindowDriverUi final : public driver::IDriverUi {
 public:
  explicit CWindowDriverUi(CQguDlg& window);

  void ShowStatus(const std::string& text) override;
  void HideStatus() override;
  void RefreshMainWindow() override;
  void StopSound() override {}  // the emulator thread stops the stream with the game
  // On the window's thread (through CThreadedGame's postToUi).
  void ShowSummary(const driver::GameSummary& summary) override;
  void ShowMessage(std::string_view title, std::string_view text) override;

 private:
  QPointer<CQguDlg> window_;
};

}  // namespace qgu::frontend
