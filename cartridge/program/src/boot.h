/* The boot screens (bank 2). */
#ifndef QGU_BOOT_H
#define QGU_BOOT_H

#include "state.h"

/* Control modes chosen on the control-mode screen (home, away). */
extern u8 control_mode[2];
/* Cartridge team numbers picked on team select (home, away). */
extern u8 picked_team[2];

void title_art(u8 which);
void team_select(void);
void matchup_screen(void);

#endif
