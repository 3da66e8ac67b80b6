/* The football rules. Every figure a play produces comes from here: the
 * players' ratings against the other side's, moved by how well the defence
 * read the call (the exact play expected, the right kind of play, or the
 * wrong kind) and by the situation (down, distance, score, clock).
 *
 * Ratings decide: every formula rises with the offence's ratings and falls
 * with the defence's, so a better rating never makes a player worse. They
 * are worked in quarter steps (a rating of 15 is 60) and yards are rounded
 * up or down at random in proportion, so that every step counts on average
 * instead of vanishing in a division. The home side plays with a small lift. A play takes game clock by what it was
 * (an incomplete pass or a run out of bounds stops the clock), and less when
 * the offence hurries, more when it runs the clock down. */
#pragma code-name("BANK08")
#pragma rodata-name("BANK08RO")

#include "playbook.h"
#include "rules.h"
#include "state.h"
#include "team.h"

#define READ_FOOLED 0
#define READ_KIND   1
#define READ_EXACT  2
#define READ_FAKED  3   /* a fake the defence bit on */

/* ---- the plays' traits (slot x 8 + choice), as the playbook names them ---- */

static const u8 run_traits[32] = {
    RUN(RUN_HB, STYLE_SWEEP, LANE_RIGHT, 0),     RUN(RUN_HB, STYLE_SWEEP, LANE_RIGHT, 0),
    RUN(RUN_HB, STYLE_OFFTACKLE, LANE_RIGHT, 0), RUN(RUN_HB, STYLE_OFFTACKLE, LANE_LEFT, 0),
    RUN(RUN_HB, STYLE_SWEEP, LANE_LEFT, 0),      RUN(RUN_FB, STYLE_OFFTACKLE, LANE_RIGHT, 0),
    RUN(RUN_FB, STYLE_SWEEP, LANE_LEFT, 0),      RUN(RUN_HB, STYLE_SWEEP, LANE_RIGHT, 0),

    RUN(RUN_FB, STYLE_DIVE, LANE_MIDDLE, 0),     RUN(RUN_FB, STYLE_OFFTACKLE, LANE_LEFT, 0),
    RUN(RUN_HB, STYLE_OFFTACKLE, LANE_MIDDLE, 1), RUN(RUN_HB, STYLE_SWEEP, LANE_LEFT, 0),
    RUN(RUN_HB, STYLE_SWEEP, LANE_RIGHT, 0),     RUN(RUN_HB, STYLE_OFFTACKLE, LANE_LEFT, 0),
    RUN(RUN_HB, STYLE_OFFTACKLE, LANE_RIGHT, 0), RUN(RUN_HB, STYLE_SWEEP, LANE_RIGHT, 0),

    RUN(RUN_HB, STYLE_OFFTACKLE, LANE_MIDDLE, 1), RUN(RUN_HB, STYLE_SWEEP, LANE_RIGHT, 0),
    RUN(RUN_FB, STYLE_OFFTACKLE, LANE_LEFT, 0),  RUN(RUN_HB, STYLE_OFFTACKLE, LANE_RIGHT, 0),
    RUN(RUN_FB, STYLE_OFFTACKLE, LANE_LEFT, 0),  RUN(RUN_HB, STYLE_SWEEP, LANE_LEFT, 0),
    RUN(RUN_WR, STYLE_TRICK, LANE_RIGHT, 0),     RUN(RUN_WR, STYLE_TRICK, LANE_LEFT, 0),

    RUN(RUN_QB, STYLE_OFFTACKLE, LANE_RIGHT, 1), RUN(RUN_HB, STYLE_SWEEP, LANE_LEFT, 0),
    RUN(RUN_QB, STYLE_DIVE, LANE_MIDDLE, 0),     RUN(RUN_HB, STYLE_DIVE, LANE_MIDDLE, 0),
    RUN(RUN_HB, STYLE_DIVE, LANE_MIDDLE, 0),     RUN(RUN_FB, STYLE_DIVE, LANE_MIDDLE, 0),
    RUN(RUN_HB, STYLE_OFFTACKLE, LANE_MIDDLE, 1), RUN(RUN_WR, STYLE_TRICK, LANE_RIGHT, 0),
};

