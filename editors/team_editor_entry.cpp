#include "editors/team_editor_entry.h"

#include "editors/edit_team_dlg.h"
#include "editors/nes_colors.h"

namespace qgu::editors {

void RunTeamEditor(QWidget* owner, const std::filesystem::path& leagueFolder) {
  // The palette file is read now, so a message about it never comes up in
  // the middle of painting a colour.
  NesColorToRgb(0);
  CEditTeamDlg dialog(leagueFolder, owner);
  dialog.exec();
}

}  // namespace qgu::editors
