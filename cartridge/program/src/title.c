/* Title screen art: the big gold letters, the crown and the football of
 * art/title.txt, switched in as background tiles $80-$FF. */
#pragma code-name("BANK02")
#pragma rodata-name("BANK02RO")

#include "boot.h"
#include "text.h"

#define TITLE_UNIT   8      /* character ROM unit of the title art */
#define BIG_FIRST    0x80
#define CROWN_FIRST  0xB8
#define BALL_FIRST   0xC0

static const char big_letters[] = "QUOZIGRDCWNLTA";

static u8 big_index(char c) {
  u8 i;
  for (i = 0; big_letters[i]; ++i) {
    if (big_letters[i] == c) return i;
  }
  return 0xFF;
}

/* A word of 16x16 letters with its top left tile at (x, y); blanks leave a gap. */
static void big_word(u8 x, u8 y, const char *word) {
  u8 k;
  for (; *word; ++word, x += 2) {
    k = big_index(*word);
    if (k == 0xFF) continue;
    k = BIG_FIRST + k * 4;
    tile_at(x, y, k);
    tile_at(x + 1, y, k + 1);
    tile_at(x, y + 1, k + 2);
    tile_at(x + 1, y + 1, k + 3);
  }
}

/* A picture of w x h tiles stored row by row from `first`. */
static void picture(u8 x, u8 y, u8 first, u8 w, u8 h) {
  u8 row, col;
  for (row = 0; row < h; ++row) {
    for (col = 0; col < w; ++col) tile_at(x + col, y + row, first + row * w + col);
  }
}

/* Palette 1 gold letters, palette 2 a brown football with white laces. */
static const u8 title_colours[8] = {0x0F, 0x01, 0x28, 0x17, 0x0F, 0x01, 0x30, 0x17};

static void title_palette(void) {
  u8 i;
  for (i = 0; i < 8; ++i) pal_buf[4 + i] = title_colours[i];
}

static void paint(u8 qx0, u8 qy0, u8 qx1, u8 qy1, u8 palette) {
  u8 qx, qy;
  for (qy = qy0; qy <= qy1; ++qy) {
    for (qx = qx0; qx <= qx1; ++qx) attr_quadrant(qx, qy, palette);
  }
}

void title_art(u8 which) {
  chr_set(1, TITLE_UNIT);
  title_palette();
  if (which == 0) {
    picture(14, 3, CROWN_FIRST, 4, 2);
    big_word(11, 6, "QUOZI");
    big_word(7, 9, "GRIDCROWN");
    picture(14, 13, BALL_FIRST, 4, 2);
    paint(2, 1, 13, 5, 1);
    paint(7, 6, 8, 7, 2);
    text_center(17, "AMERICAN FOOTBALL");
    text_center(27, "28 TEAMS  ONE CROWN");
  } else {
    frame_box(3, 3, 26, 20);
    text_center(6, "QUOZI GRIDCROWN");
    big_word(11, 9, "ULTRA");
    picture(14, 12, BALL_FIRST, 4, 2);
    paint(5, 4, 10, 5, 1);
    paint(7, 6, 8, 6, 2);
    text_center(16, "THE LEAGUE EDITION");
    text_center(19, "YOUR TEAMS, YOUR PLAYERS");
    text_center(20, "ON THE FIELD");
  }
}
