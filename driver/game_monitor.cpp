#include "driver/game_monitor.h"

#include "driver/cartridge_memory.h"

namespace qgu::driver {

using namespace cartmem;

uint8_t QuarterLengthBcd(int minutes) { return static_cast<uint8_t>(((minutes / 10) << 4) | (minutes % 10)); }

CGameMonitor::CGameMonitor(int quarterMinutes, PlayCaller callPlays, const MonitorState& from)
    : quarterBcd_(QuarterLengthBcd(quarterMinutes)),
      callPlays_(std::move(callPlays)),
      possession_(from.possession),
      playCallArmed_(from.playCallArmed),
      clockOverrideArmed_(from.clockOverrideArmed),
      finalQuarter_(from.finalQuarter) {}

bool CGameMonitor::Poll(IConsoleMemory& memory) {
  FollowPossession(memory);
  TriggerPlayCalling(memory);
  ApplyQuarterLength(memory);
  return GameIsOver(memory);
}

void CGameMonitor::FollowPossession(const IConsoleMemory& memory) {
  const uint8_t h = memory.Read(kHomeState);
  const uint8_t a = memory.Read(kAwayState);
  if (a == kStateKicking || (h == kStateOffenseChoosing && a == kStateDefenseChoosing) ||
      (h == kStateOffenseRunning && a == kStateDefenseRunning)) {
    possession_ = kHomeOnOffense;
  } else if (h == kStateKicking || (h == kStateDefenseChoosing && a == kStateOffenseChoosing) ||
             (h == kStateDefenseRunning && a == kStateOffenseRunning)) {
    possession_ = kAwayOnOffense;
  }
}

// Armed while either side is still choosing; fires at the first poll after
// both have chosen, so each play is called once.
void CGameMonitor::TriggerPlayCalling(IConsoleMemory& memory) {
  if (memory.Read(kHomePlay) == kNoPlayChosen || memory.Read(kAwayPlay) == kNoPlayChosen) {
    playCallArmed_ = true;
  } else if (playCallArmed_) {
    playCallArmed_ = false;
    if (callPlays_) callPlays_(possession_, memory);
  }
}

// The driver writes the quarter length into the clock before kickoff; a
// cartridge that takes it starts every period there, and a period seen
// starting at the chosen length needs nothing. One that starts every period at
// 5:00 has the period restarted at the chosen length once; the override
// re-arms only when the clock is below 5:00.
void CGameMonitor::ApplyQuarterLength(IConsoleMemory& memory) {
  if (quarterBcd_ == kCartridgeQuarterMinutes) return;
  const uint8_t minutes = memory.Read(kClockMinutes);
  if (minutes == quarterBcd_ && memory.Read(kClockSeconds) == 0) {
    clockOverrideArmed_ = false;
  } else if (minutes == kCartridgeQuarterMinutes && clockOverrideArmed_) {
    memory.Write(kClockMinutes, quarterBcd_);
    clockOverrideArmed_ = false;
  }
  if (memory.Read(kClockMinutes) < kCartridgeQuarterMinutes) clockOverrideArmed_ = true;
}

bool CGameMonitor::GameIsOver(const IConsoleMemory& memory) {
  const bool scoresDiffer = memory.Read(kHomeTotalScore) != memory.Read(kAwayTotalScore);
  const bool finalScreen = memory.Read(kGamePhaseA) == kFinalScreenA && memory.Read(kGamePhaseB) == kFinalScreenB;
  const uint8_t quarter = memory.Read(kQuarter);
  const uint8_t minutes = memory.Read(kClockMinutes);
  const uint8_t seconds = memory.Read(kClockSeconds);
  if (quarter == kFourthQuarter) {
    if (minutes == quarterBcd_ && seconds == 0) finalQuarter_ = true;
    // With level scores the game goes on into overtime.
    if (finalQuarter_ && minutes == 0 && seconds == 0 && scoresDiffer) return true;
  } else if (quarter > kFourthQuarter) {
    if (scoresDiffer) return true;
  }
  // The final screen always means the game is over, even when a poll missed
  // the fourth quarter's starting clock.
  return finalScreen;
}

}  // namespace qgu::driver
