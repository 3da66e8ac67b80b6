#include "driver/game_setup.h"

#include <array>

#include "driver/play_calling.h"
#include "league/text_case.h"

namespace qgu::driver {
namespace {

constexpr std::array<std::string_view, 3> kControlModeNames = {"MAN", "COA", "COM"};

}  // namespace

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
