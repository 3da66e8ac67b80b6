#pragma once
// The football simulator: the cartridge's own game rules and game flow
// (program/src/game.c, rules.c, state.c) compiled for the host with nothing
// drawn, so a game of two league teams takes well under a millisecond. It is
// for tuning the rules over thousands of games and for tests of what the
// rules promise; the emulated cartridge stays the measure of record (the
// screens' timing and a MAN side's taps are not here).
//
// Both sides COM: the cartridge's computer calls each play, then the league
// program's play calling rewrites the calls from the teams' percentages, as
// in a headless game. One game at a time per process.

#include <array>
#include <cstdint>

#include "cartridge/console_memory.h"
#include "league/team_record.h"

namespace qgu::cartridge {

struct SimulatedGame {
  std::array<int, 2> score{};  // home, away
  std::array<std::array<uint8_t, QGU_STATS_BLOCK_BYTES>, 2> stats{};
  std::array<std::array<uint8_t, QGU_EXTRA_BLOCK_BYTES>, 2> extras{};
  bool overtime = false;
};

SimulatedGame SimulateGame(const league::TeamRecord& home, const league::TeamRecord& away, uint32_t seed,
                           int quarterMinutes);

}  // namespace qgu::cartridge
