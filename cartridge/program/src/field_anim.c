/* The play on the field: 22 players as sprites in their team's uniform, the
 * ball carried, thrown or kicked, the camera following it. The outcome is
 * already decided; the animation shows it, except that a MAN side's taps of
 * A during a run can break the tackle at the end of it. */
#pragma code-name("BANK07")
#pragma rodata-name("BANK07RO")
#pragma bss-name("WRAMBSS")

#include "modules.h"
#include "sound.h"
#include "sprites.h"
#include "state.h"
#include "team.h"

#define ACTORS 22
#define NONE 0xFF
#define CENTRE_Y 136
#define FIELD_TOP_Y 72
#define FIELD_FOOT_Y 204
#define PX(v) ((s16)(v) << 4)

#define F_LEFT   1
#define F_DOWN   2
#define F_HIDDEN 4
#define F_MOVING 8

/* The players (asm/actors.s moves and draws them every frame). */
extern s16 anim_x[ACTORS], anim_y[ACTORS];   /* feet, in 1/16 pixel */
extern s16 anim_gx[ACTORS], anim_gy[ACTORS]; /* where the player heads */
extern u8 anim_speed[ACTORS];                /* 1/16 pixel a frame */
extern u8 anim_chase[ACTORS];                /* the player chased, or NONE */
extern u8 anim_pose[ACTORS];
extern u8 anim_flag[ACTORS];
extern u8 anim_team[ACTORS];
extern u8 anim_who[ACTORS];                  /* roster index */
extern u8 anim_count;
#pragma zpsym("anim_count")
void actors_move(void);
void actors_draw(void);
#define ax anim_x
#define ay anim_y
#define gx anim_gx
#define gy anim_gy
#define spd anim_speed
#define chase anim_chase
#define pose anim_pose
#define flag anim_flag
#define team_of anim_team
#define who anim_who
#define actors anim_count

static s16 bx, by;                   /* ball on the ground, 1/16 pixel */
static u8 bh;                        /* height above it, pixels */
static u8 holder;
static s16 los;                      /* line of scrimmage, pixels */
static s8 dir;                       /* +1 the offence attacks to the right */
static s16 gain_x;                   /* first-down marker, pixels; 0 none */
static u8 markers;

static u8 taps_on;
static u8 taps[2];
static u8 j;

static s16 yard_px(u8 side, s16 yards_from_own_goal) {
  return attacks_right(side) ? 48 + yards_from_own_goal * 4 : 448 - yards_from_own_goal * 4;
}

/* ---- placing players ---- */

static void place(u8 side, u8 player, s16 x, s16 y, u8 p) {
  u8 k = actors++;
  ax[k] = gx[k] = PX(x);
  ay[k] = gy[k] = PX(y);
  spd[k] = 0;
  chase[k] = NONE;
  pose[k] = p;
  flag[k] = (side == result.side) == (dir < 0) ? F_LEFT : 0;
  team_of[k] = side;
  who[k] = player;
}

typedef struct {
  u8 player;
  s8 dx;
  s8 dy;
} Spot;

static const Spot pro_set[11] = {{0, -14, 0},   {2, -36, -14}, {3, -36, 14},  {6, -6, -64},
                                 {7, -14, 60},  {10, -6, 46},  {12, -6, 0},   {13, -6, -15},
                                 {14, -6, 15},  {15, -6, -30}, {16, -6, 30}};
static const Spot one_back[11] = {{0, -14, 0},   {2, -36, 0},   {6, -6, -64},  {7, -14, 60},
                                  {8, -14, -47}, {10, -6, 46},  {12, -6, 0},   {13, -6, -15},
                                  {14, -6, 15},  {15, -6, -30}, {16, -6, 30}};
static const Spot four_wide[11] = {{0, -14, 0},   {2, -34, 0},   {6, -6, -64},  {7, -14, 62},
                                   {8, -14, -47}, {9, -14, 47},  {12, -6, 0},   {13, -6, -15},
                                   {14, -6, 15},  {15, -6, -30}, {16, -6, 30}};
