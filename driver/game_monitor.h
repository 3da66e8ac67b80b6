#pragma once
// The in-game monitor: one poll of the running game every 500 ms. It follows
// which side has the ball, calls the computer play calling once per play,
// restarts each period at the chosen quarter length and detects the end of
// the game.

#include <cstdint>
#include <functional>

#include "driver/console_memory.h"
#include "driver/play_calling.h"

namespace qgu::driver {

// The play calling for one play: possession side (1 home, 0 away on offence).
using PlayCaller = std::function<void(int possessionSide, IConsoleMemory& memory)>;

// Minutes as two BCD digits (12 -> $12), as the cartridge's clock holds them.
uint8_t QuarterLengthBcd(int minutes);

// What the monitor knows between two polls.
struct MonitorState {
  int possession = kPossessionUnknown;
  bool playCallArmed = false;
  bool clockOverrideArmed = true;
  bool finalQuarter = false;
  bool operator==(const MonitorState&) const = default;
};

class CGameMonitor {
 public:
  // from: the state of a game under way (another driver's after its last poll).
  CGameMonitor(int quarterMinutes, PlayCaller callPlays, const MonitorState& from = {});

  // One poll on memory read at one moment; true once the game is over.
  bool Poll(IConsoleMemory& memory);

  int PossessionSide() const { return possession_; }
  bool FinalQuarterFlag() const { return finalQuarter_; }
  MonitorState State() const { return {possession_, playCallArmed_, clockOverrideArmed_, finalQuarter_}; }

 private:
  void FollowPossession(const IConsoleMemory& memory);
  void TriggerPlayCalling(IConsoleMemory& memory);
  void ApplyQuarterLength(IConsoleMemory& memory);
  bool GameIsOver(const IConsoleMemory& memory);

  uint8_t quarterBcd_;
  PlayCaller callPlays_;
  int possession_;
  bool playCallArmed_;
  bool clockOverrideArmed_;
  bool finalQuarter_;
};

}  // namespace qgu::driver
