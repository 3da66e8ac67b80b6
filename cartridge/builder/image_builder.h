#pragma once
// Places the team data into the game program image and checks every layout
// rule the rest of the system relies on. Errors are returned as texts that
// name the broken rule; an empty list means the image is good.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cartridge/builder/team_source.h"

namespace qgu::cartridge {

// Size, header, game check, and team-data areas still empty.
std::vector<std::string> CheckProgramImage(std::span<const uint8_t> program);

// Byte budgets between the fixed starting points, and the ends of the last group.
std::vector<std::string> CheckTextBudgets(const std::vector<SourceTeam>& teams);

// A program image with nothing but the header and the game check, for building
// the team data before the game program exists.
std::vector<uint8_t> MakeStandInProgramImage();

struct BuildResult {
  std::vector<uint8_t> image;
  std::vector<std::string> errors;
};

// Checks the program image and the teams, places every table and verifies the
// result by reading it back. On any error the image is empty.
BuildResult BuildCartridgeImage(std::span<const uint8_t> program, const std::vector<SourceTeam>& teams);

// Reads the placed tables back from a built image and compares them with the
// teams and with the program image outside the team-data areas.
std::vector<std::string> VerifyCartridgeImage(std::span<const uint8_t> image, std::span<const uint8_t> program,
                                              const std::vector<SourceTeam>& teams);

}  // namespace qgu::cartridge
