#include "driver/team_stats.h"

#include <array>

#include "driver/cartridge_memory.h"

namespace qgu::driver {

std::string ReadRawStats(const IConsoleMemory& memory, uint16_t blockStart) {
  std::array<uint8_t, league::kStatsBlockBytes> block{};
  for (size_t i = 0; i < block.size(); ++i) block[i] = memory.Read(static_cast<uint16_t>(blockStart + i));
  return RawStatsString(block);
}

std::string ReadFinalScoreText(const IConsoleMemory& memory, uint16_t firstPeriodByte) {
  std::array<uint8_t, cartmem::kPeriodScoreBytes> periods{};
  for (size_t i = 0; i < periods.size(); ++i) periods[i] = memory.Read(static_cast<uint16_t>(firstPeriodByte + i));
  return FinalScoreText(periods);
}

}  // namespace qgu::driver
