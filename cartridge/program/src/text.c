#include "text.h"

#pragma bss-name(push, "WRAMBSS")
static u8 attr_shadow[2][64];
#pragma bss-name(pop)

u16 nt_adr(u8 x, u8 y) {
  u16 base = 0x2000;
  if (x >= 32) {
    base = 0x2400;
    x -= 32;
  }
  return base + ((u16)y << 5) + x;
}

void tile_at(u8 x, u8 y, u8 tile) {
  if (ppu_locked) {
    vram_adr(nt_adr(x, y));
    vram_put(tile);
  } else {
    *vbuf_reserve(nt_adr(x, y), 1) = tile;
  }
}

static void write_run(u8 x, u8 y, const char *text, u8 count) {
  u8 *dst;
  u8 i;
  if (count == 0) return;
  if (ppu_locked) {
    vram_adr(nt_adr(x, y));
    vram_write(text, count);
    return;
  }
  dst = vbuf_reserve(nt_adr(x, y), count);
  for (i = 0; i < count; ++i) dst[i] = text[i];
}

void text_at(u8 x, u8 y, const char *text) {
  write_run(x, y, text, str_len(text));
}

void text_field(u8 x, u8 y, const char *text, u8 width) {
  static char line[33];
  u8 i = 0;
  while (i < width && text[i]) {
    line[i] = text[i];
    ++i;
  }
  while (i < width) line[i++] = ' ';
  write_run(x, y, line, width);
}

void text_center(u8 y, const char *text) {
  u8 n = str_len(text);
  text_at((u8)((32 - n) >> 1), y, text);
}

void tiles_row(u8 x, u8 y, u8 tile, u8 count) {
  static char run[33];
  u8 i;
  for (i = 0; i < count; ++i) run[i] = tile;
  write_run(x, y, run, count);
}

void frame_box(u8 x, u8 y, u8 width, u8 height) {
  u8 row;
  u8 right = x + width - 1;
  u8 bottom = y + height - 1;
  tile_at(x, y, TILE_FRAME_TL);
  tiles_row(x + 1, y, TILE_FRAME_T, width - 2);
  tile_at(right, y, TILE_FRAME_TR);
  for (row = y + 1; row < bottom; ++row) {
    tile_at(x, row, TILE_FRAME_L);
    tile_at(right, row, TILE_FRAME_R);
  }
  tile_at(x, bottom, TILE_FRAME_BL);
  tiles_row(x + 1, bottom, TILE_FRAME_B, width - 2);
  tile_at(right, bottom, TILE_FRAME_BR);
}

void nt_clear(u8 table, u8 tile, u8 attribute) {
  u8 i;
  vram_adr(table ? 0x2400 : 0x2000);
  vram_fill(tile, 960);
  vram_fill(attribute, 64);
  for (i = 0; i < 64; ++i) attr_shadow[table][i] = attribute;
}

void attr_quadrant(u8 qx, u8 qy, u8 palette) {
  u8 table = 0;
  u8 index, shift, mask;
  if (qx >= 16) {
    table = 1;
    qx -= 16;
  }
  index = ((qy >> 1) << 3) + (qx >> 1);
  shift = ((qy & 1) << 2) + ((qx & 1) << 1);
  mask = (u8)(3 << shift);
  attr_shadow[table][index] = (u8)((attr_shadow[table][index] & ~mask) | ((palette & 3) << shift));
  vram_adr((table ? 0x27C0 : 0x23C0) + index);
  vram_put(attr_shadow[table][index]);
}

char *fmt_u(char *buffer, u16 value) {
  char digits[5];
  u8 n = 0;
  do {
    digits[n++] = (char)('0' + value % 10);
    value /= 10;
  } while (value);
  while (n) *buffer++ = digits[--n];
  *buffer = 0;
  return buffer;
}

char *fmt_bcd(char *buffer, u8 value) {
  buffer[0] = (char)('0' + (value >> 4));
  buffer[1] = (char)('0' + (value & 15));
  buffer[2] = 0;
  return buffer + 2;
}

char *str_copy(char *dst, const char *src) {
  while ((*dst = *src) != 0) {
    ++dst;
    ++src;
  }
  return dst;
}

u8 str_len(const char *text) {
  u8 n = 0;
  while (text[n]) ++n;
  return n;
}
