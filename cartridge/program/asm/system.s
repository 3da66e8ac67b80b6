; The machine layer: reset, the frame interrupt (sprites, palette, queued
; name-table writes, scroll, controllers, sound), the MMC3 scanline interrupt
; that splits the score bar from the scrolling field, bank switching and the
; trampoline through which code in one switchable bank calls another.

.include "hw.inc"

.import _main, copydata, popa, popax
.import __STACKTOP__
.import sound_update, sound_init
.importzp sp, ptr4, tmp4

.export __STARTUP__ : absolute = 1
.export _wait_frame, _ppu_off, _ppu_on, _pad_take
.export _bank8, _bankA, _chr_set, _banked_call
.export _vram_adr, _vram_put, _vram_fill, _vram_write, _vram_step
.export _vbuf_reserve, _pal_buf, _pal_commit
.export _oam_buf

.exportzp _frame_count, _ppu_mask, _cam_x, _split_line, _pad_held, _pad_new
.exportzp _cur_bank8, _cur_bankA, _ppu_locked

VBUF_MAX = 80           ; bytes of queued writes the frame interrupt takes at once

.segment "ZPVARS": zeropage
_frame_count: .res 2
_ppu_locked:  .res 1    ; the main program owns the picture unit (rendering off)
nmi_ready:    .res 1    ; the queued writes are complete
_ppu_mask:    .res 1
_cam_x:       .res 2    ; horizontal scroll of the field (or of the whole screen)
_split_line:  .res 1    ; scanline counter for the score bar split; 0 = no split
pal_dirty:    .res 1
_pad_held:    .res 2    ; buttons down this frame (bit 7 A ... bit 0 Right)
_pad_new:     .res 2    ; buttons newly pressed since the program last took them
pad_pending:  .res 2
pad_prev:     .res 2
pad_busy:     .res 1
pad_bits:     .res 2
_cur_bank8:   .res 1
_cur_bankA:   .res 1
vbuf_len:     .res 1
irq_ctrl:     .res 1
irq_scroll:   .res 1
aptr:         .res 2
acount:       .res 2
save_a:       .res 1
save_x:       .res 1

.segment "OAM"
_oam_buf:     .res 256

.segment "BSS"
_pal_buf:     .res 32
vbuf:         .res VBUF_MAX + 4

.segment "STARTUP"
reset:
        sei
        cld
        ldx #$40
        stx JOY2                ; no frame interrupt from the sound unit
        ldx #$FF
        txs
        inx
        stx PPUCTRL
        stx PPUMASK
        stx $4010
        stx MMC3_IRQOFF
        bit PPUSTATUS
@vblank1:
        bit PPUSTATUS
        bpl @vblank1
        txa
@clear:
        sta $0000,x             ; every fixed byte the league program watches starts at 0
        sta $0100,x
        sta $0300,x
        sta $0400,x
        sta $0500,x
        sta $0600,x
        sta $0700,x
        inx
        bne @clear
        lda #$F8
@hide:
        sta _oam_buf,x
        inx
        bne @hide
        jsr init_mapper
        jsr clear_battery_ram
        jsr sound_init
@vblank2:
        bit PPUSTATUS
        bpl @vblank2
        lda #<__STACKTOP__
        sta sp
        lda #>__STACKTOP__
        sta sp+1
        jsr copydata
        lda #$FF
        sta vbuf
        lda #CTRL_BASE
        sta PPUCTRL
        cli
        jmp _main

.segment "CODE"

init_mapper:
        lda #$80
        sta MMC3_WRAM           ; battery RAM on, writable
        lda #0
        sta MMC3_MIRROR         ; vertical mirroring: two name tables side by side
        lda #2
        jsr _bank8
        lda #16
        jsr _bankA
        ldx #5
@chr:
        stx MMC3_SELECT
        lda chr_defaults,x
        sta MMC3_DATA
        dex
        bpl @chr
        rts

chr_defaults:
        .byte 0, 2, 4, 5, 6, 7

clear_battery_ram:
        lda #0
        sta aptr
        tay
        ldx #$60
@page:
        stx aptr+1
@byte:
        sta (aptr),y
        iny
        bne @byte
        inx
        cpx #$80
        bne @page
        rts

; ---------------------------------------------------------------------------
; Frame interrupt.

