/* The football rules (bank 8): what a play does, given the ratings of the
 * players in it, the two calls and the situation; the clock it takes; the
 * computer's calls and the offence's fourth-down choice. Nothing here draws:
 * game.c shows and books what these decide. The rules also compile for the
 * host, where the football simulator (../host) plays thousands of games. */
#ifndef QGU_RULES_H
#define QGU_RULES_H

#include "nes.h"

/* What the offence does on fourth down. */
#define CHOICE_GO   0
#define CHOICE_PUNT 1
#define CHOICE_KICK 2

#pragma wrapped-call(push, banked_call, 8)
/* Unit strengths of both teams, once at kickoff. */
void rules_rate_units(void);
/* The computer's call for `side` on this down: 0-3 a run slot, 4-7 a pass slot. */
u8 rules_com_call(u8 side);
/* The scrimmage play of play_call[] into `result`, its clock included. */
void rules_scrimmage(void);
/* Kicks into `result`: distance, return, good or not, clock. */
void rules_kickoff(u8 kicker, u8 spot);
void rules_punt(void);
void rules_field_goal(void);
void rules_extra_point(void);
u8 rules_fourth_down(void);
#pragma wrapped-call(pop)

#endif
