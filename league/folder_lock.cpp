#include "league/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace qgu::league {
namespace {

Result<int> OpenFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Fail("Unable to open the folder " + folder.string() + ": " + std::strerror(errno));
  return fd;
}

// 0, or the errno of the failure (EWOULDBLOCK: held by another).
int Lock(int fd, int operation) {
  while (::flock(fd, operation) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

Error LockFailed(const std::filesystem::path& folder, int error) {
  return Fail("Unable to lock the folder " + folder.string() + ": " + std::strerror(error));
}

}  // namespace

// The folders held in this process, with the thread holding each: flock on a
// second descriptor of a folder the same thread has locked would wait for
// ever. Another thread of the process may wait, as another process would.
struct FolderLock::Holders {
  std::mutex mutex;
  std::vector<std::pair<Identity, std::thread::id>> held;

  static Holders& Instance() {
    static Holders holders;
    return holders;
  }
  bool HeldByThisThread(const Identity& identity) {
    std::lock_guard lock(mutex);
    return std::find(held.begin(), held.end(), std::pair{identity, std::this_thread::get_id()}) != held.end();
  }
  void Add(const Identity& identity) {
    std::lock_guard lock(mutex);
    held.emplace_back(identity, std::this_thread::get_id());
  }
  void Remove(const Identity& identity) {
    std::lock_guard lock(mutex);
    const auto entry = std::find_if(held.begin(), held.end(), [&](const auto& e) { return e.first == identity; });
    if (entry != held.end()) held.erase(entry);
  }
};

Result<std::optional<FolderLock>> FolderLock::Lock(const std::filesystem::path& folder, bool wait) {
  Result<int> fd = OpenFolder(folder);
  if (!fd) return Fail(fd.error());
  struct stat status {};
  if (::fstat(fd.value(), &status) != 0) {
    const int error = errno;
    ::close(fd.value());
    return LockFailed(folder, error);
  }
  const Identity identity{status.st_dev, status.st_ino};
  if (Holders::Instance().HeldByThisThread(identity)) {
    ::close(fd.value());
    return Fail("Unable to lock the folder " + folder.string() + ": this program holds it already");
  }
  if (const int error = league::Lock(fd.value(), wait ? LOCK_EX : LOCK_EX | LOCK_NB); error != 0) {
    ::close(fd.value());
    if (!wait && error == EWOULDBLOCK) return std::optional<FolderLock>();
    return LockFailed(folder, error);
  }
  Holders::Instance().Add(identity);
  return std::optional<FolderLock>(FolderLock(fd.value(), identity));
}

Result<FolderLock> FolderLock::Take(const std::filesystem::path& folder) {
  Result<std::optional<FolderLock>> lock = Lock(folder, true);
  if (!lock) return Fail(lock.error());
  return std::move(*lock.value());
}

Result<std::optional<FolderLock>> FolderLock::TryTake(const std::filesystem::path& folder) { return Lock(folder, false); }

FolderLock::~FolderLock() {
  if (fd_ < 0) return;
  Holders::Instance().Remove(held_);
  ::close(fd_);
}

}  // namespace qgu::league