nmi:
        pha
        txa
        pha
        tya
        pha
        lda _ppu_locked
        bne @skip_picture
        lda #0
        sta OAMADDR
        lda #>_oam_buf
        sta OAMDMA
        ; A palette and a full queue together would run past the vertical
        ; blank: the queue then waits a frame.
        lda pal_dirty
        beq @queue
        jsr upload_palette
        jmp @no_queue
@queue:
        lda nmi_ready
        beq @no_queue
        jsr flush_queue
@no_queue:
        bit PPUSTATUS
        sta MMC3_IRQOFF
        lda _split_line
        beq @whole_screen
        lda #CTRL_BASE          ; score bar: name table 0, no scroll
        sta PPUCTRL
        lda #0
        sta PPUSCROLL
        sta PPUSCROLL
        lda _cam_x+1
        and #1
        ora #CTRL_BASE
        sta irq_ctrl
        lda _cam_x
        sta irq_scroll
        lda _split_line
        sta MMC3_LATCH
        sta MMC3_RELOAD
        sta MMC3_IRQON
        jmp @mask
@whole_screen:
        lda _cam_x+1
        and #1
        ora #CTRL_BASE
        sta PPUCTRL
        lda _cam_x
        sta PPUSCROLL
        lda #0
        sta PPUSCROLL
@mask:
        lda _ppu_mask
        sta PPUMASK
@skip_picture:
        jsr read_pads
        jsr sound_update
        inc _frame_count
        bne @done
        inc _frame_count+1
@done:
        pla
        tay
        pla
        tax
        pla
        rti

; Scanline interrupt: below the score bar the field scrolls.
irq:
        pha
        sta MMC3_IRQOFF
        lda irq_ctrl
        sta PPUCTRL
        lda irq_scroll
        sta PPUSCROLL
        sta PPUSCROLL
        pla
        rti

upload_palette:
        lda #$3F
        sta PPUADDR
        lda #0
        sta PPUADDR
        tax
@colour:
        lda _pal_buf,x
        sta PPUDATA
        inx
        cpx #32
        bne @colour
        lda #0
        sta pal_dirty
        rts

; Queue entries: address high (bit 6 = down the column), address low, length, data.
flush_queue:
        ldx #0
@entry:
        lda vbuf,x
        bmi @end
        tay
        lda #CTRL_BASE
        cpy #$40
        bcc @across
        ora #$04
@across:
        sta PPUCTRL
        tya
        and #$3F
        sta PPUADDR
        lda vbuf+1,x
        sta PPUADDR
        ldy vbuf+2,x
        inx
        inx
        inx
@data:
        lda vbuf,x
        sta PPUDATA
        inx
        dey
        bne @data
        beq @entry
@end:
        lda #0
        sta vbuf_len
        sta nmi_ready
        lda #$FF
        sta vbuf
        rts

; Controllers: new presses are latched until the program takes them, so a
; press held for a single frame is never lost.
read_pads:
        lda #1
        sta JOY1
        lsr a
        sta JOY1
        ldx #8
@bit:
        lda JOY1
        lsr a
        rol pad_bits
        lda JOY2
        lsr a
        rol pad_bits+1
        dex
        bne @bit
        ldx #1
@pad:
        lda pad_prev,x
        eor #$FF
        and pad_bits,x
        ora pad_pending,x
        ldy pad_busy
        bne @busy
        ora _pad_new,x
        sta _pad_new,x
        lda #0
        sta pad_pending,x
        beq @next
@busy:
        sta pad_pending,x
@next:
        lda pad_bits,x
        sta pad_prev,x
        sta _pad_held,x
        dex
        bpl @pad
        rts

; u8 pad_take(u8 pad): the presses latched for a pad since the last take.
_pad_take:
        tax
        lda #1
        sta pad_busy
        lda _pad_new,x
        ldy #0
        sty _pad_new,x
        sty pad_busy
        ldx #0
        rts

; ---------------------------------------------------------------------------
; Frames and the picture unit.

; void wait_frame(void): waits for the next frame, and until the queued
; writes (if any) are on the screen.
_wait_frame:
        ldx vbuf_len
        lda #$FF
        sta vbuf,x
        cpx #0
        beq @nothing_queued
        lda #1
        sta nmi_ready
@nothing_queued:
        lda _frame_count
