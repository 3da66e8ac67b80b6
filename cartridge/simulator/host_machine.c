/* The cartridge's game on the host: console memory in an array, the
 * cartridge's random numbers (the same xorshift as asm/rng.s), and every
 * screen and sound call doing nothing. The plays are chosen as on the
 * cartridge's selection screen with both sides COM, then handed to the
 * league program's play calling through the hook. */
#include <string.h>

#include "host_game.h"
#include "modules.h"
#include "rules.h"
#include "state.h"
#include "team.h"
#include "text.h"

u8 host_memory[0x8000];
static uint32_t rng_state;
Team teams[2];

static HostPlaysChosen plays_hook;
static void *plays_context;

/* The cartridge's 32-bit xorshift (asm/rng.s): its top byte. */
u8 rand8(void) {
  rng_state ^= rng_state << 13;
  rng_state ^= rng_state >> 17;
  rng_state ^= rng_state << 5;
  return (u8)(rng_state >> 24);
}

char *str_copy(char *dst, const char *src) {
  while ((*dst = *src) != 0) {
    ++dst;
    ++src;
  }
  return dst;
}

void sfx_play(u8 effect) { (void)effect; }
void bar_draw(void) {}
void bar_pbp(void) {}
void field_build(void) {}
void field_show(void) {}
void field_caption(void) {}
void field_hold(u8 frames) { (void)frames; }
void field_animate(void) {}

void plays_select(void) {
  PLAY_BYTES[HOME] = PLAY_CHOOSING;
  PLAY_BYTES[AWAY] = PLAY_CHOOSING;
  STATE_BYTES[offense] = STATE_OFF_CHOOSE;
  STATE_BYTES[DEFENSE] = STATE_DEF_CHOOSE;
  PLAY_BYTES[HOME] = rules_com_call(HOME);
  PLAY_BYTES[AWAY] = rules_com_call(AWAY);
  if (plays_hook) plays_hook(offense == HOME ? 1 : 0, plays_context);
  play_call[HOME] = PLAY_BYTES[HOME] & 7;
  play_call[AWAY] = PLAY_BYTES[AWAY] & 7;
  play_name[0] = 0;
}

static void take_team(u8 side, const HostTeam *from) {
  Team *t = &teams[side];
  memset(t, 0, sizeof *t);
  t->formation = from->formation;
  memcpy(t->abbr, from->abbr, sizeof t->abbr);
  t->abbr[4] = 0;
  memcpy(t->play, from->play, sizeof t->play);
  memcpy(t->rating, from->rating, sizeof t->rating);
}

void host_game_reset(uint32_t seed, const HostTeam *home, const HostTeam *away, HostPlaysChosen hook,
                     void *context) {
  memset(host_memory, 0, sizeof host_memory);
  rng_state = seed ? seed : 0x5C;
  take_team(HOME, home);
  take_team(AWAY, away);
  plays_hook = hook;
  plays_context = context;
}

void host_game_play(uint8_t quarter_minutes_bcd) {
  CONTROL_BYTE = (MODE_COM << 4) | MODE_COM;
  CLOCK_MIN = quarter_minutes_bcd;
  game_run();
}

uint8_t *host_game_memory(void) { return host_memory; }