static const Spot defence[11] = {{17, 10, 22},  {18, 10, 0},   {19, 10, -22}, {20, 28, 44},
                                 {21, 30, 14},  {22, 30, -14}, {23, 28, -44}, {24, 22, 62},
                                 {25, 22, -62}, {26, 64, -24}, {27, 56, 26}};
static const Spot kick_team[11] = {{28, -14, 0},  {17, -4, -72}, {18, -4, -56}, {19, -4, -40},
                                   {20, -4, -24}, {21, -4, -8},  {22, -4, 8},   {23, -4, 24},
                                   {24, -4, 40},  {25, -4, 56},  {26, -4, 72}};
static const Spot return_team[10] = {{2, 48, -48}, {3, 48, -16}, {5, 48, 16},  {6, 48, 48},
                                     {7, 96, -60}, {8, 96, -20}, {9, 96, 20},  {10, 96, 60},
                                     {11, 140, -30}, {12, 140, 30}};
static const Spot punt_team[11] = {{29, -52, 0},  {12, -6, 0},   {13, -6, -13}, {14, -6, 13},
                                   {15, -6, -26}, {16, -6, 26},  {10, -6, 40},  {11, -6, -40},
                                   {6, -6, -70},  {7, -6, 70},   {3, -20, 8}};
static const Spot kick_block[11] = {{12, -6, 0},   {13, -6, -13}, {14, -6, 13},  {15, -6, -26},
                                    {16, -6, 26},  {10, -6, 40},  {11, -6, -40}, {1, -28, 4},
                                    {28, -40, 10}, {2, -12, -52}, {3, -12, 52}};

static void place_spots(u8 side, const Spot *s, u8 n, s16 base_x, s8 d, u8 p) {
  for (j = 0; j < n; ++j) place(side, s[j].player, base_x + d * s[j].dx, CENTRE_Y + s[j].dy, p);
}

static const Spot *offence_spots(void) {
  switch (teams[result.side].formation) {
    case FORMATION_ONEBACK: return one_back;
    case FORMATION_FOURWR: return four_wide;
  }
  return pro_set;
}

static u8 find(u8 side, u8 player) {
  for (j = 0; j < actors; ++j) {
    if (team_of[j] == side && who[j] == player) return j;
  }
  return 0;
}

void anim_setup(void) {
  u8 off = result.side;
  u8 def = off ^ 1;
  s16 land;
  actors = 0;
  holder = NONE;
  markers = 0;
  gain_x = 0;
  taps_on = 0;
  bh = 0;
  dir = attacks_right(off) ? 1 : -1;
  los = yard_px(off, ball_on);
  bx = PX(los);
  by = PX(CENTRE_Y);
  switch (result.outcome) {
    case OUT_NONE:
      bx = PX(256);
      break;
    case OUT_KICKOFF:
      place_spots(off, kick_team, 11, los, dir, SPR_STAND);
      land = los + dir * 4 * result.gained;
      place(def, P_RB3, land, CENTRE_Y, SPR_STAND);
      place_spots(def, return_team, 10, los, dir, SPR_STAND);
      bx = PX(los);
      break;
    case OUT_PUNT:
      place_spots(off, punt_team, 11, los, dir, SPR_STANCE);
      place_spots(def, defence, 10, los, dir, SPR_STANCE);
      land = los + dir * 4 * (s16)(result.gained ? result.gained : 10);
      place(def, P_RB3, land, CENTRE_Y + 10, SPR_STAND);
      break;
    case OUT_FIELD_GOAL:
    case OUT_EXTRA_POINT:
      place_spots(off, kick_block, 11, los, dir, SPR_STANCE);
      place_spots(def, defence, 11, los, dir, SPR_STANCE);
      break;
    default:
      place_spots(off, offence_spots(), 11, los, dir, SPR_STANCE);
      place_spots(def, defence, 11, los, dir, SPR_STANCE);
      markers = 1;
      if ((s16)ball_on + to_go < 100) gain_x = los + dir * 4 * to_go;
      break;
  }
  for (j = 0; j < actors; ++j) {
    if (who[j] <= P_TE1 || who[j] >= P_RCB) pose[j] = SPR_STAND;
  }
}

