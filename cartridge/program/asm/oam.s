; Sprite buffer helpers. The program fills sprites from slot 0 each frame and
; hides the rest.

.import _oam_buf
.export _oam_put, _oam_finish
.exportzp _oam_next, _spr_x, _spr_y, _spr_tile, _spr_attr

.segment "ZPVARS": zeropage
_oam_next:  .res 1      ; byte offset of the next free slot; 0 after 64 sprites
_spr_x:     .res 1
_spr_y:     .res 1      ; top line of the sprite on screen
_spr_tile:  .res 1
_spr_attr:  .res 1
oam_full:   .res 1

.segment "CODE"

; void oam_put(void): one sprite from spr_x/y/tile/attr.
_oam_put:
        lda oam_full
        bne @done
        ldx _oam_next
        ldy _spr_y
        dey                     ; sprites show one line below their stored Y
        tya
        sta _oam_buf,x
        lda _spr_tile
        sta _oam_buf+1,x
        lda _spr_attr
        sta _oam_buf+2,x
        lda _spr_x
        sta _oam_buf+3,x
        txa
        clc
        adc #4
        sta _oam_next
        bne @done
        inc oam_full
@done:
        rts

; void oam_finish(void): hides every slot not filled this frame and starts over.
_oam_finish:
        lda oam_full
        bne @reset
        ldx _oam_next
        lda #$F8
@hide:
        sta _oam_buf,x
        inx
        inx
        inx
        inx
        bne @hide
@reset:
        lda #0
        sta _oam_next
        sta oam_full
        rts
