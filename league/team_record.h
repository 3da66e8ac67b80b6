#pragma once
// One team of a league as held in its team record file: the team line (24
// fields: names, uniform colours, playbook, formation, returners, defence and
// offence percentages) and 30 player lines of 18 fields in roster order.
//
// File layout, shared with every copy of the Windows program:
//   - every field is followed by the byte 0x01, the last one included;
//   - numbers are signed decimal ("%ld"), texts are written as they are;
//   - writers end each line with 0x0D 0x0D 0x0A; readers accept LF, CR LF and CR CR LF;
//   - text after a line's last 0x01 is ignored, as are fields past the 24th / 18th.
// A team line with fewer fields leaves the later ones at the defaults below.
// The cartridge import writes only the first 16 team fields.

#include <array>
#include <string>

#include "league/roster.h"

namespace qgu::league {

// Team line fields by number.
enum TeamField : int {
  kCityField,
  kNicknameField,
  kAbbreviationField,
  kPrimaryPantsColourField,
  kPrimarySkinColourField,
  kPrimaryJerseyColourField,
  kSecondaryPantsColourField,
  kSecondarySkinColourField,
  kSecondaryJerseyColourField,
  kRunPlays12Field,
  kRunPlays34Field,
  kPassPlays12Field,
  kPassPlays34Field,
  kFormationField,
  kKickReturnerField,
  kPuntReturnerField,
  kAdaptiveDefenceField,
  kJailbreakDefenceField,
  kJailbreakPassDefenceField,
  kJailbreakRunDefenceField,
  kQuoziDefenceField,
  kRatioEnabledField,
  kPassPercentField,
  kRunPercentField,
  kTeamFieldCount
};

// Player line fields by number.
enum PlayerField : int {
  kJerseyField,
  kFirstNameField,
  kLastNameField,
  kRunningSpeedField,
  kRushingPowerField,
  kMaximumPowerField,
  kHittingPowerField,
  kSkinField,
  kPassingSpeedField,
  kPassControlField,
  kAccuracyField,
  kBallControlField,
  kReceptionsField,
  kPassInterceptionField,
  kQuicknessField,
  kKickingAbilityField,
  kAvoidKickBlockField,
  kAvoidPassBlockField,
  kPlayerFieldCount
};

inline constexpr int kImportTeamFieldCount = kPuntReturnerField + 1;  // 16
inline constexpr int kTeamTextFieldCount = kAbbreviationField + 1;     // city, nickname, abbreviation

// The in-memory text buffers of both programs hold 63 characters and a zero.
inline constexpr size_t kMaxTextFieldLength = 63;
// Lines are read into 1024-byte buffers.
inline constexpr size_t kMaxLineLength = 1023;
// What the editors let a city, nickname or player name grow to.
inline constexpr size_t kMaxNameLength = 16;

inline constexpr int kProSet = 2;
inline constexpr int kSingleBackSet = 3;
inline constexpr int kFourReceiverSet = 4;

// Team line, field numbers in the comments.
struct TeamHeader {
  std::string city;          // 0, upper case
  std::string nickname;      // 1, upper case
  std::string abbreviation;  // 2
  // NES palette indexes 0..63; skins are 0x16 light, 0x06 medium, 0x0F dark.
  int primaryPantsColour = 0;     // 3, pants and helmet
  int primarySkinColour = 0;      // 4
  int primaryJerseyColour = 0;    // 5
  int secondaryPantsColour = 0;   // 6
  int secondarySkinColour = 0;    // 7
  int secondaryJerseyColour = 0;  // 8
  // Playbook: play of the first slot x 16 + play of the second slot, each 0..7.
  int runPlays12 = 0;   // 9
  int runPlays34 = 0;   // 10
  int passPlays12 = 0;  // 11
  int passPlays34 = 0;  // 12
  int formation = kProSet;         // 13: 2, 3 or 4
  int kickReturner = 4;            // 14: player index
  int puntReturner = 4;            // 15: player index
  int adaptiveDefence = 0;         // 16 "Adaptive D %"
  int jailbreakDefence = 0;        // 17 "Jailbreak D %"
  int jailbreakPassDefence = 100;  // 18 "Jailbreak Pass D %"
  int jailbreakRunDefence = 100;   // 19 "Jailbreak Run D %"
  int quoziDefence = 100;          // 20 "Quozi D %"
  int ratioEnabled = 0;            // 21 "Enabled": 0 or 1 (any non-zero reads as 1)
  int passPercent = 50;            // 22 "Pass %"
  int runPercent = 50;             // 23 "Run %"

