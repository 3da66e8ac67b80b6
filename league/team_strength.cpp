#include "league/team_strength.h"

#include <initializer_list>

#include "league/roster.h"

namespace qgu::league {
namespace {

using Rating = int PlayerRecord::*;

// Mean over players first..first+count-1 of the mean of the given ratings.
double UnitMean(const TeamRecord& team, int first, int count, std::initializer_list<Rating> ratings) {
  double sum = 0;
  for (int p = first; p < first + count; ++p) {
    for (Rating r : ratings) sum += team.players[p].*r;
  }
  return sum / (count * static_cast<double>(ratings.size()));
}

}  // namespace

TeamStrength StrengthOf(const TeamRecord& team) {
  const PlayerRecord& qb = team.players[0];
  TeamStrength s;
  s.line = UnitMean(team, 12, 5, {&PlayerRecord::maximumPower, &PlayerRecord::hittingPower,
                                  &PlayerRecord::maximumPower});
  const double aim = (qb.accuracy + qb.passControl) / 2.0;
  const double hands = UnitMean(team, 6, 2, {&PlayerRecord::receptions, &PlayerRecord::receptions,
                                             &PlayerRecord::runningSpeed});
  s.passing = (aim + hands) / 2;
  s.rushing = UnitMean(team, 2, 2, {&PlayerRecord::runningSpeed, &PlayerRecord::rushingPower});
  s.front = UnitMean(team, 17, 3, {&PlayerRecord::hittingPower, &PlayerRecord::runningSpeed,
                                   &PlayerRecord::maximumPower});
  s.backers = UnitMean(team, 20, 4, {&PlayerRecord::hittingPower, &PlayerRecord::runningSpeed,
                                     &PlayerRecord::quickness});
  s.cover = UnitMean(team, 24, 4, {&PlayerRecord::runningSpeed, &PlayerRecord::quickness,
                                   &PlayerRecord::passInterception});
  return s;
}

}  // namespace qgu::league
