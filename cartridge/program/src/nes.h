/* The machine layer (asm/system.s, oam.s, rng.s, sound.s) and the console
 * bytes the league program reads and writes. */
#ifndef QGU_NES_H
#define QGU_NES_H

/* The compiler's optimiser keeps the difference of two 8-bit values in 8 bits
 * (100 - a, a - b, even (s16)a - b), losing the sign. Where such a difference
 * may be negative, widen one side into an s16 variable first. */
#ifdef QGU_HOST
/* The game rules also compile for the host (the football simulator in
 * ../host): the same widths, and console memory in a host array. */
#include <stdint.h>
typedef uint8_t u8;
typedef int8_t s8;
typedef uint16_t u16;
typedef int16_t s16;
typedef int32_t s32;
extern u8 host_memory[0x8000];
#define QGU_BYTE(address) (host_memory[(address)])
#define QGU_BYTES(address) (host_memory + (address))
#else
typedef unsigned char u8;
typedef signed char s8;
typedef unsigned int u16;
typedef signed int s16;
typedef signed long s32;
#define QGU_BYTE(address) (*(volatile u8 *)(address))
#define QGU_BYTES(address) ((volatile u8 *)(address))
#endif

/* Console bytes with fixed meanings for the league program. */
#include "console_memory.h"
#define MARK_TITLE      QGU_BYTE(QGU_TITLE_MARKER)
#define MARK_TEAMS      QGU_BYTE(QGU_TEAM_SELECT_MARKER)
#define CLOCK_SEC       QGU_BYTE(QGU_CLOCK_SECONDS) /* BCD */
#define CLOCK_MIN       QGU_BYTE(QGU_CLOCK_MINUTES) /* BCD */
#define CONTROL_BYTE    QGU_BYTE(QGU_CONTROL_BYTE)
#define PERIOD          QGU_BYTE(QGU_PERIOD)
#define PLAY_BYTES      QGU_BYTES(QGU_HOME_PLAY)    /* [side] */
#define STATE_BYTES     QGU_BYTES(QGU_HOME_STATE)   /* [side]: see STATE_* */
#define CURSOR_X        QGU_BYTE(QGU_CURSOR_X)
#define CURSOR_Y        QGU_BYTE(QGU_CURSOR_Y)
#define MARK_CONTROL    QGU_BYTE(QGU_CONTROL_SCREEN_MARKER)
#define MARK_MENU       QGU_BYTE(QGU_MAIN_MENU_MARKER)
#define MARK_TITLE2     QGU_BYTE(QGU_SECOND_TITLE_MARKER_A)
#define FINAL_A         QGU_BYTE(QGU_GAME_PHASE_A)
#define FINAL_B         QGU_BYTE(QGU_GAME_PHASE_B)
#define SCORE_BYTES     QGU_BYTES(QGU_HOME_PERIOD_SCORES) /* side * 5: four periods, total (BCD) */
#define STATS_HOME      ((u8 *)QGU_BYTES(QGU_HOME_STATS_BLOCK))
#define STATS_AWAY      ((u8 *)QGU_BYTES(QGU_AWAY_STATS_BLOCK))

#define MARK_TITLE_READY   QGU_TITLE_READY
#define MARK_TITLE2_READY  QGU_SECOND_TITLE_READY_A
#define MARK_MENU_READY    QGU_MAIN_MENU_READY
#define MARK_CONTROL_READY QGU_CONTROL_SCREEN_READY
#define MARK_TEAMS_READY   QGU_TEAM_SELECT_READY
#define FINAL_A_VALUE      QGU_FINAL_SCREEN_A
#define FINAL_B_VALUE      QGU_FINAL_SCREEN_B

#define PLAY_CHOOSING    QGU_NO_PLAY_CHOSEN
#define STATE_OFF_CHOOSE QGU_STATE_OFFENSE_CHOOSING
#define STATE_DEF_CHOOSE QGU_STATE_DEFENSE_CHOOSING
#define STATE_OFF_RUN    QGU_STATE_OFFENSE_RUNNING
#define STATE_DEF_RUN    QGU_STATE_DEFENSE_RUNNING
#define STATE_KICKING    QGU_STATE_KICKING

/* Controller bits as read by the machine layer. */
#define PAD_A      0x80
#define PAD_B      0x40
#define PAD_SELECT 0x20
#define PAD_START  0x10
#define PAD_UP     0x08
#define PAD_DOWN   0x04
#define PAD_LEFT   0x02
#define PAD_RIGHT  0x01

#define EXTRA_HOME      ((u8 *)QGU_BYTES(QGU_HOME_EXTRA_BLOCK))
#define EXTRA_AWAY      ((u8 *)QGU_BYTES(QGU_AWAY_EXTRA_BLOCK))

/* Machine layer state (zero page). */
extern u16 frame_count;
extern u8 ppu_mask, split_line, ppu_locked, cur_bank8, cur_bankA;
extern u16 cam_x;
extern u8 pad_held[2];
extern u8 oam_next, spr_x, spr_y, spr_tile, spr_attr;
#pragma zpsym("frame_count")
#pragma zpsym("ppu_mask")
#pragma zpsym("split_line")
#pragma zpsym("ppu_locked")
#pragma zpsym("cur_bank8")
#pragma zpsym("cur_bankA")
#pragma zpsym("cam_x")
#pragma zpsym("pad_held")
#pragma zpsym("oam_next")
#pragma zpsym("spr_x")
#pragma zpsym("spr_y")
#pragma zpsym("spr_tile")
#pragma zpsym("spr_attr")

extern u8 pal_buf[32];
extern u8 oam_buf[256];

void wait_frame(void);
void ppu_off(void);
void ppu_on(void);
u8 pad_take(u8 pad);

void vram_adr(u16 address);
void vram_put(u8 value);
void vram_step(u8 down);
void vram_fill(u8 value, u16 count);
void vram_write(const void *source, u16 count);
u8 *vbuf_reserve(u16 address, u8 length);
#define VBUF_DOWN 0x4000
void pal_commit(void);

void bank8(u8 bank);
void bankA(u8 bank);
void chr_set(u8 reg, u8 unit);
void banked_call(void);

void oam_put(void);
void oam_finish(void);

u8 rand8(void);
void rng_stir(void);

void sfx_play(u8 effect);

/* Program banks. */
#define BANK_BOOT   2
#define BANK_GAME   3
#define BANK_PLAYS  4
#define BANK_FIELD  5
#define BANK_FINAL  6
#define BANK_ANIM   7
#define BANK_RULES  8
#define BANK_DATA   16

#endif
