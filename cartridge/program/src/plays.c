/* Play selection: both play bytes start at $80 and stay there for at least a
 * second; a COM side chooses only after that (by the rules' computer call),
 * MAN and COA sides with their controller. Once both have chosen the choices
 * stand still for two seconds (the league program may rewrite them then) and
 * the play runs with the bytes as they are at the end. */
#pragma code-name("BANK04")
#pragma rodata-name("BANK04RO")

#include "modules.h"
#include "playbook.h"
#include "rules.h"
#include "sound.h"
#include "sprites.h"
#include "state.h"
#include "team.h"
#include "text.h"
#include "ui.h"

#define CHOOSE_MIN_FRAMES 60   /* both bytes stay $80 this long */
#define COM_EXTRA_FRAMES  12
#define HOLD_FRAMES       121  /* the choices stand still this long */
#define NO_CHOICE         0xFF
#define LIST_TOP          9
#define STATUS_TOP        22
/* The boxes run to the last column (the first one is hidden by the left
 * clip): play names of up to 25 letters fit between the home pointer with
 * the slot number and the away pointer. */
#define BOX_LEFT          1
#define BOX_WIDTH         31
#define SLOT_COLUMN       3
#define NAME_COLUMN       5
#define AWAY_POINTER_X    240

static u8 cursor[2];
static u8 pending[2];
static u16 frames;

/* ---- play names ---- */

static const char *name_of(u8 side, u8 call) {
  u8 slot = call & 3;
  u8 choice = teams[side].play[call & 7];
  return call >= 4 ? pass_names[slot * 8 + choice] : run_names[slot * 8 + choice];
}

/* ---- the selection screen ---- */

static const u8 select_palette[32] = {
    0x0F, 0x01, 0x0F, 0x30,  0x0F, 0x01, 0x0F, 0x28,  0x0F, 0x0C, 0x0F, 0x30,  0x0F, 0x0F, 0x00, 0x30,
    0x0F, 0x00, 0x27, 0x10,  0x0F, 0x00, 0x27, 0x10,  0x0F, 0x17, 0x30, 0x07,  0x0F, 0x0F, 0x30, 0x28};

static const char *const mode_names[3] = {"MAN", "COA", "COM"};

static char line[33];

static void draw_status(u8 side) {
  char *p = str_copy(line, teams[side].abbr);
  p = str_copy(p, side == offense ? " OFFENCE " : " DEFENCE ");
  p = str_copy(p, mode_names[mode[side]]);
  p = str_copy(p, PLAY_BYTES[side] == PLAY_CHOOSING ? "  choosing" : "  READY");
  text_field(3, STATUS_TOP + side * 2, line, 27);
}

static void draw_list(void) {
  u8 i;
  frame_box(BOX_LEFT, LIST_TOP - 2, BOX_WIDTH, 12);
  text_at(3, LIST_TOP - 1, "RUNS");
  text_at(3, LIST_TOP + 4, "PASSES");
  for (i = 0; i < 8; ++i) {
    tile_at(SLOT_COLUMN, LIST_TOP + i + (i >= 4), (u8)('1' + (i & 3)));
    text_at(NAME_COLUMN, LIST_TOP + i + (i >= 4), name_of(offense, i));
  }
}

static void draw_screen(void) {
  u8 q;
  screen_off();
  palette_with_teams(select_palette);
  nt_clear(0, TILE_PAPER, 0x00);
  for (q = 0; q < 16; ++q) {
    attr_quadrant(q, 0, 3);
    attr_quadrant(q, 1, 3);
    attr_quadrant(q, 2, 3);
  }
  tiles_row(0, 0, TILE_PAPER, 32);
  tiles_row(0, 5, TILE_RULE_FOOT, 32);
  bar_draw();
  str_copy(pbp_line[0], teams[offense].city);
  str_copy(pbp_line[1], "CALL THE PLAY");
  bar_pbp();
  draw_list();
  frame_box(BOX_LEFT, STATUS_TOP - 2, BOX_WIDTH, 8);
  for (q = 0; q < 16; ++q) {
    attr_quadrant(q, 10, 1);
    attr_quadrant(q, 11, 1);
    attr_quadrant(q, 12, 1);
    attr_quadrant(q, 13, 1);
  }
  if (mode[HOME] != MODE_COM || mode[AWAY] != MODE_COM) text_at(3, STATUS_TOP + 4, "A CALLS   B TAKES IT BACK");
  draw_status(HOME);
  draw_status(AWAY);
  ppu_on();
}

