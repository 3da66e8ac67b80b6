; iNES header: 16 x 16 KB program, 16 x 8 KB character, mapper 4 with battery RAM.
.segment "HEADER"
        .byte "NES", $1A
        .byte 16, 16
        .byte $42, $00
        .byte 0, 0, 0, 0, 0, 0, 0, 0
