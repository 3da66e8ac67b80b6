/* The final screen: the score by period and the leading players. The bytes
 * that tell the league program the game is over are set only once every
 * statistic is written, and the screen stays. */
#pragma code-name("BANK06")
#pragma rodata-name("BANK06RO")

#include "sound.h"
#include "state.h"
#include "team.h"
#include "text.h"
#include "ui.h"

static char row[33];

static void period_row(u8 side, u8 y) {
  volatile u8 *bytes = SCORE_BYTES + side * 5;
  char *p = str_copy(row, teams[side].abbr);
  u8 k;
  for (k = 0; k < 4; ++k) {
    p = str_copy(p, "  ");
    p = fmt_bcd(p, bytes[k]);
  }
  p = str_copy(p, "   ");
  fmt_u(p, points[side]);
  text_at(5, y, row);
}

void final_run(void) {
  ui_begin_screen();
  frame_box(2, 3, 28, 23);
  text_center(5, "FINAL");
  text_center(8, teams[AWAY].city);
  text_center(9, teams[AWAY].nick);
  text_center(11, "AT");
  text_center(13, teams[HOME].city);
  text_center(14, teams[HOME].nick);
  text_at(5, 17, "      1   2   3   4    T");
  period_row(AWAY, 19);
  period_row(HOME, 21);
  if (points[HOME] == points[AWAY]) {
    text_center(24, "A TIE");
  } else {
    text_center(24, points[HOME] > points[AWAY] ? teams[HOME].nick : teams[AWAY].nick);
  }
  ppu_on();
  sfx_play(SFX_HORN);
  FINAL_A = FINAL_A_VALUE;
  FINAL_B = FINAL_B_VALUE;
  for (;;) wait_frame();
}
