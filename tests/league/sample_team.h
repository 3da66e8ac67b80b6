#pragma once
// An invented team with every field set, for record tests.

#include <string>
#include <string_view>

#include "league/team_record.h"

namespace qgu::testing {

inline league::TeamRecord SampleTeam() {
  league::TeamRecord team;
  league::TeamHeader& h = team.header;
  h.city = "MAPLEDALE";
  h.nickname = "OTTERS";
  h.abbreviation = "MPD";
  h.primaryPantsColour = 0x30;
  h.primarySkinColour = 0x06;
  h.primaryJerseyColour = 0x12;
  h.secondaryPantsColour = 0x2A;
  h.secondarySkinColour = 0x16;
  h.secondaryJerseyColour = 0x0F;
  h.runPlays12 = 0x11;
  h.runPlays34 = 0x24;
  h.passPlays12 = 0x27;
  h.passPlays34 = 0x62;
  h.formation = league::kSingleBackSet;
  h.kickReturner = 6;
  h.puntReturner = 9;
  h.adaptiveDefence = 20;
  h.jailbreakDefence = 30;
  h.jailbreakPassDefence = 70;
  h.jailbreakRunDefence = 40;
  h.quoziDefence = 50;
  h.ratioEnabled = 1;
  h.passPercent = 65;
  h.runPercent = 35;
  static const char* const kFirst[] = {"ivo", "tam", "orrin", "bex", "cal", "demo"};
  static const char* const kLast[] = {"TRASKEL", "VONNIBAR", "QUELL", "ASHMOOR", "PERRIWICK"};
  for (int i = 0; i < league::kPlayerCount; ++i) {
    league::PlayerRecord& p = team.players[static_cast<size_t>(i)];
    p.jersey = league::PackJersey(i * 3 + 1);
    p.firstName = kFirst[i % 6];
    p.lastName = kLast[i % 5];
    p.runningSpeed = i % 16;
    p.rushingPower = (i + 3) % 16;
    p.maximumPower = (i + 5) % 16;
    p.hittingPower = (i + 7) % 16;
    p.skin = i % 2 ? 0x80 : 0;
    if (i < 2) {
      p.passingSpeed = 9;
      p.passControl = 10;
      p.accuracy = 11;
      p.avoidPassBlock = 4;
    } else if (i < 12) {
      p.ballControl = 12;
      p.receptions = 13;
    } else if (i >= 17 && i < 28) {
      p.passInterception = 2;
      p.quickness = 14;
    } else if (i >= 28) {
      p.kickingAbility = 15;
      p.avoidKickBlock = 1;
    }
  }
  return team;
}

inline std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

}  // namespace qgu::testing
