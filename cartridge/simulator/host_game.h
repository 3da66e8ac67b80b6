/* The football simulator's door into the cartridge's game compiled for the
 * host: plain C, and none of the cartridge's own headers, so that C++ can
 * include it. One game at a time (the game keeps its state in globals). */
#ifndef QGU_HOST_GAME_H
#define QGU_HOST_GAME_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define HOST_PLAYERS 30

/* What the game reads of a team: the cartridge's Team fields that decide plays. */
typedef struct {
  uint8_t formation;                /* 2, 3 or 4 */
  char abbr[5];
  uint8_t play[8];                  /* choice 0..7 of run slots 1-4 then pass slots 1-4 */
  uint8_t rating[HOST_PLAYERS][8];  /* as the cartridge's Team.rating */
} HostTeam;

/* Called once per play after both sides have chosen, as the league program's
 * play calling is: offence_side 1 home, 0 away; it may rewrite the two
 * play bytes in host_memory. */
typedef void (*HostPlaysChosen)(int offence_side, void *context);

/* A new console: memory cleared, the cartridge's random numbers from `seed`
 * (never zero), both teams and the play calling hook set. */
void host_game_reset(uint32_t seed, const HostTeam *home, const HostTeam *away, HostPlaysChosen hook,
                     void *context);
/* The whole game, kickoff to final whistle, with the driver's quarter length
 * written into the clock before kickoff as the game driver does. */
void host_game_play(uint8_t quarter_minutes_bcd);
/* Console memory $0000-$7FFF (console RAM and battery RAM). */
uint8_t *host_game_memory(void);

#ifdef __cplusplus
}
#endif

#endif
