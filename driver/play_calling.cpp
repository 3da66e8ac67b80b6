#include "driver/play_calling.h"

#include <utility>

#include "driver/cartridge_memory.h"

namespace qgu::driver {

void PlayCallingProfile::SetFromHeader(const league::TeamHeader& header) {
  using namespace league;
  const std::pair<TeamField, int16_t PlayCallingProfile::*> fields[] = {
      {kAdaptiveDefenceField, &PlayCallingProfile::adaptive},
      {kJailbreakDefenceField, &PlayCallingProfile::jailbreak},
      {kJailbreakPassDefenceField, &PlayCallingProfile::jailbreakPass},
      {kJailbreakRunDefenceField, &PlayCallingProfile::jailbreakRun},
      {kQuoziDefenceField, &PlayCallingProfile::plainDefence},
      {kRatioEnabledField, &PlayCallingProfile::offenseEnabled},
      {kPassPercentField, &PlayCallingProfile::pass},
      {kRunPercentField, &PlayCallingProfile::run},
  };
  for (const auto& [field, member] : fields) {
    if (header.Has(field)) this->*member = static_cast<int16_t>(header.*TeamNumberFields[static_cast<size_t>(field)]);
  }
}

namespace {

struct Side {
  bool com;
  PlayCallingProfile& profile;
  uint16_t playByte;
};

void CallOffense(const Side& offense, const Side& defense, IConsoleMemory& memory, IRandomSource& random) {
  if (!offense.com || offense.profile.offenseEnabled == 0) return;
  if (memory.Read(offense.playByte) >= cartmem::kPlayCount) return;

  const int slot = RandomBelow(random, 4);
  const int roll = RandomBelow(random, 100);
  int play = roll < offense.profile.pass ? cartmem::kFirstPassPlay + slot : slot;
  // A human defence that already guessed this play gets a fair chance to be wrong.
  if (!defense.com && memory.Read(defense.playByte) == play && RandomBelow(random, 100) < 50) {
    play = (play + 1) % cartmem::kPlayCount;
  }
  memory.Write(offense.playByte, static_cast<uint8_t>(play));
}

// The offence's most likely play by its history so far; -1 when it has none.
int GuessFromHistory(const Side& offense, int roll) {
  const PlayCallingProfile& history = offense.profile;
  if (!offense.com || history.playTotal == 0) return -1;
  int sum = 0;
  for (int play = 0; play < cartmem::kPlayCount; ++play) {
    sum = static_cast<int>(static_cast<double>(history.playCounts[play]) / history.playTotal * 100.0 + sum);
    if (roll < sum) return play;
  }
  return -1;
}

void CallDefense(const Side& offense, const Side& defense, uint8_t offensePlay, IConsoleMemory& memory,
                 IRandomSource& random) {
  if (!defense.com) return;
  const PlayCallingProfile& profile = defense.profile;
  const int roll = RandomBelow(random, 100);
  int guess = -1;
  if (roll < profile.adaptive) {
    guess = GuessFromHistory(offense, RandomBelow(random, 100));
  } else if (roll < profile.adaptive + profile.jailbreak) {
    const int read = RandomBelow(random, 100);
    const bool isPass = offensePlay >= cartmem::kFirstPassPlay && offensePlay < cartmem::kPlayCount;
    const bool isRun = offensePlay < cartmem::kFirstPassPlay;
    if ((isPass && read < profile.jailbreakPass) || (isRun && read < profile.jailbreakRun)) guess = offensePlay;
  } else {
    guess = RandomBelow(random, cartmem::kPlayCount);
  }
  if (guess >= 0) memory.Write(defense.playByte, static_cast<uint8_t>(guess));
}

}  // namespace

void CallPlays(int possessionSide, PlayCallingSides sides, IConsoleMemory& memory, IRandomSource& random) {
  const bool homeCom = sides.controls[0] == kControlCom;
  const bool awayCom = sides.controls[1] == kControlCom;
  if (possessionSide == kPossessionUnknown || (!homeCom && !awayCom)) return;

  const Side home{homeCom, sides.profiles[0], cartmem::kHomePlay};
  const Side away{awayCom, sides.profiles[1], cartmem::kAwayPlay};
  const Side& offense = possessionSide != kAwayOnOffense ? home : away;
  const Side& defense = possessionSide != kAwayOnOffense ? away : home;

  CallOffense(offense, defense, memory, random);
  const uint8_t offensePlay = memory.Read(offense.playByte);
  CallDefense(offense, defense, offensePlay, memory, random);

  if (offense.com && offensePlay < cartmem::kPlayCount) {
    ++offense.profile.playCounts[offensePlay];
    ++offense.profile.playTotal;
  }
}

}  // namespace qgu::driver
