#pragma once
// Titles and messages of the team editing dialogs.

namespace qgu::editors {

inline constexpr const char* kEditorTitle = "QgUltra";
inline constexpr const char* kSaveFailedMessage = "Error Saving data";
inline constexpr const char* kUpdateFailedMessage = "Error updating team record";
inline constexpr const char* kNoTeamsMessage = "There are no teams available";
inline constexpr const char* kTooManyTeamsFormat = "Too many teams in league (Maximum is %ld)";
inline constexpr const char* kRequiredFieldsMessage = "City, Nickname, Abbreviation, and formation are required.";
inline constexpr const char* kNoKickReturnerMessage = "You have not set a starting kick returner";
inline constexpr const char* kNoPuntReturnerMessage = "You have not set a starting punt returner";
inline constexpr const char* kMissingNameFormat = "%s is missing a first name, last name, or both";
// Asked before a save replaces a file that another program changed since it was read.
inline constexpr const char* kChangedOnDiskFormat =
    "%s was changed by another program since it was loaded.\n\nReplace it with your changes?";

}  // namespace qgu::editors
