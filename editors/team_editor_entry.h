#pragma once
// How the tool server opens the team editor: once the user has picked a
// league in the league dialog, the editor runs modally on that league folder.

#include <filesystem>

class QWidget;

namespace qgu::editors {

// Runs the team editor on every team of leagueFolder; returns when it closes.
void RunTeamEditor(QWidget* owner, const std::filesystem::path& leagueFolder);

}  // namespace qgu::editors
