/* Play selection and the resolution of a scrimmage play.
 *
 * Selection: both play bytes start at $80 and stay there for at least a
 * second; a COM side chooses only after that, MAN and COA sides with their
 * controller. Once both have chosen the choices stand still for two seconds
 * (the league program may rewrite them then) and the play runs with the bytes
 * as they are at the end.
 *
 * Resolution: the ratings of the players involved against the defence's
 * units, moved by how well the defence read the play: the exact play
 * expected (loss, sack, interception likely), the right kind of play
 * (run or pass), or the wrong kind. */
#pragma code-name("BANK04")
#pragma rodata-name("BANK04RO")

#include "modules.h"
#include "playbook.h"
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

/* ---- play facts ---- */

static u8 trait_of(u8 side, u8 call) {
  u8 slot = call & 3;
  u8 choice = teams[side].play[call & 7];
  return call >= 4 ? pass_traits[slot * 8 + choice] : run_traits[slot * 8 + choice];
}

static const char *name_of(u8 side, u8 call) {
  u8 slot = call & 3;
  u8 choice = teams[side].play[call & 7];
  return call >= 4 ? pass_names[slot * 8 + choice] : run_names[slot * 8 + choice];
}

static u8 carrier_of(u8 role) {
  u8 formation = teams[offense].formation;
  switch (role) {
    case RUN_FB: return formation == FORMATION_PRO ? P_RB2 : P_RB1;
    case RUN_QB: return P_QB1;
    case RUN_WR: return P_WR2;
  }
  return P_RB1;
}

static u8 target_of(u8 role) {
  u8 formation = teams[offense].formation;
  switch (role) {
    case TO_X: return P_WR1;
    case TO_Z: return P_WR2;
    case TO_Y: return formation == FORMATION_FOURWR ? P_WR3 : P_TE1;
    case TO_FB: return formation == FORMATION_PRO ? P_RB2 : P_RB1;
    case TO_SLOT:
      if (formation == FORMATION_ONEBACK) return P_WR3;
      return formation == FORMATION_FOURWR ? P_WR4 : P_TE1;
  }
  return P_RB1;
}

static u8 cover_of(u8 role, u8 lane) {
  switch (role) {
    case TO_X: return P_LCB;
    case TO_Z: return P_RCB;
    case TO_Y: return P_SS;
    case TO_SLOT: return P_FS;
  }
  return lane == LANE_LEFT ? P_LOLB : P_ROLB;
}

static const u8 tacklers_middle[4] = {P_NT, P_RILB, P_LILB, P_NT};
static const u8 tacklers_left[4] = {P_LE, P_LOLB, P_LILB, P_LCB};
static const u8 tacklers_right[4] = {P_RE, P_ROLB, P_RILB, P_RCB};
static const u8 tacklers_deep[4] = {P_FS, P_SS, P_LCB, P_RCB};
static const u8 rushers[4] = {P_RE, P_LE, P_NT, P_ROLB};

static u8 tackler_for(u8 lane, s8 gained) {
  if (gained >= 14) return tacklers_deep[rnd(4)];
  if (lane == LANE_LEFT) return tacklers_left[rnd(4)];
  if (lane == LANE_RIGHT) return tacklers_right[rnd(4)];
  return tacklers_middle[rnd(4)];
}

/* ---- computer player ---- */

static u8 pass_percent(void) {
  s16 behind = (s16)points[DEFENSE] - (s16)points[offense];
  if (PERIOD >= 3 && clock_seconds() < 180 && behind > 0) return 75;
  if (to_go <= 2) return 25;
  if (ball_on >= 95) return 40;
  if (down >= 3 && to_go >= 7) return 80;
  if (down == 2 && to_go >= 8) return 60;
  return 45;
}

