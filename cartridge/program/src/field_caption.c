/* The play-by-play: two lines in the score bar saying what the last play did,
 * with the players' names as the cartridge stores them ("joeSMITH"). */
#pragma code-name("BANK05")
#pragma rodata-name("BANK05RO")

#include "modules.h"
#include "state.h"
#include "team.h"
#include "text.h"

static char *out;
static char *end;

/* Appends as much of the text as the 30-character line holds. */
static void add(const char *text) {
  while (*text && out < end) *out++ = *text++;
  *out = 0;
}

static void add_name(u8 side, u8 player) {
  const char *name = teams[side].name[player];
  if (name[0]) {
    add(name);
  } else {
    add("NO NAME");
  }
}

static void add_yards(s16 yards) {
  char digits[7];
  fmt_u(digits, (u16)yards);
  add(digits);
  add(" YD");
}

static void line(u8 n) {
  out = pbp_line[n];
  end = out + 30;
  *out = 0;
}

static void run_text(u8 off) {
  line(0);
  add_name(off, result.carrier);
  if (result.gained > 0) {
    add(" ");
    add_yards(result.gained);
    add(" RUN");
  } else if (result.gained == 0) {
    add(" NO GAIN");
  } else {
    add(" LOSS OF ");
    add_yards(-result.gained);
  }
}

static void pass_text(u8 off) {
  line(0);
  add_name(off, result.passer);
  add(" TO ");
  add_name(off, result.carrier);
  line(1);
  add_yards(result.gained);
  add(" PASS");
}

static void second_line_for_down(u8 def) {
  line(1);
  if (result.broke_tackle) {
    add("BROKE A TACKLE");
  } else if (result.read == 2) {
    add("THE DEFENCE READ IT");
  } else if (result.stopped) {
    add("OUT OF BOUNDS");
  } else {
    add("TACKLED BY ");
    add_name(def, result.defender);
  }
}

static void scrimmage_text(u8 off, u8 def) {
  switch (result.outcome) {
    case OUT_RUN:
      run_text(off);
      second_line_for_down(def);
      break;
    case OUT_FUMBLE:
      run_text(off);
      line(1);
      add("FUMBLE  ");
      add(teams[def].abbr);
      add(" BALL");
      break;
    case OUT_COMPLETE:
      pass_text(off);
      break;
    case OUT_INCOMPLETE:
      line(0);
      add("INCOMPLETE");
      line(1);
      add("INTENDED FOR ");
      add_name(off, result.carrier);
      break;
    case OUT_SACK:
      line(0);
      add("SACKED");
      line(1);
      add("BY ");
      add_name(def, result.defender);
      break;
    case OUT_INTERCEPTION:
      line(0);
      add("INTERCEPTED");
      line(1);
      add_name(def, result.defender);
      add(" ");
      add_yards(result.returned);
      add(" BACK");
      break;
  }
}

static void return_text(u8 receiving) {
  add_name(receiving, P_RB3);
  add(" ");
  add_yards(result.returned);
  add(" RETURN");
}

static void kick_text(u8 receiving) {
  switch (result.outcome) {
    case OUT_KICKOFF:
      line(0);
      add("KICKOFF");
      line(1);
      if (result.touchback) {
        add("TOUCHBACK");
      } else {
        return_text(receiving);
      }
      break;
    case OUT_PUNT:
      line(0);
      if (result.gained == 0) {
        add("PUNT BLOCKED");
        line(1);
        break;
      }
      add("PUNT ");
      add_yards(result.gained);
      line(1);
      if (result.touchback) {
        add("TOUCHBACK");
      } else if (result.fair_catch) {
        add("FAIR CATCH");
      } else {
        return_text(receiving);
      }
      break;
    case OUT_FIELD_GOAL:
      line(0);
      add("FIELD GOAL TRY ");
      add_yards(result.gained);
      line(1);
      add(result.good ? "IT IS GOOD" : "NO GOOD");
      break;
    case OUT_EXTRA_POINT:
      line(0);
      add("EXTRA POINT");
      line(1);
      add(result.good ? "IT IS GOOD" : "NO GOOD");
      break;
  }
}

void field_caption(void) {
  u8 off = result.side;
  u8 def = off ^ 1;
  pbp_line[0][0] = 0;
  pbp_line[1][0] = 0;
  if (result.outcome >= OUT_KICKOFF) {
    kick_text(def);
  } else {
    scrimmage_text(off, def);
  }
  if (result.touchdown) {
    line(1);
    add("TOUCHDOWN ");
    add(teams[result.touchdown == 1 ? off : def].abbr);
  } else if (result.safety) {
    line(1);
    add("SAFETY");
  }
  bar_draw();
  bar_pbp();
}
