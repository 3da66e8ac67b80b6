#pragma once
// Where the football cartridge keeps its team data: file offsets into the
// iNES image (header included), the fixed points game preparation writes to,
// and the byte budgets those fixed points leave for each group of teams.
// The image builder places the teams by it, game preparation writes league
// teams by it and the import reads them by it, so it lives here, in the layer
// both programs link.

#include <array>
#include <cstddef>
#include <cstdint>

#include "league/roster.h"
#include "league/team_record.h"

namespace qgu::cartridge {

// Every cartridge team has the roster of a team record (league::kPlayerCount players).
inline constexpr int kTeamCount = 28;

inline constexpr size_t kImageBytes = 393'232;
inline constexpr size_t kHeaderBytes = 16;
inline constexpr std::array<uint8_t, kHeaderBytes> kHeader = {
    'N', 'E', 'S', 0x1A, 16, 16, 0x42, 0, 0, 0, 0, 0, 0, 0, 0, 0};

inline constexpr size_t kGameCheckOffset = 0x3C139;
inline constexpr std::array<uint8_t, 7> kGameCheck = {'Z', 'E', 'M', 'R', 'A', 'T', 'H'};

// Pointers into banks 0 and 1 ($8000) and into bank 15 seen at $A000.
inline constexpr uint16_t kPlayerPointerBias = 0x7FF0;   // CPU address = offset + bias
inline constexpr uint32_t kTextPointerBias = 0x14010;    // word = offset - bias

// Team tables: entry of team n at base + n * stride.
struct TeamTable {
  size_t base;
  size_t stride;
  constexpr size_t Of(int team) const { return base + static_cast<size_t>(team) * stride; }
};

inline constexpr TeamTable kPlayerTablePointers{0x10, 2};
inline constexpr TeamTable kPlayerPointers{0x48, 60};
inline constexpr size_t kEndOfEntriesPointer = 0x6D8;  // just past team 27's last entry
inline constexpr size_t kFirstEntry = 0x6DA;
inline constexpr uint8_t kEntriesEnd = 0xFF;
// Game preparation keeps at most this many letters of a first and of a last name.
inline constexpr size_t kMaxPlayerNamePart = 15;
inline constexpr TeamTable kAttributes{0x3010, 117};
inline constexpr TeamTable kPlaybooks{0x1D310, 4};
inline constexpr TeamTable kAbbreviationPointers{0x1FC10, 2};
inline constexpr TeamTable kAbbreviationTexts{0x1FD00, 4};
inline constexpr size_t kAbbreviationLength = 4;
inline constexpr TeamTable kCityPointers{0x1FC50, 2};
inline constexpr TeamTable kNicknamePointers{0x1FC90, 2};
inline constexpr TeamTable kUniformColours{0x2C2E4, 10};
inline constexpr size_t kUniformColourBytes = 6;  // of each record; bytes 6-9 are free
inline constexpr TeamTable kColourCopies{0x342D8, 8};

// Cities run from here to the first nickname; nicknames to the end of bank 15.
inline constexpr size_t kCityTextsStart = 0x1FD7C;
inline constexpr size_t kNicknameTextsStart = 0x1FE77;
inline constexpr size_t kTextBankEnd = 0x20010;

// The only places team data may go; the program image leaves them zero.
struct Area {
  size_t first;
  size_t last;  // inclusive
};
inline constexpr std::array<Area, 5> kTeamDataAreas = {{
    {0x10, 0x3CDB},       // pointer tables, name entries, attributes (banks 0, 1)
    {0x1D310, 0x1D37F},   // playbooks (bank 14)
    {0x1FC10, 0x2000F},   // text pointers and texts (bank 15)
    {0x2C2E4, 0x2C3FB},   // uniform colours (bank 22)
    {0x342D8, 0x343B7},   // colour copy, 8 bytes for each of the 28 teams (bank 26)
}};

// A run of teams whose texts and player entries start at fixed points; the
// next group's fixed points close it. The last group ends at the limits below.
struct TeamGroup {
  int firstTeam;
  int lastTeam;
  size_t cityStart;
  size_t nicknameStart;
  size_t entryStart;
};
inline constexpr std::array<TeamGroup, 6> kTeamGroups = {{
    {0, 6, 0x1FD7C, 0x1FE77, 0x06DA},
    {7, 13, 0x1FDBA, 0x1FEA2, 0x1086},
    {14, 16, 0x1FDF7, 0x1FED4, 0x1A70},
    {17, 19, 0x1FE15, 0x1FEE8, 0x1EB1},
    {20, 24, 0x1FE29, 0x1FEFD, 0x22EB},
    {25, 27, 0x1FE58, 0x1FF1F, 0x29F1},
}};
inline constexpr size_t kLastCityEnd = kNicknameTextsStart;  // team 27's city ends by here
inline constexpr size_t kLastNicknameEnd = kTextBankEnd;

// Formation a cartridge team plays: the single-back set for teams 12, 14 and
// 17, the four-receiver set for teams 7, 20 and 27, the pro set for all others.
constexpr int FormationOfTeam(int team) {
  if (team == 12 || team == 14 || team == 17) return league::kSingleBackSet;
  if (team == 7 || team == 20 || team == 27) return league::kFourReceiverSet;
  return league::kProSet;
}

// One byte of a player's attribute record, named by team record player
// fields: two rating steps (the first in the high nibble), or one field that
// fills the byte (the skin).
inline constexpr int kWholeByte = -1;
struct AttributeByte {
  int highField;
  int lowField;  // kWholeByte: highField is the whole byte
};

struct AttributeRecord {
  std::array<AttributeByte, 5> bytes;
  size_t count;
};

// Every player: running speed/rushing power, maximum power/hitting power,
// skin; then the pairs of his roster group.
constexpr AttributeRecord AttributeRecordOf(league::PositionGroup group) {
  using enum league::PositionGroup;
  using namespace league;
  constexpr AttributeByte kSpeed{kRunningSpeedField, kRushingPowerField};
  constexpr AttributeByte kPower{kMaximumPowerField, kHittingPowerField};
  constexpr AttributeByte kSkin{kSkinField, kWholeByte};
  switch (group) {
    case Quarterback:
      return {{{kSpeed, kPower, kSkin, {kPassingSpeedField, kPassControlField}, {kAccuracyField, kAvoidPassBlockField}}},
              5};
    case BackOrReceiver: return {{{kSpeed, kPower, kSkin, {kBallControlField, kReceptionsField}}}, 4};
    case OffensiveLine: return {{{kSpeed, kPower, kSkin}}, 3};
    case Defence: return {{{kSpeed, kPower, kSkin, {kPassInterceptionField, kQuicknessField}}}, 4};
    case Kicking: return {{{kSpeed, kPower, kSkin, {kKickingAbilityField, kAvoidKickBlockField}}}, 4};
  }
  return {{{kSpeed, kPower, kSkin}}, 3};
}

constexpr size_t AttributeBytes(league::PositionGroup group) { return AttributeRecordOf(group).count; }

// Ratings a player of a roster group has beyond the four every player has.
constexpr size_t ExtraRatingCount(league::PositionGroup group) { return 2 * (AttributeBytes(group) - 3); }

// A team's attribute records fill its entry of the attribute table exactly.
static_assert([] {
  size_t bytes = 0;
  for (int p = 0; p < league::kPlayerCount; ++p) bytes += AttributeBytes(league::GroupOfPosition(p));
  return bytes == kAttributes.stride;
}());

}  // namespace qgu::cartridge
