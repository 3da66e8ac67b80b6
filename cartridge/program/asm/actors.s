; The players on the field, moved and drawn every frame. Positions are the
; players' feet in 1/16 pixel (16-bit, little-endian arrays); the C side
; (field_anim.c) places them and sets where they head.

.import _oam_put
.importzp _cam_x, _frame_count, _spr_x, _spr_y, _spr_tile, _spr_attr
.export _anim_x, _anim_y, _anim_gx, _anim_gy, _anim_speed, _anim_chase
.export _anim_pose, _anim_flag, _anim_team, _anim_who
.export _actors_move, _actors_draw
.exportzp _anim_count

ACTORS   = 22
NONE     = $FF
F_LEFT   = 1
F_DOWN   = 2
F_HIDDEN = 4
F_MOVING = 8
SPR_RUN1 = 3
SPR_RUN2 = 5
SPR_DOWN = 15

.segment "ZPMORE": zeropage
_anim_count: .res 1
idx:        .res 1          ; actor index
idx2:       .res 1          ; 2 * actor index
speed:      .res 1
from:       .res 2
to:         .res 2
sx:         .res 2
left:       .res 1          ; players still to draw
rotate:     .res 1          ; the player drawn first

.segment "WRAMBSS"
_anim_x:     .res ACTORS * 2
_anim_y:     .res ACTORS * 2
_anim_gx:    .res ACTORS * 2
_anim_gy:    .res ACTORS * 2
_anim_speed: .res ACTORS
_anim_chase: .res ACTORS
_anim_pose:  .res ACTORS
_anim_flag:  .res ACTORS
_anim_team:  .res ACTORS
_anim_who:   .res ACTORS

; from := pos[X], to := goal[X]: one axis of an actor for `step` (X = 2 * actor).
.macro load_axis pos, goal
        lda pos,x
        sta from
        lda pos+1,x
        sta from+1
        lda goal,x
        sta to
        lda goal+1,x
        sta to+1
.endmacro

; A := pos[Y] >> 4, the low byte of a 1/16-pixel position in pixels (Y = 2 * actor).
.macro pixels_of pos
        lda pos+1,y
        sta sx+1
        lda pos,y
        .repeat 4
        lsr sx+1
        ror a
        .endrepeat
.endmacro

.segment "CODE"

; from := one step of at most `speed` from `from` toward `to` (signed 16-bit).
; Returns carry set when it moved.
step:
        lda to
        cmp from
        bne @differs
        lda to+1
        cmp from+1
        bne @differs
        clc
        rts
@differs:
        sec                     ; difference = to - from
        lda to
        sbc from
        sta sx
        lda to+1
        sbc from+1
        sta sx+1
        bmi @down
        ; moving up: if difference > speed, from += speed, else from = to
        lda sx+1
        bne @up_step
        lda sx
        cmp speed
        bcc @arrive
        beq @arrive
@up_step:
        clc
        lda from
        adc speed
        sta from
        bcc @moved
        inc from+1
        bcs @moved
@down:
        ; difference negative: if -difference > speed, from -= speed, else from = to
        lda sx+1
        cmp #$FF
        bne @down_step
        lda sx
        eor #$FF
        clc
        adc #1                  ; -difference (1..256); 0 means 256
        beq @down_step
        cmp speed
        bcc @arrive
        beq @arrive
@down_step:
        sec
        lda from
        sbc speed
        sta from
        bcs @moved
        dec from+1
@moved:
        sec
        rts
@arrive:
        lda to
        sta from
        lda to+1
        sta from+1
        sec
        rts

; void actors_move(void)
_actors_move:
        ldx #0
@actor:
        cpx _anim_count
        bcc @go
        rts
@go:
        stx idx
        txa
        asl a
        sta idx2
        lda _anim_flag,x
        and #<~F_MOVING
        sta _anim_flag,x
        and #F_DOWN
        bne @skip
        lda _anim_speed,x
        bne @moves
@skip:
        jmp @next
@moves:
        sta speed
        lda _anim_chase,x
        cmp #NONE
        beq @axis_x
        asl a                   ; chase: head for the chased player's feet
        tay
        ldx idx2
        lda _anim_x,y
        sta _anim_gx,x
        lda _anim_x+1,y
        sta _anim_gx+1,x
        lda _anim_y,y
        sta _anim_gy,x
        lda _anim_y+1,y
        sta _anim_gy+1,x
@axis_x:
        ldx idx2
        load_axis _anim_x, _anim_gx
        jsr step
        bcc @axis_y
        ldx idx
        lda _anim_flag,x
        ora #F_MOVING
        ldy idx2
        pha
        lda from                ; facing: left when the new x is below the old
        sec
        sbc _anim_x,y
        lda from+1
        sbc _anim_x+1,y
        bmi @face_left
        pla
        and #<~F_LEFT
        jmp @store_flag
@face_left:
        pla
        ora #F_LEFT
@store_flag:
        sta _anim_flag,x
        lda from
        sta _anim_x,y
        lda from+1
        sta _anim_x+1,y
@axis_y:
        ldx idx2
        load_axis _anim_y, _anim_gy
        jsr step
        bcc @next
        ldx idx2
        lda from
        sta _anim_y,x
        lda from+1
        sta _anim_y+1,x
        ldx idx
        lda _anim_flag,x
        ora #F_MOVING
        sta _anim_flag,x
@next:
        ldx idx
        inx
        jmp @actor

; void actors_draw(void): one sprite per player on screen. The first player
; drawn changes every frame, so where more than eight share a line the
; console's sprite limit makes them flicker rather than vanish.
_actors_draw:
        lda _anim_count
        bne @some
        rts
@some:
        sta left
        lda rotate
        clc
        adc #7
@wrap:
        cmp _anim_count
        bcc @start
        sbc _anim_count
        jmp @wrap
@start:
        sta rotate
        tax
        jmp @go
@actor:
        dec left
        bne @more
        rts
@more:
        cpx _anim_count
        bcc @go
        ldx #0
@go:
        stx idx
        lda _anim_flag,x
        and #F_HIDDEN
        beq @shown
        jmp @next
@shown:
        txa
        asl a
        tay
        ; screen x = (x >> 4) - cam_x - 4
        pixels_of _anim_x
        sec
        sbc _cam_x
        sta sx
        lda sx+1
        sbc _cam_x+1
        sta sx+1
        lda sx
        sec
        sbc #4
        sta sx
        lda sx+1
        sbc #0
        bne @off                ; off screen (left of 0 or right of 255)
        lda sx
        cmp #249
        bcc @on
@off:
        jmp @next
@on:
        sta _spr_x
        ; screen y = (y >> 4) - 15
        pixels_of _anim_y
        sec
        sbc #15
        sta _spr_y
        ; tile: down, running, or the player's pose
        lda _anim_flag,x
        and #F_DOWN
        beq @up
        lda #SPR_DOWN
        bne @tile
@up:
        lda _anim_flag,x
        and #F_MOVING
        beq @pose
        lda _frame_count
        lsr a
        lsr a
        lsr a
        clc
        adc idx
        and #1
        beq @run2
        lda #SPR_RUN1
        bne @tile
@run2:
        lda #SPR_RUN2
        bne @tile
@pose:
        lda _anim_pose,x
@tile:
        sta _spr_tile
        lda _anim_flag,x
        and #F_LEFT
        beq @right
        lda #$40
@right:
        ora _anim_team,x
        sta _spr_attr
        jsr _oam_put
@next:
        ldx idx
        inx
        jmp @actor
