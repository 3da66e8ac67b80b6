#pragma once
// CSeasonSelectDlg, "Select Season": the seasons of a league. The user picks
// a league and one of its seasons; "Open" closes the dialog with it.
//
// Use: construct, exec(); Accepted means League() and SeasonName() are set.

#include <QDialog>
#include <filesystem>
#include <string>

class QComboBox;
class QListWidget;

namespace qgu::frontend {

class CSeasonSelectDlg : public QDialog {
  Q_OBJECT

 public:
  enum ControlId : int {
    kOpenButton = 1,
    kCancelButton = 2,
    kLeagueList = 2411,
    kSeasonList = 2412,
  };

  // base: the folder holding "qgu_lge".
  explicit CSeasonSelectDlg(QWidget* owner, std::filesystem::path base);

  const std::string& League() const { return league_; }
  const std::string& SeasonName() const { return name_; }

 private:
  void FillSeasons();
  void Open();

  std::filesystem::path base_;
  std::filesystem::path leaguesFolder_;
  std::string league_;
  std::string name_;
  QComboBox* leagues_ = nullptr;
  QListWidget* seasons_ = nullptr;
};

}  // namespace qgu::frontend
