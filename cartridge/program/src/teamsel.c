/* Team select: a 10 x 3 grid of the cartridge's 28 teams. The cursor lives in
 * console RAM ($E1, $E2) where the league program may also place it; the
 * first A picks the home team, the second the away team. */
#pragma code-name("BANK02")
#pragma rodata-name("BANK02RO")

#include "boot.h"
#include "sound.h"
#include "sprites.h"
#include "team.h"
#include "text.h"
#include "ui.h"

#define GRID_W 10
#define GRID_H 3
#define NO_TEAM 0xFF

u8 picked_team[2];

static const u8 grid[GRID_H][GRID_W] = {
    {0, 1, 2, 3, 4, 14, 15, 16, 17, 18},
    {5, 6, 7, 8, 9, 19, 20, 21, 22, 23},
    {10, 11, 12, 13, 24, 26, 25, 27, NO_TEAM, NO_TEAM},
};

static const char *const formation_names[5] = {"", "", "PRO SET", "SINGLE BACK SET", "4 WR SET"};

static char city[TEXT_CAP + 1];
static char nick[TEXT_CAP + 1];
static char abbr[5];
static char line[TEXT_CAP * 2 + 2]; /* city, blank, nickname */
static u8 picks;
static u8 shown_x, shown_y;
static u8 uniform[2][3];

static u8 cell_column(u8 x) { return 1 + x * 3; }
static u8 cell_row(u8 y) { return 5 + y * 6; }

static u8 team_at(u8 x, u8 y) {
  if (x >= GRID_W || y >= GRID_H) return NO_TEAM;
  return grid[y][x];
}

static void draw_grid(void) {
  u8 x, y, i, team;
  frame_box(0, 3, 32, 20);
  for (y = 0; y < GRID_H; ++y) {
    for (x = 0; x < GRID_W; ++x) {
      team = team_at(x, y);
      if (team == NO_TEAM) continue;
      team_texts(team, city, nick, abbr);
      for (i = 0; i < 4 && abbr[i]; ++i) tile_at(cell_column(x), cell_row(y) + i, abbr[i]);
    }
  }
}

static void draw_title(void) {
  text_field(2, 1, picks == 0 ? "SELECT THE HOME TEAM" : "SELECT THE AWAY TEAM", 28);
}

static void describe(u8 team, u8 y) {
  char *end;
  team_texts(team, city, nick, abbr);
  end = str_copy(line, city);
  *end++ = ' ';
  str_copy(end, nick);
  text_field(1, y, line, 30);
  text_field(1, y + 1, formation_names[team_formation(team)], 30);
}

static void draw_cursor_team(void) {
  u8 team = team_at(CURSOR_X, CURSOR_Y);
  shown_x = CURSOR_X;
  shown_y = CURSOR_Y;
  if (team == NO_TEAM) {
    text_field(1, 24, "", 30);
    text_field(1, 25, "", 30);
    return;
  }
  describe(team, 24);
  team_uniform(team, uniform[picks]);
  ui_team_sprite_palette(picks, uniform[picks]);
}

static void draw_sprites(void) {
  u8 side, x, y, team;
  for (side = 0; side < picks; ++side) {
    team = picked_team[side];
    for (y = 0; y < GRID_H; ++y) {
      for (x = 0; x < GRID_W; ++x) {
        if (grid[y][x] == team) helmet_sprite((cell_column(x) + 1) * 8, cell_row(y) * 8 + 4 + side * 14, side, side);
      }
    }
  }
  x = CURSOR_X;
  y = CURSOR_Y;
  if (team_at(x, y) != NO_TEAM && (frame_count & 16)) {
    SPRITE(cell_column(x) * 8, (cell_row(y) - 1) * 8 - 3, SPR_PTR_DOWN, 3);
    SPRITE(cell_column(x) * 8, (cell_row(y) + 4) * 8 - 3, SPR_PTR_UP, 3);
  }
  if (team_at(shown_x, shown_y) != NO_TEAM) helmet_sprite(232, 24 * 8, picks, picks);
  oam_finish();
}

/* The D-pad moves the cursor; the two empty cells are stepped over. */
static void move_cursor(u8 press) {
  s8 x = CURSOR_X;
  s8 y = CURSOR_Y;
  if (x >= GRID_W) x = 0;
  if (y >= GRID_H) y = 0;
  if (press & PAD_LEFT) x = x == 0 ? GRID_W - 1 : x - 1;
  if (press & PAD_RIGHT) x = x == GRID_W - 1 ? 0 : x + 1;
  if (press & PAD_UP) y = y == 0 ? GRID_H - 1 : y - 1;
  if (press & PAD_DOWN) y = y == GRID_H - 1 ? 0 : y + 1;
  if (team_at(x, y) == NO_TEAM) {
    if (press & PAD_RIGHT) {
      x = 0;
    } else if (press & (PAD_UP | PAD_DOWN)) {
      y = 1;
    } else {
      x = 7;
    }
  }
  CURSOR_X = x;
  CURSOR_Y = y;
}

void team_select(void) {
  u8 press, team, q;
  picks = 0;
  ui_begin_screen();
  for (q = 0; q < 16; ++q) {
    attr_quadrant(q, 0, PAL_MENU_GOLD);
    attr_quadrant(q, 12, PAL_MENU_GOLD);
  }
  draw_title();
  draw_grid();
  CURSOR_X = 0;
  CURSOR_Y = 0;
  draw_cursor_team();
  ppu_on();
  ui_drop_presses();
  MARK_TEAMS = MARK_TEAMS_READY;
  while (picks < 2) {
    draw_sprites();
    wait_frame();
    press = ui_presses();
    if (press & (PAD_A | PAD_START)) {
      team = team_at(CURSOR_X, CURSOR_Y);
      if (team != NO_TEAM) {
        rng_stir();
        sfx_play(SFX_BLIP);
        picked_team[picks++] = team;
        if (picks < 2) draw_title();
        shown_x = 0xFF;
        continue;
      }
    }
    if ((press & PAD_B) && picks == 1) {
      picks = 0;
      draw_title();
      shown_x = 0xFF;
    }
    if (press & (PAD_UP | PAD_DOWN | PAD_LEFT | PAD_RIGHT)) move_cursor(press);
    if (picks < 2 && (CURSOR_X != shown_x || CURSOR_Y != shown_y)) draw_cursor_team();
  }
  MARK_TEAMS = 0;
  draw_sprites();
  ui_wait(20);
}