/* ---- moving and drawing ---- */

static s16 screen_x(s16 world16) {
  return (world16 >> 4) - (s16)cam_x;
}

static void draw_ball(void) {
  s16 sx;
  u8 sy;
  if (actors == 0) return;
  if (holder != NONE) {
    bx = ax[holder] + ((flag[holder] & F_LEFT) ? PX(-3) : PX(3));
    by = ay[holder];
    bh = 7;
  }
  sx = screen_x(bx);
  if (sx < 0 || sx > 248) return;
  sy = (u8)((by >> 4) - 12 - bh);
  if (holder != NONE || bh == 0) {
    SPRITE((u8)sx, sy, SPR_BALL, 2);
    return;
  }
  SPRITE((u8)sx, sy, (frame_count & 4) ? SPR_BALL_FLY1 : SPR_BALL_FLY2, 2);
  if (bh > 2) SPRITE((u8)sx, (u8)((by >> 4) - 12), SPR_SHADOW, 2 | ATTR_BEHIND);
}

static void draw_markers(void) {
  s16 sx;
  if (!markers) return;
  sx = los - (s16)cam_x - 4;
  if (sx >= 0 && sx <= 248) SPRITE((u8)sx, 48, SPR_POLE, 3);
  if (gain_x) {
    sx = gain_x - (s16)cam_x - 4;
    if (sx >= 0 && sx <= 248) SPRITE((u8)sx, 48, SPR_GAIN, 3);
  }
}

static void follow_camera(void) {
  s16 want = (bx >> 4) - 128;
  s16 now = (s16)cam_x;
  if (want < 0) want = 0;
  if (want > 256) want = 256;
  if (want > now + 5) want = now + 5;
  if (want < now - 5) want = now - 5;
  cam_x = (u16)want;
}

static void count_taps(void) {
  u8 side;
  for (side = 0; side < 2; ++side) {
    if (mode[side] == MODE_MAN && (pad_take(side) & PAD_A) && taps[side] < 250) ++taps[side];
  }
}

void anim_frame(void) {
  actors_move();
  if (taps_on) count_taps();
  draw_ball();
  actors_draw();
  draw_markers();
  oam_finish();
  follow_camera();
  wait_frame();
}

/* First frame on screen: the camera starts on the ball. */
void anim_centre_camera(void) {
  s16 want = (bx >> 4) - 128;
  if (want < 0) want = 0;
  if (want > 256) want = 256;
  cam_x = (u16)want;
}

/* ---- scripts ---- */

static void frames(u8 n) {
  while (n--) anim_frame();
}

static void go(u8 k, s16 x, s16 y, u8 speed) {
  if (y < FIELD_TOP_Y) y = FIELD_TOP_Y;
  if (y > FIELD_FOOT_Y) y = FIELD_FOOT_Y;
  gx[k] = PX(x);
  gy[k] = PX(y);
  spd[k] = speed;
  chase[k] = NONE;
}

static void hunt(u8 k, u8 target, u8 speed) {
  chase[k] = target;
  spd[k] = speed;
}

static u8 arrived(u8 k) {
  return ax[k] == gx[k] && ay[k] == gy[k];
}

static void until_arrived(u8 k, u8 limit) {
  while (!arrived(k) && limit--) anim_frame();
}

static void all_stop(void) {
  for (j = 0; j < actors; ++j) spd[j] = 0;
}

static u8 run_speed(u8 side, u8 player) {
  return 22 + rating(side, player, R_SPEED) * 2;
}

static s16 px_of(u8 k) { return ax[k] >> 4; }
static s16 py_of(u8 k) { return ay[k] >> 4; }

