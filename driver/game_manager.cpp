#include "driver/game_manager.h"

#include <algorithm>

#include "driver/team_injection.h"

namespace qgu::driver {

CGameManager::CGameManager(std::span<const uint8_t> embeddedImage, std::unique_ptr<IRandomSource> random)
    : embeddedImage_(cartridge::kImageBytes, 0), random_(std::move(random)) {
  std::copy_n(embeddedImage.begin(), std::min(embeddedImage.size(), cartridge::kImageBytes), embeddedImage_.begin());
  workingImage_ = embeddedImage_;
  if (!random_) random_ = std::make_unique<CSeededRandom>(TimeSeed());
}

CGameManager::~CGameManager() = default;

bool CGameManager::InjectTeam(const std::string& path, const TeamSlot& slot) {
  return driver::InjectTeam(workingImage_, path, slot, profiles_[static_cast<size_t>(profileIndex_)]) ==
         InjectResult::kDone;
}

bool CGameManager::PrepareGame() {
  std::copy(embeddedImage_.begin(), embeddedImage_.end(), workingImage_.begin());

  int homeFormation = 0;
  int awayFormation = 0;
  if (!homePath_.empty() && !awayPath_.empty()) {
    homeFormation = ReadFormation(homePath_);
    awayFormation = ReadFormation(awayPath_);
  }

  profiles_ = {};
  profileIndex_ = kHomeProfile;
  if (!IsFormation(homeFormation)) return false;
  const bool homeInjected = InjectTeam(homePath_, SlotFor(homeFormation, false));
  profileIndex_ = kAwayProfile;
  if (!homeInjected) return false;

  if (!IsFormation(awayFormation)) return false;
  if (!InjectTeam(awayPath_, SlotFor(awayFormation, awayFormation == homeFormation))) return false;

  formationPairValue_ = static_cast<int16_t>(10 * homeFormation + awayFormation);
  if (helmetPresenter_) helmetPresenter_(HelmetPathFor(homePath_), HelmetPathFor(awayPath_));
  return true;
}

void CGameManager::CallPlays(int possessionSide, IConsoleMemory& memory) {
  driver::CallPlays(possessionSide, PlayCallingSides{{p1Control_, p2Control_}, profiles_}, memory, *random_);
}

std::string HelmetPathFor(const std::string& recordPath) {
  return recordPath.substr(0, recordPath.size() - std::min<size_t>(3, recordPath.size())) + "bmp";
}

}  // namespace qgu::driver