static const u8 pass_traits[32] = {
    PASS(TO_Y, DEPTH_SHORT, LANE_LEFT, 1),     PASS(TO_HB, DEPTH_SCREEN, LANE_RIGHT, 0),
    PASS(TO_Y, DEPTH_SHORT, LANE_RIGHT, 1),    PASS(TO_Z, DEPTH_MEDIUM, LANE_RIGHT, 0),
    PASS(TO_X, DEPTH_MEDIUM, LANE_LEFT, 0),    PASS(TO_FB, DEPTH_SHORT, LANE_MIDDLE, 1),
    PASS(TO_HB, DEPTH_SCREEN, LANE_LEFT, 0),   PASS(TO_X, DEPTH_DEEP, LANE_MIDDLE, 1),

    PASS(TO_Z, DEPTH_DEEP, LANE_MIDDLE, 1),    PASS(TO_X, DEPTH_DEEP, LANE_RIGHT, 1),
    PASS(TO_X, DEPTH_MEDIUM, LANE_LEFT, 0),    PASS(TO_Z, DEPTH_DEEP, LANE_RIGHT, 0),
    PASS(TO_FB, DEPTH_SCREEN, LANE_LEFT, 0),   PASS(TO_HB, DEPTH_SCREEN, LANE_RIGHT, 0),
    PASS(TO_Z, DEPTH_MEDIUM, LANE_MIDDLE, 0),  PASS(TO_HB, DEPTH_SCREEN, LANE_LEFT, 0),

    PASS(TO_Z, DEPTH_DEEP, LANE_MIDDLE, 1),    PASS(TO_X, DEPTH_DEEP, LANE_LEFT, 1),
    PASS(TO_X, DEPTH_MEDIUM, LANE_LEFT, 0),    PASS(TO_SLOT, DEPTH_MEDIUM, LANE_RIGHT, 0),
    PASS(TO_Z, DEPTH_MEDIUM, LANE_MIDDLE, 1),  PASS(TO_X, DEPTH_DEEP, LANE_RIGHT, 1),
    PASS(TO_HB, DEPTH_SCREEN, LANE_RIGHT, 0),  PASS(TO_SLOT, DEPTH_SHORT, LANE_RIGHT, 0),

    PASS(TO_X, DEPTH_DEEP, LANE_MIDDLE, 0),    PASS(TO_Y, DEPTH_MEDIUM, LANE_MIDDLE, 0),
    PASS(TO_X, DEPTH_DEEP, LANE_LEFT, 0),      PASS(TO_Z, DEPTH_DEEP, LANE_RIGHT, 1),
    PASS(TO_Z, DEPTH_MEDIUM, LANE_LEFT, 0),    PASS(TO_X, DEPTH_DEEP, LANE_LEFT, 0),
    PASS(TO_Z, DEPTH_SHORT, LANE_MIDDLE, 0),   PASS(TO_Z, DEPTH_SHORT, LANE_RIGHT, 0),
};

/* ---- the rules' numbers ---- */

/* Runs: yards before ratings by the defence's read (fooled, right kind, exact). */
static const s8 run_yards_by_read[3] = {6, 3, 1};
/* Passes by depth (screen, short, medium, deep). */
static const u8 catch_by_depth[4] = {80, 72, 60, 44};
static const s8 sack_by_depth[4] = {-4, -1, 1, 3};
static const u8 air_yards_by_depth[4] = {0, 4, 9, 18};
static const u8 air_spread_by_depth[4] = {6, 6, 9, 14};
/* Passes by the defence's read (fooled, right kind, exact, faked). */
static const s8 catch_by_read[4] = {8, -6, -20, 12};
static const s8 sack_by_read[4] = {-2, 2, 6, -3};
static const u8 pick_by_read[4] = {0, 3, 6, 0};

