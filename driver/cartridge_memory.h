#pragma once
// Console memory of the football cartridge as the game driver, the play
// calling and the statistics capture see it (CPU addresses), with the values
// the cartridge puts there: typed names for the contract the cartridge
// program shares (cartridge/console_memory.h).

#include <cstdint>

#include "cartridge/console_memory.h"

namespace qgu::driver::cartmem {

// Boot markers: each screen sets its marker when it is ready for A.
inline constexpr uint16_t kTitleMarker = QGU_TITLE_MARKER;
inline constexpr uint8_t kTitleReady = QGU_TITLE_READY;
inline constexpr uint16_t kSecondTitleMarkerA = QGU_SECOND_TITLE_MARKER_A;
inline constexpr uint8_t kSecondTitleReadyA = QGU_SECOND_TITLE_READY_A;
inline constexpr uint16_t kSecondTitleMarkerB = QGU_SECOND_TITLE_MARKER_B;
inline constexpr uint8_t kSecondTitleReadyB = QGU_SECOND_TITLE_READY_B;
inline constexpr uint16_t kMainMenuMarker = QGU_MAIN_MENU_MARKER;
inline constexpr uint8_t kMainMenuReady = QGU_MAIN_MENU_READY;
inline constexpr uint16_t kControlScreenMarker = QGU_CONTROL_SCREEN_MARKER;
inline constexpr uint8_t kControlScreenReady = QGU_CONTROL_SCREEN_READY;
inline constexpr uint16_t kTeamSelectMarker = QGU_TEAM_SELECT_MARKER;
inline constexpr uint8_t kTeamSelectReady = QGU_TEAM_SELECT_READY;

// Team-select cursor, written before each pick is confirmed.
inline constexpr uint16_t kCursorX = QGU_CURSOR_X;
inline constexpr uint16_t kCursorY = QGU_CURSOR_Y;

// Control byte: home mode << 4 | away mode (0 MAN, 1 COA, 2 COM).
inline constexpr uint16_t kControlByte = QGU_CONTROL_BYTE;

// Game clock, two BCD digits each; every period starts at 5:00.
inline constexpr uint16_t kClockSeconds = QGU_CLOCK_SECONDS;
inline constexpr uint16_t kClockMinutes = QGU_CLOCK_MINUTES;
inline constexpr uint8_t kCartridgeQuarterMinutes = QGU_QUARTER_MINUTES;
// Period: 0-2 the first three quarters, 3 the fourth, above 3 overtime.
inline constexpr uint16_t kQuarter = QGU_PERIOD;
inline constexpr uint8_t kFourthQuarter = QGU_FOURTH_QUARTER;

// Play chosen by each side: 0-3 a run slot, 4-7 a pass slot, $80 none yet.
inline constexpr uint16_t kHomePlay = QGU_HOME_PLAY;
inline constexpr uint16_t kAwayPlay = QGU_AWAY_PLAY;
inline constexpr uint8_t kNoPlayChosen = QGU_NO_PLAY_CHOSEN;
inline constexpr uint8_t kPlayCount = QGU_PLAY_COUNT;
inline constexpr uint8_t kFirstPassPlay = QGU_FIRST_PASS_PLAY;

// State of each side; together they tell who has the ball.
inline constexpr uint16_t kHomeState = QGU_HOME_STATE;
inline constexpr uint16_t kAwayState = QGU_AWAY_STATE;
inline constexpr uint8_t kStateOffenseChoosing = QGU_STATE_OFFENSE_CHOOSING;
inline constexpr uint8_t kStateDefenseChoosing = QGU_STATE_DEFENSE_CHOOSING;
inline constexpr uint8_t kStateOffenseRunning = QGU_STATE_OFFENSE_RUNNING;
inline constexpr uint8_t kStateDefenseRunning = QGU_STATE_DEFENSE_RUNNING;
inline constexpr uint8_t kStateKicking = QGU_STATE_KICKING;
// Either side in this state: the game proper has begun.
inline constexpr uint8_t kStateGameStarted = QGU_STATE_DEFENSE_CHOOSING;

// Game phase pair shown only on the final screen after the game.
inline constexpr uint16_t kGamePhaseA = QGU_GAME_PHASE_A;
inline constexpr uint16_t kGamePhaseB = QGU_GAME_PHASE_B;
inline constexpr uint8_t kFinalScreenA = QGU_FINAL_SCREEN_A;
inline constexpr uint8_t kFinalScreenB = QGU_FINAL_SCREEN_B;

// Points by period (four BCD bytes) and the total of each side.
inline constexpr uint16_t kHomePeriodScores = QGU_HOME_PERIOD_SCORES;
inline constexpr uint16_t kHomeTotalScore = QGU_HOME_TOTAL_SCORE;
inline constexpr uint16_t kAwayPeriodScores = QGU_AWAY_PERIOD_SCORES;
inline constexpr uint16_t kAwayTotalScore = QGU_AWAY_TOTAL_SCORE;
inline constexpr int kPeriodScoreBytes = QGU_PERIOD_SCORE_BYTES;

// Statistics blocks in battery RAM, one per side.
inline constexpr uint16_t kHomeStatsBlock = QGU_HOME_STATS_BLOCK;
inline constexpr uint16_t kAwayStatsBlock = QGU_AWAY_STATS_BLOCK;
inline constexpr int kStatsBlockBytes = QGU_STATS_BLOCK_BYTES;

}  // namespace qgu::driver::cartmem
