#pragma once
// A team's strength from its ratings alone, in rating steps (0..15 each
// side of the ball, summed): what a commissioner can work out before a game
// is played. Offence is the mean of the line, the passing game (the
// quarterback's aim and the two wide receivers' hands) and the running
// game (the two first backs); defence the mean of the front three, the four
// linebackers and the four defensive backs, each unit rated as the game's
// rules rate it. The side with the higher figure is the favourite.

#include "league/team_record.h"

namespace qgu::league {

struct TeamStrength {
  double line = 0, passing = 0, rushing = 0;  // offence
  double front = 0, backers = 0, cover = 0;   // defence
  double Offence() const { return (line + passing + rushing) / 3; }
  double Defence() const { return (front + backers + cover) / 3; }
  double Total() const { return Offence() + Defence(); }
};

TeamStrength StrengthOf(const TeamRecord& team);

}  // namespace qgu::league