#define HOME_LIFT         5    /* edge of the home side's plays, quarter steps */
#define CORNER_SPOT       95   /* a punt comes down no nearer the goal than this */
#define FIELD_GOAL_REACH  44   /* yards a kicker of rating 0 still tries; each step adds one */
#define HURRY_SECONDS     120  /* the fourth quarter's last two minutes */
#define HALF_HURRY        60
#define MILK_SECONDS      240

/* Unit strengths of both teams in quarter steps, worked out at kickoff. */
static u8 unit_line[2];   /* offensive line */
static u8 unit_front[2];  /* defensive line */
static u8 unit_backers[2];
static u8 unit_cover[2];  /* defensive backs */

/* ---- helpers ---- */

/* A rating in quarter steps. */
static s16 q(u8 side, u8 player, u8 which) {
  return (s16)rating(side, player, which) << 2;
}

/* v / 2^shift (|v| < 1024), rounded down or up at random in proportion to
 * the remainder: its mean is exactly v / 2^shift. */
static s16 share(s16 v, u8 shift) {
  return (s16)(((u16)(v + 1024) + rnd((u8)(1 << shift))) >> shift) - (s16)(1024 >> shift);
}

/* 0..1023, for chances finer than a percent. */
static u16 rnd1024(void) {
  return ((u16)rand8() << 2) | (rand8() & 3);
}

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

/* Percent chance, clamped so that nothing is certain. */
static u8 chance(s16 percent, s16 low, s16 high) {
  return rnd(100) < (u8)clamp(percent, low, high);
}

static s8 on_field(s16 yards) {
  return (s8)clamp(yards, -(s16)ball_on, 100 - (s16)ball_on);
}

static s16 lift(void) {
  return offense == HOME ? HOME_LIFT : 0;
}

static s16 lead(void) {
  s16 mine = (s16)points[offense];
  s16 theirs = (s16)points[DEFENSE];
  return mine - theirs;
}

/* Behind in the fourth quarter's last two minutes, or anyone at a half's end. */
static u8 hurrying(void) {
  u16 left = clock_seconds();
  if (PERIOD == 1 && left < HALF_HURRY) return 1;
  return PERIOD == 3 && left < HURRY_SECONDS && lead() < 0;
}

/* Ahead late in the fourth quarter: runs, and the clock kept running. */
static u8 milking(void) {
  return PERIOD == 3 && clock_seconds() < MILK_SECONDS && lead() > 0;
}

static u8 kick_rating(u8 side, u8 player) {
  return rating(side, player, R_KICK);
}

/* ---- units ---- */

/* Mean of three ratings over `count` players, in quarter steps. */
static u8 unit_average(u8 side, u8 first, u8 count, u8 a, u8 b, u8 c) {
  u16 sum = 0;
  u8 i, p;
  for (i = 0; i < count; ++i) {
    p = first + i;
    sum += rating(side, p, a) + rating(side, p, b) + rating(side, p, c);
  }
  return (u8)(sum * 4 / (count * 3));
}

void rules_rate_units(void) {
  u8 side;
  for (side = 0; side < 2; ++side) {
    unit_line[side] = unit_average(side, P_C, 5, R_MAX, R_HIT, R_MAX);
    unit_front[side] = unit_average(side, P_RE, 3, R_HIT, R_SPEED, R_MAX);
    unit_backers[side] = unit_average(side, P_ROLB, 4, R_HIT, R_SPEED, R_QUICK);
    unit_cover[side] = unit_average(side, P_RCB, 4, R_SPEED, R_QUICK, R_PICK);
  }
}

/* ---- calls ---- */

static u8 pass_percent(void) {
  if (hurrying()) return 80;
  if (milking()) return 20;
  if (to_go <= 2) return 30;
  if (ball_on >= 95) return 40;
  if (down >= 3 && to_go >= 7) return 80;
  if (down == 2 && to_go >= 8) return 60;
  return 45;
}

