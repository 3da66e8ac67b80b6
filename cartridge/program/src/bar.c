/* The score bar: rows 1-4 of the first name table, above the field's split
 * and on top of the play-selection screen. */
#include "state.h"
#include "team.h"
#include "text.h"

static char row[33];

static const char *const ordinal[4] = {"1ST", "2ND", "3RD", "4TH"};

static char *fmt_points(char *out, u16 value) {
  if (value < 10) *out++ = ' ';
  return fmt_u(out, value);
}

char *fmt_down(char *out) {
  out = str_copy(out, ordinal[(down - 1) & 3]);
  out = str_copy(out, " & ");
  if ((u16)ball_on + to_go >= 100) return str_copy(out, "GOAL");
  return fmt_u(out, to_go);
}

char *fmt_spot(char *out) {
  if (ball_on == 50) return str_copy(out, "50");
  if (ball_on < 50) {
    out = str_copy(out, teams[offense].abbr);
    *out++ = ' ';
    return fmt_u(out, ball_on);
  }
  out = str_copy(out, teams[DEFENSE].abbr);
  *out++ = ' ';
  return fmt_u(out, 100 - ball_on);
}

static char *fmt_period(char *out) {
  if (PERIOD > 3) return str_copy(out, "OT");
  *out++ = 'Q';
  *out++ = (char)('1' + PERIOD);
  *out = 0;
  return out;
}

static char *fmt_clock(char *out) {
  u8 m = CLOCK_MIN;
  if (m >= 0x10) *out++ = (char)('0' + (m >> 4));
  *out++ = (char)('0' + (m & 15));
  *out++ = ':';
  return fmt_bcd(out, CLOCK_SEC);
}

static void draw_side(u8 side, u8 x) {
  char *p = str_copy(row, teams[side].abbr);
  *p++ = ' ';
  fmt_points(p, points[side]);
  tile_at(x - 1, 1, offense == side ? TILE_BALL : ' ');
  text_field(x, 1, row, 8);
}

void bar_draw(void) {
  char *p;
  draw_side(HOME, 1);
  draw_side(AWAY, 11);
  p = fmt_period(row);
  p = str_copy(p, "  ");
  fmt_clock(p);
  text_field(21, 1, row, 10);
  p = fmt_down(row);
  p = str_copy(p, "  BALL ON ");
  fmt_spot(p);
  text_field(1, 2, row, 30);
}

void bar_pbp(void) {
  text_field(1, 3, pbp_line[0], 30);
  text_field(1, 4, pbp_line[1], 30);
}