/* The ball in the air from where it is to (x, y) in `time` frames, `arc` pixels high. */
static void fly(s16 x, s16 y, u8 time, u8 arc) {
  s16 sx = bx, sy = by;
  s32 dx = PX(x) - sx, dy = PX(y) - sy;
  u8 t;
  u16 h;
  holder = NONE;
  for (t = 1; t <= time; ++t) {
    bx = sx + (s16)(dx * t / time);
    by = sy + (s16)(dy * t / time);
    h = (u16)4 * arc * t / time * (time - t) / time;
    bh = (u8)h;
    anim_frame();
  }
  bh = 0;
}

static void tackle(u8 carrier, u8 tackler) {
  all_stop();
  flag[carrier] |= F_DOWN;
  if (tackler != NONE) {
    ax[tackler] = ax[carrier] + (dir > 0 ? PX(7) : PX(-7)) * (team_of[tackler] == result.side ? -1 : 1);
    ay[tackler] = ay[carrier] - PX(2);
    pose[tackler] = SPR_DIVE;
    flag[tackler] &= ~F_MOVING;
  }
  sfx_play(SFX_THUD);
}

/* Everyone reacts once the ball is snapped. */
static void snap_reactions(u8 carrier) {
  for (j = 0; j < actors; ++j) {
    pose[j] = SPR_STAND;
    if (team_of[j] == result.side) {
      if (who[j] >= P_C && who[j] <= 16) go(j, px_of(j) + dir * 6, py_of(j), 6);
    } else if (who[j] <= P_LE) {
      go(j, px_of(j) - dir * 4, py_of(j), 6);
    } else if (who[j] <= P_LOLB) {
      hunt(j, carrier, 10);
    } else {
      go(j, px_of(j) - dir * 10, py_of(j), 12);
    }
  }
}

static void run_on(u8 carrier, u8 side, s16 to_x, s16 to_y, u8 tackler) {
  go(carrier, to_x, to_y, run_speed(side, who[carrier]));
  if (tackler != NONE) hunt(tackler, carrier, run_speed(side ^ 1, who[tackler]) - 4);
  until_arrived(carrier, 250);
}

static s16 spot_x(s8 yards) {
  return los + dir * 4 * yards;
}

static void script_run(void) {
  u8 off = result.side;
  u8 qb = find(off, P_QB1);
  u8 carrier = find(off, result.carrier);
  u8 tackler = find(off ^ 1, result.defender);
  s16 hole_y, end_x;
  s16 edge;
  u8 extra;
  frames(14);
  taps[0] = taps[1] = 0;
  pad_take(0);
  pad_take(1);
  taps_on = 1;
  holder = qb;
  snap_reactions(carrier);
  frames(8);
  holder = carrier;
  hole_y = CENTRE_Y + result.lane * (result.style == STYLE_SWEEP ? 56 : 24);
  go(carrier, los - dir * 2, hole_y, run_speed(off, result.carrier));
  until_arrived(carrier, 60);
  end_x = spot_x(result.gained) + (result.touchdown == 1 ? dir * 10 : 0);
  run_on(carrier, off, end_x, hole_y + (s16)rnd(24) - 12, tackler);
  taps_on = 0;
  /* A MAN ball carrier who out-taps the tackler (a MAN defence's own taps,
   * or the tackler's strength) breaks free for more. */
  edge = taps[off];
  edge -= mode[off ^ 1] == MODE_MAN ? taps[off ^ 1] : 2 + rating(off ^ 1, result.defender, R_HIT) / 4;
  if (mode[off] == MODE_MAN && result.outcome == OUT_RUN && !result.touchdown && !result.safety && edge >= 3) {
    extra = 2 + rnd(5) + (u8)(edge > 10 ? 10 : edge);
    if ((s16)ball_on + result.gained + extra >= 100) {
      extra = 100 - ball_on - result.gained;
      result.touchdown = 1;
    }
    result.gained += extra;
    result.broke_tackle = 1;
    result.defender = P_FS;
    pose[tackler] = SPR_DIVE;
    flag[tackler] |= F_DOWN;
    tackler = find(off ^ 1, P_FS);
    end_x = spot_x(result.gained) + (result.touchdown == 1 ? dir * 10 : 0);
    run_on(carrier, off, end_x, py_of(carrier), tackler);
  }
  if (result.touchdown == 1) {
    all_stop();
    pose[carrier] = SPR_THROW;
    frames(26);
    return;
  }
  tackle(carrier, tackler);
  if (result.outcome == OUT_FUMBLE) {
    frames(10);
    fly(px_of(carrier) + dir * 10, py_of(carrier) + 6, 12, 10);
    ax[tackler] = bx;
    ay[tackler] = by;
    flag[tackler] |= F_DOWN;
    holder = tackler;
  }
  frames(26);
}

