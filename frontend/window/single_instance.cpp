#include "frontend/window/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace qgu::frontend {

CSingleInstance::CSingleInstance(std::filesystem::path folder, std::string name)
    : file_(std::move(folder) / (std::move(name) + ".lock")) {}

CSingleInstance::~CSingleInstance() { Release(); }

std::filesystem::path CSingleInstance::DefaultFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] == '/') return runtime;
  std::error_code ignored;
  // Per user, since another user's lock must not refuse this one.
  return std::filesystem::temp_directory_path(ignored) / ("qgu-" + std::to_string(::getuid()));
}

bool CSingleInstance::Acquire() {
  if (fd_ >= 0) return true;
  std::error_code ignored;
  std::filesystem::create_directories(file_.parent_path(), ignored);
  const int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return true;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool taken = errno == EWOULDBLOCK;
    ::close(fd);
    return !taken;
  }
  fd_ = fd;
  return true;
}

void CSingleInstance::Release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace qgu::frontend
