#include "editors/play_table.h"

namespace qgu::editors {
namespace {

using enum Formation;
using enum Role;
using enum Path;
using enum BallPlay;
using enum Blocking;
constexpr Side L = Side::kLeft;
constexpr Side R = Side::kRight;
constexpr Side N = Side::kNone;

using Table = std::array<PlayEntry, kPlaySlotCount * kPlayChoiceCount>;

// The sketches say what the name says (the formation its first word names)
// and what the cartridge plays: who carries or catches, to which side and
// how deep, and a route or two around them.
constexpr Table kRunPlays = {{
    // slot 1
    {"T Fake Sweep Right", 313, {kT, kPitch, kHB, {{{kHB, kCounterSweep, R}, {kFB, kFake, L}, {kLeftHB, kFake, L}, {kX, kFly}}}}},
    {"T Power Sweep Right", 314, {kT, kPitch, kHB, {{{kHB, kSweep, R}, {kFB, kLead, R}, {kLeftHB, kLead, R}}}, kPullRight}},
    {"WTE Offtackle Right", 315, {kWingTE, kHandoff, kHB, {{{kHB, kOffTackle, R}, {kFB, kLead, R}}}}},
    {"One Setback Left", 316, {kOneBack, kHandoff, kHB, {{{kHB, kOffTackle, L}}}}},
    {"Run and Shoot Sweep Left", 317, {kRunShoot, kPitch, kHB, {{{kHB, kSweep, L}}}}},
    {"FB Offtackle Right", 318, {kIFormation, kHandoff, kFB, {{{kFB, kOffTackle, R}, {kHB, kFake, L}}}}},
    {"FB Open Left", 319, {kIFormation, kHandoff, kFB, {{{kFB, kSweep, L}, {kHB, kLead, L}}}, kPullLeft}},
    {"Toss Sweep Right", 320, {kIFormation, kPitch, kHB, {{{kHB, kSweep, R}, {kFB, kLead, R}}}}},
    // slot 2
    {"T Power Dive", 321, {kT, kHandoff, kFB, {{{kFB, kDive, N}, {kHB, kLead, R}, {kLeftHB, kLead, L}}}}},
    {"FB Offtackle Left", 322, {kProSet, kHandoff, kFB, {{{kFB, kOffTackle, L}, {kHB, kLead, L}}}}},
    {"Run and Shoot Draw", 323, {kRunShoot, kDrawHandoff, kHB, {{{kHB, kDraw, N}, {kX, kFly}, {kZ, kFly}}}}},
    {"Pitch Left Fake", 324, {kIFormation, kPitch, kHB, {{{kHB, kSweep, L}, {kFB, kFake, R}}}}},
    {"Oneback Sweep Right", 325, {kOneBack, kPitch, kHB, {{{kHB, kSweep, R}, {kX, kFly}, {kSlotLeft, kFly}}}}},
    {"Weakside Open", 326, {kProSet, kHandoff, kHB, {{{kHB, kOffTackle, L}, {kFB, kLead, L}}}}},
    {"T Offtackle Right", 327, {kT, kHandoff, kHB, {{{kHB, kOffTackle, R}, {kFB, kLead, R}}}}},
    {"T Sweep Strong", 328, {kT, kPitch, kLeftHB, {{{kLeftHB, kSweep, R}, {kFB, kLead, R}, {kHB, kLead, R}}}}},
    // slot 3
    {"Shotgun Draw", 329, {kShotgun, kDrawHandoff, kHB, {{{kHB, kDraw, N}, {kX, kFly}, {kZ, kFly}, {kY, kFly}}}}},
    {"Run and Shoot Sweep Right", 330, {kRunShoot, kPitch, kHB, {{{kHB, kSweep, R}, {kSlotRight, kLead, R}, {kZ, kFly}}}}},
    {"T Cross Run Left", 331, {kT, kHandoff, kFB, {{{kFB, kCounter, L}, {kLeftHB, kFake, R}, {kHB, kLead, L}}}}},
    {"Slot Offtackle", 332, {kSlotRightSet, kHandoff, kHB, {{{kHB, kOffTackle, R}, {kFB, kLead, R}}}}},
    {"Cross Offtackle", 333, {kProSet, kHandoff, kFB, {{{kFB, kCounter, L}, {kHB, kFake, R}}}}},
    {"Pitch Left Open", 334, {kProSet, kPitch, kHB, {{{kHB, kSweep, L}, {kFB, kLead, L}}}, kPullLeft}},
    {"WR Reverse Right", 335, {kProSet, kReverseHandoff, kX, {{{kX, kReverse, R}, {kHB, kFake, L}}}}},
    {"WR Reverse Left", 336, {kProSet, kReverseHandoff, kZ, {{{kZ, kReverse, L}, {kFB, kFake, R}}}}},
    // slot 4
    {"Run and Shoot QB Run", 337, {kRunShoot, kKeep, kQB, {{{kQB, kOffTackle, R}, {kHB, kLead, R}, {kX, kFly}, {kSlotLeft, kFly}}}}},
    {"Shotgun Sweep Left", 338, {kShotgun, kPitch, kHB, {{{kHB, kSweep, L}}}}},
    {"Run and Shoot QB Sneak", 339, {kRunShoot, kKeep, kQB, {{{kQB, kSneak, N}}}}},
    {"One Setback Dive", 340, {kOneBack, kHandoff, kHB, {{{kHB, kDive, N}, {kSlotLeft, kCurl}, {kZ, kFly}}}}},
    {"Pro T Dive", 341, {kProSet, kHandoff, kHB, {{{kHB, kDive, N}, {kFB, kLead, R}}}}},
    {"FB Power Dive", 342, {kIFormation, kHandoff, kFB, {{{kFB, kDive, N}, {kHB, kFake, R}}}}},
    {"Shotgun C Draw", 343, {kShotgun, kDrawHandoff, kHB, {{{kHB, kDraw, N}, {kY, kDrag}, {kX, kOut}, {kZ, kIn}}}}},
    {"Reverse Pitch Right", 344, {kIFormation, kReversePitch, kX, {{{kX, kReverse, R}, {kHB, kSweep, L}}}}},
}};

constexpr Table kPassPlays = {{
    // slot 1
    {"Pro T Waggle Left", 282, {kProSet, kBootLeft, kY, {{{kY, kDrag}, {kX, kPost}, {kZ, kFly}}}}},
    {"Run and Shoot Flare C", 283, {kRunShoot, kDropBack, kHB, {{{kHB, kFlare, R}, {kX, kFly}, {kSlotLeft, kCurl}, {kZ, kFly}}}}},
    {"Pro T Waggle Right", 284, {kProSet, kBootRight, kY, {{{kY, kOut}, {kX, kDrag}, {kZ, kFly}}}}},
    {"Roll Out Right", 285, {kProSet, kRollRight, kZ, {{{kZ, kOut}, {kY, kCurl}, {kX, kPost}}}}},
    {"Roll Out Left", 286, {kProSet, kRollLeft, kX, {{{kX, kOut}, {kY, kDrag}, {kZ, kPost}}}}},
    {"T Play Action D", 287, {kT, kPlayAction, kFB, {{{kFB, kSeam}, {kLeftHB, kFake, R}, {kY, kFly}}}}},
    {"Pro T Screen Left", 288, {kProSet, kDropBack, kHB, {{{kHB, kScreen, L}, {kX, kFly}, {kZ, kFly}}}}},
    {"Play Action", 281, {kIFormation, kPlayAction, kX, {{{kX, kPost}, {kFB, kFake, L}, {kZ, kIn}}}}},
    // slot 2
    {"Power Fake Z Post", 289, {kIFormation, kPlayAction, kZ, {{{kZ, kPost}, {kFB, kFake, R}, {kX, kFly}}}}},
    {"WTE Flea-Flicker", 290, {kWingTE, kFleaFlicker, kX, {{{kX, kPost}, {kFB, kFake, R}, {kY, kCorner}}}}},
    {"Shotgun X Curl", 291, {kShotgun, kDropBack, kX, {{{kX, kCurl}, {kZ, kFly}, {kY, kDrag}}}}},
    {"Run and Shoot Z Fly", 292, {kRunShoot, kDropBack, kZ, {{{kZ, kFly}, {kSlotRight, kCurl}, {kX, kCurl}}}}},
    {"Pro T Flare D", 293, {kProSet, kDropBack, kFB, {{{kFB, kFlare, L}, {kY, kCurl}, {kZ, kFly}}}}},
    {"Offset Flare E", 294, {kOffset, kDropBack, kHB, {{{kHB, kFlare, R}, {kX, kCurl}, {kZ, kFly}}}}},
    {"Oneback Z Cross", 295, {kOneBack, kDropBack, kZ, {{{kZ, kDrive}, {kX, kFly}, {kY, kCurl}}}}},
    {"Oneback Flare A", 296, {kOneBack, kDropBack, kHB, {{{kHB, kFlare, L}, {kX, kFly}, {kZ, kFly}}}}},
    // slot 3
    {"T Flea-Flicker", 297, {kT, kFleaFlicker, kX, {{{kX, kPost}, {kFB, kFake, R}, {kY, kCorner}}}}},
    {"Power Fake X Fly", 298, {kIFormation, kPlayAction, kX, {{{kX, kFly}, {kFB, kFake, L}, {kZ, kCurl}}}}},
    {"Shotgun X Drive", 299, {kShotgun, kDropBack, kX, {{{kX, kDrive}, {kZ, kFly}, {kY, kCurl}}}}},
    {"Run and Shoot 3-Wing", 300, {kRunShoot, kDropBack, kSlotRight, {{{kSlotRight, kOut}, {kZ, kFly}, {kX, kCurl}}}}},
    {"Play Action Z In", 301, {kIFormation, kPlayAction, kZ, {{{kZ, kIn}, {kHB, kFake, L}, {kX, kCurl}}}}},
    {"Flea Flicker", 302, {kProSet, kFleaFlicker, kX, {{{kX, kFly}, {kHB, kFake, R}, {kZ, kPost}}}}},
    {"Pro T Flare C", 303, {kProSet, kDropBack, kHB, {{{kHB, kFlare, R}, {kX, kCurl}, {kY, kFly}}}}},
    {"Shotgun 3-Wing", 304, {kShotgun, kDropBack, kY, {{{kY, kOut}, {kZ, kFly}, {kX, kPost}}}}},
    // slot 4
    {"Shotgun XY Bomb", 305, {kShotgun, kDropBack, kX, {{{kX, kFly}, {kY, kFly}, {kZ, kCurl}}}}},
    {"Run and Shoot Y Up", 306, {kRunShoot, kDropBack, kSlotLeft, {{{kSlotLeft, kCurl}, {kX, kOut}, {kZ, kFly}}}}},
    {"X Out and Fly", 307, {kProSet, kDropBack, kX, {{{kX, kOutAndUp}, {kZ, kCurl}, {kY, kDrag}}}}},
    {"Reverse-Fake Z Post", 308, {kProSet, kPlayAction, kZ, {{{kZ, kPost}, {kX, kFake, R}, {kY, kCurl}}}}},
    {"Slot L Z Drive", 309, {kSlotLeftSet, kDropBack, kZ, {{{kZ, kDrive}, {kSlotLeft, kFly}, {kX, kCurl}}}}},
    {"No Back X Deep", 310, {kNoBack, kDropBack, kX, {{{kX, kFly}, {kZ, kFly}, {kSlotLeft, kCurl}, {kSlotRight, kCurl}}}}},
    {"Shotgun Z Slant In", 311, {kShotgun, kDropBack, kZ, {{{kZ, kSlant}, {kX, kPost}, {kY, kDrag}}}}},
    {"Redgun Z Slant", 312, {kRedgun, kDropBack, kZ, {{{kZ, kSlant}, {kX, kOut}, {kHB, kFlare, R}, {kY, kFly}}}}},
}};

}  // namespace

const std::array<PlayEntry, kPlaySlotCount * kPlayChoiceCount>& PlayTable(PlayKind kind) {
  return kind == PlayKind::kPass ? kPassPlays : kRunPlays;
}

std::optional<PlayEntry> LookupPlay(int slot, int choice, PlayKind kind) {
  if (slot < 0 || slot >= kPlaySlotCount || choice < 0 || choice >= kPlayChoiceCount) return std::nullopt;
  return PlayTable(kind)[static_cast<size_t>(slot * kPlayChoiceCount + choice)];
}

std::optional<PlayEntry> PlayByPictureId(int pictureId) {
  for (PlayKind kind : {PlayKind::kRun, PlayKind::kPass}) {
    for (const PlayEntry& entry : PlayTable(kind)) {
      if (entry.pictureId == pictureId) return entry;
    }
  }
  return std::nullopt;
}

}  // namespace qgu::editors
