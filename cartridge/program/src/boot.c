/* From power-on to kickoff: the two title screens, the main menu, the
 * control-mode screen, team select and the match-up. Each screen sets its
 * marker byte only once it takes A, and a press lasting one frame is enough. */
#pragma code-name("BANK02")
#pragma rodata-name("BANK02RO")

#include "boot.h"
#include "sound.h"
#include "sprites.h"
#include "text.h"
#include "ui.h"

u8 control_mode[2] = {MODE_MAN, MODE_COM};

static const char *const mode_names[3] = {"MAN", "COA", "COM"};

/* Waits for A (or Start) with a blinking prompt; returns after the press. */
static void prompt_until_a(u8 y, const char *prompt) {
  u8 shown = 0;
  u8 tick = 0;
  u8 width = str_len(prompt);
  for (;;) {
    if (ui_presses() & (PAD_A | PAD_START)) break;
    if (tick == 0) {
      shown ^= 1;
      if (shown) {
        text_center(y, prompt);
      } else {
        tiles_row((u8)((32 - width) >> 1), y, TILE_PAPER, width);
      }
      tick = 30;
    }
    --tick;
    wait_frame();
  }
  rng_stir();
  sfx_play(SFX_BLIP);
}

/* Title screen `which` (0 or 1): its art and the prompt, its marker set only
 * while it takes A. */
static void title_screen(u8 which, volatile u8 *marker, u8 ready, u8 prompt_row) {
  ui_begin_screen();
  title_art(which);
  ppu_on();
  ui_drop_presses();
  *marker = ready;
  prompt_until_a(prompt_row, "PRESS A BUTTON");
  *marker = 0;
}

static void rules_screen(void) {
  ui_begin_screen();
  frame_box(1, 2, 30, 25);
  text_center(4, "GAME RULES");
  text_at(3, 7, "Four 5 minute periods; a");
  text_at(3, 8, "level game goes to sudden");
  text_at(3, 9, "death overtime.");
  text_at(3, 11, "Each side calls one of the");
  text_at(3, 12, "offence's four runs or four");
  text_at(3, 13, "passes. The defence calls");
  text_at(3, 14, "the play it expects: guess");
  text_at(3, 15, "it and the play is stopped.");
  text_at(3, 17, "MAN: call plays and tap A");
  text_at(3, 18, "to break tackles on runs.");
  text_at(3, 19, "COA: call plays only.");
  text_at(3, 20, "COM: the cartridge plays.");
  text_at(3, 22, "Fourth downs are decided");
  text_at(3, 23, "by the offence itself.");
  ppu_on();
  ui_drop_presses();
  while (!(ui_presses() & (PAD_A | PAD_B | PAD_START))) wait_frame();
}

static void draw_menu(void) {
  ui_begin_screen();
  frame_box(6, 7, 20, 12);
  text_center(9, "MAIN MENU");
  text_at(11, 12, "SINGLE GAME");
  text_at(11, 15, "GAME RULES");
  text_center(24, "QUOZI GRIDCROWN");
  ppu_on();
}

static void main_menu(void) {
  u8 item = 0;
  u8 press;
  draw_menu();
  ui_drop_presses();
  for (;;) {
    MARK_MENU = item == 0 ? MARK_MENU_READY : 0;
    SPRITE(72, 94 + item * 24, SPR_PTR_RIGHT, 3);
    oam_finish();
    wait_frame();
    press = ui_presses();
    if (press & (PAD_UP | PAD_DOWN | PAD_SELECT)) item ^= 1;
    if (press & (PAD_A | PAD_START)) {
      rng_stir();
      sfx_play(SFX_BLIP);
      if (item == 0) break;
      MARK_MENU = 0;
      rules_screen();
      draw_menu();
      ui_drop_presses();
    }
  }
  MARK_MENU = 0;
}

static void draw_modes(u8 row) {
  u8 side;
  for (side = 0; side < 2; ++side) {
    text_at(20, 11 + side * 5, mode_names[control_mode[side]]);
    tile_at(18, 11 + side * 5, side == row ? TILE_PTR_LEFT : TILE_PAPER);
    tile_at(24, 11 + side * 5, side == row ? TILE_PTR_RIGHT : TILE_PAPER);
  }
}

static void control_screen(void) {
  u8 row = 0;
  u8 press;
  ui_begin_screen();
  frame_box(2, 5, 28, 17);
  text_center(7, "CONTROL");
  text_at(5, 11, "HOME");
  text_at(5, 12, "controller 1");
  text_at(5, 16, "AWAY");
  text_at(5, 17, "controller 2");
  text_at(4, 24, "MAN plays, COA calls plays,");
  text_at(4, 25, "COM leaves it to the game");
  draw_modes(row);
  ppu_on();
  ui_drop_presses();
  MARK_CONTROL = MARK_CONTROL_READY;
  for (;;) {
    wait_frame();
    press = ui_presses();
    if (press & (PAD_A | PAD_START)) break;
    if (press & (PAD_UP | PAD_DOWN)) row ^= 1;
    if (press & PAD_RIGHT) control_mode[row] = control_mode[row] == MODE_COM ? MODE_MAN : control_mode[row] + 1;
    if (press & PAD_LEFT) control_mode[row] = control_mode[row] == MODE_MAN ? MODE_COM : control_mode[row] - 1;
    if (press & (PAD_UP | PAD_DOWN | PAD_LEFT | PAD_RIGHT)) draw_modes(row);
  }
  rng_stir();
  sfx_play(SFX_BLIP);
  CONTROL_BYTE = (u8)((control_mode[0] << 4) | control_mode[1]);
  MARK_CONTROL = 0;
}

void boot_run(void) {
  title_screen(0, &MARK_TITLE, MARK_TITLE_READY, 22);
  title_screen(1, &MARK_TITLE2, MARK_TITLE2_READY, 24);
  main_menu();
  control_screen();
  team_select();
  matchup_screen();
}
