/* Shared pieces of the menu screens. */
#ifndef QGU_UI_H
#define QGU_UI_H

#include "nes.h"

/* New presses of both controllers since the last call. */
u8 ui_presses(void);
/* Forget presses made while a screen was being drawn. */
void ui_drop_presses(void);
/* Rendering off, no split or scroll, sprites hidden, the font and field
 * character banks in: the start of every screen. */
void screen_off(void);
/* `palette` (32 entries) with the home primary and away secondary uniforms in
 * sprite palettes 0 and 1. */
void palette_with_teams(const u8 *palette);
/* Rendering off, screen cleared, menu palettes and character banks set. */
void ui_begin_screen(void);
/* Palette entries 16-31 (sprites) from a team's uniform. */
void ui_team_sprite_palette(u8 pal, const u8 *helmet_skin_jersey);
void ui_wait(u8 frames);

#define PAL_MENU_PLAIN 0
#define PAL_MENU_GOLD  1
#define PAL_MENU_PANEL 2
#define PAL_MENU_TITLE 3

#endif
