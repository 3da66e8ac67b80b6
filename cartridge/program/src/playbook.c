/* The play table: slot x 8 + choice, runs and passes. */
#pragma code-name("BANK04")
#pragma rodata-name("BANK04RO")

#include "playbook.h"
#include "state.h"

const char *const run_names[32] = {
    "T Fake Sweep Right", "T Power Sweep Right", "WTE Offtackle Right", "One Setback Left",
    "Run and Shoot Sweep Left", "FB Offtackle Right", "FB Open Left", "Toss Sweep Right",
    "T Power Dive", "FB Offtackle Left", "Run and Shoot Draw", "Pitch Left Fake",
    "Oneback Sweep Right", "Weakside Open", "T Offtackle Right", "T Sweep Strong",
    "Shotgun Draw", "Run and Shoot Sweep Right", "T Cross Run Left", "Slot Offtackle",
    "Cross Offtackle", "Pitch Left Open", "WR Reverse Right", "WR Reverse Left",
    "Run and Shoot QB Run", "Shotgun Sweep Left", "Run and Shoot QB Sneak", "One Setback Dive",
    "Pro T Dive", "FB Power Dive", "Shotgun C Draw", "Reverse Pitch Right",
};

const char *const pass_names[32] = {
    "Pro T Waggle Left", "Run and Shoot Flare C", "Pro T Waggle Right", "Roll Out Right",
    "Roll Out Left", "T Play Action D", "Pro T Screen Left", "Play Action",
    "Power Fake Z Post", "WTE Flea-Flicker", "Shotgun X Curl", "Run and Shoot Z Fly",
    "Pro T Flare D", "Offset Flare E", "Oneback Z Cross", "Oneback Flare A",
    "T Flea-Flicker", "Power Fake X Fly", "Shotgun X Drive", "Run and Shoot 3-Wing",
    "Play Action Z In", "Flea Flicker", "Pro T Flare C", "Shotgun 3-Wing",
    "Shotgun XY Bomb", "Run and Shoot Y Up", "X Out and Fly", "Reverse-Fake Z Post",
    "Slot L Z Drive", "No Back X Deep", "Shotgun Z Slant In", "Redgun Z Slant",
};

const u8 run_traits[32] = {
    RUN(RUN_HB, STYLE_SWEEP, LANE_RIGHT, 0),     RUN(RUN_HB, STYLE_SWEEP, LANE_RIGHT, 0),
    RUN(RUN_HB, STYLE_OFFTACKLE, LANE_RIGHT, 0), RUN(RUN_HB, STYLE_OFFTACKLE, LANE_LEFT, 0),
    RUN(RUN_HB, STYLE_SWEEP, LANE_LEFT, 0),      RUN(RUN_FB, STYLE_OFFTACKLE, LANE_RIGHT, 0),
    RUN(RUN_FB, STYLE_SWEEP, LANE_LEFT, 0),      RUN(RUN_HB, STYLE_SWEEP, LANE_RIGHT, 0),

    RUN(RUN_FB, STYLE_DIVE, LANE_MIDDLE, 0),     RUN(RUN_FB, STYLE_OFFTACKLE, LANE_LEFT, 0),
    RUN(RUN_HB, STYLE_OFFTACKLE, LANE_MIDDLE, 1), RUN(RUN_HB, STYLE_SWEEP, LANE_LEFT, 0),
    RUN(RUN_HB, STYLE_SWEEP, LANE_RIGHT, 0),     RUN(RUN_HB, STYLE_OFFTACKLE, LANE_LEFT, 0),
    RUN(RUN_HB, STYLE_OFFTACKLE, LANE_RIGHT, 0), RUN(RUN_HB, STYLE_SWEEP, LANE_RIGHT, 0),

    RUN(RUN_HB, STYLE_OFFTACKLE, LANE_MIDDLE, 1), RUN(RUN_HB, STYLE_SWEEP, LANE_RIGHT, 0),
    RUN(RUN_FB, STYLE_OFFTACKLE, LANE_LEFT, 0),  RUN(RUN_HB, STYLE_OFFTACKLE, LANE_RIGHT, 0),
    RUN(RUN_FB, STYLE_OFFTACKLE, LANE_LEFT, 0),  RUN(RUN_HB, STYLE_SWEEP, LANE_LEFT, 0),
    RUN(RUN_WR, STYLE_TRICK, LANE_RIGHT, 0),     RUN(RUN_WR, STYLE_TRICK, LANE_LEFT, 0),

    RUN(RUN_QB, STYLE_OFFTACKLE, LANE_RIGHT, 1), RUN(RUN_HB, STYLE_SWEEP, LANE_LEFT, 0),
    RUN(RUN_QB, STYLE_DIVE, LANE_MIDDLE, 0),     RUN(RUN_HB, STYLE_DIVE, LANE_MIDDLE, 0),
    RUN(RUN_HB, STYLE_DIVE, LANE_MIDDLE, 0),     RUN(RUN_FB, STYLE_DIVE, LANE_MIDDLE, 0),
    RUN(RUN_HB, STYLE_OFFTACKLE, LANE_MIDDLE, 1), RUN(RUN_WR, STYLE_TRICK, LANE_RIGHT, 0),
};

