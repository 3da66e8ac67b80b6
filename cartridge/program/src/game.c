/* The game from kickoff to the final whistle. */
#pragma code-name("BANK03")
#pragma rodata-name("BANK03")

#include "nes.h"

void game_run(void) {
}
