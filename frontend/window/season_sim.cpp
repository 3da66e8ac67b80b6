#include "frontend/window/season_sim.h"

#include <exception>

namespace qgu::frontend {

CSeasonSim::CSeasonSim(QObject* parent) : QObject(parent) {
  qRegisterMetaType<SimProgress>();
  qRegisterMetaType<SimOutcome>();
  connect(this, &CSeasonSim::Finished, this, [this] {
    // Queued: the worker has returned from its work by now.
    if (worker_.joinable()) worker_.join();
    running_ = false;
  });
}

CSeasonSim::~CSeasonSim() {
  cancel_ = true;
  Wait();
}

bool CSeasonSim::Start(Work work) {
  if (running_) return false;
  if (worker_.joinable()) worker_.join();
  cancel_ = false;
  running_ = true;
  worker_ = std::thread([this, work = std::move(work)] {
    SimOutcome outcome;
    try {
      outcome = work([this](const SimProgress& progress) { emit Progress(progress); }, cancel_);
    } catch (const std::exception& error) {
      outcome = {false, QString("The games stopped: %1").arg(error.what()), true};
    } catch (...) {
      outcome = {false, "The games stopped on an unexpected error.", true};
    }
    emit Finished(outcome);
  });
  return true;
}

void CSeasonSim::Wait() {
  if (worker_.joinable()) worker_.join();
}

}  // namespace qgu::frontend