/* The offence calls for the situation; a defence guesses the same way. */
u8 rules_com_call(u8 side) {
  (void)side;
  return (u8)((rnd(100) < pass_percent() ? 4 : 0) + rnd(4));
}

static u8 trait_of(u8 call) {
  u8 slot = call & 3;
  u8 choice = teams[offense].play[call & 7];
  return call >= 4 ? pass_traits[slot * 8 + choice] : run_traits[slot * 8 + choice];
}

/* ---- who is in the play ---- */

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

/* ---- the clock ---- */

/* Seconds a play takes: `running` when the clock runs on after it. */
static u8 runoff(u8 running) {
  if (!running) return 4 + rnd(3);
  if (hurrying()) return 6 + rnd(3);
  if (milking()) return 28 + rnd(8);
  return 12 + rnd(6);
}

/* ---- runs ---- */

static void resolve_run(u8 trait, u8 read) {
  u8 off = offense, def = DEFENSE;
  u8 c = carrier_of(RUN_CARRIER(trait));
  u8 style = RUN_STYLE(trait);
  s16 speed = q(off, c, R_SPEED);
  s16 power = q(off, c, R_RUSH);
  s16 hands = c == P_QB1 ? 10 : rating(off, c, R_HANDS);
  s16 block = unit_line[off];
  s16 front = ((s16)unit_front[def] + unit_backers[def]) >> 1;
  s16 attack, edge, yards;
  switch (style) {
    case STYLE_DIVE: attack = (2 * power + 2 * block + speed) / 5; break;
    case STYLE_SWEEP:
      attack = (3 * speed + power + 2 * block) / 6;
      front = ((s16)unit_backers[def] + unit_cover[def]) >> 1;
      break;
    case STYLE_TRICK: attack = (3 * speed + 2 * block + power) / 6; break;
    default: attack = (2 * power + 2 * speed + 2 * block) / 6; break;
  }
  edge = attack - front + lift(); /* quarter steps */
  if (RUN_DRAW(trait) && read == READ_FOOLED) edge += 12;
  yards = run_yards_by_read[read] + share(3 * edge, 6) + wobble(style >= STYLE_SWEEP ? 6 : 4);
  if (chance(4 + share(edge, 4) - 2 * (s16)read, 1, 10)) yards += 8 + rnd((u8)(8 + (speed >> 3)));
  if (read == READ_EXACT && chance(35 - share(3 * edge, 2), 10, 60)) yards = -1 - (s16)rnd(4);
  result.outcome = OUT_RUN;
  result.carrier = c;
  result.style = style;
  result.gained = on_field(yards);
  result.defender = tackler_for(RUN_LANE(trait), result.gained);
  if (rnd1024() < (u16)(6 + (15 - hands) * 2 / 3 + 4 * (read == READ_EXACT))) result.outcome = OUT_FUMBLE;
  result.stopped = style >= STYLE_SWEEP && rnd(100) < 30;
  result.runoff = runoff(result.outcome == OUT_RUN && !result.stopped);
}

/* ---- passes ---- */

