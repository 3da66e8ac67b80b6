; Sound effects: a whistle for kickoffs, a fanfare for scores, a horn for the
; end of a period, and small sounds for menus, tackles and kicks.
;
; An effect gives each of the four tone channels (pulse 1, pulse 2, triangle,
; noise) a list of notes: frames to hold, then the channel's registers 0, 2
; and 3. A hold of 0 ends the list and silences the channel. The frame
; interrupt steps every playing channel once a frame.

.export sound_update, sound_init, _sfx_play

.segment "ZPVARS": zeropage
note:       .res 2

.segment "BSS"
channel_lo: .res 4
channel_hi: .res 4
channel_wait: .res 4            ; frames until the next note; 0 = channel idle

.segment "CODE"

; Register offset of each channel from $4000.
channel_base:
        .byte $00, $04, $08, $0C
; What a channel writes to register 0 to fall silent.
channel_quiet:
        .byte $30, $30, $80, $30

sound_init:
        lda #$0F
        sta $4015
        lda #$08
        sta $4001               ; no sweeps
        sta $4005
        ldx #3
@channel:
        jsr silence
        dex
        bpl @channel
        rts

; X = channel
silence:
        lda #0
        sta channel_wait,x
        ldy channel_base,x
        lda channel_quiet,x
        sta $4000,y
        rts

; void sfx_play(u8 effect): effect 1..6 (sound.h).
_sfx_play:
        cmp #EFFECTS + 1
        bcs @done
        asl a
        asl a
        asl a
        tay                     ; 8 bytes an effect: four note-list addresses
        ldx #0
@channel:
        lda effects,y
        ora effects+1,y
        beq @next
        lda #0
        sta channel_wait,x      ; idle while the address changes under the interrupt
        lda effects,y
        sta channel_lo,x
        lda effects+1,y
        sta channel_hi,x
        lda #1
        sta channel_wait,x
@next:
        iny
        iny
        inx
        cpx #4
        bne @channel
@done:
        rts

; Called by the frame interrupt.
sound_update:
        ldx #3
@channel:
        lda channel_wait,x
        beq @next
        dec channel_wait,x
        bne @next
        lda channel_lo,x
        sta note
        lda channel_hi,x
        sta note+1
        ldy #0
        lda (note),y
        bne @play
        jsr silence
        jmp @next
@play:
        sta channel_wait,x
        txa
        pha
        lda channel_base,x
        tax
        iny
        lda (note),y
        sta $4000,x
        iny
        lda (note),y
        sta $4002,x
        iny
        lda (note),y
        sta $4003,x
        pla
        tax
        lda note
        clc
        adc #4
        sta channel_lo,x
        lda note+1
        adc #0
        sta channel_hi,x
@next:
        dex
        bpl @channel
        rts

; ---------------------------------------------------------------------------
; The effects. A note: frames, register 0, period low, period high | length.

EFFECTS = 6
NONE = 0

effects:
        .addr NONE, NONE, NONE, NONE                          ; 0 unused
        .addr whistle_a, whistle_b, NONE, NONE                ; 1 whistle
        .addr fanfare_a, fanfare_b, fanfare_bass, NONE        ; 2 score
        .addr horn_a, horn_b, NONE, horn_rumble               ; 3 end of a period
        .addr NONE, blip, NONE, NONE                          ; 4 menu
        .addr NONE, NONE, NONE, thud                          ; 5 tackle
        .addr NONE, NONE, NONE, kick                          ; 6 kick

; A referee's whistle: two close high tones trilling.
whistle_a:
        .repeat 9
        .byte 2, $BC, $6C, $08
        .byte 2, $BC, $66, $08
        .endrepeat
        .byte 4, $B6, $6C, $08
        .byte 0
whistle_b:
        .repeat 9
        .byte 2, $78, $D9, $08
        .byte 2, $78, $CC, $08
        .endrepeat
        .byte 0

; A rising fanfare over a bass note.
fanfare_a:
        .byte 7, $BA, $D5, $08          ; C5
        .byte 7, $BA, $A9, $08          ; E5
        .byte 7, $BA, $8E, $08          ; G5
        .byte 14, $BC, $6A, $08         ; C6
        .byte 6, $B8, $8E, $08          ; G5
        .byte 20, $BB, $6A, $08         ; C6
        .byte 0
fanfare_b:
        .byte 7, $76, $1C, $09          ; G4
        .byte 7, $76, $D5, $08          ; C5
        .byte 7, $76, $A9, $08          ; E5
        .byte 14, $78, $8E, $08         ; G5
        .byte 6, $74, $A9, $08          ; E5
        .byte 20, $77, $8E, $08         ; G5
        .byte 0
fanfare_bass:
        .byte 21, $FF, $AA, $09         ; C3
        .byte 40, $FF, $1C, $09         ; G3
        .byte 0

; The stadium horn: a low, rough chord.
horn_a:
        .byte 50, $7B, $F8, $0B         ; A2
        .byte 8, $76, $F8, $0B
        .byte 0
horn_b:
        .byte 50, $3A, $A6, $0A         ; E3
        .byte 8, $35, $A6, $0A
        .byte 0
horn_rumble:
        .byte 50, $34, $0E, $08
        .byte 0

blip:
        .byte 3, $B8, $54, $08
        .byte 0

thud:
        .byte 2, $3C, $0C, $08
        .byte 2, $38, $0D, $08
        .byte 3, $34, $0E, $08
        .byte 0

kick:
        .byte 2, $3E, $08, $08
        .byte 3, $36, $0A, $08
        .byte 0
