#include "frontend/window/link_game.h"

#include <QProgressDialog>
#include <QTimer>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "league/team_record_format.h"

namespace qgu::frontend {

host::GameIdentity LinkedGameIdentity(const driver::CGameManager& manager, int weather) {
  host::GameIdentity game;
  game.homeRecordHash = host::TeamRecordHash(manager.HomeTeam());
  game.awayRecordHash = host::TeamRecordHash(manager.AwayTeam());
  game.quarterMinutes = manager.QuarterLength();
  game.weather = weather;
  game.controlByte = manager.ControlByte();
  return game;
}


league::Status WaitWithCancel(QWidget* owner, const QString& label,
                              const std::function<league::Status(const std::atomic<bool>& cancelled)>& work) {
  std::atomic<bool> cancelled{false};
  std::atomic<bool> done{false};
  league::Status result;
  std::thread worker([&] {
    result = work(cancelled);
    done = true;
  });
  QProgressDialog waiting(label, "Cancel", 0, 0, owner);
  waiting.setWindowTitle("QgUltra");
  waiting.setWindowModality(Qt::WindowModal);
  waiting.setMinimumDuration(0);
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &waiting, [&] {
    if (done) waiting.accept();
  });
  QObject::connect(&waiting, &QProgressDialog::canceled, &waiting, [&] { cancelled = true; });
  poll.start(50);
  if (!done) waiting.exec();
  cancelled = cancelled || !done;  // closed some other way
  worker.join();
  return result;
}

CPrivateRecordFile::~CPrivateRecordFile() {
  if (fd_ >= 0) ::close(fd_);
}

league::Status CPrivateRecordFile::Write(const league::TeamRecord& record) {
  const auto text = league::FormatTeamRecord(record);
  if (!text) return league::Fail(text.error());
  if (fd_ < 0) fd_ = ::memfd_create("qgu-linked-team", MFD_CLOEXEC);
  if (fd_ < 0) return league::Fail(std::string("no memory for the host's team: ") + std::strerror(errno));
  if (::ftruncate(fd_, 0) != 0 ||
      ::pwrite(fd_, text.value().data(), text.value().size(), 0) != static_cast<ssize_t>(text.value().size())) {
    return league::Fail(std::string("cannot keep the host's team: ") + std::strerror(errno));
  }
  path_ = "/proc/self/fd/" + std::to_string(fd_);
  return {};
}

}  // namespace qgu::frontend