static void draw_cursors(void) {
  u8 side, row, blink;
  for (side = 0; side < 2; ++side) {
    if (mode[side] == MODE_COM) continue;
    row = pending[side] != NO_CHOICE ? pending[side] : cursor[side];
    if (PLAY_BYTES[side] != PLAY_CHOOSING && pending[side] == NO_CHOICE) continue;
    blink = pending[side] != NO_CHOICE || (frame_count & 8);
    if (!blink) continue;
    row = LIST_TOP + row + (row >= 4);
    if (side == HOME) {
      SPRITE(16, row * 8 - 4, SPR_PTR_RIGHT, 0);
    } else {
      SPRITE(AWAY_POINTER_X, row * 8 - 4, SPR_PTR_LEFT, 1);
    }
  }
  oam_finish();
}

/* A MAN or COA side moves its pointer and calls with A; B takes the call back. */
static void human_input(u8 side) {
  u8 press = pad_take(side);
  if (PLAY_BYTES[side] != PLAY_CHOOSING || pending[side] != NO_CHOICE) {
    if (press & PAD_B) {
      PLAY_BYTES[side] = PLAY_CHOOSING;
      pending[side] = NO_CHOICE;
      draw_status(side);
    }
    return;
  }
  if (press & PAD_UP) cursor[side] = (cursor[side] - 1) & 7;
  if (press & PAD_DOWN) cursor[side] = (cursor[side] + 1) & 7;
  if (press & (PAD_LEFT | PAD_RIGHT)) cursor[side] ^= 4;
  if (press & PAD_A) {
    pending[side] = cursor[side];
    sfx_play(SFX_BLIP);
  }
}

static u8 both_chosen(void) {
  return PLAY_BYTES[HOME] != PLAY_CHOOSING && PLAY_BYTES[AWAY] != PLAY_CHOOSING;
}

void plays_select(void) {
  u8 side;
  u8 com_at[2];
  u8 shown[2];
  PLAY_BYTES[HOME] = PLAY_CHOOSING;
  PLAY_BYTES[AWAY] = PLAY_CHOOSING;
  draw_screen();
  STATE_BYTES[offense] = STATE_OFF_CHOOSE;
  STATE_BYTES[DEFENSE] = STATE_DEF_CHOOSE;
  pad_take(0);
  pad_take(1);
  for (side = 0; side < 2; ++side) {
    pending[side] = NO_CHOICE;
    shown[side] = PLAY_CHOOSING;
    com_at[side] = CHOOSE_MIN_FRAMES + rnd(COM_EXTRA_FRAMES);
  }
  frames = 0;
  while (!both_chosen()) {
    wait_frame();
    ++frames;
    for (side = 0; side < 2; ++side) {
      if (mode[side] == MODE_COM) {
        if (PLAY_BYTES[side] == PLAY_CHOOSING && frames >= com_at[side]) PLAY_BYTES[side] = rules_com_call(side);
      } else {
        human_input(side);
        if (pending[side] != NO_CHOICE && frames >= CHOOSE_MIN_FRAMES && PLAY_BYTES[side] == PLAY_CHOOSING) {
          PLAY_BYTES[side] = pending[side];
          pending[side] = NO_CHOICE;
        }
      }
      if ((PLAY_BYTES[side] == PLAY_CHOOSING) != (shown[side] == PLAY_CHOOSING)) {
        shown[side] = PLAY_BYTES[side];
        draw_status(side);
      }
    }
    draw_cursors();
  }
  draw_cursors();
  for (frames = 0; frames < HOLD_FRAMES; ++frames) wait_frame();
  play_call[HOME] = PLAY_BYTES[HOME] & 7;
  play_call[AWAY] = PLAY_BYTES[AWAY] & 7;
  str_copy(play_name, name_of(offense, play_call[offense]));
}
