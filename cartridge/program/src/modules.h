/* Entry points of the switchable code banks. Calls go through the fixed
 * bank's trampoline, which switches the callee's bank in at $8000 and the
 * caller's back afterwards. Pointers into a bank's own read-only data must
 * not be handed to another bank. */
#ifndef QGU_MODULES_H
#define QGU_MODULES_H

#include "nes.h"

#pragma wrapped-call(push, banked_call, 2)
void boot_run(void);
#pragma wrapped-call(pop)

#pragma wrapped-call(push, banked_call, 3)
void game_run(void);
#pragma wrapped-call(pop)

#pragma wrapped-call(push, banked_call, 6)
void final_run(void);
#pragma wrapped-call(pop)

#endif
