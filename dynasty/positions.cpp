#include "dynasty/positions.h"

namespace qgu::dynasty {
namespace {

using league::PlayerRecord;

constexpr Rating kQuarterback[] = {&PlayerRecord::runningSpeed, &PlayerRecord::rushingPower,
                                   &PlayerRecord::maximumPower, &PlayerRecord::hittingPower,
                                   &PlayerRecord::passingSpeed, &PlayerRecord::passControl,
                                   &PlayerRecord::accuracy,     &PlayerRecord::avoidPassBlock};
constexpr Rating kBack[] = {&PlayerRecord::runningSpeed, &PlayerRecord::rushingPower, &PlayerRecord::maximumPower,
                            &PlayerRecord::hittingPower, &PlayerRecord::ballControl,  &PlayerRecord::receptions};
constexpr Rating kLine[] = {&PlayerRecord::runningSpeed, &PlayerRecord::rushingPower, &PlayerRecord::maximumPower,
                            &PlayerRecord::hittingPower};
constexpr Rating kDefender[] = {&PlayerRecord::runningSpeed, &PlayerRecord::rushingPower,
                                &PlayerRecord::maximumPower, &PlayerRecord::hittingPower,
                                &PlayerRecord::passInterception, &PlayerRecord::quickness};
constexpr Rating kKicking[] = {&PlayerRecord::runningSpeed, &PlayerRecord::rushingPower, &PlayerRecord::maximumPower,
                               &PlayerRecord::hittingPower, &PlayerRecord::kickingAbility,
                               &PlayerRecord::avoidKickBlock};

constexpr Rating kPasserKeys[] = {&PlayerRecord::passingSpeed, &PlayerRecord::passControl, &PlayerRecord::accuracy,
                                  &PlayerRecord::avoidPassBlock};
constexpr Rating kRunnerKeys[] = {&PlayerRecord::runningSpeed, &PlayerRecord::rushingPower,
                                  &PlayerRecord::ballControl, &PlayerRecord::receptions};
constexpr Rating kCatcherKeys[] = {&PlayerRecord::runningSpeed, &PlayerRecord::receptions,
                                   &PlayerRecord::ballControl};
constexpr Rating kBlockerKeys[] = {&PlayerRecord::maximumPower, &PlayerRecord::hittingPower};
constexpr Rating kRusherKeys[] = {&PlayerRecord::hittingPower, &PlayerRecord::runningSpeed,
                                  &PlayerRecord::maximumPower};
constexpr Rating kBackerKeys[] = {&PlayerRecord::hittingPower, &PlayerRecord::runningSpeed, &PlayerRecord::quickness};
constexpr Rating kCoverKeys[] = {&PlayerRecord::runningSpeed, &PlayerRecord::quickness,
                                 &PlayerRecord::passInterception};
constexpr Rating kKickerKeys[] = {&PlayerRecord::kickingAbility, &PlayerRecord::avoidKickBlock};

}  // namespace

const KindInfo& InfoOf(Kind kind) { return kKinds[static_cast<size_t>(kind)]; }

Kind KindOfSlot(int slot) {
  for (const KindInfo& info : kKinds) {
    if (slot >= info.firstSlot && slot <= info.lastSlot) return info.kind;
  }
  return Kind::kP;
}

std::span<const Rating> RatingsOf(Kind kind) {
  switch (kind) {
    case Kind::kQB: return kQuarterback;
    case Kind::kRB:
    case Kind::kWR:
    case Kind::kTE: return kBack;
    case Kind::kOL: return kLine;
    case Kind::kDL:
    case Kind::kLB:
    case Kind::kCB:
    case Kind::kS: return kDefender;
    case Kind::kK:
    case Kind::kP: return kKicking;
  }
  return kLine;
}

std::span<const Rating> KeyRatingsOf(Kind kind) {
  switch (kind) {
    case Kind::kQB: return kPasserKeys;
    case Kind::kRB: return kRunnerKeys;
    case Kind::kWR:
    case Kind::kTE: return kCatcherKeys;
    case Kind::kOL: return kBlockerKeys;
    case Kind::kDL: return kRusherKeys;
    case Kind::kLB: return kBackerKeys;
    case Kind::kCB:
    case Kind::kS: return kCoverKeys;
    case Kind::kK:
    case Kind::kP: return kKickerKeys;
  }
  return kBlockerKeys;
}

double Overall(const league::PlayerRecord& player, Kind kind) {
  const std::span<const Rating> keys = KeyRatingsOf(kind);
  double sum = 0;
  for (Rating r : keys) sum += player.*r;
  return sum / static_cast<double>(keys.size());
}

}  // namespace qgu::dynasty
