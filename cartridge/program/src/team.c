#include "team.h"

#pragma bss-name(push, "WRAMBSS")
Team teams[2];
#pragma bss-name(pop)

/* Where the tables sit once their bank is switched in. */
#define BANK_PLAYERS_LO 0      /* at $8000 */
#define BANK_PLAYERS_HI 1      /* at $A000 */
#define BANK_PLAYBOOKS  14
#define BANK_TEXTS      15
#define BANK_UNIFORMS   22
#define BANK_COLOURS    26
#define PLAYER_TABLES   ((const u16 *)0x8000)
#define ATTRIBUTES      ((const u8 *)0xB000)
#define PLAYBOOKS       ((const u8 *)0xB300)
#define ABBR_POINTERS   ((const u16 *)0xBC00)
#define CITY_POINTERS   ((const u16 *)0xBC40)
#define NICK_POINTERS   ((const u16 *)0xBC80)
#define UNIFORMS        ((const u8 *)0xA2D4)
#define COLOURS         ((const u8 *)0xA2C8)

u8 team_formation(u8 number) {
  if (number == 12 || number == 14 || number == 17) return FORMATION_ONEBACK;
  if (number == 7 || number == 20 || number == 27) return FORMATION_FOURWR;
  return FORMATION_PRO;
}

/* A text of the text bank between two pointers; damaged pointers give "". */
static void copy_text(char *dst, u16 from, u16 to, u8 cap) {
  u8 n = 0;
  if (from >= 0xA000 && to > from && to <= 0xC000) {
    while (from < to && n < cap) {
      dst[n++] = *(const char *)from;
      ++from;
    }
  }
  dst[n] = 0;
}

void team_texts(u8 number, char *city, char *nick, char *abbr) {
  u8 saved = cur_bankA;
  u16 at;
  bankA(BANK_TEXTS);
  copy_text(city, CITY_POINTERS[number], CITY_POINTERS[number + 1], TEXT_CAP);
  copy_text(nick, NICK_POINTERS[number], NICK_POINTERS[number + 1], TEXT_CAP);
  at = ABBR_POINTERS[number];
  copy_text(abbr, at, at + 4, 4);
  bankA(saved);
}

void team_uniform(u8 number, u8 *three) {
  u8 saved = cur_bankA;
  const u8 *row;
  bankA(BANK_UNIFORMS);
  row = UNIFORMS + number * 10;
  three[0] = row[0] & 0x3F;
  three[1] = row[1] & 0x3F;
  three[2] = row[2] & 0x3F;
  bankA(saved);
}

static const u8 attribute_bytes_of_group[5] = {5, 4, 3, 4, 4};

static u8 group_of(u8 player) {
  if (player <= 1) return 0;
  if (player <= 11) return 1;
  if (player <= 16) return 2;
  if (player <= 27) return 3;
  return 4;
}

static void read_players(Team *t) {
  const u8 *attr = ATTRIBUTES + t->number * 117;
  const u16 *entry;
  u16 at, end;
  u8 p, n, group;
  u8 *r;
  entry = (const u16 *)PLAYER_TABLES[t->number];
  for (p = 0; p < PLAYERS; ++p) {
    group = group_of(p);
    r = t->rating[p];
    r[R_SPEED] = attr[0] >> 4;
    r[R_RUSH] = attr[0] & 15;
    r[R_MAX] = attr[1] >> 4;
    r[R_HIT] = attr[1] & 15;
    r[4] = r[5] = r[6] = r[7] = 0;
    if (group != 2) {
      r[4] = attr[3] >> 4;
      r[5] = attr[3] & 15;
    }
    if (group == 0) {
      r[6] = attr[4] >> 4;
      r[7] = attr[4] & 15;
    }
    attr += attribute_bytes_of_group[group];

    t->jersey[p] = 0;
    t->name[p][0] = 0;
    if ((u16)entry < 0x8000 || (u16)entry > 0xBFC0) continue;
    at = entry[p];
    end = entry[p + 1];
    if (at < 0x8000 || end <= at || end > 0xC000) continue;
    t->jersey[p] = *(const u8 *)at;
    ++at;
    n = 0;
    while (at < end && n < NAME_CAP) {
      t->name[p][n++] = *(const char *)at;
      ++at;
    }
    t->name[p][n] = 0;
  }
}

void team_load(u8 side, u8 number) {
  Team *t = &teams[side];
  u8 saved8 = cur_bank8;
  u8 savedA = cur_bankA;
  const u8 *src;
  u8 i;

  t->number = number;
  t->formation = team_formation(number);
  team_texts(number, t->city, t->nick, t->abbr);

  bankA(BANK_PLAYBOOKS);
  src = PLAYBOOKS + number * 4;
  for (i = 0; i < 4; ++i) {
    t->play[i * 2] = src[i] >> 4;
    t->play[i * 2 + 1] = src[i] & 7;
  }
  for (i = 0; i < 8; ++i) t->play[i] &= 7;

  bankA(BANK_UNIFORMS);
  src = UNIFORMS + number * 10;
  for (i = 0; i < 6; ++i) t->uniform[i] = src[i] & 0x3F;

  bankA(BANK_COLOURS);
  src = COLOURS + number * 8;
  for (i = 0; i < 4; ++i) t->colour[i] = src[i] & 0x3F;

  bank8(BANK_PLAYERS_LO);
  bankA(BANK_PLAYERS_HI);
  read_players(t);
  bank8(saved8);
  bankA(savedA);
}
