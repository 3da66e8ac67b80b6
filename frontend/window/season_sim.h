#pragma once
// CSeasonSim: season games played on a worker thread while the window stays
// responsive. The work gets a progress callback and a cancel flag; progress
// and the end reach the object's (user-interface) thread as queued signals,
// so no widget is touched off that thread. Cancel stops new games from
// starting; the games under way finish and are kept. Destroying the object
// cancels and waits for the worker.

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace qgu::frontend {

struct SimProgress {
  int done = 0;
  int total = 0;
  double secondsLeft = 0;
  QString last;
};

struct SimOutcome {
  bool cancelled = false;
  QString message;  // what happened, for the status line; an error when failed
  bool failed = false;
};

class CSeasonSim : public QObject {
  Q_OBJECT

 public:
  using ProgressFn = std::function<void(const SimProgress&)>;
  using Work = std::function<SimOutcome(const ProgressFn& progress, const std::atomic<bool>& cancel)>;

  explicit CSeasonSim(QObject* parent = nullptr);
  ~CSeasonSim() override;

  // False while another run is under way.
  bool Start(Work work);
  void Cancel() { cancel_ = true; }
  bool Running() const { return running_; }
  // Waits for the worker (after Cancel, for the games under way).
  void Wait();

 signals:
  void Progress(const qgu::frontend::SimProgress& progress);
  void Finished(const qgu::frontend::SimOutcome& outcome);

 private:
  std::thread worker_;
  std::atomic<bool> cancel_{false};
  bool running_ = false;  // user-interface thread only
};

}  // namespace qgu::frontend

Q_DECLARE_METATYPE(qgu::frontend::SimProgress)
Q_DECLARE_METATYPE(qgu::frontend::SimOutcome)
