/* The play table's names: slot x 8 + choice, runs and passes (what each
 * play does is in rules.c, bank 8). */
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
