/* The game from the opening kickoff to the final whistle: periods and the
 * clock, kickoffs, scrimmage downs, punts, field goals, extra points,
 * scoring, overtime. Every statistic is written as soon as its play ends. */
#pragma code-name("BANK03")
#pragma rodata-name("BANK03RO")

#include "modules.h"
#include "rules.h"
#include "sound.h"
#include "state.h"
#include "team.h"
#include "text.h"

#define CARTRIDGE_MINUTES   5
#define PERIOD_HOLD_FRAMES  150   /* a period's starting clock and its 0:00 stand still 2.5 s */
#define RESULT_HOLD_FRAMES  56
#define SCORE_HOLD_FRAMES   100
#define LAST_OVERTIME       4     /* one overtime period; level after it is a tie */
#define OVERTIME_SECONDS    180   /* overtime lasts a quarter, but at least three minutes */
#define KICKOFF_SPOT        35
#define SAFETY_KICK_SPOT    20
#define KICKOFF_TOUCHBACK   25
#define TOUCHBACK_SPOT      20
#define LONG_GAIN           20

static u8 first_kicker;
static u16 period_seconds;

/* What comes next; scores lead to an extra point and a kickoff without recursion. */
#define NEXT_SCRIMMAGE   0
#define NEXT_KICKOFF     1
#define NEXT_EXTRA_POINT 2
static u8 next_up;
static u8 next_side;      /* kicking side, or the side trying the extra point */
static u8 next_spot;

static void set_states(u8 home, u8 away) {
  STATE_BYTES[HOME] = home;
  STATE_BYTES[AWAY] = away;
}

static void clear_scores(void) {
  u8 i;
  for (i = 0; i < 10; ++i) SCORE_BYTES[i] = 0;
  points[HOME] = 0;
  points[AWAY] = 0;
}

static void say(const char *first, const char *second) {
  str_copy(pbp_line[0], first);
  str_copy(pbp_line[1], second);
}

static void first_down_at(u8 spot) {
  ball_on = spot;
  down = 1;
  to_go = 10;
}

/* The other side takes over at `spot` yards from its own goal line. */
static void change_possession(u8 spot) {
  offense ^= 1;
  first_down_at(spot);
}

/* ---- kicks ---- */

static void touchdown(u8 side);

static void run_field(void) {
  field_show();
  field_animate();
}

static void hold_caption(u8 frames) {
  field_caption();
  field_hold(frames);
}

/* Kickoff from `spot` of the kicking side; the return team's RB 3 runs it back. */
static void kickoff(u8 kicker, u8 spot) {
  u8 receiver = kicker ^ 1;
  s16 spot_after;
  offense = kicker;
  ball_on = spot;
  result_clear();
  set_states(kicker == HOME ? STATE_KICKING : 0, kicker == AWAY ? STATE_KICKING : 0);
  say("KICKOFF", "");
  rules_kickoff(kicker, spot);
  sfx_play(SFX_WHISTLE);
  run_field();
  set_states(0, 0);
  clock_run(result.runoff);
  next_up = NEXT_SCRIMMAGE;
  if (result.touchback) {
    change_possession(KICKOFF_TOUCHBACK);
    hold_caption(RESULT_HOLD_FRAMES);
    return;
  }
  spot_after = (s16)spot + (u8)result.gained; /* where it came down, from the kicker's goal line */
  spot_after = 100 - spot_after + result.returned;
  if (spot_after >= 100) {
    result.touchdown = 2;
    stat_kick_return(receiver, P_RB3, result.returned, 1);
    offense = receiver;
    ball_on = 100;
    touchdown(receiver);
    return;
  }
  if (spot_after < 1) spot_after = 1;
  stat_kick_return(receiver, P_RB3, result.returned, 0);
  change_possession((u8)spot_after);
  hold_caption(RESULT_HOLD_FRAMES);
}

static void extra_point(u8 side) {
  offense = side;
  ball_on = 98;
  result_clear();
  say("EXTRA POINT TRY", "");
  rules_extra_point();
  run_field();
  stat_extra_point(side, result.good);
  if (result.good) score_add(side, 1);
  hold_caption(RESULT_HOLD_FRAMES);
  next_up = NEXT_KICKOFF;
  next_side = side;
  next_spot = KICKOFF_SPOT;
}

/* ---- scoring ---- */

static u8 sudden_death_over(void) {
  if (PERIOD > 3 && points[HOME] != points[AWAY]) {
    game_over = 1;
    return 1;
  }
  return 0;
}

/* A touchdown by `side`; the extra point and the kickoff come next. */
static void touchdown(u8 side) {
  score_add(side, 6);
  sfx_play(SFX_SCORE);
  hold_caption(SCORE_HOLD_FRAMES);
  if (sudden_death_over()) return;
  next_up = NEXT_EXTRA_POINT;
  next_side = side;
}

static void safety(u8 conceding) {
  score_add(conceding ^ 1, 2);
  sfx_play(SFX_SCORE);
  hold_caption(SCORE_HOLD_FRAMES);
  if (sudden_death_over()) return;
  next_up = NEXT_KICKOFF;
  next_side = conceding;
  next_spot = SAFETY_KICK_SPOT;
}

