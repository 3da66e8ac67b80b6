#include "tests/cartridge/game/cartridge_session.h"

#include "cartridge/builder/embedded_image.h"
#include "core/controller_ports.h"
#include "league/cartridge_layout.h"

namespace qgu::cartridge::testing {

namespace {

constexpr int kBootPoll = 3;      // 50 ms
constexpr int kGamePoll = 30;     // 500 ms
constexpr int kPressGap = 23;     // 375 ms
constexpr int kAfterPress = 90;   // 1500 ms
constexpr int kControlWait = 45;  // 750 ms
constexpr int kSelectPress = 15;  // 250 ms
constexpr int kStageLimit = 3000;

int FromBcd(uint8_t value) { return (value >> 4) * 10 + (value & 15); }

}  // namespace

CursorPlan CursorPlanFor(int formationPair) {
  switch (formationPair) {
    case 22: return {false, 0, 0, true, 6, 2};
    case 23: return {false, 0, 0, true, 5, 0};
    case 24: return {false, 0, 0, true, 2, 1};
    case 32: return {true, 5, 0, true, 0, 0};
    case 33: return {true, 5, 0, true, 8, 0};
    case 34: return {true, 5, 0, true, 2, 1};
    case 42: return {true, 2, 1, true, 0, 0};
    case 43: return {true, 2, 1, true, 5, 0};
    case 44: return {true, 2, 1, true, 6, 1};
    default: return {false, 0, 0, false, 0, 0};
  }
}

CartridgeSession::CartridgeSession(std::span<const uint8_t> image) : image_(image.begin(), image.end()) {
  machine_ = std::make_unique<core::CMachine>(image_);
}

void CartridgeSession::RunFrames(int frames) {
  for (int i = 0; i < frames; ++i) RunOneFrame(false);
}

void CartridgeSession::PressA() { RunOneFrame(true); }

void CartridgeSession::RunOneFrame(bool pressA) {
  machine_->ControllerPorts().Sync(pressA);
  machine_->RunFrame(false);
  ++frame_;
  if (frameHook_) frameHook_();
}

void CartridgeSession::Hold(int pad, uint16_t hostButtons) { machine_->ControllerPorts().SetHostButtons(pad, hostButtons); }

bool CartridgeSession::RunUntil(const std::function<bool()>& done, int maxFrames, int pollFrames) {
  const int limit = frame_ + maxFrames;
  while (!done()) {
    if (frame_ >= limit) return false;
    RunFrames(pollFrames);
  }
  return true;
}

CartridgeSession::BootResult CartridgeSession::Boot(int formationPair, uint8_t controlByte, int firstPressDelay,
                                                    int quarterMinutes) {
  using namespace cartmem;
  BootResult result;
  const auto marker = [this](uint16_t address, uint8_t ready) { return [=, this] { return Peek(address) == ready; }; };
  const auto stage = [&](const char* name, const std::function<bool()>& done) {
    if (!RunUntil(done, kStageLimit, kBootPoll)) result.failedStage = name;
    else result.stageFrames.push_back(frame_);
    return result.failedStage.empty();
  };
  const auto press = [this](int before, int after) {
    RunFrames(before);
    PressA();
    RunFrames(after);
  };
  const auto place = [this](bool move, int x, int y) {
    if (!move) return;
    Poke(kCursorX, static_cast<uint8_t>(x));
    Poke(kCursorY, static_cast<uint8_t>(y));
  };
  if (!stage("title", marker(kTitleMarker, kTitleReady))) return result;
  press(firstPressDelay, kAfterPress);
  if (!stage("second title", [&] {
        return Peek(kSecondTitleMarkerA) == kSecondTitleReadyA || Peek(kSecondTitleMarkerB) == kSecondTitleReadyB;
      })) {
    return result;
  }
  press(kPressGap, kAfterPress);
  if (!stage("main menu", marker(kMainMenuMarker, kMainMenuReady))) return result;
  press(kPressGap, kAfterPress);
  if (!stage("control", marker(kControlScreenMarker, kControlScreenReady))) return result;
  press(0, kControlWait);
  if (!stage("team select", marker(kTeamSelectMarker, kTeamSelectReady))) return result;
  RunFrames(kControlWait);
  const CursorPlan plan = CursorPlanFor(formationPair);
  place(plan.moveFirst, plan.firstX, plan.firstY);
  press(0, kSelectPress);
  place(plan.moveSecond, plan.secondX, plan.secondY);
  press(0, kSelectPress);
  Poke(kControlByte, controlByte);
  Poke(kClockMinutes, static_cast<uint8_t>(((quarterMinutes / 10) << 4) | (quarterMinutes % 10)));
  result.ok = stage("kickoff", [&] { return Peek(kHomeState) == kStateGameStarted || Peek(kAwayState) == kStateGameStarted; });
  return result;
}

CartridgeSession::GameResult CartridgeSession::PlayGame(
    int quarterMinutes, int maxFrames, const std::function<void(CartridgeSession&, int)>& onBothChosen) {
  using namespace cartmem;
  GameResult result;
  const int start = frame_;
  const uint8_t length = static_cast<uint8_t>(((quarterMinutes / 10) << 4) | (quarterMinutes % 10));
  int possession = -1;
  bool callArmed = false;
  bool clockArmed = true;
  while (frame_ - start < maxFrames) {
    const uint8_t h = Peek(kHomeState);
    const uint8_t a = Peek(kAwayState);
    // The side that kicks off hands the ball to the other.
    if (a == kStateKicking || (h == kStateOffenseChoosing && a == kStateDefenseChoosing) ||
        (h == kStateOffenseRunning && a == kStateDefenseRunning)) {
      possession = 0;
    } else if (h == kStateKicking || (h == kStateDefenseChoosing && a == kStateOffenseChoosing) ||
               (h == kStateDefenseRunning && a == kStateOffenseRunning)) {
      possession = 1;
    }
    if (Peek(kHomePlay) == kNoPlayChosen || Peek(kAwayPlay) == kNoPlayChosen) {
      callArmed = true;
    } else if (callArmed) {
      callArmed = false;
      ++result.plays;
      if (onBothChosen && possession >= 0) onBothChosen(*this, possession);
    }
    if (length != kCartridgeQuarterMinutes) {
      if (Peek(kClockMinutes) == kCartridgeQuarterMinutes && clockArmed) {
        Poke(kClockMinutes, length);
        clockArmed = false;
      }
      if (Peek(kClockMinutes) < kCartridgeQuarterMinutes) clockArmed = true;
    }
    if (OnFinalScreen()) {
      result.finished = true;
      break;
    }
    RunFrames(kGamePoll);
  }
  result.frames = frame_ - start;
  return result;
}

int CartridgeSession::Score(int side) const {
  const uint16_t base = side == 0 ? cartmem::kHomePeriodScores : cartmem::kAwayPeriodScores;
  int total = 0;
  for (int period = 0; period < cartmem::kPeriodScoreBytes; ++period) {
    total += FromBcd(Peek(static_cast<uint16_t>(base + period)));
  }
  return total;
}

std::vector<uint8_t> CartridgeSession::StatsBlock(int side) const {
  const uint16_t base = side == 0 ? cartmem::kHomeStatsBlock : cartmem::kAwayStatsBlock;
  std::vector<uint8_t> block(cartmem::kStatsBlockBytes);
  for (uint16_t i = 0; i < block.size(); ++i) block[i] = Peek(static_cast<uint16_t>(base + i));
  return block;
}

std::vector<uint8_t> LoadCartridgeImage() {
  const auto image = EmbeddedCartridgeImage();
  return std::vector<uint8_t>(image.begin(), image.end());
}

void SetAllRatings(std::vector<uint8_t>& image, int team, int level) {
  const uint8_t both = static_cast<uint8_t>((level << 4) | level);
  size_t at = kAttributes.Of(team);
  for (int player = 0; player < league::kPlayerCount; ++player) {
    const AttributeRecord record = AttributeRecordOf(league::GroupOfPosition(player));
    for (size_t i = 0; i < record.count; ++i) {
      if (record.bytes[i].lowField != kWholeByte) image[at + i] = both;  // rating pairs; the skin stays
    }
    at += record.count;
  }
}

}  // namespace qgu::cartridge::testing
