#pragma once
// Runs the cartridge on the emulated machine the way the league program's
// game driver does: it waits for the boot markers, presses A for one frame,
// places the team-select cursor, writes the control byte, shortens the
// periods and watches for the end of the game. Times are in frames (60 a
// second): a 50 ms poll is 3 frames, a 500 ms poll 30.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/machine.h"
#include "driver/cartridge_memory.h"

namespace qgu::cartridge::testing {

// Console bytes of the cartridge contract, as the game driver names them.
namespace cartmem = driver::cartmem;

// Cursor steps of team select for a formation pair value: before the first
// press, then before the second (x, y), as the game driver places them.
struct CursorPlan {
  bool moveFirst;
  int firstX, firstY;
  bool moveSecond;
  int secondX, secondY;
};
CursorPlan CursorPlanFor(int formationPair);

class CartridgeSession {
 public:
  // A fresh machine on a copy of the image.
  explicit CartridgeSession(std::span<const uint8_t> image);

  core::CMachine& Machine() { return *machine_; }
  uint8_t Peek(uint16_t address) const { return machine_->PeekByte(address); }
  void Poke(uint16_t address, uint8_t value) { machine_->PokeByte(address, value); }
  int Frame() const { return frame_; }

  void RunFrames(int frames);
  // One frame with A held on every pad, as the driver's press.
  void PressA();
  // Holds host buttons on a pad (core::HostButton bits) until changed.
  void Hold(int pad, uint16_t hostButtons);
  // Runs until `done` holds, testing it every `pollFrames` frames; false after maxFrames.
  bool RunUntil(const std::function<bool()>& done, int maxFrames, int pollFrames = 3);

  // Called once per frame after the frame ran (for tests that watch every frame).
  void SetFrameHook(std::function<void()> hook) { frameHook_ = std::move(hook); }

  struct BootResult {
    bool ok = false;
    std::string failedStage;
    std::vector<int> stageFrames;  // the frame each of the six conditions was first seen
  };
  // Boot automation: markers, presses, team select by formation pair, control
  // byte and, as the game driver writes it before kickoff, the quarter length.
  // `firstPressDelay` is the wait before the first press (the driver's 375 ms = 23).
  BootResult Boot(int formationPair, uint8_t controlByte, int firstPressDelay = 23, int quarterMinutes = 5);

  // The in-game monitor, every 30 frames, until the final screen or maxFrames:
  // restarts each period at `quarterMinutes` (BCD) as the driver does and
  // calls `onBothChosen` once per play after both sides have chosen, with the
  // side that has the ball (0 home, 1 away).
  struct GameResult {
    bool finished = false;
    int frames = 0;
    int plays = 0;
  };
  GameResult PlayGame(int quarterMinutes, int maxFrames,
                      const std::function<void(CartridgeSession&, int offenseSide)>& onBothChosen = {});

  bool OnFinalScreen() const {
    return Peek(cartmem::kGamePhaseA) == cartmem::kFinalScreenA && Peek(cartmem::kGamePhaseB) == cartmem::kFinalScreenB;
  }
  // Sum of a side's four period bytes read as BCD (side 0 home, 1 away).
  int Score(int side) const;
  // The 242-byte statistics block of a side.
  std::vector<uint8_t> StatsBlock(int side) const;

 private:
  void RunOneFrame(bool pressA);

  std::vector<uint8_t> image_;
  std::unique_ptr<core::CMachine> machine_;
  std::function<void()> frameHook_;
  int frame_ = 0;
};

// The final cartridge image (team data placed), read from the build.
std::vector<uint8_t> LoadCartridgeImage();

// Writes one team's ratings (all 16 bytes of a player's nibbles) to `level`
// in an image: every rating nibble of cartridge team `team` becomes `level`.
void SetAllRatings(std::vector<uint8_t>& image, int team, int level);

}  // namespace qgu::cartridge::testing