  // How many team fields the file's line held (at most 24); records built in
  // memory count as complete.
  int fieldCount = kTeamFieldCount;
  // Whether the file's line held this field (else it has its default).
  bool Has(TeamField field) const { return field < fieldCount; }

  bool operator==(const TeamHeader&) const = default;
};

// Player line, field numbers in the comments. Ratings are steps 0..15.
struct PlayerRecord {
  int jersey = 0;  // 0: packed decimal, jersey 12 is stored as 18 (0x12)
  std::string firstName;  // 1: lower case
  std::string lastName;   // 2: upper case
  int runningSpeed = 0;      // 3 "Running Speed:"
  int rushingPower = 0;      // 4 "Rushing Power:"
  int maximumPower = 0;      // 5 "Maximum Power:"
  int hittingPower = 0;      // 6 "Hitting Power:"
  int skin = 0;              // 7: 0x80 or more shows "Black", less "White"
  int passingSpeed = 0;      // 8 "Passing Speed:" (quarterbacks)
  int passControl = 0;       // 9 "Pass Control:" (quarterbacks)
  int accuracy = 0;          // 10 "Accuracy:" (quarterbacks)
  int ballControl = 0;       // 11 "Ball Control:" (backs and receivers)
  int receptions = 0;        // 12 "Receptions:" (backs and receivers)
  int passInterception = 0;  // 13 "Pass Interception:" (defence)
  int quickness = 0;         // 14 "Quickness:" (defence)
  int kickingAbility = 0;    // 15 "Kicking Ability:" (kicker and punter)
  int avoidKickBlock = 0;    // 16 "Avoid Kick Block:" (kicker and punter)
  int avoidPassBlock = 0;    // 17 "Avoid Pass Block:" (quarterbacks)

  bool operator==(const PlayerRecord&) const = default;
};

struct TeamRecord {
  TeamHeader header;
  std::array<PlayerRecord, kPlayerCount> players{};

  bool operator==(const TeamRecord&) const = default;
};

// Numeric fields by field number; nullptr marks the text fields.
inline constexpr std::array<int TeamHeader::*, kTeamFieldCount> TeamNumberFields = {
    nullptr,
    nullptr,
    nullptr,
    &TeamHeader::primaryPantsColour,
    &TeamHeader::primarySkinColour,
    &TeamHeader::primaryJerseyColour,
    &TeamHeader::secondaryPantsColour,
    &TeamHeader::secondarySkinColour,
    &TeamHeader::secondaryJerseyColour,
    &TeamHeader::runPlays12,
    &TeamHeader::runPlays34,
    &TeamHeader::passPlays12,
    &TeamHeader::passPlays34,
    &TeamHeader::formation,
    &TeamHeader::kickReturner,
    &TeamHeader::puntReturner,
    &TeamHeader::adaptiveDefence,
    &TeamHeader::jailbreakDefence,
    &TeamHeader::jailbreakPassDefence,
    &TeamHeader::jailbreakRunDefence,
    &TeamHeader::quoziDefence,
    &TeamHeader::ratioEnabled,
    &TeamHeader::passPercent,
    &TeamHeader::runPercent,
};

inline constexpr std::array<std::string TeamHeader::*, kTeamTextFieldCount> TeamTextFields = {
    &TeamHeader::city, &TeamHeader::nickname, &TeamHeader::abbreviation};

inline constexpr std::array<int PlayerRecord::*, kPlayerFieldCount> PlayerNumberFields = {
    &PlayerRecord::jersey,
    nullptr,
    nullptr,
    &PlayerRecord::runningSpeed,
    &PlayerRecord::rushingPower,
    &PlayerRecord::maximumPower,
    &PlayerRecord::hittingPower,
    &PlayerRecord::skin,
    &PlayerRecord::passingSpeed,
    &PlayerRecord::passControl,
    &PlayerRecord::accuracy,
    &PlayerRecord::ballControl,
    &PlayerRecord::receptions,
    &PlayerRecord::passInterception,
    &PlayerRecord::quickness,
    &PlayerRecord::kickingAbility,
    &PlayerRecord::avoidKickBlock,
    &PlayerRecord::avoidPassBlock,
};

inline constexpr int kDarkSkinThreshold = 0x80;

// "city nickname", as every team list shows a team.
inline std::string TeamDisplayName(const TeamHeader& header) {
  return header.city + " " + header.nickname;
}

}  // namespace qgu::league
