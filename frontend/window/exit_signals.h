#pragma once
// CExitSignals: SIGTERM and SIGINT (a logout, kill, Ctrl+C in the terminal)
// end the program the way File -> Exit does, settings saved. The signal
// handler only writes a byte into a pipe; the event loop reads it and calls
// back on the user-interface thread. The former handlers come back when the
// object goes.

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace qgu::frontend {

class CExitSignals : public QObject {
 public:
  explicit CExitSignals(std::function<void()> exitRequested, QObject* parent = nullptr);
  ~CExitSignals() override;
  CExitSignals(const CExitSignals&) = delete;
  CExitSignals& operator=(const CExitSignals&) = delete;

  // False when the pipe could not be made (the signals then keep their effect).
  bool Installed() const { return installed_; }

 private:
  void TakeSignal();

  std::function<void()> exitRequested_;
  QSocketNotifier* notifier_ = nullptr;
  bool installed_ = false;
  bool requested_ = false;
};

}  // namespace qgu::frontend
