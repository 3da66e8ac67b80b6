/* The two teams of a game, read from the cartridge's team-data tables
 * through their pointers (game preparation rewrites them before each boot). */
#ifndef QGU_TEAM_H
#define QGU_TEAM_H

#include "nes.h"

#define TEAM_COUNT   28
#define PLAYERS      30
#define TEXT_CAP     16
#define NAME_CAP     30

/* Roster positions. */
#define P_QB1   0
#define P_RB1   2
#define P_RB2   3
#define P_RB3   4   /* kick and punt returner */
#define P_WR1   6
#define P_WR2   7
#define P_WR3   8
#define P_WR4   9
#define P_TE1   10
#define P_C     12
#define P_RE    17
#define P_NT    18
#define P_LE    19
#define P_ROLB  20
#define P_RILB  21
#define P_LILB  22
#define P_LOLB  23
#define P_RCB   24
#define P_LCB   25
#define P_FS    26
#define P_SS    27
#define P_K     28
#define P_P     29

/* Ratings, 0..15, per player: four common, then the group's own. */
#define R_SPEED     0   /* running speed */
#define R_RUSH      1   /* rushing power */
#define R_MAX       2   /* maximum power */
#define R_HIT       3   /* hitting power */
#define R_PASS_SPD  4   /* quarterbacks */
#define R_PASS_CTL  5
#define R_ACCURACY  6
#define R_AVOID     7   /* avoid pass block */
#define R_HANDS     4   /* backs and receivers: ball control */
#define R_CATCH     5   /* receptions */
#define R_PICK      4   /* defence: pass interception */
#define R_QUICK     5   /* defence: quickness */
#define R_KICK      4   /* kicker and punter: kicking ability */
#define R_KICK_SAFE 5   /* avoid kick block */

#define FORMATION_PRO     2
#define FORMATION_ONEBACK 3
#define FORMATION_FOURWR  4

typedef struct {
  u8 number;
  u8 formation;
  char abbr[5];
  char city[TEXT_CAP + 1];
  char nick[TEXT_CAP + 1];
  u8 uniform[6];   /* primary helmet/pants, skin, jersey, then the secondary set */
  u8 colour[4];    /* primary helmet, primary jersey, secondary helmet, secondary jersey */
  u8 play[8];      /* choice 0..7 of run slots 1-4 then pass slots 1-4 */
  u8 jersey[PLAYERS];
  u8 rating[PLAYERS][8];
  char name[PLAYERS][NAME_CAP + 1];
} Team;

extern Team teams[2];

u8 team_formation(u8 number);
/* City, nickname and abbreviation of any cartridge team (buffers of TEXT_CAP + 1 and 5). */
void team_texts(u8 number, char *city, char *nick, char *abbr);
/* Primary uniform of any cartridge team: helmet, skin, jersey. */
void team_uniform(u8 number, u8 *three);
/* Everything about one team into teams[side]. */
void team_load(u8 side, u8 number);

#endif
