#include "editors/team_editor_entry.h"

#include "editors/edit_team_dlg.h"

namespace qgu::editors {

void RunTeamEditor(QWidget* owner, const std::filesystem::path& leagueFolder) {
  CEditTeamDlg dialog(leagueFolder, owner);
  dialog.exec();
}

}  // namespace qgu::editors
