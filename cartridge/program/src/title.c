/* Title screen art. */
#pragma code-name("BANK02")
#pragma rodata-name("BANK02RO")

#include "boot.h"
#include "text.h"

void title_art(u8 which) {
  if (which == 0) {
    frame_box(3, 5, 26, 10);
    text_center(8, "QUOZI");
    text_center(10, "GRIDCROWN");
    text_center(12, "FOOTBALL");
    text_center(27, "A LEAGUE FOOTBALL GAME");
  } else {
    frame_box(3, 4, 26, 14);
    text_center(7, "QUOZI GRIDCROWN");
    text_center(10, "ULTRA");
    text_center(13, "28 TEAMS  840 PLAYERS");
    text_center(15, "ONE CROWN");
  }
}
