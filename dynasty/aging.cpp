#include "dynasty/aging.h"

#include <algorithm>

namespace qgu::dynasty {

int CurveAge(int age, Kind kind) { return kind == Kind::kK || kind == Kind::kP ? age - 4 : age; }

double DevelopmentDrift(int age, Kind kind) {
  const int at = std::clamp(age - kFirstCurveAge, 0, static_cast<int>(kDriftByAge.size()) - 1);
  const double drift = kDriftByAge[static_cast<size_t>(at)];
  return kind == Kind::kK || kind == Kind::kP ? drift / 2 : drift;
}

int RetirementChance(int age, Kind kind, double fell, double overall) {
  const int curve = CurveAge(age, kind);
  const int at = std::clamp(curve - kFirstRetirementAge, 0, static_cast<int>(kRetirementByAge.size()) - 1);
  int chance = kRetirementByAge[static_cast<size_t>(at)];
  if (fell >= 1.0 && curve >= 30) chance += 150;
  if (overall < 3.5) chance += 300;
  return std::min(chance, 950);
}

}  // namespace qgu::dynasty
