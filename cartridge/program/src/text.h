/* Name-table text and tiles. Drawing goes straight to the picture unit while
 * rendering is off and through the frame interrupt's queue while it is on. */
#ifndef QGU_TEXT_H
#define QGU_TEXT_H

#include "nes.h"

/* Tiles of the interface set (art/font.txt). */
#define TILE_BACK   0x00
#define TILE_PAPER  0x01
#define TILE_SHADE  0x02
#define TILE_INK    0x03
#define TILE_FRAME_TL 0x04
#define TILE_FRAME_T  0x05
#define TILE_FRAME_TR 0x06
#define TILE_FRAME_L  0x07
#define TILE_FRAME_R  0x08
#define TILE_FRAME_BL 0x09
#define TILE_FRAME_B  0x0A
#define TILE_FRAME_BR 0x0B
#define TILE_PTR_RIGHT 0x0C
#define TILE_PTR_LEFT  0x0D
#define TILE_RULE_FOOT 0x11
#define TILE_DOTS      0x17
#define TILE_BALL      0x7F

/* Address of tile (x, y); x 32-63 lies in the second name table. */
u16 nt_adr(u8 x, u8 y);
void tile_at(u8 x, u8 y, u8 tile);
void text_at(u8 x, u8 y, const char *text);
/* Exactly width characters: the text, then blanks. */
void text_field(u8 x, u8 y, const char *text, u8 width);
void text_center(u8 y, const char *text);
void tiles_row(u8 x, u8 y, u8 tile, u8 count);
void frame_box(u8 x, u8 y, u8 width, u8 height);

/* Rendering off only: whole name table (0 or 1) filled with a tile, attributes with a palette byte. */
void nt_clear(u8 table, u8 tile, u8 attribute);
/* One 16x16 area's palette (qx, qy in 16-pixel steps), rendering off only. */
void attr_quadrant(u8 qx, u8 qy, u8 palette);

/* Decimal text of a number into buffer (no padding); returns the end. */
char *fmt_u(char *buffer, u16 value);
/* Two digits of a BCD byte. */
char *fmt_bcd(char *buffer, u8 value);
char *str_copy(char *dst, const char *src);
u8 str_len(const char *text);

#endif