@wait:
        cmp _frame_count
        beq @wait
@flush:
        lda _ppu_locked         ; with rendering off nothing is taken from the queue
        bne @done
        lda nmi_ready
        bne @flush
@done:
        rts

; void ppu_off(void): rendering off at the next frame; the program then owns the picture unit.
_ppu_off:
        lda #0
        sta _ppu_mask
        jsr _wait_frame
        lda #1
        sta _ppu_locked
        rts

; void ppu_on(void): rendering on at the next frame.
_ppu_on:
        lda #$1E
        sta _ppu_mask
        lda #1
        sta pal_dirty
        lda #0
        sta _ppu_locked
        jmp _wait_frame

; void vram_adr(u16 address)
_vram_adr:
        stx PPUADDR
        sta PPUADDR
        rts

; void vram_put(u8 value)
_vram_put:
        sta PPUDATA
        rts

; void vram_step(u8 down): address step 1 (across) or 32 (down a column).
_vram_step:
        cmp #0
        beq @across
        lda #CTRL_BASE | $04
        sta PPUCTRL
        rts
@across:
        lda #CTRL_BASE
        sta PPUCTRL
        rts

; void vram_fill(u8 value, u16 count)
_vram_fill:
        sta acount
        stx acount+1
        jsr popa
        ldx acount+1
        beq @tail
        ldy #0
@page:
        sta PPUDATA
        iny
        bne @page
        dex
        bne @page
@tail:
        ldy acount
        beq @done
@last:
        sta PPUDATA
        dey
        bne @last
@done:
        rts

; void vram_write(const void* source, u16 count)
_vram_write:
        sta acount
        stx acount+1
        jsr popax
        sta aptr
        stx aptr+1
        ldy #0
        ldx acount+1
        beq @tail
@page:
        lda (aptr),y
        sta PPUDATA
        iny
        bne @page
        inc aptr+1
        dex
        bne @page
@tail:
        ldx acount
        beq @done
@last:
        lda (aptr),y
        sta PPUDATA
        iny
        dex
        bne @last
@done:
        rts

; u8* vbuf_reserve(u16 address, u8 length): room for one queued write of
; length bytes (1..64); address bit 14 asks for a write down a column.
_vbuf_reserve:
        sta acount
        jsr popax
        sta aptr
        stx aptr+1
        lda acount
        clc
        adc vbuf_len
        adc #3
        cmp #VBUF_MAX
        bcc @fits
        jsr _wait_frame
@fits:
        ldy vbuf_len
        lda aptr+1
        and #$3F
        bit aptr+1
        bvc @across
        ora #$40
@across:
        sta vbuf,y
        lda aptr
        sta vbuf+1,y
        lda acount
        sta vbuf+2,y
        tya
        clc
        adc #3
        tay                     ; offset of the data
        adc acount
        sta vbuf_len
        tya
        clc
        adc #<vbuf
        ldx #>vbuf
        bcc @done
        inx
@done:
        rts

; void pal_commit(void): upload pal_buf at the next frame.
_pal_commit:
        lda #1
        sta pal_dirty
        rts

; ---------------------------------------------------------------------------
; Banks.

; void bank8(u8 bank): program bank at $8000.
_bank8:
        sta _cur_bank8
        pha
        lda #6
        sta MMC3_SELECT
        pla
        sta MMC3_DATA
        rts

; void bankA(u8 bank): program bank at $A000.
_bankA:
        sta _cur_bankA
        pha
        lda #7
        sta MMC3_SELECT
        pla
        sta MMC3_DATA
        rts

; void chr_set(u8 reg, u8 unit): character bank register 0-5 (1 KB units).
_chr_set:
        sta save_a
        jsr popa
        sta MMC3_SELECT
        lda save_a
        sta MMC3_DATA
        rts

; Calls through the wrapped-call pragma land here: ptr4 = function, tmp4 = its bank.
_banked_call:
        sta save_a
        stx save_x
        lda _cur_bank8
        pha
        lda tmp4
        jsr _bank8
        lda save_a
        ldx save_x
        jsr @call
        sta save_a
        stx save_x
        pla
        jsr _bank8
        lda save_a
        ldx save_x
        rts
@call:
        jmp (ptr4)

.segment "VECTORS"
        .addr nmi, reset, irq
