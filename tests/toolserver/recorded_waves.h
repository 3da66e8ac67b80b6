#pragma once
// A wave player for tests: records every sound asked for, plays nothing.
// Installed for the life of the object.

#include <vector>

#include "frontend/picture_button/wave_player.h"

namespace qgu::testing {

class RecordedWaves : public toolserver::IWavePlayer {
 public:
  RecordedWaves() : before_(toolserver::SetWavePlayer(this)) {}
  ~RecordedWaves() override { toolserver::SetWavePlayer(before_); }
  RecordedWaves(const RecordedWaves&) = delete;
  RecordedWaves& operator=(const RecordedWaves&) = delete;

  bool Play(const toolserver::WaveRequest& request) override {
    played_.push_back(request);
    playing_ = true;
    return true;
  }
  void StopAll() override {
    ++stops_;
    playing_ = false;
  }

  const std::vector<toolserver::WaveRequest>& Played() const { return played_; }
  int Stops() const { return stops_; }
  bool Playing() const { return playing_; }

 private:
  toolserver::IWavePlayer* before_;
  std::vector<toolserver::WaveRequest> played_;
  int stops_ = 0;
  bool playing_ = false;
};

}  // namespace qgu::testing