/* ---- fourth down: punts and field goals ---- */

static void punt(void) {
  u8 kicker = offense;
  u8 receiver = kicker ^ 1;
  u8 distance;
  s16 spot_after;
  result_clear();
  set_states(kicker == HOME ? STATE_KICKING : 0, kicker == AWAY ? STATE_KICKING : 0);
  say("FOURTH DOWN  PUNT", "");
  rules_punt();
  distance = (u8)result.gained;
  run_field();
  set_states(0, 0);
  clock_run(result.runoff);
  if (distance) stat_punt(kicker, distance);
  if (result.touchback) {
    change_possession(TOUCHBACK_SPOT);
  } else {
    spot_after = 100 - ((s16)ball_on + distance) + result.returned;
    if (distance && !result.fair_catch) stat_punt_return(receiver, P_RB3, result.returned, spot_after >= 100);
    if (spot_after >= 100) {
      offense = receiver;
      ball_on = 100;
      result.touchdown = 2;
      touchdown(receiver);
      return;
    }
    if (spot_after < 1) spot_after = 1;
    change_possession((u8)spot_after);
  }
  hold_caption(RESULT_HOLD_FRAMES);
}

static void field_goal(void) {
  u8 kicker = offense;
  result_clear();
  set_states(0, 0);
  say("FIELD GOAL TRY", "");
  rules_field_goal();
  run_field();
  clock_run(result.runoff);
  stat_field_goal(kicker, result.good);
  if (result.good) {
    score_add(kicker, 3);
    sfx_play(SFX_SCORE);
    hold_caption(SCORE_HOLD_FRAMES);
    if (sudden_death_over()) return;
    next_up = NEXT_KICKOFF;
    next_side = kicker;
    next_spot = KICKOFF_SPOT;
    return;
  }
  hold_caption(RESULT_HOLD_FRAMES);
  /* Missed: the defence takes over at the spot of the kick, or its 20. */
  change_possession((u8)(107 - ball_on));
  if (ball_on < TOUCHBACK_SPOT) ball_on = TOUCHBACK_SPOT;
}

/* ---- scrimmage downs ---- */

/* A sack is neither a rush nor a pass: it counts for the defender, and the
 * yards lost show in the ball's spot. */
static void book_scrimmage(void) {
  u8 off = offense;
  u8 def = off ^ 1;
  u8 td = result.touchdown == 1;
  switch (result.outcome) {
    case OUT_RUN:
      stat_rush(off, result.carrier, result.gained, td);
      break;
    case OUT_FUMBLE:
      if (result.is_pass) {
        stat_pass(off, result.passer, 1, result.gained, 0, 0);
        stat_catch(off, result.carrier, result.gained, 0);
      } else {
        stat_rush(off, result.carrier, result.gained, 0);
      }
      extra_count(off, QGU_EXTRA_FUMBLES_LOST);
      break;
    case OUT_COMPLETE:
      stat_pass(off, result.passer, 1, result.gained, td, 0);
      stat_catch(off, result.carrier, result.gained, td);
      break;
    case OUT_INCOMPLETE:
      stat_pass(off, result.passer, 0, 0, 0, 0);
      break;
    case OUT_SACK:
      stat_sack(def, result.defender);
      break;
    case OUT_INTERCEPTION:
      stat_pass(off, result.passer, 0, 0, 0, 1);
      stat_interception(def, result.defender, result.returned, result.touchdown == 2);
      break;
  }
  if (result.outcome != OUT_INTERCEPTION && result.gained >= LONG_GAIN) extra_count(off, QGU_EXTRA_LONG_PLAYS);
  extra_possession(off, result.runoff);
}

/* First downs, and third and fourth downs made, for the side with the ball. */
static void book_down(u8 made) {
  if (made) extra_count(offense, QGU_EXTRA_FIRST_DOWNS);
  if (down == 3) {
    extra_count(offense, QGU_EXTRA_THIRD_DOWNS);
    if (made) extra_count(offense, QGU_EXTRA_THIRD_DOWNS_MADE);
  } else if (down == 4) {
    extra_count(offense, QGU_EXTRA_FOURTH_DOWNS);
    if (made) extra_count(offense, QGU_EXTRA_FOURTH_DOWNS_MADE);
  }
}

