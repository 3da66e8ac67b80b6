#include "driver/game_manager.h"

#include <algorithm>

#include "driver/team_injection.h"
#include "league/team_record_file.h"

namespace qgu::driver {

CGameManager::CGameManager(std::span<const uint8_t> embeddedImage, std::unique_ptr<IRandomSource> random)
    : embeddedImage_(cartridge::kImageBytes, 0), random_(std::move(random)) {
  std::copy_n(embeddedImage.begin(), std::min(embeddedImage.size(), cartridge::kImageBytes), embeddedImage_.begin());
  workingImage_ = embeddedImage_;
  if (!random_) random_ = std::make_unique<CSeededRandom>(TimeSeed());
}

CGameManager::~CGameManager() = default;

namespace {

// The team record file, read once, with its formation checked.
league::Result<league::TeamRecord> ReadPlayableTeam(const std::string& path) {
  if (path.empty()) return league::Fail("no team record file was chosen");
  league::Result<league::TeamRecord> team = league::ReadTeamRecordFile(path);
  if (team && !IsFormation(team.value().header.formation)) {
    return league::Fail(path + " has formation " + std::to_string(team.value().header.formation) +
                        "; a team plays 2 (PRO SET), 3 (SINGLE BACK SET) or 4 (4 WR SET)");
  }
  return team;
}

}  // namespace

bool CGameManager::PrepareGame() {
  std::copy(embeddedImage_.begin(), embeddedImage_.end(), workingImage_.begin());
  profiles_ = {};
  draws_ = 0;
  prepareError_.clear();
  for (auto [path, team] : {std::pair{&homePath_, &homeTeam_}, std::pair{&awayPath_, &awayTeam_}}) {
    league::Result<league::TeamRecord> read = ReadPlayableTeam(*path);
    if (!read) {
      prepareError_ = read.error();
      return false;
    }
    *team = std::move(read).value();
  }

  const int homeFormation = homeTeam_.header.formation;
  const int awayFormation = awayTeam_.header.formation;
  InjectTeam(workingImage_, homeTeam_, SlotFor(homeFormation, false), profiles_[kHomeProfile]);
  InjectTeam(workingImage_, awayTeam_, SlotFor(awayFormation, awayFormation == homeFormation), profiles_[kAwayProfile]);
  formationPairValue_ = static_cast<int16_t>(10 * homeFormation + awayFormation);
  if (helmetPresenter_) helmetPresenter_(HelmetPathFor(homePath_), HelmetPathFor(awayPath_));
  return true;
}

namespace {

class CCountedRandom final : public IRandomSource {
 public:
  CCountedRandom(IRandomSource& random, uint32_t& draws) : random_(random), draws_(draws) {}
  uint32_t Next() override {
    ++draws_;
    return random_.Next();
  }

 private:
  IRandomSource& random_;
  uint32_t& draws_;
};

}  // namespace

void CGameManager::CallPlays(int possessionSide, IConsoleMemory& memory) {
  CCountedRandom counted(*random_, draws_);
  driver::CallPlays(possessionSide, PlayCallingSides{{p1Control_, p2Control_}, profiles_}, memory, counted);
}

PlayCallingState CGameManager::PlayCalling() const {
  PlayCallingState state;
  state.draws = draws_;
  for (size_t side = 0; side < profiles_.size(); ++side) {
    state.playCounts[side] = profiles_[side].playCounts;
    state.playTotal[side] = profiles_[side].playTotal;
  }
  return state;
}

void CGameManager::ResumePlayCalling(const PlayCallingState& state) {
  for (; draws_ < state.draws; ++draws_) random_->Next();
  for (size_t side = 0; side < profiles_.size(); ++side) {
    profiles_[side].playCounts = state.playCounts[side];
    profiles_[side].playTotal = state.playTotal[side];
  }
}

std::string HelmetPathFor(const std::string& recordPath) {
  return recordPath.substr(0, recordPath.size() - std::min<size_t>(3, recordPath.size())) + "bmp";
}

}  // namespace qgu::driver
