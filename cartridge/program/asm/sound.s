; Sound effects (filled in later).
.export sound_update, _sfx_play
.segment "CODE"
sound_update:
        rts
_sfx_play:
        rts