const u8 pass_traits[32] = {
    PASS(TO_Y, DEPTH_SHORT, LANE_LEFT, 1),     PASS(TO_HB, DEPTH_SCREEN, LANE_RIGHT, 0),
    PASS(TO_Y, DEPTH_SHORT, LANE_RIGHT, 1),    PASS(TO_Z, DEPTH_MEDIUM, LANE_RIGHT, 0),
    PASS(TO_X, DEPTH_MEDIUM, LANE_LEFT, 0),    PASS(TO_FB, DEPTH_SHORT, LANE_MIDDLE, 1),
    PASS(TO_HB, DEPTH_SCREEN, LANE_LEFT, 0),   PASS(TO_X, DEPTH_DEEP, LANE_MIDDLE, 1),

    PASS(TO_Z, DEPTH_DEEP, LANE_MIDDLE, 1),    PASS(TO_X, DEPTH_DEEP, LANE_RIGHT, 1),
    PASS(TO_X, DEPTH_MEDIUM, LANE_LEFT, 0),    PASS(TO_Z, DEPTH_DEEP, LANE_RIGHT, 0),
    PASS(TO_FB, DEPTH_SCREEN, LANE_LEFT, 0),   PASS(TO_HB, DEPTH_SCREEN, LANE_RIGHT, 0),
    PASS(TO_Z, DEPTH_MEDIUM, LANE_MIDDLE, 0),  PASS(TO_HB, DEPTH_SCREEN, LANE_LEFT, 0),

    PASS(TO_Z, DEPTH_DEEP, LANE_MIDDLE, 1),    PASS(TO_X, DEPTH_DEEP, LANE_LEFT, 1),
    PASS(TO_X, DEPTH_MEDIUM, LANE_LEFT, 0),    PASS(TO_SLOT, DEPTH_MEDIUM, LANE_RIGHT, 0),
    PASS(TO_Z, DEPTH_MEDIUM, LANE_MIDDLE, 1),  PASS(TO_X, DEPTH_DEEP, LANE_RIGHT, 1),
    PASS(TO_HB, DEPTH_SCREEN, LANE_RIGHT, 0),  PASS(TO_SLOT, DEPTH_SHORT, LANE_RIGHT, 0),

    PASS(TO_X, DEPTH_DEEP, LANE_MIDDLE, 0),    PASS(TO_Y, DEPTH_MEDIUM, LANE_MIDDLE, 0),
    PASS(TO_X, DEPTH_DEEP, LANE_LEFT, 0),      PASS(TO_Z, DEPTH_DEEP, LANE_RIGHT, 1),
    PASS(TO_Z, DEPTH_MEDIUM, LANE_LEFT, 0),    PASS(TO_X, DEPTH_DEEP, LANE_LEFT, 0),
    PASS(TO_Z, DEPTH_SHORT, LANE_MIDDLE, 0),   PASS(TO_Z, DEPTH_SHORT, LANE_RIGHT, 0),
};
