#pragma once
// Console memory of the football cartridge as the game driver, the play
// calling and the statistics capture see it (CPU addresses), with the values
// the cartridge puts there. Later code names these instead of repeating numbers.

#include <cstdint>

namespace qgu::driver::cartmem {

// Boot markers: each screen sets its marker when it is ready for A.
inline constexpr uint16_t kTitleMarker = 0x0000;
inline constexpr uint8_t kTitleReady = 0x16;
inline constexpr uint16_t kSecondTitleMarkerA = 0x0365;
inline constexpr uint8_t kSecondTitleReadyA = 0x31;
inline constexpr uint16_t kSecondTitleMarkerB = 0x0366;
inline constexpr uint8_t kSecondTitleReadyB = 0x39;
inline constexpr uint16_t kMainMenuMarker = 0x035F;
inline constexpr uint8_t kMainMenuReady = 0x50;
inline constexpr uint16_t kControlScreenMarker = 0x0350;
inline constexpr uint8_t kControlScreenReady = 0x27;
inline constexpr uint16_t kTeamSelectMarker = 0x0050;
inline constexpr uint8_t kTeamSelectReady = 0x14;

// Team-select cursor, written before each pick is confirmed.
inline constexpr uint16_t kCursorX = 0x00E1;
inline constexpr uint16_t kCursorY = 0x00E2;

// Control byte: home mode << 4 | away mode (0 MAN, 1 COA, 2 COM).
inline constexpr uint16_t kControlByte = 0x0075;

// Game clock, two BCD digits each; every period starts at 5:00.
inline constexpr uint16_t kClockSeconds = 0x006A;
inline constexpr uint16_t kClockMinutes = 0x006B;
inline constexpr uint8_t kCartridgeQuarterMinutes = 0x05;
// Period: 0-2 the first three quarters, 3 the fourth, above 3 overtime.
inline constexpr uint16_t kQuarter = 0x0076;
inline constexpr uint8_t kFourthQuarter = 3;

// Play chosen by each side: 0-3 a run slot, 4-7 a pass slot, $80 none yet.
inline constexpr uint16_t kHomePlay = 0x0078;
inline constexpr uint16_t kAwayPlay = 0x0079;
inline constexpr uint8_t kNoPlayChosen = 0x80;
inline constexpr uint8_t kPlayCount = 8;
inline constexpr uint8_t kFirstPassPlay = 4;

// State of each side; together they tell who has the ball.
inline constexpr uint16_t kHomeState = 0x0088;
inline constexpr uint16_t kAwayState = 0x0089;
inline constexpr uint8_t kStateOffenseChoosing = 0x80;
inline constexpr uint8_t kStateDefenseChoosing = 0x16;
inline constexpr uint8_t kStateOffenseRunning = 0x19;
inline constexpr uint8_t kStateDefenseRunning = 0x17;
inline constexpr uint8_t kStateKicking = 0x0B;
// Either side in this state: the game proper has begun.
inline constexpr uint8_t kStateGameStarted = 0x16;

// Game phase pair shown only on the final screen after the game.
inline constexpr uint16_t kGamePhaseA = 0x0393;
inline constexpr uint16_t kGamePhaseB = 0x0394;
inline constexpr uint8_t kFinalScreenA = 0x17;
inline constexpr uint8_t kFinalScreenB = 0x07;

// Points by period (four BCD bytes) and the total of each side.
inline constexpr uint16_t kHomePeriodScores = 0x0395;
inline constexpr uint16_t kHomeTotalScore = 0x0399;
inline constexpr uint16_t kAwayPeriodScores = 0x039A;
inline constexpr uint16_t kAwayTotalScore = 0x039E;
inline constexpr int kPeriodScoreBytes = 4;

// Statistics blocks in battery RAM, one per side.
inline constexpr uint16_t kHomeStatsBlock = 0x6406;
inline constexpr uint16_t kAwayStatsBlock = 0x650B;
inline constexpr int kStatsBlockBytes = 242;

}  // namespace qgu::driver::cartmem
