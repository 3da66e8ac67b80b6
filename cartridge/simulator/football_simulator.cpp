#include "cartridge/simulator/football_simulator.h"

#include <algorithm>
#include <cstring>

#include "cartridge/simulator/host_game.h"
#include "driver/game_monitor.h"
#include "driver/play_calling.h"
#include "driver/random_source.h"

namespace qgu::cartridge {
namespace {

// The cartridge's rating slots of a player, by roster group (program/src/team.h).
std::array<uint8_t, 8> RatingsOf(const league::PlayerRecord& p, int index) {
  auto step = [](int v) { return static_cast<uint8_t>(std::clamp(v, 0, 15)); };
  std::array<uint8_t, 8> r{step(p.runningSpeed), step(p.rushingPower), step(p.maximumPower), step(p.hittingPower)};
  if (index <= 1) {
    r[4] = step(p.passingSpeed);
    r[5] = step(p.passControl);
    r[6] = step(p.accuracy);
    r[7] = step(p.avoidPassBlock);
  } else if (index <= 11) {
    r[4] = step(p.ballControl);
    r[5] = step(p.receptions);
  } else if (index >= 17 && index <= 27) {
    r[4] = step(p.passInterception);
    r[5] = step(p.quickness);
  } else if (index >= 28) {
    r[4] = step(p.kickingAbility);
    r[5] = step(p.avoidKickBlock);
  }
  return r;
}

HostTeam HostTeamFrom(const league::TeamRecord& record) {
  HostTeam team{};
  const league::TeamHeader& h = record.header;
  team.formation = static_cast<uint8_t>(h.formation >= 2 && h.formation <= 4 ? h.formation : 2);
  std::strncpy(team.abbr, h.abbreviation.c_str(), 4);
  const int bytes[4] = {h.runPlays12, h.runPlays34, h.passPlays12, h.passPlays34};
  for (int i = 0; i < 4; ++i) {
    team.play[2 * i] = static_cast<uint8_t>((bytes[i] >> 4) & 7);
    team.play[2 * i + 1] = static_cast<uint8_t>(bytes[i] & 7);
  }
  for (int p = 0; p < HOST_PLAYERS; ++p) {
    const auto r = RatingsOf(record.players[p], p);
    std::copy(r.begin(), r.end(), team.rating[p]);
  }
  return team;
}

class CHostMemory final : public driver::IConsoleMemory {
 public:
  uint8_t Read(uint16_t address) const override { return host_game_memory()[address & 0x7FFF]; }
  void Write(uint16_t address, uint8_t value) override { host_game_memory()[address & 0x7FFF] = value; }
};

struct PlayCalling {
  std::array<driver::PlayCallingProfile, 2> profiles;
  driver::CSeededRandom random;
  CHostMemory memory;
};

void CallPlays(int offenceSide, void* context) {
  auto& calling = *static_cast<PlayCalling*>(context);
  driver::CallPlays(offenceSide, {{driver::kControlCom, driver::kControlCom}, calling.profiles}, calling.memory,
                    calling.random);
}

int FromBcd(uint8_t v) { return (v >> 4) * 10 + (v & 15); }

}  // namespace

SimulatedGame SimulateGame(const league::TeamRecord& home, const league::TeamRecord& away, uint32_t seed,
                           int quarterMinutes) {
  const HostTeam homeTeam = HostTeamFrom(home);
  const HostTeam awayTeam = HostTeamFrom(away);
  PlayCalling calling{{}, driver::CSeededRandom(seed), {}};
  calling.profiles[0].SetFromHeader(home.header);
  calling.profiles[1].SetFromHeader(away.header);
  const uint32_t cartridgeSeed = seed ^ 0x9E3779B9u;
  host_game_reset(cartridgeSeed, &homeTeam, &awayTeam, &CallPlays, &calling);
  host_game_play(driver::QuarterLengthBcd(std::clamp(quarterMinutes, 1, 99)));

  SimulatedGame game;
  const uint8_t* memory = host_game_memory();
  const uint16_t scores[2] = {QGU_HOME_PERIOD_SCORES, QGU_AWAY_PERIOD_SCORES};
  const uint16_t stats[2] = {QGU_HOME_STATS_BLOCK, QGU_AWAY_STATS_BLOCK};
  const uint16_t extras[2] = {QGU_HOME_EXTRA_BLOCK, QGU_AWAY_EXTRA_BLOCK};
  for (int side = 0; side < 2; ++side) {
    for (int period = 0; period < QGU_PERIOD_SCORE_BYTES; ++period) game.score[side] += FromBcd(memory[scores[side] + period]);
    std::copy_n(memory + stats[side], QGU_STATS_BLOCK_BYTES, game.stats[side].begin());
    std::copy_n(memory + extras[side], QGU_EXTRA_BLOCK_BYTES, game.extras[side].begin());
  }
  game.overtime = memory[QGU_PERIOD] > QGU_FOURTH_QUARTER;
  return game;
}

}  // namespace qgu::cartridge
