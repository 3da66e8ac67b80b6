/* Entry points of the switchable code banks. Calls go through the fixed
 * bank's trampoline, which switches the callee's bank in at $8000 and the
 * caller's back afterwards. Pointers into a bank's own read-only data must
 * not be handed to another bank: texts travel in RAM (pbp_line, play_name).
 * The numbers in the pragmas are the banks named in each module's code-name
 * pragma (BANK_* in nes.h). */
#ifndef QGU_MODULES_H
#define QGU_MODULES_H

#include "nes.h"

/* Bank 2: title screens, menus, team select, match-up. */
#pragma wrapped-call(push, banked_call, 2)
void boot_run(void);
#pragma wrapped-call(pop)

/* Bank 3: the game's flow, kicks, downs, scoring, clock. */
#pragma wrapped-call(push, banked_call, 3)
void game_run(void);
#pragma wrapped-call(pop)

/* Bank 4: play selection (bank 8, the rules, has its own header). */
#pragma wrapped-call(push, banked_call, 4)
void plays_select(void);
#pragma wrapped-call(pop)

/* Bank 5: the field view and the play-by-play line. */
#pragma wrapped-call(push, banked_call, 5)
void field_build(void);
void field_show(void);
void field_caption(void);
void field_hold(u8 frames);
#pragma wrapped-call(pop)

/* Bank 7: the players and the ball on the field. */
#pragma wrapped-call(push, banked_call, 7)
void field_animate(void);
/* Players and ball placed for the play in `result` (nobody for OUT_NONE). */
void anim_setup(void);
/* One frame: players move, sprites drawn, camera follows the ball. */
void anim_frame(void);
/* The camera straight onto the ball (before the first frame is shown). */
void anim_centre_camera(void);
#pragma wrapped-call(pop)

/* Bank 6: the final screen. */
#pragma wrapped-call(push, banked_call, 6)
void final_run(void);
#pragma wrapped-call(pop)

#endif
