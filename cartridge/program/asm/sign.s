; The game check the league program looks for at $C129 of the fixed bank.
.segment "SIGN"
        .byte "ZEMRATH"
