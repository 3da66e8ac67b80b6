/* The final screen. */
#pragma code-name("BANK06")
#pragma rodata-name("BANK06")

#include "nes.h"

void final_run(void) {
  FINAL_A = FINAL_A_VALUE;
  FINAL_B = FINAL_B_VALUE;
}