/* Where the play left the ball; scores and turnovers. */
static void settle_scrimmage(void) {
  s16 spot = (s16)ball_on + result.gained;
  s16 catch_spot;
  u8 kept = result.outcome != OUT_INTERCEPTION && result.outcome != OUT_FUMBLE;
  book_down(kept && result.gained >= (s8)to_go);
  if (result.outcome == OUT_INTERCEPTION) {
    catch_spot = spot > 99 ? 99 : spot;
    spot = 100 - catch_spot + result.returned;
    offense ^= 1;
    if (result.touchdown == 2) {
      touchdown(offense);
    } else {
      hold_caption(RESULT_HOLD_FRAMES);
      first_down_at(spot < 1 ? TOUCHBACK_SPOT : (u8)spot);
    }
    return;
  }
  if (result.touchdown == 1) {
    touchdown(offense);
    return;
  }
  if (result.safety) {
    safety(offense);
    return;
  }
  if (result.outcome == OUT_FUMBLE) {
    hold_caption(RESULT_HOLD_FRAMES);
    change_possession((u8)(100 - spot));
    return;
  }
  hold_caption(RESULT_HOLD_FRAMES);
  if (result.gained >= (s8)to_go) {
    first_down_at((u8)spot);
    if (100 - ball_on < 10) to_go = 100 - ball_on;
    return;
  }
  ball_on = (u8)spot;
  to_go -= result.gained;
  if (++down > 4) change_possession((u8)(100 - spot));
}

/* The play's name in the score bar while it runs. */
static void announce_play(void) {
  char *p = str_copy(pbp_line[0], teams[offense].abbr);
  *p++ = ' ';
  str_copy(p, play_name);
  str_copy(pbp_line[1], result.read == 2 ? "THE DEFENCE EXPECTS IT" : "");
}

static void scrimmage_down(void) {
  plays_select();
  rules_scrimmage();
  announce_play();
  set_states(offense == HOME ? STATE_OFF_RUN : STATE_DEF_RUN, offense == AWAY ? STATE_OFF_RUN : STATE_DEF_RUN);
  run_field();
  set_states(0, 0);
  clock_run(result.runoff);
  book_scrimmage();
  settle_scrimmage();
}

static void next_down(void) {
  if (down == 4) {
    switch (rules_fourth_down()) {
      case CHOICE_PUNT:
        punt();
        return;
      case CHOICE_KICK:
        field_goal();
        return;
    }
  }
  scrimmage_down();
}

/* ---- periods ---- */

static const char *const period_start_text[4] = {"1ST QUARTER", "2ND QUARTER", "3RD QUARTER", "4TH QUARTER"};

static void start_period(void) {
  clock_set(PERIOD > 3 && period_seconds < OVERTIME_SECONDS ? OVERTIME_SECONDS : period_seconds);
  field_build();
  result_clear();
  if (PERIOD > 3) {
    say("OVERTIME", "SUDDEN DEATH");
  } else {
    say(period_start_text[PERIOD], "");
  }
  field_show();
  field_hold(PERIOD_HOLD_FRAMES);
}

static void end_period(void) {
  sfx_play(SFX_HORN);
  if (PERIOD == 1) {
    say("HALFTIME", "");
  } else if (PERIOD >= 3) {
    say(points[HOME] == points[AWAY] && PERIOD < LAST_OVERTIME ? "LEVEL AT THE END" : "END OF THE GAME", "");
  } else {
    say("END OF THE QUARTER", "");
  }
  bar_draw();
  bar_pbp();
  field_hold(PERIOD_HOLD_FRAMES);
}

static void schedule_kickoff(u8 kicker) {
  next_up = NEXT_KICKOFF;
  next_side = kicker;
  next_spot = KICKOFF_SPOT;
}

/* Plays until the period's clock runs out (an extra point is still tried at 0:00). */
static void play_period(void) {
  while (!game_over) {
    if (next_up == NEXT_EXTRA_POINT) {
      extra_point(next_side);
      continue;
    }
    if (clock_seconds() == 0) return;
    if (next_up == NEXT_KICKOFF) {
      kickoff(next_side, next_spot);
      continue;
    }
    next_down();
  }
}

/* The driver may have written the quarter length into the clock before kickoff. */
static u16 quarter_seconds(void) {
  u8 m = CLOCK_MIN;
  if (m == 0 || m > 0x99 || (m & 15) > 9) return CARTRIDGE_MINUTES * 60;
  return (u16)((m >> 4) * 10 + (m & 15)) * 60;
}

void game_run(void) {
  u8 control = CONTROL_BYTE;
  period_seconds = quarter_seconds();
  mode[HOME] = (control >> 4) > MODE_COM ? MODE_COM : control >> 4;
  mode[AWAY] = (control & 15) > MODE_COM ? MODE_COM : control & 15;
  stats_clear();
  clear_scores();
  rules_rate_units();
  game_over = 0;
  PERIOD = 0;
  first_kicker = AWAY;
  offense = HOME;
  first_down_at(KICKOFF_SPOT);
  for (;;) {
    start_period();
    if (PERIOD == 0) schedule_kickoff(first_kicker);
    if (PERIOD == 2) schedule_kickoff(first_kicker ^ 1);
    if (PERIOD > 3) schedule_kickoff(rnd(2));
    play_period();
    if (game_over) break;
    end_period();
    if (PERIOD >= 3 && (points[HOME] != points[AWAY] || PERIOD >= LAST_OVERTIME)) break;
    ++PERIOD;
  }
  /* A sudden-death score ends the game at once: let it stand before the final screen. */
  if (game_over) field_hold(PERIOD_HOLD_FRAMES);
  game_over = 1;
}
