#pragma once
// Computer play calling: a COM side's play choices are overridden by choices
// drawn from its team's own percentages, once per play, by rewriting the two
// play-selection bytes.

#include <array>
#include <cstdint>

#include "driver/console_memory.h"
#include "driver/random_source.h"
#include "league/team_record.h"

namespace qgu::driver {

// Control modes of a side.
inline constexpr int kControlMan = 0;
inline constexpr int kControlCoa = 1;
inline constexpr int kControlCom = 2;

// Possession side as the driver's monitor knows it.
inline constexpr int kAwayOnOffense = 0;
inline constexpr int kHomeOnOffense = 1;
inline constexpr int kPossessionUnknown = -1;

// One team's percentages (team record header fields 16-23) and its history as
// a COM offence in the current game.
struct PlayCallingProfile {
  int16_t adaptive = 0;        // "Adaptive D %"
  int16_t jailbreak = 0;       // "Jailbreak D %"
  int16_t jailbreakPass = 0;   // "Jailbreak Pass D %"
  int16_t jailbreakRun = 0;    // "Jailbreak Run D %"
  int16_t plainDefence = 100;  // "Quozi D %" (kept, not used here)
  int16_t offenseEnabled = 0;  // "Enabled"
  int16_t pass = 50;           // "Pass %"
  int16_t run = 50;            // "Run %" (kept, not used here)
  std::array<int32_t, 8> playCounts{};
  int32_t playTotal = 0;

  // The team's percentages (team line fields 16-23); fields the line lacked
  // keep the values the profile has.
  void SetFromHeader(const league::TeamHeader& header);
};

// The play calling's state within a game: the numbers drawn so far and each
// team's history as a COM offence (a watcher joining a game under way goes on
// from the host's).
struct PlayCallingState {
  uint32_t draws = 0;
  std::array<std::array<int32_t, 8>, 2> playCounts{};
  std::array<int32_t, 2> playTotal{};
  bool operator==(const PlayCallingState&) const = default;
};

// What one call needs: index 0 is the home side (P1, byte $0078), index 1 the
// away side (P2, byte $0079).
struct PlayCallingSides {
  std::array<int, 2> controls;
  std::array<PlayCallingProfile, 2>& profiles;
};

// Called once per play after both sides have chosen. possessionSide: 1 home
// on offence, 0 away on offence, -1 not known (does nothing).
void CallPlays(int possessionSide, PlayCallingSides sides, IConsoleMemory& memory, IRandomSource& random);

}  // namespace qgu::driver
