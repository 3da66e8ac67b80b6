/* The cartridge from power-on to the final screen. */
#include "modules.h"

void main(void) {
  boot_run();
  game_run();
  final_run();
  for (;;) wait_frame();
}
