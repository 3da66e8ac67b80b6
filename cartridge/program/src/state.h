/* The state of a game, shared by every module, and the helpers that keep the
 * console bytes the league program reads (clock, period, scores, statistics). */
#ifndef QGU_STATE_H
#define QGU_STATE_H

#include "nes.h"

#define HOME 0
#define AWAY 1

#define MODE_MAN 0
#define MODE_COA 1
#define MODE_COM 2

/* What a play did; filled by the play's resolution, read by the field view,
 * the play-by-play line and the bookkeeping. */
enum {
  OUT_RUN,          /* carrier gains (or loses) yards */
  OUT_COMPLETE,     /* pass caught, receiver runs on */
  OUT_INCOMPLETE,
  OUT_SACK,
  OUT_INTERCEPTION, /* defender catches and returns */
  OUT_FUMBLE,       /* carrier gains yards, then loses the ball */
  OUT_KICKOFF,
  OUT_PUNT,
  OUT_FIELD_GOAL,
  OUT_EXTRA_POINT,
  OUT_NONE          /* no play: the field stands empty */
};

/* Kinds of play for the animation. */
#define STYLE_DIVE      0
#define STYLE_OFFTACKLE 1
#define STYLE_SWEEP     2
#define STYLE_TRICK     3
#define DEPTH_SCREEN    0
#define DEPTH_SHORT     1
#define DEPTH_MEDIUM    2
#define DEPTH_DEEP      3

typedef struct {
  u8 outcome;
  u8 side;         /* the side with the ball when the play began */
  u8 is_pass;
  u8 style;        /* run style or pass depth */
  s8 lane;         /* -1 left of the offence's view, 0 middle, 1 right */
  s8 gained;       /* yards the offence gained before any turnover */
  u8 carrier;      /* offence roster index: runner, receiver or kicker */
  u8 passer;
  u8 defender;     /* defence roster index: tackler, sacker, interceptor */
  u8 returner;     /* the side getting the ball roster index on kicks and turnovers */
  s8 returned;     /* return yards (kicks, interceptions) */
  u8 read;         /* 0 fooled, 1 half read, 2 expected the play */
  u8 touchdown;    /* 1 offence scored, 2 the defence or the return team scored */
  u8 safety;
  u8 good;         /* kicks: through the posts */
  u8 touchback;
  u8 fair_catch;
  u8 broke_tackle;
  u8 stopped;      /* the clock stopped after it: out of bounds */
  u8 runoff;       /* game-clock seconds */
} PlayResult;

extern u8 mode[2];
extern u8 offense;        /* side with the ball */
extern u8 ball_on;        /* yards from the offence's own goal line */
extern u8 down;
extern u8 to_go;
extern u16 points[2];
extern u8 game_over;
extern u8 play_call[2];   /* the bytes the play ran with */
extern PlayResult result;
extern char play_name[28];
extern char pbp_line[2][33];

#define DEFENSE (offense ^ 1)

u8 rnd(u8 n);             /* 0..n-1 */
/* A blank result for a play by the side with the ball (outcome OUT_NONE). */
void result_clear(void);
u8 rating(u8 side, u8 player, u8 which);
/* Home attacks to the right in the first and third periods and in overtime. */
u8 attacks_right(u8 side);

/* Clock in console RAM (BCD minutes and seconds). */
u16 clock_seconds(void);
void clock_set(u16 seconds);
void clock_run(u8 seconds);

/* Points for a side: binary total, period bytes and BCD total for the league program. */
void score_add(u8 side, u8 amount);

/* Statistics blocks. */
void stats_clear(void);
void stat_pass(u8 side, u8 passer, u8 completed, s16 yards, u8 touchdown, u8 intercepted);
void stat_catch(u8 side, u8 receiver, s16 yards, u8 touchdown);
void stat_rush(u8 side, u8 runner, s16 yards, u8 touchdown);
void stat_kick_return(u8 side, u8 player, s16 yards, u8 touchdown);
void stat_punt_return(u8 side, u8 player, s16 yards, u8 touchdown);
void stat_sack(u8 side, u8 defender);
void stat_interception(u8 side, u8 defender, s16 yards, u8 touchdown);
void stat_extra_point(u8 side, u8 good);
void stat_field_goal(u8 side, u8 good);
void stat_punt(u8 side, s16 yards);
/* Figures the statistics blocks have no place for (QGU_EXTRA_* in console_memory.h). */
void extra_count(u8 side, u8 which);
void extra_possession(u8 side, u8 seconds);

/* The score bar texts (rows 1-4 of the first name table). */
void bar_draw(void);
void bar_pbp(void);
char *fmt_down(char *out);
char *fmt_spot(char *out);

#endif
