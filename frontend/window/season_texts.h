#pragma once
// Titles shared by the season dialogs and the season window.

namespace qgu::frontend {

// Refusals and errors, as the program's other messages.
inline constexpr const char* kSeasonTitle = "QgUltra";

}  // namespace qgu::frontend