static void resolve_pass(u8 trait, u8 read) {
  u8 off = offense, def = DEFENSE;
  u8 depth = PASS_DEPTH(trait);
  u8 t = target_of(PASS_TARGET(trait));
  u8 cb = cover_of(PASS_TARGET(trait), PASS_LANE(trait));
  /* quarter steps */
  s16 aim = (q(off, P_QB1, R_ACCURACY) + q(off, P_QB1, R_PASS_CTL)) >> 1;
  s16 guard = (2 * (s16)unit_line[off] + q(off, P_QB1, R_AVOID)) / 3;
  s16 hands = (2 * q(off, t, R_CATCH) + q(off, t, R_SPEED)) / 3;
  s16 cover = (q(def, cb, R_SPEED) + q(def, cb, R_QUICK) + unit_cover[def]) / 3;
  s16 run_after = q(off, t, R_SPEED) - cover;
  s16 rush = unit_front[def];
  u8 arm = rating(off, P_QB1, R_PASS_SPD);
  s16 yards;

  if (PASS_FAKE(trait) && read == READ_FOOLED) read = READ_FAKED;
  result.is_pass = 1;
  result.style = depth;
  result.passer = P_QB1;
  result.carrier = t;
  result.defender = cb;

  if (chance(7 + share(rush - guard, 4) + sack_by_read[read] + sack_by_depth[depth] - share(lift(), 2), 2, 25)) {
    result.outcome = OUT_SACK;
    result.defender = rushers[rnd(4)];
    result.gained = on_field(-3 - (s16)rnd(6));
    result.runoff = runoff(1);
    return;
  }
  /* Three eighths of a percent a step of aim and hands over cover. */
  if (chance(catch_by_depth[depth] + share(3 * (aim + hands - cover - 32), 5) + catch_by_read[read] +
                 share(lift(), 1),
             10, 92)) {
    yards = air_yards_by_depth[depth] + rnd(air_spread_by_depth[depth]);
    if (depth == DEPTH_DEEP) yards += rnd(arm + 1) >> 1;
    if (depth == DEPTH_SCREEN) yards -= 2;
    yards += rnd(4) + (run_after > 0 ? share(run_after, 4) : 0);
    if (chance(2 + share(run_after, 3), 1, 8)) yards += 8 + rnd(25);
    result.outcome = OUT_COMPLETE;
    result.gained = on_field(yards);
    if (result.gained >= 14) result.defender = tacklers_deep[rnd(4)];
    if (rnd1024() < (u16)(3 + (15 - rating(off, t, R_HANDS)) / 2)) result.outcome = OUT_FUMBLE;
    result.stopped = PASS_LANE(trait) != LANE_MIDDLE && rnd(100) < 30;
    result.runoff = runoff(result.outcome == OUT_COMPLETE && !result.stopped);
    return;
  }
  if (chance(9 + share(q(def, cb, R_PICK) - aim, 4) + pick_by_read[read] + (depth == DEPTH_DEEP ? 3 : 0), 2, 25)) {
    result.outcome = OUT_INTERCEPTION;
    yards = air_yards_by_depth[depth] + rnd(air_spread_by_depth[depth]);
    result.gained = (s8)clamp(yards, 0, 100 - (s16)ball_on);
    result.returner = cb;
    result.returned = (s8)(rnd(12) + ((rating(def, cb, R_SPEED) + rnd(2)) >> 1));
    if (rnd(100) < 8) result.returned += 20 + rnd(50);
    result.runoff = runoff(0) + 4;
    return;
  }
  result.outcome = OUT_INCOMPLETE;
  result.gained = 0;
  result.runoff = runoff(0);
}

