/* Console memory the cartridge program and the league program share: the
 * CPU addresses of the bytes the game driver, the play calling and the
 * statistics capture read and write, and the values the cartridge puts there.
 * One file for both sides: the cc65 program (program/src/nes.h) and the C++
 * driver (driver/cartridge_memory.h) include it. Plain C macros only. */
#ifndef QGU_CONSOLE_MEMORY_H
#define QGU_CONSOLE_MEMORY_H

/* Boot markers: each screen sets its marker when it is ready for A. */
#define QGU_TITLE_MARKER 0x0000
#define QGU_TITLE_READY 0x16
#define QGU_SECOND_TITLE_MARKER_A 0x0365
#define QGU_SECOND_TITLE_READY_A 0x31
#define QGU_SECOND_TITLE_MARKER_B 0x0366
#define QGU_SECOND_TITLE_READY_B 0x39
#define QGU_MAIN_MENU_MARKER 0x035F
#define QGU_MAIN_MENU_READY 0x50
#define QGU_CONTROL_SCREEN_MARKER 0x0350
#define QGU_CONTROL_SCREEN_READY 0x27
#define QGU_TEAM_SELECT_MARKER 0x0050
#define QGU_TEAM_SELECT_READY 0x14

/* Team-select cursor, written before each pick is confirmed. */
#define QGU_CURSOR_X 0x00E1
#define QGU_CURSOR_Y 0x00E2

/* Control byte: home mode << 4 | away mode (0 MAN, 1 COA, 2 COM). */
#define QGU_CONTROL_BYTE 0x0075

/* Game clock, two BCD digits each; every period starts at 5:00, or at the
 * minutes the driver wrote into QGU_CLOCK_MINUTES before kickoff (1-99 BCD),
 * so that the clock shown is the game's from the first frame. */
#define QGU_CLOCK_SECONDS 0x006A
#define QGU_CLOCK_MINUTES 0x006B
#define QGU_QUARTER_MINUTES 0x05
/* Period: 0-2 the first three quarters, 3 the fourth, above 3 overtime. */
#define QGU_PERIOD 0x0076
#define QGU_FOURTH_QUARTER 3

/* Play chosen by each side (home, away): 0-3 a run slot, 4-7 a pass slot. */
#define QGU_HOME_PLAY 0x0078
#define QGU_AWAY_PLAY 0x0079
#define QGU_NO_PLAY_CHOSEN 0x80
#define QGU_PLAY_COUNT 8
#define QGU_FIRST_PASS_PLAY 4

/* State of each side (home, away); together they tell who has the ball. */
#define QGU_HOME_STATE 0x0088
#define QGU_AWAY_STATE 0x0089
#define QGU_STATE_OFFENSE_CHOOSING 0x80
#define QGU_STATE_DEFENSE_CHOOSING 0x16
#define QGU_STATE_OFFENSE_RUNNING 0x19
#define QGU_STATE_DEFENSE_RUNNING 0x17
#define QGU_STATE_KICKING 0x0B

/* The pair shown only on the final screen, after every statistic is written. */
#define QGU_GAME_PHASE_A 0x0393
#define QGU_GAME_PHASE_B 0x0394
#define QGU_FINAL_SCREEN_A 0x17
#define QGU_FINAL_SCREEN_B 0x07

/* Points by period (four BCD bytes) and the BCD total, home then away. */
#define QGU_HOME_PERIOD_SCORES 0x0395
#define QGU_HOME_TOTAL_SCORE 0x0399
#define QGU_AWAY_PERIOD_SCORES 0x039A
#define QGU_AWAY_TOTAL_SCORE 0x039E
#define QGU_PERIOD_SCORE_BYTES 4

/* Statistics blocks in battery RAM, one per side. */
#define QGU_HOME_STATS_BLOCK 0x6406
#define QGU_AWAY_STATS_BLOCK 0x650B
#define QGU_STATS_BLOCK_BYTES 242

/* Team figures the statistics blocks have no place for, one block per side in
 * the battery RAM between the two statistics blocks, cleared at kickoff: the
 * offsets below, counts saturating at 255. */
#define QGU_HOME_EXTRA_BLOCK 0x64F8
#define QGU_AWAY_EXTRA_BLOCK 0x6501
#define QGU_EXTRA_BLOCK_BYTES 9
#define QGU_EXTRA_FUMBLES_LOST 0
#define QGU_EXTRA_LONG_PLAYS 1 /* scrimmage plays of 20 yards or more */
#define QGU_EXTRA_FIRST_DOWNS 2
#define QGU_EXTRA_THIRD_DOWNS 3
#define QGU_EXTRA_THIRD_DOWNS_MADE 4
#define QGU_EXTRA_FOURTH_DOWNS 5
#define QGU_EXTRA_FOURTH_DOWNS_MADE 6
#define QGU_EXTRA_POSSESSION 7 /* seconds with the ball, two bytes, low first */

#endif
