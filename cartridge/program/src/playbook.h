/* The 64 plays of the playbook: names (the same as the league tools' play
 * table, bank 4 only) and the traits that say what each play does on the
 * field (the rules' tables, bank 8). */
#ifndef QGU_PLAYBOOK_H
#define QGU_PLAYBOOK_H

#include "nes.h"

/* Runs: style (STYLE_*), lane, ball carrier, and whether a pass read helps it. */
#define RUN_HB 0
#define RUN_FB 1
#define RUN_QB 2
#define RUN_WR 3
#define LANE_MIDDLE 0
#define LANE_LEFT   1
#define LANE_RIGHT  2
#define RUN(carrier, style, lane, draw) ((u8)((style) | ((lane) << 2) | ((carrier) << 4) | ((draw) << 6)))
#define RUN_STYLE(t)   ((t) & 3)
#define RUN_LANE(t)    (((t) >> 2) & 3)
#define RUN_CARRIER(t) (((t) >> 4) & 3)
#define RUN_DRAW(t)    (((t) >> 6) & 1)

/* Passes: depth (DEPTH_*), lane, target, and whether a run read helps it. */
#define TO_X    0   /* split end */
#define TO_Z    1   /* flanker */
#define TO_Y    2   /* tight end */
#define TO_HB   3
#define TO_FB   4
#define TO_SLOT 5
#define PASS(target, depth, lane, fake) ((u8)((depth) | ((lane) << 2) | ((target) << 4) | ((fake) << 7)))
#define PASS_DEPTH(t)  ((t) & 3)
#define PASS_LANE(t)   (((t) >> 2) & 3)
#define PASS_TARGET(t) (((t) >> 4) & 7)
#define PASS_FAKE(t)   (((t) >> 7) & 1)

extern const char *const run_names[32];
extern const char *const pass_names[32];

#endif