/* The offence calls a play for the situation; the defence guesses one the same way. */
static u8 com_choice(void) {
  return (u8)((rnd(100) < pass_percent() ? 4 : 0) + rnd(4));
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
        if (PLAY_BYTES[side] == PLAY_CHOOSING && frames >= com_at[side]) PLAY_BYTES[side] = com_choice();
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

/* ---- resolution ---- */

static s16 clamp(s16 v, s16 low, s16 high) {
  if (v < low) return low;
  if (v > high) return high;
  return v;
}

/* -range..+range, peaked at 0. */
static s16 wobble(u8 range) {
  s16 sum = rnd(range + 1);
  sum += rnd(range + 1);
  return sum - range;
}

static void resolve_run(u8 trait) {
  u8 off = offense, def = DEFENSE;
  u8 c = carrier_of(RUN_CARRIER(trait));
  u8 style = RUN_STYLE(trait);
  u8 speed = rating(off, c, R_SPEED);
  u8 power = rating(off, c, R_RUSH);
  u8 hands = c == P_QB1 ? 10 : rating(off, c, R_HANDS);
  u8 block = unit_line[off];
  s16 front = (unit_front[def] + unit_backers[def]) >> 1;
  s16 attack, edge, yards;
  switch (style) {
    case STYLE_DIVE: attack = (2 * power + 2 * block + speed) / 5; break;
    case STYLE_SWEEP:
      attack = (3 * speed + power + 2 * block) / 6;
      front = (unit_backers[def] + unit_cover[def]) >> 1;
      break;
    case STYLE_TRICK: attack = (3 * speed + 2 * block + power) / 6; break;
    default: attack = (2 * power + 2 * speed + 2 * block) / 6; break;
  }
  edge = attack - front;
  if (RUN_DRAW(trait) && result.read == 0) edge += 3;
  yards = 3 + edge / 2 + wobble(style >= STYLE_SWEEP ? 8 : 5);
  if (result.read == 2) yards -= 5;
  if (result.read == 0) yards += 1;
  if (rnd(100) < (u8)clamp(5 + edge - result.read * 4, 1, 40)) yards += 8 + rnd(speed * 2 + 8);
  if (result.read == 2 && rnd(100) < (u8)clamp(40 - edge * 2, 5, 80)) yards = -1 - (s16)rnd(4);
  result.outcome = OUT_RUN;
  result.carrier = c;
  result.style = style;
  result.gained = (s8)clamp(yards, -(s16)ball_on, 100 - ball_on);
  result.defender = tackler_for(RUN_LANE(trait), result.gained);
  if (rnd(100) < (u8)(1 + (15 - hands) / 5 + result.read)) result.outcome = OUT_FUMBLE;
  result.runoff = 34 + rnd(10);
}

static void resolve_pass(u8 trait) {
  u8 off = offense, def = DEFENSE;
  u8 depth = PASS_DEPTH(trait);
  u8 t = target_of(PASS_TARGET(trait));
  u8 cb = cover_of(PASS_TARGET(trait), PASS_LANE(trait));
  s16 aim = (rating(off, P_QB1, R_ACCURACY) + rating(off, P_QB1, R_PASS_CTL)) >> 1;
  s16 arm = rating(off, P_QB1, R_PASS_SPD);
  s16 guard = (2 * unit_line[off] + rating(off, P_QB1, R_AVOID)) / 3;
  s16 hands = (2 * rating(off, t, R_CATCH) + rating(off, t, R_SPEED)) / 3;
  s16 cover = (rating(def, cb, R_SPEED) + rating(def, cb, R_QUICK) + unit_cover[def]) / 3;
  s16 run_after = rating(off, t, R_SPEED) - cover;
  s16 chance, yards;
  u8 read = result.read;
  static const s8 depth_penalty[4] = {-10, 0, 10, 24};
  static const u8 depth_base[4] = {0, 4, 10, 20};
  static const u8 depth_spread[4] = {4, 6, 9, 15};

  if (PASS_FAKE(trait) && read == 0) read = 0xFF; /* the fake worked */
  result.is_pass = 1;
  result.style = depth;
  result.passer = P_QB1;
  result.carrier = t;
  result.defender = cb;

  chance = 6 + unit_front[def] - guard + (read == 0xFF ? -3 : read * 8) + (depth == DEPTH_DEEP ? 3 : 0) -
           (depth == DEPTH_SCREEN ? 3 : 0);
  if (rnd(100) < (u8)clamp(chance, 2, 60)) {
    result.outcome = OUT_SACK;
    result.defender = rushers[rnd(4)];
    result.gained = (s8)clamp(-3 - (s16)rnd(6), -(s16)ball_on, 0);
    result.runoff = 34 + rnd(8);
    return;
  }
  chance = 60 + 2 * (aim - 8) + 2 * (hands - 8) - 3 * (cover - 8) - depth_penalty[depth];
  chance -= read == 0xFF ? -10 : read * 12;
  if (rnd(100) < (u8)clamp(chance, 5, 95)) {
    yards = depth_base[depth] + rnd(depth_spread[depth]) + (depth == DEPTH_DEEP ? rnd(arm + 1) : 0);
    if (depth == DEPTH_SCREEN) yards -= 2;
    yards += rnd(4) + (run_after > 0 ? run_after / 2 : 0);
    if (rnd(100) < (u8)clamp(4 + run_after * 2, 1, 30)) yards += 10 + rnd(30);
    result.outcome = OUT_COMPLETE;
    result.gained = (s8)clamp(yards, -(s16)ball_on, 100 - ball_on);
    if (result.gained >= 14) result.defender = tacklers_deep[rnd(4)];
    result.runoff = rnd(5) == 0 ? 8 + rnd(4) : 30 + rnd(10);
    return;
  }
  chance = 4 + (rating(def, cb, R_PICK) - aim) / 2 + (read == 0xFF ? 0 : read * 5) + (depth == DEPTH_DEEP ? 3 : 0);
  if (rnd(100) < (u8)clamp(chance, 1, 40)) {
    result.outcome = OUT_INTERCEPTION;
    yards = depth_base[depth] + rnd(depth_spread[depth]);
    result.gained = (s8)clamp(yards, 0, 100 - ball_on);
    result.returner = cb;
    result.returned = (s8)(rnd(12) + (rating(def, cb, R_SPEED) >> 1));
    if (rnd(100) < 8) result.returned += 20 + rnd(50);
    result.runoff = 8 + rnd(6);
    return;
  }
  result.outcome = OUT_INCOMPLETE;
  result.gained = 0;
  result.runoff = 6 + rnd(4);
}

void plays_resolve(void) {
  u8 call = play_call[offense];
  u8 guess = play_call[DEFENSE];
  u8 trait = trait_of(offense, call);
  s16 catch_spot, back;
  result_clear();
  result.read = guess == call ? 2 : ((guess >= 4) == (call >= 4) ? 1 : 0);
  result.lane = PASS_LANE(trait) == LANE_LEFT ? -1 : (PASS_LANE(trait) == LANE_RIGHT ? 1 : 0);
  if (call >= 4) {
    resolve_pass(trait);
  } else {
    resolve_run(trait);
  }
  if (result.outcome == OUT_INTERCEPTION) {
    catch_spot = (s16)ball_on + result.gained;
    if (catch_spot > 99) catch_spot = 99;
    back = 100 - catch_spot; /* the interceptor's yards to his own goal line */
    if ((s16)result.returned >= 100 - back) {
      result.returned = (s8)(100 - back);
      result.touchdown = 2;
    }
    return;
  }
  if ((s16)ball_on + result.gained >= 100) result.touchdown = 1;
  if ((s16)ball_on + result.gained <= 0) result.safety = 1;
  /* A fumble only counts on the field of play: over the goal line the score stands. */
  if (result.outcome == OUT_FUMBLE && (result.touchdown || result.safety)) result.outcome = OUT_RUN;
}
