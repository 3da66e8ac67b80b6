#include "driver/driver_host.h"

#include <array>

namespace qgu::driver {

std::string_view StageName(DriverStage stage) {
  static constexpr std::array<std::string_view, 12> kNames = {
      "waiting for the title screen",
      "waiting for the second title screen",
      "waiting for the main menu",
      "waiting for the control screen",
      "waiting for team select",
      "selecting the teams",
      "waiting for the kickoff",
      "watching the game",
      "waiting for the final screen",
      "capturing the statistics",
      "showing the summary",
      "ended",
  };
  const auto index = static_cast<size_t>(stage);
  return index < kNames.size() ? kNames[index] : "unknown";
}

uint8_t ReadConsoleByte(IDriverConsole& console, uint16_t address) {
  uint8_t value = 0;
  console.WithMemory([&](IConsoleMemory& memory) { value = memory.Read(address); });
  return value;
}

void WriteConsoleByte(IDriverConsole& console, uint16_t address, uint8_t value) {
  console.WithMemory([&](IConsoleMemory& memory) { memory.Write(address, value); });
}

}  // namespace qgu::driver