void rules_scrimmage(void) {
  u8 call = play_call[offense];
  u8 guess = play_call[DEFENSE];
  u8 trait = trait_of(call);
  u8 read = guess == call ? READ_EXACT : ((guess >= 4) == (call >= 4) ? READ_KIND : READ_FOOLED);
  s16 catch_spot, back;
  result_clear();
  result.read = read;
  result.lane = PASS_LANE(trait) == LANE_LEFT ? -1 : (PASS_LANE(trait) == LANE_RIGHT ? 1 : 0);
  if (call >= 4) {
    resolve_pass(trait, read);
  } else {
    resolve_run(trait, read);
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
  if (result.outcome == OUT_FUMBLE && (result.touchdown || result.safety)) {
    result.outcome = result.is_pass ? OUT_COMPLETE : OUT_RUN;
  }
}

/* ---- kicks ---- */

/* Return yards for the returner (RB 3) of `side` against the kicking team's cover. */
static s8 return_yards(u8 side, u8 base, u8 spread) {
  s16 edge = q(side, P_RB3, R_SPEED); /* quarter steps */
  s16 yards;
  edge -= ((s16)unit_backers[side ^ 1] + unit_cover[side ^ 1]) >> 1;
  yards = share(edge, 3) + base + rnd(spread);
  if (chance(2 + share(edge, 2), 1, 12)) yards += 10 + rnd(35);
  return (s8)clamp(yards, 0, 100);
}

/* From 1% (avoid kick block 15) to 4.75% (0). */
static u8 blocked(u8 side, u8 player) {
  return rnd(200) < (u8)(2 + (15 - rating(side, player, R_KICK_SAFE)) / 2);
}

void rules_kickoff(u8 kicker, u8 spot) {
  u8 distance = 50 + kick_rating(kicker, P_K) + rnd(14);
  result.outcome = OUT_KICKOFF;
  result.carrier = P_K;
  result.returner = P_RB3;
  result.gained = (s8)distance;
  /* Deep in the end zone is a touchback; a ball just over the line is run out. */
  if (spot + distance >= 105 || (spot + distance >= 100 && rnd(2))) {
    result.touchback = 1;
    result.runoff = 0;
  } else {
    result.returned = return_yards(kicker ^ 1, 18, 16);
    result.runoff = 4 + rnd(3);
  }
}

void rules_punt(void) {
  u8 kicker = offense;
  u8 distance = 30 + kick_rating(kicker, P_P) + rnd(12);
  result.outcome = OUT_PUNT;
  result.carrier = P_P;
  result.returner = P_RB3;
  result.runoff = 6 + rnd(6);
  /* Near the other goal the punter kicks for the corner, so a longer punt is never a worse one. */
  if (blocked(kicker, P_P)) {
    distance = 0;
  } else if ((u16)ball_on + distance > CORNER_SPOT) {
    result.touchback = ball_on >= CORNER_SPOT;
    distance = result.touchback ? 100 - ball_on : CORNER_SPOT - ball_on;
  }
  if (result.touchback || distance == 0) {
    /* nothing to catch */
  } else if (rnd(100) < 25) {
    result.fair_catch = 1;
  } else {
    result.returned = return_yards(kicker ^ 1, 4, 10);
  }
  result.gained = (s8)distance;
}

static u8 field_goal_distance(void) {
  return 117 - ball_on;
}

void rules_field_goal(void) {
  u8 kicker = offense;
  s16 distance = field_goal_distance();
  s16 kick = kick_rating(kicker, P_K);
  result.outcome = OUT_FIELD_GOAL;
  result.carrier = P_K;
  result.gained = (s8)distance;
  result.runoff = 4 + rnd(3);
  result.good = chance(100 - (distance - 20) * (18 - kick) / 8, 3, 99);
  if (blocked(kicker, P_K)) result.good = 0;
}

void rules_extra_point(void) {
  u8 side = offense;
  result.outcome = OUT_EXTRA_POINT;
  result.carrier = P_K;
  result.good = rnd(200) < (u8)(184 + (kick_rating(side, P_K) >> 1));
  if (blocked(side, P_K)) result.good = 0;
}

/* ---- fourth down ---- */

static u8 in_field_goal_range(void) {
  return field_goal_distance() <= FIELD_GOAL_REACH + kick_rating(offense, P_K);
}

u8 rules_fourth_down(void) {
  s16 ahead = lead();
  u8 range = in_field_goal_range();
  u16 left = clock_seconds();
  if (PERIOD > 3) {
    if (range) return CHOICE_KICK;
    return to_go <= 2 && ball_on >= 45 ? CHOICE_GO : CHOICE_PUNT;
  }
  if (PERIOD == 3 && left < 150) {
    if (ahead < 0) return ahead >= -3 && range ? CHOICE_KICK : CHOICE_GO;
    return range ? CHOICE_KICK : CHOICE_PUNT;
  }
  if (PERIOD == 1 && left < 30) return range ? CHOICE_KICK : CHOICE_PUNT;
  if (to_go <= 1 && ball_on >= 25) return CHOICE_GO;
  if (to_go <= 2 && ball_on >= 40) return CHOICE_GO;
  if (to_go <= 4 && ball_on >= 50 && !range) return CHOICE_GO;
  if (range) return CHOICE_KICK;
  return CHOICE_PUNT;
}
