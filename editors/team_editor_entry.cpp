#include "editors/team_editor_entry.h"

namespace qgu::editors {

// The team editor is still to come: until then the tool server's edit
// operation ends after the league is chosen.
void RunTeamEditor(QWidget* /*owner*/, const std::filesystem::path& /*leagueFolder*/) {}

}  // namespace qgu::editors
