#pragma once
// The files the tool server's windows show and play: "bmps/main.bmp" and
// "snds/main.wav", looked for first in the working folder (as the program has
// always found them) and then in the installed copy beside the module
// (<prefix>/share/qgu, found from the module's folder) or in the source tree
// it was built from.

#include <filesystem>
#include <optional>
#include <string_view>

namespace qgu::toolserver {

inline constexpr std::string_view kMainMenuPicture = "bmps/main.bmp";
inline constexpr std::string_view kMainMenuMusic = "snds/main.wav";

// The first existing copy of a media file, or nothing.
std::optional<std::filesystem::path> FindMediaFile(std::string_view relativePath);

}  // namespace qgu::toolserver
