#include "ui.h"
#include "sprites.h"
#include "state.h"
#include "team.h"
#include "text.h"

/* Menus: navy paper on black; gold and panel variants; sprite palette 3 the pointer. */
static const u8 menu_palette[32] = {
    0x0F, 0x01, 0x0F, 0x30,  0x0F, 0x01, 0x0F, 0x28,  0x0F, 0x0C, 0x0F, 0x30,  0x0F, 0x06, 0x0F, 0x30,
    0x0F, 0x00, 0x27, 0x10,  0x0F, 0x00, 0x27, 0x10,  0x0F, 0x17, 0x30, 0x07,  0x0F, 0x0F, 0x30, 0x28};

u8 ui_presses(void) {
  return pad_take(0) | pad_take(1);
}

void ui_drop_presses(void) {
  pad_take(0);
  pad_take(1);
}

void screen_off(void) {
  ppu_off();
  split_line = 0;
  cam_x = 0;
  oam_finish();
  chr_set(0, 0);
  chr_set(1, 2);
}

void palette_with_teams(const u8 *palette) {
  u8 i;
  for (i = 0; i < 32; ++i) pal_buf[i] = palette[i];
  for (i = 0; i < 3; ++i) {
    pal_buf[17 + i] = teams[HOME].uniform[i];
    pal_buf[21 + i] = teams[AWAY].uniform[3 + i];
  }
  pal_commit();
}

void ui_begin_screen(void) {
  u8 i;
  screen_off();
  for (i = 0; i < 32; ++i) pal_buf[i] = menu_palette[i];
  nt_clear(0, TILE_PAPER, 0x00);
  nt_clear(1, TILE_PAPER, 0x00);
}

void ui_team_sprite_palette(u8 pal, const u8 *three) {
  u8 at = 16 + (pal << 2);
  pal_buf[at + 1] = three[0];
  pal_buf[at + 2] = three[1];
  pal_buf[at + 3] = three[2];
  pal_commit();
}

void ui_wait(u8 frames) {
  while (frames--) wait_frame();
}

void helmet_sprite(u8 x, u8 y, u8 pal, u8 face_left) {
  if (face_left) {
    SPRITE(x, y, SPR_HELMET_R, pal | ATTR_FLIP);
    SPRITE(x + 8, y, SPR_HELMET_L, pal | ATTR_FLIP);
  } else {
    SPRITE(x, y, SPR_HELMET_L, pal);
    SPRITE(x + 8, y, SPR_HELMET_R, pal);
  }
}
