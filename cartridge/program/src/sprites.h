/* Sprite tile numbers (art/sprites.txt: sprite k is tile 2k+1 in 8x16 mode). */
#ifndef QGU_SPRITES_H
#define QGU_SPRITES_H

#include "nes.h"

#define SPR_STAND      1
#define SPR_RUN1       3
#define SPR_RUN2       5
#define SPR_STANCE     7
#define SPR_THROW      9
#define SPR_KICK      11
#define SPR_DIVE      13
#define SPR_DOWN      15
#define SPR_BALL      17
#define SPR_BALL_FLY1 19
#define SPR_BALL_FLY2 21
#define SPR_SHADOW    23
#define SPR_BALL_HELD 25
#define SPR_PTR_RIGHT 27
#define SPR_PTR_DOWN  29
#define SPR_PTR_UP    31
#define SPR_POLE      33
#define SPR_HELMET_L  35
#define SPR_HELMET_R  37
#define SPR_PTR_LEFT  39
#define SPR_BOX       41
#define SPR_GAIN      43

#define ATTR_FLIP     0x40
#define ATTR_BEHIND   0x20

#define SPRITE(x, y, tile, attr) \
  (spr_x = (x), spr_y = (y), spr_tile = (tile), spr_attr = (attr), oam_put())

/* A 16x16 helmet facing right (or left when flipped) in sprite palette pal. */
void helmet_sprite(u8 x, u8 y, u8 pal, u8 face_left);

#endif
