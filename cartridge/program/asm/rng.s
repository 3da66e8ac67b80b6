; Random numbers: a 32-bit xorshift (shifts 13, 17, 5), the top byte of the
; state given out. The game draws several numbers for one decision (a rating
; rounded at random, then a chance): the 16-bit xorshift it had before gave
; numbers in a row that leaned on each other, so a chance came out differently
; from the chance the rules meant. The state is stirred with the frame counter
; at every menu press, so each game differs.

.importzp _frame_count
.export _rand8, _rng_stir
.exportzp _rng_state

.segment "ZPVARS": zeropage
_rng_state: .res 4              ; low byte first
rng_t:      .res 4

.segment "CODE"

; rng_t (4 bytes, low first) >>= 3 bits
shift_t_right3:
        ldx #3
@bit:
        lsr rng_t+3
        ror rng_t+2
        ror rng_t+1
        ror rng_t
        dex
        bne @bit
        rts

; rng_t's top byte |= A << 5
or_top3:
        asl a
        asl a
        asl a
        asl a
        asl a
        ora rng_t+3
        sta rng_t+3
        rts

; x ^= rng_t
xor_t:
        lda _rng_state
        eor rng_t
        sta _rng_state
        lda _rng_state+1
        eor rng_t+1
        sta _rng_state+1
        lda _rng_state+2
        eor rng_t+2
        sta _rng_state+2
        lda _rng_state+3
        eor rng_t+3
        sta _rng_state+3
        rts

; u8 rand8(void)
_rand8:
        ; x ^= x << 13, as (x << 16) >> 3 with the top three bits from x's third byte
        lda _rng_state+1
        sta rng_t+3
        lda _rng_state
        sta rng_t+2
        lda #0
        sta rng_t+1
        sta rng_t
        jsr shift_t_right3
        lda _rng_state+2
        jsr or_top3
        jsr xor_t
        ; x ^= x >> 17, as (x >> 16) >> 1
        lda _rng_state+3
        lsr a
        sta rng_t+1
        lda _rng_state+2
        ror a
        eor _rng_state
        sta _rng_state
        lda rng_t+1
        eor _rng_state+1
        sta _rng_state+1
        ; x ^= x << 5, as (x << 8) >> 3 with the top three bits from x's top byte
        lda _rng_state+2
        sta rng_t+3
        lda _rng_state+1
        sta rng_t+2
        lda _rng_state
        sta rng_t+1
        lda #0
        sta rng_t
        jsr shift_t_right3
        lda _rng_state+3
        jsr or_top3
        jsr xor_t
        lda _rng_state+3
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
        ora _rng_state+2
        ora _rng_state+3
        bne @done
        lda #$5C
        sta _rng_state
@done:
        jmp _rand8
