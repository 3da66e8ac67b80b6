#pragma once
// The control modes of a game's two sides by name.

#include <optional>
#include <string>
#include <string_view>

namespace qgu::driver {

// "MAN", "COA", "COM" (any case) -> 0, 1, 2; -1 for anything else.
int ParseControlMode(std::string_view text);
std::string_view ControlModeName(int mode);

}  // namespace qgu::driver
