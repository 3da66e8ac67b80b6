; The character ROM, made from the art sources by chr_compile.
.segment "CHARS"
        .incbin "chr.bin"
