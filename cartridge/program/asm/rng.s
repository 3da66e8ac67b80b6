; Random numbers: a 16-bit xorshift (shifts 7, 9, 8). The state is stirred
; with the frame counter at every menu press, so each game differs.

.importzp _frame_count
.export _rand8, _rng_stir
.exportzp _rng_state

.segment "ZPVARS": zeropage
_rng_state: .res 2

.segment "CODE"

; u8 rand8(void)
_rand8:
        lda _rng_state+1
        lsr a
        lda _rng_state
        ror a
        eor _rng_state+1
        sta _rng_state+1
        ror a
        eor _rng_state
        sta _rng_state
        eor _rng_state+1
        sta _rng_state+1
        ldx #0
        rts

; void rng_stir(void): mixes the frame counter into the state (never leaving it zero).
_rng_stir:
        lda _rng_state
        eor _frame_count
        adc #$3B
        sta _rng_state
        lda _rng_state+1
        eor _frame_count+1
        adc #$A7
        sta _rng_state+1
        ora _rng_state
        bne @done
        lda #$5C
        sta _rng_state
@done:
        jmp _rand8
