#include "editors/play_table.h"

namespace qgu::editors {
namespace {

using enum Formation;
using enum Role;
using enum Path;
using enum BallPlay;
constexpr Side L = Side::kLeft;
constexpr Side R = Side::kRight;
constexpr Side N = Side::kNone;

using Table = std::array<PlayEntry, kPlaySlotCount * kPlayChoiceCount>;

// The sketches say what the name says: the formation its first word names,
// who carries or catches, and a route or two around them.
constexpr Table kRunPlays = {{
    // slot 1
    {"T Fake Sweep Right", 313, {kT, kPitch, kHB, {{{kHB, kSweep, R}, {kLeftHB, kFake, L}, {kFB, kLead, R}}}}},
    {"T Power Sweep Right", 314, {kT, kPitch, kHB, {{{kHB, kSweep, R}, {kFB, kLead, R}, {kLeftHB, kLead, R}}}}},
    {"WTE Offtackle Right", 315, {kWingTE, kHandoff, kHB, {{{kHB, kOffTackle, R}, {kFB, kLead, R}}}}},
    {"One Setback Left", 316, {kOneBack, kHandoff, kHB, {{{kHB, kOffTackle, L}}}}},
    {"Run and Shoot Sweep Left", 317, {kRunShoot, kPitch, kHB, {{{kHB, kSweep, L}}}}},
    {"FB Offtackle Right", 318, {kIFormation, kHandoff, kFB, {{{kFB, kOffTackle, R}, {kHB, kFake, L}}}}},
    {"FB Open Left", 319, {kIFormation, kHandoff, kFB, {{{kFB, kSweep, L}, {kHB, kLead, L}}}}},
    {"Toss Sweep Right", 320, {kIFormation, kPitch, kHB, {{{kHB, kSweep, R}, {kFB, kLead, R}}}}},
    // slot 2
    {"T Power Dive", 321, {kT, kHandoff, kFB, {{{kFB, kDive, R}, {kHB, kLead, R}}}}},
    {"FB Offtackle Left", 322, {kProSet, kHandoff, kFB, {{{kFB, kOffTackle, L}, {kHB, kLead, L}}}}},
    {"Run and Shoot Draw", 323, {kRunShoot, kDrawHandoff, kHB, {{{kHB, kDraw, N}, {kX, kFly}, {kZ, kFly}}}}},
    {"Pitch Left Fake", 324, {kIFormation, kPitch, kHB, {{{kHB, kSweep, L}, {kFB, kFake, R}}}}},
    {"Oneback Sweep Right", 325, {kOneBack, kPitch, kHB, {{{kHB, kSweep, R}}}}},
    {"Weakside Open", 326, {kProSet, kPitch, kHB, {{{kHB, kSweep, L}, {kFB, kLead, L}}}}},
    {"T Offtackle Right", 327, {kT, kHandoff, kHB, {{{kHB, kOffTackle, R}, {kFB, kLead, R}}}}},
    {"T Sweep Strong", 328, {kT, kPitch, kHB, {{{kHB, kSweep, R}, {kFB, kLead, R}, {kY, kFake, L}}}}},
    // slot 3
    {"Shotgun Draw", 329, {kShotgun, kDrawHandoff, kHB, {{{kHB, kDraw, N}, {kX, kFly}, {kZ, kFly}}}}},
    {"Run and Shoot Sweep Right", 330, {kRunShoot, kPitch, kHB, {{{kHB, kSweep, R}}}}},
    {"T Cross Run Left", 331, {kT, kHandoff, kHB, {{{kHB, kCounter, L}, {kLeftHB, kFake, R}}}}},
    {"Slot Offtackle", 332, {kSlotRightSet, kHandoff, kHB, {{{kHB, kOffTackle, R}, {kFB, kLead, R}}}}},
    {"Cross Offtackle", 333, {kProSet, kHandoff, kFB, {{{kFB, kCounter, L}, {kHB, kFake, R}}}}},
    {"Pitch Left Open", 334, {kProSet, kPitch, kHB, {{{kHB, kSweep, L}}}}},
    {"WR Reverse Right", 335, {kProSet, kReverseHandoff, kX, {{{kX, kReverse, R}, {kHB, kFake, L}}}}},
    {"WR Reverse Left", 336, {kProSet, kReverseHandoff, kZ, {{{kZ, kReverse, L}, {kFB, kFake, R}}}}},
    // slot 4
    {"Run and Shoot QB Run", 337, {kRunShoot, kKeep, kQB, {{{kQB, kOffTackle, R}, {kHB, kLead, R}}}}},
    {"Shotgun Sweep Left", 338, {kShotgun, kPitch, kHB, {{{kHB, kSweep, L}}}}},
    {"Run and Shoot QB Sneak", 339, {kRunShoot, kKeep, kQB, {{{kQB, kSneak, N}}}}},
    {"One Setback Dive", 340, {kOneBack, kHandoff, kHB, {{{kHB, kDive, N}}}}},
    {"Pro T Dive", 341, {kProSet, kHandoff, kHB, {{{kHB, kDive, R}, {kFB, kLead, R}}}}},
    {"FB Power Dive", 342, {kIFormation, kHandoff, kFB, {{{kFB, kDive, N}, {kHB, kFake, R}}}}},
    {"Shotgun C Draw", 343, {kShotgun, kDrawHandoff, kHB, {{{kHB, kDraw, N}, {kY, kCurl}}}}},
    {"Reverse Pitch Right", 344, {kIFormation, kReverseHandoff, kZ, {{{kZ, kReverse, L}, {kHB, kSweep, R}}}}},
}};

constexpr Table kPassPlays = {{
    // slot 1
    {"Pro T Waggle Left", 282, {kProSet, kBootLeft, kY, {{{kY, kDrag}, {kX, kPost}, {kZ, kFly}}}}},
    {"Run and Shoot Flare C", 283, {kRunShoot, kDropBack, kHB, {{{kHB, kFlare, R}, {kX, kFly}, {kSlotLeft, kCurl}, {kZ, kFly}}}}},
    {"Pro T Waggle Right", 284, {kProSet, kBootRight, kY, {{{kY, kOut}, {kX, kDrag}, {kZ, kFly}}}}},
    {"Roll Out Right", 285, {kProSet, kRollRight, kZ, {{{kZ, kOut}, {kY, kCurl}, {kX, kPost}}}}},
    {"Roll Out Left", 286, {kProSet, kRollLeft, kX, {{{kX, kOut}, {kY, kDrag}, {kZ, kPost}}}}},
    {"T Play Action D", 287, {kT, kPlayAction, kFB, {{{kFB, kFlare, L}, {kLeftHB, kFake, R}, {kY, kFly}}}}},
    {"Pro T Screen Left", 288, {kProSet, kDropBack, kHB, {{{kHB, kScreen, L}, {kX, kFly}, {kZ, kFly}}}}},
    {"Play Action", 281, {kIFormation, kPlayAction, kX, {{{kX, kPost}, {kHB, kFake, R}, {kZ, kCurl}}}}},
    // slot 2
    {"Power Fake Z Post", 289, {kIFormation, kPlayAction, kZ, {{{kZ, kPost}, {kFB, kFake, R}, {kX, kFly}}}}},
    {"WTE Flea-Flicker", 290, {kWingTE, kFleaFlicker, kX, {{{kX, kFly}, {kHB, kFake, R}, {kY, kCurl}}}}},
    {"Shotgun X Curl", 291, {kShotgun, kDropBack, kX, {{{kX, kCurl}, {kZ, kFly}, {kY, kDrag}}}}},
    {"Run and Shoot Z Fly", 292, {kRunShoot, kDropBack, kZ, {{{kZ, kFly}, {kSlotRight, kCurl}, {kX, kCurl}}}}},
    {"Pro T Flare D", 293, {kProSet, kDropBack, kFB, {{{kFB, kFlare, R}, {kY, kCurl}, {kZ, kFly}}}}},
    {"Offset Flare E", 294, {kOffset, kDropBack, kHB, {{{kHB, kFlare, L}, {kX, kCurl}, {kZ, kFly}}}}},
    {"Oneback Z Cross", 295, {kOneBack, kDropBack, kZ, {{{kZ, kDrive}, {kX, kFly}, {kY, kCurl}}}}},
    {"Oneback Flare A", 296, {kOneBack, kDropBack, kHB, {{{kHB, kFlare, L}, {kX, kFly}, {kZ, kFly}}}}},
    // slot 3
    {"T Flea-Flicker", 297, {kT, kFleaFlicker, kX, {{{kX, kPost}, {kHB, kFake, R}, {kY, kFly}}}}},
    {"Power Fake X Fly", 298, {kIFormation, kPlayAction, kX, {{{kX, kFly}, {kFB, kFake, L}, {kZ, kCurl}}}}},
    {"Shotgun X Drive", 299, {kShotgun, kDropBack, kX, {{{kX, kDrive}, {kZ, kFly}, {kY, kCurl}}}}},
    {"Run and Shoot 3-Wing", 300, {kRunShoot, kDropBack, kSlotRight, {{{kSlotRight, kFly}, {kZ, kOut}, {kX, kCurl}}}}},
    {"Play Action Z In", 301, {kIFormation, kPlayAction, kZ, {{{kZ, kIn}, {kHB, kFake, L}, {kX, kFly}}}}},
    {"Flea Flicker", 302, {kProSet, kFleaFlicker, kX, {{{kX, kFly}, {kHB, kFake, R}, {kZ, kPost}}}}},
    {"Pro T Flare C", 303, {kProSet, kDropBack, kHB, {{{kHB, kFlare, L}, {kX, kCurl}, {kY, kFly}}}}},
    {"Shotgun 3-Wing", 304, {kShotgun, kDropBack, kY, {{{kY, kFly}, {kZ, kOut}, {kX, kPost}}}}},
    // slot 4
    {"Shotgun XY Bomb", 305, {kShotgun, kDropBack, kX, {{{kX, kFly}, {kY, kFly}, {kZ, kCurl}}}}},
    {"Run and Shoot Y Up", 306, {kRunShoot, kDropBack, kSlotLeft, {{{kSlotLeft, kFly}, {kX, kOut}, {kZ, kCurl}}}}},
    {"X Out and Fly", 307, {kProSet, kDropBack, kX, {{{kX, kOutAndUp}, {kZ, kCurl}, {kY, kDrag}}}}},
    {"Reverse-Fake Z Post", 308, {kProSet, kPlayAction, kZ, {{{kZ, kPost}, {kX, kFake, R}, {kY, kCurl}}}}},
    {"Slot L Z Drive", 309, {kSlotLeftSet, kDropBack, kZ, {{{kZ, kDrive}, {kSlotLeft, kFly}, {kX, kCurl}}}}},
    {"No Back X Deep", 310, {kNoBack, kDropBack, kX, {{{kX, kFly}, {kZ, kFly}, {kSlotLeft, kCurl}, {kSlotRight, kCurl}}}}},
    {"Shotgun Z Slant In", 311, {kShotgun, kDropBack, kZ, {{{kZ, kSlant}, {kX, kFly}, {kY, kCurl}}}}},
    {"Redgun Z Slant", 312, {kRedgun, kDropBack, kZ, {{{kZ, kSlant}, {kX, kCurl}, {kHB, kFlare, R}}}}},
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
