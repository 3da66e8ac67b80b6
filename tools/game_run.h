#pragma once
// A headless game as qgu2 plays it (the game driver steering the football
// cartridge from its title screen to the box score, frames counted, not
// timed), on a machine the caller sets up and watches: its settings, its
// board, a look after every frame. For the emulator's own measurements,
// benchmarks and exactness comparisons; qgu2 plays through the driver's
// PlayHeadlessGame.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/machine.h"
#include "core/machine_settings.h"
#include "core/mappers/mapper_factory.h"
#include "driver/driver_host.h"
#include "driver/game_manager.h"
#include "driver/game_summary.h"

namespace qgu::tools {

struct GameRunOptions {
  core::MachineSettings settings;
  core::MapperFactory mappers = core::ProductMapperFactory();
  // After every frame, with the frames run so far.
  std::function<void(int64_t frame, core::CMachine& machine)> afterFrame;
  std::function<void(driver::DriverStage stage)> stageChanged;
};

struct GameRunResult {
  std::optional<driver::GameSummary> summary;
  int64_t frames = 0;
  std::string error;  // why there is no summary
};

// manager: PrepareGame has succeeded.
GameRunResult RunGame(driver::CGameManager& manager, const GameRunOptions& options);

// The league a first start makes from the carried cartridge, in a temporary
// folder of its own that goes with the object.
class CTemporaryLeague {
 public:
  CTemporaryLeague();  // throws std::runtime_error when it cannot be made
  ~CTemporaryLeague();
  CTemporaryLeague(const CTemporaryLeague&) = delete;
  CTemporaryLeague& operator=(const CTemporaryLeague&) = delete;

  std::string Team(const std::string& file) const { return (folder_ / file).string(); }

  // Two of its teams prepared for a game, both sides COM (home AMBE0 with the
  // pro set, away ASHC0 with four receivers), play calling from `seed`.
  std::unique_ptr<driver::CGameManager> PrepareComGame(uint32_t seed, int quarterMinutes) const;

 private:
  std::filesystem::path base_;
  std::filesystem::path folder_;
};

}  // namespace qgu::tools
