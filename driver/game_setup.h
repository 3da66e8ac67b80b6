#pragma once
// Checks of a game's choices before it is prepared, so that whoever talks to
// the user can say exactly what is wrong (PrepareGame itself only answers
// yes or no).

#include <optional>
#include <string>
#include <string_view>

namespace qgu::driver {

// What makes a team record file unfit for a game: it cannot be read, it has
// fewer than 30 player lines, or its formation is not 2, 3 or 4. Nothing when
// it will do.
std::optional<std::string> TeamFileProblem(const std::string& path);

// "MAN", "COA", "COM" (any case) -> 0, 1, 2; -1 for anything else.
int ParseControlMode(std::string_view text);
std::string_view ControlModeName(int mode);

}  // namespace qgu::driver
