#pragma once
// What the window needs to open a linked game: a wait with a Cancel button
// while the link meets the other side on a worker thread, and the joining
// side's copies of the host's two team records, kept in anonymous memory
// files (never in the joiner's league) for the game preparation to read.

#include <QWidget>
#include <atomic>
#include <functional>
#include <string>

#include "driver/game_manager.h"
#include "host/netplay_greeting.h"
#include "league/result.h"
#include "league/team_record.h"

namespace qgu::frontend {

// What both sides of a linked game check before the boot: the prepared teams, quarter, weather and controls.
host::GameIdentity LinkedGameIdentity(const driver::CGameManager& manager, int weather);

// Runs work on a worker thread while a busy dialog with label and Cancel is
// shown; Cancel sets the flag work watches. Returns what work returned.
league::Status WaitWithCancel(QWidget* owner, const QString& label,
                              const std::function<league::Status(const std::atomic<bool>& cancelled)>& work);

// A team record in an anonymous memory file, readable by its path while this lives.
class CPrivateRecordFile {
 public:
  CPrivateRecordFile() = default;
  ~CPrivateRecordFile();
  CPrivateRecordFile(const CPrivateRecordFile&) = delete;
  CPrivateRecordFile& operator=(const CPrivateRecordFile&) = delete;
  league::Status Write(const league::TeamRecord& record);
  const std::string& Path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace qgu::frontend
