#pragma once
// The playbook's 64 plays: four run slots and four pass slots, eight plays
// each. Every play has its name, the resource id of its 50 x 74 picture and a
// small sketch (formation, routes, ball carrier) from which the picture is
// drawn. Plain data, no Qt.

#include <array>
#include <optional>
#include <string_view>

namespace qgu::editors {

inline constexpr int kPlaySlotCount = 4;
inline constexpr int kPlayChoiceCount = 8;
inline constexpr int kPlayPictureWidth = 50;
inline constexpr int kPlayPictureHeight = 74;

// Where the offence lines up; each formation places its own set of roles.
enum class Formation {
  kT,           // QB under centre, fullback behind him, two halfbacks
  kProSet,      // split backs, tight end right, split end left, flanker right
  kIFormation,  // fullback and halfback in line behind the QB
  kWingTE,      // I backs, tight end on the right wing
  kOffset,      // I with the fullback offset right
  kSlotRightSet,  // split backs, flanker in the right slot
  kSlotLeftSet,   // split backs, slot receiver left
  kOneBack,     // one back, tight end, three receivers
  kRunShoot,    // one back, two split ends, two slots
  kShotgun,     // QB five yards back, one back beside him
  kRedgun,      // shotgun with a back on each side
  kNoBack,      // shotgun, five receivers
};

// Players a sketch can name. A formation places some of them.
enum class Role { kNone, kQB, kHB, kFB, kLeftHB, kX, kY, kZ, kSlotLeft, kSlotRight };

enum class Side { kNone, kLeft, kRight };

// The shape of one player's path. Receiver routes break toward the middle
// ("in") or the sideline ("out") of the side the receiver lines up on.
enum class Path {
  // runs
  kDive, kOffTackle, kSweep, kCounterSweep, kCounter, kReverse, kSneak, kDraw, kLead, kFake,
  // routes
  kFly, kPost, kCorner, kOut, kIn, kCurl, kSlant, kDrive, kDrag, kOutAndUp, kFlare, kScreen, kSeam,
};

// How the ball leaves the quarterback.
enum class BallPlay {
  kHandoff, kPitch, kKeep, kDrawHandoff, kReverseHandoff, kReversePitch,  // runs
  kDropBack, kRollRight, kRollLeft, kBootRight, kBootLeft, kPlayAction, kFleaFlicker,  // passes
};

struct Route {
  Role role = Role::kNone;
  Path path = Path::kFly;
  Side side = Side::kNone;  // runs, flares and screens; receivers take it from where they stand
};

inline constexpr int kMaxRoutes = 4;

// What the five linemen do: drive ahead (runs), hold a pocket (passes), or
// the guards pull to lead a run to one side.
enum class Blocking { kAsPlayed, kPullLeft, kPullRight };

struct PlaySketch {
  Formation formation = Formation::kProSet;
  BallPlay ball = BallPlay::kHandoff;
  Role carrier = Role::kNone;  // the runner, or the pass's target
  std::array<Route, kMaxRoutes> routes{};  // the carrier's own route first
  Blocking line = Blocking::kAsPlayed;
};

struct PlayEntry {
  std::string_view name;
  int pictureId;
  PlaySketch sketch;
};

enum class PlayKind { kRun, kPass };

// Entry `choice` of slot `slot` (both counted from 0) of the run or pass
// table; nothing when either is out of range.
std::optional<PlayEntry> LookupPlay(int slot, int choice, PlayKind kind);

// The play whose picture has this resource id, or nothing.
std::optional<PlayEntry> PlayByPictureId(int pictureId);

// All 32 entries of one table, slot x 8 + choice.
const std::array<PlayEntry, kPlaySlotCount * kPlayChoiceCount>& PlayTable(PlayKind kind);

}  // namespace qgu::editors
