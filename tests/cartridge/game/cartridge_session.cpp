#include "tests/cartridge/game/cartridge_session.h"

#include "cartridge/builder/embedded_image.h"
#include "core/controller_ports.h"

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
  for (int i = 0; i < frames; ++i) {
    machine_->ControllerPorts().Sync(false);
    machine_->RunFrame(draw_);
    ++frame_;
    if (frameHook_) frameHook_();
  }
}

void CartridgeSession::PressA() {
  machine_->ControllerPorts().Sync(true);
  machine_->RunFrame(draw_);
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

CartridgeSession::BootResult CartridgeSession::Boot(int formationPair, uint8_t controlByte, int firstPressDelay) {
  BootResult result;
  auto stage = [&](const char* name, const std::function<bool()>& done) {
    if (!RunUntil(done, kStageLimit, kBootPoll)) {
      result.failedStage = name;
      return false;
    }
    result.stageFrames.push_back(frame_);
    return true;
  };
  using namespace address;
  if (!stage("title", [&] { return Peek(kTitleMarker) == 0x16; })) return result;
  RunFrames(firstPressDelay);
  PressA();
  RunFrames(kAfterPress);
  if (!stage("second title", [&] { return Peek(kTitle2MarkerA) == 0x31 || Peek(kTitle2MarkerB) == 0x39; })) {
    return result;
  }
  RunFrames(kPressGap);
  PressA();
  RunFrames(kAfterPress);
  if (!stage("main menu", [&] { return Peek(kMenuMarker) == 0x50; })) return result;
  RunFrames(kPressGap);
  PressA();
  RunFrames(kAfterPress);
  if (!stage("control", [&] { return Peek(kControlMarker) == 0x27; })) return result;
  PressA();
  RunFrames(kControlWait);
  if (!stage("team select", [&] { return Peek(kTeamsMarker) == 0x14; })) return result;
  RunFrames(kControlWait);
  const CursorPlan plan = CursorPlanFor(formationPair);
  if (plan.moveFirst) {
    Poke(kCursorX, static_cast<uint8_t>(plan.firstX));
    Poke(kCursorY, static_cast<uint8_t>(plan.firstY));
  }
  PressA();
  RunFrames(kSelectPress);
  if (plan.moveSecond) {
    Poke(kCursorX, static_cast<uint8_t>(plan.secondX));
    Poke(kCursorY, static_cast<uint8_t>(plan.secondY));
  }
  PressA();
  RunFrames(kSelectPress);
  Poke(kControlByte, controlByte);
  if (!stage("kickoff", [&] { return Peek(kHomeState) == 0x16 || Peek(kAwayState) == 0x16; })) return result;
  result.ok = true;
  return result;
}

CartridgeSession::GameResult CartridgeSession::PlayGame(
    int quarterMinutes, int maxFrames, const std::function<void(CartridgeSession&, int)>& onBothChosen) {
  using namespace address;
  GameResult result;
  const int start = frame_;
  const uint8_t length = static_cast<uint8_t>(((quarterMinutes / 10) << 4) | (quarterMinutes % 10));
  int possession = -1;
  bool callArmed = false;
  bool clockArmed = true;
  while (frame_ - start < maxFrames) {
    const uint8_t h = Peek(kHomeState);
    const uint8_t a = Peek(kAwayState);
    if (a == 0x0B || (h == 0x80 && a == 0x16) || (h == 0x19 && a == 0x17)) {
      possession = 1;
    } else if (h == 0x0B || (h == 0x16 && a == 0x80) || (h == 0x17 && a == 0x19)) {
      possession = 0;
    }
    if (Peek(kHomePlay) == 0x80 || Peek(kAwayPlay) == 0x80) {
      callArmed = true;
    } else if (callArmed) {
      callArmed = false;
      ++result.plays;
      if (onBothChosen && possession >= 0) onBothChosen(*this, possession);
    }
    if (length != 0x05) {
      if (Peek(kClockMinutes) == 0x05 && clockArmed) {
        Poke(kClockMinutes, length);
        clockArmed = false;
      }
      if (Peek(kClockMinutes) < 0x05) clockArmed = true;
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
  const uint16_t base = side == 0 ? address::kHomeScores : address::kAwayScores;
  int total = 0;
  for (int period = 0; period < 4; ++period) total += FromBcd(Peek(static_cast<uint16_t>(base + period)));
  return total;
}

std::vector<uint8_t> CartridgeSession::StatsBlock(int side) const {
  const uint16_t base = side == 0 ? address::kHomeStats : address::kAwayStats;
  std::vector<uint8_t> block(242);
  for (uint16_t i = 0; i < 242; ++i) block[i] = Peek(static_cast<uint16_t>(base + i));
  return block;
}

std::vector<uint8_t> LoadCartridgeImage() {
  const auto image = EmbeddedCartridgeImage();
  return std::vector<uint8_t>(image.begin(), image.end());
}

void SetAllRatings(std::vector<uint8_t>& image, int team, int level) {
  const uint8_t both = static_cast<uint8_t>((level << 4) | level);
  size_t at = 0x3010 + 117 * static_cast<size_t>(team);
  for (int player = 0; player < 30; ++player) {
    const int extraBytes = player <= 1 ? 2 : (player <= 11 ? 1 : (player <= 16 ? 0 : 1));
    image[at] = both;
    image[at + 1] = both;
    for (int i = 0; i < extraBytes; ++i) image[at + 3 + i] = both;
    at += 3 + extraBytes;
  }
}

}  // namespace qgu::cartridge::testing
