#include "driver/game_setup.h"

#include <array>

#include "driver/play_calling.h"
#include "driver/team_injection.h"
#include "driver/team_record_lines.h"
#include "driver/team_slots.h"
#include "league/text_case.h"

namespace qgu::driver {
namespace {

constexpr std::array<std::string_view, 3> kControlModeNames = {"MAN", "COA", "COM"};

}  // namespace

std::optional<std::string> TeamFileProblem(const std::string& path) {
  const std::optional<TeamRecordLines> lines = ReadTeamRecordLines(path);
  if (!lines) return "cannot read the team file " + path;
  if (lines->players.size() < league::kPlayerCount) {
    return path + " holds " + std::to_string(lines->players.size()) + " player lines; a team has " +
           std::to_string(league::kPlayerCount);
  }
  const int formation = ReadFormation(path);
  if (!IsFormation(formation)) {
    return path + " has formation " + std::to_string(formation) +
           "; a team plays 2 (PRO SET), 3 (SINGLE BACK SET) or 4 (4 WR SET)";
  }
  return std::nullopt;
}

int ParseControlMode(std::string_view text) {
  for (size_t mode = 0; mode < kControlModeNames.size(); ++mode) {
    if (league::EqualsIgnoringCase(text, kControlModeNames[mode])) return static_cast<int>(mode);
  }
  return -1;
}

std::string_view ControlModeName(int mode) {
  return mode >= kControlMan && mode <= kControlCom ? kControlModeNames[static_cast<size_t>(mode)] : "?";
}

}  // namespace qgu::driver
