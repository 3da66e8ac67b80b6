/* The match-up screen between team select and kickoff. It stays at least
 * 2.5 s, so the league program's control byte is in place before kickoff. */
#pragma code-name("BANK02")
#pragma rodata-name("BANK02RO")

#include "boot.h"
#include "sprites.h"
#include "team.h"
#include "text.h"
#include "ui.h"

#define MATCHUP_MIN_FRAMES 150
#define MATCHUP_MAX_FRAMES 200

static const char *const formation_names[5] = {"", "", "PRO SET", "SINGLE BACK SET", "4 WR SET"};

static void draw_team(u8 side, u8 y) {
  Team *t = &teams[side];
  text_center(y, t->city);
  text_center(y + 1, t->nick);
  text_center(y + 3, formation_names[t->formation]);
}

void matchup_screen(void) {
  u8 frames = 0;
  team_load(0, picked_team[0]);
  team_load(1, picked_team[1]);
  ui_begin_screen();
  frame_box(2, 2, 28, 25);
  text_center(4, "TODAY'S GAME");
  draw_team(1, 8);
  text_center(14, "AT");
  draw_team(0, 17);
  text_center(24, "KICKOFF");
  ui_team_sprite_palette(0, teams[0].uniform);
  ui_team_sprite_palette(1, teams[1].uniform + 3);
  ppu_on();
  ui_drop_presses();
  for (;;) {
    helmet_sprite(120, 90, 1, 1);
    helmet_sprite(120, 158, 0, 0);
    oam_finish();
    wait_frame();
    ++frames;
    if (frames >= MATCHUP_MAX_FRAMES) break;
    if (frames >= MATCHUP_MIN_FRAMES && (ui_presses() & (PAD_A | PAD_START))) break;
  }
}
