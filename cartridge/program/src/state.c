#include "state.h"
#include "team.h"
#include "text.h"

u8 mode[2];
u8 offense;
u8 ball_on;
u8 down;
u8 to_go;
u16 points[2];
u8 game_over;
u8 play_call[2];
PlayResult result;
char play_name[28];
char pbp_line[2][33];

u8 rnd(u8 n) {
  return (u8)(((u16)rand8() * n) >> 8);
}

void result_clear(void) {
  u8 *p = (u8 *)&result;
  u8 i;
  for (i = 0; i < sizeof(result); ++i) p[i] = 0;
  result.side = offense;
  result.outcome = OUT_NONE;
}

u8 rating(u8 side, u8 player, u8 which) {
  return teams[side].rating[player][which];
}

u8 attacks_right(u8 side) {
  u8 home_right = PERIOD > 3 || (PERIOD & 1) == 0;
  return side == HOME ? home_right : !home_right;
}

static u8 from_bcd(u8 v) { return (u8)((v >> 4) * 10 + (v & 15)); }
static u8 to_bcd(u8 v) { return (u8)(((v / 10) << 4) | (v % 10)); }

u16 clock_seconds(void) {
  return (u16)from_bcd(CLOCK_MIN) * 60 + from_bcd(CLOCK_SEC);
}

void clock_set(u16 seconds) {
  CLOCK_SEC = to_bcd((u8)(seconds % 60));
  CLOCK_MIN = to_bcd((u8)(seconds / 60));
}

void clock_run(u8 seconds) {
  u16 left = clock_seconds();
  clock_set(left > seconds ? left - seconds : 0);
}

/* BCD bytes saturate at 99. */
static u8 bcd_add(u8 bcd, u8 amount) {
  u16 v = (u16)from_bcd(bcd) + amount;
  return to_bcd(v > 99 ? 99 : (u8)v);
}

void score_add(u8 side, u8 amount) {
  volatile u8 *bytes = SCORE_BYTES + side * 5;
  u8 period = PERIOD > 3 ? 3 : PERIOD;
  points[side] += amount;
  bytes[period] = bcd_add(bytes[period], amount);
  bytes[4] = bcd_add(bytes[4], amount);
}

/* ---- statistics blocks ---- */

static u8 *block(u8 side) {
  return side == HOME ? STATS_HOME : STATS_AWAY;
}

static void count(u8 *p) {
  if (*p != 255) ++*p;
}

static void yards(u8 *p, s16 amount) {
  s32 sum = (s32)(s16)(p[0] | ((u16)p[1] << 8)) + amount;
  if (sum > 32767) sum = 32767;
  if (sum < -32767) sum = -32767;
  p[0] = (u8)sum;
  p[1] = (u8)((u16)sum >> 8);
}

static u8 *qb_line(u8 side, u8 p) { return block(side) + p * 10; }
static u8 *back_line(u8 side, u8 p) { return block(side) + 20 + (p - 2) * 16; }
static u8 *defender_line(u8 side, u8 p) { return block(side) + 180 + (p - 17) * 5; }

void stats_clear(void) {
  u8 i;
  for (i = 0; i < 242; ++i) {
    STATS_HOME[i] = 0;
    STATS_AWAY[i] = 0;
  }
  for (i = 0; i < QGU_EXTRA_BLOCK_BYTES; ++i) {
    EXTRA_HOME[i] = 0;
    EXTRA_AWAY[i] = 0;
  }
}

static u8 *extra_block(u8 side) {
  return side == HOME ? EXTRA_HOME : EXTRA_AWAY;
}

void extra_count(u8 side, u8 which) {
  count(extra_block(side) + which);
}

/* Saturates at 65535 seconds. */
void extra_possession(u8 side, u8 seconds) {
  u8 *p = extra_block(side) + QGU_EXTRA_POSSESSION;
  u16 sum = p[0] | ((u16)p[1] << 8);
  sum = sum > 0xFFFF - seconds ? 0xFFFF : sum + seconds;
  p[0] = (u8)sum;
  p[1] = (u8)(sum >> 8);
}

void stat_pass(u8 side, u8 passer, u8 completed, s16 gain, u8 touchdown, u8 intercepted) {
  u8 *q = qb_line(side, passer);
  count(q);
  if (completed) {
    count(q + 1);
    yards(q + 4, gain);
  }
  if (touchdown) count(q + 2);
  if (intercepted) count(q + 3);
}

void stat_catch(u8 side, u8 receiver, s16 gain, u8 touchdown) {
  u8 *r = back_line(side, receiver);
  count(r);
  yards(r + 1, gain);
  if (touchdown) count(r + 3);
}

void stat_rush(u8 side, u8 runner, s16 gain, u8 touchdown) {
  u8 *r;
  if (runner <= 1) {
    r = qb_line(side, runner) + 6;
  } else if (runner <= 11) {
    r = back_line(side, runner) + 12;
  } else {
    return;
  }
  count(r);
  yards(r + 1, gain);
  if (touchdown) count(r + 3);
}

void stat_kick_return(u8 side, u8 player, s16 gain, u8 touchdown) {
  u8 *r = back_line(side, player) + 4;
  count(r);
  yards(r + 1, gain);
  if (touchdown) count(r + 3);
}

void stat_punt_return(u8 side, u8 player, s16 gain, u8 touchdown) {
  u8 *r = back_line(side, player) + 8;
  count(r);
  yards(r + 1, gain);
  if (touchdown) count(r + 3);
}

void stat_sack(u8 side, u8 defender) {
  count(defender_line(side, defender));
}

void stat_interception(u8 side, u8 defender, s16 gain, u8 touchdown) {
  u8 *d = defender_line(side, defender);
  count(d + 1);
  yards(d + 2, gain);
  if (touchdown) count(d + 4);
}

void stat_extra_point(u8 side, u8 good) {
  u8 *k = block(side) + 235;
  count(k);
  if (good) count(k + 1);
}

void stat_field_goal(u8 side, u8 good) {
  u8 *k = block(side) + 235;
  count(k + 2);
  if (good) count(k + 3);
}

void stat_punt(u8 side, s16 distance) {
  u8 *p = block(side) + 239;
  count(p);
  yards(p + 1, distance);
}
