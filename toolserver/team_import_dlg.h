#pragma once
// CTeamImportDlg, "Team Import" (dialog 204): the 28 teams of a cartridge
// image as check boxes; "NEXT >>" takes the ticked ones on to the league
// dialog (203, import mode).

#include <QDialog>
#include <array>
#include <filesystem>
#include <vector>

#include "league/cartridge_import.h"
#include "league/cartridge_teams.h"

class QCheckBox;
class QPushButton;

namespace qgu::toolserver {

class CTeamImportDlg : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int {
    kImageLine = 227,
    kFirstTeamBox = 1003,  // 1003..1030: cartridge teams 0..27
    kCheckAllButton = 1031,
    kNextButton = 1032,
    kCancelButton = 1033,
  };

  // teams must outlive the dialog.
  CTeamImportDlg(const league::CartridgeTeams& teams, std::filesystem::path image, std::filesystem::path base,
                 league::TeamWritten written, QWidget* owner = nullptr);

  // Cartridge indices of the ticked boxes, ascending.
  std::vector<int> Selection() const;

 private:
  void ToggleAll();
  void Next();

  const league::CartridgeTeams& teams_;
  std::filesystem::path image_;
  std::filesystem::path base_;
  league::TeamWritten written_;
  std::array<QCheckBox*, cartridge::kTeamCount> boxes_{};
  QPushButton* checkAll_ = nullptr;
};

// The whole import of one image into a league under base: the file-open
// dialog (chooseImage), the load with its messages, dialog 204 and on.
using ImageChooser = std::function<std::optional<std::filesystem::path>(QWidget* owner)>;
void RunCartridgeImport(QWidget* owner, const std::filesystem::path& base, const ImageChooser& chooseImage,
                        const league::TeamWritten& written);

// The file-open dialog: "NES Rom (*.nes)".
std::optional<std::filesystem::path> ChooseImageFile(QWidget* owner);

}  // namespace qgu::toolserver
