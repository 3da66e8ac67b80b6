#include "league/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

Result<FolderLock> FolderLock::Take(const std::filesystem::path& folder) {
  Result<int> fd = OpenFolder(folder);
  if (!fd) return Fail(fd.error());
  if (const int error = Lock(fd.value(), LOCK_EX); error != 0) {
    ::close(fd.value());
    return LockFailed(folder, error);
  }
  return FolderLock(fd.value());
}

Result<std::optional<FolderLock>> FolderLock::TryTake(const std::filesystem::path& folder) {
  Result<int> fd = OpenFolder(folder);
  if (!fd) return Fail(fd.error());
  if (const int error = Lock(fd.value(), LOCK_EX | LOCK_NB); error != 0) {
    ::close(fd.value());
    if (error == EWOULDBLOCK) return std::optional<FolderLock>();
    return LockFailed(folder, error);
  }
  return std::optional<FolderLock>(FolderLock(fd.value()));
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace qgu::league
