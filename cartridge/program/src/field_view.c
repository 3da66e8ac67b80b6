/* The field screen: a 120-yard field drawn at 4 pixels a yard across both
 * name tables (512 pixels), the score bar above it in rows 0-5, split from the
 * scrolling field by the MMC3 scanline counter. The two name tables are built
 * once per period in battery RAM and copied in whenever the view returns. */
#pragma code-name("BANK05")
#pragma rodata-name("BANK05RO")

#include "modules.h"
#include "state.h"
#include "team.h"
#include "text.h"
#include "ui.h"

#pragma bss-name(push, "WRAMBSS")
static u8 field_nt[2][1024];
#pragma bss-name(pop)

/* Field tiles (art/field.txt). */
#define T_LINE_A    0x80  /* T0..T4: the 5-tile run of two stripes */
#define T_HASH      0x85  /* the same with hash marks */
#define T_ENDZONE   0x8A
#define T_EZ_LINE   0x8B
#define T_END_RIGHT 0x8C
#define T_BAND      0x8D
#define T_BAND_TOP  0x8E
#define T_BAND_FOOT 0x8F
#define T_CROWD     0x90
#define T_DIGIT     0x92  /* 1..5 as tall pairs */
#define T_ZERO      0x9C

#define ROW_BAND_TOP   6
#define ROW_FIELD      8
#define ROW_FIELD_END  25
#define ROW_BAND_FOOT  26
#define ROW_HASH_1     12
#define ROW_HASH_2     21
#define ROW_NUMBERS_1  9
#define ROW_NUMBERS_2  22
#define ROW_EZ_TEXT    16

#define SPLIT_LINE     47

static u8 column_tile(u8 col, u8 row) {
  u8 k;
  if (col == 0 || col >= 62) return TILE_BACK;
  if (col == 1 || col == 56) return T_EZ_LINE;
  if (col < 6 || col > 56 && col < 61) return T_ENDZONE;
  if (col == 61) return T_END_RIGHT;
  k = (col - 6) % 5;
  if (row == ROW_HASH_1 || row == ROW_HASH_2) return T_HASH + k;
  return T_LINE_A + k;
}

/* Yard numbers 10..50..10 beside every 10-yard line. */
static void put_numbers(u8 *nt0, u8 *nt1, u8 row) {
  u8 k, col, digit;
  u8 *cell;
  for (k = 1; k <= 9; ++k) {
    col = 6 + 5 * k;
    digit = k <= 5 ? k : 10 - k;
    cell = col - 1 < 32 ? nt0 + (col - 1) : nt1 + (col - 33);
    cell[row * 32] = T_DIGIT + (digit - 1) * 2;
    cell[row * 32 + 32] = T_DIGIT + (digit - 1) * 2 + 1;
    cell = col < 32 ? nt0 + col : nt1 + (col - 32);
    cell[row * 32] = T_ZERO;
    cell[row * 32 + 32] = T_ZERO + 1;
  }
}

static void put_text(u8 *nt0, u8 *nt1, u8 col, u8 row, const char *text) {
  while (*text) {
    if (col < 32) {
      nt0[row * 32 + col] = *text;
    } else {
      nt1[row * 32 + col - 32] = *text;
    }
    ++col;
    ++text;
  }
}

static void set_attribute(u8 *nt, u8 qx, u8 qy, u8 palette) {
  u8 *at = nt + 0x3C0 + ((qy >> 1) << 3) + (qx >> 1);
  u8 shift = ((qy & 1) << 2) + ((qx & 1) << 1);
  *at = (u8)((*at & ~(3 << shift)) | (palette << shift));
}

/* The side whose end zone is on the left this period: the one attacking to the right. */
static u8 left_zone(void) {
  return attacks_right(HOME) ? HOME : AWAY;
}

void field_build(void) {
  u8 *nt0 = field_nt[0];
  u8 *nt1 = field_nt[1];
  u8 row, col, tile, qx, qy, palette;
  u8 *cell;
  for (row = 0; row < 30; ++row) {
    for (col = 0; col < 64; ++col) {
      if (row < 5) {
        tile = TILE_PAPER;
      } else if (row == 5) {
        tile = TILE_RULE_FOOT;
      } else if (row == ROW_BAND_TOP) {
        tile = T_BAND;
      } else if (row == ROW_BAND_TOP + 1) {
        tile = T_BAND_TOP;
      } else if (row == ROW_BAND_FOOT) {
        tile = T_BAND_FOOT;
      } else if (row == ROW_BAND_FOOT + 1) {
        tile = T_BAND;
      } else if (row > ROW_BAND_FOOT + 1) {
        tile = T_CROWD + (col & 1);
      } else {
        tile = column_tile(col, row);
      }
      cell = col < 32 ? nt0 + col : nt1 + (col - 32);
      cell[row * 32] = tile;
    }
  }
  put_numbers(nt0, nt1, ROW_NUMBERS_1);
  put_numbers(nt0, nt1, ROW_NUMBERS_2);
  put_text(nt0, nt1, 2, ROW_EZ_TEXT, teams[left_zone()].abbr);
  put_text(nt0, nt1, 57, ROW_EZ_TEXT, teams[left_zone() ^ 1].abbr);
  for (qy = 0; qy < 15; ++qy) {
    for (qx = 0; qx < 32; ++qx) {
      palette = 0;
      if (qy < 3) palette = 3;
      if (qy >= 4 && qy <= 12) {
        if (qx < 3) palette = 1;
        if (qx >= 28) palette = 2;
      }
      set_attribute(qx < 16 ? nt0 : nt1, qx & 15, qy, palette);
    }
  }
}

static u8 darker(u8 colour) {
  return colour >= 0x10 ? colour - 0x10 : 0x0F;
}

static const u8 field_palette[32] = {
    0x1A, 0x0A, 0x30, 0x09,  0x1A, 0x16, 0x06, 0x30,  0x1A, 0x12, 0x02, 0x30,  0x1A, 0x0F, 0x00, 0x30,
    0x1A, 0x00, 0x27, 0x10,  0x1A, 0x00, 0x27, 0x10,  0x1A, 0x17, 0x30, 0x07,  0x1A, 0x0F, 0x30, 0x28};

/* End zones in the home primary and away secondary jersey colours, each
 * team's at the end it defends this period. */
static void field_palette_set(void) {
  u8 left = left_zone() == HOME ? teams[HOME].colour[1] : teams[AWAY].colour[3];
  u8 right = left_zone() == HOME ? teams[AWAY].colour[3] : teams[HOME].colour[1];
  palette_with_teams(field_palette);
  pal_buf[5] = left;
  pal_buf[6] = darker(left);
  pal_buf[9] = right;
  pal_buf[10] = darker(right);
}

void field_show(void) {
  screen_off();
  vram_adr(0x2000);
  vram_write(field_nt[0], 1024);
  vram_adr(0x2400);
  vram_write(field_nt[1], 1024);
  field_palette_set();
  bar_draw();
  bar_pbp();
  anim_setup();
  anim_centre_camera();
  split_line = SPLIT_LINE;
  ppu_on();
}

void field_hold(u8 frames) {
  while (frames--) {
    anim_frame();
  }
}