static u8 receivers_go(u8 target, s16 catch_x, s16 catch_y, u8 flight) {
  u16 distance;
  s16 rx;
  for (j = 0; j < actors; ++j) {
    if (team_of[j] != result.side || j == target) continue;
    if (who[j] >= P_RB1 && who[j] <= 11) go(j, px_of(j) + dir * 90, py_of(j), 20);
  }
  rx = px_of(target);
  distance = (u16)(catch_x > rx ? catch_x - rx : rx - catch_x) + (u16)(catch_y > py_of(target) ? catch_y - py_of(target) : py_of(target) - catch_y);
  go(target, catch_x, catch_y, (u8)(distance * 16 / (30 + flight) + 10));
  return 0;
}

static void script_pass(void) {
  u8 off = result.side;
  u8 def = off ^ 1;
  u8 qb = find(off, P_QB1);
  u8 target = find(off, result.carrier);
  u8 cover = find(def, result.defender);
  u8 rusher;
  s8 air;
  s16 catch_x, catch_y, dist;
  u8 flight;
  static const s8 air_of_depth[4] = {-1, 6, 12, 24};

  air = air_of_depth[result.style];
  if (result.outcome == OUT_COMPLETE && result.gained < air) air = result.gained;
  if (result.outcome == OUT_INTERCEPTION) air = result.gained;
  if ((s16)ball_on + air > 104) air = (s8)(104 - ball_on);
  catch_x = spot_x(air);
  catch_y = py_of(target) + (CENTRE_Y - py_of(target)) / 3 + result.lane * 10;
  dist = catch_x - (los - dir * 24);
  if (dist < 0) dist = -dist;
  flight = (u8)(14 + dist / 6);

  frames(14);
  holder = qb;
  snap_reactions(qb);
  go(qb, los - dir * (result.style == DEPTH_SCREEN ? 14 : 24), CENTRE_Y, 18);
  receivers_go(target, catch_x, catch_y, flight);
  for (j = 0; j < actors; ++j) {
    if (team_of[j] != def) continue;
    if (who[j] <= P_LE) go(j, px_of(qb) - dir * 14, py_of(j) / 2 + CENTRE_Y / 2, 8);
    if (who[j] >= P_RCB) hunt(j, target, 18);
  }
  hunt(cover, target, 20);
  if (result.outcome == OUT_SACK) {
    rusher = find(def, result.defender);
    hunt(rusher, qb, 30);
    frames(34);
    ax[qb] = PX(spot_x(result.gained));
    tackle(qb, rusher);
    frames(36);
    return;
  }
  frames(26);
  pose[qb] = SPR_THROW;
  spd[qb] = 0;
  frames(6);
  sfx_play(SFX_KICK);
  if (result.outcome == OUT_INTERCEPTION) go(cover, catch_x, catch_y, 40);
  fly(catch_x, catch_y, flight, (u8)(8 + dist / 8));
  pose[qb] = SPR_STAND;
  if (result.outcome == OUT_INCOMPLETE) {
    all_stop();
    fly(catch_x + dir * 14, catch_y + 6, 8, 4);
    frames(34);
    return;
  }
  if (result.outcome == OUT_INTERCEPTION) {
    ax[cover] = PX(catch_x);
    ay[cover] = PX(catch_y);
    holder = cover;
    run_on(cover, def, catch_x - dir * 4 * result.returned - (result.touchdown == 2 ? dir * 10 : 0), catch_y,
           result.touchdown == 2 ? NONE : target);
    if (result.touchdown == 2) {
      all_stop();
      frames(26);
      return;
    }
    tackle(cover, target);
    frames(26);
    return;
  }
  ax[target] = PX(catch_x);
  ay[target] = PX(catch_y);
  holder = target;
  run_on(target, off, spot_x(result.gained) + (result.touchdown == 1 ? dir * 10 : 0), catch_y + (s16)rnd(16) - 8,
         result.touchdown == 1 ? NONE : find(def, result.defender));
  if (result.touchdown == 1) {
    all_stop();
    frames(26);
    return;
  }
  tackle(target, find(def, result.defender));
  frames(26);
}

