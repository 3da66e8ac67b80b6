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
#define AWAY_ROW 6
#define HOME_ROW 16

static const char *const formation_names[5] = {"", "", "PRO SET", "SINGLE BACK SET", "4 WR SET"};

static char line[4 + NAME_CAP + 1]; /* position, then the name */

static void player_line(u8 side, u8 player, const char *position, u8 y) {
  char *p = str_copy(line, position);
  str_copy(p, teams[side].name[player]);
  text_field(8, y, line, 22);
}

static void draw_team(u8 side, u8 y) {
  Team *t = &teams[side];
  text_at(8, y, t->city);
  text_at(8, y + 1, t->nick);
  text_at(8, y + 3, formation_names[t->formation]);
  player_line(side, P_QB1, "QB ", y + 5);
  player_line(side, P_RB1, "RB ", y + 6);
}

void matchup_screen(void) {
  u8 frames = 0;
  team_load(0, picked_team[0]);
  team_load(1, picked_team[1]);
  ui_begin_screen();
  frame_box(1, 1, 30, 28);
  text_center(3, "TODAY'S GAME");
  draw_team(1, AWAY_ROW);
  text_at(8, 14, "AT");
  draw_team(0, HOME_ROW);
  text_center(26, "KICKOFF");
  ui_team_sprite_palette(0, teams[0].uniform);
  ui_team_sprite_palette(1, teams[1].uniform + 3);
  ppu_on();
  ui_drop_presses();
  for (;;) {
    helmet_sprite(32, AWAY_ROW * 8 + 2, 1, 0);
    helmet_sprite(32, HOME_ROW * 8 + 2, 0, 0);
    oam_finish();
    wait_frame();
    ++frames;
    if (frames >= MATCHUP_MAX_FRAMES) break;
    if (frames >= MATCHUP_MIN_FRAMES && (ui_presses() & (PAD_A | PAD_START))) break;
  }
}
