#pragma once
// "Edit Player" (dialog 349): the 30 players of one team record file, one at
// a time, in browse mode and edit mode. SAVE writes the players and the two
// returners into the file; the caller reads the returners back afterwards.

#include <QDialog>
#include <array>
#include <filesystem>
#include <optional>

#include "editors/record_saves.h"
#include "league/team_record.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace qgu::editors {

class CPlayerPanel;

class CEditPlayerDlg : public QDialog {
  Q_OBJECT

 public:
  CEditPlayerDlg(std::filesystem::path recordFile, int kickReturner, int puntReturner, QWidget* parent = nullptr);

  // A file that cannot be read shows why and ends the dialog at once.
  int exec() override;
  // While editing, Escape and the window's close button do nothing: SAVE or Cancel first.
  void reject() override;

  // The returners as last saved (the ones given, when nothing was saved).
  int KickReturner() const { return savedKick_; }
  int PuntReturner() const { return savedPunt_; }
  // Whether a SAVE wrote the file.
  bool WroteFile() const { return wrote_; }

  static constexpr int kPlayerListId = 297, kPositionListId = 277, kTeamNameId = 316;
  static constexpr int kEditId = 259, kCancelId = 3, kExitId = 2;

 private:
  void BuildUi();
  void ConnectSignals();
  bool Load();
  void FillLists();
  void Select(int index);
  void SetEditMode(bool editing);
  void MarkChanged();
  void EditOrSave();
  void Save();
  void CancelEdit();
  void ReloadAndBrowse(int shown);

  std::filesystem::path path_;
  std::optional<FileStamp> stamp_;
  std::array<league::PlayerRecord, league::kPlayerCount> players_{};
  std::array<league::PlayerRecord, league::kPlayerCount> playersBeforeEdit_{};
  std::string loadError_;
  int kick_;
  int punt_;
  int savedKick_;
  int savedPunt_;
  bool editing_ = false;
  bool wrote_ = false;

  QListWidget* playerList_ = nullptr;
  QListWidget* positionList_ = nullptr;
  QLabel* teamName_ = nullptr;
  CPlayerPanel* panel_ = nullptr;
  QPushButton* edit_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* exit_ = nullptr;
};

}  // namespace qgu::editors
