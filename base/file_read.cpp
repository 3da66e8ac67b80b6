#include "base/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>

namespace qgu::base {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string TooLarge(const std::filesystem::path& path, uintmax_t size, size_t maxBytes) {
  return path.string() + " is " + std::to_string(size) + " bytes, more than the " + std::to_string(maxBytes) +
         " such a file can be";
}

template <class Buffer>
Result<Buffer> ReadWhole(const std::filesystem::path& path, size_t maxBytes) {
  // Non-blocking, so that opening a pipe with no writer returns at once.
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) return Fail("Unable to open " + path.string() + ": " + std::strerror(errno));
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return Fail("Unable to open " + path.string() + ": " + std::strerror(errno));
  if (S_ISDIR(status.st_mode)) return Fail(path.string() + " is a folder, not a file");
  if (!S_ISREG(status.st_mode)) return Fail(path.string() + " is not a regular file");
  if (static_cast<uintmax_t>(status.st_size) > maxBytes) {
    return Fail(TooLarge(path, static_cast<uintmax_t>(status.st_size), maxBytes));
  }

  Buffer buffer(static_cast<size_t>(status.st_size) + 1, 0);
  size_t used = 0;
  for (;;) {
    if (used == buffer.size()) {
      if (used > maxBytes) return Fail(TooLarge(path, used, maxBytes));  // it grew while being read
      buffer.resize(std::min(buffer.size() * 2, maxBytes + 1));
    }
    const ssize_t got = ::read(file.get(), buffer.data() + used, buffer.size() - used);
    if (got < 0) {
      if (errno == EINTR) continue;
      return Fail("Unable to read " + path.string() + ": " + std::strerror(errno));
    }
    if (got == 0) break;
    used += static_cast<size_t>(got);
  }
  buffer.resize(used);
  return buffer;
}

}  // namespace

Result<std::string> ReadFileText(const std::filesystem::path& path, size_t maxBytes) {
  return ReadWhole<std::string>(path, maxBytes);
}

Result<std::vector<uint8_t>> ReadFileBytes(const std::filesystem::path& path, size_t maxBytes) {
  return ReadWhole<std::vector<uint8_t>>(path, maxBytes);
}

}  // namespace qgu::base
