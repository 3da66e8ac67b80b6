#pragma once
// Where the programs keep their leagues and settings. A start in a folder
// that already holds them works there, as the programs always have; a start
// from the desktop's menu (--data-home), or of the installed programs from
// anywhere else, works in the user's own data folder, so "qgu_lge",
// "qgu.ini", "./bmps" and "./snds" resolve inside it. A program run from its
// build folder keeps working where it starts.

#include <filesystem>

#include "base/result.h"

namespace qgu::base {

// $XDG_DATA_HOME/qgu, or ~/.local/share/qgu where XDG_DATA_HOME is unset or
// not absolute (as the XDG rules say).
std::filesystem::path UserDataFolder();

// Whether a folder already holds a program's data: a "qgu_lge" folder or a
// "qgu.ini" file.
bool HoldsProgramData(const std::filesystem::path& folder);

// Whether this program runs from an installed copy (its shared data beside
// it in <prefix>/share/qgu), not from a build folder.
bool RunsInstalled();

// Moves into the user's data folder (made private to the user when missing)
// when asked, or when an installed program starts in a folder without data;
// gives the folder the program works in, or why it cannot work there.
Result<std::filesystem::path> EnterDataFolder(bool dataHomeAsked);

}  // namespace qgu::base