/* Kickoffs and punts: the ball flies, the return team's RB 3 brings it back. */
static void script_kick(void) {
  u8 off = result.side;
  u8 kicker = find(off, result.carrier);
  u8 returner = find(off ^ 1, P_RB3);
  u8 cover = find(off, result.outcome == OUT_KICKOFF ? P_RILB : 6);
  s16 land_x = px_of(returner);
  frames(14);
  if (result.outcome == OUT_KICKOFF) {
    go(kicker, los - dir * 2, CENTRE_Y, 20);
    until_arrived(kicker, 40);
  } else {
    holder = NONE;
    bx = PX(los);
    fly(px_of(kicker), CENTRE_Y, 12, 2);
    holder = kicker;
    frames(8);
  }
  pose[kicker] = SPR_KICK;
  spd[kicker] = 0;
  sfx_play(SFX_KICK);
  for (j = 0; j < actors; ++j) {
    if (team_of[j] == off && j != kicker) go(j, px_of(j) + dir * 150, py_of(j) / 2 + CENTRE_Y / 2, 24);
  }
  if (result.gained == 0) {
    /* Blocked: the ball drops behind the line. */
    fly(los - dir * 16, CENTRE_Y + 8, 16, 6);
    frames(40);
    return;
  }
  fly(land_x, py_of(returner), result.outcome == OUT_KICKOFF ? 64 : 52, 90);
  pose[kicker] = SPR_STAND;
  if (result.touchback || result.fair_catch) {
    holder = result.touchback && result.outcome == OUT_PUNT ? NONE : returner;
    all_stop();
    frames(40);
    return;
  }
  holder = returner;
  run_on(returner, off ^ 1, land_x - dir * 4 * result.returned - (result.touchdown ? dir * 10 : 0),
         CENTRE_Y + (s16)rnd(40) - 20, result.touchdown ? NONE : cover);
  if (result.touchdown) {
    all_stop();
    frames(26);
    return;
  }
  tackle(returner, cover);
  frames(26);
}

static void script_place_kick(void) {
  u8 off = result.side;
  u8 holder_actor = find(off, 1);
  u8 kicker = find(off, P_K);
  s16 post_x = dir > 0 ? 488 : 8;
  frames(16);
  bx = PX(los);
  fly(px_of(holder_actor), py_of(holder_actor), 10, 2);
  pose[holder_actor] = SPR_STANCE;
  frames(6);
  go(kicker, px_of(holder_actor) - dir * 6, py_of(holder_actor), 14);
  until_arrived(kicker, 30);
  pose[kicker] = SPR_KICK;
  spd[kicker] = 0;
  sfx_play(SFX_KICK);
  fly(post_x, result.good ? CENTRE_Y : CENTRE_Y + (rnd(2) ? 44 : -44), (u8)(20 + (result.gained > 30 ? 20 : 10)), 70);
  frames(26);
}

void field_animate(void) {
  anim_centre_camera();
  switch (result.outcome) {
    case OUT_RUN:
    case OUT_FUMBLE:
      script_run();
      break;
    case OUT_COMPLETE:
    case OUT_INCOMPLETE:
    case OUT_SACK:
    case OUT_INTERCEPTION:
      script_pass();
      break;
    case OUT_KICKOFF:
    case OUT_PUNT:
      script_kick();
      break;
    case OUT_FIELD_GOAL:
    case OUT_EXTRA_POINT:
      script_place_kick();
      break;
  }
  markers = 0;
}
