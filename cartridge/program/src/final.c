/* The final screen: the score by period and each team's leading passer,
 * rusher and receiver, read back from the statistics blocks. The bytes that
 * tell the league program the game is over are set only once every statistic
 * is written, and the screen stays. */
#pragma code-name("BANK06")
#pragma rodata-name("BANK06RO")

#include "sound.h"
#include "state.h"
#include "team.h"
#include "text.h"
#include "ui.h"

static char row[33];
static char *out;

static void add(const char *text) {
  while (*text && out < row + 30) *out++ = *text++;
  *out = 0;
}

static void add_number(s16 value) {
  char digits[8];
  if (value < 0) {
    add("-");
    value = -value;
  }
  fmt_u(digits, (u16)value);
  add(digits);
}

static void add_column(u8 at) {
  while (out < row + at) *out++ = ' ';
  *out = 0;
}

static u8 from_bcd(u8 v) { return (u8)((v >> 4) * 10 + (v & 15)); }

static void period_row(u8 side, u8 y) {
  volatile u8 *bytes = SCORE_BYTES + side * 5;
  u8 k;
  out = row;
  add(teams[side].abbr);
  for (k = 0; k < 4; ++k) {
    add_column(7 + k * 4);
    add_number(from_bcd(bytes[k]));
  }
  add_column(24);
  add_number((s16)points[side]);
  text_at(3, y, row);
}

static const u8 *block(u8 side) { return side == HOME ? STATS_HOME : STATS_AWAY; }

static s16 word_at(const u8 *p) { return (s16)(p[0] | ((u16)p[1] << 8)); }

static void leader_line(u8 side, u8 player, const char *label, u8 count, s16 yards, u8 y) {
  const char *name = teams[side].name[player];
  u8 n;
  out = row;
  add(label);
  for (n = 0; name[n] && n < 15; ++n) *out++ = name[n];
  *out = 0;
  add_column(22);
  add_number(count);
  add_column(26);
  add_number(yards);
  text_at(2, y, row);
}

/* A player's figure: quarterbacks 0-1 keep it at qb_at of their 10-byte
 * records, backs and receivers 2-11 at back_at of their 16-byte ones. */
static const u8 *figure(const u8 *b, u8 p, u8 qb_at, u8 back_at) {
  return p < 2 ? b + p * 10 + qb_at : b + 20 + (p - 2) * 16 + back_at;
}

/* The player from first to 11 with the most yards. */
static u8 most_yards(const u8 *b, u8 first, u8 qb_at, u8 back_at) {
  u8 p, best = first;
  s16 most = word_at(figure(b, first, qb_at, back_at)), yards;
  for (p = first + 1; p <= 11; ++p) {
    yards = word_at(figure(b, p, qb_at, back_at));
    if (yards > most) {
      most = yards;
      best = p;
    }
  }
  return best;
}

static void leaders(u8 side, u8 y) {
  const u8 *b = block(side);
  u8 best;
  text_at(2, y, teams[side].nick);
  text_at(24, y, "NO YDS");
  /* Passer: the quarterback with more attempts. */
  best = b[10] > b[0] ? 1 : 0;
  leader_line(side, best, "PASS  ", b[best * 10], word_at(b + best * 10 + 4), y + 1);
  /* Rusher (either quarterback or a back) and receiver: the most yards. */
  best = most_yards(b, 0, 7, 13);
  leader_line(side, best, "RUSH  ", *figure(b, best, 6, 12), word_at(figure(b, best, 7, 13)), y + 2);
  best = most_yards(b, 2, 0, 1);
  leader_line(side, best, "CATCH ", *figure(b, best, 0, 0), word_at(figure(b, best, 0, 1)), y + 3);
}

void final_run(void) {
  ui_begin_screen();
  frame_box(1, 1, 30, 28);
  text_center(3, "FINAL");
  text_at(3, 6, "       1   2   3   4   T");
  period_row(AWAY, 8);
  period_row(HOME, 10);
  if (points[HOME] == points[AWAY]) {
    text_center(13, "A TIE");
  } else {
    out = str_copy(row, points[HOME] > points[AWAY] ? teams[HOME].nick : teams[AWAY].nick);
    str_copy(out, " WIN");
    text_center(13, row);
  }
  leaders(AWAY, 16);
  leaders(HOME, 22);
  ppu_on();
  sfx_play(SFX_HORN);
  FINAL_A = FINAL_A_VALUE;
  FINAL_B = FINAL_B_VALUE;
  for (;;) wait_frame();
}
