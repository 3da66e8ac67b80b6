#pragma once
// Texts of the import and league tools that the league store does not hold
// already (title "qgultra").

#include <string_view>

namespace qgu::toolserver {

inline constexpr std::string_view kLeaguesFolderMissingMessage = "Unable to find qgu_lge directory!! aborting import !!";
inline constexpr std::string_view kNoLeagueChosenQuestion =
    "You did not select a league. Do you want to Exit \"Edit Teams\" ?";
inline constexpr std::string_view kDuplicateQuestionFormat =
    "%s %s (%s)\r\nalready exists in this league.\r\n\r\nDo you want to overwrite the existing team ?";
// Shown in place of the success message when a chosen team could not be written.
inline constexpr std::string_view kSomeTeamsNotWrittenMessage = "These teams could not be written into the league:";

}  // namespace qgu::toolserver
